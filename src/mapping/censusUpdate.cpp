// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusUpdate.h"

#include "genomeDigest.h"
#include "genomeSummary.h"

#include <algorithm>
#include <array>
#include <unordered_map>

namespace helixplot {

namespace {

// A parent's file is the name beside the child, as parental mode finds it.
std::string parentFileOf(const std::string& child, const std::optional<std::string>& name)
{
    return name ? parentFileNamed(child, *name) : std::string();
}

class Parents {
public:
    explicit Parents(const std::vector<CensusRow>& rows) : rows_(rows)
    {
        for (std::size_t i = 0; i < rows.size(); ++i)
            files_.add(rows[i].file, i);
    }

    std::optional<std::size_t> of(std::size_t child, const std::optional<std::string>& name) const
    {
        const std::optional<std::size_t> at = files_.find(parentFileOf(rows_[child].file, name));
        if (!at || !rows_[*at].loaded())
            return std::nullopt;
        return at;
    }

private:
    const std::vector<CensusRow>& rows_;
    CensusFileIndex files_;
};

// Reads the folder's files as the census does; the folder is opened at the
// first file read, so that a folder gone meanwhile fails as its files would.
class FolderReader {
public:
    explicit FolderReader(const std::string& folder) : folder_(folder) {}
    GenomeDigest digest(const std::string& file)
    {
        if (!open_)
            open_.emplace(folder_);
        return open_->digest(digester_, file);
    }

private:
    const std::string& folder_;
    std::optional<CensusFolder> open_;
    GenomeDigester digester_;
};

CensusRow readRow(const std::string& file, std::string error, FolderReader& reader)
{
    CensusRow row;
    row.file = file;
    row.error = std::move(error);
    if (!row.error.empty())
        return row;
    try {
        fillCensusRow(row, reader.digest(file));
    } catch (const HelixplotError& e) {
        row.error = e.what();
    }
    return row;
}

} // namespace

std::optional<std::size_t> updateCensusFile(Census& census, const std::string& folder, const std::string& file)
{
    std::vector<CensusRow>& rows = census.rows;
    // Row indices as they were, for knowing whose parents changed.
    std::vector<std::array<std::optional<std::string>, 2>> parentFiles(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].motherRow)
            parentFiles[i][0] = rows[*rows[i].motherRow].file;
        if (rows[i].fatherRow)
            parentFiles[i][1] = rows[*rows[i].fatherRow].file;
    }

    auto at = std::lower_bound(rows.begin(), rows.end(), file,
                               [](const CensusRow& row, const std::string& name) { return row.file < name; });
    std::size_t index = static_cast<std::size_t>(at - rows.begin());
    const bool known = at != rows.end() && at->file == file;
    if (known) {
        rows.erase(at);
        parentFiles.erase(parentFiles.begin() + static_cast<std::ptrdiff_t>(index));
    }

    FolderReader reader(folder);
    std::optional<std::string> error = censusFileError(folder, file);
    const bool present = error.has_value();
    if (present) {
        rows.insert(rows.begin() + static_cast<std::ptrdiff_t>(index), readRow(file, std::move(*error), reader));
        // Not insert(pos, {}): that is the empty initializer list, which inserts nothing.
        parentFiles.insert(parentFiles.begin() + static_cast<std::ptrdiff_t>(index),
                           std::array<std::optional<std::string>, 2>{});
    }

    // Link every row again; count again where the parents changed.
    const Parents parents(rows);
    MutationCounter counter;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        CensusRow& row = rows[i];
        row.children = 0;
        if (!row.loaded())
            continue;
        row.motherRow = parents.of(i, row.mother);
        row.fatherRow = parents.of(i, row.father);
        const bool same =
            (present && i == index)
                ? false
                : parentFiles[i][0] == (row.motherRow ? std::optional(rows[*row.motherRow].file) : std::nullopt) &&
                      parentFiles[i][1] == (row.fatherRow ? std::optional(rows[*row.fatherRow].file) : std::nullopt);
        // A changed parent file is read again too.
        const bool parentChanged =
            row.motherRow && row.fatherRow && (rows[*row.motherRow].file == file || rows[*row.fatherRow].file == file);
        if (same && !parentChanged)
            continue;
        row.mutated.reset();
        if (!row.motherRow || !row.fatherRow)
            continue;
        if (row.motherRow == i || row.fatherRow == i) {
            row.mutated = StatisticsTotals{};
            continue;
        }
        std::array<GeneFingerprints, 3> genomes;
        const std::array<std::size_t, 3> which{i, *row.motherRow, *row.fatherRow};
        bool read = true;
        for (std::size_t k = 0; k < 3 && read; ++k) {
            try {
                genomes[k] = reader.digest(rows[which[k]].file).fingerprints;
            } catch (const HelixplotError&) {
                read = false;
            }
        }
        if (read)
            row.mutated = counter.count(genomes[0], genomes[1], genomes[2]);
    }
    linkCensusFamilies(rows);
    if (!present)
        return std::nullopt;
    return index;
}

} // namespace helixplot
