// SPDX-License-Identifier: GPL-3.0-or-later
// Laying out the pedigree of a population, as the window does again on each
// genome the game writes: 1,000 and 10,000 creatures bred densely over ten
// rounds, and 2,101 with many founders and one round of births.

#include "bredPedigree.h"
#include "mapping/pedigreeLayout.h"

#include <benchmark/benchmark.h>

namespace helixplot {
namespace {

void BM_LayoutPedigree(benchmark::State& state)
{
    const auto nodes = testing::bredPedigree(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                             static_cast<int>(state.range(2)));
    std::size_t crossings = 0;
    for (auto _ : state) {
        const PedigreeLayout layout = layoutPedigree(nodes);
        crossings = layout.crossings;
        benchmark::DoNotOptimize(layout.width);
    }
    state.counters["creatures"] = static_cast<double>(nodes.size());
    state.counters["crossings"] = static_cast<double>(crossings);
}
// founders, rounds, births a round
BENCHMARK(BM_LayoutPedigree)
    ->Args({10, 11, 90})
    ->Args({10, 10, 999})
    ->Args({1400, 1, 701})
    // As scripts/population-scale-bench.sh breeds: a fifth founders, four rounds.
    ->Args({2000, 4, 2000})
    ->Args({10000, 4, 10000})
    ->Args({20000, 4, 20000})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace
} // namespace helixplot
