// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/statistics.h"
#include "genomeBuilder.h"
#include "mappingRunTestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::GenomeBuilder;
using testing::makeGene;
using testing::RecordingProgress;

GeneRecord gene(std::uint8_t type, std::uint8_t subtype, std::uint8_t id, std::uint8_t flags,
                std::vector<std::uint8_t> body)
{
    GeneFields f;
    f.id = id;
    f.flags = flags;
    return makeGene(type, subtype, f, body);
}

const std::vector<std::uint8_t> GenusBody = {0, 'M', 'U', 'M', '1', 'D', 'A', 'D', '1'};

// The examined genome: loose genus, two stimuli (one male and female), half
// lives, a receptor and a pigment; an organ (not expressed) with a receptor
// and a non-expressed emitter; a brain organ with a male lobe.
TGeneticsFile examinedGenome()
{
    return GenomeBuilder{
        gene(2, 1, 0, 0, GenusBody), gene(2, 0, 1, 0, {1}),    gene(2, 0, 2, 0x18, {2}), gene(1, 3, 0, 0, {3}),
        gene(1, 0, 9, 0, {4}),       gene(3, 0, 1, 0x20, {5}), gene(1, 0, 1, 0, {6}),    gene(1, 1, 1, 0x20, {7}),
        gene(0, 1, 0, 0, {8}),       gene(0, 0, 1, 0x08, {9}), gene(2, 6, 0, 0, {10}),
    }
        .genome();
}

// The mother: another genus, the first stimulus identical but for its header,
// other half lives, the loose receptor, lobe and pigment identical, the
// organ and its receptor different, and a second organ the examined genome
// lacks. No brain organ, no emitter.
TGeneticsFile motherGenome()
{
    std::vector<std::uint8_t> genus = GenusBody;
    genus[2] = '2';
    return GenomeBuilder{
        gene(2, 1, 0, 0, genus), gene(2, 0, 1, 0x08, {1}), gene(1, 3, 0, 0, {33}), gene(1, 0, 9, 0, {4}),
        gene(0, 0, 1, 0, {9}),   gene(2, 6, 0, 0, {10}),   gene(3, 0, 1, 0, {55}), gene(1, 0, 1, 0, {66}),
        gene(3, 0, 2, 0, {0}),   gene(1, 0, 2, 0, {0}),    gene(1, 2, 1, 0, {0}),
    }
        .genome();
}

// The father: the examined genus and half lives, a different second stimulus,
// the emitter identical (loose, female), a different organ, the same brain
// organ with a different lobe.
TGeneticsFile fatherGenome()
{
    return GenomeBuilder{
        gene(2, 1, 0, 0, GenusBody), gene(2, 0, 2, 0, {99}), gene(1, 3, 0, 0, {3}),  gene(1, 1, 1, 0x10, {7}),
        gene(3, 0, 1, 0, {77}),      gene(0, 1, 0, 0, {8}),  gene(0, 0, 1, 0, {19}),
    }
        .genome();
}

using Table = std::array<StatisticsRow, StatisticsRowCount>;

Table fill(MappingMode mode, const TGeneticsFile& examined, const TGeneticsFile* mother, const TGeneticsFile* father,
           RecordingProgress& progress)
{
    MappingResult result;
    for (StatisticsRow& row : result.statistics)
        row = {"stale", "stale", "stale"};
    fillStatisticsTable(GenomeComparison(MappingInput{mode, &examined, mother, father}), result, progress);
    return result.statistics;
}

void expectTable(const Table& actual, const Table& expected)
{
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        SCOPED_TRACE(std::string(StatisticsCaptions[i]));
        EXPECT_EQ(actual[i].mutated, expected[i].mutated);
        EXPECT_EQ(actual[i].maternal, expected[i].maternal);
        EXPECT_EQ(actual[i].paternal, expected[i].paternal);
    }
}

TEST(Statistics, CaptionsAndColumnTitles)
{
    const std::array<std::string_view, 19> captions = {"Brain Lobes",
                                                       "Brain Organs",
                                                       "Receptors",
                                                       "Emitters",
                                                       "Reactions",
                                                       "Half Lives",
                                                       "Initial Concentrations",
                                                       "Stimuli",
                                                       "Genus",
                                                       "Appearances",
                                                       "Poses",
                                                       "Gaits",
                                                       "Instincts",
                                                       "Pigments",
                                                       "Pigment Bleeds",
                                                       "Organs",
                                                       "Male Specifics",
                                                       "Female Specifics",
                                                       "Non-Expressed Genes"};
    EXPECT_EQ(StatisticsCaptions, captions);
    const std::array<std::string_view, 4> titles = {"Type of Gene", "Mutated Genes (Out Of)", "Maternal Comparator",
                                                    "Paternal Comparator"};
    EXPECT_EQ(StatisticsColumnTitles, titles);
}

