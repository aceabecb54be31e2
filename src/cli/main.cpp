// SPDX-License-Identifier: GPL-3.0-or-later
// helixplot-cli: prints what the desktop program shows for a genome, on the
// same core.

#include "censusCommand.h"
#include "cliOptions.h"
#include "genomeTextCommands.h"
#include "writers/jsonOutput.h"
#include "writers/safeOutput.h"

#include "decoder/displayTree.h"
#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "genetics/textEncoding.h"
#include "genetics/unitGenetics.h"
#include "helixplotVersion.h"
#include "mapping/breakdownTree.h"
#include "mapping/geneChange.h"
#include "mapping/geneMatching.h"
#include "mapping/genomeSummary.h"
#include "mapping/mappingRun.h"
#include "mapping/resultText.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace helixplot::cli {

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// Names the genome read from standard input.
constexpr const char* StandardInput = "-";

// --trace-progress: every progress call but the waits, one per line.
std::string traceText(const RecordingProgress& recorder)
{
    std::string out;
    for (const std::string& call : recorder.calls)
        if (call.rfind("pause ", 0) != 0)
            out += call + '\n';
    return out;
}

bool writeAll(std::FILE* stream, const std::string& text)
{
    if (!text.empty() && std::fwrite(text.data(), 1, text.size(), stream) != text.size())
        return false;
    return std::fflush(stream) == 0;
}

void printError(const std::string& message)
{
    const std::string line = std::string(ProgramName) + ": " + escapedForMessage(message) + "\n";
    writeAll(stderr, line);
}

// Standard input, up to the size limit of a genome file.
std::string readStandardInput()
{
    std::string bytes;
    char block[64 * 1024];
    for (;;) {
        const std::size_t n = std::fread(block, 1, sizeof block, stdin);
        bytes.append(block, n);
        if (bytes.size() > MaxInputBytes)
            throw InOutError(InOutError::Failure::FileTooLarge);
        if (n < sizeof block) {
            if (std::ferror(stdin))
                throw InOutError::onRead(errno);
            return bytes;
        }
    }
}

std::unique_ptr<TGeneticsFile> loadGenome(const std::string& path)
{
    try {
        if (path == StandardInput)
            return std::make_unique<TGeneticsFile>(TGeneticsFile::fromBytes(readStandardInput()));
        return std::make_unique<TGeneticsFile>(path);
    } catch (const HelixplotError& e) {
        throw FileError(path, e.what());
    } catch (const std::bad_alloc&) {
        throw FileError(path, InOutError(InOutError::Failure::OutOfMemory).what());
    }
}

// A parent's genome beside the examined one. A name from the genus gene
// that is no plain file name is not found, and never opened.
std::unique_ptr<TGeneticsFile> loadParent(const std::string& examinedPath, const TGeneticsFile& examined, bool father)
{
    const std::string path = parentFilePath(examinedPath, examined, father);
    if (path.empty())
        throw FileError(directoryOf(examinedPath) + parentName(examined, father) + ".gen",
                        InOutError(InOutError::Failure::FileNotFound).what());
    return loadGenome(path);
}

// An explicit file must load; otherwise the names come from the game's file
// named by the settings, and a failure there only costs the names.
void loadChemicals(const CliOptions& options)
{
    if (options.chemicalsPath) {
        try {
            loadChemicalNames(*options.chemicalsPath);
        } catch (const HelixplotError& e) {
            throw FileError(*options.chemicalsPath, e.what());
        }
        return;
    }
    Settings settings;
    try {
        // A settings file that cannot be read is named in its error.
        settings = readSettings();
    } catch (const HelixplotError& e) {
        printError(std::string("warning: chemical names not loaded: ") + e.what());
        return;
    }
    const std::string path = settings.chemicalFilePath();
    try {
        loadChemicalNames(path);
    } catch (const HelixplotError& e) {
        printError(std::string("warning: chemical names not loaded: ") + FileError(path, e.what()).what());
    }
}

// The files loadChemicals may read, the settings file always: no output may
// replace one.
std::vector<std::string> configurationFiles(const CliOptions& options)
{
    std::vector<std::string> files;
#ifndef _WIN32
    files.push_back(settingsFilePath());
#endif
    if (options.chemicalsPath) {
        files.push_back(*options.chemicalsPath);
        return files;
    }
    try {
        files.push_back(readSettings().chemicalFilePath());
    } catch (const HelixplotError&) {
        // Not read either, then.
    }
    return files;
}

