// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodedText.h"
#include "decoder/unitGeneDecoder.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::makeGene;

constexpr std::size_t Dendrite0 = 22;
constexpr std::size_t Dendrite1 = 109;

// A lobe body of zeros with runs of bytes placed at offsets.
struct LobeBody {
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(196, 0);
    LobeBody& put(std::size_t offset, std::initializer_list<std::uint8_t> run)
    {
        for (std::uint8_t b : run)
            bytes.at(offset++) = b;
        return *this;
    }
};

std::string dumpLobe(const GeneRecord& gene)
{
    return testing::decodedText(gene, decodeLobe);
}

// Text of the node reached from node by child indexes.
std::string textAt(const DisplayTree& tree, NodeId node, const std::vector<std::size_t>& path)
{
    for (std::size_t index : path) {
        if (index >= tree.childCount(node))
            return "<no child " + std::to_string(index) + ">";
        node = tree.childAt(node, index);
    }
    return std::string(tree.text(node));
}

TEST(LobeDecoder, DecodesWholeGene)
{
    GeneFields fields;
    fields.id = 5;
    fields.flags = 0x21;
    fields.lifeStage = 1;
    fields.headerValue = 12;
    LobeBody body;
    body.put(0, {30, 2, 12, 4, 2, 5, 6, 7, 8})
        .put(9, {9, 31, 2, 0, 41, 41, 41}) // tokens after the end are never read
        .put(21, {1});
    body.put(Dendrite0, {1, 2, 9, 3, 4, 5, 6, 7, 8, 1, 10, 11, 12, 13})
        .put(Dendrite0 + 14, {19, 34, 0})
        .put(Dendrite0 + 26, {26, 20, 35, 0})
        .put(Dendrite0 + 39, {18, 33, 24, 0})
        .put(Dendrite0 + 51, {16, 37, 17, 0})
        .put(Dendrite0 + 63, {10, 39, 11, 0})
        .put(Dendrite0 + 75, {40, 0});
    body.put(Dendrite1, {7, 0, 255, 0, 200, 1, 2, 3, 4, 2, 100, 101, 102, 103})
        .put(Dendrite1 + 14, {41, 42, 255, 0})
        .put(Dendrite1 + 26, {104, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31})
        .put(Dendrite1 + 39, {25, 26, 27, 28, 29, 30, 0})
        .put(Dendrite1 + 51, {1, 2, 3, 4, 22, 23, 0})
        .put(Dendrite1 + 63, {5, 6, 7, 8, 0})
        .put(Dendrite1 + 75, {12, 13, 14, 15, 36, 38, 0});

    const std::string expected =
        "05 - Chl mut/---/--- (12) Decision Lobe\n"
        " 12 x 4 at (30,2)\n"
        " This and the perception lobe are mutually exclusive\n"
        " Cell Body Dynamics\n"
        "  Nominal State Threshold = 5\n"
        "  Leakage rate = 6\n"
        "  Rest state = 7\n"
        "  Attenuation (input lo/hi) = 8\n"
        "  Winner takes all\n"
        "  SVRule = state:PLUS:1:<end>\n"
        " Dendrites (Type 0)\n"
        "  Growth\n"
        "   Dendrites Source from Drive i/ps\n"
        "   Number of Dendrites ranges from 2 to 9\n"
        "   Spreading pattern is \"waS\" (Reverse Saw)\n"
        "   Fan out Width = 4\n"
        "   Initial Long Term Weight Range is from 5 to 6\n"
        "   Initial Dendrite Strength ranges from 7 to 8\n"
        "   Dendrites migrate if any are loose, and the cell is firing\n"
        "  Dynamics\n"
        "   Relaxation Succeptibility = 10\n"
        "   Relaxtion Short Term Weight = 11\n"
        "   Long Term Weight Gain = 12\n"
        "   Succeptibility Rule = Suscept:TIMES:rnd const:<end>\n"
        "   Reinforcement Rule = input:multiply:conduct:<end>\n"
        "   Back propogation Rule = output:move twrds:thres:<end>\n"
        "   Forward Propogation Rule = random:<end>\n"
        "   Gain Strength every 13 if STW:INCR:<end> > 0\n"
        "   Lose Strength every 26 if LTW:DECR:<end> > 0\n"
        " Dendrites (Type 1)\n"
        "  Growth\n"
        "   Dendrites Source from Attention/Seek o/ps\n"
        "   Number of Dendrites ranges from 0 to 255\n"
        "   Spreading pattern is \"Flat\"\n"
        "   Fan out Width = 200\n"
        "   Initial Long Term Weight Range is from 1 to 2\n"
        "   Initial Dendrite Strength ranges from 3 to 4\n"
        "   Dendrites migrate when all are loose.\n"
        "  Dynamics\n"
        "   Relaxation Succeptibility = 100\n"
        "   Relaxtion Short Term Weight = 101\n"
        "   Long Term Weight Gain = 102\n"
        "   Succeptibility Rule = chem 4:chem 5:leak in:leak out:curr src leak in:TRUE:<end>\n"
        "   Reinforcement Rule = 0:1:64:255:32:128:<end>\n"
        "   Back propogation Rule = chem 0:chem 1:chem 2:chem 3:<end>\n"
        "   Forward Propogation Rule = type 0:type 1:anded 0:anded 1:FALSE:average:<end>\n"
        "   Gain Strength every 103 if <ERROR>:UNK42:UNK255:<end> > 0\n"
        "   Lose Strength every 104 if PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS > 0\n";
    EXPECT_EQ(dumpLobe(makeGene(GeneKind::BrainLobe, fields, body.bytes)), expected);
}

