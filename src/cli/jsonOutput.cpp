#include "jsonOutput.h"

#include "decoder/unitGeneDecoder.h"
#include "mapping/statistics.h"

namespace helixplot::cli {

namespace {

using json = nlohmann::ordered_json;

json nodeJson(const DisplayTree& tree, NodeId node)
{
    json children = json::array();
    for (NodeId child = tree.firstChild(node); child != NoNode; child = tree.nextSibling(child))
        children.push_back(nodeJson(tree, child));
    return {{"text", latin1ToUtf8(tree.text(node))}, {"children", std::move(children)}};
}

bool isUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto c = static_cast<unsigned char>(text[i]);
        const std::size_t length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) >> 6) != 0x2)
                return false;
        i += length;
    }
    return true;
}

const char* changeName(LineChange change)
{
    switch (change) {
    case LineChange::Same:
        return "same";
    case LineChange::Removed:
        return "removed";
    default:
        return "added";
    }
}

} // namespace

std::string latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string fileNameText(std::string_view path)
{
    return isUtf8(path) ? std::string(path) : latin1ToUtf8(path);
}

json treeJson(const DisplayTree& tree)
{
    json nodes = json::array();
    for (NodeId node = tree.firstTopLevel(); node != NoNode; node = tree.nextSibling(node))
        nodes.push_back(nodeJson(tree, node));
    return nodes;
}

json statisticsJson(const MappingResult& result)
{
    json columns = json::array();
    for (std::string_view title : StatisticsColumnTitles)
        columns.push_back(title);
    json rows = json::array();
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        const StatisticsRow& row = result.statistics[i];
        rows.push_back({{"caption", StatisticsCaptions[i]},
                        {"mutated", row.mutated},
                        {"maternal", row.maternal},
                        {"paternal", row.paternal}});
    }
    return {{"columns", std::move(columns)}, {"rows", std::move(rows)}};
}

json pagesJson(const MappingResult& result)
{
    json pages = json::array();
    auto add = [&](std::string_view title, const DisplayTree& tree) {
        pages.push_back({{"title", title}, {"tree", treeJson(tree)}});
    };
    if (result.comparisonPagesVisible) {
        add("Mutated genes", result.mutatedGenes);
        add("Missing Genes", result.missingGenes);
        add("Additional Genes", result.additionalGenes);
    }
    add("Genome Breakdown", result.breakdown);
    return pages;
}

json changesJson(const std::vector<GeneChange>& changes, const std::array<std::string, 2>& comparatorNames)
{
    json out = json::array();
    for (const GeneChange& change : changes) {
        const GeneHeader& h = change.examined.header;
        json comparators = json::array();
        const std::vector<GeneDiff> diffs = diffChange(change);
        for (std::size_t i = 0; i < diffs.size(); ++i) {
            const ComparatorGene& c = change.comparators[i];
            const GeneDiff& diff = diffs[i];
            json lines = json::array();
            for (const DiffLine& line : diff.lines) {
                const std::string_view text = line.change == LineChange::Removed
                                                  ? diff.comparatorLines[line.comparatorLine]
                                                  : diff.examinedLines[line.examinedLine];
                lines.push_back({{"change", changeName(line.change)}, {"text", latin1ToUtf8(text)}});
            }
            json bytes = json::array();
            for (const ByteChange& b : diff.bytes)
                bytes.push_back(
                    {{"offset", b.offset}, {"comparator", b.comparatorValue}, {"examined", b.examinedValue}});
            comparators.push_back({{"file", fileNameText(comparatorNames.at(c.comparator))},
                                   {"differs", c.differs},
                                   {"lines", std::move(lines)},
                                   {"bytes", std::move(bytes)}});
        }
        out.push_back({{"header", latin1ToUtf8(geneHeaderLine(change.examined))},
                       {"type", h.type},
                       {"subtype", h.subtype},
                       {"id", h.id},
                       {"comparators", std::move(comparators)}});
    }
    return out;
}

} // namespace helixplot::cli
