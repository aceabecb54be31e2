#pragma once

#include "geneMatching.h"
#include "mappingRun.h"
#include "progress.h"

#include <cstdint>

namespace helixplot {

// Fills the 19 statistics rows in order, reporting the number of rows done
// (positions 1 to 19) after each. The caller has begun stage 1.
void fillStatisticsTable(const GenomeComparison& genomes, MappingResult& result, ProgressReporter& progress);

// Counts one row's genes and writes its three texts. A row selects genes of
// kind (selector, subtype), or, with byFlag, genes whose flags share a bit
// with selector.
void fillStatisticsRow(const GenomeComparison& genomes, std::uint8_t selector, std::uint8_t subtype, bool byFlag,
                       StatisticsRow& row);

} // namespace helixplot