TEST(LobeDecoder, DecodesZeroBody)
{
    const std::string dendrites = "  Growth\n"
                                  "   Dendrites Source from Perceptible i/ps\n"
                                  "   Number of Dendrites ranges from 0 to 0\n"
                                  "   Spreading pattern is \"Flat\"\n"
                                  "   Fan out Width = 0\n"
                                  "   Initial Long Term Weight Range is from 0 to 0\n"
                                  "   Initial Dendrite Strength ranges from 0 to 0\n"
                                  "   Dendrites never migrate\n"
                                  "  Dynamics\n"
                                  "   Relaxation Succeptibility = 0\n"
                                  "   Relaxtion Short Term Weight = 0\n"
                                  "   Long Term Weight Gain = 0\n"
                                  "   Succeptibility Rule = <end>\n"
                                  "   Reinforcement Rule = <end>\n"
                                  "   Back propogation Rule = <end>\n"
                                  "   Forward Propogation Rule = <end>\n"
                                  "   Gain Strength every 0 if <end> > 0\n"
                                  "   Lose Strength every 0 if <end> > 0\n";
    const std::string expected = "01 - Emb ---/---/--- 0 Perception Lobe\n"
                                 " 0 x 0 at (0,0)\n"
                                 " Data not copied to perception lobe\n"
                                 " Cell Body Dynamics\n"
                                 "  Nominal State Threshold = 0\n"
                                 "  Leakage rate = 0\n"
                                 "  Rest state = 0\n"
                                 "  Attenuation (input lo/hi) = 0\n"
                                 "  SVRule = <end>\n"
                                 " Dendrites (Type 0)\n" +
                                 dendrites + " Dendrites (Type 1)\n" + dendrites;
    EXPECT_EQ(dumpLobe(makeGene(GeneKind::BrainLobe, 1)), expected);
}

TEST(LobeDecoder, AppendsAsLastChildAndReturnsTopNode)
{
    DisplayTree tree;
    const NodeId parent = tree.appendTopLevel("Lobes");
    tree.addChild(parent, "first");
    const NodeId top = decodeLobe(makeGene(GeneKind::BrainLobe, 2), tree, parent);
    EXPECT_EQ(tree.parent(top), parent);
    EXPECT_EQ(tree.row(top), 1u);
    EXPECT_EQ(tree.text(top), "02 - Emb ---/---/--- 0 Drive Lobe");
    EXPECT_EQ(tree.childCount(top), 5u);
    // Top, extent, perception link, cell body with 5 lines, 2 x (dendrite node,
    // 2 groups, 16 lines).
    EXPECT_EQ(tree.nodeCount(), 2u + 1u + 2u + 6u + 2u * 19u);
}

TEST(LobeDecoder, TitlesEveryLobeAndFallsBackOutsideTheTable)
{
    const std::vector<std::pair<std::uint8_t, std::string>> titles = {
        {1, "Perception Lobe"},    {2, "Drive Lobe"},
        {3, "Source Lobe"},        {4, "Verb Lobe"},
        {5, "Decision Lobe"},      {6, "Attention Lobe"},
        {7, "Concept Lobe"},       {8, "Noun Lobe"},
        {9, "General Sense Lobe"}, {10, "Regulator Lobe (Velumbrin)"},
        {0, "Unknown lobe 0"},     {11, "Unknown lobe 11"},
        {255, "Unknown lobe 255"},
    };
    for (const auto& [id, title] : titles) {
        SCOPED_TRACE(title);
        const GeneRecord gene = makeGene(GeneKind::BrainLobe, id);
        DisplayTree tree;
        const NodeId top = decodeLobe(gene, tree, tree.root());
        EXPECT_EQ(tree.text(top), geneHeaderLine(gene) + title);
        // An unknown lobe still decodes in full.
        EXPECT_EQ(tree.childCount(top), 5u);
    }
}

