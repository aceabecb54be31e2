// SPDX-License-Identifier: GPL-3.0-or-later
#include "census.h"

#include "decoder/unitGeneDecoder.h"
#include "geneMatching.h"
#include "genomeDigest.h"
#include "genomeSummary.h"
#include "parallelFor.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace helixplot {

namespace fs = std::filesystem;

std::optional<std::size_t> CensusRow::mutatedTotal() const
{
    if (!mutated)
        return std::nullopt;
    std::size_t sum = 0;
    for (std::size_t i = 0; i < StatisticsKindRowCount; ++i)
        sum += (*mutated)[i];
    return sum;
}

namespace {

struct Listing {
    std::vector<std::string> files;  // relative, '/'-separated, sorted
    std::vector<std::string> errors; // parallel to files: why it is not read, empty when it is
};

inline constexpr const char* OutsideLinkMessage = "Link to a file outside the folder";
inline constexpr const char* UnreadFolderPrefix = "Folder not read: ";

bool isGenomeName(const fs::path& path)
{
    return path.extension().string() == ".gen";
}

// Both paths canonical.
bool isWithin(const fs::path& path, const fs::path& folder)
{
    auto p = path.begin();
    for (const fs::path& part : folder) {
        if (p == path.end() || *p != part)
            return false;
        ++p;
    }
    return true;
}

// Why a link is not read ("" when it is), or nullopt when it leads to a
// folder, which is no genome file.
std::optional<std::string> linkError(const fs::path& link, const fs::path& realRoot)
{
    std::error_code ec;
    const fs::path target = fs::canonical(link, ec);
    if (ec)
        return std::string(InOutError::onRead(ec.value()).what());
    // Checked before anything at the target is looked at.
    if (!isWithin(target, realRoot))
        return std::string(OutsideLinkMessage);
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status))
        return std::nullopt;
    if (!fs::is_regular_file(status))
        return std::string(InOutError(InOutError::Failure::AccessDenied).what());
    return std::string();
}

// Lists the genome files of folder, and of its subfolders when recursive:
// regular files and links to regular files inside the folder are read;
// other links, other kinds of file and subfolders that cannot be read are
// listed with the reason. Links to folders are never followed.
Listing listFolder(const std::string& folder, bool recursive)
{
    std::error_code ec;
    const fs::path root(folder);
    if (!fs::exists(root, ec))
        throw InOutError(InOutError::Failure::FileNotFound);
    if (!fs::is_directory(root, ec))
        throw HelixplotError("Not a folder");
    const fs::path realRoot = fs::canonical(root, ec);
    if (ec)
        throw InOutError::onRead(ec.value());

    std::vector<std::pair<std::string, std::string>> found;
    std::vector<fs::path> pending{fs::path()};
    while (!pending.empty()) {
        const fs::path relative = std::move(pending.back());
        pending.pop_back();
        // The folder itself must be readable; a subfolder that is not is a row.
        auto unread = [&](std::error_code error) {
            if (relative.empty())
                throw InOutError::onRead(error.value());
            found.emplace_back(relative.generic_string() + '/',
                               UnreadFolderPrefix + std::string(InOutError::onRead(error.value()).what()));
        };
        fs::directory_iterator it(root / relative, ec), end;
        if (ec) {
            unread(ec);
            continue;
        }
        for (; !ec && it != end; it.increment(ec)) {
            const fs::directory_entry& entry = *it;
            const fs::path name = relative / entry.path().filename();
            // The type from the folder listing where it has one: no call per file.
            std::error_code statError;
            if (entry.is_symlink(statError)) {
                if (!isGenomeName(name))
                    continue;
                if (std::optional<std::string> error = linkError(entry.path(), realRoot))
                    found.emplace_back(name.generic_string(), std::move(*error));
                continue;
            }
            if (entry.is_directory(statError)) {
                if (recursive)
                    pending.push_back(name);
                continue;
            }
            if (!isGenomeName(name))
                continue;
            found.emplace_back(name.generic_string(),
                               entry.is_regular_file(statError)
                                   ? std::string()
                                   : std::string(InOutError(InOutError::Failure::AccessDenied).what()));
        }
        if (ec)
            unread(ec);
    }

    std::sort(found.begin(), found.end());
    Listing listing;
    for (auto& [file, error] : found) {
        listing.files.push_back(std::move(file));
        listing.errors.push_back(std::move(error));
    }
    return listing;
}

