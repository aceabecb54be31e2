// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/displayTree.h"
#include "genetics/unitGenetics.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace helixplot {

class GenomeComparison;

// One comparator's gene with the examined gene's key.
struct ComparatorGene {
    // 0 the mother (or the only or first comparator), 1 the father (or the
    // second comparator).
    std::size_t comparator = 0;
    GeneRecord gene{};
    bool differs = false; // genesDiffer(gene, examined)
};

// What a mutated gene was before: the examined gene and the gene of every
// comparator in use that holds its key, mother first.
struct GeneChange {
    GeneRecord examined{};
    std::vector<ComparatorGene> comparators;
};

// The changes of the genes a mutated tree lists, recorded as
// buildMutatedTree() lists them: in the tree's order, and found again from
// any node of that tree.
class MutatedChanges {
public:
    std::size_t size() const { return changes_.size(); }
    bool empty() const { return changes_.empty(); }
    const GeneChange& operator[](std::size_t index) const { return changes_[index]; }
    std::vector<GeneChange>::const_iterator begin() const { return changes_.begin(); }
    std::vector<GeneChange>::const_iterator end() const { return changes_.end(); }
    const std::vector<GeneChange>& list() const { return changes_; }

    // The change of the gene whose subtree holds node; null for a family
    // node, NoNode or a node of no listed gene.
    const GeneChange* of(const DisplayTree& mutatedTree, NodeId node) const;

    void clear();
    // While the tree is built: the change of the gene decoded at geneNode.
    void record(NodeId geneNode, GeneChange change);
    // Once the tree is pruned: puts the changes in its order.
    void finish(const DisplayTree& mutatedTree);

private:
    std::vector<GeneChange> changes_;
    // Each change's gene node with its place in changes_, by node: nodes
    // are numbered as they are added, so recording keeps them in order.
    std::vector<std::pair<NodeId, std::size_t>> nodes_;
};

// The changes buildMutatedTree() would record, without decoding a gene.
// Empty unless the comparison uses a comparator.
std::vector<GeneChange> mutatedGeneChanges(const GenomeComparison& genomes);

// The change of any gene of the examined genome, listed or not.
GeneChange geneChangeOf(const GeneRecord& gene, const GenomeComparison& genomes);

// Lines of text held in one buffer: a decoded gene has dozens of them, and
// a family's changes thousands.
class GeneLines {
public:
    GeneLines() = default;
    explicit GeneLines(const std::vector<std::string>& lines);

    std::size_t size() const { return ends_.size(); }
    bool empty() const { return ends_.empty(); }
    std::string_view operator[](std::size_t index) const
    {
        const std::size_t start = index == 0 ? 0 : ends_[index - 1];
        return std::string_view(text_).substr(start, ends_[index] - start);
    }
    void append(std::string_view line) { append(0, line); }
    // Appends line after indent blanks.
    void append(std::size_t indent, std::string_view line);
    bool operator==(const GeneLines& other) const = default;

private:
    std::string text_;
    std::vector<std::size_t> ends_;
};

// The decoded gene as lines: its subtree depth first, one leading space per
// level below the top line (as the breakdown dump writes it). A kind the
// decoder does not know gives no line.
GeneLines decodedLines(const GeneRecord& gene);

enum class LineChange {
    Same,
    Removed, // the comparator's line only
    Added,   // the examined gene's line only
};

// One line of the edit script; the indexes point into the two texts' lines
// (the one a line lacks is NoLine).
inline constexpr std::size_t NoLine = SIZE_MAX;
struct DiffLine {
    LineChange change = LineChange::Same;
    std::size_t comparatorLine = NoLine;
    std::size_t examinedLine = NoLine;
};

// A body byte that differs: its offset in the body and both values.
struct ByteChange {
    std::size_t offset = 0;
    std::uint8_t comparatorValue = 0;
    std::uint8_t examinedValue = 0;
};

// A comparator's gene against the examined gene: both decoded, a minimal
// edit script from the comparator's lines to the examined lines, and every
// differing body byte (over the comparator kind's body length), since not
// every byte has a line of its own.
struct GeneDiff {
    GeneLines comparatorLines;
    GeneLines examinedLines;
    std::vector<DiffLine> lines;
    std::vector<ByteChange> bytes;
};

GeneDiff diffGenes(const GeneRecord& comparatorGene, const GeneRecord& examinedGene);
// The same with the examined gene already decoded, for a gene with two
// comparators.
GeneDiff diffGenes(const GeneRecord& comparatorGene, const GeneRecord& examinedGene, const GeneLines& examinedLines);
// One diff per comparator of change, in its order; the examined gene is
// decoded once, and a second comparator holding the very gene of the first
// (as parents often do) shares its diff.
std::vector<GeneDiff> diffChange(const GeneChange& change);

// A minimal edit script turning before into after (Myers' algorithm, after
// the common head and tail are set aside): removals of a run stand before
// its additions.
std::vector<DiffLine> diffLines(const GeneLines& before, const GeneLines& after);

// One row of a side-by-side view: the line on each side (NoLine for a gap),
// and whether the row differs. A run of removed lines is paired row by row
// with the run of added lines that follows it.
struct SideBySideRow {
    std::size_t comparatorLine = NoLine;
    std::size_t examinedLine = NoLine;
    bool changed = false;
};
std::vector<SideBySideRow> sideBySideRows(const std::vector<DiffLine>& lines);

// One line about a diff: "Identical", or the number of side-by-side rows
// that differ and of body bytes that differ, for example "1 line changed, 2
// bytes differ"; bytes without a changed line are called out as not shown.
std::string changeSummary(const GeneDiff& diff);

// The change of one gene in the command-line tool's diff format: "@@ " and
// the examined gene's header line; per comparator "--- " and its file name,
// the edit script's lines prefixed "-", "+" or " ", and "byte N: A -> B" for
// each differing body byte. comparatorNames holds the two comparators' file
// names. With escapeControls, control characters in the texts and names are
// written as \xNN (for a terminal).
void appendChangeText(const GeneChange& change, const std::array<std::string, 2>& comparatorNames, std::string& out,
                      bool escapeControls = false);

} // namespace helixplot
