// SPDX-License-Identifier: GPL-3.0-or-later
#include "mappingRun.h"

#include "breakdownTree.h"
#include "comparisonTrees.h"
#include "geneChange.h"
#include "geneMatching.h"
#include "statistics.h"

namespace helixplot {

namespace {

// Stage 5 ends twice: once built, once shown.
constexpr StageMark MarkBuilt = StageMark::Skipped;
constexpr int StatisticsPauseMs = 500;

// A run never starts on an empty slot that its mode reads.
void checkInput(const MappingInput& input)
{
    if (input.mode != MappingMode::Breakdown && input.mode != MappingMode::Single && input.mode != MappingMode::Dual)
        throw HelixplotError("Unknown mapping mode " + std::to_string(static_cast<int>(input.mode)) + ".");
    if (!input.examined)
        throw HelixplotError("No genome under examination is loaded.");
    if (input.mode == MappingMode::Single && !input.mother)
        throw HelixplotError("No comparator genome is loaded.");
    if (input.mode == MappingMode::Dual && !input.mother)
        throw HelixplotError("No mother or first comparator genome is loaded.");
    if (input.mode == MappingMode::Dual && !input.father)
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
    progress.endStage(1, StageMark::Done);

    if (input.mode == MappingMode::Breakdown) {
        for (int stage = 2; stage <= 4; ++stage) {
            progress.beginStage(stage, 0);
            progress.endStage(stage, StageMark::Skipped);
        }
        result.comparisonPagesVisible = false;
    } else {
        result.comparisonPagesVisible = true;
        const int examinedOrgans = organCount(input.examined);
        progress.beginStage(2, examinedOrgans + 3);
        // No changes of an earlier run may stand beside a new tree. Only the
        // genes: their lines and diffs are made when asked for.
        result.mutatedChanges.clear();
        buildMutatedTree(genomes, result.mutatedGenes, progress, input.keepChanges ? &result.mutatedChanges : nullptr);

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
    progress.endStage(5, StageMark::Done);
    progress.finishProgress();
}

} // namespace helixplot
