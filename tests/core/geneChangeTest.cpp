// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/geneChange.h"
#include "decoder/unitGeneDecoder.h"
#include "genomeBuilder.h"
#include "mapping/comparisonTrees.h"
#include "mapping/geneMatching.h"
#include "mapping/mappingRun.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GenomeBuilder;
using testing::makeGene;

GeneRecord withByte(GeneRecord gene, std::size_t offset, std::uint8_t value)
{
    gene.body[offset] = value;
    return gene;
}

// The changed lines of a diff, "-text" and "+text", in script order.
std::vector<std::string> changedLines(const GeneDiff& diff)
{
    std::vector<std::string> out;
    for (const DiffLine& line : diff.lines) {
        if (line.change == LineChange::Removed)
            out.push_back("-" + std::string(diff.comparatorLines[line.comparatorLine]));
        else if (line.change == LineChange::Added)
            out.push_back("+" + std::string(diff.examinedLines[line.examinedLine]));
    }
    return out;
}

std::string bytesText(const std::vector<ByteChange>& bytes)
{
    std::string out;
    for (const ByteChange& b : bytes)
        out += std::to_string(b.offset) + ":" + std::to_string(b.comparatorValue) + ">" +
               std::to_string(b.examinedValue) + " ";
    return out;
}

// A lobe whose cell rule is "<end>" at once: the rule's other eleven bytes
// have no line.
const GeneRecord Lobe = makeGene(GeneKind::BrainLobe, 1, {0, 0, 0, 0, 0, 3});
const GeneRecord HalfLives = makeGene(GeneKind::HalfLives, 0);

TEST(GeneChange, DiffOfTwoGenes)
{
    GeneRecord flagged = Lobe;
    flagged.header.flags = 1;
    const struct {
        const char* name;
        GeneRecord comparator;
        GeneRecord examined;
        std::vector<std::string> changed;
        std::string bytes;
        std::string summary;
    } cases[] = {
        {"one lobe byte, one line",
         Lobe,
         withByte(Lobe, 5, 4),
         {"-  Nominal State Threshold = 3", "+  Nominal State Threshold = 4"},
         "5:3>4 ",
         "1 line changed, 1 byte differs"},
        {"a byte no line shows",
         Lobe,
         withByte(Lobe, 15, 7),
         {},
         "15:0>7 ",
         "No line changed, 1 byte differs (not shown in the text)"},
        {"half-lives, last byte",
         HalfLives,
         withByte(HalfLives, 255, 3),
         {"-  - 0 (Instantly)", "+  - 3 (Instantly)"},
         "255:0>3 ",
         "1 line changed, 1 byte differs"},
        {"two bytes, one shown",
         Lobe,
         withByte(withByte(Lobe, 5, 9), 12, 1),
         {"-  Nominal State Threshold = 3", "+  Nominal State Threshold = 9"},
         "5:3>9 12:0>1 ",
         "1 line changed, 2 bytes differ"},
        {"header only",
         Lobe,
         flagged,
         {"-01 - Emb ---/---/--- 0 Perception Lobe", "+01 - Emb mut/---/--- 0 Perception Lobe"},
         "",
         "1 line changed, 0 bytes differ"},
        {"identical", Lobe, Lobe, {}, "", "Identical"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const GeneDiff diff = diffGenes(c.comparator, c.examined);
        EXPECT_EQ(diff.comparatorLines, decodedLines(c.comparator));
        EXPECT_EQ(diff.examinedLines, decodedLines(c.examined));
        EXPECT_EQ(changedLines(diff), c.changed);
        EXPECT_EQ(bytesText(diff.bytes), c.bytes);
        EXPECT_EQ(changeSummary(diff), c.summary);
        // Every line of both texts stands in the script exactly once.
        EXPECT_EQ(diff.lines.size(), diff.comparatorLines.size() + c.changed.size() / 2);
    }
}

TEST(GeneChange, DecodedLinesIndentOneSpacePerLevel)
{
    const GeneLines lines = decodedLines(Lobe);
    ASSERT_EQ(lines.size(), 47u);
    EXPECT_EQ(lines[0], "01 - Emb ---/---/--- 0 Perception Lobe");
    EXPECT_EQ(lines[3], " Cell Body Dynamics");
    EXPECT_EQ(lines[4], "  Nominal State Threshold = 3");
    EXPECT_TRUE(decodedLines(makeGene(4, 0, 0)).empty());
}

// Length of the longest common subsequence, by the textbook table.
std::size_t lcsLength(const std::vector<std::string>& a, const std::vector<std::string>& b)
{
    std::vector<std::vector<std::size_t>> t(a.size() + 1, std::vector<std::size_t>(b.size() + 1, 0));
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j)
            t[i][j] = a[i - 1] == b[j - 1] ? t[i - 1][j - 1] + 1 : std::max(t[i - 1][j], t[i][j - 1]);
    return t[a.size()][b.size()];
}

