// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoderText.h"
#include "genetics/chemicalNames.h"
#include "nameTables.h"
#include "unitGeneDecoder.h"

#include <array>

namespace helixplot {

namespace {

constexpr std::array<std::string_view, 46> StimulusNames = {
    "Disappointment",
    "Pointer pats me",
    "Creature pats me",
    "Pointer slaps me",
    "Creature slaps me",
    "It is approaching",
    "It is retreating",
    "I bump into wall",
    "Object comes into view",
    "Unrecognised word",
    "Heard user speak",
    "Heard creature speak",
    "I am quiescent (periodic)",
    "I've Activated1",
    "I've Activated2",
    "I've Deactivated",
    "I am approaching (periodic)",
    "I have retreated",
    "I have Got",
    "I have Dropped",
    "I've stated need",
    "I am Resting (periodic)",
    "I am sleeping (periodic)",
    "I am travelling (periodic)",
    "I've been pushed",
    "I've been hit",
    "I've eaten something",
    "<spare action>",
    "involuntary action 0",
    "involuntary action 1",
    "involuntary action 2",
    "involuntary action 3",
    "involuntary action 4",
    "involuntary action 5",
    "involuntary action 6",
    "involuntary action 7",
    "Approaching edge",
    "Retreating from edge",
    "Falling through air",
    "Impact post fall",
    "Pointer has spoken 'Yes'",
    "Creature has spoken 'Yes'",
    "Pointer has spoken 'No'",
    "Creature has spoken 'No'",
    "I've performed a hit",
    "I've mated",
};

constexpr std::array<std::string_view, 33> SensoryNeuronNames = {
    "<none>",
    "I've been patted",
    "I've been slapped",
    "I've bumped a wall",
    "I am near a wall",
    "I am in a vehicle",
    "User has spoken",
    "Creature has spoken",
    "Own kind has spoken",
    "Audible event",
    "Visible event",
    "IT is approaching",
    "IT is retreating",
    "IT is near to me",
    "IT is Active",
    "IT is an object",
    "IT is a creature",
    "IT is my sibling",
    "IT is my parent",
    "IT is my child",
    "IT is opposite sex",
    "IT has pushed me",
    "IT has hit me",
    "<spare4>",
    "<spare5>",
    "<spare6>",
    "<spare7>",
    "<spare8>",
    "<spare9>",
    "Approaching an edge",
    "Retreating from an edge",
    "Falling through the air",
    "Hitting the ground post fall",
};

constexpr std::array<std::string_view, 16> ActionNames = {
    "Default (quiescent)",
    "Activate 1 it",
    "Activate2 it",
    "Deactivate it",
    "Approach it",
    "Retreat frm it",
    "Get it",
    "Drop all",
    "Say what you need",
    "Rest",
    "Travel west",
    "Travel east",
    "Eat it",
    "Hit it",
    "<unallocated1>",
    "<unallocated2>",
};

constexpr std::array<std::string_view, 16> GaitNames = {
    "Normal Walking Gait", "Special Gait 1",  "Special Gait 2",  "Special Gait 3",
    "Special Gait 4",      "Special Gait 5",  "Special Gait 6",  "Special Gait 7",
    "Special Gait 8",      "Special Gait 9",  "Special Gait 10", "Special Gait 11",
    "Special Gait 12",     "Special Gait 13", "Special Gait 14", "Special Gait 15",
};

constexpr std::array<std::string_view, 4> GenusPrefixes = {
    "Tarrin, Child of ",
    "Brokka, Child of ",
    "Vosk, Child of ",
    "Quilla, Child of ",
};
constexpr std::array<std::string_view, 4> GenusWords = {"Tarrin ", "Brokka ", "Vosk ", "Quilla "};
constexpr std::array<std::string_view, 5> BodyPartPhrases = {
    "Head of variant ", "Body of variant ", "Legs of variant ", "Arms of variant ", "Tail of variant ",
};
constexpr std::array<std::string_view, 3> ColourWords = {"Red ", "Green ", "Blue "};

// Ends of the byte runs that hold texts and lists: a run without a zero byte
// stops at its field's end, which is also the end of the gene's body.
constexpr std::size_t FirstParentEnd = 5;
constexpr std::size_t SecondParentEnd = 9;
constexpr std::size_t PoseTextEnd = 16;
constexpr std::size_t GaitPosesEnd = 9;

// Appends the single-byte characters of body[first..last) up to the first
// zero byte.
void appendBodyText(std::string& text, const GeneRecord& gene, std::size_t first, std::size_t last)
{
    for (std::size_t i = first; i < last && gene.body[i] != 0; ++i)
        text += static_cast<char>(gene.body[i]);
}

void appendNeuronName(std::string& text, std::uint8_t lobe, std::uint8_t neuron)
{
    if (lobe == 0 || lobe >= LobeIoNames.size()) {
        appendPieces(text, "Unknown Lobe/Neuron Pair: ", lobe, "/", neuron);
        return;
    }
    appendPieces(text, LobeIoNames[lobe], ", ");
    switch (lobe) {
    case 1:
        if (neuron < DriveNames.size())
            appendPieces(text, DriveNames[neuron]);
        else
            appendPieces(text, "Unknown Neuron: ", neuron);
        break;
    case 2:
        appendPieces(text, "<ID ", neuron, ">");
        break;
    case 3:
        if (neuron < ActionNames.size())
            appendPieces(text, "verb: ", ActionNames[neuron]);
        else
            appendPieces(text, "unknown verb: ", neuron);
        break;
    case 4:
        appendPieces(text, "Noun: <ID ", neuron, ">");
        break;
    case 5:
        if (neuron < SensoryNeuronNames.size())
            appendPieces(text, SensoryNeuronNames[neuron]);
        else
            appendPieces(text, "Unknown <ID ", neuron, ">");
        break;
    case 6:
        if (neuron < ActionNames.size())
            appendPieces(text, ActionNames[neuron]);
        else
            appendPieces(text, "Unknown Decision: ", neuron);
        break;
    default: // 7, the last lobe with outputs of its own
        appendPieces(text, "ID is <ID ", neuron, ">");
        break;
    }
}

} // namespace

std::span<const std::string_view> stimulusNames()
{
    return StimulusNames;
}

std::span<const std::string_view> sensoryNeuronNames()
{
    return SensoryNeuronNames;
}

std::span<const std::string_view> actionNames()
{
    return ActionNames;
}

std::span<const std::string_view> gaitNames()
{
    return GaitNames;
}

std::string neuronName(std::uint8_t lobe, std::uint8_t neuron)
{
    std::string text;
    appendNeuronName(text, lobe, neuron);
    return text;
}

NodeId decodeStimulus(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const auto& b = gene.body;
    const std::uint8_t stimulus = b[0];
    const bool named = stimulus < StimulusNames.size();

    std::string top = geneHeaderLine(gene);
    if (named)
        appendPieces(top, StimulusNames[stimulus]);
    else
        appendPieces(top, "UNKNOWN Stim ", stimulus);
    const NodeId node = tree.addChild(parent, top);

    LineBuffer line;
    if (named)
        tree.addChild(node, line("When \"", StimulusNames[stimulus], "\" occurs..."));
    else
        tree.addChild(node, line("When Unknown Stim ", stimulus, " occurs..."));
    tree.addChild(node, line("Significance of ", b[1]));
    if (b[2] < SensoryNeuronNames.size())
        tree.addChild(node, line("Sensory Neuron: ", SensoryNeuronNames[b[2]]));
    else
        tree.addChild(node, line("Unknown Neuron ", b[2]));
    tree.addChild(node, line("Intensity: ", b[3]));

    if (b[4] & 0x01)
        tree.addChild(node, "Modulate input with Sensory Neuron Output");
    if (b[4] & 0x02)
        tree.addChild(node, "Add Offset to Neuron (E.g. Word#)");
    if (b[4] & 0x04)
        tree.addChild(node, "Detected even if asleep");

    for (std::size_t chemical = 5; chemical <= 11; chemical += 2) {
        if (b[chemical] != 0)
            tree.addChild(node, line(b[chemical + 1], " of ", ChemicalNames[b[chemical]]));
    }
    return node;
}

NodeId decodeGenus(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    std::string text = geneHeaderLine(gene);
    if (gene.body[0] < GenusPrefixes.size())
        appendPieces(text, GenusPrefixes[gene.body[0]]);
    appendBodyText(text, gene, 1, FirstParentEnd);
    appendPieces(text, " and ");
    appendBodyText(text, gene, FirstParentEnd, SecondParentEnd);
    return tree.addChild(parent, text);
}

std::string_view genusName(std::uint8_t genus)
{
    if (genus >= GenusWords.size())
        return {};
    std::string_view word = GenusWords[genus];
    word.remove_suffix(1);
    return word;
}

NodeId decodeAppearance(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const auto& b = gene.body;
    std::string text = geneHeaderLine(gene);
    if (b[2] < GenusWords.size())
        appendPieces(text, GenusWords[b[2]]);
    if (b[0] < BodyPartPhrases.size())
        appendPieces(text, BodyPartPhrases[b[0]]);
    // Variants are lettered from "A"; the sum wraps within a byte.
    text += static_cast<char>(static_cast<std::uint8_t>(b[1] + 65));
    return tree.addChild(parent, text);
}

NodeId decodePose(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    std::string text = geneHeaderLine(gene);
    appendBodyText(text, gene, 1, PoseTextEnd);
    return tree.addChild(parent, text);
}

NodeId decodeGait(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const auto& b = gene.body;
    std::string text = geneHeaderLine(gene);
    if (b[0] < GaitNames.size())
        appendPieces(text, GaitNames[b[0]]);
    else
        appendPieces(text, "Unknown Gait ", b[0]);
    appendPieces(text, " using poses: ");
    for (std::size_t i = 1; i < GaitPosesEnd && b[i] != 0; ++i) {
        appendHex2(text, b[i]);
        appendPieces(text, ", ");
    }
    // Drops the last separator, or the ": " when no pose follows.
    text.resize(text.size() - 2);
    return tree.addChild(parent, text);
}

NodeId decodeInstinct(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const auto& b = gene.body;
    const NodeId node = tree.addChild(parent, geneHeaderLine(gene));

    std::string line;
    for (std::size_t lobe = 0; lobe <= 4; lobe += 2) {
        if (b[lobe] == 0)
            continue;
        line.assign("If ");
        appendNeuronName(line, b[lobe], b[lobe + 1]);
        appendPieces(line, " and...");
        tree.addChild(node, line);
    }

    const std::uint8_t action = b[6];
    line.assign("If I ");
    if (action < ActionNames.size())
        appendPieces(line, ActionNames[action], "...");
    else
        appendPieces(line, "\"Unknown Motor Decision: ", action, "\" ...");
    tree.addChild(node, line);

    line.clear();
    appendPieces(line, "Then Inject me with ", b[8], " of ", ChemicalNames[b[7]]);
    tree.addChild(node, line);
    return node;
}

NodeId decodePigment(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    std::string text = geneHeaderLine(gene);
    if (gene.body[0] < ColourWords.size())
        appendPieces(text, ColourWords[gene.body[0]], gene.body[1]);
    return tree.addChild(parent, text);
}

NodeId decodePigmentBleed(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    std::string text = geneHeaderLine(gene);
    appendPieces(text, "Rotation: ", gene.body[0], ", Swap: ", gene.body[1]);
    return tree.addChild(parent, text);
}

} // namespace helixplot
