// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/genomeDigest.h"

#include "genomeBuilder.h"
#include "mapping/geneMatching.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

namespace helixplot {
namespace {

using testing::GenomeBuilder;
using testing::genusGene;
using testing::makeGene;
using testing::TempDir;

const std::string Samples = std::string(HELIXPLOT_SOURCE_DIR) + "/samples";

// The mutation rules see a comparator alike whether it is a whole genome or
// the fingerprints of its file: each examined gene meets the same
// counterpart in each parent, so the same genes count in the same rows.
TEST(GenomeDigest, FingerprintsAnswerTheRulesAsTheWholeGenome)
{
    const auto lobe = [](std::uint8_t id, std::uint8_t last) {
        std::vector<std::uint8_t> body(196, 7);
        body[195] = last;
        return makeGene(GeneKind::BrainLobe, id, body);
    };
    const auto halfLives = [](std::uint8_t last) {
        std::vector<std::uint8_t> body(256, 1);
        body[255] = last;
        return makeGene(GeneKind::HalfLives, 0, body);
    };
    const auto pose = [](std::uint8_t id, std::uint8_t b, std::uint8_t flags = 0) {
        return makeGene(GeneKind::Pose, {id, flags}, {b, 1, 2});
    };
    const auto receptor = [](std::uint8_t id, std::uint8_t b) { return makeGene(GeneKind::Receptor, id, {b}); };
    const GeneRecord brain = makeGene(GeneKind::BrainOrgan, 1);
    const GeneRecord organ = makeGene(GeneKind::Organ, 1);
    const GeneRecord unknown = makeGene(3, 5, {9, GeneFlags::Carried});

    const struct {
        const char* name;
        std::vector<GeneRecord> examined, mother, father;
        std::size_t mutated;
    } cases[] = {
        {"same genes", {pose(1, 1), lobe(1, 1)}, {pose(1, 1), lobe(1, 1)}, {pose(1, 1), lobe(1, 1)}, 0},
        {"equal key, different body in both parents", {pose(1, 1)}, {pose(1, 2)}, {pose(1, 3)}, 1},
        {"like one parent only", {pose(1, 1)}, {pose(1, 2)}, {pose(1, 1)}, 0},
        {"key in no parent", {pose(1, 1)}, {pose(2, 1)}, {}, 0},
        {"key in the mother only, differing", {pose(1, 1)}, {pose(1, 2)}, {}, 1},
        {"key in the father only, the same", {pose(1, 1)}, {}, {pose(1, 1)}, 0},
        {"duplicates in the child count each", {pose(1, 1), pose(1, 2), pose(1, 3)}, {pose(1, 1)}, {pose(1, 4)}, 2},
        {"only a parent's first gene of a key counts", {pose(1, 2)}, {pose(1, 1), pose(1, 2)}, {}, 1},
        {"a lobe differing in its last byte", {brain, lobe(1, 2)}, {brain, lobe(1, 1)}, {brain, lobe(1, 3)}, 1},
        {"half-lives differing in the last byte", {halfLives(2)}, {halfLives(1)}, {halfLives(3)}, 1},
        {"a loose lobe comes before an attached one",
         {brain, lobe(1, 2)},
         {brain, lobe(1, 1)},
         {lobe(1, 2), brain, lobe(1, 1)},
         0},
        {"an orphaned receptor is found before an organ's",
         {receptor(1, 5)},
         {receptor(1, 5), organ, receptor(1, 6)},
         {organ, receptor(1, 6)},
         0},
        {"loose genes without a genus gene", {pose(1, 1), pose(2, 2)}, {pose(1, 2)}, {pose(2, 3)}, 2},
        {"flag rows", {pose(1, 1, GeneFlags::MaleOnly | GeneFlags::Carried)}, {pose(1, 2)}, {pose(1, 3)}, 1},
        {"an unknown kind never counts", {unknown, pose(1, 1)}, {unknown}, {makeGene(3, 5, 9)}, 0},
        {"empty genomes", {}, {}, {}, 0},
    };
    TempDir dir;
    GenomeDigester digester;
    MutationCounter counter;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        GenomeBuilder().add(c.examined).end().writeTo(dir.file("e.gen"));
        GenomeBuilder().add(c.mother).end().writeTo(dir.file("m.gen"));
        GenomeBuilder().add(c.father).writeTo(dir.file("f.gen"));
        const TGeneticsFile examined(dir.file("e.gen")), mother(dir.file("m.gen")), father(dir.file("f.gen"));
        const GeneIndex motherGenes(&mother), fatherGenes(&father);
        const GeneFingerprints examinedPrints = digester.digest(dir.file("e.gen")).fingerprints;
        const GeneFingerprints motherPrints = digester.digest(dir.file("m.gen")).fingerprints;
        const GeneFingerprints fatherPrints = digester.digest(dir.file("f.gen")).fingerprints;
        FingerprintTable motherTable, fatherTable;
        motherTable.fill(motherPrints);
        fatherTable.fill(fatherPrints);

        std::size_t mutated = 0;
        examined.forEachGene([&](const GeneRecord& gene) {
            const std::optional<GenePrint> print = genePrint(gene);
            EXPECT_EQ(print ? motherTable.counterpart(*print) : Counterpart::Missing, motherGenes.counterpart(gene));
            EXPECT_EQ(print ? fatherTable.counterpart(*print) : Counterpart::Missing, fatherGenes.counterpart(gene));
            mutated += countsAsMutated(gene, motherGenes, fatherGenes) ? 1 : 0;
        });
        EXPECT_EQ(mutated, c.mutated);
        EXPECT_EQ(counter.mutatedGenes(examinedPrints, motherPrints, fatherPrints).size(), c.mutated);
        const StatisticsTotals counted = counter.count(examinedPrints, motherPrints, fatherPrints);
        const auto rows = countStatistics(GenomeComparison({MappingMode::Dual, &examined, &mother, &father}));
        for (std::size_t row = 0; row < StatisticsRowCount; ++row)
            EXPECT_EQ(counted[row], rows[row].mutated) << StatisticsCaptions[row];
    }
}

// The digest reads with the genome reader's own pass: the same genes, and
// the same message at the same fault. One digester reads every case, as a
// census worker does.
TEST(GenomeDigest, ReadsWhatTheReaderReadsAndFailsAsItFails)
{
    const std::string lobe = GenomeBuilder{makeGene(GeneKind::BrainLobe, 1)}.bytes().substr(4);
    const std::string genome =
        GenomeBuilder{genusGene("mama", "papa"), makeGene(GeneKind::Organ, 1), makeGene(GeneKind::Receptor, 2, {0, 1}),
                      makeGene(GeneKind::Pose, {3, GeneFlags::FemaleOnly}, {5}), makeGene(4, 0, 4)}
            .end()
            .bytes();
    const struct {
        std::string bytes;
        const char* error;
    } cases[] = {
        {"", "Read beyond end of file"},
        {"dna", "Read beyond end of file"},
        {"dna3", "Bad Gene File"},
        {"dna2", ""},
        {"dna2gend and then anything", ""},
        {"dna2geen" + std::string(7, '\0'), "Bad gene Error!"},
        {"dna2gene\x01", "Read beyond end of file"},
        {"dna2" + lobe, ""},
        {"dna2" + lobe.substr(0, lobe.size() - 1), "Read beyond end of file"},
        {"dna2" + lobe + "gen", "Read beyond end of file"},
        {genome, ""},
        {genome.substr(0, genome.size() - 9), "Read beyond end of file"},
        {GenomeBuilder{makeGene(GeneKind::Pose, 1), genusGene("mama", "papa")}.bytes(), ""},
        // The lobe belongs to the brain, before the organ in lookup order.
        {GenomeBuilder{makeGene(GeneKind::BrainOrgan, 1), makeGene(GeneKind::Organ, 2),
                       makeGene(GeneKind::BrainLobe, 3)}
             .bytes(),
         ""},
    };
    TempDir dir;
    std::vector<std::pair<std::string, const char*>> files = {
        {dir.file("missing.gen"), "File not found"}, {dir.path(), "File access denied"}, {"", "File not found"}};
#ifndef _WIN32
    ASSERT_EQ(mkfifo(dir.file("pipe.gen").c_str(), 0600), 0);
    files.emplace_back(dir.file("pipe.gen"), "File access denied");
#endif
    for (const char* sample : {"nela", "orvo", "quin", "tibb", "yeva"})
        files.emplace_back(Samples + "/" + sample + ".gen", "");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        files.emplace_back(dir.file(std::to_string(i) + ".gen"), cases[i].error);
        testing::writeFile(files.back().first, cases[i].bytes);
    }
    GenomeDigester digester;
    for (const auto& [path, error] : files) {
        SCOPED_TRACE(path);
        std::string readerError, digestError;
        std::optional<TGeneticsFile> read;
        std::optional<GenomeDigest> digest;
        try {
            read.emplace(path);
        } catch (const HelixplotError& e) {
            readerError = e.what();
        }
        try {
            digest = digester.digest(path);
        } catch (const HelixplotError& e) {
            digestError = e.what();
        }
        EXPECT_EQ(readerError, error);
        EXPECT_EQ(digestError, error);
        ASSERT_EQ(digest.has_value(), read.has_value());
        if (!read)
            continue;
        const GenomeDigest expected = digestOf(*read);
        EXPECT_EQ(digest->genes, read->geneCount());
        EXPECT_EQ(digest->organs, read->OrganList().size());
        EXPECT_EQ(digest->totals, expected.totals);
        EXPECT_EQ(digest->genusGene.has_value(), expected.genusGene.has_value());
        EXPECT_EQ(inKeyOrder(digest->fingerprints), inKeyOrder(expected.fingerprints));
    }

    testing::writeFile(dir.file("whole.gen"), genome);
    const GenomeDigest whole = digester.digest(dir.file("whole.gen"));
    ASSERT_TRUE(whole.genusGene);
    EXPECT_EQ(whole.genusGene->body[1], 'm');
    EXPECT_EQ(whole.genes, 5u);
    EXPECT_EQ(whole.organs, 1u);
    EXPECT_EQ(whole.fingerprints.keys.size(), 4u);
    EXPECT_EQ(whole.totals[indexOf(GeneKind::Receptor)], 1u);
    EXPECT_EQ(whole.totals[StatisticsKindRowCount + 1], 1u);
}

} // namespace
} // namespace helixplot
