// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliOptions.h"

#include "genetics/geneKinds.h"
#include "writers/captions.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

namespace helixplot::cli {

const char* const UsageText =
    "Usage: helixplot-cli COMMAND [--chemicals FILE] [--mode MODE] [--format FORMAT] [--trace-progress] FILE...\n"
    "       helixplot-cli census [--chemicals FILE] [--recursive] [--format text|csv|json] DIR\n"
    "       helixplot-cli report [--chemicals FILE] [--recursive] -o FILE.html DIR\n"
    "       helixplot-cli lineage [--gene T:S:ID] [--recursive] [--chemicals FILE] [--format text|csv|json] DIR\n"
    "       helixplot-cli decompile [--chemicals FILE] GENOME [-o FILE]\n"
    "       helixplot-cli compile [--chemicals FILE] TEXT -o NEW.gen\n"
    "\n"
    "Commands:\n"
    "  breakdown GENOME                        print the genome breakdown tree\n"
    "  summary GENOME                          print the four summary lines of GENOME\n"
    "  map GENOME [COMPARATOR1 [COMPARATOR2]]  run a whole mapping and print every page it leaves visible\n"
    "  diff GENOME [COMPARATOR1 [COMPARATOR2]] print each mutated gene beside its comparators' genes\n"
    "  census DIR                              one row per genome file of DIR: parents, counts, generation\n"
    "  report -o FILE.html DIR                 the census as one HTML page with family tree and charts\n"
    "  lineage DIR                             every mutation in DIR's families, where it arose and who carries it\n"
    "  decompile GENOME [-o FILE]              write GENOME as genome text, every byte by name\n"
    "  compile TEXT -o NEW.gen                 make a new genome file from a genome text\n"
    "\n"
    "Options:\n"
    "  --chemicals FILE   read the chemical names from FILE instead of the game's file named by the settings\n"
    "  --mode MODE        (map, diff) breakdown (map only), single, parental or dual; by default the number\n"
    "                     of files decides: 1 breakdown, 2 single, 3 dual. Parental mode takes GENOME only\n"
    "                     and finds the parents' files next to it, named after the parents its genus gene\n"
    "                     names.\n"
    "  --trace-progress   (map) write every progress call of the run to stderr\n"
    "  --recursive        (census, report, lineage) take the genome files of DIR's subfolders too\n"
    "  --gene T:S:ID      (lineage) only the gene of type T, subtype S and id ID (0x1D: hexadecimal)\n"
    "  --format FORMAT    text (the default) or json; census and lineage also csv\n"
    "  -o FILE            (report, decompile, compile) the file to write; - for standard output.\n"
    "                     compile writes only a new file, never over an existing one\n"
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

// "T:S:ID", three numbers from 0 to 255, decimal or hexadecimal (0x1D).
std::array<std::uint8_t, 3> geneNamed(const std::string& text)
{
    const std::optional<std::array<std::uint8_t, 3>> given = geneNumbersFromText(text);
    if (!given)
        throw UsageError("gene '" + text + "' is not TYPE:SUBTYPE:ID, three numbers from 0 to 255");
    const std::array<std::uint8_t, 3> numbers = *given;
    if (!kindOf(numbers[0], numbers[1]))
        throw UsageError("gene '" + text + "': type " + std::to_string(numbers[0]) + " subtype " +
                         std::to_string(numbers[1]) + " is no gene kind");
    return numbers;
}

// The options a command takes besides --chemicals, --help and --version,
// which every command takes.
enum OptionSet : unsigned {
    ModeOption = 1u << 0,
    TraceOption = 1u << 1,
    RecursiveOption = 1u << 2,
    FormatOption = 1u << 3,
    CsvFormat = 1u << 4, // --format csv as well as text and json
    OutputOption = 1u << 5,
    GeneOption = 1u << 6,
};

// The values as given, checked against the command once it is known.
struct GivenValues {
    std::optional<std::string> mode;
    std::optional<std::string> format;
    std::optional<std::string> output;
    std::optional<std::string> gene;
};

// What a command does with its files and the values it was given.
using FileCheck = void (*)(std::string_view command, const GivenValues& given, CliOptions& options);

void oneGenome(std::string_view command, const GivenValues&, CliOptions& options)
{
    if (options.files.size() != 1)
        throw UsageError(std::string(command) + " takes one genome file, not " + std::to_string(options.files.size()));
}

// --mode, checked against the number of files; false when not given.
bool givenMode(const GivenValues& given, CliOptions& options)
{
    if (!given.mode)
        return false;
    const ModeName& m = modeNamed(*given.mode);
    if (options.command == Command::Diff && m.choice == MappingChoice::Breakdown)
        throw UsageError("diff has no mode breakdown (single, parental or dual)");
    if (options.files.size() != m.files)
        throw UsageError("mode " + std::string(m.name) + " takes " + filesText(m.files) + ", not " +
                         std::to_string(options.files.size()));
    options.mode = m.choice;
    return true;
}

// Without --mode the number of files decides.
void mapGenomes(std::string_view, const GivenValues& given, CliOptions& options)
{
    const std::size_t count = options.files.size();
    if (givenMode(given, options))
        return;
    if (count < 1 || count > 3)
        throw UsageError("map takes 1 to 3 genome files, not " + std::to_string(count));
    options.mode = count == 1 ? MappingChoice::Breakdown : count == 2 ? MappingChoice::Single : MappingChoice::Dual;
}

// diff needs a comparator: every mode but breakdown.
void diffGenomes(std::string_view, const GivenValues& given, CliOptions& options)
{
    const std::size_t count = options.files.size();
    if (givenMode(given, options))
        return;
    if (count < 2 || count > 3)
        throw UsageError("diff takes 2 or 3 genome files, or 1 with --mode parental, not " + std::to_string(count));
    options.mode = count == 2 ? MappingChoice::Single : MappingChoice::Dual;
}

void oneFolder(std::string_view command, const GivenValues&, CliOptions& options)
{
    if (options.files.size() != 1)
        throw UsageError(std::string(command) + " takes one folder, not " + std::to_string(options.files.size()));
    if (options.command == Command::Report && options.outputPath.empty())
        throw UsageError("report needs -o FILE.html");
}

void oneText(std::string_view command, const GivenValues&, CliOptions& options)
{
    if (options.files.size() != 1)
        throw UsageError(std::string(command) + " takes one text file, not " + std::to_string(options.files.size()));
    if (options.outputPath.empty())
        throw UsageError("compile needs -o NEW.gen");
}

struct CommandSpec {
    std::string_view name;
    Command command;
    unsigned options;
    FileCheck check;
};

// One row per command. A new command is a row here and its lines in
// UsageText; a new option is a bit of OptionSet and a line in
// declareCommand. The messages for options given to the wrong command follow
// from the rows.
constexpr CommandSpec Commands[] = {
    {"breakdown", Command::Breakdown, FormatOption, oneGenome},
    {"summary", Command::Summary, FormatOption, oneGenome},
    {"map", Command::Map, ModeOption | TraceOption | FormatOption, mapGenomes},
    {"diff", Command::Diff, ModeOption | FormatOption, diffGenomes},
    {"census", Command::Census, RecursiveOption | FormatOption | CsvFormat, oneFolder},
    {"report", Command::Report, RecursiveOption | OutputOption, oneFolder},
    {"lineage", Command::Lineage, GeneOption | RecursiveOption | FormatOption | CsvFormat, oneFolder},
    {"decompile", Command::Decompile, OutputOption, oneGenome},
    {"compile", Command::Compile, OutputOption, oneText},
};

void declareCommand(CLI::App& app, const CommandSpec& c, GivenValues& given, CliOptions& options)
{
    CLI::App& sub = *app.add_subcommand(std::string(c.name));
    if (c.options & ModeOption)
        sub.add_option("--mode", given.mode);
    if (c.options & TraceOption)
        sub.add_flag("--trace-progress", options.traceProgress);
    if (c.options & RecursiveOption)
        sub.add_flag("--recursive", options.recursive);
    if (c.options & FormatOption)
        sub.add_option("--format", given.format);
    if (c.options & OutputOption)
        sub.add_option("-o", given.output);
    if (c.options & GeneOption)
        sub.add_option("--gene", given.gene);
    sub.add_option("files", options.files);
}

// The command on the line, if any.
const CLI::App* commandOf(const CLI::App& app)
{
    const std::vector<const CLI::App*> parsed = app.get_subcommands([](const CLI::App* sub) { return sub->parsed(); });
    return parsed.empty() ? nullptr : parsed.front();
}

// "map", "map and diff", "census, report and lineage"; each name followed by
// suffix.
std::string namesText(const std::vector<std::string>& names, std::string_view suffix)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? " and " : ", ";
        text += names[i] + std::string(suffix);
    }
    return text;
}

