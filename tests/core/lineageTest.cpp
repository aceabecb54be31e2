// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/lineage.h"

#include "genomeBuilder.h"
#include "mapping/geneMatching.h"
#include "populationGenerator.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>

namespace helixplot {
namespace {

using samples::PopulationMember;

std::uint32_t plantedKey(const GenePrint& gene)
{
    const GeneKindInfo& kind = GeneKinds[gene.kindIndex()];
    return std::uint32_t{kind.type} << 16 | std::uint32_t{kind.subtype} << 8 | gene.id();
}

// Five generations, read back whole with the genome reader as the
// independent account of who holds which body.
class LineageOfPopulation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new testing::TempDir;
        samples::PopulationOptions options;
        options.rounds = 5;
        options.perRound = 10;
        members_ = new std::vector<PopulationMember>(samples::writePopulation(dir_->path(), options));
        genomes_ = new std::map<std::string, std::unique_ptr<TGeneticsFile>>;
        for (const PopulationMember& m : *members_)
            (*genomes_)[m.name + ".gen"] = std::make_unique<TGeneticsFile>(dir_->file(m.name + ".gen"));
    }
    static void TearDownTestSuite()
    {
        delete genomes_;
        delete members_;
        delete dir_;
    }
    static testing::TempDir* dir_;
    static std::vector<PopulationMember>* members_;
    static std::map<std::string, std::unique_ptr<TGeneticsFile>>* genomes_;
};
testing::TempDir* LineageOfPopulation::dir_ = nullptr;
std::vector<PopulationMember>* LineageOfPopulation::members_ = nullptr;
std::map<std::string, std::unique_ptr<TGeneticsFile>>* LineageOfPopulation::genomes_ = nullptr;

TEST_F(LineageOfPopulation, EventsAreThePlantedMutationsAndCarriersHoldTheirBody)
{
    LineageOptions oneThread;
    oneThread.census.threads = 1;
    oneThread.census.fingerprintMemory = 0; // every genome read again
    const Lineage lineage = traceLineage(dir_->path(), oneThread);
    LineageOptions twoThreads;
    twoThreads.census.threads = 2;
    const Lineage again = traceLineage(dir_->path(), twoThreads);
    ASSERT_EQ(again.events.size(), lineage.events.size());
    for (std::size_t i = 0; i < lineage.events.size(); ++i) {
        EXPECT_EQ(again.events[i].row, lineage.events[i].row);
        EXPECT_EQ(again.events[i].carriers, lineage.events[i].carriers);
    }

    std::map<std::string, std::vector<std::uint32_t>> events;
    std::size_t carried = 0;
    for (const MutationEvent& event : lineage.events) {
        const std::string& origin = lineage.census.rows[event.row].file;
        events[origin].push_back(plantedKey(event.gene));
        const GeneKindInfo& kind = GeneKinds[event.gene.kindIndex()];
        const GeneRecord* body =
            GeneIndex(genomes_->at(origin).get()).findGene(kind.type, kind.subtype, event.gene.id());
        ASSERT_NE(body, nullptr);
        std::vector<std::size_t> holders;
        for (std::size_t row = 0; row < lineage.census.rows.size(); ++row) {
            const GeneRecord* gene = GeneIndex(genomes_->at(lineage.census.rows[row].file).get())
                                         .findGene(kind.type, kind.subtype, event.gene.id());
            if (gene && !genesDiffer(*gene, *body))
                holders.push_back(row);
        }
        EXPECT_EQ(event.carriers, holders) << origin;
        carried += holders.size() > 1;
    }
    // Worth testing on: mutations that were passed on.
    EXPECT_GT(lineage.events.size(), 40u);
    EXPECT_GT(carried, 10u);

    for (const PopulationMember& m : *members_) {
        SCOPED_TRACE(m.name);
        std::vector<std::uint32_t> found = events[m.name + ".gen"];
        std::sort(found.begin(), found.end());
        const bool bothParents = !m.founder && !m.fatherMissing;
        EXPECT_EQ(found, bothParents ? m.mutatedKeys : std::vector<std::uint32_t>{});
        if (!bothParents)
            continue;
        // The census counts the genus gene too, where it differs from both
        // parents' (here it always names new parents).
        const auto genus = [&](const std::string& name) { return genomes_->at(name + ".gen")->GeneList().front(); };
        const bool genusDiffers =
            genesDiffer(genus(m.mother), genus(m.name)) && genesDiffer(genus(m.father), genus(m.name));
        for (const CensusRow& row : lineage.census.rows) {
            if (row.file == m.name + ".gen") {
                EXPECT_EQ(row.mutatedTotal(), found.size() + (genusDiffers ? 1 : 0));
            }
        }
    }
}

