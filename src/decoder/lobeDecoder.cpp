// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoderText.h"
#include "nameTables.h"
#include "unitGeneDecoder.h"

#include <array>
#include <string_view>

namespace helixplot {

namespace {

// Indexed by the gene's id from 1.
constexpr std::array<std::string_view, 10> LobeNames = {
    "Perception Lobe", "Drive Lobe",   "Source Lobe", "Verb Lobe",          "Decision Lobe",
    "Attention Lobe",  "Concept Lobe", "Noun Lobe",   "General Sense Lobe", "Regulator Lobe (Velumbrin)",
};

// Entry 0 is never looked up: a zero token ends the rule first.
constexpr std::array<std::string_view, 42> SVRuleTokens = {
    "<end>",     "0",       "1",       "64",      "255",      "chem 0",           "chem 1",  "chem 2",
    "chem 3",    "state",   "output",  "thres",   "type 0",   "type 1",           "anded 0", "anded 1",
    "input",     "conduct", "Suscept", "STW",     "LTW",      "strength",         "32",      "128",
    "rnd const", "chem 4",  "chem 5",  "leak in", "leak out", "curr src leak in", "TRUE",    "PLUS",
    "MINUS",     "TIMES",   "INCR",    "DECR",    "FALSE",    "multiply",         "average", "move twrds",
    "random",    "<ERROR>",
};

constexpr std::size_t SVRuleLength = 12;
constexpr std::size_t DendriteBlockLength = 87;

// Offsets in the lobe body.
constexpr std::size_t XOffset = 0;
constexpr std::size_t YOffset = 1;
constexpr std::size_t WidthOffset = 2;
constexpr std::size_t HeightOffset = 3;
constexpr std::size_t PerceptionLinkOffset = 4;
constexpr std::size_t NominalThresholdOffset = 5;
constexpr std::size_t LeakageRateOffset = 6;
constexpr std::size_t RestStateOffset = 7;
constexpr std::size_t AttenuationOffset = 8;
constexpr std::size_t CellRuleOffset = 9;
constexpr std::size_t CellFlagsOffset = 21;
constexpr std::size_t DendritesOffset = 22;

// Offsets in a dendrite block.
constexpr std::size_t SourceLobeOffset = 0;
constexpr std::size_t MinDendritesOffset = 1;
constexpr std::size_t MaxDendritesOffset = 2;
constexpr std::size_t SpreadPatternOffset = 3;
constexpr std::size_t FanOutOffset = 4;
constexpr std::size_t MinLtwOffset = 5;
constexpr std::size_t MaxLtwOffset = 6;
constexpr std::size_t MinStrengthOffset = 7;
constexpr std::size_t MaxStrengthOffset = 8;
constexpr std::size_t MigrationRuleOffset = 9;
constexpr std::size_t RelaxSusceptibilityOffset = 10;
constexpr std::size_t RelaxStwOffset = 11;
constexpr std::size_t LtwGainOffset = 12;
constexpr std::size_t GainEveryOffset = 13;
constexpr std::size_t GainRuleOffset = 14;
constexpr std::size_t LoseEveryOffset = 26;
constexpr std::size_t LoseRuleOffset = 27;
constexpr std::size_t SusceptibilityRuleOffset = 39;
constexpr std::size_t ReinforcementRuleOffset = 51;
constexpr std::size_t BackPropagationRuleOffset = 63;
constexpr std::size_t ForwardPropagationRuleOffset = 75;

static_assert(DendritesOffset + 2 * DendriteBlockLength == 196);
static_assert(ForwardPropagationRuleOffset + SVRuleLength == DendriteBlockLength);

constexpr std::array<std::string_view, 3> PerceptionLinkTexts = {
    "Data not copied to perception lobe",
    "Data Copied to perception lobe",
    "This and the perception lobe are mutually exclusive",
};

constexpr std::array<std::string_view, 4> SpreadPatternTexts = {
    R"(Spreading pattern is "Flat")",
    R"(Spreading pattern is "Normal")",
    R"(Spreading pattern is "Saw")",
    R"(Spreading pattern is "waS" (Reverse Saw))",
};

constexpr std::array<std::string_view, 3> MigrationTexts = {
    "Dendrites never migrate",
    "Dendrites migrate if any are loose, and the cell is firing",
    "Dendrites migrate when all are loose.",
};

} // namespace

std::span<const std::string_view> svRuleTokenNames()
{
    return SVRuleTokens;
}

std::string svRuleText(const std::uint8_t* rule)
{
    std::string text;
    text.reserve(64);
    for (std::size_t i = 0; i < SVRuleLength; ++i) {
        const std::uint8_t token = rule[i];
        if (token == 0) {
            text += "<end>:";
            break;
        }
        if (token < SVRuleTokens.size())
            text += SVRuleTokens[token];
        else
            appendPieces(text, "UNK", token);
        text += ':';
    }
    // Every token, the last included, was followed by a colon.
    text.pop_back();
    return text;
}

void decodeCellBody(const GeneRecord& gene, DisplayTree& tree, NodeId node)
{
    const std::uint8_t* body = gene.body.data();
    LineBuffer line;
    tree.addChild(node, line("Nominal State Threshold = ", body[NominalThresholdOffset]));
    tree.addChild(node, line("Leakage rate = ", body[LeakageRateOffset]));
    tree.addChild(node, line("Rest state = ", body[RestStateOffset]));
    tree.addChild(node, line("Attenuation (input lo/hi) = ", body[AttenuationOffset]));
    // The flags byte is one value, not a set of bits.
    const std::uint8_t cellFlags = body[CellFlagsOffset];
    if (cellFlags == 1)
        tree.addChild(node, "Winner takes all");
    else if (cellFlags != 0)
        tree.addChild(node, line("Unknown Cell flags of ", cellFlags));
    tree.addChild(node, line("SVRule = ", svRuleText(body + CellRuleOffset)));
}

void decodeDendrites(const std::uint8_t* block, DisplayTree& tree, NodeId node)
{
    const NodeId growth = tree.addChild(node, "Growth");
    const NodeId dynamics = tree.addChild(node, "Dynamics");
    LineBuffer line;

    const std::uint8_t source = block[SourceLobeOffset];
    if (source < LobeIoNames.size())
        tree.addChild(growth, line("Dendrites Source from ", LobeIoNames[source]));
    else
        tree.addChild(growth, line("Dendrites Source from unknown lobe ", source));
    tree.addChild(
        growth, line("Number of Dendrites ranges from ", block[MinDendritesOffset], " to ", block[MaxDendritesOffset]));
    const std::uint8_t spread = block[SpreadPatternOffset];
    if (spread < SpreadPatternTexts.size())
        tree.addChild(growth, SpreadPatternTexts[spread]);
    else
        tree.addChild(growth, line("Spreading pattern is unknown (", spread, ")"));
    tree.addChild(growth, line("Fan out Width = ", block[FanOutOffset]));
    tree.addChild(growth,
                  line("Initial Long Term Weight Range is from ", block[MinLtwOffset], " to ", block[MaxLtwOffset]));
    tree.addChild(growth, line("Initial Dendrite Strength ranges from ", block[MinStrengthOffset], " to ",
                               block[MaxStrengthOffset]));
    const std::uint8_t migration = block[MigrationRuleOffset];
    if (migration < MigrationTexts.size())
        tree.addChild(growth, MigrationTexts[migration]);
    else
        tree.addChild(growth, line("Unrecognised Migration rule: ", migration));

    tree.addChild(dynamics, line("Relaxation Succeptibility = ", block[RelaxSusceptibilityOffset]));
    tree.addChild(dynamics, line("Relaxtion Short Term Weight = ", block[RelaxStwOffset]));
    tree.addChild(dynamics, line("Long Term Weight Gain = ", block[LtwGainOffset]));
    tree.addChild(dynamics, line("Succeptibility Rule = ", svRuleText(block + SusceptibilityRuleOffset)));
    tree.addChild(dynamics, line("Reinforcement Rule = ", svRuleText(block + ReinforcementRuleOffset)));
    tree.addChild(dynamics, line("Back propogation Rule = ", svRuleText(block + BackPropagationRuleOffset)));
    tree.addChild(dynamics, line("Forward Propogation Rule = ", svRuleText(block + ForwardPropagationRuleOffset)));
    tree.addChild(dynamics, line("Gain Strength every ", block[GainEveryOffset], " if ",
                                 svRuleText(block + GainRuleOffset), " > 0"));
    tree.addChild(dynamics, line("Lose Strength every ", block[LoseEveryOffset], " if ",
                                 svRuleText(block + LoseRuleOffset), " > 0"));
}

NodeId decodeLobe(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const std::uint8_t* body = gene.body.data();
    const std::uint8_t id = gene.header.id;
    std::string top = geneHeaderLine(gene);
    if (id >= 1 && id <= LobeNames.size())
        top += LobeNames[id - 1];
    else
        appendPieces(top, "Unknown lobe ", id);
    const NodeId lobe = tree.addChild(parent, top);

    LineBuffer line;
    tree.addChild(lobe,
                  line(body[WidthOffset], " x ", body[HeightOffset], " at (", body[XOffset], ",", body[YOffset], ")"));
    const std::uint8_t link = body[PerceptionLinkOffset];
    if (link < PerceptionLinkTexts.size())
        tree.addChild(lobe, PerceptionLinkTexts[link]);
    else
        tree.addChild(lobe, line("Unknown Perceptible Link of ", link));

    decodeCellBody(gene, tree, tree.addChild(lobe, "Cell Body Dynamics"));
    decodeDendrites(body + DendritesOffset, tree, tree.addChild(lobe, "Dendrites (Type 0)"));
    decodeDendrites(body + DendritesOffset + DendriteBlockLength, tree, tree.addChild(lobe, "Dendrites (Type 1)"));
    return lobe;
}

} // namespace helixplot