TEST(GeneChange, LineDiffIsAValidMinimalScriptWithRemovalsFirst)
{
    std::mt19937 random(1207);
    for (int round = 0; round < 2000; ++round) {
        // Mostly short texts, some of a lobe's length.
        const unsigned longest = round < 1800 ? 9 : 60;
        std::vector<std::string> before(random() % longest);
        std::vector<std::string> after(random() % longest);
        for (auto& line : before)
            line = std::string(1, static_cast<char>('a' + random() % 3));
        for (auto& line : after)
            line = std::string(1, static_cast<char>('a' + random() % 3));
        const std::vector<DiffLine> script = diffLines(GeneLines(before), GeneLines(after));

        std::vector<std::string> left;
        std::vector<std::string> right;
        std::size_t edits = 0;
        for (std::size_t i = 0; i < script.size(); ++i) {
            const DiffLine& line = script[i];
            if (line.change != LineChange::Added)
                left.push_back(before.at(line.comparatorLine));
            if (line.change != LineChange::Removed)
                right.push_back(after.at(line.examinedLine));
            if (line.change == LineChange::Same)
                EXPECT_EQ(before.at(line.comparatorLine), after.at(line.examinedLine));
            else
                ++edits;
            if (i > 0 && line.change == LineChange::Removed) {
                EXPECT_NE(script[i - 1].change, LineChange::Added) << "round " << round;
            }
        }
        ASSERT_EQ(left, before) << "round " << round;
        ASSERT_EQ(right, after) << "round " << round;
        ASSERT_EQ(edits, before.size() + after.size() - 2 * lcsLength(before, after)) << "round " << round;
    }
}

TEST(GeneChange, SideBySideRowsPairRemovalsWithAdditions)
{
    using L = LineChange;
    const struct {
        const char* name;
        std::vector<DiffLine> script;
        std::string rows; // comparator line / examined line, "." for a gap, "*" when changed
    } cases[] = {
        {"same lines", {{L::Same, 0, 0}, {L::Same, 1, 1}}, "0/0 1/1 "},
        {"one changed",
         {{L::Same, 0, 0}, {L::Removed, 1, NoLine}, {L::Added, NoLine, 1}, {L::Same, 2, 2}},
         "0/0 1/1* 2/2 "},
        {"more removed",
         {{L::Removed, 0, NoLine}, {L::Removed, 1, NoLine}, {L::Added, NoLine, 0}, {L::Same, 2, 1}},
         "0/0* 1/.* 2/1 "},
        {"more added", {{L::Removed, 0, NoLine}, {L::Added, NoLine, 0}, {L::Added, NoLine, 1}}, "0/0* ./1* "},
        {"added only", {{L::Same, 0, 0}, {L::Added, NoLine, 1}}, "0/0 ./1* "},
        {"nothing", {}, ""},
    };
    auto number = [](std::size_t n) { return n == NoLine ? std::string(".") : std::to_string(n); };
    for (const auto& c : cases) {
        std::string rows;
        for (const SideBySideRow& row : sideBySideRows(c.script))
            rows += number(row.comparatorLine) + "/" + number(row.examinedLine) + (row.changed ? "* " : " ");
        EXPECT_EQ(rows, c.rows) << c.name;
    }
}

