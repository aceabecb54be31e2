// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cliOptions.h"
#include "mapping/census.h"
#include "mapping/lineage.h"

#include <functional>
#include <string>
#include <vector>

namespace helixplot::cli {

// Takes the census of folder with a progress bar on standard error when that
// is a terminal and the folder holds more than a few hundred genomes.
Census takeCensusWithProgress(const std::string& folder, bool recursive);
// The same for a lineage.
Lineage traceLineageWithProgress(const std::string& folder, LineageOptions options);

// text as it is, or on a terminal each line with its control characters
// written out (escapedForMessage), the line ends kept.
std::string linesForTerminal(const std::string& text, bool terminal);

// census DIR: the table for standard output, in the chosen format.
std::string censusCommand(const CliOptions& options, bool terminal);
// The name of -o that means standard output.
inline constexpr const char* StandardOutputName = "-";

// report -o FILE DIR: writes the report (none of readFiles, the files the
// run reads besides the genomes, may be replaced), and returns nothing; with
// -o - returns the report for standard output. loadChemicalNames is called
// once the census is in, before the changes of the mutated genes are decoded.
std::string reportCommand(const CliOptions& options, const std::vector<std::string>& readFiles,
                          const std::function<void()>& loadChemicalNames);

// lineage DIR: the lineage for standard output, in the chosen format.
std::string lineageCommand(const CliOptions& options, bool terminal);

} // namespace helixplot::cli
