// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusCommand.h"

#include "genetics/chemicalNames.h"
#include "writers/censusReport.h"
#include "writers/censusTables.h"
#include "writers/safeOutput.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace helixplot::cli {

namespace {

bool stderrIsTerminal()
{
#ifdef _WIN32
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(STDERR_FILENO) != 0;
#endif
}

// Below this a census is over before a bar would be worth looking at.
constexpr std::size_t ProgressBarFrom = 300;

// "[####......] 1200/10000 files, 850 files/s", redrawn in place.
class ProgressBar {
public:
    void show(std::size_t done, std::size_t total)
    {
        const auto now = std::chrono::steady_clock::now();
        if (done != total && now - lastDrawn_ < std::chrono::milliseconds(100))
            return;
        lastDrawn_ = now;
        constexpr std::size_t Width = 30;
        const std::size_t filled = total ? done * Width / total : Width;
        const double seconds = std::chrono::duration<double>(now - started_).count();
        const auto rate = static_cast<long long>(seconds > 0 ? static_cast<double>(done) / seconds : 0);
        std::string line = "\r[" + std::string(filled, '#') + std::string(Width - filled, '.') + "] " +
                           std::to_string(done) + '/' + std::to_string(total) + " files, " + std::to_string(rate) +
                           " files/s";
        if (done == total)
            line += '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
        std::fflush(stderr);
    }

private:
    std::chrono::steady_clock::time_point started_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point lastDrawn_{};
};

void showProgressOn(ProgressBar& bar, CensusOptions& options)
{
    if (stderrIsTerminal()) {
        options.progress = [&bar](std::size_t done, std::size_t total) {
            if (total > ProgressBarFrom)
                bar.show(done, total);
        };
    }
}

} // namespace

Census takeCensusWithProgress(const std::string& folder, bool recursive)
{
    CensusOptions options;
    options.recursive = recursive;
    ProgressBar bar;
    showProgressOn(bar, options);
    try {
        return takeCensus(folder, options);
    } catch (const HelixplotError& e) {
        throw std::runtime_error(folder + ": " + e.what());
    }
}

Lineage traceLineageWithProgress(const std::string& folder, LineageOptions options)
{
    ProgressBar bar;
    showProgressOn(bar, options.census);
    try {
        return traceLineage(folder, options);
    } catch (const HelixplotError& e) {
        throw std::runtime_error(folder + ": " + e.what());
    }
}

std::string linesForTerminal(const std::string& text, bool terminal)
{
    if (!terminal)
        return text;
    std::string out;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        out += escapedForMessage(std::string_view(text).substr(start, end - start));
        if (end < text.size())
            out += '\n';
        start = end + 1;
    }
    return out;
}

std::string censusCommand(const CliOptions& options, bool terminal)
{
    if (options.chemicalsPath) {
        // Nothing in the table names a chemical; a wrong file is still an
        // error, as with the other commands.
        try {
            loadChemicalNames(*options.chemicalsPath);
        } catch (const HelixplotError& e) {
            throw std::runtime_error(*options.chemicalsPath + ": " + e.what());
        }
    }
    const Census census = takeCensusWithProgress(options.files[0], options.recursive);
    switch (options.format) {
    case CensusFormat::Csv:
        return linesForTerminal(censusCsv(census), terminal);
    case CensusFormat::Json:
        writeCensusJson(census);
        return {};
    default:
        return censusText(census, terminal);
    }
}

std::string reportCommand(const CliOptions& options, const std::vector<std::string>& readFiles,
                          const std::function<void()>& loadChemicalNames)
{
    const std::string& folder = options.files[0];
    // -o /dev/stdout into a pipe or onto a terminal is standard output too.
    const bool toStandardOutput =
        options.outputPath == StandardOutputName || isStandardOutputStream(options.outputPath);
    // Before the census, which can take long: a target that cannot be
    // written fails at once.
    if (!toStandardOutput)
        checkOutputTarget(options.outputPath, readFiles);
    LineageOptions lineageOptions;
    lineageOptions.census.recursive = options.recursive;
    const Lineage lineage = traceLineageWithProgress(folder, lineageOptions);
    const Census& census = lineage.census;
    loadChemicalNames();
    std::vector<std::string> read = readFiles;
    for (const CensusRow& row : census.rows)
        read.push_back(censusFilePath(folder, row.file));
    // Written as it is made: the page of a large population is never whole
    // in memory.
    if (toStandardOutput) {
        checkStandardOutput(read);
        bool failed = false;
        writeCensusReport(
            [&failed](std::string_view piece) {
                if (!failed && std::fwrite(piece.data(), 1, piece.size(), stdout) != piece.size())
                    failed = true;
            },
            lineage, folder);
        if (std::fflush(stdout) != 0 || failed)
            throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
        return {};
    }
    OutputFile page(options.outputPath, read);
    writeCensusReport([&page](std::string_view piece) { page.write(piece); }, lineage, folder);
    page.commit();
    return {};
}

} // namespace helixplot::cli
