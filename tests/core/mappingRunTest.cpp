// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/mappingRun.h"
#include "genomeBuilder.h"
#include "mapping/breakdownTree.h"
#include "mapping/resultText.h"
#include "mapping/statistics.h"
#include "mappingRunTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::concat;
using testing::decodedAt;
using testing::dumpOf;
using testing::GenomeBuilder;
using testing::makeGene;
using testing::positions;
using testing::RecordingProgress;

using Calls = std::vector<std::string>;

// No organs, three genes.
TGeneticsFile withoutOrgans()
{
    return GenomeBuilder{makeGene(GeneKind::Stimulus, 1, {1}), makeGene(GeneKind::Pigment, 1, {2}),
                         makeGene(GeneKind::Receptor, 1, {3})}
        .genome();
}

// Two organs, five genes.
TGeneticsFile withOrgans()
{
    return GenomeBuilder{makeGene(GeneKind::Stimulus, 1, {1}), makeGene(GeneKind::Organ, 1),
                         makeGene(GeneKind::Receptor, 1, {3}), makeGene(GeneKind::BrainOrgan, 0),
                         makeGene(GeneKind::BrainLobe, 1, {4})}
        .genome();
}

// One organ.
TGeneticsFile motherGenome()
{
    return GenomeBuilder{makeGene(GeneKind::Stimulus, 1, {9}), makeGene(GeneKind::Organ, 1),
                         makeGene(GeneKind::Receptor, 1, {3})}
        .genome();
}

// Two organs.
TGeneticsFile fatherGenome()
{
    return GenomeBuilder{makeGene(GeneKind::Pigment, 1, {2}), makeGene(GeneKind::Organ, 1),
                         makeGene(GeneKind::Organ, 2)}
        .genome();
}

const Calls statisticsStage =
    concat({{"showProgress", "beginStage 1 19"}, positions(1, 19), {"pause 500"}, {"endStage 1 2"}});
const Calls skippedStages = {"beginStage 2 0", "endStage 2 1",   "beginStage 3 0",
                             "endStage 3 1",   "beginStage 4 0", "endStage 4 1"};

Calls breakdownStage(int genes)
{
    return concat({{"beginStage 5 " + std::to_string(genes)},
                   positions(1, genes),
                   {"endStage 5 1", "endStage 5 2", "finishProgress"}});
}

// Stages 2 to 4 of a comparative run: n examined organs, stage 3 maximum m.
Calls comparisonStages(int n, int m)
{
    return concat({{"beginStage 2 " + std::to_string(n + 3)},
                   positions(1, n + 2),
                   {"endStage 2 2", "beginStage 3 " + std::to_string(m)},
                   positions(1, m),
                   {"endStage 3 2", "beginStage 4 " + std::to_string(n + 1)},
                   positions(1, n + 1),
                   {"endStage 4 2"}});
}

