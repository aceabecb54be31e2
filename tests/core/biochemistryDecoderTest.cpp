// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodedText.h"
#include "decoder/unitGeneDecoder.h"
#include "genetics/chemicalNames.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::makeGene;

// The decoders read the global chemical names; each test sets the ones it
// needs and the fixture puts the table back.
class BiochemistryDecoder : public ::testing::Test {
protected:
    void SetUp() override { ChemicalNames.fill(std::string()); }

    static std::string dump(testing::GeneDecoder decoder, const GeneRecord& gene)
    {
        return testing::decodedText(gene, decoder);
    }

private:
    testing::ScopedChemicalNames saved_;
};

using ReceptorDecoder = BiochemistryDecoder;
using EmitterDecoder = BiochemistryDecoder;
using ReactionDecoder = BiochemistryDecoder;
using HalfLifeDecoder = BiochemistryDecoder;
using BiochemistryInitialConcentration = BiochemistryDecoder;

GeneFields fieldsOf(std::uint8_t id, std::uint8_t flags, std::uint8_t lifeStage, std::uint8_t headerValue)
{
    GeneFields fields;
    fields.id = id;
    fields.flags = flags;
    fields.lifeStage = lifeStage;
    fields.headerValue = headerValue;
    return fields;
}

TEST(HalfLifeName, MapsEveryValueByEighths)
{
    // The 32 names themselves are pinned by the reviewed outputs.
    std::set<std::string> names;
    for (int value = 0; value < 256; ++value) {
        SCOPED_TRACE(value);
        EXPECT_EQ(halfLifeName(static_cast<std::uint8_t>(value)),
                  halfLifeName(static_cast<std::uint8_t>(value / 8 * 8)));
        names.emplace(halfLifeName(static_cast<std::uint8_t>(value)));
    }
    EXPECT_EQ(names.size(), 32u);
    EXPECT_EQ(halfLifeName(7), "Instantly");
    EXPECT_EQ(halfLifeName(8), "0.4 secs");
    EXPECT_EQ(halfLifeName(255), "52 years");
}

// One locus table: every entry under its prefix, then the fallback at the
// first index past its end and at 255.
struct LocusTable {
    std::string title;
    std::uint8_t organ;
    std::uint8_t tissue;
    bool isEmitter;
    std::string prefix;
    std::vector<std::string> entries;
    std::string fallbackPrefix;
};

std::vector<std::string> numbered(const std::string& before, int first, int last, const std::string& after = "")
{
    std::vector<std::string> texts;
    for (int n = first; n <= last; ++n)
        texts.push_back(before + std::to_string(n) + after);
    return texts;
}

std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<std::string> driveNames = {
    "PAIN",       "NEEDFORPLEASURE", "HUNGER",          "COLDNESS", "HOTNESS", "TIREDNESS",
    "SLEEPINESS", "LONELINESS",      "OVERCROWDEDNESS", "FEAR",     "BOREDOM", "ANGER",
    "SEX DRIVE",  "INJURY",          "SUFFOCATION",     "THIRST",   "STRESS",
};

