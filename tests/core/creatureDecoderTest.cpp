// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodedText.h"
#include "decoder/unitGeneDecoder.h"
#include "genetics/chemicalNames.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::makeGene;
using Bytes = std::vector<std::uint8_t>;

// The header text of a gene with id 0x0A, flags 5, life stage 4 and header
// value 128, and of one with every header field zero.
constexpr std::string_view SampleHeader = "0A - Adu mut/dup/--- 128 ";
constexpr std::string_view ZeroHeader = "00 - Emb ---/---/--- 0 ";

GeneFields sampleFields()
{
    GeneFields f;
    f.id = 0x0A;
    f.flags = 5;
    f.lifeStage = 4;
    f.headerValue = 128;
    return f;
}

using testing::dumpOf;
using testing::ScopedChemicalNames;

std::string decodeToText(const GeneRecord& gene)
{
    return testing::decodedText(gene);
}

// For the kinds that decode to one node: its text after the zero header.
std::string singleLineTail(std::uint8_t subtype, const Bytes& body)
{
    DisplayTree tree;
    const NodeId top = decodeGene(makeGene(2, subtype, GeneFields{}, body), tree, tree.root());
    EXPECT_EQ(tree.nodeCount(), 1u);
    const std::string_view text = tree.text(top);
    EXPECT_EQ(text.substr(0, ZeroHeader.size()), ZeroHeader);
    return std::string(text.substr(std::min(text.size(), ZeroHeader.size())));
}

// The children's texts of the gene's top node.
std::vector<std::string> childTexts(const GeneRecord& gene)
{
    DisplayTree tree;
    const NodeId top = decodeGene(gene, tree, tree.root());
    std::vector<std::string> texts;
    for (NodeId c = tree.firstChild(top); c != NoNode; c = tree.nextSibling(c))
        texts.emplace_back(tree.text(c));
    return texts;
}

// --- Stimulus ---

TEST(CreatureStimulus, DecodesWholeGene)
{
    ScopedChemicalNames guard;
    ChemicalNames[5] = "Lumenol";
    ChemicalNames[7] = "Quillase";
    ChemicalNames[255] = "Zorbic acid";
    ChemicalNames[99] = "Never shown";
    // Pair 2 has chemical 0 and is left out; pair 3 has amount 0 and stays.
    const auto gene = makeGene(GeneKind::Stimulus, sampleFields(), {26, 3, 13, 200, 7, 5, 10, 0, 99, 255, 0, 7, 255});
    EXPECT_EQ(decodeToText(gene), std::string(SampleHeader) + "I've eaten something\n"
                                                              " When \"I've eaten something\" occurs...\n"
                                                              " Significance of 3\n"
                                                              " Sensory Neuron: IT is near to me\n"
                                                              " Intensity: 200\n"
                                                              " Modulate input with Sensory Neuron Output\n"
                                                              " Add Offset to Neuron (E.g. Word#)\n"
                                                              " Detected even if asleep\n"
                                                              " 10 of Lumenol\n"
                                                              " 0 of Zorbic acid\n"
                                                              " 255 of Quillase\n");
}

TEST(CreatureStimulus, UnknownStimulusShowsItsNumber)
{
    for (unsigned s : {46u, 100u, 255u}) {
        SCOPED_TRACE(s);
        DisplayTree tree;
        const NodeId top =
            decodeGene(makeGene(GeneKind::Stimulus, GeneFields{}, {static_cast<std::uint8_t>(s)}), tree, tree.root());
        EXPECT_EQ(tree.text(top), std::string(ZeroHeader) + "UNKNOWN Stim " + std::to_string(s));
        EXPECT_EQ(tree.text(tree.firstChild(top)), "When Unknown Stim " + std::to_string(s) + " occurs...");
        EXPECT_EQ(tree.childCount(top), 4u);
    }
}

// The names the reviewed outputs under tests/expected do not show.
TEST(CreatureStimulus, NamesTheSensoryNeuronsTheSamplesLack)
{
    EXPECT_EQ(childTexts(makeGene(GeneKind::Stimulus, GeneFields{}, {0, 0, 13}))[2],
              "Sensory Neuron: IT is near to me");
    EXPECT_EQ(childTexts(makeGene(GeneKind::Stimulus, GeneFields{}, {0, 0, 28}))[2], "Sensory Neuron: <spare9>");
}

TEST(CreatureStimulus, UnknownSensoryNeuronHasNoColon)
{
    EXPECT_EQ(childTexts(makeGene(GeneKind::Stimulus, GeneFields{}, {0, 0, 33}))[2], "Unknown Neuron 33");
    EXPECT_EQ(childTexts(makeGene(GeneKind::Stimulus, GeneFields{}, {0, 0, 255}))[2], "Unknown Neuron 255");
}

