#include "censusCommands.h"

#include "censusReport.h"
#include "genetics/chemicalNames.h"
#include "genetics/safeOutput.h"
#include "genetics/unitGenetics.h"
#include "mapping/geneChange.h"
#include "mapping/geneMatching.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
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

namespace {

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
    LineageOptions lineageOptions;
    lineageOptions.census.recursive = options.recursive;
    const Lineage lineage = traceLineageWithProgress(folder, lineageOptions);
    const Census& census = lineage.census;
    loadChemicalNames();
    std::string html = censusReportHtml(census, folder, lineage.genes);
    if (toStandardOutput)
        return html;
    std::vector<std::string> read = readFiles;
    for (const CensusRow& row : census.rows)
        read.push_back(folder + '/' + row.file);
    writeOutputFile(options.outputPath, html, read);
    return {};
}

} // namespace helixplot::cli

namespace helixplot::cli {

namespace {

std::string hexByte(unsigned value)
{
    static constexpr char Digits[] = "0123456789ABCDEF";
    return {Digits[value >> 4 & 0x0F], Digits[value & 0x0F]};
}

const GeneKindInfo& kindInfoOf(std::uint16_t geneKey)
{
    return GeneKinds[geneKey >> 8 & 0x0F];
}

std::string parentFile(const Lineage& lineage, const std::optional<std::size_t>& row)
{
    return row ? lineage.census.rows[*row].file : std::string("-");
}

// The creature's gene that brought the event: the first of the key with the
// event's body, in lookup order.
const GeneRecord* geneOf(const TGeneticsFile& genome, const GenePrint& print)
{
    auto matches = [&](const GeneRecord& gene) {
        const std::optional<GenePrint> p = genePrint(gene);
        return p && p->geneKey() == print.geneKey() && p->body == print.body;
    };
    for (const GeneRecord& gene : genome.GeneList())
        if (matches(gene))
            return &gene;
    for (const TCOrgan& organ : genome.OrganList()) {
        if (matches(organ.OrganGene))
            return &organ.OrganGene;
        for (const GeneRecord& gene : organ.GeneList)
            if (matches(gene))
                return &gene;
    }
    return nullptr;
}

TGeneticsFile loadForLineage(const std::string& folder, const std::string& file)
{
    const std::string path = folder.empty() || folder.back() == '/' ? folder + file : folder + '/' + file;
    try {
        return TGeneticsFile(path);
    } catch (const HelixplotError& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

} // namespace

std::string lineageText(const Lineage& lineage, const std::string& folder)
{
    const std::vector<std::string> titles = {"Kind", "Id", "Events", "Variants", "Carriers"};
    std::vector<std::vector<std::string>> cells;
    for (const GeneHotspot& gene : lineage.genes)
        cells.push_back({std::string(kindInfoOf(gene.geneKey).statisticsCaption), hexByte(gene.geneKey & 0xFF),
                         std::to_string(gene.events), std::to_string(gene.variants), std::to_string(gene.carriers)});
    std::vector<std::size_t> widths(titles.size());
    for (std::size_t c = 0; c < titles.size(); ++c) {
        widths[c] = titles[c].size();
        for (const auto& line : cells)
            widths[c] = std::max(widths[c], line[c].size());
    }
    auto format = [&](const std::vector<std::string>& line) {
        std::string out;
        for (std::size_t c = 0; c < line.size(); ++c) {
            const std::string pad(widths[c] - line[c].size(), ' ');
            out += c == 0 ? line[c] + pad : "  " + (c == 1 ? line[c] + pad : pad + line[c]);
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out + '\n';
    };
    std::string out = format(titles);
    for (const auto& line : cells)
        out += format(line);

    // The genomes of one creature are read once for all its events.
    std::optional<std::size_t> loadedRow;
    std::unique_ptr<TGeneticsFile> examined, mother, father;
    for (const MutationEvent& event : lineage.events) {
        const CensusRow& row = lineage.census.rows[event.row];
        const std::array<std::string, 2> parents = {parentFile(lineage, row.motherRow),
                                                    parentFile(lineage, row.fatherRow)};
        if (loadedRow != event.row) {
            examined = std::make_unique<TGeneticsFile>(loadForLineage(folder, row.file));
            mother = std::make_unique<TGeneticsFile>(loadForLineage(folder, parents[0]));
            father = std::make_unique<TGeneticsFile>(loadForLineage(folder, parents[1]));
            loadedRow = event.row;
        }
        out += "\n" + row.file + ": " + std::string(kindInfoOf(event.gene.geneKey()).statisticsCaption) + ' ' +
               hexByte(event.gene.id()) + ", generation " + std::to_string(row.generation) + ", mother " + parents[0] +
               ", father " + parents[1] + '\n';
        const GeneRecord* gene = geneOf(*examined, event.gene);
        if (gene) {
            const GenomeComparison comparison(
                {mappingModeOf(MappingChoice::Parental), examined.get(), mother.get(), father.get()});
            GeneChange change = geneChangeOf(*gene, comparison);
            // Against the mother's version where she has one.
            if (change.comparators.size() > 1 && change.comparators.front().comparator == 0)
                change.comparators.resize(1);
            appendChangeText(change, parents, out);
        }
        out += "carriers " + std::to_string(event.carriers.size()) + ':';
        for (const std::size_t carrier : event.carriers)
            out += ' ' + lineage.census.rows[carrier].file;
        out += '\n';
    }
    return out;
}

std::string lineageCsv(const Lineage& lineage)
{
    std::string out = "file,type,subtype,id,kind,generation,mother,father,carrier\r\n";
    for (const MutationEvent& event : lineage.events) {
        const CensusRow& row = lineage.census.rows[event.row];
        const GeneKindInfo& kind = kindInfoOf(event.gene.geneKey());
        const std::string head = csvField(row.file) + ',' + std::to_string(kind.type) + ',' +
                                 std::to_string(kind.subtype) + ',' + std::to_string(event.gene.id()) + ',' +
                                 csvField(std::string(kind.statisticsCaption)) + ',' + std::to_string(row.generation) +
                                 ',' + csvField(parentFile(lineage, row.motherRow)) + ',' +
                                 csvField(parentFile(lineage, row.fatherRow)) + ',';
        for (const std::size_t carrier : event.carriers)
            out += head + csvField(lineage.census.rows[carrier].file) + "\r\n";
    }
    return out;
}

std::string lineageJson(const Lineage& lineage)
{
    auto fileOf = [&](std::size_t row) { return fileNameUtf8(lineage.census.rows[row].file); };
    auto keyFields = [](nlohmann::ordered_json& object, std::uint16_t geneKey) {
        const GeneKindInfo& kind = kindInfoOf(geneKey);
        object["type"] = kind.type;
        object["subtype"] = kind.subtype;
        object["id"] = geneKey & 0xFF;
        object["kind"] = std::string(kind.statisticsCaption);
    };
    nlohmann::ordered_json mutations = nlohmann::ordered_json::array();
    for (const MutationEvent& event : lineage.events) {
        const CensusRow& row = lineage.census.rows[event.row];
        nlohmann::ordered_json object = {{"file", fileOf(event.row)}};
        keyFields(object, event.gene.geneKey());
        object["generation"] = row.generation;
        object["mother"] = fileOf(*row.motherRow);
        object["father"] = fileOf(*row.fatherRow);
        nlohmann::ordered_json carriers = nlohmann::ordered_json::array();
        for (const std::size_t carrier : event.carriers)
            carriers.push_back(fileOf(carrier));
        object["carriers"] = std::move(carriers);
        mutations.push_back(std::move(object));
    }
    nlohmann::ordered_json genes = nlohmann::ordered_json::array();
    for (const GeneHotspot& gene : lineage.genes) {
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        keyFields(object, gene.geneKey);
        object["events"] = gene.events;
        object["variants"] = gene.variants;
        object["carriers"] = gene.carriers;
        genes.push_back(std::move(object));
    }
    const nlohmann::ordered_json document = {{"mutations", std::move(mutations)}, {"genes", std::move(genes)}};
    return document.dump(1) + '\n';
}

std::string lineageCommand(const CliOptions& options)
{
    if (options.chemicalsPath) {
        try {
            loadChemicalNames(*options.chemicalsPath);
        } catch (const HelixplotError& e) {
            throw std::runtime_error(*options.chemicalsPath + ": " + e.what());
        }
    }
    const std::string& folder = options.files[0];
    LineageOptions lineageOptions;
    lineageOptions.census.recursive = options.recursive;
    if (options.gene)
        lineageOptions.gene = packedGeneKey((*options.gene)[0], (*options.gene)[1], (*options.gene)[2]);
    const Lineage lineage = traceLineageWithProgress(folder, lineageOptions);
    switch (options.format) {
    case CensusFormat::Csv:
        return lineageCsv(lineage);
    case CensusFormat::Json:
        return lineageJson(lineage);
    default:
        return lineageText(lineage, folder);
    }
}

} // namespace helixplot::cli
