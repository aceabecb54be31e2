// helixplot-cli: prints what the desktop program shows for a genome, on the
// same core.

#include "censusCommands.h"
#include "cliOptions.h"

#include "decoder/displayTree.h"
#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "genetics/unitGenetics.h"
#include "mapping/breakdownTree.h"
#include "mapping/genomeSummary.h"
#include "mapping/mappingRun.h"
#include "mapping/resultText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace helixplot::cli {

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;
constexpr int ExitUsage = 2;

// A file that did not load, with the reader's message.
class FileError : public std::runtime_error {
public:
    FileError(const std::string& path, const std::string& message) : std::runtime_error(path + ": " + message) {}
};

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
    const std::string line = std::string(ProgramName) + ": " + message + "\n";
    writeAll(stderr, line);
}

std::unique_ptr<TGeneticsFile> loadGenome(const std::string& path)
{
    try {
        return std::make_unique<TGeneticsFile>(path);
    } catch (const HelixplotError& e) {
        throw FileError(path, e.what());
    }
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
    std::string path;
    try {
        path = readSettings().chemicalFilePath();
        loadChemicalNames(path);
    } catch (const HelixplotError& e) {
        printError("warning: chemical names not loaded: " + (path.empty() ? std::string() : path + ": ") + e.what());
    }
}

std::string breakdownText(const CliOptions& options)
{
    const auto genome = loadGenome(options.files[0]);
    loadChemicals(options);
    DisplayTree tree;
    SilentProgress silent;
    buildBreakdownTree(*genome, tree, silent);
    std::string out;
    dumpTree(tree, out, "\n");
    return out;
}

std::string summaryText(const CliOptions& options)
{
    const auto genome = loadGenome(options.files[0]);
    std::string out;
    for (const std::string& line : genomeSummary(genome.get()))
        out += line + '\n';
    return out;
}

std::string mapText(const CliOptions& options, RecordingProgress& recorder)
{
    const std::string& examinedPath = options.files[0];
    const auto examined = loadGenome(examinedPath);
    std::unique_ptr<TGeneticsFile> mother;
    std::unique_ptr<TGeneticsFile> father;
    switch (options.mode) {
    case MappingChoice::Breakdown:
        break;
    case MappingChoice::Parental:
        // As the selection dialog does: the parents' names from the examined
        // genome's first loose gene, their files beside it.
        mother = loadGenome(parentFilePath(examinedPath, *examined, false));
        father = loadGenome(parentFilePath(examinedPath, *examined, true));
        break;
    case MappingChoice::Single:
        mother = loadGenome(options.files[1]);
        break;
    case MappingChoice::Dual:
        mother = loadGenome(options.files[1]);
        father = loadGenome(options.files[2]);
        break;
    }
    loadChemicals(options);

    MappingInput input;
    input.mode = mappingModeOf(options.mode);
    input.examined = examined.get();
    input.mother = mother.get();
    input.father = father.get();
    MappingResult result;
    SilentProgress silent;
    ProgressReporter& progress = options.traceProgress ? static_cast<ProgressReporter&>(recorder) : silent;
    MappingRun(input, result, progress);
    return mappingResultText(result);
}

int run(int argc, const char* const* argv)
{
    CliOptions options;
    try {
        options = parseCommandLine(argc, argv);
    } catch (const UsageError& e) {
        printError(e.what());
        writeAll(stderr, UsageText);
        return ExitUsage;
    }
    if (options.help)
        return writeAll(stdout, UsageText) ? ExitDone : ExitFailed;

    std::string out;
    RecordingProgress recorder;
    int status = ExitDone;
    try {
        switch (options.command) {
        case Command::Breakdown:
            out = breakdownText(options);
            break;
        case Command::Summary:
            out = summaryText(options);
            break;
        case Command::Map:
            out = mapText(options, recorder);
            break;
        case Command::Census:
            out = censusCommand(options);
            break;
        case Command::Report:
            out = reportCommand(options);
            break;
        }
    } catch (const std::exception& e) {
        // FileError carries "FILE: MESSAGE"; anything else its own message.
        writeAll(stderr, traceText(recorder));
        printError(e.what());
        return ExitFailed;
    }
    writeAll(stderr, traceText(recorder));
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
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    return helixplot::cli::run(argc, argv);
}
