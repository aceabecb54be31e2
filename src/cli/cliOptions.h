// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/mappingRun.h"

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot::cli {

inline constexpr const char* ProgramName = "helixplot-cli";

// A command line that does not fit the usage; what() says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Breakdown, Summary, Map, Diff, Census, Report, Lineage, Decompile, Compile };

// csv is census's and lineage's only.
enum class CensusFormat { Text, Csv, Json };
using OutputFormat = CensusFormat;

struct CliOptions {
    bool help = false;
    bool version = false;
    Command command = Command::Breakdown;
    std::optional<std::string> chemicalsPath;
    MappingChoice mode = MappingChoice::Breakdown;
    bool traceProgress = false;
    // census, report and lineage: the folder is files[0].
    bool recursive = false;
    // lineage --gene T:S:ID: type, subtype and id.
    std::optional<std::array<std::uint8_t, 3>> gene;
    CensusFormat format = CensusFormat::Text;
    std::string outputPath; // report, decompile, compile
    std::vector<std::string> files;
    std::string helpText; // with help: the whole usage
};

// Parses argv[1..argc-1]; throws UsageError. With --help (or else --version)
// among the options, returns with help (or version) set, whatever else the
// line holds.
CliOptions parseCommandLine(int argc, const char* const* argv);

// The command the line names (its first word that is one, before "--"), or
// nothing.
std::string_view commandNamed(int argc, const char* const* argv);

// "breakdown", "single", "parental" or "dual".
std::string_view choiceName(MappingChoice choice);

} // namespace helixplot::cli
