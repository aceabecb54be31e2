// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mappingRun.h"

#include <string>

namespace helixplot {

// The pages of a run as text, each under a line "== " + its title: the
// statistics table (column titles, then the 19 rows, tab-separated), then,
// with comparisonPages, the mutated, missing and additional trees, then the
// breakdown. Trees are dumped one line per node, one leading space per level.
// With escapeControls, control characters in tree texts are written as \xNN.
std::string mappingResultText(const MappingResult& result, bool comparisonPages, bool escapeControls = false);
// With the pages the run left visible.
inline std::string mappingResultText(const MappingResult& result)
{
    return mappingResultText(result, result.comparisonPagesVisible);
}

// The statistics page alone: the title line and the 19 rows.
void appendStatisticsText(const MappingResult& result, std::string& out);

// The main window's pages, in their order.
enum class ResultPage { Statistics, Mutated, Missing, Additional, Breakdown };

// One page exactly as helixplot-cli map prints it: "== " + its title, then
// its rows or tree lines.
std::string pageText(const MappingResult& result, ResultPage page);

// The statistics table as CSV: the column titles, then the 19 rows; fields
// quoted where they hold a comma or a quote, lines ended by CR LF.
std::string statisticsCsv(const MappingResult& result);

} // namespace helixplot
