// SPDX-License-Identifier: GPL-3.0-or-later
#include "statistics.h"

namespace helixplot {

const std::array<std::string_view, 4> StatisticsColumnTitles = {
    "Type of Gene",
    "Mutated Genes (Out Of)",
    "Maternal Comparator",
    "Paternal Comparator",
};

StatisticsCounts countStatisticsRow(const GenomeComparison& genomes, std::uint8_t selector, std::uint8_t subtype,
                                    bool byFlag)
{
    auto selected = [&](const GeneRecord& g) {
        return byFlag ? (g.header.flags & selector) != 0 : g.header.type == selector && g.header.subtype == subtype;
    };
    auto countSelected = [&](const TGeneticsFile* genome) {
        std::size_t n = 0;
        if (genome)
            genome->forEachGene([&](const GeneRecord& g) { n += selected(g) ? 1 : 0; });
        return n;
    };

    StatisticsCounts counts;
    if (genomes.examined()) {
        genomes.examined()->forEachGene([&](const GeneRecord& g) {
            if (!selected(g))
                return;
            ++counts.total;
            if (genomes.countsAsMutated(g))
                ++counts.mutated;
        });
    }
    if (genomes.usesMother())
        counts.maternal = countSelected(genomes.mother());
    if (genomes.usesFather())
        counts.paternal = countSelected(genomes.father());
    return counts;
}

void fillStatisticsRow(const GenomeComparison& genomes, std::uint8_t selector, std::uint8_t subtype, bool byFlag,
                       StatisticsRow& row)
{
    const StatisticsCounts counts = countStatisticsRow(genomes, selector, subtype, byFlag);
    row.mutated.clear();
    if (genomes.usesMother()) {
        row.mutated += std::to_string(counts.mutated);
        row.mutated += ' ';
    }
    row.mutated += '(';
    row.mutated += std::to_string(counts.total);
    row.mutated += ')';
    row.maternal = genomes.usesMother() ? std::to_string(counts.maternal) : "--";
    row.paternal = genomes.usesFather() ? std::to_string(counts.paternal) : "--";
}

std::array<StatisticsCounts, StatisticsRowCount> countStatistics(const GenomeComparison& genomes)
{
    std::array<StatisticsCounts, StatisticsRowCount> rows;
    std::size_t row = 0;
    for (const GeneKindInfo& k : GeneKinds)
        rows[row++] = countStatisticsRow(genomes, k.type, k.subtype, false);
    for (std::uint8_t bit : StatisticsFlagBits)
        rows[row++] = countStatisticsRow(genomes, bit, 0, true);
    return rows;
}

void fillStatisticsTable(const GenomeComparison& genomes, MappingResult& result, ProgressReporter& progress)
{
    std::size_t row = 0;
    auto rowDone = [&] { progress.setProgressPosition(static_cast<int>(++row)); };
    for (const GeneKindInfo& k : GeneKinds) {
        fillStatisticsRow(genomes, k.type, k.subtype, false, result.statistics[row]);
        rowDone();
    }
    for (std::uint8_t bit : StatisticsFlagBits) {
        fillStatisticsRow(genomes, bit, 0, true, result.statistics[row]);
        rowDone();
    }
}

} // namespace helixplot
