// SPDX-License-Identifier: GPL-3.0-or-later
#include "resultText.h"

#include "statistics.h"

namespace helixplot {

namespace {

void appendTreePage(std::string_view title, const DisplayTree& tree, std::string& out, bool escapeControls = false)
{
    out += "== ";
    out += title;
    out += '\n';
    dumpTree(tree, out, "\n", escapeControls);
}

void appendRow(std::string_view c1, std::string_view c2, std::string_view c3, std::string_view c4, std::string& out)
{
    out += c1;
    out += '\t';
    out += c2;
    out += '\t';
    out += c3;
    out += '\t';
    out += c4;
    out += '\n';
}

} // namespace

void appendStatisticsText(const MappingResult& result, std::string& out)
{
    const auto& t = StatisticsColumnTitles;
    appendRow(t[0], t[1], t[2], t[3], out);
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        const StatisticsRow& row = result.statistics[i];
        appendRow(StatisticsCaptions[i], row.mutated, row.maternal, row.paternal, out);
    }
}

std::string mappingResultText(const MappingResult& result, bool comparisonPages, bool escapeControls)
{
    std::string out;
    out.reserve(64 * (StatisticsRowCount + result.breakdown.nodeCount() +
                      (comparisonPages ? result.mutatedGenes.nodeCount() + result.missingGenes.nodeCount() +
                                             result.additionalGenes.nodeCount()
                                       : 0)));
    out += "== General Genome Information\n";
    appendStatisticsText(result, out);
    if (comparisonPages) {
        appendTreePage("Mutated genes", result.mutatedGenes, out, escapeControls);
        appendTreePage("Missing Genes", result.missingGenes, out, escapeControls);
        appendTreePage("Additional Genes", result.additionalGenes, out, escapeControls);
    }
    appendTreePage("Genome Breakdown", result.breakdown, out, escapeControls);
    return out;
}

std::string pageText(const MappingResult& result, ResultPage page)
{
    std::string out;
    switch (page) {
    case ResultPage::Statistics:
        out += "== General Genome Information\n";
        appendStatisticsText(result, out);
        break;
    case ResultPage::Mutated:
        appendTreePage("Mutated genes", result.mutatedGenes, out);
        break;
    case ResultPage::Missing:
        appendTreePage("Missing Genes", result.missingGenes, out);
        break;
    case ResultPage::Additional:
        appendTreePage("Additional Genes", result.additionalGenes, out);
        break;
    case ResultPage::Breakdown:
        appendTreePage("Genome Breakdown", result.breakdown, out);
        break;
    }
    return out;
}

namespace {

void appendCsvField(std::string_view field, std::string& out)
{
    if (field.find_first_of(",\"\r\n") == std::string_view::npos) {
        out += field;
        return;
    }
    out += '"';
    for (char c : field) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
}

void appendCsvRow(std::initializer_list<std::string_view> fields, std::string& out)
{
    bool first = true;
    for (std::string_view field : fields) {
        if (!first)
            out += ',';
        first = false;
        appendCsvField(field, out);
    }
    out += "\r\n";
}

} // namespace

std::string statisticsCsv(const MappingResult& result)
{
    std::string out;
    const auto& t = StatisticsColumnTitles;
    appendCsvRow({t[0], t[1], t[2], t[3]}, out);
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        const StatisticsRow& row = result.statistics[i];
        appendCsvRow({StatisticsCaptions[i], row.mutated, row.maternal, row.paternal}, out);
    }
    return out;
}

} // namespace helixplot