// "key: comparator(differs) ..." for each change.
std::vector<std::string> changeKeys(const std::vector<GeneChange>& changes)
{
    std::vector<std::string> out;
    for (const GeneChange& change : changes) {
        const GeneHeader& h = change.examined.header;
        std::string text = std::to_string(h.type) + "," + std::to_string(h.subtype) + "," + std::to_string(h.id) + ":";
        for (const ComparatorGene& c : change.comparators)
            text += " " + std::to_string(c.comparator) + (c.differs ? "d" : "=");
        out.push_back(text);
    }
    return out;
}

TEST(GeneChange, MutatedChangesFollowTheMutatedTree)
{
    auto pose = [](std::uint8_t id, std::uint8_t value) { return makeGene(GeneKind::Pose, id, {value}); };
    const GeneRecord lobe = withByte(Lobe, 5, 4);
    const GeneRecord genus = makeGene(GeneKind::Genus, 0, {1});
    // Loose: poses 1 to 5 and a genus; then an organ with the lobe: the tree
    // puts "Brain Lobes" before "Creature Poses".
    const TGeneticsFile examined =
        GenomeBuilder{pose(1, 1), pose(2, 1), pose(3, 1), pose(4, 1), pose(5, 1), genus, makeGene(GeneKind::Organ, 1),
                      lobe}
            .genome();
    // Pose 1: both parents, one identical. 2: both differ. 3: the father
    // alone (differs). 4: neither. 5: the mother alone (differs).
    const TGeneticsFile mother =
        GenomeBuilder{pose(1, 1), pose(2, 2), pose(5, 2), makeGene(GeneKind::Genus, 0, {2}), Lobe}.genome();
    const TGeneticsFile father = GenomeBuilder{pose(1, 2), pose(2, 3), pose(3, 2)}.genome();

    const struct {
        MappingMode mode;
        std::vector<std::string> keys;
    } cases[] = {
        {MappingMode::Single, {"0,0,1: 0d", "2,3,2: 0d", "2,3,3:", "2,3,4:", "2,3,5: 0d"}},
        {MappingMode::Dual, {"0,0,1: 0d", "2,3,2: 0d 1d", "2,3,3: 1d", "2,3,4:", "2,3,5: 0d"}},
        {MappingMode::Breakdown, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.mode));
        MappingResult result;
        SilentProgress silent;
        MappingRun(MappingInput{c.mode, &examined, &mother, &father}, result, silent);
        EXPECT_EQ(changeKeys(result.mutatedChanges.list()), c.keys);
        const GenomeComparison comparison(MappingInput{c.mode, &examined, &mother, &father});
        EXPECT_EQ(changeKeys(mutatedGeneChanges(comparison)), c.keys);
        if (c.mode == MappingMode::Breakdown)
            continue;
        // The n-th gene under the families is the n-th change.
        std::size_t n = 0;
        for (NodeId family = result.mutatedGenes.firstTopLevel(); family != NoNode;
             family = result.mutatedGenes.nextSibling(family)) {
            EXPECT_EQ(result.mutatedChanges.of(result.mutatedGenes, family), nullptr);
            for (NodeId gene = result.mutatedGenes.firstChild(family); gene != NoNode;
                 gene = result.mutatedGenes.nextSibling(gene), ++n) {
                ASSERT_LT(n, result.mutatedChanges.size());
                EXPECT_EQ(result.mutatedChanges.of(result.mutatedGenes, gene), &result.mutatedChanges[n]);
                EXPECT_TRUE(
                    result.mutatedGenes.text(gene).starts_with(geneHeaderLine(result.mutatedChanges[n].examined)));
            }
        }
        EXPECT_EQ(n, result.mutatedChanges.size());
        // A line two levels below the lobe's top line ("Cell Body Dynamics"
        // and its first line).
        const NodeId lobeNode = result.mutatedGenes.firstChild(result.mutatedGenes.firstTopLevel());
        const NodeId dynamics = result.mutatedGenes.childAt(lobeNode, 2);
        ASSERT_EQ(result.mutatedGenes.text(dynamics), "Cell Body Dynamics");
        EXPECT_EQ(result.mutatedChanges.of(result.mutatedGenes, result.mutatedGenes.firstChild(dynamics)),
                  &result.mutatedChanges[0]);

        // Not asked for, none are made; the tree is the same.
        MappingResult treeOnly;
        MappingRun(MappingInput{c.mode, &examined, &mother, &father, false}, treeOnly, silent);
        EXPECT_TRUE(treeOnly.mutatedChanges.empty());
        EXPECT_EQ(treeOnly.mutatedGenes.nodeCount(), result.mutatedGenes.nodeCount());
    }

    // Pose 1 is not listed, yet its change can be asked for.
    const GenomeComparison dual(MappingInput{MappingMode::Dual, &examined, &mother, &father});
    EXPECT_EQ(changeKeys({geneChangeOf(pose(1, 1), dual)}), std::vector<std::string>{"2,3,1: 0= 1d"});
    EXPECT_EQ(MutatedChanges().of(DisplayTree(), NoNode), nullptr);
}