TEST(Statistics, BreakdownModeShowsTotalsInParentheses)
{
    const TGeneticsFile examined = examinedGenome();
    const TGeneticsFile mother = motherGenome();
    RecordingProgress progress;
    // Slots the mode does not use are not read.
    const Table table = fill(MappingMode::Breakdown, examined, &mother, &mother, progress);
    const Table expected = {{
        {"(1)", "--", "--"}, {"(1)", "--", "--"}, {"(2)", "--", "--"}, {"(1)", "--", "--"}, {"(0)", "--", "--"},
        {"(1)", "--", "--"}, {"(0)", "--", "--"}, {"(2)", "--", "--"}, {"(1)", "--", "--"}, {"(0)", "--", "--"},
        {"(0)", "--", "--"}, {"(0)", "--", "--"}, {"(0)", "--", "--"}, {"(1)", "--", "--"}, {"(0)", "--", "--"},
        {"(1)", "--", "--"}, {"(2)", "--", "--"}, {"(1)", "--", "--"}, {"(2)", "--", "--"},
    }};
    expectTable(table, expected);
    EXPECT_EQ(progress.calls, testing::positions(1, 19));
}

TEST(Statistics, SingleModeCountsAgainstTheMotherOnly)
{
    const TGeneticsFile examined = examinedGenome();
    const TGeneticsFile mother = motherGenome();
    const TGeneticsFile father = fatherGenome();
    const Table expected = {{
        {"0 (1)", "1", "--"}, {"0 (1)", "0", "--"}, {"1 (2)", "3", "--"}, {"0 (1)", "0", "--"}, {"0 (0)", "1", "--"},
        {"1 (1)", "1", "--"}, {"0 (0)", "0", "--"}, {"0 (2)", "1", "--"}, {"1 (1)", "1", "--"}, {"0 (0)", "0", "--"},
        {"0 (0)", "0", "--"}, {"0 (0)", "0", "--"}, {"0 (0)", "0", "--"}, {"0 (1)", "1", "--"}, {"0 (0)", "0", "--"},
        {"1 (1)", "2", "--"}, {"0 (2)", "1", "--"}, {"0 (1)", "0", "--"}, {"1 (2)", "0", "--"},
    }};
    // A father left in his slot from an earlier choice changes nothing.
    for (const TGeneticsFile* stale : {static_cast<const TGeneticsFile*>(nullptr), &father}) {
        SCOPED_TRACE(stale ? "stale father" : "no father");
        RecordingProgress progress;
        expectTable(fill(MappingMode::Single, examined, &mother, stale, progress), expected);
        EXPECT_EQ(progress.calls, testing::positions(1, 19));
    }
}

TEST(Statistics, DualModeCountsAgainstBothParents)
{
    const TGeneticsFile examined = examinedGenome();
    const TGeneticsFile mother = motherGenome();
    const TGeneticsFile father = fatherGenome();
    RecordingProgress progress;
    // Genus and half lives match the father: not mutated. The second stimulus
    // only the father holds, with another body: mutated (and so counted in
    // the male and female rows).
    const Table expected = {{
        {"0 (1)", "1", "1"}, {"0 (1)", "0", "1"}, {"1 (2)", "3", "0"}, {"0 (1)", "0", "1"}, {"0 (0)", "1", "0"},
        {"0 (1)", "1", "1"}, {"0 (0)", "0", "0"}, {"1 (2)", "1", "1"}, {"0 (1)", "1", "1"}, {"0 (0)", "0", "0"},
        {"0 (0)", "0", "0"}, {"0 (0)", "0", "0"}, {"0 (0)", "0", "0"}, {"0 (1)", "1", "0"}, {"0 (0)", "0", "0"},
        {"1 (1)", "2", "1"}, {"1 (2)", "1", "0"}, {"1 (1)", "0", "1"}, {"1 (2)", "0", "0"},
    }};
    expectTable(fill(MappingMode::Dual, examined, &mother, &father, progress), expected);
}

TEST(Statistics, FlagRowsCountEveryKindAndEveryBitSet)
{
    // One organ gene with all three bits, one lobe inside a brain organ with
    // two, one unknown kind with one.
    const TGeneticsFile examined =
        GenomeBuilder{gene(7, 7, 0, 0x20, {}), gene(3, 0, 1, 0x38, {}), gene(0, 1, 0, 0, {}), gene(0, 0, 1, 0x18, {})}
            .genome();
    const struct {
        std::uint8_t bit;
        const char* total;
    } rows[] = {{8, "(2)"}, {16, "(2)"}, {32, "(2)"}, {0x18, "(2)"}, {1, "(0)"}};
    for (const auto& r : rows) {
        SCOPED_TRACE(int(r.bit));
        StatisticsRow row;
        fillStatisticsRow(GenomeComparison(MappingInput{MappingMode::Breakdown, &examined, nullptr, nullptr}), r.bit, 0,
                          true, row);
        EXPECT_EQ(row.mutated, r.total);
    }
    // By kind, the subtype counts: (3, 0) and (0, 1) are different rows.
    StatisticsRow organs;
    fillStatisticsRow(GenomeComparison(MappingInput{MappingMode::Breakdown, &examined, nullptr, nullptr}), 3, 0, false,
                      organs);
    EXPECT_EQ(organs.mutated, "(1)");
}

} // namespace
} // namespace helixplot
