#pragma once

#include "cliOptions.h"
#include "mapping/census.h"

#include <functional>
#include <string>
#include <vector>

namespace helixplot::cli {

// The census table in each format: one row per genome in census order.
std::string censusText(const Census& census);
std::string censusCsv(const Census& census);
std::string censusJson(const Census& census);

// Takes the census of folder with a progress bar on standard error when that
// is a terminal and the folder holds more than a few hundred genomes.
Census takeCensusWithProgress(const std::string& folder, bool recursive);

// census DIR: the table for standard output, in the chosen format.
std::string censusCommand(const CliOptions& options);
// The name of -o that means standard output.
inline constexpr const char* StandardOutputName = "-";

// report -o FILE DIR: writes the report (none of readFiles, the files the
// run reads besides the genomes, may be replaced), and returns nothing; with
// -o - returns the report for standard output. loadChemicalNames is called
// once the census is in, before the changes of the mutated genes are decoded.
std::string reportCommand(const CliOptions& options, const std::vector<std::string>& readFiles,
                          const std::function<void()>& loadChemicalNames);

// Genome texts are single bytes: each byte as the character of that number.
std::string latin1ToUtf8(const std::string& text);
// File names as the system gives them: kept when they are UTF-8, else read
// as single bytes like genome texts.
std::string fileNameUtf8(const std::string& name);

} // namespace helixplot::cli
