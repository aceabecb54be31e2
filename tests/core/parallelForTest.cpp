// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/parallelFor.h"

#include "genomeBuilder.h"
#include "mapping/censusUpdate.h"
#include "mapping/lineage.h"
#include "populationGenerator.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <new>
#include <stdexcept>
#include <thread>
#include <vector>

namespace helixplot {
namespace {

TEST(ParallelFor, DoesEveryItemOnceOnTheThreadsItMayUse)
{
    const struct {
        std::size_t count;
        unsigned threads;
        unsigned used; // at most
    } cases[] = {{0, 2, 1}, {1, 4, 1}, {7, 1, 1}, {3, 8, 3}, {1000, 3, 3}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.count << " items on " << c.threads << " threads");
        EXPECT_EQ(parallelThreads(c.count, c.threads), c.used);
        std::vector<std::atomic<int>> done(c.count);
        std::atomic<unsigned> highestWorker{0};
        EXPECT_TRUE(parallelFor(c.count, c.threads, nullptr, [&](unsigned worker, std::size_t item) {
            ++done[item];
            for (unsigned seen = highestWorker; worker > seen && !highestWorker.compare_exchange_weak(seen, worker);)
                ;
        }));
        for (std::size_t item = 0; item < c.count; ++item)
            EXPECT_EQ(done[item], 1) << item;
        EXPECT_LT(highestWorker, c.used);
    }
}

// Set during an item, the cancel flag lets no thread take another.
TEST(ParallelFor, CancelStopsBetweenItems)
{
    for (const unsigned threads : {1u, 2u, 4u}) {
        std::atomic<bool> cancel{false};
        std::atomic<std::size_t> done{0};
        EXPECT_FALSE(parallelFor(1000, threads, &cancel, [&](unsigned, std::size_t item) {
            if (item == 5)
                cancel = true;
            ++done;
        }));
        // The item that cancelled, those before it, and at most one more per
        // other thread already at work.
        EXPECT_GE(done, 1u);
        EXPECT_LE(done, 6u + threads - 1) << threads;
    }
}

// Any exception, allocation failures too, reaches the caller once the
// threads have stopped; the others take no new item once it is caught (on
// one thread at once; on two, items after the failure are slowed so that
// the catch comes well before the rest would be done).
TEST(ParallelFor, ThrowsTheFirstFailureOnceAllStopped)
{
    const std::function<void()> failures[] = {[] { throw std::bad_alloc(); },
                                              [] { throw std::runtime_error("disk gone"); }};
    for (const unsigned threads : {1u, 2u}) {
        for (const auto& fail : failures) {
            std::atomic<std::size_t> after{0};
            std::atomic<bool> failed{false};
            const auto run = [&] {
                parallelFor(1000, threads, nullptr, [&](unsigned, std::size_t item) {
                    if (item == 10) {
                        failed = true;
                        fail();
                    }
                    if (failed) {
                        ++after;
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                });
            };
            try {
                run();
                ADD_FAILURE() << "nothing thrown";
            } catch (const std::bad_alloc&) {
            } catch (const std::runtime_error& error) {
                EXPECT_STREQ(error.what(), "disk gone");
            }
            if (threads == 1)
                EXPECT_EQ(after, 0u);
            else
                EXPECT_LT(after, 500u);
        }
    }
}

// A census or lineage cancelled at any stage stops and says so: no pass
// runs to its end after the flag is set.
TEST(CensusCancel, EveryStageStopsAndThrows)
{
    testing::TempDir dir;
    samples::PopulationOptions population;
    population.rounds = 2;
    population.perRound = 6;
    samples::writePopulation(dir.path(), population);
    enum class Stage { Reading, GenePass, Lineage };
    for (const Stage stage : {Stage::Reading, Stage::GenePass, Stage::Lineage}) {
        SCOPED_TRACE(static_cast<int>(stage));
        std::atomic<bool> cancel{false};
        std::atomic<std::size_t> passed{0}, read{0};
        LineageOptions options;
        CensusOptions& census = options.census;
        census.cancel = &cancel;
        census.rowRead = [&](std::size_t, const CensusRow&) {
            if (++read == 3 && stage == Stage::Reading)
                cancel = true;
        };
        census.beforeGenePass = [&](const std::vector<CensusRow>&) { cancel = true; };
        if (stage == Stage::Lineage) {
            EXPECT_THROW(traceLineage(dir.path(), options), CensusCancelled);
            continue;
        }
        census.genePass = [&](unsigned, std::size_t, const GeneFingerprints&) { ++passed; };
        EXPECT_THROW(takeCensus(dir.path(), census), CensusCancelled);
        EXPECT_EQ(passed, 0u);
        if (stage == Stage::Reading) {
            EXPECT_LE(read, 3u + census.threads - 1);
        }
    }
}

// The variants of a gene, and a burst of changes merged into a census: the
// census stays as it was.
TEST(CensusCancel, VariantsAndUpdatesStopAndThrow)
{
    testing::TempDir dir;
    samples::PopulationOptions population;
    population.rounds = 1;
    const auto members = samples::writePopulation(dir.path(), population);
    Lineage lineage = traceLineage(dir.path());
    ASSERT_FALSE(lineage.genes.empty());
    const std::atomic<bool> cancel{true};
    EXPECT_THROW(traceGeneVariants(dir.path(), lineage.census, lineage.events, lineage.genes.front().geneKey, &cancel),
                 CensusCancelled);
    const Census before = lineage.census;
    std::filesystem::remove(dir.file(members.front().name + ".gen"));
    EXPECT_THROW(updateCensusFiles(lineage.census, dir.path(), {members.front().name + ".gen"}, &cancel),
                 CensusCancelled);
    EXPECT_EQ(lineage.census.rows, before.rows);
}

} // namespace
} // namespace helixplot
