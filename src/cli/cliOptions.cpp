// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliOptions.h"

#include "genetics/geneKinds.h"
#include "writers/captions.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace helixplot::cli {

namespace {

// The help's synopsis; the sections below it come from the declarations.
constexpr const char* Synopsis =
    "Usage: helixplot-cli COMMAND [--chemicals FILE] [--mode MODE] [--format FORMAT] [--trace-progress] FILE...\n"
    "       helixplot-cli census [--chemicals FILE] [--recursive] [--format text|csv|json] DIR\n"
    "       helixplot-cli report [--chemicals FILE] [--recursive] -o FILE.html DIR\n"
    "       helixplot-cli lineage [--gene T:S:ID] [--recursive] [--chemicals FILE] [--format text|csv|json] DIR\n"
    "       helixplot-cli decompile [--chemicals FILE] GENOME [-o FILE]\n"
    "       helixplot-cli compile [--chemicals FILE] TEXT -o NEW.gen\n";

struct OptionText {
    std::string_view name;
    const char* type; // empty for a flag
    const char* description;
};

// The options' help, in the order the help lists them.
constexpr OptionText OptionTexts[] = {
    {"--chemicals", "FILE", "read the chemical names from FILE instead of the game's file named by the settings"},
    {"--mode", "MODE",
     "(map, diff) breakdown (map only), single, parental or dual; by default the number\n"
     "of files decides: 1 breakdown, 2 single, 3 dual. Parental mode takes GENOME only\n"
     "and finds the parents' files next to it, named after the parents its genus gene\n"
     "names."},
    {"--trace-progress", "", "(map) write every progress call of the run to stderr"},
    {"--recursive", "", "(census, report, lineage) take the genome files of DIR's subfolders too"},
    {"--gene", "T:S:ID", "(lineage) only the gene of type T, subtype S and id ID (0x1D: hexadecimal)"},
    {"--format", "FORMAT", "text (the default) or json; census and lineage also csv"},
    {"-o", "FILE",
     "(report, decompile, compile) the file to write; - for standard output.\n"
     "compile writes only a new file, never over an existing one"},
    {"--help", "", "print this text"},
    {"--version", "", "print the program's name and version"},
};

const OptionText* textOf(std::string_view name)
{
    return std::ranges::find(OptionTexts, name, &OptionText::name);
}

const std::map<std::string, MappingChoice> ModeNames = {{"breakdown", MappingChoice::Breakdown},
                                                        {"single", MappingChoice::Single},
                                                        {"parental", MappingChoice::Parental},
                                                        {"dual", MappingChoice::Dual}};

const std::map<std::string, CensusFormat> FormatNames = {
    {"text", CensusFormat::Text}, {"csv", CensusFormat::Csv}, {"json", CensusFormat::Json}};

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

struct CommandSpec {
    std::string_view name;
    Command command;
    const char* files; // the files it takes, as the help shows them
    const char* description;
    unsigned options;
    const char* takes;  // "one folder", or by mode (map and diff)
    const char* output; // the -o the command needs, if it needs one
};

// One row per command; the help's lines and the messages for options given
// to the wrong command follow from the rows.
constexpr CommandSpec Commands[] = {
    {"breakdown", Command::Breakdown, "GENOME", "print the genome breakdown tree", FormatOption, "one genome file",
     nullptr},
    {"summary", Command::Summary, "GENOME", "print the four summary lines of GENOME", FormatOption, "one genome file",
     nullptr},
    {"map", Command::Map, "GENOME [COMPARATOR1 [COMPARATOR2]]",
     "run a whole mapping and print every page it leaves visible", ModeOption | TraceOption | FormatOption, nullptr,
     nullptr},
    {"diff", Command::Diff, "GENOME [COMPARATOR1 [COMPARATOR2]]",
     "print each mutated gene beside its comparators' genes", ModeOption | FormatOption, nullptr, nullptr},
    {"census", Command::Census, "DIR", "one row per genome file of DIR: parents, counts, generation",
     RecursiveOption | FormatOption | CsvFormat, "one folder", nullptr},
    {"report", Command::Report, "-o FILE.html DIR", "the census as one HTML page with family tree and charts",
     RecursiveOption | OutputOption, "one folder", "-o FILE.html"},
    {"lineage", Command::Lineage, "DIR", "every mutation in DIR's families, where it arose and who carries it",
     GeneOption | RecursiveOption | FormatOption | CsvFormat, "one folder", nullptr},
    {"decompile", Command::Decompile, "GENOME [-o FILE]", "write GENOME as genome text, every byte by name",
     OutputOption, "one genome file", nullptr},
    {"compile", Command::Compile, "TEXT -o NEW.gen", "make a new genome file from a genome text", OutputOption,
     "one text file", "-o NEW.gen"},
};

// What the command does with its files. Without --mode, the number of
// files decides map's and diff's.
void checkFiles(const CommandSpec& c, bool modeGiven, CliOptions& options)
{
    const std::size_t count = options.files.size();
    const std::string counted = ", not " + std::to_string(count);
    if (c.takes != nullptr && count != 1)
        throw UsageError(std::string(c.name) + " takes " + c.takes + counted);
    if (c.output != nullptr && options.outputPath.empty())
        throw UsageError(std::string(c.name) + " needs " + c.output);
    if (c.command != Command::Map && c.command != Command::Diff)
        return;
    if (modeGiven) {
        if (c.command == Command::Diff && options.mode == MappingChoice::Breakdown)
            throw UsageError("diff has no mode breakdown (single, parental or dual)");
        const std::size_t files = options.mode == MappingChoice::Single ? 2
                                  : options.mode == MappingChoice::Dual ? 3
                                                                        : 1;
        if (count != files)
            throw UsageError("mode " + std::string(choiceName(options.mode)) + " takes " + std::to_string(files) +
                             (files == 1 ? " file" : " files") + counted);
        return;
    }
    if (c.command == Command::Map && (count < 1 || count > 3))
        throw UsageError("map takes 1 to 3 genome files" + counted);
    if (c.command == Command::Diff && (count < 2 || count > 3))
        throw UsageError("diff takes 2 or 3 genome files, or 1 with --mode parental" + counted);
    options.mode = count == 1 ? MappingChoice::Breakdown : count == 2 ? MappingChoice::Single : MappingChoice::Dual;
}

// "--mode=single" is an option "--mode", "-ofile" an option "-o".
std::string optionName(const std::string& word)
{
    if (word.rfind("--", 0) == 0)
        return word.substr(0, word.find('='));
    return word.substr(0, 2);
}

// Everything after "--" is a file name, whatever it looks like. CLI11
// forgets this once a command has its first file, so the words after it
// must never reach the parser: the index of "--" (or argc) is where they
// start. An option written "--mode=" has an empty value that CLI11 drops,
// taking the next word instead; emptyValue names the first such option.
int endOfOptions(int argc, const char* const* argv, std::string& emptyValue)
{
    int end = 1;
    for (; end < argc && std::string_view(argv[end]) != "--"; ++end) {
        const std::string_view word = argv[end];
        if (emptyValue.empty() && word.size() > 3 && word.starts_with("--") && word.ends_with('='))
            emptyValue = word.substr(0, word.size() - 1);
    }
    return end;
}

// A value from names, converted to what it stands for; any other word is a
// usage error in words of its own. One validator, since CLI11 runs a
// transform before the checks.
template <typename T>
CLI::Validator choice(const std::map<std::string, T>& names, std::function<std::string(const std::string&)> message)
{
    const auto check = [known = CLI::IsMember(names), convert = CLI::CheckedTransformer(names),
                        message](std::string& value) {
        if (std::string word = value; !known(word).empty())
            throw UsageError(message(value));
        return convert(value);
    };
    return CLI::Validator(check, "");
}

// Any --help prints the whole usage: the synopsis, then the commands and the
// options as declared, each description in a column of its own.
class UsageFormatter : public CLI::Formatter {
public:
    std::string make_help(const CLI::App* app, std::string, CLI::AppFormatMode) const override
    {
        while (app->get_parent() != nullptr)
            app = app->get_parent();
        std::vector<const CLI::Option*> options = app->get_options();
        std::string text = std::string(Synopsis) + "\nCommands:\n";
        for (const CLI::App* sub : app->get_subcommands([](const CLI::App*) { return true; })) {
            text += row(sub->get_name() + ' ' + sub->get_option("files")->get_type_name(), 40, sub->get_description());
            for (const CLI::Option* o : sub->get_options())
                if (!o->get_positional() && std::ranges::none_of(options, [o](const CLI::Option* seen) {
                        return seen->get_name() == o->get_name();
                    }))
                    options.push_back(o);
        }
        std::ranges::stable_sort(options, {}, [](const CLI::Option* o) { return textOf(o->get_name()); });
        text += "\nOptions:\n";
        for (const CLI::Option* o : options) {
            const std::string type = o->get_type_name();
            text += row(o->get_name() + (type.empty() ? "" : " " + type), 19, o->get_description());
        }
        return text + '\n' + app->get_footer() + '\n';
    }

private:
    static std::string row(const std::string& name, std::size_t width, std::string description)
    {
        for (std::size_t at = description.find('\n'); at != std::string::npos; at = description.find('\n', at + 1))
            description.insert(at + 1, width + 2, ' ');
        std::string text = "  " + name;
        text.resize(std::max(text.size() + 1, width + 2), ' ');
        return text + description + '\n';
    }
};

// An option with its help; a value option is taken once, which
// parseCommandLine checks.
template <typename T> CLI::Option* declared(CLI::App& app, std::string_view name, T& target)
{
    const OptionText& text = *textOf(name);
    if constexpr (std::is_same_v<T, bool>)
        return app.add_flag(std::string(name), target, text.description);
    else
        return app.add_option(std::string(name), target, text.description)
            ->type_name(text.type)
            ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
}

void declareCommand(CLI::App& app, const CommandSpec& c, std::optional<std::string>& gene, CliOptions& options)
{
    CLI::App& sub = *app.add_subcommand(std::string(c.name), c.description);
    sub.set_help_flag(); // the whole usage, from the line's own --help
    if (c.options & ModeOption)
        declared(sub, "--mode", options.mode)->transform(choice(ModeNames, [](const std::string& v) {
            return "unknown mode '" + v + "' (breakdown, single, parental or dual)";
        }));
    if (c.options & TraceOption)
        declared(sub, "--trace-progress", options.traceProgress);
    if (c.options & RecursiveOption)
        declared(sub, "--recursive", options.recursive);
    if (c.options & GeneOption)
        declared(sub, "--gene", gene)->each([&options](const std::string& v) { options.gene = geneNamed(v); });
    if (c.options & FormatOption) {
        std::map<std::string, CensusFormat> formats = FormatNames;
        if (!(c.options & CsvFormat))
            formats.erase("csv");
        declared(sub, "--format", options.format)->transform(choice(formats, [](const std::string& v) {
            if (!FormatNames.contains(v))
                return "unknown format '" + v + "' (text, csv or json)";
            std::vector<std::string> owners;
            for (const CommandSpec& other : Commands)
                if (other.options & CsvFormat)
                    owners.emplace_back(other.name);
            return "format csv is " + namesText(owners, "'s") + " only (text or json)";
        }));
    }
    if (c.options & OutputOption)
        declared(sub, "-o", options.outputPath);
    sub.add_option("files", options.files)->type_name(c.files);
}

// The command on the line, if any.
const CLI::App* commandOf(const CLI::App& app)
{
    const std::vector<const CLI::App*> parsed = app.get_subcommands([](const CLI::App* sub) { return sub->parsed(); });
    return parsed.empty() ? nullptr : parsed.front();
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
        const std::vector<const CLI::App*> takers =
            app.get_subcommands([&name](const CLI::App* sub) { return sub->get_option_no_throw(name) != nullptr; });
        std::vector<std::string> owners;
        for (const CLI::App* sub : takers)
            owners.push_back(sub->get_name());
        if (owners.empty())
            return "unknown option '" + extra + "'";
        if (std::ranges::find(takers, command) != takers.end())
            return name + " must come after the command";
        return name + " is an option of " + namesText(owners, "") + " only";
    }
    if (command == nullptr && !extras.empty())
        return "unknown command '" + extras.front() + "'";
    return "unexpected argument '" + (extras.empty() ? std::string() : extras.front()) + "'";
}

} // namespace