struct LineCase {
    std::size_t offset;
    std::uint8_t value;
    std::vector<std::size_t> path; // from the top node
    std::string expected;
};

TEST(LobeDecoder, ShowsEveryTableTextAndFallback)
{
    const std::vector<LineCase> cases = {
        {4, 0, {1}, "Data not copied to perception lobe"},
        {4, 1, {1}, "Data Copied to perception lobe"},
        {4, 2, {1}, "This and the perception lobe are mutually exclusive"},
        {4, 3, {1}, "Unknown Perceptible Link of 3"},
        {4, 255, {1}, "Unknown Perceptible Link of 255"},
        {21, 1, {2, 4}, "Winner takes all"},
        {21, 2, {2, 4}, "Unknown Cell flags of 2"},
        {21, 3, {2, 4}, "Unknown Cell flags of 3"},
        {21, 255, {2, 4}, "Unknown Cell flags of 255"},
        {Dendrite0 + 0, 0, {3, 0, 0}, "Dendrites Source from Perceptible i/ps"},
        {Dendrite0 + 0, 1, {3, 0, 0}, "Dendrites Source from Drive i/ps"},
        {Dendrite0 + 0, 2, {3, 0, 0}, "Dendrites Source from Stim source i/ps"},
        {Dendrite0 + 0, 3, {3, 0, 0}, "Dendrites Source from Verb i/ps"},
        {Dendrite0 + 0, 4, {3, 0, 0}, "Dendrites Source from Noun i/ps"},
        {Dendrite0 + 0, 5, {3, 0, 0}, "Dendrites Source from General Sensory i/ps"},
        {Dendrite0 + 0, 6, {3, 0, 0}, "Dendrites Source from Decision o/ps"},
        {Dendrite0 + 0, 7, {3, 0, 0}, "Dendrites Source from Attention/Seek o/ps"},
        {Dendrite0 + 0, 8, {3, 0, 0}, "Dendrites Source from unknown lobe 8"},
        {Dendrite1 + 0, 255, {4, 0, 0}, "Dendrites Source from unknown lobe 255"},
        {Dendrite0 + 3, 0, {3, 0, 2}, "Spreading pattern is \"Flat\""},
        {Dendrite0 + 3, 1, {3, 0, 2}, "Spreading pattern is \"Normal\""},
        {Dendrite0 + 3, 2, {3, 0, 2}, "Spreading pattern is \"Saw\""},
        {Dendrite0 + 3, 3, {3, 0, 2}, "Spreading pattern is \"waS\" (Reverse Saw)"},
        {Dendrite0 + 3, 4, {3, 0, 2}, "Spreading pattern is unknown (4)"},
        {Dendrite1 + 3, 200, {4, 0, 2}, "Spreading pattern is unknown (200)"},
        {Dendrite0 + 9, 0, {3, 0, 6}, "Dendrites never migrate"},
        {Dendrite0 + 9, 1, {3, 0, 6}, "Dendrites migrate if any are loose, and the cell is firing"},
        {Dendrite0 + 9, 2, {3, 0, 6}, "Dendrites migrate when all are loose."},
        {Dendrite0 + 9, 3, {3, 0, 6}, "Unrecognised Migration rule: 3"},
        {Dendrite1 + 9, 255, {4, 0, 6}, "Unrecognised Migration rule: 255"},
    };
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.expected);
        LobeBody body;
        body.put(c.offset, {c.value});
        DisplayTree tree;
        const NodeId top = decodeLobe(makeGene(GeneKind::BrainLobe, 1, body.bytes), tree, tree.root());
        EXPECT_EQ(textAt(tree, top, c.path), c.expected);
    }
}

TEST(LobeDecoder, CellFlagsZeroAddsNoLine)
{
    DisplayTree tree;
    const NodeId top = decodeLobe(makeGene(GeneKind::BrainLobe, 1), tree, tree.root());
    EXPECT_EQ(tree.childCount(tree.childAt(top, 2)), 5u);
    EXPECT_EQ(textAt(tree, top, {2, 4}), "SVRule = <end>");
}

