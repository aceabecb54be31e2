#include "mappingRun.h"

#include "breakdownTree.h"
#include "comparisonTrees.h"
#include "geneMatching.h"
#include "statistics.h"

namespace helixplot {

namespace {

constexpr int MarkDone = 2;
constexpr int MarkSkipped = 1;
// Stage 5 ends twice: once built, once shown.
constexpr int MarkBuilt = 1;
constexpr int StatisticsPauseMs = 500;

// A run never starts on an empty slot that its mode reads.
void checkInput(const MappingInput& input)
{
    if (input.mode != BreakdownMode && input.mode != SingleMode && input.mode != DualMode)
        throw HelixplotError("Unknown mapping mode " + std::to_string(input.mode) + ".");
    if (!input.examined)
        throw HelixplotError("No genome under examination is loaded.");
    if (input.mode == SingleMode && !input.mother)
        throw HelixplotError("No comparator genome is loaded.");
    if (input.mode == DualMode && !input.mother)
        throw HelixplotError("No mother or first comparator genome is loaded.");
    if (input.mode == DualMode && !input.father)
        throw HelixplotError("No father or second comparator genome is loaded.");
}

int organCount(const TGeneticsFile* genome)
{
    return genome ? static_cast<int>(genome->OrganList().size()) : 0;
}

} // namespace

void MappingRun(const MappingInput& input, MappingResult& result, ProgressReporter& progress)
{
    checkInput(input);
    const GenomeComparison genomes(input);

    progress.showProgress();

    progress.beginStage(1, static_cast<int>(StatisticsRowCount));
    fillStatisticsTable(genomes, result, progress);
    progress.pause(StatisticsPauseMs);
    progress.endStage(1, MarkDone);

    if (input.mode == BreakdownMode) {
        for (int stage = 2; stage <= 4; ++stage) {
            progress.beginStage(stage, 0);
            progress.endStage(stage, MarkSkipped);
        }
        result.comparisonPagesVisible = false;
    } else {
        result.comparisonPagesVisible = true;
        const int examinedOrgans = organCount(input.examined);
        progress.beginStage(2, examinedOrgans + 3);
        buildMutatedTree(genomes, result.mutatedGenes, progress);

        int missingMaximum = organCount(genomes.mother()) + 1;
        if (genomes.usesFather())
            missingMaximum += organCount(genomes.father()) + 1;
        progress.beginStage(3, missingMaximum);
        buildMissingTree(genomes, result.missingGenes, progress);

        progress.beginStage(4, examinedOrgans + 1);
        buildAdditionalTree(genomes, result.additionalGenes, progress);
    }

    progress.beginStage(5, static_cast<int>(input.examined->geneCount()));
    buildBreakdownTree(*input.examined, result.breakdown, progress);
    progress.endStage(5, MarkBuilt);
    progress.endStage(5, MarkDone);
    progress.finishProgress();
}

} // namespace helixplot
