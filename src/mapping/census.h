// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "geneChange.h"
#include "genomeDigest.h"
#include "mappingRun.h"
#include "statistics.h"

#include <array>
#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace helixplot {

// What a census keeps of one genome file: counts and names, never the genome.
struct CensusRow {
    // The path below the census folder, '/'-separated; the file name itself
    // when the census does not descend into subfolders.
    std::string file;
    // The reader's message when the file did not load; then nothing below
    // holds a value.
    std::string error;

    // The genus's name from the genus gene (the first loose gene, when it is
    // one; empty for a genus the genus line does not name), and the parents'
    // names from the first loose gene, as parental mode takes them. No such
    // gene, or an empty name: none.
    std::optional<std::string> genus;
    std::optional<std::string> mother;
    std::optional<std::string> father;

    std::size_t genes = 0;
    std::size_t organs = 0;
    // Per statistics row: the genome's genes that the row selects.
    StatisticsTotals totals{};
    // Per statistics row: those counted as mutated in parental mode against
    // both parents; none unless both parents' files are in the census and load.
    std::optional<StatisticsTotals> mutated;
    // The genes behind mutated, in lookup order, when the census keeps them
    // (CensusOptions::keepMutatedGenes).
    std::vector<GenePrint> mutatedGenes;
    // Kept with mutatedGenes: the keys of the genes listed as mutated although
    // neither parent holds the key (new genes, listed but not counted). None
    // when the row's genes were not kept.
    std::optional<std::vector<std::uint16_t>> unheldKeys;

    // Rows of the parents that are in the census and loaded: the files that
    // parental mode reads as the parents (see parentFilePath).
    std::optional<std::size_t> motherRow;
    std::optional<std::size_t> fatherRow;
    // 0 without a parent in the census, else one more than the larger of the
    // parents' generations. A parent that is its own descendant (a loop of
    // names) does not count.
    int generation = 0;
    // Loaded genomes in the census that name this one as a parent.
    std::size_t children = 0;

    bool loaded() const { return error.empty(); }
    bool operator==(const CensusRow&) const = default;
    // The mutated genes over the kind rows, so that no gene counts twice.
    std::optional<std::size_t> mutatedTotal() const;
};

struct CensusOptions {
    // Descend into subfolders.
    bool recursive = false;
    // Worker threads; results do not depend on it.
    unsigned threads = 2;
    // Bytes of gene fingerprints kept from reading the genomes to comparing
    // them with their parents (some 7 KB a genome of 700 genes); a genome
    // beyond them is read again for each comparison that needs it.
    std::size_t fingerprintMemory = std::size_t{96} << 20;
    // Called after each file, from one thread at a time.
    std::function<void(std::size_t done, std::size_t total)> progress;
    // Fill CensusRow::mutatedGenes.
    bool keepMutatedGenes = false;
    // A last pass over the genes of every loaded genome, once every row has
    // its parents and mutated genes: beforeGenePass is called once, then
    // genePass once per loaded row from the census's threads, worker (below
    // threads) telling which thread calls.
    std::function<void(const std::vector<CensusRow>& rows)> beforeGenePass;
    std::function<void(unsigned worker, std::size_t row, const GeneFingerprints& genes)> genePass;
    // Called with each file's row as soon as the file is read, before any
    // parent is linked (no parents' rows, mutated counts, generation or
    // children yet), from the reading threads, one at a time; index is the
    // row's place in the finished census.
    std::function<void(std::size_t index, const CensusRow& row)> rowRead;
    // Once set, the threads stop after the file at hand and takeCensus
    // throws CensusCancelled.
    const std::atomic<bool>* cancel = nullptr;
};

struct CensusCancelled : HelixplotError {
    CensusCancelled() : HelixplotError("Census cancelled") {}
};

struct Census {
    std::vector<CensusRow> rows; // in file order, byte by byte
};

// Reads every "*.gen" file of folder once (and again only when its
// fingerprints did not fit in memory and a comparison needs them). A file
// that does not load is listed with its message; so is a link that leads out
// of folder (never opened), anything but a regular file, and a subfolder
// that cannot be read ("sub/"). Links to folders are not followed. Throws
// HelixplotError when folder is not a folder to read.
Census takeCensus(const std::string& folder, const CensusOptions& options = {});

// A census's folder, held open while its files are read.
class CensusFolder {
public:
    // Throws HelixplotError when folder cannot be opened.
    explicit CensusFolder(const std::string& folder);
    // The digest of file (relative, '/'-separated), opened once relative to
    // the folder without following links, and checked as opened; a link is
    // followed only to a file inside the folder, itself opened so. Throws
    // what GenomeDigester::digest throws, and for a link that leads out of
    // the folder.
    GenomeDigest digest(GenomeDigester& digester, const std::string& file) const;
    // The whole genome of file, opened the same way.
    TGeneticsFile genome(const std::string& file) const;
    // The bytes of file, opened the same way.
    BinaryFile bytes(const std::string& file) const;

private:
    template <typename Read> auto read(const std::string& file, Read readOpened) const;

    OpenFolder folder_;
    std::string realRoot_;
};

// The census's files by path, as the file system finds them: on Windows
// whatever the case of the name.
class CensusFileIndex {
public:
    void add(const std::string& file, std::size_t row);
    // The row of file; none for an empty name or a file not in the census.
    std::optional<std::size_t> find(const std::string& file) const;

private:
    std::unordered_map<std::string, std::size_t> rows_;
};

// What a census row takes from a genome's digest: its genus, its parents'
// names and its counts.
void fillCensusRow(CensusRow& row, const GenomeDigest& digest);

// The path of a census's file (relative, '/'-separated) below its folder.
std::string censusFilePath(const std::string& folder, const std::string& file);

// Children and generations, once every row has its parents' rows.
void linkCensusFamilies(std::vector<CensusRow>& rows);

// How takeCensus lists one file of folder (relative, '/'-separated): none
// when it is no row of a census, else why it is not read ("" when it is).
std::optional<std::string> censusFileError(const std::string& folder, const std::string& file);

// The changes of a row's genes as the mutated genes' view of a parental
// mapping lists them (see mutatedGeneChanges), the three genomes read again
// from folder. Empty unless both parents' rows are known; throws
// HelixplotError when one of the files no longer loads.
std::vector<GeneChange> mutatedChangesOf(const std::string& folder, const Census& census, std::size_t row);
// The same with the folder already open.
std::vector<GeneChange> mutatedChangesOf(const CensusFolder& folder, const Census& census, std::size_t row);

} // namespace helixplot
