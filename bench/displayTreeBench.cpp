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
