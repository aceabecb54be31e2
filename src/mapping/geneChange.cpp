// SPDX-License-Identifier: GPL-3.0-or-later
#include "geneChange.h"

#include "comparisonTrees.h"
#include "decoder/decoderText.h"
#include "decoder/unitGeneDecoder.h"
#include "geneMatching.h"
#include "genetics/inOutError.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace helixplot {

namespace {

void addComparator(std::size_t comparator, const GeneRecord* found, const GeneRecord& gene, GeneChange& change)
{
    if (found)
        change.comparators.push_back({comparator, *found, genesDiffer(*found, gene)});
}

// Myers' greedy algorithm over before[from, from + n) and after[from, from +
// m): appends the script for that middle part to out. Two genes of one key
// that have nothing in common (a lobe against another lobe) take D of a few
// hundred, so the trace lives in one buffer kept between calls and lines are
// compared by hash first.
void myersScript(const GeneLines& before, const GeneLines& after, std::size_t from, std::size_t n, std::size_t m,
                 std::vector<DiffLine>& out)
{
    const auto N = static_cast<std::int32_t>(n);
    const auto M = static_cast<std::int32_t>(m);
    const std::int32_t max = N + M;

    thread_local std::vector<std::size_t> beforeHash;
    thread_local std::vector<std::size_t> afterHash;
    const std::hash<std::string_view> hash;
    beforeHash.resize(n);
    afterHash.resize(m);
    for (std::size_t i = 0; i < n; ++i)
        beforeHash[i] = hash(before[from + i]);
    for (std::size_t i = 0; i < m; ++i)
        afterHash[i] = hash(after[from + i]);
    auto same = [&](std::int32_t x, std::int32_t y) {
        const auto bx = static_cast<std::size_t>(x);
        const auto ay = static_cast<std::size_t>(y);
        return beforeHash[bx] == afterHash[ay] && before[from + bx] == after[from + ay];
    };

    // v holds the furthest x on each diagonal; trace keeps v's diagonals -d..d
    // after step d at trace[d * d].
    thread_local std::vector<std::int32_t> v;
    thread_local std::vector<std::int32_t> trace;
    const std::int32_t offset = max + 1;
    v.assign(static_cast<std::size_t>(2 * max + 3), 0);
    trace.clear();
    auto at = [&](std::int32_t k) -> std::int32_t& { return v[static_cast<std::size_t>(k + offset)]; };
    std::int32_t d = 0;
    for (; d <= max; ++d) {
        bool done = false;
        for (std::int32_t k = -d; k <= d; k += 2) {
            std::int32_t x = (k == -d || (k != d && at(k - 1) < at(k + 1))) ? at(k + 1) : at(k - 1) + 1;
            std::int32_t y = x - k;
            while (x < N && y < M && same(x, y)) {
                ++x;
                ++y;
            }
            at(k) = x;
            if (x >= N && y >= M)
                done = true;
        }
        trace.insert(trace.end(), v.begin() + (offset - d), v.begin() + (offset + d + 1));
        if (done)
            break;
    }

    const std::size_t first = out.size();
    std::int32_t x = N;
    std::int32_t y = M;
    auto index = [&](std::int32_t i) { return from + static_cast<std::size_t>(i); };
    for (; d > 0; --d) {
        const std::size_t previous = static_cast<std::size_t>(d - 1) * static_cast<std::size_t>(d - 1);
        auto prev = [&](std::int32_t k) { return trace[previous + static_cast<std::size_t>(k + d - 1)]; };
        const std::int32_t k = x - y;
        const bool down = k == -d || (k != d && prev(k - 1) < prev(k + 1));
        const std::int32_t prevK = down ? k + 1 : k - 1;
        const std::int32_t prevX = prev(prevK);
        const std::int32_t prevY = prevX - prevK;
        const std::int32_t snakeX = down ? prevX : prevX + 1;
        for (; x > snakeX; --x, --y)
            out.push_back({LineChange::Same, index(x - 1), index(y - 1)});
        if (down)
            out.push_back({LineChange::Added, NoLine, index(prevY)});
        else
            out.push_back({LineChange::Removed, index(prevX), NoLine});
        x = prevX;
        y = prevY;
    }
    for (; x > 0; --x, --y)
        out.push_back({LineChange::Same, index(x - 1), index(y - 1)});
    std::reverse(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
}

// Over the comparator kind's body length, as genesDiffer compares.
template <typename Visit>
void forEachDifferingByte(const GeneRecord& comparatorGene, const GeneRecord& examinedGene, Visit&& visit)
{
    const std::size_t length = bodyLength(comparatorGene.header.type, comparatorGene.header.subtype);
    for (std::size_t i = 0; i < length; ++i)
        if (comparatorGene.body[i] != examinedGene.body[i])
            visit(ByteChange{i, comparatorGene.body[i], examinedGene.body[i]});
}

std::string plural(std::size_t count, std::string_view one, std::string_view many)
{
    return concatText(count, " ", count == 1 ? one : many);
}

} // namespace

GeneChange geneChangeOf(const GeneRecord& gene, const GenomeComparison& genomes)
{
    GeneChange change;
    change.examined = gene;
    if (genomes.usesMother())
        addComparator(0, genomes.motherGenes().findGene(gene), gene, change);
    if (genomes.usesFather())
        addComparator(1, genomes.fatherGenes().findGene(gene), gene, change);
    return change;
}

const GeneChange* MutatedChanges::of(const DisplayTree& mutatedTree, NodeId node) const
{
    if (node == NoNode || node == mutatedTree.root())
        return nullptr;
    NodeId family = mutatedTree.parent(node);
    if (family == NoNode)
        return nullptr;
    while (mutatedTree.parent(family) != NoNode) {
        node = family;
        family = mutatedTree.parent(family);
    }
    const auto at = std::lower_bound(nodes_.begin(), nodes_.end(), std::pair{node, std::size_t{0}});
    return at != nodes_.end() && at->first == node ? &changes_[at->second] : nullptr;
}

void MutatedChanges::clear()
{
    changes_.clear();
    nodes_.clear();
}

void MutatedChanges::record(NodeId geneNode, GeneChange change)
{
    nodes_.emplace_back(geneNode, changes_.size());
    changes_.push_back(std::move(change));
}

void MutatedChanges::finish(const DisplayTree& mutatedTree)
{
    std::vector<GeneChange> inTreeOrder;
    inTreeOrder.reserve(changes_.size());
    for (NodeId family = mutatedTree.firstTopLevel(); family != NoNode; family = mutatedTree.nextSibling(family))
        for (NodeId gene = mutatedTree.firstChild(family); gene != NoNode; gene = mutatedTree.nextSibling(gene)) {
            const auto at = std::lower_bound(nodes_.begin(), nodes_.end(), std::pair{gene, std::size_t{0}});
            if (at == nodes_.end() || at->first != gene)
                continue;
            inTreeOrder.push_back(std::move(changes_[at->second]));
            at->second = inTreeOrder.size() - 1;
        }
    changes_ = std::move(inTreeOrder);
}

GeneLines::GeneLines(const std::vector<std::string>& lines)
{
    for (const std::string& line : lines)
        append(line);
}

void GeneLines::append(std::size_t indent, std::string_view line)
{
    text_.append(indent, ' ');
    text_.append(line);
    ends_.push_back(text_.size());
}

GeneLines decodedLines(const GeneRecord& gene)
{
    // One scratch tree for every call: decoding a family's changes would
    // otherwise cost allocations a gene for nothing.
    thread_local DisplayTree tree;
    tree.clear();
    decodeGene(gene, tree, tree.root());
    GeneLines lines;
    walkTree(
        tree, [&](NodeId node, std::size_t depth) { lines.append(depth, tree.text(node)); }, [](NodeId) {});
    return lines;
}

std::vector<DiffLine> diffLines(const GeneLines& before, const GeneLines& after)
{
    const std::size_t n = before.size();
    const std::size_t m = after.size();
    // A mutation mostly touches a line or two: the common head and tail
    // leave Myers a small middle.
    std::size_t head = 0;
    while (head < n && head < m && before[head] == after[head])
        ++head;
    std::size_t tail = 0;
    while (tail < n - head && tail < m - head && before[n - 1 - tail] == after[m - 1 - tail])
        ++tail;

    std::vector<DiffLine> middle;
    const std::size_t removed = n - head - tail;
    const std::size_t added = m - head - tail;
    // The common cases need no search: lines only added, only removed, or
    // one line for another.
    if (removed > 0 && added > 0 && removed + added > 2)
        myersScript(before, after, head, removed, added, middle);

    std::vector<DiffLine> script;
    script.reserve(head + tail + std::max(middle.size(), removed + added));
    for (std::size_t i = 0; i < head; ++i)
        script.push_back({LineChange::Same, i, i});
    if (middle.empty()) {
        for (std::size_t i = head; i < head + removed; ++i)
            script.push_back({LineChange::Removed, i, NoLine});
        for (std::size_t i = head; i < head + added; ++i)
            script.push_back({LineChange::Added, NoLine, i});
    } else {
        // Removals first within each run of changes, as a reader expects.
        for (std::size_t run = 0; run < middle.size();) {
            if (middle[run].change == LineChange::Same) {
                script.push_back(middle[run++]);
                continue;
            }
            std::size_t end = run;
            while (end < middle.size() && middle[end].change != LineChange::Same)
                ++end;
            for (std::size_t i = run; i < end; ++i)
                if (middle[i].change == LineChange::Removed)
                    script.push_back(middle[i]);
            for (std::size_t i = run; i < end; ++i)
                if (middle[i].change == LineChange::Added)
                    script.push_back(middle[i]);
            run = end;
        }
    }
    for (std::size_t i = tail; i > 0; --i)
        script.push_back({LineChange::Same, n - i, m - i});
    return script;
}

GeneDiff diffGenes(const GeneRecord& comparatorGene, const GeneRecord& examinedGene)
{
    return diffGenes(comparatorGene, examinedGene, decodedLines(examinedGene));
}

GeneDiff diffGenes(const GeneRecord& comparatorGene, const GeneRecord& examinedGene, const GeneLines& examinedLines)
{
    GeneDiff diff;
    diff.comparatorLines = decodedLines(comparatorGene);
    diff.examinedLines = examinedLines;
    diff.lines = diffLines(diff.comparatorLines, diff.examinedLines);
    forEachDifferingByte(comparatorGene, examinedGene, [&](const ByteChange& b) { diff.bytes.push_back(b); });
    return diff;
}

std::vector<GeneDiff> diffChange(const GeneChange& change)
{
    std::vector<GeneDiff> diffs;
    if (change.comparators.empty())
        return diffs;
    diffs.reserve(change.comparators.size());
    const GeneLines examinedLines = decodedLines(change.examined);
    for (std::size_t i = 0; i < change.comparators.size(); ++i) {
        const GeneRecord& gene = change.comparators[i].gene;
        if (i > 0 && std::memcmp(&gene, &change.comparators[i - 1].gene, sizeof(GeneRecord)) == 0)
            diffs.push_back(diffs.back());
        else
            diffs.push_back(diffGenes(gene, change.examined, examinedLines));
    }
    return diffs;
}

std::vector<SideBySideRow> sideBySideRows(const std::vector<DiffLine>& lines)
{
    std::vector<SideBySideRow> rows;
    rows.reserve(lines.size());
    std::size_t i = 0;
    while (i < lines.size()) {
        if (lines[i].change == LineChange::Same) {
            rows.push_back({lines[i].comparatorLine, lines[i].examinedLine, false});
            ++i;
            continue;
        }
        std::vector<std::size_t> removed;
        std::vector<std::size_t> added;
        for (; i < lines.size() && lines[i].change != LineChange::Same; ++i) {
            if (lines[i].change == LineChange::Removed)
                removed.push_back(lines[i].comparatorLine);
            else
                added.push_back(lines[i].examinedLine);
        }
        for (std::size_t r = 0; r < std::max(removed.size(), added.size()); ++r)
            rows.push_back({r < removed.size() ? removed[r] : NoLine, r < added.size() ? added[r] : NoLine, true});
    }
    return rows;
}

std::string changeSummary(const GeneDiff& diff)
{
    const auto rows = sideBySideRows(diff.lines);
    const auto changed =
        static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const auto& r) { return r.changed; }));
    if (changed == 0 && diff.bytes.empty())
        return "Identical";
    const std::string bytes = plural(diff.bytes.size(), "byte differs", "bytes differ");
    if (changed == 0)
        return "No line changed, " + bytes + " (not shown in the text)";
    return plural(changed, "line changed", "lines changed") + ", " + bytes;
}