// "--mode=single" is an option "--mode", "-ofile" an option "-o".
std::string optionName(const std::string& word)
{
    if (word.rfind("--", 0) == 0)
        return word.substr(0, word.find('='));
    return word.substr(0, 2);
}

// The line's first word that is no option nor command, or the first option
// that the command does not take, in words of its own.
std::string extrasMessage(const CLI::App& app, const CLI::App* command)
{
    const std::vector<std::string> extras = app.remaining(true);
    for (const std::string& extra : extras) {
        if (extra.size() < 2 || extra[0] != '-')
            continue;
        const std::string name = optionName(extra);
        std::vector<std::string> owners;
        bool ownedByCommand = false;
        for (const CLI::App* sub : app.get_subcommands([](const CLI::App*) { return true; })) {
            if (sub->get_option_no_throw(name) == nullptr)
                continue;
            owners.push_back(sub->get_name());
            ownedByCommand = ownedByCommand || sub == command;
        }
        if (owners.empty())
            return "unknown option '" + extra + "'";
        if (ownedByCommand)
            return name + " must come after the command";
        if (command != nullptr && owners.size() + 1 == std::size(Commands))
            return name + " is no option of " + command->get_name();
        return name + " is an option of " + namesText(owners, "") + " only";
    }
    if (command == nullptr && !extras.empty())
        return "unknown command '" + extras.front() + "'";
    return "unexpected argument '" + (extras.empty() ? std::string() : extras.front()) + "'";
}