std::optional<std::string> nonEmpty(std::string text)
{
    if (text.empty())
        return std::nullopt;
    return text;
}

class CensusTaker {
public:
    CensusTaker(const std::string& folder, const Listing& listing, const CensusOptions& options)
        : folder_(folder), listing_(listing), options_(options)
    {
        for (std::size_t i = 0; i < listing.files.size(); ++i)
            parents_.add(listing.files[i], i);
    }

    std::vector<CensusRow> take()
    {
        rows_.resize(listing_.files.size());
        parentFiles_.resize(rows_.size());
        fingerprints_.resize(rows_.size());
        kept_.assign(rows_.size(), 0);
        std::vector<GenomeDigester> digesters(parallelThreads(rows_.size(), options_.threads));
        inParallel([&](unsigned worker, std::size_t i) {
            readOne(i, digesters[worker]);
            if (options_.progress || options_.rowRead) {
                std::lock_guard lock(progressMutex_);
                if (options_.rowRead)
                    options_.rowRead(i, rows_[i]);
                if (options_.progress)
                    options_.progress(++done_, rows_.size());
            }
        });
        std::vector<MutationCounter> counters(digesters.size());
        inParallel([&](unsigned worker, std::size_t i) { compareOne(i, digesters[worker], counters[worker]); });
        if (options_.genePass)
            passGenes(digesters);
        fingerprints_ = {};
        linkCensusFamilies(rows_);
        return std::move(rows_);
    }

private:
    // One pass over the rows on the census's threads, checking the cancel
    // flag between rows; the first failure that is not a file's own (a file
    // that does not load is a row) stops them all.
    void inParallel(const std::function<void(unsigned worker, std::size_t row)>& work)
    {
        if (!parallelFor(rows_.size(), options_.threads, options_.cancel, work))
            throw CensusCancelled();
    }

    void readOne(std::size_t i, GenomeDigester& digester)
    {
        CensusRow& row = rows_[i];
        row.file = listing_.files[i];
        if (!listing_.errors[i].empty()) {
            row.error = listing_.errors[i];
            return;
        }
        GenomeDigest digest;
        try {
            digest = folder_.digest(digester, row.file);
        } catch (const HelixplotError& e) {
            row.error = e.what();
            return;
        }
        fillCensusRow(row, digest);
        if (digest.firstLooseGene)
            parentFiles_[i] = {parentFilePath(row.file, *digest.firstLooseGene, false),
                               parentFilePath(row.file, *digest.firstLooseGene, true)};

        const std::size_t bytes = digest.fingerprints.bytes();
        if (fingerprintBytes_.fetch_add(bytes) + bytes <= options_.fingerprintMemory) {
            fingerprints_[i] = std::move(digest.fingerprints);
            kept_[i] = 1;
        } else {
            fingerprintBytes_ -= bytes;
        }
    }

    // A row's fingerprints: kept, or read again (none when the file no
    // longer loads).
    const GeneFingerprints* fingerprintsOf(std::size_t i, GenomeDigester& digester, GeneFingerprints& reread)
    {
        if (kept_[i])
            return &fingerprints_[i];
        try {
            reread = folder_.digest(digester, listing_.files[i]).fingerprints;
        } catch (const HelixplotError&) {
            return nullptr;
        }
        return &reread;
    }

    // Finds the row's parents; where both loaded, counts its mutated genes.
    void compareOne(std::size_t i, GenomeDigester& digester, MutationCounter& counter)
    {
        CensusRow& row = rows_[i];
        if (!row.loaded())
            return;
        auto loadedParent = [&](const std::string& file) -> std::optional<std::size_t> {
            const auto at = parents_.find(file);
            if (at && rows_[*at].loaded())
                return at;
            return std::nullopt;
        };
        row.motherRow = loadedParent(parentFiles_[i][0]);
        row.fatherRow = loadedParent(parentFiles_[i][1]);
        if (!row.motherRow || !row.fatherRow)
            return;
        // A genome that names itself as a parent differs from itself in
        // nothing, not even where it holds a key twice.
        if (row.motherRow == i || row.fatherRow == i) {
            row.mutated = StatisticsTotals{};
            return;
        }
        GeneFingerprints rereads[3];
        const GeneFingerprints* examined = fingerprintsOf(i, digester, rereads[0]);
        const GeneFingerprints* mother = fingerprintsOf(*row.motherRow, digester, rereads[1]);
        const GeneFingerprints* father = fingerprintsOf(*row.fatherRow, digester, rereads[2]);
        // Parental mapping: the mother and father slots, mode 2.
        if (!examined || !mother || !father)
            return;
        if (options_.keepMutatedGenes) {
            row.mutatedGenes = counter.mutatedGenes(*examined, *mother, *father);
            row.unheldKeys = counter.unheldKeys(*examined);
            row.mutated = MutationCounter::totalsOf(row.mutatedGenes);
        } else {
            row.mutated = counter.count(*examined, *mother, *father);
        }
    }

