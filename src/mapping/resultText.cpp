#include "resultText.h"

#include "statistics.h"

namespace helixplot {

namespace {

void appendTreePage(std::string_view title, const DisplayTree& tree, std::string& out)
{
    out += "== ";
    out += title;
    out += '\n';
    dumpTree(tree, out, "\n");
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

std::string mappingResultText(const MappingResult& result, bool comparisonPages)
{
    std::string out;
    out.reserve(64 * (StatisticsRowCount + result.breakdown.nodeCount() +
                      (comparisonPages ? result.mutatedGenes.nodeCount() + result.missingGenes.nodeCount() +
                                             result.additionalGenes.nodeCount()
                                       : 0)));
    out += "== General Genome Information\n";
    appendStatisticsText(result, out);
    if (comparisonPages) {
        appendTreePage("Mutated genes", result.mutatedGenes, out);
        appendTreePage("Missing Genes", result.missingGenes, out);
        appendTreePage("Additional Genes", result.additionalGenes, out);
    }
    appendTreePage("Genome Breakdown", result.breakdown, out);
    return out;
}

} // namespace helixplot