// CLI11 says "--mode: 1 required TEXT missing"; the option's name is what
// stands before the colon.
std::string optionOf(const CLI::ParseError& e)
{
    const std::string_view what = e.what();
    return std::string(what.substr(0, what.find(':')));
}

// A value option that does not take its value: missing, or given twice.
std::string mismatchMessage(const CLI::App& app, const CLI::App* command, const CLI::ArgumentMismatch& e)
{
    const std::string name = optionOf(e);
    const CLI::Option* option = command ? command->get_option_no_throw(name) : nullptr;
    if (option == nullptr)
        option = app.get_option_no_throw(name);
    if (option != nullptr && option->count() > 1)
        return "option '" + name + "' is given more than once";
    return "option '" + name + "' needs a value";
}

void applyValues(const CommandSpec& c, const GivenValues& given, CliOptions& options)
{
    if (given.format) {
        options.format = formatNamed(*given.format);
        if (options.format == CensusFormat::Csv && !(c.options & CsvFormat)) {
            std::vector<std::string> owners;
            for (const CommandSpec& other : Commands)
                if (other.options & CsvFormat)
                    owners.emplace_back(other.name);
            throw UsageError("format csv is " + namesText(owners, "'s") + " only (text or json)");
        }
    }
    if (given.output)
        options.outputPath = *given.output;
    if (given.gene)
        options.gene = geneNamed(*given.gene);
}

} // namespace

CliOptions parseCommandLine(int argc, const char* const* argv)
{
    CliOptions options;
    GivenValues given;
    CLI::App app{"", ProgramName};
    app.set_help_flag("--help");
    const CLI::Option* version = app.add_flag("--version");
    app.add_option("--chemicals", options.chemicalsPath);
    // The options are spelt with dashes everywhere; on Windows, CLI11 would
    // otherwise take a rooted path such as /data/tibb.gen for an option.
    app.allow_windows_style_options(false);
    app.require_subcommand(0, 1);
    // --help, --version and --chemicals may stand after the command too.
    app.fallthrough();
    for (const CommandSpec& c : Commands)
        declareCommand(app, c, given, options);

    // Everything after "--" is a file name, whatever it looks like. CLI11
    // forgets this once a command has its first file, so the words after it
    // never reach the parser. An option written "--mode=" has an empty value
    // that CLI11 drops, taking the next word instead.
    int end = 1;
    std::string emptyValue;
    for (; end < argc && std::string_view(argv[end]) != "--"; ++end) {
        const std::string_view word = argv[end];
        if (emptyValue.empty() && word.size() > 3 && word.starts_with("--") && word.ends_with('='))
            emptyValue = word.substr(0, word.size() - 1);
    }
    std::optional<std::string> error;
    try {
        app.parse(end, argv);
    } catch (const CLI::CallForHelp&) {
        options.help = true;
        return options;
    } catch (const CLI::ArgumentMismatch& e) {
        error = mismatchMessage(app, commandOf(app), e);
    } catch (const CLI::ExtrasError&) {
        error = extrasMessage(app, commandOf(app));
    } catch (const CLI::ParseError& e) {
        error = e.what();
    }
    // --version wins over any mistake on the line; --help above over both.
    if (version->count() > 0) {
        options.version = true;
        return options;
    }
    if (!emptyValue.empty())
        throw UsageError("option '" + emptyValue + "' has an empty value");
    if (error)
        throw UsageError(*error);

    const CLI::App* command = commandOf(app);
    if (command == nullptr)
        throw UsageError("no command given");
    options.files.insert(options.files.end(), argv + std::min(end + 1, argc), argv + argc);
    for (const CommandSpec& c : Commands) {
        if (c.name == command->get_name()) {
            options.command = c.command;
            applyValues(c, given, options);
            c.check(c.name, given, options);
        }
    }
    return options;
}

std::string_view commandNamed(int argc, const char* const* argv)
{
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i)
        for (const CommandSpec& c : Commands)
            if (c.name == argv[i])
                return c.name;
    return {};
}

std::string_view choiceName(MappingChoice choice)
{
    for (const ModeName& m : ModeNames)
        if (m.choice == choice)
            return m.name;
    return {};
}

} // namespace helixplot::cli