TEST(GeneChange, TextOfAChange)
{
    GeneRecord pigment = makeGene(GeneKind::Pigment, 2, {1, 12});
    pigment.header.flags = 1;
    const GeneRecord motherPigment = makeGene(GeneKind::Pigment, 2, {1, 10});
    GeneChange change{pigment, {{0, motherPigment, true}, {1, pigment, false}}};
    std::string out;
    appendChangeText(change, {"mum.gen", "dad.gen"}, out);
    appendChangeText(GeneChange{withByte(Lobe, 15, 7), {{1, Lobe, true}}}, {"mum.gen", "dad.gen"}, out);
    appendChangeText(GeneChange{Lobe, {}}, {"mum.gen", "dad.gen"}, out);
    // Parents holding the very same gene share one diff.
    const GeneChange shared{withByte(Lobe, 5, 9), {{0, Lobe, true}, {1, Lobe, true}}};
    const std::vector<GeneDiff> diffs = diffChange(shared);
    ASSERT_EQ(diffs.size(), 2u);
    EXPECT_EQ(changedLines(diffs[1]), changedLines(diffs[0]));
    EXPECT_EQ(bytesText(diffs[1].bytes), "5:3>9 ");
    EXPECT_EQ(bytesText(diffChange(change)[0].bytes), "1:10>12 ");
    EXPECT_EQ(bytesText(diffChange(change)[1].bytes), "");

    std::string lobeLines;
    const GeneLines lines = decodedLines(Lobe);
    for (std::size_t i = 0; i < lines.size(); ++i)
        lobeLines += " " + std::string(lines[i]) + "\n";
    EXPECT_EQ(out, "@@ 02 - Emb mut/---/--- 0 \n"
                   "--- mum.gen\n"
                   "-02 - Emb ---/---/--- 0 Green 10\n"
                   "+02 - Emb mut/---/--- 0 Green 12\n"
                   "byte 1: 10 -> 12\n"
                   "--- dad.gen\n"
                   " 02 - Emb mut/---/--- 0 Green 12\n"
                   "@@ 01 - Emb ---/---/--- 0 \n"
                   "--- dad.gen\n" +
                       lobeLines +
                       "byte 15: 0 -> 7\n"
                       "@@ 01 - Emb ---/---/--- 0 \n");
}

} // namespace
} // namespace helixplot