TEST_F(LineageOfPopulation, HotspotsCountEventsVariantsAndCarriersPerKey)
{
    const Lineage lineage = traceLineage(dir_->path());
    std::map<std::uint16_t, GeneHotspot> expected;
    for (const MutationEvent& event : lineage.events) {
        GeneHotspot& gene = expected[event.gene.geneKey()];
        gene.geneKey = event.gene.geneKey();
        ++gene.events;
    }
    std::map<std::uint16_t, std::set<std::pair<std::size_t, std::uint64_t>>> carriers; // row, body
    for (const MutationEvent& event : lineage.events)
        for (std::size_t row : event.carriers)
            carriers[event.gene.geneKey()].insert({row, event.gene.body});
    for (auto& [key, gene] : expected) {
        const GeneKindInfo& kind = GeneKinds[key >> 8];
        std::set<std::vector<std::uint8_t>> bodies;
        for (const auto& [name, genome] : *genomes_)
            if (const GeneRecord* g = GeneIndex(genome.get()).findGene(kind.type, kind.subtype, key & 0xFF))
                bodies.insert(std::vector<std::uint8_t>(g->body.begin(), g->body.begin() + kind.bodyLength));
        gene.variants = bodies.size();
        gene.carriers = carriers[key].size();
    }
    ASSERT_EQ(lineage.genes.size(), expected.size());
    for (std::size_t i = 0; i < lineage.genes.size(); ++i) {
        const GeneHotspot& gene = lineage.genes[i];
        const GeneHotspot& want = expected.at(gene.geneKey);
        EXPECT_EQ(gene.events, want.events);
        EXPECT_EQ(gene.variants, want.variants);
        EXPECT_EQ(gene.carriers, want.carriers);
        if (i > 0) {
            EXPECT_TRUE(lineage.genes[i - 1].events > gene.events ||
                        (lineage.genes[i - 1].events == gene.events && lineage.genes[i - 1].geneKey < gene.geneKey));
        }
    }

    // One key: its events and its row, nothing else.
    LineageOptions one;
    one.gene = lineage.genes.front().geneKey;
    const Lineage kept = traceLineage(dir_->path(), one);
    ASSERT_EQ(kept.genes.size(), 1u);
    EXPECT_EQ(kept.genes.front(), lineage.genes.front());
    EXPECT_EQ(kept.events.size(), lineage.genes.front().events);
    for (const MutationEvent& event : kept.events)
        EXPECT_EQ(event.gene.geneKey(), *one.gene);
}

// A key held twice: the census counts a later gene of the key that differs
// from both parents' (first) gene as mutated, so the creature carries the
// event by that later gene. A genome naming itself as its parent differs
// from itself in nothing.
TEST(Lineage, AKeyHeldTwiceIsCarriedByItsCreatureAndNoGenomeMutatesAgainstItself)
{
    using testing::genusGene;
    using testing::makeGene;
    const GeneRecord poseA = makeGene(GeneKind::Pose, 1, {1, 1});
    const GeneRecord poseB = makeGene(GeneKind::Pose, 1, {2, 2});
    const GeneRecord poseC = makeGene(GeneKind::Pose, 1, {3, 3});
    struct Genome {
        const char* file;
        const char* mother;
        const char* father;
        std::vector<GeneRecord> genes;
    };
    struct Event {
        const char* creature;
        std::vector<std::string> carriers;
    };
    struct Case {
        const char* name;
        std::vector<Genome> genomes;
        std::vector<Event> events;
        std::size_t variants, carriers; // of the pose key
    };
    const std::vector<Case> cases = {
        {"a later gene of a key",
         {{"mama.gen", "", "", {poseA}}, {"papa.gen", "", "", {poseA}}, {"kid.gen", "mama", "papa", {poseA, poseB}}},
         {{"kid.gen", {"kid.gen"}}},
         2,
         1},
        {"the same later body as a sibling's first gene",
         {{"mama.gen", "", "", {poseA}},
          {"papa.gen", "", "", {poseA}},
          {"kid.gen", "mama", "papa", {poseA, poseB}},
          {"sib.gen", "", "", {poseB, poseB}}},
         {{"kid.gen", {"kid.gen", "sib.gen"}}},
         2,
         2},
        {"two later versions in one creature",
         {{"mama.gen", "", "", {poseA}},
          {"papa.gen", "", "", {poseA}},
          {"kid.gen", "mama", "papa", {poseA, poseB, poseC}}},
         {{"kid.gen", {"kid.gen"}}, {"kid.gen", {"kid.gen"}}},
         3,
         1},
        {"its own parent", {{"self.gen", "self", "self", {poseA, poseB}}}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        for (const Genome& g : c.genomes) {
            testing::GenomeBuilder builder{genusGene(g.mother, g.father)};
            builder.add(g.genes).end().writeTo(dir.file(g.file));
        }
        const Lineage lineage = traceLineage(dir.path());
        std::vector<std::pair<std::string, std::vector<std::string>>> events;
        for (const MutationEvent& event : lineage.events) {
            std::vector<std::string> carriers;
            for (const std::size_t row : event.carriers)
                carriers.push_back(lineage.census.rows[row].file);
            events.emplace_back(lineage.census.rows[event.row].file, carriers);
        }
        std::vector<std::pair<std::string, std::vector<std::string>>> expected;
        for (const Event& e : c.events)
            expected.emplace_back(e.creature, e.carriers);
        EXPECT_EQ(events, expected);
        if (c.events.empty()) {
            EXPECT_TRUE(lineage.genes.empty());
            continue;
        }
        ASSERT_EQ(lineage.genes.size(), 1u);
        EXPECT_EQ(lineage.genes[0], (GeneHotspot{*packedGeneKey(2, 3, 1), c.events.size(), c.variants, c.carriers}));
    }
}

} // namespace
} // namespace helixplot