TEST(MappingRun, ReportsExactlyTheProgressOfEachMode)
{
    const TGeneticsFile plain = withoutOrgans();
    const TGeneticsFile organs = withOrgans();
    const TGeneticsFile mother = motherGenome();
    const TGeneticsFile father = fatherGenome();
    const struct {
        const char* what;
        MappingInput input;
        Calls expected;
    } cases[] = {
        {"breakdown, no organs",
         {MappingMode::Breakdown, &plain, nullptr, nullptr},
         concat({statisticsStage, skippedStages, breakdownStage(3)})},
        {"breakdown, organs",
         {MappingMode::Breakdown, &organs, &mother, &father},
         concat({statisticsStage, skippedStages, breakdownStage(5)})},
        {"single, no organs",
         {MappingMode::Single, &plain, &mother, nullptr},
         concat({statisticsStage, comparisonStages(0, 2), breakdownStage(3)})},
        {"single, organs, stale father",
         {MappingMode::Single, &organs, &mother, &father},
         concat({statisticsStage, comparisonStages(2, 2), breakdownStage(5)})},
        {"dual, no organs",
         {MappingMode::Dual, &plain, &mother, &father},
         concat({statisticsStage, comparisonStages(0, 5), breakdownStage(3)})},
        {"dual, organs",
         {MappingMode::Dual, &organs, &mother, &father},
         concat({statisticsStage, comparisonStages(2, 5), breakdownStage(5)})},
        {"dual, organless comparators",
         {MappingMode::Dual, &organs, &plain, &plain},
         concat({statisticsStage, comparisonStages(2, 2), breakdownStage(5)})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        MappingResult result;
        RecordingProgress progress;
        MappingRun(c.input, result, progress);
        EXPECT_EQ(progress.calls, c.expected);
    }
}

TEST(MappingRun, RefusesAnEmptySlotTheModeNeedsBeforeReportingAnything)
{
    const TGeneticsFile genome = withoutOrgans();
    const struct {
        MappingInput input;
        const char* message;
    } cases[] = {
        {{MappingMode::Breakdown, nullptr, &genome, &genome}, "No genome under examination is loaded."},
        {{MappingMode::Single, nullptr, &genome, &genome}, "No genome under examination is loaded."},
        {{MappingMode::Single, &genome, nullptr, &genome}, "No comparator genome is loaded."},
        {{MappingMode::Dual, &genome, nullptr, &genome}, "No mother or first comparator genome is loaded."},
        {{MappingMode::Dual, &genome, &genome, nullptr}, "No father or second comparator genome is loaded."},
        {{static_cast<MappingMode>(3), &genome, &genome, &genome}, "Unknown mapping mode 3."},
        {{static_cast<MappingMode>(-1), &genome, &genome, &genome}, "Unknown mapping mode -1."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        MappingResult result;
        result.breakdown.appendTopLevel("before");
        RecordingProgress progress;
        try {
            MappingRun(c.input, result, progress);
            ADD_FAILURE() << "no error";
        } catch (const HelixplotError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
        EXPECT_TRUE(progress.calls.empty());
        EXPECT_EQ(dumpOf(result.breakdown), "before\n");
        EXPECT_TRUE(result.statistics[0].mutated.empty());
    }
    // Slots the mode does not read may be empty.
    MappingResult result;
    SilentProgress silent;
    EXPECT_NO_THROW(MappingRun({MappingMode::Breakdown, &genome, nullptr, nullptr}, result, silent));
    EXPECT_NO_THROW(MappingRun({MappingMode::Single, &genome, &genome, nullptr}, result, silent));
}

TEST(MappingRun, BreakdownModeLeavesTheComparisonTreesAndHidesTheirPages)
{
    const TGeneticsFile examined = withOrgans();
    const TGeneticsFile mother = motherGenome();
    const TGeneticsFile other = withoutOrgans();
    MappingResult result;
    SilentProgress silent;
    MappingRun({MappingMode::Single, &examined, &mother, nullptr}, result, silent);
    ASSERT_TRUE(result.comparisonPagesVisible);
    const std::string mutated = dumpOf(result.mutatedGenes);
    const std::string missing = dumpOf(result.missingGenes);
    const std::string additional = dumpOf(result.additionalGenes);
    // The examined stimulus differs from the mother's; the lobe she lacks.
    const GeneRecord stimulus = makeGene(GeneKind::Stimulus, 1, {1});
    const GeneRecord lobe = makeGene(GeneKind::BrainLobe, 1, {4});
    EXPECT_EQ(mutated, "Brain Lobes\n" + decodedAt(lobe, 1) + "Creature Stimuli\n" + decodedAt(stimulus, 1));
    EXPECT_EQ(additional, "Brain Lobes\n" + decodedAt(lobe, 1));
    EXPECT_EQ(missing, "No comparator genes missing from genome\n");
    EXPECT_EQ(result.statistics[7].mutated, "1 (1)");

    MappingRun({MappingMode::Breakdown, &other, nullptr, nullptr}, result, silent);
    EXPECT_FALSE(result.comparisonPagesVisible);
    EXPECT_EQ(dumpOf(result.mutatedGenes), mutated);
    EXPECT_EQ(dumpOf(result.missingGenes), missing);
    EXPECT_EQ(dumpOf(result.additionalGenes), additional);
    EXPECT_EQ(result.statistics[7].mutated, "(1)");
    EXPECT_EQ(result.statistics[7].maternal, "--");
    // The breakdown is rebuilt from the new genome alone.
    DisplayTree expectedBreakdown;
    buildBreakdownTree(other, expectedBreakdown, silent);
    EXPECT_EQ(dumpOf(result.breakdown), dumpOf(expectedBreakdown));

    // A comparative run after it shows the pages again, rebuilt.
    MappingRun({MappingMode::Single, &other, &other, nullptr}, result, silent);
    EXPECT_TRUE(result.comparisonPagesVisible);
    EXPECT_EQ(dumpOf(result.mutatedGenes), "");
    EXPECT_EQ(dumpOf(result.additionalGenes), "No additional genes over comparators\n");
}

TEST(MappingRun, BreakdownStageCountsEveryGeneKnownOrNot)
{
    const TGeneticsFile genome =
        GenomeBuilder{makeGene(3, 1, 0), makeGene(GeneKind::Stimulus, 1), makeGene(GeneKind::Organ, 1)}.genome();
    MappingResult result;
    RecordingProgress progress;
    MappingRun({MappingMode::Breakdown, &genome, nullptr, nullptr}, result, progress);
    EXPECT_EQ(progress.calls, concat({statisticsStage, skippedStages, breakdownStage(3)}));
}

MappingResult handMadeResult()
{
    MappingResult r;
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        const std::string n = std::to_string(i);
        r.statistics[i] = {n + " (" + std::to_string(i + 1) + ")", std::string("m").append(n),
                           std::string("p").append(n)};
    }
    const NodeId a = r.mutatedGenes.appendTopLevel("Creature Poses");
    r.mutatedGenes.addChild(r.mutatedGenes.addChild(a, "01 pose"), "line");
    r.missingGenes.appendTopLevel("No comparator genes missing from genome");
    // additionalGenes stays empty: it prints nothing.
    const NodeId b = r.breakdown.appendTopLevel("Creature Genus");
    r.breakdown.addChild(b, "");
    r.breakdown.appendTopLevel("Organs");
    return r;
}

TEST(ResultText, PrintsEveryVisiblePageInOrder)
{
    std::string statistics = "== General Genome Information\n"
                             "Type of Gene\tMutated Genes (Out Of)\tMaternal Comparator\tPaternal Comparator\n";
    // The captions themselves are checked by the statistics tests.
    const auto& captions = StatisticsCaptions;
    for (int i = 0; i < 19; ++i) {
        const std::string n = std::to_string(i);
        statistics +=
            std::string(captions[i]) + "\t" + n + " (" + std::to_string(i + 1) + ")\tm" + n + "\tp" + n + "\n";
    }
    const std::string comparison = "== Mutated genes\n"
                                   "Creature Poses\n"
                                   " 01 pose\n"
                                   "  line\n"
                                   "== Missing Genes\n"
                                   "No comparator genes missing from genome\n"
                                   "== Additional Genes\n";
    const std::string breakdown = "== Genome Breakdown\n"
                                  "Creature Genus\n"
                                  " \n"
                                  "Organs\n";
    MappingResult r = handMadeResult();
    EXPECT_EQ(mappingResultText(r, true), statistics + comparison + breakdown);
    EXPECT_EQ(mappingResultText(r, false), statistics + breakdown);
    r.comparisonPagesVisible = false;
    EXPECT_EQ(mappingResultText(r), statistics + breakdown);
}

} // namespace
} // namespace helixplot
