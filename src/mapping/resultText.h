#pragma once

#include "mappingRun.h"

#include <string>

namespace helixplot {

// The pages of a run as text, each under a line "== " + its title: the
// statistics table (column titles, then the 19 rows, tab-separated), then,
// with comparisonPages, the mutated, missing and additional trees, then the
// breakdown. Trees are dumped one line per node, one leading space per level.
std::string mappingResultText(const MappingResult& result, bool comparisonPages);
// With the pages the run left visible.
inline std::string mappingResultText(const MappingResult& result)
{
    return mappingResultText(result, result.comparisonPagesVisible);
}

// The statistics page alone: the title line and the 19 rows.
void appendStatisticsText(const MappingResult& result, std::string& out);

} // namespace helixplot