void appendChangeText(const GeneChange& change, const std::array<std::string, 2>& comparatorNames, std::string& out,
                      bool escapeControls)
{
    std::string escaped;
    auto shown = [&](std::string_view text) -> std::string_view {
        if (!escapeControls)
            return text;
        escaped = escapedForMessage(text);
        return escaped;
    };
    appendPieces(out, "@@ ", shown(geneHeaderLine(change.examined)), "\n");
    const std::vector<GeneDiff> diffs = diffChange(change);
    for (std::size_t i = 0; i < diffs.size(); ++i) {
        const GeneDiff& diff = diffs[i];
        appendPieces(out, "--- ", shown(comparatorNames.at(change.comparators[i].comparator)), "\n");
        for (const DiffLine& line : diff.lines) {
            switch (line.change) {
            case LineChange::Same:
                appendPieces(out, " ", shown(diff.examinedLines[line.examinedLine]), "\n");
                break;
            case LineChange::Removed:
                appendPieces(out, "-", shown(diff.comparatorLines[line.comparatorLine]), "\n");
                break;
            case LineChange::Added:
                appendPieces(out, "+", shown(diff.examinedLines[line.examinedLine]), "\n");
                break;
            }
        }
        for (const ByteChange& b : diff.bytes)
            appendPieces(out, "byte ", b.offset, ": ", b.comparatorValue, " -> ", b.examinedValue, "\n");
    }
}

} // namespace helixplot
