// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/displayTree.h"
#include "geneChange.h"
#include "genetics/unitGenetics.h"
#include "progress.h"

#include <array>
#include <string>
#include <string_view>

namespace helixplot {

// What a run compares the examined genome with: nothing, the mother slot, or
// both slots. The numbers are the ones the mode has always had.
enum class MappingMode { Breakdown = 0, Single = 1, Dual = 2 };

// The four ways of choosing genomes, in the selection dialog and in
// helixplot-cli: parental and dual differ only in where the files come from.
enum class MappingChoice { Breakdown, Parental, Single, Dual };

constexpr MappingMode mappingModeOf(MappingChoice choice)
{
    switch (choice) {
    case MappingChoice::Breakdown:
        return MappingMode::Breakdown;
    case MappingChoice::Single:
        return MappingMode::Single;
    default:
        return MappingMode::Dual;
    }
}

// The three genome slots; the mother slot holds the only or first comparator,
// the father slot the second.
enum class GenomeSlot { Examined, Mother, Father };

// Whether a run in mode reads slot.
constexpr bool modeReads(MappingMode mode, GenomeSlot slot)
{
    switch (slot) {
    case GenomeSlot::Examined:
        return true;
    case GenomeSlot::Mother:
        return mode != MappingMode::Breakdown;
    default:
        return mode == MappingMode::Dual;
    }
}

// The genomes a run reads; a slot the mode does not use may hold anything.
struct MappingInput {
    MappingMode mode = MappingMode::Breakdown;
    const TGeneticsFile* examined = nullptr;
    const TGeneticsFile* mother = nullptr;
    const TGeneticsFile* father = nullptr;
    // Whether the result keeps the mutated genes' changes (mutatedChanges):
    // a caller that only prints the trees saves their making.
    bool keepChanges = true;
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
    // One per gene the mutated tree lists, in its order (geneChange.h).
    MutatedChanges mutatedChanges;
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
