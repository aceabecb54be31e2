// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "geneMatching.h"
#include "mappingRun.h"
#include "progress.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace helixplot {

// The first column of the 19 rows: the sixteen kinds, then three flag bits.
inline constexpr std::array<std::string_view, StatisticsRowCount> StatisticsCaptions = [] {
    std::array<std::string_view, StatisticsRowCount> captions{};
    std::size_t row = 0;
    for (const GeneKindInfo& k : GeneKinds)
        captions[row++] = k.statisticsCaption;
    captions[row++] = "Male Specifics";
    captions[row++] = "Female Specifics";
    captions[row++] = "Non-Expressed Genes";
    return captions;
}();
extern const std::array<std::string_view, 4> StatisticsColumnTitles;

// One number per statistics row, in row order.
using StatisticsTotals = std::array<std::size_t, StatisticsRowCount>;

// One row's four counters: selected genes of the examined genome, those of
// them counted as mutated, and the selected genes of each comparator in use.
struct StatisticsCounts {
    std::size_t total = 0;
    std::size_t mutated = 0;
    std::size_t maternal = 0;
    std::size_t paternal = 0;
};

// The rows up to this one select by kind; the rest by flag bit, so a gene
// may count in several of them.
inline constexpr std::size_t StatisticsKindRowCount = GeneKinds.size();
// The flag bit each of those rows selects, in row order.
inline constexpr std::array<std::uint8_t, StatisticsRowCount - StatisticsKindRowCount> StatisticsFlagBits = {
    GeneFlags::MaleOnly, GeneFlags::FemaleOnly, GeneFlags::Carried};

// Fills the 19 statistics rows in order, reporting the number of rows done
// (positions 1 to 19) after each. The caller has begun stage 1.
void fillStatisticsTable(const GenomeComparison& genomes, MappingResult& result, ProgressReporter& progress);

// Counts one row's genes and writes its three texts. A row selects genes of
// kind (selector, subtype), or, with byFlag, genes whose flags share a bit
// with selector.
void fillStatisticsRow(const GenomeComparison& genomes, std::uint8_t selector, std::uint8_t subtype, bool byFlag,
                       StatisticsRow& row);

// The counters behind fillStatisticsRow(), without the texts.
StatisticsCounts countStatisticsRow(const GenomeComparison& genomes, std::uint8_t selector, std::uint8_t subtype,
                                    bool byFlag);

// The 19 rows' counters in row order.
std::array<StatisticsCounts, StatisticsRowCount> countStatistics(const GenomeComparison& genomes);

} // namespace helixplot
