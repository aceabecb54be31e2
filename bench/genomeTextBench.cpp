// SPDX-License-Identifier: GPL-3.0-or-later
// Decompiling and compiling a genome against what `helixplot-cli breakdown`
// does with it (read, build the tree, write its text): the text form must
// cost no more. All three start from the same bytes in memory, have the
// chemical names loaded before the loop (the breakdown's table, the text's
// names made from the same table) and end in a string of their output.
// HELIXPLOT_BENCH_POPULATION=DIR adds the round trip of every genome of DIR
// (make-population DIR 1400 1 701 makes the 2,101 of the docs).

#include "decoder/displayTree.h"
#include "genetics/chemicalNames.h"
#include "genetics/unitGenetics.h"
#include "genometext/genomeText.h"
#include "mapping/breakdownTree.h"
#include "mapping/progress.h"
#include "sampleGenerator.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace helixplot {
namespace {

const ChemicalNameTable& sampleChemicals()
{
    static const ChemicalNameTable table = [] {
        ChemicalNameTable t;
        loadChemicalNames(HELIXPLOT_SOURCE_DIR "/samples/allchemicals.str", t);
        return t;
    }();
    return table;
}

const GenomeTextChemicals& textChemicals()
{
    static const GenomeTextChemicals chemicals(sampleChemicals());
    return chemicals;
}

// Arg 0: the sample child; otherwise a generated genome of that many genes.
std::string genomeFor(const benchmark::State& state)
{
    if (state.range(0) == 0) {
        for (const samples::SampleFile& file : samples::generateSamples())
            if (file.name == samples::ChildFile)
                return file.bytes;
    }
    return samples::generatedGenomeBytes(static_cast<std::size_t>(state.range(0)));
}

void setBytes(benchmark::State& state, std::size_t bytes)
{
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_Breakdown(benchmark::State& state)
{
    const std::string bytes = genomeFor(state);
    ChemicalNames = sampleChemicals();
    for (auto _ : state) {
        const TGeneticsFile genome = TGeneticsFile::fromBytes(bytes);
        DisplayTree tree;
        SilentProgress silent;
        buildBreakdownTree(genome, tree, silent);
        std::string out;
        dumpTree(tree, out);
        benchmark::DoNotOptimize(out.data());
    }
    setBytes(state, bytes.size());
}

void BM_Decompile(benchmark::State& state)
{
    const std::string bytes = genomeFor(state);
    for (auto _ : state) {
        std::string text = decompileGenome(bytes, textChemicals());
        benchmark::DoNotOptimize(text.data());
    }
    setBytes(state, bytes.size());
}

void BM_Compile(benchmark::State& state)
{
    const std::string bytes = genomeFor(state);
    const std::string text = decompileGenome(bytes, textChemicals());
    if (compileGenomeText(text, textChemicals()).bytes != bytes)
        state.SkipWithError("the genome did not come back");
    for (auto _ : state) {
        const CompiledGenome genome = compileGenomeText(text, textChemicals());
        benchmark::DoNotOptimize(genome.bytes.data());
    }
    setBytes(state, bytes.size());
    state.counters["text bytes"] = static_cast<double>(text.size());
}

// What the text's names cost to make from a table, once per run of the
// command-line tool.
void BM_TextChemicals(benchmark::State& state)
{
    for (auto _ : state) {
        const GenomeTextChemicals chemicals(sampleChemicals());
        benchmark::DoNotOptimize(&chemicals);
    }
}

BENCHMARK(BM_TextChemicals)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Breakdown)->Arg(0)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Decompile)->Arg(0)->Arg(3000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Compile)->Arg(0)->Arg(3000)->Unit(benchmark::kMillisecond);

const bool populationRegistered = [] {
    const char* folder = std::getenv("HELIXPLOT_BENCH_POPULATION");
    if (folder == nullptr)
        return false;
    benchmark::RegisterBenchmark("BM_PopulationRoundTrip", [dir = std::string(folder)](benchmark::State& state) {
        std::vector<std::string> genomes;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() != ".gen")
                continue;
            std::ifstream in(entry.path(), std::ios::binary);
            genomes.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        for (auto _ : state) {
            for (const std::string& bytes : genomes) {
                const CompiledGenome genome =
                    compileGenomeText(decompileGenome(bytes, textChemicals()), textChemicals());
                if (genome.bytes != bytes)
                    state.SkipWithError("a genome did not come back");
            }
        }
        state.counters["genomes"] = static_cast<double>(genomes.size());
    })->Unit(benchmark::kMillisecond);
    return true;
}();

} // namespace
} // namespace helixplot
