// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/displayTree.h"
#include "mapping/resultText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace helixplot {
namespace {

// A tree with every kind of place a match can sit: top level, deep inside a
// subtree, a last child whose parent has further siblings.
//   Brain Lobes
//    01 - Lobe ALPHA
//     Threshold alpha: 12
//    02 - Lobe beta
//   Organs
//    Organ Alpha
//     Receptor
//      Alpha Beta gamma
//   (empty)
struct Sample {
    DisplayTree tree;
    std::vector<NodeId> ids;
    Sample()
    {
        const NodeId lobes = add(tree.appendTopLevel("Brain Lobes"));
        const NodeId alpha = add(tree.addChild(lobes, "01 - Lobe ALPHA"));
        add(tree.addChild(alpha, "Threshold alpha: 12"));
        add(tree.addChild(lobes, "02 - Lobe beta"));
        const NodeId organs = add(tree.appendTopLevel("Organs"));
        const NodeId organ = add(tree.addChild(organs, "Organ Alpha"));
        const NodeId receptor = add(tree.addChild(organ, "Receptor"));
        add(tree.addChild(receptor, "Alpha Beta gamma"));
        add(tree.appendTopLevel(""));
    }
    NodeId add(NodeId id)
    {
        ids.push_back(id);
        return id;
    }
};

TEST(FindNodes, MatchesEveryNodeCaseInsensitivelyInDisplayOrder)
{
    const Sample s;
    const struct {
        const char* needle;
        std::vector<int> expected; // positions in display order
    } cases[] = {
        {"alpha", {1, 2, 5, 7}},
        {"ALPHA", {1, 2, 5, 7}},
        {"Beta", {3, 7}},
        {"lobe", {0, 1, 3}},
        {"a: 1", {2}},
        {"Brain Lobes", {0}},
        {"Brain Lobes!", {}},
        {"zeta", {}},
        {"", {}},
        {"Alpha Beta gamma and more", {}},
    };
    for (const auto& c : cases) {
        std::vector<NodeId> expected;
        for (int position : c.expected)
            expected.push_back(s.ids[static_cast<std::size_t>(position)]);
        EXPECT_EQ(findNodes(s.tree, c.needle), expected) << c.needle;
    }
}

TEST(FindNodes, OnlyAsciiLettersFold)
{
    DisplayTree tree;
    const NodeId latin = tree.appendTopLevel("Caf\xC9");
    tree.appendTopLevel("caf\xE9");
    tree.appendTopLevel("[x]");
    EXPECT_EQ(findNodes(tree, "CAF\xC9"), std::vector<NodeId>{latin});
    // '[' sorts next to the upper-case letters but is no letter.
    EXPECT_TRUE(findNodes(tree, "{X}").empty());
}

TEST(DumpSubtree, WritesTheNodeAndItsSubtreeOnlyIndentedFromTheNode)
{
    const Sample s;
    const struct {
        int position;
        const char* expected;
    } cases[] = {
        {0, "Brain Lobes\n 01 - Lobe ALPHA\n  Threshold alpha: 12\n 02 - Lobe beta\n"},
        {1, "01 - Lobe ALPHA\n Threshold alpha: 12\n"},
        {5, "Organ Alpha\n Receptor\n  Alpha Beta gamma\n"},
        {7, "Alpha Beta gamma\n"},
        {8, "\n"},
    };
    for (const auto& c : cases) {
        std::string out;
        dumpSubtree(s.tree, s.ids[static_cast<std::size_t>(c.position)], out);
        EXPECT_EQ(out, c.expected) << c.position;
    }
}

MappingResult sampleResult()
{
    MappingResult result;
    for (std::size_t i = 0; i < StatisticsRowCount; ++i)
        result.statistics[i] = {"1 (" + std::to_string(i) + ")", std::to_string(i), "--"};
    result.statistics[0].maternal = "say \"hi\", twice";
    result.mutatedGenes.addChild(result.mutatedGenes.appendTopLevel("Mutated"), "gene m");
    result.missingGenes.appendTopLevel("Missing");
    result.additionalGenes.appendTopLevel("Additional");
    result.breakdown.addChild(result.breakdown.appendTopLevel("Organs"), "organ");
    return result;
}

TEST(PageText, ThePagesInOrderAreTheWholeMappingText)
{
    const MappingResult result = sampleResult();
    const std::string all = pageText(result, ResultPage::Statistics) + pageText(result, ResultPage::Mutated) +
                            pageText(result, ResultPage::Missing) + pageText(result, ResultPage::Additional) +
                            pageText(result, ResultPage::Breakdown);
    EXPECT_EQ(all, mappingResultText(result, true));
    EXPECT_EQ(pageText(result, ResultPage::Mutated), "== Mutated genes\nMutated\n gene m\n");
    EXPECT_EQ(pageText(result, ResultPage::Breakdown), "== Genome Breakdown\nOrgans\n organ\n");
}

TEST(StatisticsCsv, HeaderAndNineteenRowsQuotedWhereNeeded)
{
    const std::string csv = statisticsCsv(sampleResult());
    std::vector<std::string> lines;
    for (std::size_t from = 0; from < csv.size();) {
        const std::size_t end = csv.find("\r\n", from);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(csv.substr(from, end - from));
        from = end + 2;
    }
    ASSERT_EQ(lines.size(), 1 + StatisticsRowCount);
    EXPECT_EQ(lines[0], "Type of Gene,Mutated Genes (Out Of),Maternal Comparator,Paternal Comparator");
    EXPECT_EQ(lines[1], "Brain Lobes,1 (0),\"say \"\"hi\"\", twice\",--");
    EXPECT_EQ(lines[2], "Brain Organs,1 (1),1,--");
    EXPECT_EQ(lines[19], "Non-Expressed Genes,1 (18),18,--");
}

} // namespace
} // namespace helixplot
