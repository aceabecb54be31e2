// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/censusChanges.h"
#include "writers/censusReport.h"

#include "genomeBuilder.h"
#include "populationGenerator.h"

#include <gtest/gtest.h>

#include <cstring>

namespace helixplot {
namespace {

using testing::genusGene;
using testing::makeGene;

// Every byte of a change: the examined record, then each comparator's slot,
// record and verdict.
std::string bytesOf(const std::vector<GeneChange>& changes)
{
    std::string out;
    const auto record = [&out](const GeneRecord& gene) {
        out.append(reinterpret_cast<const char*>(&gene), sizeof gene);
    };
    for (const GeneChange& change : changes) {
        out += '@';
        record(change.examined);
        for (const ComparatorGene& c : change.comparators) {
            out += static_cast<char>('0' + c.comparator + (c.differs ? 2 : 0));
            record(c.gene);
        }
    }
    return out;
}

// The changes with the three genomes read again, or the message of the
// first that did not load.
std::string readAgain(const std::string& folder, const Census& census, std::size_t row)
{
    try {
        return bytesOf(mutatedChangesOf(folder, census, row));
    } catch (const HelixplotError& e) {
        return std::string("error: ") + e.what();
    }
}

std::string kept(const CensusChanges& changes, std::size_t row)
{
    try {
        return bytesOf(changes.of(row));
    } catch (const HelixplotError& e) {
        return std::string("error: ") + e.what();
    }
}

// Each covered creature's changes must be those of its genomes read whole;
// covered lists the rows expected to be covered, by file.
void expectSameAsReadAgain(const std::string& folder, const std::vector<std::string>& covered,
                           const std::function<void()>& afterCensus = {})
{
    CensusOptions options;
    options.keepMutatedGenes = true;
    const Census census = takeCensus(folder, options);
    if (afterCensus)
        afterCensus();
    const CensusChanges changes(CensusFolder(folder), census);
    std::vector<std::string> seen;
    std::size_t listed = 0;
    for (std::size_t i = 0; i < census.rows.size(); ++i) {
        if (!changes.covers(i))
            continue;
        SCOPED_TRACE(census.rows[i].file);
        seen.push_back(census.rows[i].file);
        const std::string expected = readAgain(folder, census, i);
        listed += expected.size();
        EXPECT_EQ(kept(changes, i), expected);
    }
    if (!covered.empty()) {
        EXPECT_EQ(seen, covered);
    }
    EXPECT_GT(listed, 0u);
}

TEST(CensusChanges, EachCreatureListsWhatItsThreeGenomesReadWholeList)
{
    const GeneRecord poseA = makeGene(GeneKind::Pose, 1, {1, 1});
    const GeneRecord poseB = makeGene(GeneKind::Pose, 1, {2, 2});
    const GeneRecord gaitA = makeGene(GeneKind::Gait, 4, {5});
    const GeneRecord gaitB = makeGene(GeneKind::Gait, 4, {6});
    const GeneRecord organ = makeGene(GeneKind::Organ, 0, {10});
    const GeneRecord organB = makeGene(GeneKind::Organ, 0, {11});
    const GeneRecord brain = makeGene(GeneKind::BrainOrgan, 0, {20});
    const GeneRecord lobeA = makeGene(GeneKind::BrainLobe, 2, {30});
    const GeneRecord lobeB = makeGene(GeneKind::BrainLobe, 2, {31});
    const GeneRecord receptorA = makeGene(GeneKind::Receptor, 7, {40});
    const GeneRecord receptorB = makeGene(GeneKind::Receptor, 7, {41});
    const GeneRecord instinct = makeGene(GeneKind::Instinct, 9, {50});
    struct Genome {
        const char* file;
        const char* mother;
        const char* father;
        std::vector<GeneRecord> genes;
    };
    struct Case {
        const char* name;
        std::vector<Genome> genomes;
        std::vector<std::string> covered;
    };
    const std::vector<Case> cases = {
        {"a key held twice, the later one new",
         {{"mama.gen", "", "", {poseA}}, {"papa.gen", "", "", {poseA}}, {"kid.gen", "mama", "papa", {poseA, poseB}}},
         {"kid.gen"}},
        {"a parent's first gene of a key answers, not its later one",
         {{"mama.gen", "", "", {poseB, poseA}}, {"papa.gen", "", "", {gaitA}}, {"kid.gen", "mama", "papa", {poseA}}},
         {"kid.gen"}},
        {"genes no parent holds, and a key one parent lacks",
         {{"mama.gen", "", "", {gaitA}},
          {"papa.gen", "", "", {poseA}},
          {"kid.gen", "mama", "papa", {poseB, gaitB, instinct}}},
         {"kid.gen"}},
        {"one genome as both parents",
         {{"mama.gen", "", "", {poseA, gaitA}}, {"kid.gen", "mama", "mama", {poseB, gaitA}}},
         {"kid.gen"}},
        // A lobe after a later organ belongs to the brain organ read before:
        // lookup order is organ by organ, not file order.
        {"organs, their genes and genes attached to an earlier organ",
         {{"mama.gen", "", "", {brain, lobeA, organ, receptorA}},
          {"papa.gen", "", "", {organ, receptorA, brain, lobeA}},
          {"kid.gen", "mama", "papa", {brain, organB, receptorB, lobeB, poseA}}},
         {"kid.gen"}},
        {"grandchildren whose parents are creatures",
         {{"mama.gen", "", "", {poseA, gaitA}},
          {"papa.gen", "", "", {poseA, gaitA}},
          {"kid1.gen", "mama", "papa", {poseB, gaitA}},
          {"kid2.gen", "mama", "papa", {poseA, gaitB}},
          {"grand.gen", "kid1", "kid2", {poseA, gaitA, instinct}}},
         {"grand.gen", "kid1.gen", "kid2.gen"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TempDir dir;
        for (const Genome& g : c.genomes) {
            testing::GenomeBuilder builder{genusGene(g.mother, g.father)};
            builder.add(g.genes).end().writeTo(dir.file(g.file));
        }
        expectSameAsReadAgain(dir.path(), c.covered);
    }
}

TEST(CensusChanges, ABredPopulationListsWhatItsGenomesReadWholeList)
{
    testing::TempDir dir;
    samples::PopulationOptions options;
    options.rounds = 3;
    options.perRound = 6;
    samples::writePopulation(dir.path(), options);
    expectSameAsReadAgain(dir.path(), {});
}

TEST(CensusChanges, AGenomeThatNoLongerLoadsFailsItsCreaturesWithItsMessage)
{
    testing::TempDir dir;
    const GeneRecord poseA = makeGene(GeneKind::Pose, 1, {1, 1});
    const GeneRecord poseB = makeGene(GeneKind::Pose, 1, {2, 2});
    for (const char* name : {"mama", "papa"})
        testing::GenomeBuilder{genusGene("", ""), poseA}.end().writeTo(dir.file(std::string(name) + ".gen"));
    testing::GenomeBuilder{genusGene("mama", "papa"), poseB}.end().writeTo(dir.file("kid.gen"));
    testing::GenomeBuilder{genusGene("mama", "papa"), poseB, poseA}.end().writeTo(dir.file("sib.gen"));
    expectSameAsReadAgain(dir.path(), {"kid.gen", "sib.gen"},
                          [&] { testing::writeFile(dir.file("papa.gen"), "dna3gene"); });
}

// Cancelled as the changes section begins, or once its first piece is
// written: the report stops there, before the next creature, and never
// finishes the page.
TEST(CensusReport, ACancelInsideTheChangesStopsBeforeTheNextCreature)
{
    testing::TempDir dir;
    samples::PopulationOptions options;
    options.rounds = 3;
    options.perRound = 60;
    samples::writePopulation(dir.path(), options);
    const Lineage lineage = traceLineage(dir.path());
    std::size_t creatures = 0;
    for (const CensusRow& row : lineage.census.rows)
        creatures += row.mutated.has_value();
    struct Case {
        const char* name;
        bool atSectionStart; // else at the first piece of its data
    };
    for (const Case c : {Case{"as the section begins", true}, Case{"within its data", false}}) {
        SCOPED_TRACE(c.name);
        std::atomic<bool> cancel{false};
        std::string page;
        int lastStep = -1;
        const auto write = [&](std::string_view piece) {
            page += piece;
            if (!c.atSectionStart && page.find("id=\"changes-data\"") != std::string::npos)
                cancel = true;
        };
        const auto step = [&](int done, int) {
            lastStep = done;
            if (c.atSectionStart && done == 3)
                cancel = true;
        };
        EXPECT_THROW(
            cli::writeCensusReport(write, lineage.census, dir.path(), lineage.genes, lineage.events, step, &cancel),
            cli::ReportCancelled);
        EXPECT_EQ(lastStep, 3);
        EXPECT_EQ(page.find("</html>"), std::string::npos);
        std::size_t written = 0;
        for (std::size_t at = page.find("data-id=\""); at != std::string::npos; at = page.find("data-id=\"", at + 1))
            ++written;
        EXPECT_LT(written, creatures);
        if (!c.atSectionStart) {
            EXPECT_GT(written, 0u);
        }
    }
}

// A large page's tree, table rows and change headings wait in lazy blocks
// (rows and headings a hundred at most), each item once; the rest of the page is as it was.
TEST(CensusReport, ALargePageKeepsItsBigPartsAsTextForItsScript)
{
    Census census;
    constexpr std::size_t Rows = 1200;
    for (std::size_t i = 0; i < Rows; ++i) {
        CensusRow row;
        row.file = "g" + std::to_string(10000 + i) + ".gen";
        row.genes = 3;
        if (i >= 2) {
            row.motherRow = 0;
            row.fatherRow = 1;
            row.generation = 1;
            row.mutated = StatisticsTotals{};
            (*row.mutated)[0] = 1;
        }
        census.rows.push_back(row);
    }
    std::string page;
    cli::writeCensusReport([&page](std::string_view piece) { page += piece; }, census, "/no/such/folder");
    const std::string opening = "<script type=\"text/plain\" class=\"lazy\">";
    struct Item {
        const char* start;
        std::size_t count, perBlock; // the tree's bands go by height
    };
    for (const Item item : {Item{"<tr id=\"row-", Rows, 100}, Item{"<g class=\"box", Rows, Rows},
                            Item{"<div class=\"change\" id=\"changes-", Rows - 2, 100}}) {
        SCOPED_TRACE(item.start);
        std::size_t inside = 0, most = 0;
        for (std::size_t at = page.find(opening); at != std::string::npos; at = page.find(opening, at + 1)) {
            const std::string block = page.substr(at, page.find("</script>", at) - at);
            std::size_t n = 0;
            for (std::size_t p = block.find(item.start); p != std::string::npos; p = block.find(item.start, p + 1))
                ++n;
            inside += n;
            most = std::max(most, n);
        }
        std::size_t all = 0;
        for (std::size_t p = page.find(item.start); p != std::string::npos; p = page.find(item.start, p + 1))
            ++all;
        EXPECT_EQ(all, item.count);
        EXPECT_EQ(inside, item.count);
        EXPECT_LE(most, item.perBlock);
    }
    EXPECT_NE(page.find("<noscript><p>The family tree, the census table and the changes of this page's 1200 genomes "
                        "are drawn by its script, which is off: <code>helixplot-cli census</code> lists the "
                        "table.</p></noscript>"),
              std::string::npos);
    EXPECT_NE(page.find("window.expandLazy = function"), std::string::npos);
}

} // namespace
} // namespace helixplot
