#include "censusCommands.h"

#include "censusReport.h"
#include "genetics/chemicalNames.h"
#include "genetics/safeOutput.h"
#include "genetics/unitGenetics.h"

#include <nlohmann/json.hpp>

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

std::string csvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

nlohmann::json nameOrNull(const std::optional<std::string>& text)
{
    return text ? nlohmann::json(latin1ToUtf8(*text)) : nlohmann::json(nullptr);
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

std::string latin1ToUtf8(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (unsigned char c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string fileNameUtf8(const std::string& name)
{
    // Well-formed sequences only: no overlong forms, no surrogates, none
    // past U+10FFFF.
    const auto* p = reinterpret_cast<const unsigned char*>(name.data());
    const auto* end = p + name.size();
    while (p != end) {
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (*p < 0x80)
            length = 1;
        else if (*p >= 0xC2 && *p <= 0xDF)
            length = 2;
        else if (*p >= 0xE0 && *p <= 0xEF) {
            length = 3;
            low = *p == 0xE0 ? 0xA0 : 0x80;
            high = *p == 0xED ? 0x9F : 0xBF;
        } else if (*p >= 0xF0 && *p <= 0xF4) {
            length = 4;
            low = *p == 0xF0 ? 0x90 : 0x80;
            high = *p == 0xF4 ? 0x8F : 0xBF;
        } else
            return latin1ToUtf8(name);
        if (static_cast<std::size_t>(end - p) < length)
            return latin1ToUtf8(name);
        for (std::size_t i = 1; i < length; ++i) {
            const unsigned char c = p[i];
            if (c < (i == 1 ? low : 0x80) || c > (i == 1 ? high : 0xBF))
                return latin1ToUtf8(name);
        }
        p += length;
    }
    return name;
}

std::string censusText(const Census& census)
{
    const std::vector<std::string> titles = {"File",   "Genus",      "Mother",   "Father", "Genes",
                                             "Organs", "Generation", "Children", "Mutated"};
    std::vector<std::vector<std::string>> cells;
    for (const CensusRow& row : census.rows) {
        if (!row.loaded()) {
            cells.push_back({row.file, "error: " + row.error});
            continue;
        }
        cells.push_back({row.file, orDash(row.genus), orDash(row.mother), orDash(row.father), std::to_string(row.genes),
                         std::to_string(row.organs), std::to_string(row.generation), std::to_string(row.children),
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
    std::string out = "file,error,genus,mother,father,genes,organs,generation,children,mutated";
    for (std::string_view caption : StatisticsCaptions)
        out += ',' + csvField(std::string(caption));
    for (std::string_view caption : StatisticsCaptions)
        out += ',' + csvField(std::string(caption) + " mutated");
    out += "\r\n";
    for (const CensusRow& row : census.rows) {
        out += csvField(row.file) + ',' + csvField(row.error);
        if (!row.loaded()) {
            out += std::string(8 + 2 * StatisticsRowCount, ',') + "\r\n";
            continue;
        }
        out += ',' + csvField(row.genus.value_or("")) + ',' + csvField(row.mother.value_or("")) + ',' +
               csvField(row.father.value_or("")) + ',' + std::to_string(row.genes) + ',' + std::to_string(row.organs) +
               ',' + std::to_string(row.generation) + ',' + std::to_string(row.children) + ',' +
               (row.mutatedTotal() ? std::to_string(*row.mutatedTotal()) : std::string());
        for (std::size_t total : row.totals)
            out += ',' + std::to_string(total);
        for (std::size_t i = 0; i < StatisticsRowCount; ++i)
            out += ',' + (row.mutated ? std::to_string((*row.mutated)[i]) : std::string());
        out += "\r\n";
    }
    return out;
}

std::string censusJson(const Census& census)
{
    nlohmann::json rows = nlohmann::json::array();
    for (const CensusRow& row : census.rows) {
        nlohmann::json object = {
            {"file", fileNameUtf8(row.file)},
            {"error", row.loaded() ? nlohmann::json(nullptr) : nlohmann::json(row.error)},
            {"genus", nameOrNull(row.genus)},
            {"mother", nameOrNull(row.mother)},
            {"father", nameOrNull(row.father)},
            {"genes", nullptr},
            {"organs", nullptr},
            {"generation", nullptr},
            {"children", nullptr},
            {"mutated", nullptr},
            {"statistics", nullptr},
        };
        if (row.loaded()) {
            object["genes"] = row.genes;
            object["organs"] = row.organs;
            object["generation"] = row.generation;
            object["children"] = row.children;
            if (row.mutatedTotal())
                object["mutated"] = *row.mutatedTotal();
            nlohmann::json statistics = nlohmann::json::array();
            for (std::size_t i = 0; i < StatisticsRowCount; ++i)
                statistics.push_back({{"type", std::string(StatisticsCaptions[i])},
                                      {"genes", row.totals[i]},
                                      {"mutated", row.mutated ? nlohmann::json((*row.mutated)[i]) : nullptr}});
            object["statistics"] = std::move(statistics);
        }
        rows.push_back(std::move(object));
    }
    return rows.dump(1) + '\n';
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

std::string censusCommand(const CliOptions& options)
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
        return censusJson(census);
    default:
        return censusText(census);
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