TEST(CreatureStimulus, FlagBitsAddTheirLinesInBitOrder)
{
    const std::string modulate = "Modulate input with Sensory Neuron Output";
    const std::string offset = "Add Offset to Neuron (E.g. Word#)";
    const std::string asleep = "Detected even if asleep";
    const struct {
        std::uint8_t flags;
        std::vector<std::string> extra;
    } cases[] = {
        {0x00, {}},
        {0x01, {modulate}},
        {0x02, {offset}},
        {0x04, {asleep}},
        {0x05, {modulate, asleep}},
        {0x06, {offset, asleep}},
        {0xF8, {}},
        {0xFF, {modulate, offset, asleep}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.flags));
        // All four chemicals 0: the fixed four lines and one per flag bit.
        std::vector<std::string> expected = {"When \"Disappointment\" occurs...", "Significance of 0",
                                             "Sensory Neuron: <none>", "Intensity: 0"};
        expected.insert(expected.end(), c.extra.begin(), c.extra.end());
        EXPECT_EQ(childTexts(makeGene(GeneKind::Stimulus, GeneFields{}, {0, 0, 0, 0, c.flags, 0, 9, 0, 9, 0, 9, 0, 9})),
                  expected);
    }
}

TEST(CreatureStimulus, ShowsEachNonZeroChemicalInBodyOrder)
{
    ScopedChemicalNames guard;
    ChemicalNames[1] = "Alpha";
    ChemicalNames[2] = "Beta";
    ChemicalNames[3] = "Gamma";
    ChemicalNames[4] = "Delta";
    const auto children =
        childTexts(makeGene(GeneKind::Stimulus, GeneFields{}, {0, 0, 0, 0, 0, 4, 1, 3, 2, 2, 3, 1, 4}));
    ASSERT_EQ(children.size(), 8u);
    EXPECT_EQ(children[4], "1 of Delta");
    EXPECT_EQ(children[5], "2 of Gamma");
    EXPECT_EQ(children[6], "3 of Beta");
    EXPECT_EQ(children[7], "4 of Alpha");
}

TEST(CreatureStimulus, UnloadedChemicalNameLeavesTheTextEmptyAfterOf)
{
    ScopedChemicalNames guard;
    ChemicalNames[20] = "";
    const auto children =
        childTexts(makeGene(GeneKind::Stimulus, GeneFields{}, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 20, 6}));
    ASSERT_EQ(children.size(), 5u);
    EXPECT_EQ(children[4], "6 of ");
}

// --- Genus ---

