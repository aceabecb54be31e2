#include "statistics.h"

namespace helixplot {

const std::array<std::string_view, StatisticsRowCount> StatisticsCaptions = {
    "Brain Lobes",
    "Brain Organs",
    "Receptors",
    "Emitters",
    "Reactions",
    "Half Lives",
    "Initial Concentrations",
    "Stimuli",
    "Genus",
    "Appearances",
    "Poses",
    "Gaits",
    "Instincts",
    "Pigments",
    "Pigment Bleeds",
    "Organs",
    "Male Specifics",
    "Female Specifics",
    "Non-Expressed Genes",
};

const std::array<std::string_view, 4> StatisticsColumnTitles = {
    "Type of Gene",
    "Mutated Genes (Out Of)",
    "Maternal Comparator",
    "Paternal Comparator",
};

namespace {

struct RowSelector {
    std::uint8_t selector;
    std::uint8_t subtype;
    bool byFlag;
};

constexpr RowSelector RowSelectors[StatisticsRowCount] = {
    {0, 0, false}, {0, 1, false}, {1, 0, false}, {1, 1, false}, {1, 2, false}, {1, 3, false}, {1, 4, false},
    {2, 0, false}, {2, 1, false}, {2, 2, false}, {2, 3, false}, {2, 4, false}, {2, 5, false}, {2, 6, false},
    {2, 7, false}, {3, 0, false}, {8, 0, true},  {16, 0, true}, {32, 0, true},
};

} // namespace

void fillStatisticsRow(const GenomeComparison& genomes, std::uint8_t selector, std::uint8_t subtype, bool byFlag,
                       StatisticsRow& row)
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

    std::size_t total = 0;
    std::size_t mutated = 0;
    if (genomes.examined()) {
        genomes.examined()->forEachGene([&](const GeneRecord& g) {
            if (!selected(g))
                return;
            ++total;
            if (genomes.countsAsMutated(g))
                ++mutated;
        });
    }

    row.mutated.clear();
    if (genomes.usesMother()) {
        row.mutated += std::to_string(mutated);
        row.mutated += ' ';
    }
    row.mutated += '(';
    row.mutated += std::to_string(total);
    row.mutated += ')';
    row.maternal = genomes.usesMother() ? std::to_string(countSelected(genomes.mother())) : "--";
    row.paternal = genomes.usesFather() ? std::to_string(countSelected(genomes.father())) : "--";
}

void fillStatisticsTable(const GenomeComparison& genomes, MappingResult& result, ProgressReporter& progress)
{
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        const RowSelector& r = RowSelectors[i];
        fillStatisticsRow(genomes, r.selector, r.subtype, r.byFlag, result.statistics[i]);
        progress.setProgressPosition(static_cast<int>(i + 1));
    }
}

} // namespace helixplot
