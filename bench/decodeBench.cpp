// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/unitGeneDecoder.h"
#include "genetics/chemicalNames.h"
#include "genomeBuilder.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::GenomeBuilder;
using testing::makeGene;

// Deterministic bytes, so every run decodes the same genome.
class ByteSource {
public:
    std::uint8_t next(unsigned below = 256)
    {
        state_ = state_ * 1103515245u + 12345u;
        return static_cast<std::uint8_t>((state_ >> 16) % below);
    }
    std::vector<std::uint8_t> bytes(std::size_t count, unsigned below = 256)
    {
        std::vector<std::uint8_t> out(count);
        for (auto& b : out)
            b = next(below);
        return out;
    }

private:
    std::uint32_t state_ = 20261207u;
};

// About a thousand genes shaped like a creature's genome: a brain with its
// lobes, twenty organs each with receptors, emitters and reactions, one
// half-lives gene, initial concentrations and the creature genes.
TGeneticsFile makeRealisticGenome()
{
    ByteSource rnd;
    GenomeBuilder builder;
    std::uint8_t id = 0;
    auto fields = [&] {
        GeneFields f;
        f.id = id++;
        f.flags = rnd.next(64);
        f.lifeStage = rnd.next(7);
        f.headerValue = rnd.next();
        return f;
    };

    builder.add(makeGene(GeneKind::BrainOrgan, fields(), rnd.bytes(5)));
    for (int lobe = 0; lobe < 12; ++lobe)
        builder.add(makeGene(GeneKind::BrainLobe, fields(), rnd.bytes(196)));
    for (std::uint8_t organ = 1; organ <= 20; ++organ) {
        GeneFields f = fields();
        f.id = organ;
        builder.add(makeGene(GeneKind::Organ, f, rnd.bytes(5)));
        for (int i = 0; i < 8; ++i)
            builder.add(makeGene(GeneKind::Receptor, fields(), rnd.bytes(8, 16)));
        for (int i = 0; i < 6; ++i)
            builder.add(makeGene(GeneKind::Emitter, fields(), rnd.bytes(8, 16)));
        for (int i = 0; i < 8; ++i)
            builder.add(makeGene(GeneKind::Reaction, fields(), rnd.bytes(9, 64)));
    }
    builder.add(makeGene(GeneKind::HalfLives, fields(), rnd.bytes(256, 32)));
    for (int i = 0; i < 50; ++i)
        builder.add(makeGene(GeneKind::InitialConcentration, fields(), rnd.bytes(2)));

    for (int i = 0; i < 130; ++i)
        builder.add(makeGene(GeneKind::Stimulus, fields(),
                             {rnd.next(46), rnd.next(), rnd.next(33), rnd.next(), rnd.next(8), rnd.next(), rnd.next(),
                              rnd.next(), rnd.next(), 0, 0, 0, 0}));
    builder.add(makeGene(GeneKind::Genus, fields(), {1, 'N', 'o', 'r', 'n', 'E', 't', 't', 'a'}));
    for (int i = 0; i < 16; ++i)
        builder.add(makeGene(GeneKind::Appearance, fields(), {rnd.next(5), rnd.next(26), rnd.next(4)}));
    for (int i = 0; i < 120; ++i) {
        std::vector<std::uint8_t> pose = {0};
        for (int c = 0; c < 15; ++c)
            pose.push_back(static_cast<std::uint8_t>('0' + rnd.next(40)));
        pose[1 + rnd.next(15)] = 0;
        builder.add(makeGene(GeneKind::Pose, fields(), pose));
    }
    for (int i = 0; i < 16; ++i) {
        std::vector<std::uint8_t> gait = {static_cast<std::uint8_t>(i)};
        const unsigned poses = 1 + rnd.next(8);
        for (unsigned p = 0; p < poses; ++p)
            gait.push_back(1 + rnd.next(120));
        builder.add(makeGene(GeneKind::Gait, fields(), gait));
    }
    for (int i = 0; i < 180; ++i)
        builder.add(makeGene(GeneKind::Instinct, fields(),
                             {rnd.next(8), rnd.next(40), rnd.next(8), rnd.next(40), rnd.next(8), rnd.next(40),
                              rnd.next(16), rnd.next(), rnd.next()}));
    for (std::uint8_t colour = 0; colour < 3; ++colour)
        builder.add(makeGene(GeneKind::Pigment, fields(), {colour, rnd.next()}));
    builder.add(makeGene(GeneKind::PigmentBleed, fields(), {rnd.next(), rnd.next()}));
    return builder.end().genome();
}

void nameChemicals()
{
    for (unsigned n = 0; n < ChemicalNames.size(); ++n)
        ChemicalNames[n] = "Compound " + std::to_string(n);
}

// Every gene of the genome in breakdown order.
std::vector<GeneRecord> allGenes(const TGeneticsFile& genome)
{
    std::vector<GeneRecord> genes;
    genome.forEachGene([&](const GeneRecord& gene) { genes.push_back(gene); });
    return genes;
}

void decodeAll(benchmark::State& state, const std::vector<GeneRecord>& genes)
{
    nameChemicals();
    std::size_t lines = 0;
    for (auto _ : state) {
        DisplayTree tree;
        for (const GeneRecord& gene : genes)
            decodeGene(gene, tree, tree.root());
        lines += tree.nodeCount();
        benchmark::DoNotOptimize(tree.nodeCount());
    }
    state.counters["genes"] = static_cast<double>(genes.size());
    state.counters["lines/s"] = benchmark::Counter(static_cast<double>(lines), benchmark::Counter::kIsRate);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * genes.size()));
}

void BM_DecodeGenome(benchmark::State& state)
{
    static const std::vector<GeneRecord> genes = allGenes(makeRealisticGenome());
    decodeAll(state, genes);
}
BENCHMARK(BM_DecodeGenome);

// The creature genes (type 2) of the same genome alone.
void BM_DecodeCreatureGenes(benchmark::State& state)
{
    static const std::vector<GeneRecord> genes = [] {
        std::vector<GeneRecord> creature;
        for (const GeneRecord& gene : allGenes(makeRealisticGenome()))
            if (gene.header.type == 2)
                creature.push_back(gene);
        return creature;
    }();
    decodeAll(state, genes);
}
BENCHMARK(BM_DecodeCreatureGenes);

// The largest sample genome, when the samples have been generated.
std::optional<std::string> largestSample()
{
    namespace fs = std::filesystem;
    std::error_code ec;
    std::optional<std::string> best;
    std::uintmax_t bestSize = 0;
    for (const auto& entry : fs::directory_iterator(HELIXPLOT_SOURCE_DIR "/samples", ec)) {
        if (entry.path().extension() != ".gen" || !entry.is_regular_file(ec))
            continue;
        const auto size = entry.file_size(ec);
        if (!ec && size > bestSize) {
            bestSize = size;
            best = entry.path().string();
        }
    }
    return best;
}

const bool sampleRegistered = [] {
    const auto path = largestSample();
    if (!path)
        return false;
    benchmark::RegisterBenchmark("BM_DecodeLargestSample", [path = *path](benchmark::State& state) {
        try {
            const auto genes = allGenes(TGeneticsFile(path));
            decodeAll(state, genes);
        } catch (const HelixplotError& error) {
            state.SkipWithError((path + ": " + error.what()).c_str());
        }
    });
    return true;
}();

} // namespace
} // namespace helixplot
