// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/displayTree.h"

#include <benchmark/benchmark.h>

namespace helixplot {
namespace {

// A breakdown-like shape: 16 families, genes with a few lines each.
void BM_BuildTree(benchmark::State& state)
{
    const auto lines = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        DisplayTree tree;
        std::size_t made = 0;
        NodeId families[16];
        for (auto& f : families)
            f = tree.appendTopLevel("Family"), ++made;
        for (std::size_t g = 0; made < lines; ++g) {
            const NodeId gene = tree.addChild(families[g % 16], "0A - Adu mut/dup/--- 128 Gene title of some length");
            ++made;
            for (int l = 0; l < 6 && made < lines; ++l, ++made)
                tree.addChild(gene, "Threshold Value is: 123");
        }
        benchmark::DoNotOptimize(tree.nodeCount());
    }
    state.counters["nodes/s"] = benchmark::Counter(double(lines), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_BuildTree)->Arg(100000);

void BM_RandomAccessChildren(benchmark::State& state)
{
    DisplayTree tree;
    const NodeId top = tree.appendTopLevel("top");
    for (int i = 0; i < 100000; ++i)
        tree.addChild(top, "child");
    for (auto _ : state)
        for (std::size_t i = 0; i < 100000; i += 97)
            benchmark::DoNotOptimize(tree.childAt(top, i));
}
BENCHMARK(BM_RandomAccessChildren);

} // namespace
} // namespace helixplot

namespace helixplot {
namespace {

// The find bar's search: every node of a 100,000-line breakdown-like tree,
// a needle that matches about one line in seven.
void BM_FindNodes(benchmark::State& state)
{
    DisplayTree tree;
    NodeId families[16];
    for (auto& f : families)
        f = tree.appendTopLevel("Family");
    for (std::size_t g = 0; tree.nodeCount() < 100000; ++g) {
        const NodeId gene = tree.addChild(families[g % 16], "0A - Adu mut/dup/--- 128 Gene title of some length");
        for (int l = 0; l < 6 && tree.nodeCount() < 100000; ++l)
            tree.addChild(gene, "Threshold Value is: 123");
    }
    std::size_t found = 0;
    for (auto _ : state) {
        const auto matches = findNodes(tree, state.range(0) ? "GENE TITLE" : "no such text");
        found = matches.size();
        benchmark::DoNotOptimize(matches.data());
    }
    state.counters["nodes"] = double(tree.nodeCount());
    state.counters["matches"] = double(found);
}
BENCHMARK(BM_FindNodes)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace helixplot
