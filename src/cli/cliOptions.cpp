#include "cliOptions.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <string_view>

namespace helixplot::cli {

const char* const UsageText =
    "Usage: helixplot-cli COMMAND [--chemicals FILE] [--mode MODE] [--format FORMAT] [--trace-progress] FILE...\n"
    "       helixplot-cli census [--chemicals FILE] [--recursive] [--format text|csv|json] DIR\n"
    "       helixplot-cli report [--chemicals FILE] [--recursive] -o FILE.html DIR\n"
    "\n"
    "Commands:\n"
    "  breakdown GENOME                        print the genome breakdown tree\n"
    "  summary GENOME                          print the four summary lines of GENOME\n"
    "  map GENOME [COMPARATOR1 [COMPARATOR2]]  run a whole mapping and print every page it leaves visible\n"
    "  diff GENOME [COMPARATOR1 [COMPARATOR2]] print each mutated gene beside its comparators' genes\n"
    "  census DIR                              one row per genome file of DIR: parents, counts, generation\n"
    "  report -o FILE.html DIR                 the census as one HTML page with family tree and charts\n"
    "\n"
    "Options:\n"
    "  --chemicals FILE   read the chemical names from FILE instead of the game's file named by the settings\n"
    "  --mode MODE        (map, diff) breakdown (map only), single, parental or dual; by default the number\n"
    "                     of files decides: 1 breakdown, 2 single, 3 dual. Parental mode takes GENOME only\n"
    "                     and finds the parents' files next to it, named after the parents its genus gene\n"
    "                     names.\n"
    "  --trace-progress   (map) write every progress call of the run to stderr\n"
    "  --recursive        (census, report) take the genome files of DIR's subfolders too\n"
    "  --format FORMAT    text (the default) or json; census also csv\n"
    "  -o FILE            (report) the HTML file to write; - for standard output\n"
    "  --help             print this text\n"
    "  --version          print the program's name and version\n"
    "\n"
    "Exit status: 0 done, 1 a file did not load, 2 usage error.\n";

namespace {

struct ModeName {
    std::string_view name;
    MappingChoice choice;
    std::size_t files;
};

constexpr ModeName ModeNames[] = {
    {"breakdown", MappingChoice::Breakdown, 1},
    {"single", MappingChoice::Single, 2},
    {"parental", MappingChoice::Parental, 1},
    {"dual", MappingChoice::Dual, 3},
};

const ModeName& modeNamed(std::string_view name)
{
    for (const ModeName& m : ModeNames)
        if (m.name == name)
            return m;
    throw UsageError("unknown mode '" + std::string(name) + "' (breakdown, single, parental or dual)");
}

std::string filesText(std::size_t n)
{
    return std::to_string(n) + (n == 1 ? " file" : " files");
}

// What a command does with the files and the map-only options it was given.
using FileCheck = void (*)(std::string_view command, const std::optional<std::string>& mode, CliOptions& options);

void oneGenome(std::string_view command, const std::optional<std::string>& mode, CliOptions& options)
{
    if (mode)
        throw UsageError("--mode is an option of map and diff only");
    if (options.traceProgress)
        throw UsageError("--trace-progress is an option of map only");
    if (options.files.size() != 1)
        throw UsageError(std::string(command) + " takes one genome file, not " + std::to_string(options.files.size()));
}

void mapGenomes(std::string_view, const std::optional<std::string>& mode, CliOptions& options)
{
    const std::size_t count = options.files.size();
    if (mode) {
        const ModeName& m = modeNamed(*mode);
        if (count != m.files)
            throw UsageError("mode " + std::string(m.name) + " takes " + filesText(m.files) + ", not " +
                             std::to_string(count));
        options.mode = m.choice;
        return;
    }
    // Without --mode the number of files decides.
    if (count < 1 || count > 3)
        throw UsageError("map takes 1 to 3 genome files, not " + std::to_string(count));
    options.mode = count == 1 ? MappingChoice::Breakdown : count == 2 ? MappingChoice::Single : MappingChoice::Dual;
}

void oneFolder(std::string_view command, const std::optional<std::string>& mode, CliOptions& options)
{
    if (mode)
        throw UsageError("--mode is an option of map only");
    if (options.traceProgress)
        throw UsageError("--trace-progress is an option of map only");
    if (options.files.size() != 1)
        throw UsageError(std::string(command) + " takes one folder, not " + std::to_string(options.files.size()));
    if (options.command == Command::Report && options.outputPath.empty())
        throw UsageError("report needs -o FILE.html");
}

CensusFormat formatNamed(std::string_view name)
{
    if (name == "text")
        return CensusFormat::Text;
    if (name == "csv")
        return CensusFormat::Csv;
    if (name == "json")
        return CensusFormat::Json;
    throw UsageError("unknown format '" + std::string(name) + "' (text, csv or json)");
}

// Options of some commands only.
void checkCensusOptions(const std::optional<std::string>& format, const std::optional<std::string>& output,
                        CliOptions& options)
{
    const bool census = options.command == Command::Census || options.command == Command::Report;
    if (options.recursive && !census)
        throw UsageError("--recursive is an option of census and report only");
    if (format && options.command == Command::Report)
        throw UsageError("--format is no option of report");
    if (output && options.command != Command::Report)
        throw UsageError("-o is an option of report only");
    if (format)
        options.format = formatNamed(*format);
    if (options.format == CensusFormat::Csv && options.command != Command::Census)
        throw UsageError("format csv is census's only (text or json)");
    if (output)
        options.outputPath = *output;
}

// diff needs a comparator: every mode but breakdown, chosen by the number of
// files as for map when not given.
void diffGenomes(std::string_view, const std::optional<std::string>& mode, CliOptions& options)
{
    if (options.traceProgress)
        throw UsageError("--trace-progress is an option of map only");
    const std::size_t count = options.files.size();
    if (mode) {
        const ModeName& m = modeNamed(*mode);
        if (m.choice == MappingChoice::Breakdown)
            throw UsageError("diff has no mode breakdown (single, parental or dual)");
        if (count != m.files)
            throw UsageError("mode " + std::string(m.name) + " takes " + filesText(m.files) + ", not " +
                             std::to_string(count));
        options.mode = m.choice;
        return;
    }
    if (count < 2 || count > 3)
        throw UsageError("diff takes 2 or 3 genome files, or 1 with --mode parental, not " + std::to_string(count));
    options.mode = count == 2 ? MappingChoice::Single : MappingChoice::Dual;
}

struct CommandSpec {
    std::string_view name;
    Command command;
    FileCheck check;
};

// One row per command.
constexpr CommandSpec Commands[] = {
    {"breakdown", Command::Breakdown, oneGenome},
    {"summary", Command::Summary, oneGenome},
    {"map", Command::Map, mapGenomes},
    {"diff", Command::Diff, diffGenomes},
    {"census", Command::Census, oneFolder},
    {"report", Command::Report, oneFolder},
};

// CLI11 says "--mode: 1 required TEXT missing"; the option's name is what
// stands before the colon.
std::string optionOf(const CLI::ParseError& e)
{
    const std::string_view what = e.what();
    return std::string(what.substr(0, what.find(':')));
}

} // namespace

CliOptions parseCommandLine(int argc, const char* const* argv)
{
    CliOptions options;
    // --help, then --version, win over anything else on the line, even over what
    // does not parse.
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i) {
        options.help = options.help || std::string_view(argv[i]) == "--help";
        options.version = options.version || std::string_view(argv[i]) == "--version";
    }
    if (options.help || options.version) {
        options.version = !options.help;
        return options;
    }