bool stdoutIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stdout)) != 0;
#else
    return isatty(STDOUT_FILENO) != 0;
#endif
}

// JSON goes straight to standard output as it is made; text is returned
// whole. On a terminal, control characters in texts from files and names
// are shown escaped; piped, the text is the bytes the desktop program writes.
std::string breakdownCommand(const CliOptions& options, bool terminal)
{
    const auto genome = loadGenome(options.files[0]);
    loadChemicals(options);
    DisplayTree tree;
    SilentProgress silent;
    buildBreakdownTree(*genome, tree, silent);
    if (options.format == OutputFormat::Json) {
        JsonWriter json(stdout);
        json.beginObject();
        json.stringField("command", "breakdown");
        json.pathField("genome", options.files[0]);
        json.key("tree");
        writeTree(json, tree);
        json.endObject();
        json.finish();
        return {};
    }
    std::string out;
    dumpTree(tree, out, "\n", terminal);
    return out;
}

std::string summaryCommand(const CliOptions& options, bool terminal)
{
    const auto genome = loadGenome(options.files[0]);
    // The lines name no chemical, but a file given by name must load, as
    // for every other command; the game's own file is not looked for.
    if (options.chemicalsPath)
        loadChemicals(options);
    const std::vector<std::string> lines = genomeSummary(genome.get());
    if (options.format == OutputFormat::Json) {
        JsonWriter json(stdout);
        json.beginObject();
        json.stringField("command", "summary");
        json.pathField("genome", options.files[0]);
        json.key("lines");
        json.beginArray();
        for (const std::string& line : lines)
            json.text(line);
        json.endArray();
        json.endObject();
        json.finish();
        return {};
    }
    std::string out;
    for (const std::string& line : lines)
        out += (terminal ? escapedForMessage(line) : line) + '\n';
    return out;
}

// The genomes of map and diff, loaded as the mode says, with the
// comparators' file names.
struct LoadedGenomes {
    std::unique_ptr<TGeneticsFile> examined;
    std::unique_ptr<TGeneticsFile> mother;
    std::unique_ptr<TGeneticsFile> father;
    std::array<std::string, 2> comparatorNames;

    MappingInput input(const CliOptions& options) const
    {
        return MappingInput{mappingModeOf(options.mode), examined.get(), mother.get(), father.get()};
    }
};

LoadedGenomes loadGenomes(const CliOptions& options)
{
    const std::string& examinedPath = options.files[0];
    LoadedGenomes g;
    g.examined = loadGenome(examinedPath);
    switch (options.mode) {
    case MappingChoice::Breakdown:
        break;
    case MappingChoice::Parental:
        // As the selection dialog does: the parents' names from the examined
        // genome's first loose gene, their files beside it.
        if (examinedPath == StandardInput)
            throw HelixplotError("parental mode needs the genome's folder, not standard input");
        g.comparatorNames = {parentFilePath(examinedPath, *g.examined, false),
                             parentFilePath(examinedPath, *g.examined, true)};
        g.mother = loadParent(examinedPath, *g.examined, false);
        g.father = loadParent(examinedPath, *g.examined, true);
        break;
    case MappingChoice::Single:
        g.comparatorNames[0] = options.files[1];
        g.mother = loadGenome(g.comparatorNames[0]);
        break;
    case MappingChoice::Dual:
        g.comparatorNames = {options.files[1], options.files[2]};
        g.mother = loadGenome(g.comparatorNames[0]);
        g.father = loadGenome(g.comparatorNames[1]);
        break;
    }
    loadChemicals(options);
    return g;
}

// Opens the document of a comparing command and writes its head.
void writeComparisonHead(JsonWriter& json, const char* command, const CliOptions& options, const LoadedGenomes& genomes)
{
    json.beginObject();
    json.stringField("command", command);
    json.stringField("mode", choiceName(options.mode));
    json.pathField("genome", options.files[0]);
    json.key("comparators");
    json.beginArray();
    if (genomes.mother)
        json.path(genomes.comparatorNames[0]);
    if (genomes.father)
        json.path(genomes.comparatorNames[1]);
    json.endArray();
}

