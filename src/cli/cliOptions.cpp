#include "cliOptions.h"

#include <string_view>

namespace helixplot::cli {

const char* const UsageText =
    "Usage: helixplot-cli COMMAND [--chemicals FILE] [--mode MODE] [--trace-progress] FILE...\n"
    "\n"
    "Commands:\n"
    "  breakdown GENOME                        print the genome breakdown tree\n"
    "  summary GENOME                          print the four summary lines of GENOME\n"
    "  map GENOME [COMPARATOR1 [COMPARATOR2]]  run a whole mapping and print every page it leaves visible\n"
    "\n"
    "Options:\n"
    "  --chemicals FILE   read the chemical names from FILE instead of the game's file named by the settings\n"
    "  --mode MODE        (map) breakdown, single, parental or dual; by default the number of files decides:\n"
    "                     1 breakdown, 2 single, 3 dual. Parental mode takes GENOME only and finds the\n"
    "                     parents' files next to it, named after the parents its genus gene names.\n"
    "  --trace-progress   (map) write every progress call of the run to stderr\n"
    "  --help             print this text\n"
    "\n"
    "Exit status: 0 done, 1 a file did not load, 2 usage error.\n";

namespace {

Command commandNamed(std::string_view name)
{
    if (name == "breakdown")
        return Command::Breakdown;
    if (name == "summary")
        return Command::Summary;
    if (name == "map")
        return Command::Map;
    throw UsageError("unknown command '" + std::string(name) + "'");
}

MappingChoice modeNamed(std::string_view name)
{
    if (name == "breakdown")
        return MappingChoice::Breakdown;
    if (name == "single")
        return MappingChoice::Single;
    if (name == "parental")
        return MappingChoice::Parental;
    if (name == "dual")
        return MappingChoice::Dual;
    throw UsageError("unknown mode '" + std::string(name) + "' (breakdown, single, parental or dual)");
}

std::size_t filesNeeded(MappingChoice mode)
{
    switch (mode) {
    case MappingChoice::Single:
        return 2;
    case MappingChoice::Dual:
        return 3;
    default:
        return 1;
    }
}

const char* modeName(MappingChoice mode)
{
    switch (mode) {
    case MappingChoice::Breakdown:
        return "breakdown";
    case MappingChoice::Single:
        return "single";
    case MappingChoice::Parental:
        return "parental";
    default:
        return "dual";
    }
}

std::string filesText(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " file" : " files");
}

} // namespace

CliOptions parseCommandLine(int argc, const char* const* argv)
{
    CliOptions options;
    // --help wins over anything else on the line.
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        if (std::string_view(argv[i]) == "--help") {
            options.help = true;
            return options;
        }
    }

    std::vector<std::string> words;
    std::optional<std::string> modeText;
    bool optionsEnded = false;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            words.emplace_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--trace-progress") {
            options.traceProgress = true;
            continue;
        }
        // --name VALUE or --name=VALUE
        const auto eq = arg.find('=');
        const std::string_view name = arg.substr(0, eq);
        if (name != "--chemicals" && name != "--mode")
            throw UsageError("unknown option '" + std::string(arg) + "'");
        std::string value;
        if (eq != std::string_view::npos) {
            value = std::string(arg.substr(eq + 1));
        } else {
            if (i + 1 >= argc)
                throw UsageError("option '" + std::string(name) + "' needs a value");
            value = argv[++i];
        }
        if (name == "--chemicals")
            options.chemicalsPath = value;
        else
            modeText = value;
    }

    if (words.empty())
        throw UsageError("no command given");
    options.command = commandNamed(words.front());
    options.files.assign(words.begin() + 1, words.end());
    const std::size_t fileCount = options.files.size();

    if (options.command != Command::Map) {
        if (modeText)
            throw UsageError("--mode is an option of map only");
        if (options.traceProgress)
            throw UsageError("--trace-progress is an option of map only");
        if (fileCount != 1)
            throw UsageError(std::string(words.front()) + " takes one genome file, not " + std::to_string(fileCount));
        return options;
    }

    if (modeText) {
        options.mode = modeNamed(*modeText);
        if (fileCount != filesNeeded(options.mode))
            throw UsageError(std::string("mode ") + modeName(options.mode) + " takes " +
                             filesText(filesNeeded(options.mode)) + ", not " + std::to_string(fileCount));
    } else {
        switch (fileCount) {
        case 1:
            options.mode = MappingChoice::Breakdown;
            break;
        case 2:
            options.mode = MappingChoice::Single;
            break;
        case 3:
            options.mode = MappingChoice::Dual;
            break;
        default:
            throw UsageError("map takes 1 to 3 genome files, not " + std::to_string(fileCount));
        }
    }
    return options;
}

} // namespace helixplot::cli