    CLI::App app{"", ProgramName};
    app.set_help_flag();
    // Unknown options and commands are reported below, in our words.
    app.allow_extras();
    // The options are spelt with dashes everywhere; on Windows, CLI11 would
    // otherwise take a rooted path such as /data/tibb.gen for an option.
    app.allow_windows_style_options(false);
    app.require_subcommand(0, 1);
    std::optional<std::string> modeText;
    app.add_option("--chemicals", options.chemicalsPath);
    app.add_option("--mode", modeText);
    app.add_flag("--trace-progress", options.traceProgress);
    std::optional<std::string> formatText;
    std::optional<std::string> outputText;
    app.add_flag("--recursive", options.recursive);
    app.add_option("--format", formatText);
    app.add_option("-o", outputText);
    for (const CommandSpec& c : Commands) {
        CLI::App* sub = app.add_subcommand(std::string(c.name));
        sub->set_help_flag();
        sub->allow_extras();
        // The options may stand anywhere on the line, before or after the files.
        sub->fallthrough();
        sub->add_option("files", options.files);
    }

    // Everything after "--" is a command or a file name, whatever it looks like.
    int end = 1;
    while (end < argc && std::string_view(argv[end]) != "--")
        ++end;
    std::vector<std::string> words(argv + std::min(end + 1, argc), argv + argc);
    try {
        app.parse(end, argv);
    } catch (const CLI::ArgumentMismatch& e) {
        throw UsageError("option '" + optionOf(e) + "' needs a value");
    } catch (const CLI::ParseError& e) {
        throw UsageError(e.what());
    }

    std::vector<std::string> extras = app.remaining();
    for (const CLI::App* sub : app.get_subcommands()) {
        const std::vector<std::string> more = sub->remaining();
        extras.insert(extras.end(), more.begin(), more.end());
    }
    for (const std::string& extra : extras)
        if (extra.size() >= 2 && extra[0] == '-' && extra != "--")
            throw UsageError("unknown option '" + extra + "'");

    std::string name;
    if (!app.get_subcommands().empty()) {
        name = app.get_subcommands().front()->get_name();
    } else {
        extras.insert(extras.end(), words.begin(), words.end());
        words.clear();
        if (extras.empty())
            throw UsageError("no command given");
        name = extras.front();
        options.files.assign(extras.begin() + 1, extras.end());
    }
    options.files.insert(options.files.end(), words.begin(), words.end());
    for (const CommandSpec& c : Commands) {
        if (c.name == name) {
            options.command = c.command;
            checkCensusOptions(formatText, outputText, options);
            c.check(c.name, modeText, options);
            return options;
        }
    }
    throw UsageError("unknown command '" + name + "'");
}

std::string_view choiceName(MappingChoice choice)
{
    for (const ModeName& m : ModeNames)
        if (m.choice == choice)
            return m.name;
    return {};
}

} // namespace helixplot::cli