    void passGenes(std::vector<GenomeDigester>& digesters)
    {
        if (options_.beforeGenePass)
            options_.beforeGenePass(rows_);
        std::vector<GeneFingerprints> rereads(digesters.size());
        inParallel([&](unsigned worker, std::size_t i) {
            if (rows_[i].loaded())
                if (const GeneFingerprints* genes = fingerprintsOf(i, digesters[worker], rereads[worker]))
                    options_.genePass(worker, i, *genes);
        });
    }

    const CensusFolder folder_;
    const Listing& listing_;
    const CensusOptions& options_;
    // Parents are found by the rule parental mode follows (parentFilePath).
    CensusFileIndex parents_;
    std::vector<CensusRow> rows_;
    // Per row: the mother's and the father's files as parental mode names them.
    std::vector<std::array<std::string, 2>> parentFiles_;
    // Per row, written by one thread while reading and read by all after.
    std::vector<GeneFingerprints> fingerprints_;
    std::vector<unsigned char> kept_;
    std::atomic<std::size_t> fingerprintBytes_{0};
    std::mutex progressMutex_;
    std::size_t done_ = 0;
};

} // namespace

namespace {

// Depth first from each row in file order, without recursion: a family
// line may be thousands of generations long.
// Windows finds a file whatever the case of its name.
std::string key(std::string path)
{
#ifdef _WIN32
    for (char& c : path)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
#endif
    return path;
}

void assignGenerations(std::vector<CensusRow>& rows)
{
    enum class State : unsigned char { Unseen, Active, Done };
    std::vector<State> state(rows.size(), State::Unseen);
    auto parentsOf = [&](std::size_t i) {
        return std::array<std::optional<std::size_t>, 2>{rows[i].motherRow, rows[i].fatherRow};
    };
    std::vector<std::size_t> stack;
    for (std::size_t start = 0; start < rows.size(); ++start) {
        if (state[start] != State::Unseen)
            continue;
        stack.push_back(start);
        while (!stack.empty()) {
            const std::size_t i = stack.back();
            if (state[i] == State::Unseen) {
                state[i] = State::Active;
                for (const auto& p : parentsOf(i))
                    if (p && state[*p] == State::Unseen)
                        stack.push_back(*p);
                continue;
            }
            stack.pop_back();
            if (state[i] == State::Done)
                continue;
            // A parent still active is a descendant of this row: skipped.
            int generation = 0;
            for (const auto& p : parentsOf(i))
                if (p && state[*p] == State::Done)
                    generation = std::max(generation, rows[*p].generation + 1);
            rows[i].generation = generation;
            state[i] = State::Done;
        }
    }
}

} // namespace

CensusFolder::CensusFolder(const std::string& folder) : folder_(folder)
{
    std::error_code ec;
    realRoot_ = fs::canonical(fs::path(folder.empty() ? "." : folder), ec).string();
    if (ec)
        throw InOutError::onRead(ec.value());
}

template <typename Read> auto CensusFolder::read(const std::string& file, Read readOpened) const
{
    try {
        return readOpened(file);
    } catch (const LinkOnTheWay&) {
    }
    // Where the link leads now, checked before anything there is looked at;
    // what it names is then opened as any file of the folder, so a link
    // changed meanwhile is refused.
    std::error_code ec;
    const fs::path target = fs::canonical(fs::path(censusFilePath(folder_.path(), file)), ec);
    if (ec)
        throw InOutError::onRead(ec.value());
    const fs::path root(realRoot_);
    if (!isWithin(target, root))
        throw HelixplotError(OutsideLinkMessage);
    return readOpened(target.lexically_relative(root).generic_string());
}

