#include "censusCommands.h"

#include "censusReport.h"
#include "genetics/chemicalNames.h"
#include "genetics/safeOutput.h"
#include "genetics/textEncoding.h"
#include "genetics/unitGenetics.h"
#include "jsonOutput.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
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

std::string orDash(const std::optional<std::string>& text)
{
    return text && !text->empty() ? *text : "-";
}

std::string numberOrDash(const std::optional<std::size_t>& n)
{
    return n ? std::to_string(*n) : "-";
}

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

} // namespace

std::string censusText(const Census& census, bool terminal)
{
    // On a terminal a name must neither drive it nor break its row.
    auto shown = [terminal](const std::string& text) { return terminal ? escapedForMessage(text) : text; };
    const std::vector<std::string> titles = {"File",   "Genus",      "Mother",   "Father", "Genes",
                                             "Organs", "Generation", "Children", "Mutated"};
    std::vector<std::vector<std::string>> cells;
    for (const CensusRow& row : census.rows) {
        if (!row.loaded()) {
            cells.push_back({shown(row.file), "error: " + shown(row.error)});
            continue;
        }
        cells.push_back({shown(row.file), shown(orDash(row.genus)), shown(orDash(row.mother)),
                         shown(orDash(row.father)), std::to_string(row.genes), std::to_string(row.organs),
                         std::to_string(row.generation), std::to_string(row.children),
                         numberOrDash(row.mutatedTotal())});
    }
    std::vector<std::size_t> widths(titles.size());
    for (std::size_t c = 0; c < titles.size(); ++c)
        widths[c] = titles[c].size();
    for (const auto& line : cells)
        if (line.size() == titles.size())
            for (std::size_t c = 0; c < line.size(); ++c)
                widths[c] = std::max(widths[c], line[c].size());

    // Names left-aligned, numbers right-aligned, two blanks between columns;
    // a file that did not load has its message after its name.
    auto format = [&](const std::vector<std::string>& line) {
        std::string out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            if (c > 0)
                out += "  ";
            const std::string pad(widths[c] - std::min(widths[c], line[c].size()), ' ');
            if (line.size() != titles.size())
                out += c == 0 ? line[c] + pad : line[c];
            else
                out += c >= 4 ? pad + line[c] : line[c] + pad;
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out + '\n';
    };
    std::string out = format(titles);
    for (const auto& line : cells)
        out += format(line);
    return out;
}

std::string censusCsv(const Census& census)
{
    auto cell = [](std::string_view text, std::string& out) {
        out += ',';
        appendCsvText(utf8Text(text), out);
    };
    std::string out = "file,error,genus,mother,father,genes,organs,generation,children,mutated";
    for (std::string_view caption : StatisticsCaptions)
        cell(caption, out);
    for (std::string_view caption : StatisticsCaptions)
        cell(std::string(caption) + " mutated", out);
    out += "\r\n";
    for (const CensusRow& row : census.rows) {
        appendCsvText(utf8Path(row.file), out);
        cell(row.error, out);
        if (!row.loaded()) {
            out += std::string(8 + 2 * StatisticsRowCount, ',') + "\r\n";
            continue;
        }
        cell(row.genus.value_or(""), out);
        cell(row.mother.value_or(""), out);
        cell(row.father.value_or(""), out);
        // Counts are written as numbers, never guarded.
        out += ',' + std::to_string(row.genes) + ',' + std::to_string(row.organs) + ',' +
               std::to_string(row.generation) + ',' + std::to_string(row.children) + ',' +
               (row.mutatedTotal() ? std::to_string(*row.mutatedTotal()) : std::string());
        for (std::size_t total : row.totals)
            out += ',' + std::to_string(total);
        for (std::size_t i = 0; i < StatisticsRowCount; ++i)
            out += ',' + (row.mutated ? std::to_string((*row.mutated)[i]) : std::string());
        out += "\r\n";
    }
    return out;
}

void writeCensusJson(const Census& census)
{
    // Keys in the order the table's first version wrote them (sorted).
    JsonWriter json(stdout);
    auto nameOrNull = [&json](const std::optional<std::string>& text) {
        if (text)
            json.text(*text);
        else
            json.null();
    };
    auto numberIf = [&json](bool loaded, std::size_t n) {
        if (loaded)
            json.number(n);
        else
            json.null();
    };
    json.beginArray();
    for (const CensusRow& row : census.rows) {
        const bool loaded = row.loaded();
        json.beginObject();
        json.key("children");
        numberIf(loaded, row.children);
        json.key("error");
        if (loaded)
            json.null();
        else
            json.text(row.error);
        json.key("father");
        nameOrNull(row.father);
        json.key("file");
        json.path(row.file);
        json.key("generation");
        numberIf(loaded, static_cast<std::size_t>(row.generation));
        json.key("genes");
        numberIf(loaded, row.genes);
        json.key("genus");
        nameOrNull(row.genus);
        json.key("mother");
        nameOrNull(row.mother);
        json.key("mutated");
        numberIf(loaded && row.mutatedTotal(), row.mutatedTotal().value_or(0));
        json.key("organs");
        numberIf(loaded, row.organs);
        json.key("statistics");
        if (loaded) {
            json.beginArray();
            for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
                json.beginObject();
                json.key("genes");
                json.number(row.totals[i]);
                json.key("mutated");
                numberIf(row.mutated.has_value(), row.mutated ? (*row.mutated)[i] : 0);
                json.key("type");
                json.string(StatisticsCaptions[i]);
                json.endObject();
            }
            json.endArray();
        } else {
            json.null();
        }
        json.endObject();
    }
    json.endArray();
    json.finish();
}

Census takeCensusWithProgress(const std::string& folder, bool recursive)
{
    CensusOptions options;
    options.recursive = recursive;
    ProgressBar bar;
    if (stderrIsTerminal()) {
        options.progress = [&bar](std::size_t done, std::size_t total) {
            if (total > ProgressBarFrom)
                bar.show(done, total);
        };
    }
    try {
        return takeCensus(folder, options);
    } catch (const HelixplotError& e) {
        throw std::runtime_error(folder + ": " + e.what());
    }
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
        return censusCsv(census);
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
    const bool toStandardOutput = options.outputPath == StandardOutputName;
    // Before the census, which can take long: a target that cannot be
    // written fails at once.
    if (!toStandardOutput)
        checkOutputTarget(options.outputPath, readFiles);
    const Census census = takeCensusWithProgress(folder, options.recursive);
    loadChemicalNames();
    std::string html = censusReportHtml(census, folder);
    if (toStandardOutput)
        return html;
    std::vector<std::string> read = readFiles;
    for (const CensusRow& row : census.rows)
        read.push_back(folder + '/' + row.file);
    writeOutputFile(options.outputPath, html, read);
    return {};
}

} // namespace helixplot::cli