std::vector<LocusTable> locusTables()
{
    const std::vector<std::string> brainReceptor = joined(
        joined({"Threshold", "Leakage", "Gain", "Den(0) relax susceptibility", "Den(0) relax STW", "Den(0) relax LTW",
                "Den(0) Strength gain rate", "Den(0) Strength loss rate", "Den(1) relax susceptibility",
                "Den(1) relax STW", "Den(1) relax LTW", "Den(1) Strength gain rate", "Den(1) Strength loss rate"},
               numbered("Chemical ", 0, 5)),
        numbered("Cell(", 0, 39, ") State"));
    EXPECT_EQ(brainReceptor.size(), 59u);
    const std::vector<std::string> brainEmitter =
        joined({"Lobe activity", "# Loose dens/cells type0", "# Loose dens/cells type1"},
               numbered("Cell(", 0, 39, ") Output"));
    const std::vector<std::string> circulatory = numbered("Floating recep-emit ", 0, 7);
    const std::vector<std::string> sensorimotorReceptor =
        joined(joined(numbered("Involuntary Action ", 0, 7), {"<normal walk gait (DO NOT USE)>"}),
               numbered("Special gait ", 1, 15));
    const std::vector<std::string> sensorimotorEmitter = {
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
    auto creature = [](const std::string& tissue) {
        return std::pair<std::string, std::string>("Creature:" + tissue + ": ",
                                                   "Creature:" + tissue + ": UNKNOWN Locus ");
    };
    std::vector<LocusTable> tables = {
        {"brain receptor", 0, 0, false, "Brain:Perceptible i/ps:", brainReceptor,
         "Brain:Perceptible i/ps: UNKNOWN LOCUS "},
        {"brain emitter", 0, 7, true, "Brain:Attention/Seek o/ps:", brainEmitter,
         "Brain:Attention/Seek o/ps: UNKNOWN LOCUS "},
        {"brain lobe 8", 0, 8, false, "Brain:Lobe 8:", brainReceptor, "Brain:Lobe 8: UNKNOWN LOCUS "},
        {"brain lobe 255", 0, 255, true, "Brain:Lobe 255:", brainEmitter, "Brain:Lobe 255: UNKNOWN LOCUS "},
        {"current organ receptor",
         2,
         0,
         false,
         "Current Organ:<N/A>:",
         {"Clock Rate", "Repair Rate", "Injury"},
         "Current Organ:<N/A>:UNKNOWN Locus "},
        {"current organ emitter",
         2,
         0,
         true,
         "Current Organ:<N/A>:",
         {"Clock Rate", "Repair Rate", "Life force"},
         "Current Organ:<N/A>:UNKNOWN Locus "},
        // The tissue byte of organ 2 is not used.
        {"current organ receptor, tissue 200",
         2,
         200,
         false,
         "Current Organ:<N/A>:",
         {"Clock Rate", "Repair Rate", "Injury"},
         "Current Organ:<N/A>:UNKNOWN Locus "},
    };
    struct TissueTables {
        std::string name;
        std::vector<std::string> receptor;
        std::vector<std::string> emitter;
    };
    const std::vector<TissueTables> tissues = {
        {"Somatic",
         {"become a child", "become adolescent", "become youth", "become adult", "become old", "become senile",
          "die of old age"},
         {"Muscle energy used"}},
        {"Circulatory", circulatory, circulatory},
        {"Reproductive",
         {"Become fertile if high", "Receptive to sperm if >0", "Chance of mutation", "Degree of mutation"},
         {"I am fertile (egg/sperm ready)", "I am pregnant (egg&sperm ready)"}},
        {"Immune", {"Die if non-zero!"}, {"I'm dead (post-mortem chemistry)"}},
        {"Sensorimotor", sensorimotorReceptor, sensorimotorEmitter},
        {"Drive levels", driveNames, driveNames},
    };
    for (std::size_t t = 0; t < tissues.size(); ++t) {
        const auto [prefix, fallback] = creature(tissues[t].name);
        const auto tissue = static_cast<std::uint8_t>(t);
        tables.push_back({tissues[t].name + " receptor", 1, tissue, false, prefix, tissues[t].receptor, fallback});
        tables.push_back({tissues[t].name + " emitter", 1, tissue, true, prefix, tissues[t].emitter, fallback});
    }
    return tables;
}

TEST(LocusName, NamesEveryEntryOfEveryTableAndFallsBackPastIt)
{
    for (const LocusTable& table : locusTables()) {
        SCOPED_TRACE(table.title);
        for (std::size_t locus = 0; locus < table.entries.size(); ++locus) {
            SCOPED_TRACE(locus);
            EXPECT_EQ(locusName(table.organ, table.tissue, static_cast<std::uint8_t>(locus), table.isEmitter),
                      table.prefix + table.entries[locus]);
        }
        const std::size_t past = table.entries.size();
        EXPECT_EQ(locusName(table.organ, table.tissue, static_cast<std::uint8_t>(past), table.isEmitter),
                  table.fallbackPrefix + std::to_string(past));
        EXPECT_EQ(locusName(table.organ, table.tissue, 255, table.isEmitter), table.fallbackPrefix + "255");
    }
}

TEST(LocusName, NamesEveryBrainTissue)
{
    const std::vector<std::string> lobes = {"Perceptible i/ps", "Drive i/ps",         "Stim source i/ps",
                                            "Verb i/ps",        "Noun i/ps",          "General Sensory i/ps",
                                            "Decision o/ps",    "Attention/Seek o/ps"};
    for (std::size_t tissue = 0; tissue < lobes.size(); ++tissue) {
        SCOPED_TRACE(tissue);
        EXPECT_EQ(locusName(0, static_cast<std::uint8_t>(tissue), 0, false), "Brain:" + lobes[tissue] + ":Threshold");
        EXPECT_EQ(locusName(0, static_cast<std::uint8_t>(tissue), 0, true),
                  "Brain:" + lobes[tissue] + ":Lobe activity");
    }
}

TEST(LocusName, ShowsTheEdgeForms)
{
    struct LocusCase {
        std::uint8_t organ, tissue, locus;
        bool isEmitter;
        std::string expected;
    };
    const std::vector<LocusCase> cases = {
        {0, 9, 200, false, "Brain:Lobe 9: UNKNOWN LOCUS 200"},
        {0, 0, 42, true, "Brain:Perceptible i/ps:Cell(39) Output"},
        {0, 0, 43, true, "Brain:Perceptible i/ps: UNKNOWN LOCUS 43"},
        {0, 1, 26, false, "Brain:Drive i/ps:Cell(7) State"},
        {0, 1, 16, false, "Brain:Drive i/ps:Chemical 3"},
        {0, 1, 15, true, "Brain:Drive i/ps:Cell(12) Output"},
        // Receptor and emitter loci differ for the same brain locus byte.
        {0, 2, 58, false, "Brain:Stim source i/ps:Cell(39) State"},
        {0, 2, 58, true, "Brain:Stim source i/ps: UNKNOWN LOCUS 58"},
        {1, 3, 0, false, "Creature:Immune: Die if non-zero!"},
        {1, 3, 0, true, "Creature:Immune: I'm dead (post-mortem chemistry)"},
        {1, 3, 1, false, "Creature:Immune: UNKNOWN Locus 1"},
        {1, 3, 1, true, "Creature:Immune: UNKNOWN Locus 1"},
        {1, 1, 3, true, "Creature:Circulatory: Floating recep-emit 3"},
        {1, 4, 12, false, "Creature:Sensorimotor: Special gait 4"},
        {1, 4, 8, false, "Creature:Sensorimotor: <normal walk gait (DO NOT USE)>"},
        {1, 0, 1, true, "Creature:Somatic: UNKNOWN Locus 1"},
        {1, 6, 2, false, "Creature:UNKNOWN Tissue 6: UNKNOWN Locus 2"},
        {1, 6, 2, true, "Creature:UNKNOWN Tissue 6: UNKNOWN Locus 2"},
        {1, 255, 0, false, "Creature:UNKNOWN Tissue 255: UNKNOWN Locus 0"},
        {2, 5, 2, false, "Current Organ:<N/A>:Injury"},
        {2, 5, 2, true, "Current Organ:<N/A>:Life force"},
        {2, 5, 3, false, "Current Organ:<N/A>:UNKNOWN Locus 3"},
        {7, 1, 2, false, "Unknown LOA: 7:1:2"},
        {3, 0, 0, true, "Unknown LOA: 3:0:0"},
        {255, 255, 255, false, "Unknown LOA: 255:255:255"},
    };
    for (const LocusCase& c : cases) {
        SCOPED_TRACE(c.expected);
        EXPECT_EQ(locusName(c.organ, c.tissue, c.locus, c.isEmitter), c.expected);
    }
}

TEST_F(ReceptorDecoder, DecodesWholeGene)
{
    ChemicalNames[35] = "Glycogenol";
    const GeneRecord gene = makeGene(GeneKind::Receptor, fieldsOf(0x12, 0, 4, 3), {1, 4, 9, 35, 10, 20, 255, 3});
    EXPECT_EQ(dump(decodeReceptor, gene), "12 - Adu ---/---/--- 3  Glycogenol\n"
                                          " Creature:Sensorimotor: Special gait 1\n"
                                          " Glycogenol binds to receptor\n"
                                          " Threshold Value is: 10\n"
                                          " Nominal Value is:20\n"
                                          " Gain of receptor is: 255\n"
                                          " Output of receptor REDUCES with increased stimulation\n"
                                          " Digital (o/p=nominal+/-gain if sig > threshold)\n");
}

TEST_F(ReceptorDecoder, ShowsOnlyTheSetFlags)
{
    const std::string reduces = "Output of receptor REDUCES with increased stimulation";
    const std::string digital = "Digital (o/p=nominal+/-gain if sig > threshold)";
    const std::vector<std::pair<std::uint8_t, std::vector<std::string>>> cases = {
        {0, {}}, {1, {reduces}}, {2, {digital}}, {3, {reduces, digital}}, {252, {}}, {255, {reduces, digital}},
    };
    for (const auto& [flags, lines] : cases) {
        SCOPED_TRACE(static_cast<int>(flags));
        DisplayTree tree;
        const NodeId top =
            decodeReceptor(makeGene(GeneKind::Receptor, 1, {0, 0, 0, 0, 0, 0, 0, flags}), tree, tree.root());
        ASSERT_EQ(tree.childCount(top), 5 + lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(tree.text(tree.childAt(top, 5 + i)), lines[i]);
    }
}

TEST_F(ReceptorDecoder, EmptyChemicalNameLeavesItsBlanks)
{
    const GeneRecord gene = makeGene(GeneKind::Receptor, fieldsOf(1, 8, 0, 0), {2, 0, 1, 77, 0, 0, 0, 0});
    EXPECT_EQ(dump(decodeReceptor, gene), "01 M Emb ---/---/--- 0  \n"
                                          " Current Organ:<N/A>:Repair Rate\n"
                                          "  binds to receptor\n"
                                          " Threshold Value is: 0\n"
                                          " Nominal Value is:0\n"
                                          " Gain of receptor is: 0\n");
}

TEST_F(EmitterDecoder, DecodesWholeGene)
{
    ChemicalNames[200] = "Velocin";
    const GeneRecord gene = makeGene(GeneKind::Emitter, fieldsOf(0xC4, 16 | 2, 2, 77), {0, 5, 15, 200, 0, 100, 7, 7});
    EXPECT_EQ(dump(decodeEmitter, gene), "C4 F Ado ---/---/del 77  Velocin\n"
                                         " Brain:General Sensory i/ps:Cell(12) Output\n"
                                         " Velocin released from Emitter\n"
                                         " Threshold Value is: 0\n"
                                         " Rate of Emitter is:100 (20 mins)\n"
                                         " Gain of Emitter is: 7\n"
                                         " Clear Input signal after reading\n"
                                         " Digital (o/p=nominal+/-gain if sig > threshold)\n"
                                         " Invert Input Signal\n");
}

TEST_F(EmitterDecoder, ShowsOnlyTheSetFlags)
{
    const std::string clear = "Clear Input signal after reading";
    const std::string digital = "Digital (o/p=nominal+/-gain if sig > threshold)";
    const std::string invert = "Invert Input Signal";
    const std::vector<std::pair<std::uint8_t, std::vector<std::string>>> cases = {
        {0, {}},
        {1, {clear}},
        {2, {digital}},
        {4, {invert}},
        {5, {clear, invert}},
        {6, {digital, invert}},
        {248, {}},
        {255, {clear, digital, invert}},
    };
    for (const auto& [flags, lines] : cases) {
        SCOPED_TRACE(static_cast<int>(flags));
        DisplayTree tree;
        const NodeId top =
            decodeEmitter(makeGene(GeneKind::Emitter, 1, {0, 0, 0, 0, 0, 0, 0, flags}), tree, tree.root());
        ASSERT_EQ(tree.childCount(top), 5 + lines.size());
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_EQ(tree.text(tree.childAt(top, 5 + i)), lines[i]);
    }
}

TEST_F(EmitterDecoder, ShowsRateWithItsTime)
{
    for (int rate : {0, 7, 8, 15, 16, 99, 248, 255}) {
        SCOPED_TRACE(rate);
        DisplayTree tree;
        const NodeId top = decodeEmitter(
            makeGene(GeneKind::Emitter, 1, {1, 0, 0, 0, 0, static_cast<std::uint8_t>(rate)}), tree, tree.root());
        EXPECT_EQ(tree.text(tree.childAt(top, 3)), "Rate of Emitter is:" + std::to_string(rate) + " (" +
                                                       std::string(halfLifeName(static_cast<std::uint8_t>(rate))) +
                                                       ")");
        EXPECT_EQ(tree.text(tree.childAt(top, 0)), "Creature:Somatic: Muscle energy used");
    }
}

TEST_F(ReactionDecoder, DecodesWholeGene)
{
    ChemicalNames[10] = "Brimstane";
    ChemicalNames[11] = "Quellase";
    ChemicalNames[12] = "Ostrenine";
    ChemicalNames[13] = "Tarnic acid";
    // Amount before chemical: 2 Brimstane + 1 Quellase -> 3 Ostrenine + 0 Tarnic acid.
    const GeneRecord gene = makeGene(GeneKind::Reaction, fieldsOf(0x0B, 0, 3, 0), {2, 10, 1, 11, 3, 12, 0, 13, 64});
    EXPECT_EQ(dump(decodeReaction, gene), "0B - You ---/---/--- 0 10 (2) 11 (1) -> 12 (3) 13 (0) 64\n"
                                          " Reactants\n"
                                          "  2 of Brimstane\n"
                                          "  1 of Quellase\n"
                                          " Products\n"
                                          "  3 of Ostrenine\n"
                                          " Rate: 64 (80 secs)\n");
}

TEST_F(ReactionDecoder, ShowsEveryForm)
{
    ChemicalNames[10] = "Brimstane";
    ChemicalNames[20] = "Quellase";
    const std::string header = "01 - Emb ---/---/--- 0 ";
    struct ReactionCase {
        std::string title;
        std::vector<std::uint8_t> body;
        std::string expected;
    };
    const std::vector<ReactionCase> cases = {
        {"total breakdown",
         {1, 10, 0, 0, 5, 0, 6, 0, 0},
         header + "10 (1) 0 (0) ->  Total Breakdown 0\n Reactants\n  1 of Brimstane\n Rate: 0 (Instantly)\n"},
        {"no reactants",
         {0, 0, 9, 0, 2, 0, 4, 20, 8},
         header + "0 (0) 0 (9) -> 0 (2) 20 (4) 8\n Products\n  4 of Quellase\n Rate: 8 (0.4 secs)\n"},
        {"nothing at all",
         {0, 0, 0, 0, 0, 0, 0, 0, 255},
         header + "0 (0) 0 (0) ->  Total Breakdown 255\n Rate: 255 (52 years)\n"},
        {"reactant without amount",
         {0, 10, 0, 0, 0, 0, 0, 0, 16},
         header + "10 (0) 0 (0) ->  Total Breakdown 16\n Reactants\n Rate: 16 (1 sec)\n"},
        {"second slots only",
         {0, 0, 7, 10, 0, 0, 1, 20, 80},
         header + "0 (0) 10 (7) -> 0 (0) 20 (1) 80\n Reactants\n  7 of Brimstane\n Products\n  1 of Quellase\n"
                  " Rate: 80 (5 mins)\n"},
        {"unnamed chemical",
         {3, 99, 0, 0, 1, 98, 0, 0, 24},
         header + "99 (3) 0 (0) -> 98 (1) 0 (0) 24\n Reactants\n  3 of \n Products\n  1 of \n Rate: 24 (3 secs)\n"},
    };
    for (const ReactionCase& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(dump(decodeReaction, makeGene(GeneKind::Reaction, 1, c.body)), c.expected);
    }
}

TEST_F(HalfLifeDecoder, ShowsEveryChemicalInOrder)
{
    for (std::size_t i = 0; i < 256; ++i)
        ChemicalNames[i] = "Chem" + std::to_string(i);
    ChemicalNames[3].clear();
    std::vector<std::uint8_t> body(256);
    for (std::size_t i = 0; i < 256; ++i)
        body[i] = static_cast<std::uint8_t>(255 - i);

    DisplayTree tree;
    const NodeId parent = tree.appendTopLevel("Half Lives");
    const NodeId top = decodeHalfLives(makeGene(GeneKind::HalfLives, fieldsOf(0x20, 32, 5, 1), body), tree, parent);
    EXPECT_EQ(tree.parent(top), parent);
    EXPECT_EQ(tree.text(top), "20 - Old ---/---/--- (1) Chemical Half Lives");
    ASSERT_EQ(tree.childCount(top), 256u);
    for (std::size_t i = 0; i < 256; ++i) {
        SCOPED_TRACE(i);
        const NodeId child = tree.childAt(top, i);
        EXPECT_EQ(tree.childCount(child), 0u);
        EXPECT_EQ(tree.text(child), ChemicalNames[i] + " - " + std::to_string(255 - i) + " (" +
                                        std::string(halfLifeName(static_cast<std::uint8_t>(255 - i))) + ")");
    }
    EXPECT_EQ(tree.text(tree.childAt(top, 0)), "Chem0 - 255 (52 years)");
    EXPECT_EQ(tree.text(tree.childAt(top, 3)), " - 252 (52 years)");
    EXPECT_EQ(tree.text(tree.childAt(top, 255)), "Chem255 - 0 (Instantly)");
    EXPECT_EQ(tree.nodeCount(), 1u + 1u + 256u);
}

TEST_F(HalfLifeDecoder, AlwaysHas256Children)
{
    for (std::uint8_t fill : {std::uint8_t{0}, std::uint8_t{0xFF}}) {
        SCOPED_TRACE(static_cast<int>(fill));
        DisplayTree tree;
        const NodeId top =
            decodeHalfLives(makeGene(GeneKind::HalfLives, 0, std::vector<std::uint8_t>(256, fill)), tree, tree.root());
        ASSERT_EQ(tree.childCount(top), 256u);
        const std::string expected = fill == 0 ? " - 0 (Instantly)" : " - 255 (52 years)";
        for (std::size_t i = 0; i < 256; ++i)
            EXPECT_EQ(tree.text(tree.childAt(top, i)), expected);
    }
}

TEST_F(BiochemistryInitialConcentration, IsOneNodeWithoutChildren)
{
    ChemicalNames[4] = "Ostrenine";
    EXPECT_EQ(
        dump(decodeInitialConcentration, makeGene(GeneKind::InitialConcentration, fieldsOf(0x99, 1, 0, 5), {4, 200})),
        "99 - Emb mut/---/--- 5 Ostrenine 200\n");
    EXPECT_EQ(dump(decodeInitialConcentration, makeGene(GeneKind::InitialConcentration, 0, {250, 0})),
              "00 - Emb ---/---/--- 0  0\n");
}

} // namespace
} // namespace helixplot