CliOptions parseCommandLine(int argc, const char* const* argv)
{
    CliOptions options;
    std::optional<std::string> gene;
    CLI::App app{"", ProgramName};
    app.formatter(std::make_shared<UsageFormatter>());
    app.footer("Exit status: 0 done, 1 a file did not load, 2 usage error.");
    const CLI::Option* help = app.set_help_flag("--help", textOf("--help")->description);
    declared(app, "--version", options.version);
    declared(app, "--chemicals", options.chemicalsPath);
    // The options are spelt with dashes everywhere; on Windows, CLI11 would
    // otherwise take a rooted path such as /data/tibb.gen for an option.
    app.allow_windows_style_options(false);
    app.require_subcommand(0, 1);
    // --help, --version and --chemicals may stand after the command too.
    app.fallthrough();
    for (const CommandSpec& c : Commands)
        declareCommand(app, c, gene, options);

    std::string emptyValue;
    const int end = endOfOptions(argc, argv, emptyValue);
    std::optional<std::string> error;
    try {
        app.parse(end, argv);
    } catch (const UsageError& e) {
        error = e.what();
    } catch (const CLI::CallForHelp&) {
    } catch (const CLI::ArgumentMismatch&) {
        // A value option takes the next word whatever it is: only the last
        // word can lack its value.
        error = "option '" + optionName(argv[end - 1]) + "' needs a value";
    } catch (const CLI::ExtrasError&) {
        error = extrasMessage(app, commandOf(app));
    } catch (const CLI::ParseError& e) {
        error = e.what();
    }
    // --help wins over anything else on the line, --version over any mistake.
    if (help->count() > 0) {
        options.help = true;
        options.helpText = app.help();
        return options;
    }
    if (options.version)
        return options;
    if (!emptyValue.empty())
        throw UsageError("option '" + emptyValue + "' has an empty value");
    if (error)
        throw UsageError(*error);

    const CLI::App* command = commandOf(app);
    if (command == nullptr)
        throw UsageError("no command given");
    for (const CLI::App* scope : {static_cast<const CLI::App*>(&app), command})
        for (const CLI::Option* o : scope->get_options())
            if (!o->get_positional() && o->get_expected_min() > 0 && o->count() > 1)
                throw UsageError("option '" + o->get_name() + "' is given more than once");
    options.files.insert(options.files.end(), argv + std::min(end + 1, argc), argv + argc);
    for (const CommandSpec& c : Commands) {
        if (c.name == command->get_name()) {
            options.command = c.command;
            const CLI::Option* mode = command->get_option_no_throw("--mode");
            checkFiles(c, mode != nullptr && mode->count() > 0, options);
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
    for (const auto& [name, value] : ModeNames)
        if (value == choice)
            return name;
    return {};
}

} // namespace helixplot::cli
