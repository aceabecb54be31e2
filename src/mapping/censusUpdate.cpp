// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusUpdate.h"

#include "genomeDigest.h"
#include "genomeSummary.h"
#include "parallelFor.h"

#include <algorithm>
#include <array>
#include <deque>
#include <optional>
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

Census updatedCensus(const Census& census, const std::string& folder, std::vector<std::string> files,
                     const std::atomic<bool>* cancel, unsigned threads)
{
    std::sort(files.begin(), files.end());
    files.erase(std::unique(files.begin(), files.end()), files.end());
    const auto changed = [&files](const std::string& file) {
        return std::binary_search(files.begin(), files.end(), file);
    };

    // The changed files read anew, beside the census, before it is touched.
    std::vector<std::optional<CensusRow>> read(files.size());
    // One reader a thread: each opens the folder once and reads below it.
    std::deque<FolderReader> readers; // never moved: each holds its folder open
    const auto enoughReaders = [&](std::size_t items) {
        while (readers.size() < parallelThreads(items, threads))
            readers.emplace_back(folder);
    };
    enoughReaders(files.size());
    if (!parallelFor(files.size(), threads, cancel, [&](unsigned worker, std::size_t i) {
            if (std::optional<std::string> error = censusFileError(folder, files[i]))
                read[i] = readRow(files[i], std::move(*error), readers[worker]);
        }))
        throw CensusCancelled();

    // Merged in file order; each row keeps its parents' files as they were.
    const std::vector<CensusRow>& old = census.rows;
    std::vector<CensusRow> rows;
    std::vector<std::array<std::optional<std::string>, 2>> parentFiles;
    std::vector<unsigned char> fresh;
    rows.reserve(old.size() + files.size());
    std::size_t next = 0;
    const auto addRead = [&](const std::string* before) {
        for (; next < read.size() && (!before || files[next] < *before); ++next) {
            if (!read[next])
                continue;
            rows.push_back(std::move(*read[next]));
            parentFiles.emplace_back();
            fresh.push_back(1);
        }
    };
    for (const CensusRow& row : old) {
        addRead(&row.file);
        if (changed(row.file))
            continue;
        std::array<std::optional<std::string>, 2> parents;
        if (row.motherRow)
            parents[0] = old[*row.motherRow].file;
        if (row.fatherRow)
            parents[1] = old[*row.fatherRow].file;
        parentFiles.push_back(std::move(parents));
        fresh.push_back(0);
        rows.push_back(row);
    }
    addRead(nullptr);

    // Linked again; counted again where the parents' rows are others, or
    // where the child or a parent is a file that changed.
    const Parents parents(rows);
    std::vector<std::size_t> recount;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        CensusRow& row = rows[i];
        row.children = 0;
        if (!row.loaded())
            continue;
        row.motherRow = parents.of(i, row.mother);
        row.fatherRow = parents.of(i, row.father);
        const auto fileOf = [&rows](const std::optional<std::size_t>& at) {
            return at ? std::optional(rows[*at].file) : std::nullopt;
        };
        const bool same =
            !fresh[i] && parentFiles[i][0] == fileOf(row.motherRow) && parentFiles[i][1] == fileOf(row.fatherRow);
        const bool parentChanged = (row.motherRow && changed(rows[*row.motherRow].file)) ||
                                   (row.fatherRow && changed(rows[*row.fatherRow].file));
        if (same && !parentChanged)
            continue;
        row.mutated.reset();
        row.mutatedGenes.clear();
        row.unheldKeys.reset();
        if (!row.motherRow || !row.fatherRow)
            continue;
        // A genome named as its own parent mutates against nothing.
        if (row.motherRow == i || row.fatherRow == i)
            row.mutated = StatisticsTotals{};
        else
            recount.push_back(i);
    }
    // Each genome the recount needs is read once, however many children
    // share it: a burst of thousands of children names the same parents.
    std::vector<std::size_t> needed;
    for (const std::size_t i : recount)
        needed.insert(needed.end(), {i, *rows[i].motherRow, *rows[i].fatherRow});
    std::sort(needed.begin(), needed.end());
    needed.erase(std::unique(needed.begin(), needed.end()), needed.end());
    std::vector<std::optional<GeneFingerprints>> prints(needed.size());
    enoughReaders(needed.size());
    if (!parallelFor(needed.size(), threads, cancel, [&](unsigned worker, std::size_t k) {
            try {
                prints[k] = readers[worker].digest(rows[needed[k]].file).fingerprints;
            } catch (const HelixplotError&) {
            }
        }))
        throw CensusCancelled();
    const auto printsOf = [&](std::size_t row) -> const std::optional<GeneFingerprints>& {
        return prints[static_cast<std::size_t>(std::lower_bound(needed.begin(), needed.end(), row) - needed.begin())];
    };
    std::vector<MutationCounter> counters(parallelThreads(recount.size(), threads));
    if (!parallelFor(recount.size(), threads, cancel, [&](unsigned worker, std::size_t k) {
            CensusRow& row = rows[recount[k]];
            const auto& child = printsOf(recount[k]);
            const auto& mother = printsOf(*row.motherRow);
            const auto& father = printsOf(*row.fatherRow);
            if (child && mother && father)
                row.mutated = counters[worker].count(*child, *mother, *father);
        }))
        throw CensusCancelled();
    linkCensusFamilies(rows);
    Census updated;
    updated.rows = std::move(rows);
    return updated;
}

void updateCensusFiles(Census& census, const std::string& folder, std::vector<std::string> files,
                       const std::atomic<bool>* cancel, unsigned threads)
{
    census = updatedCensus(census, folder, std::move(files), cancel, threads);
}

std::optional<std::size_t> updateCensusFile(Census& census, const std::string& folder, const std::string& file)
{
    updateCensusFiles(census, folder, {file}, nullptr, 1);
    const auto at = std::lower_bound(census.rows.begin(), census.rows.end(), file,
                                     [](const CensusRow& row, const std::string& name) { return row.file < name; });
    if (at == census.rows.end() || at->file != file)
        return std::nullopt;
    return static_cast<std::size_t>(at - census.rows.begin());
}

} // namespace helixplot
