#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace helixplot::cli {

inline constexpr const char* ProgramName = "helixplot-cli";

extern const char* const UsageText;

// A command line that does not fit the usage; what() says why.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class Command { Breakdown, Summary, Map };

// How map finds its genomes: one file per slot, or the parents derived from
// the examined genome.
enum class MapMode { Breakdown, Single, Parental, Dual };

struct CliOptions {
    bool help = false;
    Command command = Command::Breakdown;
    std::optional<std::string> chemicalsPath;
    MapMode mode = MapMode::Breakdown;
    bool traceProgress = false;
    std::vector<std::string> files;
};

// Parses argv[1..argc-1]; throws UsageError. With --help anywhere, returns
// at once with help set.
CliOptions parseCommandLine(int argc, const char* const* argv);

// The run's mode number: 0 breakdown, 1 single, 2 parental and dual.
int mappingModeOf(MapMode mode);

} // namespace helixplot::cli
