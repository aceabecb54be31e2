// SPDX-License-Identifier: GPL-3.0-or-later
// A whole mapping run, without the progress dialog's waits, in every mode.

#include "genetics/chemicalNames.h"
#include "genomeBuilder.h"
#include "mapping/geneChange.h"
#include "mapping/geneMatching.h"
#include "mapping/mappingRun.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::GenomeBuilder;
using testing::makeGene;

// Deterministic numbers, so every run maps the same genomes.
class Numbers {
public:
    explicit Numbers(std::uint32_t seed) : state_(seed) {}
    unsigned next(unsigned below)
    {
        state_ = state_ * 1103515245u + 12345u;
        return (state_ >> 16) % below;
    }
    std::vector<std::uint8_t> bytes(std::size_t count)
    {
        std::vector<std::uint8_t> out(count);
        for (auto& b : out)
            b = static_cast<std::uint8_t>(next(256));
        return out;
    }

private:
    std::uint32_t state_;
};

// About geneCount genes in a creature's order: genus, half lives, initial
// concentrations, a brain organ with lobes, organs with their biochemistry,
// then the creature genes. Ids count up per kind.
std::vector<GeneRecord> creatureGenes(std::size_t geneCount)
{
    Numbers numbers(20261207u);
    std::vector<GeneRecord> genes;
    std::uint8_t ids[4][8] = {};
    auto add = [&](std::uint8_t type, std::uint8_t subtype) {
        GeneFields f;
        f.id = ids[type][subtype]++;
        f.flags = static_cast<std::uint8_t>(numbers.next(64));
        f.lifeStage = static_cast<std::uint8_t>(numbers.next(7));
        genes.push_back(makeGene(type, subtype, f, numbers.bytes(bodyLength(type, subtype))));
    };
    add(2, 1);
    add(1, 3);
    for (std::size_t i = 0; i < geneCount / 25; ++i)
        add(1, 4);
    add(0, 1);
    for (std::size_t i = 0; i < geneCount / 50; ++i)
        add(0, 0);
    const std::size_t organs = geneCount / 32;
    for (std::size_t o = 0; o < organs; ++o) {
        add(3, 0);
        for (int i = 0; i < 18; ++i)
            add(1, static_cast<std::uint8_t>(i % 3));
    }
    for (std::uint8_t subtype = 0; genes.size() < geneCount; subtype = (subtype + 1) % 8)
        if (subtype != 1)
            add(2, subtype);
    return genes;
}

// A parent of genes: about one gene in eight with another body, one in
// twenty missing, and a few of its own.
TGeneticsFile parentOf(const std::vector<GeneRecord>& genes, std::uint32_t seed)
{
    Numbers numbers(seed);
    GenomeBuilder parent;
    for (GeneRecord gene : genes) {
        const unsigned roll = numbers.next(40);
        if (roll < 2)
            continue;
        if (roll < 7 && bodyLength(gene.header.type, gene.header.subtype) > 0)
            gene.body[0] ^= 0x5A;
        parent.add(gene);
        if (roll == 39)
            parent.add(
                makeGene(GeneKind::Instinct, static_cast<std::uint8_t>(200 + numbers.next(50)), numbers.bytes(9)));
    }
    return parent.genome();
}

struct Family {
    std::unique_ptr<TGeneticsFile> child;
    std::unique_ptr<TGeneticsFile> mother;
    std::unique_ptr<TGeneticsFile> father;
};

Family builtFamily(std::size_t geneCount)
{
    const std::vector<GeneRecord> genes = creatureGenes(geneCount);
    Family f;
    f.child = std::make_unique<TGeneticsFile>(GenomeBuilder().add(genes).genome());
    f.mother = std::make_unique<TGeneticsFile>(parentOf(genes, 11u));
    f.father = std::make_unique<TGeneticsFile>(parentOf(genes, 23u));
    return f;
}

Family sampleFamily()
{
    const std::string samples = std::string(HELIXPLOT_SOURCE_DIR) + "/samples/";
    Family f;
    f.child = std::make_unique<TGeneticsFile>(samples + "tibb.gen");
    f.mother = std::make_unique<TGeneticsFile>(samples + "nela.gen");
    f.father = std::make_unique<TGeneticsFile>(samples + "orvo.gen");
    loadChemicalNames(samples + "allchemicals.str");
    return f;
}

// size 0 is the sample family; a failure to load it skips the benchmark.
bool loadFamily(benchmark::State& state, std::size_t size, Family& family)
{
    try {
        family = size == 0 ? sampleFamily() : builtFamily(size);
        return true;
    } catch (const HelixplotError& e) {
        state.SkipWithError(e.what());
        return false;
    }
}

// range(0): genes (0 for the sample child against its parents); range(1): mode.
void BM_MappingRun(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    Family family;
    if (!loadFamily(state, size, family))
        return;
    const MappingInput input{static_cast<MappingMode>(state.range(1)), family.child.get(), family.mother.get(),
                             family.father.get()};
    SilentProgress silent;
    std::size_t lines = 0;
    for (auto _ : state) {
        MappingResult result;
        MappingRun(input, result, silent);
        lines = result.breakdown.nodeCount() + result.mutatedGenes.nodeCount() + result.missingGenes.nodeCount() +
                result.additionalGenes.nodeCount();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["genes"] = static_cast<double>(family.child->geneCount());
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["genes/s"] = benchmark::Counter(static_cast<double>(family.child->geneCount()),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_MappingRun)
    ->ArgNames({"genes", "mode"})
    ->ArgsProduct({{0, 250, 1000, 4000}, {0, 1, 2}})
    ->Unit(benchmark::kMicrosecond);

// Every change of a family: the listed genes with their comparators' genes,
// both decoded and diffed (range(2) 0), and also written out as helixplot-cli
// diff prints them (range(2) 1). To be set beside BM_MappingRun of the same
// size and mode.
void BM_GeneChanges(benchmark::State& state)
{
    const auto size = static_cast<std::size_t>(state.range(0));
    const bool asText = state.range(2) != 0;
    Family family;
    if (!loadFamily(state, size, family))
        return;
    const MappingInput input{static_cast<MappingMode>(state.range(1)), family.child.get(), family.mother.get(),
                             family.father.get()};
    const std::array<std::string, 2> names{"mother.gen", "father.gen"};
    std::size_t changes = 0;
    std::size_t lines = 0;
    for (auto _ : state) {
        const GenomeComparison genomes(input);
        const std::vector<GeneChange> list = mutatedGeneChanges(genomes);
        changes = list.size();
        if (asText) {
            std::string text;
            for (const GeneChange& change : list)
                appendChangeText(change, names, text);
            lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
            benchmark::DoNotOptimize(text.data());
            continue;
        }
        lines = 0;
        for (const GeneChange& change : list)
            for (const GeneDiff& diff : diffChange(change))
                lines += diff.lines.size();
    }
    state.counters["genes"] = static_cast<double>(family.child->geneCount());
    state.counters["changes"] = static_cast<double>(changes);
    state.counters["lines"] = static_cast<double>(lines);
}
BENCHMARK(BM_GeneChanges)
    ->ArgNames({"genes", "mode", "text"})
    ->ArgsProduct({{0, 250, 1000, 4000}, {1, 2}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace helixplot
