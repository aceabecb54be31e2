// SPDX-License-Identifier: GPL-3.0-or-later
// The census of a generated population against reading its files: per-genome
// cost with one and two threads, lineage beside it, and the reader alone as
// the floor.

#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"
#include "mapping/census.h"
#include "mapping/censusUpdate.h"
#include "mapping/genomeDigest.h"
#include "mapping/lineage.h"
#include "populationGenerator.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

namespace helixplot {
namespace {

// 300 genomes: 10 founders, 10 rounds of 29 births; HELIXPLOT_BENCH_GENOMES
// asks for another number (10 rounds as well).
class Population {
public:
    Population()
    {
        samples::PopulationOptions options;
        options.founders = 10;
        options.rounds = 10;
        const char* genomes = std::getenv("HELIXPLOT_BENCH_GENOMES");
        options.perRound = genomes ? std::max(1, (std::atoi(genomes) - 10) / 10) : 29;
        members_ = samples::writePopulation(dir_.path(), options);
        for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
            files_.push_back(entry.path().string());
    }
    const std::string& path() const { return dir_.path(); }
    const std::vector<std::string>& files() const { return files_; }
    std::size_t size() const { return members_.size(); }

private:
    testing::TempDir dir_;
    std::vector<samples::PopulationMember> members_;
    std::vector<std::string> files_;
};

const Population& population()
{
    static const Population instance;
    return instance;
}

void BM_Census(benchmark::State& state)
{
    CensusOptions options;
    options.threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(takeCensus(population().path(), options));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * population().size()));
}
BENCHMARK(BM_Census)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// The census with every mutation followed to its carriers.
void BM_Lineage(benchmark::State& state)
{
    LineageOptions options;
    options.census.threads = static_cast<unsigned>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(traceLineage(population().path(), options));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * population().size()));
}
BENCHMARK(BM_Lineage)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// One file of the folder written again, as the window hears of each genome
// the game writes: the census brought up to date without being taken again.
void BM_CensusUpdate(benchmark::State& state)
{
    Census census = takeCensus(population().path());
    const std::string file = census.rows[census.rows.size() / 2].file;
    for (auto _ : state)
        benchmark::DoNotOptimize(updateCensusFile(census, population().path(), file));
    state.counters["genomes"] = static_cast<double>(census.rows.size());
}
BENCHMARK(BM_CensusUpdate)->Unit(benchmark::kMillisecond);

// Every file once through the genome reader, one thread.
void BM_ReadEveryFile(benchmark::State& state)
{
    for (auto _ : state)
        for (const std::string& file : population().files())
            benchmark::DoNotOptimize(std::make_unique<TGeneticsFile>(file));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * population().size()));
}
BENCHMARK(BM_ReadEveryFile)->Unit(benchmark::kMillisecond);

// Every file once through the census's own pass, which keeps fingerprints
// instead of gene records, one thread.
void BM_DigestEveryFile(benchmark::State& state)
{
    GenomeDigester digester;
    for (auto _ : state)
        for (const std::string& file : population().files())
            benchmark::DoNotOptimize(digester.digest(file));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * population().size()));
}
BENCHMARK(BM_DigestEveryFile)->Unit(benchmark::kMillisecond);

// The same genomes parsed from bytes already in memory: the reader without
// its file layer.
void BM_ParseEveryFileFromMemory(benchmark::State& state)
{
    std::vector<std::string> contents;
    for (const std::string& file : population().files()) {
        std::ifstream in(file, std::ios::binary);
        contents.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    for (auto _ : state)
        for (const std::string& bytes : contents)
            benchmark::DoNotOptimize(TGeneticsFile::fromBytes(bytes));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * population().size()));
}
BENCHMARK(BM_ParseEveryFileFromMemory)->Unit(benchmark::kMillisecond);

// Every file's bytes, as cat would read them, one thread.
void BM_CatEveryFile(benchmark::State& state)
{
    std::vector<char> buffer(1 << 16);
    for (auto _ : state) {
        for (const std::string& file : population().files()) {
            std::ifstream in(file, std::ios::binary);
            while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0)
                benchmark::DoNotOptimize(buffer.data());
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * population().size()));
}
BENCHMARK(BM_CatEveryFile)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace helixplot