std::string mapCommand(const CliOptions& options, RecordingProgress& recorder, bool terminal)
{
    const LoadedGenomes genomes = loadGenomes(options);
    MappingResult result;
    SilentProgress silent;
    ProgressReporter& progress = options.traceProgress ? static_cast<ProgressReporter&>(recorder) : silent;
    MappingInput input = genomes.input(options);
    input.keepChanges = false; // map prints no change
    MappingRun(input, result, progress);
    if (options.format == OutputFormat::Json) {
        JsonWriter json(stdout);
        writeComparisonHead(json, "map", options, genomes);
        json.key("statistics");
        writeStatistics(json, result);
        json.key("pages");
        writePages(json, result);
        json.endObject();
        json.finish();
        return {};
    }
    return mappingResultText(result, result.comparisonPagesVisible, terminal);
}

std::string diffCommand(const CliOptions& options, bool terminal)
{
    const LoadedGenomes genomes = loadGenomes(options);
    const GenomeComparison comparison(genomes.input(options));
    const std::vector<GeneChange> changes = mutatedGeneChanges(comparison);
    if (options.format == OutputFormat::Json) {
        JsonWriter json(stdout);
        writeComparisonHead(json, "diff", options, genomes);
        json.key("changes");
        writeChanges(json, changes, genomes.comparatorNames);
        json.endObject();
        json.finish();
        return {};
    }
    std::string out;
    for (const GeneChange& change : changes)
        appendChangeText(change, genomes.comparatorNames, out, terminal);
    return out;
}

int run(int argc, const char* const* argv)
{
    CliOptions options;
    try {
        options = parseCommandLine(argc, argv);
    } catch (const UsageError& e) {
        // The one message, and where the whole usage is.
        printError(e.what());
        const std::string_view command = commandNamed(argc, argv);
        writeAll(stderr, std::string("Try '") + ProgramName + (command.empty() ? "" : " ") + std::string(command) +
                             " --help'\n");
        return ExitUsage;
    }
    if (options.help)
        return writeAll(stdout, options.helpText) ? ExitDone : ExitFailed;
    if (options.version)
        return writeAll(stdout, std::string(ProgramName) + ' ' + HelixplotVersion + '\n') ? ExitDone : ExitFailed;

    std::string out;
    RecordingProgress recorder;
    int status = ExitDone;
    const bool terminal = stdoutIsTerminal();
    try {
        if (options.command != Command::Report || options.outputPath == StandardOutputName) {
            std::vector<std::string> read = configurationFiles(options);
            read.insert(read.end(), options.files.begin(), options.files.end());
            checkStandardOutput(read);
        }
        switch (options.command) {
        case Command::Breakdown:
            out = breakdownCommand(options, terminal);
            break;
        case Command::Summary:
            out = summaryCommand(options, terminal);
            break;
        case Command::Map:
            out = mapCommand(options, recorder, terminal);
            break;
        case Command::Diff:
            out = diffCommand(options, terminal);
            break;
        case Command::Census:
            out = censusCommand(options, terminal);
            break;
        case Command::Lineage:
            out = lineageCommand(options, terminal);
            break;
        case Command::Report:
            out = reportCommand(options, configurationFiles(options), [&options] { loadChemicals(options); });
            break;
        case Command::Decompile:
            return decompileCommand(options.files[0], options.outputPath, configurationFiles(options),
                                    [&options] { loadChemicals(options); });
        case Command::Compile:
            return compileCommand(options.files[0], options.outputPath, [&options] { loadChemicals(options); });
        }
    } catch (const std::bad_alloc&) {
        // Past loading: the trees of the examined genome outgrew memory.
        recorder.calls.clear();
        printError(FileError(options.files[0], InOutError(InOutError::Failure::OutOfMemory).what()).what());
        return ExitFailed;
    } catch (const std::exception& e) {
        // FileError carries "FILE: MESSAGE"; anything else its own message.
        writeAll(stderr, traceText(recorder));
        printError(e.what());
        return ExitFailed;
    }
    if (!writeAll(stderr, traceText(recorder))) {
        printError(std::string("cannot write the progress trace: ") + std::strerror(errno));
        status = ExitFailed;
    }
    if (!writeAll(stdout, out)) {
        printError(std::string("cannot write the output: ") + std::strerror(errno));
        status = ExitFailed;
    }
    return status;
}

} // namespace

} // namespace helixplot::cli

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Lines end in "\n" on every platform.
    _setmode(_fileno(stdin), _O_BINARY);
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    helixplot::ignoreFileSizeSignal();
    return helixplot::cli::run(argc, argv);
}