TEST(LobeDecoder, ReadsEachFieldFromItsOwnByte)
{
    // Every byte distinct, so a field read from a neighbour's byte shows.
    LobeBody body;
    for (std::size_t i = 0; i < 196; ++i)
        body.bytes[i] = static_cast<std::uint8_t>(100 + i % 100);
    body.put(4, {1}).put(21, {0});
    for (std::size_t d : {Dendrite0, Dendrite1}) {
        body.put(d, {static_cast<std::uint8_t>(d == Dendrite0 ? 3 : 6)});
        body.put(d + 3, {1}).put(d + 9, {0});
        for (std::size_t rule : {14, 27, 39, 51, 63, 75})
            body.put(d + rule, {0});
    }
    DisplayTree tree;
    const NodeId top = decodeLobe(makeGene(GeneKind::BrainLobe, 4, body.bytes), tree, tree.root());
    EXPECT_EQ(textAt(tree, top, {0}), "102 x 103 at (100,101)");
    EXPECT_EQ(textAt(tree, top, {2, 0}), "Nominal State Threshold = 105");
    EXPECT_EQ(textAt(tree, top, {2, 1}), "Leakage rate = 106");
    EXPECT_EQ(textAt(tree, top, {2, 2}), "Rest state = 107");
    EXPECT_EQ(textAt(tree, top, {2, 3}), "Attenuation (input lo/hi) = 108");
    // Dendrite 0 starts at byte 22, dendrite 1 at byte 109 (value 109 % 100).
    struct Expect {
        std::size_t group;
        std::uint8_t base;
        std::string source;
    };
    for (const Expect& e : {Expect{3, 22, "Verb i/ps"}, Expect{4, 9, "Decision o/ps"}}) {
        SCOPED_TRACE(e.group);
        auto n = [&](int offset) { return std::to_string(100 + (e.base + offset) % 100); };
        EXPECT_EQ(textAt(tree, top, {e.group, 0, 0}), "Dendrites Source from " + e.source);
        EXPECT_EQ(textAt(tree, top, {e.group, 0, 1}), "Number of Dendrites ranges from " + n(1) + " to " + n(2));
        EXPECT_EQ(textAt(tree, top, {e.group, 0, 2}), "Spreading pattern is \"Normal\"");
        EXPECT_EQ(textAt(tree, top, {e.group, 0, 3}), "Fan out Width = " + n(4));
        EXPECT_EQ(textAt(tree, top, {e.group, 0, 4}), "Initial Long Term Weight Range is from " + n(5) + " to " + n(6));
        EXPECT_EQ(textAt(tree, top, {e.group, 0, 5}), "Initial Dendrite Strength ranges from " + n(7) + " to " + n(8));
        EXPECT_EQ(textAt(tree, top, {e.group, 1, 0}), "Relaxation Succeptibility = " + n(10));
        EXPECT_EQ(textAt(tree, top, {e.group, 1, 1}), "Relaxtion Short Term Weight = " + n(11));
        EXPECT_EQ(textAt(tree, top, {e.group, 1, 2}), "Long Term Weight Gain = " + n(12));
        EXPECT_EQ(textAt(tree, top, {e.group, 1, 7}), "Gain Strength every " + n(13) + " if <end> > 0");
        EXPECT_EQ(textAt(tree, top, {e.group, 1, 8}), "Lose Strength every " + n(26) + " if <end> > 0");
    }
}