TEST(CreatureGenus, BuildsPrefixAndParentNames)
{
    const struct {
        Bytes body;
        std::string tail;
    } cases[] = {
        {{0, 'A', 'B', 'C', 'D', 0, 0, 0, 0}, "Tarrin, Child of ABCD and "},
        {{1, 'M', 'o', 'm', 0, 'D', 'a', 'd', 0}, "Brokka, Child of Mom and Dad"},
        {{2, 'A', 0, 'C', 'D', 'W', 'X', 'Y', 'Z'}, "Vosk, Child of A and WXYZ"},
        {{3, 0, 'B', 'C', 'D', 0, 'F', 'G', 'H'}, "Quilla, Child of  and "},
        {{4, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}, "ABCD and EFGH"},
        {{255, 'x', 0, 0, 0, 'y', 0, 0, 0}, "x and y"},
        {{0, 0xC9, 0xFF, 0, 0, 0x80, 0, 0, 0}, "Tarrin, Child of \xC9\xFF and \x80"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(singleLineTail(1, c.body), c.tail);
    }
}

TEST(CreatureGenus, SecondNameStopsAtTheEndOfTheBody)
{
    auto gene = makeGene(GeneKind::Genus, sampleFields(), {1, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'});
    gene.body[9] = 'Q';
    gene.body[10] = 'R';
    EXPECT_EQ(decodeToText(gene), std::string(SampleHeader) + "Brokka, Child of ABCD and EFGH\n");
}

// --- Appearance ---

TEST(CreatureAppearance, BuildsGenusBodyPartAndVariant)
{
    const struct {
        Bytes body; // body part, variant, genus
        std::string tail;
    } cases[] = {
        {{1, 0, 2}, "Vosk Body of variant A"},
        {{9, 2, 9}, "C"},
        {{0, 25, 0}, "Tarrin Head of variant Z"},
        {{2, 1, 1}, "Brokka Legs of variant B"},
        {{3, 2, 3}, "Quilla Arms of variant C"},
        {{4, 3, 4}, "Tail of variant D"},
        {{5, 0, 0}, "Tarrin A"},
        {{255, 4, 255}, "E"},
        {{4, 255, 1}, "Brokka Tail of variant @"},
        {{4, 190, 1}, "Brokka Tail of variant \xFF"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(singleLineTail(2, c.body), c.tail);
    }
}

TEST(CreatureAppearance, VariantWrapsToCodeZero)
{
    // 191 + 65 wraps to 0: the character is still there.
    EXPECT_EQ(singleLineTail(2, {0, 191, 0}), std::string("Tarrin Head of variant ") + '\0');
}

// --- Pose ---

TEST(CreaturePose, ShowsTextUpToFirstZeroAndSkipsByteZero)
{
    const struct {
        Bytes body;
        std::string tail;
    } cases[] = {
        {{'Z', 'W', 'a', 'l', 'k', 0, 'X'}, "Walk"},
        {{0, 0, 'X'}, ""},
        {{7, '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E'}, "0123456789ABCDE"},
        {{0, 'a', ' ', 0xE9, ' ', 'b'}, "a \xE9 b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(singleLineTail(3, c.body), c.tail);
    }
}

TEST(CreaturePose, FullTextNeverRunsPastTheBody)
{
    auto gene = makeGene(GeneKind::Pose, sampleFields(),
                         {1, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'K', 'L', 'M', 'N', 'O'});
    gene.body[16] = 'Q';
    gene.body[17] = 'R';
    EXPECT_EQ(decodeToText(gene), std::string(SampleHeader) + "ABCDEFGHIJKLMNO\n");
}

// --- Gait ---

TEST(CreatureGait, NamesEveryGait)
{
    for (unsigned g = 0; g < 16; ++g) {
        SCOPED_TRACE(g);
        const std::string name = g == 0 ? "Normal Walking Gait" : "Special Gait " + std::to_string(g);
        EXPECT_EQ(singleLineTail(4, {static_cast<std::uint8_t>(g), 1}), name + " using poses: 01");
    }
}

TEST(CreatureGait, ListsPosesInHexUpToFirstZero)
{
    const struct {
        Bytes body;
        std::string tail;
    } cases[] = {
        {{0, 10, 255, 0}, "Normal Walking Gait using poses: 0A, FF"},
        {{0}, "Normal Walking Gait using poses"},
        {{3, 1, 2, 3, 4, 5, 0xAB, 0x7F, 0x80}, "Special Gait 3 using poses: 01, 02, 03, 04, 05, AB, 7F, 80"},
        {{15, 0x5, 0, 0x6}, "Special Gait 15 using poses: 05"},
        {{16, 1}, "Unknown Gait 16 using poses: 01"},
        {{255}, "Unknown Gait 255 using poses"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(singleLineTail(4, c.body), c.tail);
    }
}

TEST(CreatureGait, PoseListStopsAtTheEndOfTheBody)
{
    auto gene = makeGene(GeneKind::Gait, sampleFields(), {2, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80});
    gene.body[9] = 0x90;
    EXPECT_EQ(decodeToText(gene),
              std::string(SampleHeader) + "Special Gait 2 using poses: 10, 20, 30, 40, 50, 60, 70, 80\n");
}

// --- Instinct ---

TEST(CreatureInstinct, DecodesWholeGene)
{
    ScopedChemicalNames guard;
    ChemicalNames[5] = "Lumenol";
    GeneFields fields;
    fields.id = 0xFF;
    fields.flags = 63;
    fields.lifeStage = 6;
    fields.headerValue = 255;
    // The second input's lobe is 0: it is absent although its neuron is set.
    const auto gene = makeGene(GeneKind::Instinct, fields, {1, 2, 0, 9, 6, 12, 12, 5, 40});
    EXPECT_EQ(decodeToText(gene), "FF M Sen mut/dup/del (255) \n"
                                  " If Drive i/ps, HUNGER and...\n"
                                  " If Decision o/ps, Eat it and...\n"
                                  " If I Eat it...\n"
                                  " Then Inject me with 40 of Lumenol\n");
}

TEST(CreatureInstinct, ThreeInputsInBodyOrder)
{
    ScopedChemicalNames guard;
    ChemicalNames[0] = "Nothing";
    EXPECT_EQ(
        childTexts(makeGene(GeneKind::Instinct, GeneFields{}, {2, 7, 9, 3, 5, 33, 16, 0, 0})),
        (std::vector<std::string>{"If Stim source i/ps, <ID 7> and...", "If Unknown Lobe/Neuron Pair: 9/3 and...",
                                  "If General Sensory i/ps, Unknown <ID 33> and...",
                                  "If I \"Unknown Motor Decision: 16\" ...", "Then Inject me with 0 of Nothing"}));
}

TEST(CreatureInstinct, NoInputsLeavesActionAndInjection)
{
    ScopedChemicalNames guard;
    ChemicalNames[0] = "";
    EXPECT_EQ(childTexts(makeGene(GeneKind::Instinct, GeneFields{}, {0, 5, 0, 6, 0, 7, 0, 0, 0})),
              (std::vector<std::string>{"If I Default (quiescent)...", "Then Inject me with 0 of "}));
}

TEST(CreatureInstinct, UnknownActionsShowTheirNumber)
{
    for (unsigned a : {16u, 100u, 255u}) {
        SCOPED_TRACE(a);
        const auto children =
            childTexts(makeGene(GeneKind::Instinct, GeneFields{}, {0, 0, 0, 0, 0, 0, static_cast<std::uint8_t>(a)}));
        ASSERT_EQ(children.size(), 2u);
        EXPECT_EQ(children[0], "If I \"Unknown Motor Decision: " + std::to_string(a) + "\" ...");
    }
}

// --- Pigment and pigment bleed ---

TEST(CreaturePigment, ColourAndAmount)
{
    const struct {
        Bytes body;
        std::string tail;
    } cases[] = {
        {{0, 0}, "Red 0"}, {{1, 7}, "Green 7"}, {{2, 128}, "Blue 128"}, {{3, 9}, ""}, {{255, 255}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        EXPECT_EQ(singleLineTail(6, c.body), c.tail);
    }
}

TEST(CreaturePigmentBleed, RotationAndSwap)
{
    EXPECT_EQ(singleLineTail(7, {0, 0}), "Rotation: 0, Swap: 0");
    EXPECT_EQ(singleLineTail(7, {12, 255}), "Rotation: 12, Swap: 255");
    EXPECT_EQ(decodeToText(makeGene(GeneKind::PigmentBleed, sampleFields(), {100, 7})),
              std::string(SampleHeader) + "Rotation: 100, Swap: 7\n");
}

// --- Placement ---

TEST(CreatureDecoders, AppendTopNodeAsLastChildAndReturnIt)
{
    for (std::uint8_t subtype = 0; subtype < 8; ++subtype) {
        SCOPED_TRACE(static_cast<int>(subtype));
        DisplayTree tree;
        const NodeId family = tree.appendTopLevel("Family");
        tree.addChild(family, "earlier");
        const auto gene = makeGene(2, subtype, sampleFields(), {1, 'a', 'b', 0, 'c', 'd', 0});
        const NodeId top = decodeGene(gene, tree, family);
        const NodeId again = decodeGene(gene, tree, family);
        ASSERT_NE(top, NoNode);
        EXPECT_EQ(tree.childCount(family), 3u);
        EXPECT_EQ(tree.childAt(family, 1), top);
        EXPECT_EQ(tree.childAt(family, 2), again);
        EXPECT_EQ(tree.text(top), tree.text(again));
        EXPECT_EQ(tree.text(top).substr(0, SampleHeader.size()), SampleHeader);
    }
}

// --- neuronName ---

TEST(NeuronName, EveryLobeFormAndFallback)
{
    const struct {
        std::uint8_t lobe;
        std::uint8_t neuron;
        std::string text;
    } cases[] = {
        {0, 0, "Unknown Lobe/Neuron Pair: 0/0"},
        {0, 5, "Unknown Lobe/Neuron Pair: 0/5"},
        {1, 0, "Drive i/ps, PAIN"},
        {1, 2, "Drive i/ps, HUNGER"},
        {1, 16, "Drive i/ps, STRESS"},
        {1, 17, "Drive i/ps, Unknown Neuron: 17"},
        {1, 255, "Drive i/ps, Unknown Neuron: 255"},
        {2, 0, "Stim source i/ps, <ID 0>"},
        {2, 7, "Stim source i/ps, <ID 7>"},
        {2, 255, "Stim source i/ps, <ID 255>"},
        {3, 0, "Verb i/ps, verb: Default (quiescent)"},
        {3, 15, "Verb i/ps, verb: <unallocated2>"},
        {3, 16, "Verb i/ps, unknown verb: 16"},
        {4, 0, "Noun i/ps, Noun: <ID 0>"},
        {4, 200, "Noun i/ps, Noun: <ID 200>"},
        {5, 0, "General Sensory i/ps, <none>"},
        {5, 32, "General Sensory i/ps, Hitting the ground post fall"},
        {5, 33, "General Sensory i/ps, Unknown <ID 33>"},
        {5, 255, "General Sensory i/ps, Unknown <ID 255>"},
        {6, 13, "Decision o/ps, Hit it"},
        {6, 16, "Decision o/ps, Unknown Decision: 16"},
        {7, 0, "Attention/Seek o/ps, ID is <ID 0>"},
        {7, 42, "Attention/Seek o/ps, ID is <ID 42>"},
        {8, 3, "Unknown Lobe/Neuron Pair: 8/3"},
        {9, 3, "Unknown Lobe/Neuron Pair: 9/3"},
        {255, 255, "Unknown Lobe/Neuron Pair: 255/255"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(neuronName(c.lobe, c.neuron), c.text);
    }
}

} // namespace
} // namespace helixplot
