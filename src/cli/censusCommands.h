#pragma once

#include "cliOptions.h"
#include "mapping/census.h"

#include <functional>
#include <string>
#include <vector>

namespace helixplot::cli {

// The census table in each format: one row per genome in census order.
// The text escapes control characters in names when it is for a terminal;
// the JSON goes straight to standard output.
std::string censusText(const Census& census, bool terminal);
std::string censusCsv(const Census& census);
void writeCensusJson(const Census& census);

// Takes the census of folder with a progress bar on standard error when that
// is a terminal and the folder holds more than a few hundred genomes.
Census takeCensusWithProgress(const std::string& folder, bool recursive);

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

} // namespace helixplot::cli
