// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/census.h"
#include "mapping/lineage.h"

#include <atomic>
#include <functional>
#include <string>
#include <string_view>

namespace helixplot::cli {

// The census as one self-contained HTML page: the table (sortable with a few
// lines of inline script, readable without), the family tree and the charts
// as inline SVG, the mutation hotspots among them when hotspots are given,
// and each creature's changes, with the carriers of each change that is one
// of events (rows of census, in census order as traceLineage gives them).
// Every text from a genome file or a file name is escaped. step, when
// given, is told before each of the report's steps and once at the end
// (done of ReportSteps); what it throws stops the report. Once cancel is
// set, the report stops within a few creatures' changes by throwing
// ReportCancelled.
inline constexpr int ReportSteps = 4;
struct ReportCancelled : HelixplotError {
    ReportCancelled() : HelixplotError("Report cancelled") {}
};
std::string censusReportHtml(const Census& census, const std::string& folder,
                             const std::vector<GeneHotspot>& hotspots = {},
                             const std::vector<MutationEvent>& events = {},
                             const std::function<void(int done, int total)>& step = {},
                             const std::atomic<bool>* cancel = nullptr);

// The same with the lineage's census, hotspots and events.
std::string censusReportHtml(const Lineage& lineage, const std::string& folder);

// Where a page goes, a piece at a time.
using PageSink = std::function<void(std::string_view)>;

// The same page handed to write in pieces of some tens of kilobytes, never
// held whole: its memory stays that of the census and one creature's
// changes.
void writeCensusReport(const PageSink& write, const Census& census, const std::string& folder,
                       const std::vector<GeneHotspot>& hotspots = {}, const std::vector<MutationEvent>& events = {},
                       const std::function<void(int done, int total)>& step = {},
                       const std::atomic<bool>* cancel = nullptr);
void writeCensusReport(const PageSink& write, const Lineage& lineage, const std::string& folder);

// UTF-8 text for HTML content and attribute values; control characters
// (C0 and C1) and noncharacters become U+FFFD.
std::string htmlEscaped(const std::string& utf8);

} // namespace helixplot::cli
