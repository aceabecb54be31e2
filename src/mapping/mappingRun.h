#pragma once

#include "decoder/displayTree.h"
#include "genetics/unitGenetics.h"
#include "progress.h"

#include <array>
#include <string>
#include <string_view>

namespace helixplot {

// 0 breakdown only, 1 one comparator (the mother slot), 2 two comparators.
enum MappingModes : int { BreakdownMode = 0, SingleMode = 1, DualMode = 2 };

// The genomes a run reads; a slot the mode does not use may hold anything.
struct MappingInput {
    int mode = BreakdownMode;
    const TGeneticsFile* examined = nullptr;
    const TGeneticsFile* mother = nullptr;
    const TGeneticsFile* father = nullptr;
};

inline constexpr std::size_t StatisticsRowCount = GeneKindCount + 3;
// Captions and column titles are in statistics.h.

// Columns 2 to 4 of one statistics row.
struct StatisticsRow {
    std::string mutated;
    std::string maternal;
    std::string paternal;
};

// Everything a run leaves for the main window's pages. A breakdown-only run
// leaves the comparison trees as the previous run left them.
struct MappingResult {
    std::array<StatisticsRow, StatisticsRowCount> statistics;
    DisplayTree mutatedGenes;
    DisplayTree missingGenes;
    DisplayTree additionalGenes;
    DisplayTree breakdown;
    bool comparisonPagesVisible = true;
};

// Runs a whole mapping into result, reporting to progress. Throws
// HelixplotError, before reporting anything, when a slot the mode needs is
// empty or the mode is not 0, 1 or 2. Statistics and trees are in
// statistics.h, comparisonTrees.h and breakdownTree.h; their text form, as
// helixplot-cli prints it, in resultText.h.
void MappingRun(const MappingInput& input, MappingResult& result, ProgressReporter& progress);

} // namespace helixplot
