// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusCommands.h"

#include "censusReport.h"
#include "genetics/chemicalNames.h"
#include "genetics/safeOutput.h"
#include "genetics/textEncoding.h"
#include "genetics/unitGenetics.h"
#include "jsonOutput.h"
#include "mapping/geneChange.h"
#include "mapping/geneMatching.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
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

// Names left-aligned and numbers (the columns from firstNumber on)
// right-aligned, each column as wide as its widest cell, two blanks between
// columns. A row with fewer cells than titles is not measured: its first
// cell is padded, the rest follow as they are.
std::string alignedTable(const std::vector<std::string>& titles, const std::vector<std::vector<std::string>>& rows,
                         std::size_t firstNumber)
{
    std::vector<std::size_t> widths(titles.size());
    for (std::size_t c = 0; c < titles.size(); ++c)
        widths[c] = titles[c].size();
    for (const auto& row : rows)
        if (row.size() == titles.size())
            for (std::size_t c = 0; c < row.size(); ++c)
                widths[c] = std::max(widths[c], row[c].size());
    auto format = [&](const std::vector<std::string>& row) {
        std::string out;
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                out += "  ";
            const std::string pad(widths[c] - std::min(widths[c], row[c].size()), ' ');
            if (row.size() != titles.size())
                out += c == 0 ? row[c] + pad : row[c];
            else
                out += c >= firstNumber ? pad + row[c] : row[c] + pad;
        }
        while (!out.empty() && out.back() == ' ')
            out.pop_back();
        return out + '\n';
    };
    std::string out = format(titles);
    for (const auto& row : rows)
        out += format(row);
    return out;
}

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
    // A file that did not load has its message after its name.
    return alignedTable(titles, cells, 4);
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
        json.pathField("file", row.file);
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
                json.numberField("genes", row.totals[i]);
                json.key("mutated");
                numberIf(row.mutated.has_value(), row.mutated ? (*row.mutated)[i] : 0);
                json.stringField("type", StatisticsCaptions[i]);
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
    LineageOptions lineageOptions;
    lineageOptions.census.recursive = options.recursive;
    const Lineage lineage = traceLineageWithProgress(folder, lineageOptions);
    const Census& census = lineage.census;
    loadChemicalNames();
    // Written as it is made: the page of a large population is never whole
    // in memory.
    if (toStandardOutput) {
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
    std::vector<std::string> read = readFiles;
    for (const CensusRow& row : census.rows)
        read.push_back(censusFilePath(folder, row.file));
    OutputFile page(options.outputPath, read);
    writeCensusReport([&page](std::string_view piece) { page.write(piece); }, lineage, folder);
    page.commit();
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
    const std::string path = censusFilePath(folder, file);
    try {
        return TGeneticsFile(path);
    } catch (const HelixplotError& e) {
        throw std::runtime_error(path + ": " + e.what());
    }
}

} // namespace

std::string lineageText(const Lineage& lineage, const std::string& folder, bool terminal)
{
    // On a terminal a name must neither drive it nor break its line.
    auto shown = [terminal](const std::string& text) { return terminal ? escapedForMessage(text) : text; };
    const std::vector<std::string> titles = {"Kind", "Id", "Events", "Variants", "Carriers"};
    std::vector<std::vector<std::string>> cells;
    for (const GeneHotspot& gene : lineage.genes)
        cells.push_back({std::string(kindInfoOf(gene.geneKey).statisticsCaption), hexByte(gene.geneKey & 0xFF),
                         std::to_string(gene.events), std::to_string(gene.variants), std::to_string(gene.carriers)});
    std::string out = alignedTable(titles, cells, 2);

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
        out += "\n" + shown(row.file) + ": " + std::string(kindInfoOf(event.gene.geneKey()).statisticsCaption) + ' ' +
               hexByte(event.gene.id()) + ", generation " + std::to_string(row.generation) + ", mother " +
               shown(parents[0]) + ", father " + shown(parents[1]) + '\n';
        const GeneRecord* gene = geneOf(*examined, event.gene);
        if (gene) {
            const GenomeComparison comparison(
                {mappingModeOf(MappingChoice::Parental), examined.get(), mother.get(), father.get()});
            GeneChange change = geneChangeOf(*gene, comparison);
            // Against the mother's version where she has one.
            if (change.comparators.size() > 1 && change.comparators.front().comparator == 0)
                change.comparators.resize(1);
            appendChangeText(change, parents, out, terminal);
        }
        out += "carriers " + std::to_string(event.carriers.size()) + ':';
        for (const std::size_t carrier : event.carriers)
            out += ' ' + shown(lineage.census.rows[carrier].file);
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
        std::string head;
        appendCsvText(utf8Path(row.file), head);
        // Numbers are written as numbers, never guarded.
        head += ',' + std::to_string(kind.type) + ',' + std::to_string(kind.subtype) + ',' +
                std::to_string(event.gene.id()) + ',';
        appendCsvText(kind.statisticsCaption, head);
        head += ',' + std::to_string(row.generation) + ',';
        appendCsvText(utf8Path(parentFile(lineage, row.motherRow)), head);
        head += ',';
        appendCsvText(utf8Path(parentFile(lineage, row.fatherRow)), head);
        head += ',';
        for (const std::size_t carrier : event.carriers) {
            out += head;
            appendCsvText(utf8Path(lineage.census.rows[carrier].file), out);
            out += "\r\n";
        }
    }
    return out;
}

void writeLineageJson(const Lineage& lineage)
{
    JsonWriter json(stdout);
    auto keyFields = [&json](std::uint16_t geneKey) {
        const GeneKindInfo& kind = kindInfoOf(geneKey);
        json.numberField("type", kind.type);
        json.numberField("subtype", kind.subtype);
        json.numberField("id", geneKey & 0xFFu);
        json.stringField("kind", kind.statisticsCaption);
    };
    auto fileOf = [&](std::size_t row) { json.path(lineage.census.rows[row].file); };
    json.beginObject();
    json.key("mutations");
    json.beginArray();
    for (const MutationEvent& event : lineage.events) {
        const CensusRow& row = lineage.census.rows[event.row];
        json.beginObject();
        json.key("file");
        fileOf(event.row);
        keyFields(event.gene.geneKey());
        json.numberField("generation", static_cast<std::uint64_t>(row.generation));
        json.key("mother");
        fileOf(*row.motherRow);
        json.key("father");
        fileOf(*row.fatherRow);
        json.key("carriers");
        json.beginArray();
        for (const std::size_t carrier : event.carriers)
            fileOf(carrier);
        json.endArray();
        json.endObject();
    }
    json.endArray();
    json.key("genes");
    json.beginArray();
    for (const GeneHotspot& gene : lineage.genes) {
        json.beginObject();
        keyFields(gene.geneKey);
        json.numberField("events", gene.events);
        json.numberField("variants", gene.variants);
        json.numberField("carriers", gene.carriers);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    json.finish();
}

std::string lineageCommand(const CliOptions& options, bool terminal)
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
        writeLineageJson(lineage);
        return {};
    default:
        return lineageText(lineage, folder, terminal);
    }
}

} // namespace helixplot::cli
