// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/census.h"
#include "mapping/lineage.h"

#include <string>

namespace helixplot::cli {

// The census table in each format: one row per genome in census order.
// The text escapes control characters in names when it is for a terminal;
// the JSON goes straight to standard output.
std::string censusText(const Census& census, bool terminal);
std::string censusCsv(const Census& census);
void writeCensusJson(const Census& census);

// lineage DIR in each format. The text's changes read the creatures and
// their parents again from folder; CSV has one row per event and carrier.
// The text escapes control characters in names when it is for a terminal;
// the JSON goes straight to standard output.
std::string lineageText(const Lineage& lineage, const std::string& folder, bool terminal);
std::string lineageCsv(const Lineage& lineage);
void writeLineageJson(const Lineage& lineage);

} // namespace helixplot::cli