TEST(LobeDecoder, ReadsEachRuleFromItsOwnBytes)
{
    LobeBody body;
    // A distinct single-token rule in each of the thirteen rule slots, in
    // body order: gain, lose, susceptibility, reinforcement, back and forward
    // propagation.
    body.put(9, {1});
    const std::array<std::size_t, 6> rules = {14, 27, 39, 51, 63, 75};
    for (std::size_t i = 0; i < rules.size(); ++i) {
        body.put(Dendrite0 + rules[i], {static_cast<std::uint8_t>(2 + i)});
        body.put(Dendrite1 + rules[i], {static_cast<std::uint8_t>(20 + i)});
    }
    DisplayTree tree;
    const NodeId top = decodeLobe(makeGene(GeneKind::BrainLobe, 1, body.bytes), tree, tree.root());
    EXPECT_EQ(textAt(tree, top, {2, 4}), "SVRule = 0:<end>");
    EXPECT_EQ(textAt(tree, top, {3, 1, 3}), "Succeptibility Rule = 255:<end>");
    EXPECT_EQ(textAt(tree, top, {3, 1, 4}), "Reinforcement Rule = chem 0:<end>");
    EXPECT_EQ(textAt(tree, top, {3, 1, 5}), "Back propogation Rule = chem 1:<end>");
    EXPECT_EQ(textAt(tree, top, {3, 1, 6}), "Forward Propogation Rule = chem 2:<end>");
    EXPECT_EQ(textAt(tree, top, {3, 1, 7}), "Gain Strength every 0 if 1:<end> > 0");
    EXPECT_EQ(textAt(tree, top, {3, 1, 8}), "Lose Strength every 0 if 64:<end> > 0");
    EXPECT_EQ(textAt(tree, top, {4, 1, 3}), "Succeptibility Rule = 32:<end>");
    EXPECT_EQ(textAt(tree, top, {4, 1, 4}), "Reinforcement Rule = 128:<end>");
    EXPECT_EQ(textAt(tree, top, {4, 1, 5}), "Back propogation Rule = rnd const:<end>");
    EXPECT_EQ(textAt(tree, top, {4, 1, 6}), "Forward Propogation Rule = chem 4:<end>");
    EXPECT_EQ(textAt(tree, top, {4, 1, 7}), "Gain Strength every 0 if LTW:<end> > 0");
    EXPECT_EQ(textAt(tree, top, {4, 1, 8}), "Lose Strength every 0 if strength:<end> > 0");
}

TEST(LobeSVRule, NamesEveryToken)
{
    const std::array<std::string, 42> tokens = {
        "<end>",     "0",       "1",       "64",      "255",      "chem 0",           "chem 1",  "chem 2",
        "chem 3",    "state",   "output",  "thres",   "type 0",   "type 1",           "anded 0", "anded 1",
        "input",     "conduct", "Suscept", "STW",     "LTW",      "strength",         "32",      "128",
        "rnd const", "chem 4",  "chem 5",  "leak in", "leak out", "curr src leak in", "TRUE",    "PLUS",
        "MINUS",     "TIMES",   "INCR",    "DECR",    "FALSE",    "multiply",         "average", "move twrds",
        "random",    "<ERROR>",
    };
    for (std::size_t token = 1; token < tokens.size(); ++token) {
        SCOPED_TRACE(token);
        std::array<std::uint8_t, 12> rule{};
        rule[0] = static_cast<std::uint8_t>(token);
        EXPECT_EQ(svRuleText(rule.data()), tokens[token] + ":<end>");
    }
    for (int token = 42; token < 256; ++token) {
        std::array<std::uint8_t, 12> rule{};
        rule[0] = static_cast<std::uint8_t>(token);
        EXPECT_EQ(svRuleText(rule.data()), "UNK" + std::to_string(token) + ":<end>");
    }
}

TEST(LobeSVRule, JoinsTokensAndStopsAtTheFirstZero)
{
    struct RuleCase {
        std::array<std::uint8_t, 12> rule;
        std::string expected;
    };
    const std::vector<RuleCase> cases = {
        {{}, "<end>"},
        {{5, 30, 0, 31, 31, 31, 31, 31, 31, 31, 31, 31}, "chem 0:TRUE:<end>"},
        {{31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31, 31},
         "PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS:PLUS"},
        {{41}, "<ERROR>:<end>"},
        {{42}, "UNK42:<end>"},
        {{255}, "UNK255:<end>"},
        {{9, 32, 2, 33, 21, 34, 10, 35, 11, 36, 42, 0},
         "state:MINUS:1:TIMES:strength:INCR:output:DECR:thres:FALSE:UNK42:<end>"},
        {{9, 32, 2, 33, 21, 34, 10, 35, 11, 36, 42, 255},
         "state:MINUS:1:TIMES:strength:INCR:output:DECR:thres:FALSE:UNK42:UNK255"},
        {{0, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9}, "<end>"},
        {{100, 0}, "UNK100:<end>"},
    };
    for (const RuleCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(svRuleText(c.rule.data()), c.expected);
    }
}

TEST(LobeSVRule, ReadsOnlyTwelveBytes)
{
    // A rule without a zero byte ends after its twelfth token, whatever follows.
    std::array<std::uint8_t, 16> bytes;
    bytes.fill(9);
    bytes[12] = 0;
    std::string expected = "state";
    for (int i = 1; i < 12; ++i)
        expected += ":state";
    EXPECT_EQ(svRuleText(bytes.data()), expected);
}

} // namespace
} // namespace helixplot
