// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoderText.h"
#include "genetics/chemicalNames.h"
#include "nameTables.h"
#include "unitGeneDecoder.h"

#include <array>
#include <span>
#include <string_view>

namespace helixplot {

namespace {

// Indexed by a rate or half-life byte divided by 8.
constexpr std::array<std::string_view, 32> HalfLifeTimes = {
    "Instantly", "0.4 secs", "1 sec",    "3 secs",   "5 secs",   "10 secs",  "20 secs",  "40 secs",
    "80 secs",   "2.5 mins", "5 mins",   "10 mins",  "20 mins",  "40 mins",  "80 mins",  "2.5 hrs",
    "5 hrs",     "10 hrs",   "20 hrs",   "3 days",   "6 days",   "12 days",  "24 days",  "48 days",
    "96 days",   "112 days", "224 days", "448 days", "896 days", "13 years", "26 years", "52 years",
};

constexpr std::array<std::string_view, 3> LocusOrganNames = {"Brain", "Creature", "Current Organ"};

constexpr std::array<std::string_view, 59> BrainReceptorLoci = {
    "Threshold",
    "Leakage",
    "Gain",
    "Den(0) relax susceptibility",
    "Den(0) relax STW",
    "Den(0) relax LTW",
    "Den(0) Strength gain rate",
    "Den(0) Strength loss rate",
    "Den(1) relax susceptibility",
    "Den(1) relax STW",
    "Den(1) relax LTW",
    "Den(1) Strength gain rate",
    "Den(1) Strength loss rate",
    "Chemical 0",
    "Chemical 1",
    "Chemical 2",
    "Chemical 3",
    "Chemical 4",
    "Chemical 5",
    "Cell(0) State",
    "Cell(1) State",
    "Cell(2) State",
    "Cell(3) State",
    "Cell(4) State",
    "Cell(5) State",
    "Cell(6) State",
    "Cell(7) State",
    "Cell(8) State",
    "Cell(9) State",
    "Cell(10) State",
    "Cell(11) State",
    "Cell(12) State",
    "Cell(13) State",
    "Cell(14) State",
    "Cell(15) State",
    "Cell(16) State",
    "Cell(17) State",
    "Cell(18) State",
    "Cell(19) State",
    "Cell(20) State",
    "Cell(21) State",
    "Cell(22) State",
    "Cell(23) State",
    "Cell(24) State",
    "Cell(25) State",
    "Cell(26) State",
    "Cell(27) State",
    "Cell(28) State",
    "Cell(29) State",
    "Cell(30) State",
    "Cell(31) State",
    "Cell(32) State",
    "Cell(33) State",
    "Cell(34) State",
    "Cell(35) State",
    "Cell(36) State",
    "Cell(37) State",
    "Cell(38) State",
    "Cell(39) State",
};

constexpr std::array<std::string_view, 43> BrainEmitterLoci = {
    "Lobe activity",   "# Loose dens/cells type0", "# Loose dens/cells type1", "Cell(0) Output",  "Cell(1) Output",
    "Cell(2) Output",  "Cell(3) Output",           "Cell(4) Output",           "Cell(5) Output",  "Cell(6) Output",
    "Cell(7) Output",  "Cell(8) Output",           "Cell(9) Output",           "Cell(10) Output", "Cell(11) Output",
    "Cell(12) Output", "Cell(13) Output",          "Cell(14) Output",          "Cell(15) Output", "Cell(16) Output",
    "Cell(17) Output", "Cell(18) Output",          "Cell(19) Output",          "Cell(20) Output", "Cell(21) Output",
    "Cell(22) Output", "Cell(23) Output",          "Cell(24) Output",          "Cell(25) Output", "Cell(26) Output",
    "Cell(27) Output", "Cell(28) Output",          "Cell(29) Output",          "Cell(30) Output", "Cell(31) Output",
    "Cell(32) Output", "Cell(33) Output",          "Cell(34) Output",          "Cell(35) Output", "Cell(36) Output",
    "Cell(37) Output", "Cell(38) Output",          "Cell(39) Output",
};

// The tissues of organ 1; each has its own locus tables below.
constexpr std::array<std::string_view, 6> CreatureTissueNames = {
    "Somatic", "Circulatory", "Reproductive", "Immune", "Sensorimotor", "Drive levels",
};

constexpr std::array<std::string_view, 7> SomaticReceptorLoci = {
    "become a child", "become adolescent", "become youth",   "become adult",
    "become old",     "become senile",     "die of old age",
};
constexpr std::array<std::string_view, 1> SomaticEmitterLoci = {"Muscle energy used"};

constexpr std::array<std::string_view, 8> CirculatoryLoci = {
    "Floating recep-emit 0", "Floating recep-emit 1", "Floating recep-emit 2", "Floating recep-emit 3",
    "Floating recep-emit 4", "Floating recep-emit 5", "Floating recep-emit 6", "Floating recep-emit 7",
};

constexpr std::array<std::string_view, 24> SensorimotorReceptorLoci = {
    "Involuntary Action 0", "Involuntary Action 1", "Involuntary Action 2",
    "Involuntary Action 3", "Involuntary Action 4", "Involuntary Action 5",
    "Involuntary Action 6", "Involuntary Action 7", "<normal walk gait (DO NOT USE)>",
    "Special gait 1",       "Special gait 2",       "Special gait 3",
    "Special gait 4",       "Special gait 5",       "Special gait 6",
    "Special gait 7",       "Special gait 8",       "Special gait 9",
    "Special gait 10",      "Special gait 11",      "Special gait 12",
    "Special gait 13",      "Special gait 14",      "Special gait 15",
};

constexpr std::array<std::string_view, 4> ReproductiveReceptorLoci = {
    "Become fertile if high",
    "Receptive to sperm if >0",
    "Chance of mutation",
    "Degree of mutation",
};
constexpr std::array<std::string_view, 2> ReproductiveEmitterLoci = {
    "I am fertile (egg/sperm ready)",
    "I am pregnant (egg&sperm ready)",
};

constexpr std::array<std::string_view, 1> ImmuneReceptorLoci = {"Die if non-zero!"};
constexpr std::array<std::string_view, 1> ImmuneEmitterLoci = {"I'm dead (post-mortem chemistry)"};

constexpr std::array<std::string_view, 14> SensorimotorEmitterLoci = {
    "Permanently Active (255)",
    "I'm Asleep (255)",
    "Air is this cold",
    "Air is this hot",
    "Light level",
    "Crowdedness",
    "Ambient Radiation",
    "Time of day",
    "Season",
    "Air quality (0 Underwater, 124+ Indoors)",
    "How steep is the slope I'm facing (UP)",
    "How steep is the slope I'm facing (DOWN)",
    "Speed of wind coming towards me",
    "Speed of wind coming from behind",
};

constexpr std::array<std::string_view, 3> OrganReceptorLoci = {"Clock Rate", "Repair Rate", "Injury"};
constexpr std::array<std::string_view, 3> OrganEmitterLoci = {"Clock Rate", "Repair Rate", "Life force"};

struct TissueLoci {
    std::span<const std::string_view> receptor;
    std::span<const std::string_view> emitter;
};

// Indexed like CreatureTissueNames.
const std::array<TissueLoci, 6> CreatureTissueLoci = {{
    {SomaticReceptorLoci, SomaticEmitterLoci},
    {CirculatoryLoci, CirculatoryLoci},
    {ReproductiveReceptorLoci, ReproductiveEmitterLoci},
    {ImmuneReceptorLoci, ImmuneEmitterLoci},
    {SensorimotorReceptorLoci, SensorimotorEmitterLoci},
    {DriveNames, DriveNames},
}};

// Body offsets shared by receptors and emitters.
constexpr std::size_t OrganOffset = 0;
constexpr std::size_t TissueOffset = 1;
constexpr std::size_t LocusOffset = 2;
constexpr std::size_t ChemicalOffset = 3;
constexpr std::size_t ThresholdOffset = 4;
constexpr std::size_t NominalOrRateOffset = 5;
constexpr std::size_t GainOffset = 6;
constexpr std::size_t FlagsOffset = 7;

constexpr std::size_t ReactionRateOffset = 8;

const std::string& chemicalName(std::uint8_t chemical)
{
    return ChemicalNames[chemical];
}

void appendBrainLocus(std::string& text, std::uint8_t tissue, std::uint8_t locus, bool isEmitter)
{
    if (tissue < LobeIoNames.size())
        appendPieces(text, ":", LobeIoNames[tissue]);
    else
        appendPieces(text, ":Lobe ", tissue);
    const std::span<const std::string_view> loci =
        isEmitter ? std::span<const std::string_view>(BrainEmitterLoci) : BrainReceptorLoci;
    if (locus < loci.size())
        appendPieces(text, ":", loci[locus]);
    else
        appendPieces(text, ": UNKNOWN LOCUS ", locus);
}

void appendCreatureLocus(std::string& text, std::uint8_t tissue, std::uint8_t locus, bool isEmitter)
{
    if (tissue >= CreatureTissueNames.size()) {
        appendPieces(text, ":UNKNOWN Tissue ", tissue, ": UNKNOWN Locus ", locus);
        return;
    }
    appendPieces(text, ":", CreatureTissueNames[tissue]);
    const TissueLoci& tables = CreatureTissueLoci[tissue];
    const std::span<const std::string_view> loci = isEmitter ? tables.emitter : tables.receptor;
    if (locus < loci.size())
        appendPieces(text, ": ", loci[locus]);
    else
        appendPieces(text, ": UNKNOWN Locus ", locus);
}

// Lines of the reactants or products node: an amount and a chemical, each
// line only where both are set.
void addAmounts(DisplayTree& tree, NodeId node, LineBuffer& line, const std::uint8_t* pair)
{
    for (int slot = 0; slot < 2; ++slot) {
        const std::uint8_t amount = pair[2 * slot];
        const std::uint8_t chemical = pair[2 * slot + 1];
        if (amount != 0 && chemical != 0)
            tree.addChild(node, line(amount, " of ", chemicalName(chemical)));
    }
}

} // namespace

std::string_view halfLifeName(std::uint8_t value)
{
    return HalfLifeTimes[value / 8];
}

std::string locusName(std::uint8_t organ, std::uint8_t tissue, std::uint8_t locus, bool isEmitter)
{
    std::string text;
    text.reserve(64);
    switch (organ) {
    case 0:
        text += LocusOrganNames[0];
        appendBrainLocus(text, tissue, locus, isEmitter);
        break;
    case 1:
        text += LocusOrganNames[1];
        appendCreatureLocus(text, tissue, locus, isEmitter);
        break;
    case 2: {
        // An organ's own loci do not depend on the tissue byte.
        appendPieces(text, LocusOrganNames[2], ":<N/A>:");
        const auto& loci = isEmitter ? OrganEmitterLoci : OrganReceptorLoci;
        if (locus < loci.size())
            text += loci[locus];
        else
            appendPieces(text, "UNKNOWN Locus ", locus);
        break;
    }
    default:
        appendPieces(text, "Unknown LOA: ", organ, ":", tissue, ":", locus);
        break;
    }
    return text;
}

NodeId decodeReceptor(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const std::uint8_t* body = gene.body.data();
    const std::string& chemical = chemicalName(body[ChemicalOffset]);
    std::string top = geneHeaderLine(gene);
    appendPieces(top, " ", chemical);
    const NodeId receptor = tree.addChild(parent, top);

    LineBuffer line;
    tree.addChild(receptor, locusName(body[OrganOffset], body[TissueOffset], body[LocusOffset], false));
    tree.addChild(receptor, line(chemical, " binds to receptor"));
    tree.addChild(receptor, line("Threshold Value is: ", body[ThresholdOffset]));
    tree.addChild(receptor, line("Nominal Value is:", body[NominalOrRateOffset]));
    tree.addChild(receptor, line("Gain of receptor is: ", body[GainOffset]));
    const std::uint8_t flags = body[FlagsOffset];
    if (flags & 0x01)
        tree.addChild(receptor, "Output of receptor REDUCES with increased stimulation");
    if (flags & 0x02)
        tree.addChild(receptor, "Digital (o/p=nominal+/-gain if sig > threshold)");
    return receptor;
}

NodeId decodeEmitter(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const std::uint8_t* body = gene.body.data();
    const std::string& chemical = chemicalName(body[ChemicalOffset]);
    std::string top = geneHeaderLine(gene);
    appendPieces(top, " ", chemical);
    const NodeId emitter = tree.addChild(parent, top);

    LineBuffer line;
    const std::uint8_t rate = body[NominalOrRateOffset];
    tree.addChild(emitter, locusName(body[OrganOffset], body[TissueOffset], body[LocusOffset], true));
    tree.addChild(emitter, line(chemical, " released from Emitter"));
    tree.addChild(emitter, line("Threshold Value is: ", body[ThresholdOffset]));
    tree.addChild(emitter, line("Rate of Emitter is:", rate, " (", halfLifeName(rate), ")"));
    tree.addChild(emitter, line("Gain of Emitter is: ", body[GainOffset]));
    const std::uint8_t flags = body[FlagsOffset];
    if (flags & 0x01)
        tree.addChild(emitter, "Clear Input signal after reading");
    if (flags & 0x02)
        tree.addChild(emitter, "Digital (o/p=nominal+/-gain if sig > threshold)");
    if (flags & 0x04)
        tree.addChild(emitter, "Invert Input Signal");
    return emitter;
}

NodeId decodeReaction(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const std::uint8_t* body = gene.body.data();
    const std::uint8_t a1 = body[0], r1 = body[1], a2 = body[2], r2 = body[3];
    const std::uint8_t b1 = body[4], p1 = body[5], b2 = body[6], p2 = body[7];
    const std::uint8_t rate = body[ReactionRateOffset];
    const bool hasReactants = r1 != 0 || r2 != 0;
    const bool hasProducts = p1 != 0 || p2 != 0;

    std::string top = geneHeaderLine(gene);
    appendPieces(top, r1, " (", a1, ") ", r2, " (", a2, ") -> ");
    if (hasProducts)
        appendPieces(top, p1, " (", b1, ") ", p2, " (", b2, ") ", rate);
    else
        appendPieces(top, " Total Breakdown ", rate);
    const NodeId reaction = tree.addChild(parent, top);

    LineBuffer line;
    if (hasReactants)
        addAmounts(tree, tree.addChild(reaction, "Reactants"), line, body);
    if (hasProducts)
        addAmounts(tree, tree.addChild(reaction, "Products"), line, body + 4);
    tree.addChild(reaction, line("Rate: ", rate, " (", halfLifeName(rate), ")"));
    return reaction;
}

NodeId decodeHalfLives(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    std::string top = geneHeaderLine(gene);
    top += "Chemical Half Lives";
    const NodeId halfLives = tree.addChild(parent, top);
    LineBuffer line;
    for (std::size_t chemical = 0; chemical < 256; ++chemical) {
        const std::uint8_t value = gene.body[chemical];
        tree.addChild(halfLives, line(ChemicalNames[chemical], " - ", value, " (", halfLifeName(value), ")"));
    }
    return halfLives;
}

NodeId decodeInitialConcentration(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    std::string top = geneHeaderLine(gene);
    appendPieces(top, chemicalName(gene.body[0]), " ", gene.body[1]);
    return tree.addChild(parent, top);
}

} // namespace helixplot