GenomeDigest CensusFolder::digest(GenomeDigester& digester, const std::string& file) const
{
    return read(file, [&](const std::string& relative) { return digester.digest(folder_, relative); });
}

TGeneticsFile CensusFolder::genome(const std::string& file) const
{
    return read(file, [&](const std::string& relative) {
        BinaryFile bytes(folder_, relative);
        return TGeneticsFile::fromBytes(bytes.readUpTo(MaxInputBytes));
    });
}

BinaryFile CensusFolder::bytes(const std::string& file) const
{
    return read(file, [&](const std::string& relative) { return BinaryFile(folder_, relative); });
}

void CensusFileIndex::add(const std::string& file, std::size_t row)
{
    rows_.emplace(key(file), row);
}

std::optional<std::size_t> CensusFileIndex::find(const std::string& file) const
{
    if (file.empty())
        return std::nullopt;
    const auto at = rows_.find(key(file));
    if (at == rows_.end())
        return std::nullopt;
    return at->second;
}

void fillCensusRow(CensusRow& row, const GenomeDigest& digest)
{
    if (digest.genusGene)
        row.genus = std::string(genusName(digest.genusGene->body[0]));
    if (digest.firstLooseGene) {
        row.mother = nonEmpty(parentName(*digest.firstLooseGene, false));
        row.father = nonEmpty(parentName(*digest.firstLooseGene, true));
    }
    row.genes = digest.genes;
    row.organs = digest.organs;
    row.totals = digest.totals;
}

void linkCensusFamilies(std::vector<CensusRow>& rows)
{
    for (const CensusRow& row : rows) {
        if (row.motherRow)
            ++rows[*row.motherRow].children;
        if (row.fatherRow && row.fatherRow != row.motherRow)
            ++rows[*row.fatherRow].children;
    }
    assignGenerations(rows);
}

std::optional<std::string> censusFileError(const std::string& folder, const std::string& file)
{
    std::error_code ec;
    const fs::path root(folder);
    const fs::path path = root / fs::path(file);
    if (!isGenomeName(path))
        return std::nullopt;
    const fs::file_status status = fs::symlink_status(path, ec);
    if (ec || !fs::exists(status))
        return std::nullopt;
    if (fs::is_symlink(status)) {
        const fs::path realRoot = fs::canonical(root, ec);
        if (ec)
            return std::string(InOutError::onRead(ec.value()).what());
        return linkError(path, realRoot);
    }
    if (fs::is_directory(status))
        return std::nullopt;
    return fs::is_regular_file(status) ? std::string()
                                       : std::string(InOutError(InOutError::Failure::AccessDenied).what());
}

Census takeCensus(const std::string& folder, const CensusOptions& options)
{
    const Listing listing = listFolder(folder, options.recursive);
    Census census;
    census.rows = CensusTaker(folder, listing, options).take();
    return census;
}

std::vector<GeneChange> mutatedChangesOf(const std::string& folder, const Census& census, std::size_t row)
{
    const CensusRow& child = census.rows.at(row);
    if (!child.motherRow || !child.fatherRow)
        return {};
    return mutatedChangesOf(CensusFolder(folder), census, row);
}

std::vector<GeneChange> mutatedChangesOf(const CensusFolder& folder, const Census& census, std::size_t row)
{
    const CensusRow& child = census.rows.at(row);
    if (!child.motherRow || !child.fatherRow)
        return {};
    const TGeneticsFile examined = folder.genome(child.file);
    const TGeneticsFile mother = folder.genome(census.rows.at(*child.motherRow).file);
    const TGeneticsFile father = folder.genome(census.rows.at(*child.fatherRow).file);
    return mutatedGeneChanges(GenomeComparison({mappingModeOf(MappingChoice::Parental), &examined, &mother, &father}));
}

std::string censusFilePath(const std::string& folder, const std::string& file)
{
    if (folder.empty())
        return file;
#ifdef _WIN32
    const bool separated = folder.back() == '/' || folder.back() == '\\';
#else
    const bool separated = folder.back() == '/';
#endif
    return separated ? folder + file : folder + '/' + file;
}

} // namespace helixplot
