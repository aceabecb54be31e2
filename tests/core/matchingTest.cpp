// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeBuilder.h"
#include "mapping/geneMatching.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::GenomeBuilder;
using testing::makeGene;

bool sameRecord(const GeneRecord& a, const GeneRecord& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// The reference for GeneIndex: a plain scan in lookup order (loose genes,
// then organ by organ, each organ's own gene before its attached genes).
const GeneRecord* firstWithKey(const TGeneticsFile& genome, const GeneHeader& key)
{
    auto matches = [&](const GeneRecord& g) {
        return g.header.type == key.type && g.header.subtype == key.subtype && g.header.id == key.id;
    };
    for (const GeneRecord& g : genome.GeneList())
        if (matches(g))
            return &g;
    for (const TCOrgan& organ : genome.OrganList()) {
        if (matches(organ.OrganGene))
            return &organ.OrganGene;
        for (const GeneRecord& g : organ.GeneList)
            if (matches(g))
                return &g;
    }
    return nullptr;
}

TEST(GeneIndex, GivesTheWholeGeneOrNothing)
{
    GeneFields fields;
    fields.id = 7;
    fields.flags = 0x21;
    fields.lifeStage = 3;
    fields.headerValue = 99;
    fields.reserved = 4;
    const GeneRecord stimulus = makeGene(GeneKind::Stimulus, fields, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13});
    const TGeneticsFile genome =
        GenomeBuilder{makeGene(GeneKind::Stimulus, 6), stimulus, makeGene(GeneKind::Organ, 7, {1})}.genome();
    const GeneIndex index(&genome);

    ASSERT_NE(index.findGene(2, 0, 7), nullptr);
    EXPECT_TRUE(sameRecord(*index.findGene(2, 0, 7), stimulus));
    // The key is type, subtype and id: each alone does not match.
    for (const auto& [type, subtype, id] : std::vector<std::tuple<int, int, int>>{{2, 0, 8}, {2, 1, 7}, {1, 0, 7}}) {
        SCOPED_TRACE(std::to_string(type) + "," + std::to_string(subtype) + "," + std::to_string(id));
        EXPECT_EQ(index.findGene(type, subtype, id), nullptr);
    }
    // Organ genes are found too.
    EXPECT_NE(index.findGene(3, 0, 7), nullptr);
    EXPECT_EQ(GeneIndex(nullptr).findGene(1, 0, 5), nullptr);
}

// A genome holding several genes under one key, in the reader's places:
// loose genes, then organs with their attached genes.
struct DuplicateGenome {
    GeneRecord looseReceptorA = makeGene(GeneKind::Receptor, 5, {0xA1});
    GeneRecord looseReceptorB = makeGene(GeneKind::Receptor, 5, {0xA2});
    GeneRecord organ1 = makeGene(GeneKind::Organ, 1, {1});
    GeneRecord organ1Receptor = makeGene(GeneKind::Receptor, 5, {0xB1});
    GeneRecord organ1Emitter = makeGene(GeneKind::Emitter, 2, {0xB2});
    GeneRecord organ2 = makeGene(GeneKind::Organ, 1, {2});
    GeneRecord organ2Emitter = makeGene(GeneKind::Emitter, 2, {0xC1});
    GeneRecord brain = makeGene(GeneKind::BrainOrgan, 0, {3});
    GeneRecord brainLobe = makeGene(GeneKind::BrainLobe, 9, {0xD1});
    GeneRecord laterLobe = makeGene(GeneKind::BrainLobe, 9, {0xD2});
    GeneRecord unknown1 = makeGene(3, 1, 4, {});
    GeneRecord unknown2 = makeGene(9, 9, 4, {});

    TGeneticsFile genome =
        GenomeBuilder{looseReceptorA, looseReceptorB, unknown1, organ1,    organ1Receptor, organ1Emitter,
                      organ2,         organ2Emitter,  brain,    brainLobe, laterLobe,      unknown2}
            .genome();
};

TEST(GeneIndex, FirstMatchInSearchOrderWins)
{
    const DuplicateGenome d;
    ASSERT_EQ(d.genome.GeneList().size(), 4u);
    ASSERT_EQ(d.genome.OrganList().size(), 3u);

    const struct {
        const char* what;
        GeneRecord key;
        const GeneRecord& expected;
    } cases[] = {
        {"loose before loose and before an organ's gene", d.looseReceptorA, d.looseReceptorA},
        {"first organ's gene before the second's", d.organ1Emitter, d.organ1Emitter},
        {"organ gene of the first organ", d.organ1, d.organ1},
        {"first attached lobe", d.brainLobe, d.brainLobe},
    };
    const GeneIndex index(&d.genome);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const GeneHeader& h = c.key.header;
        ASSERT_NE(index.findGene(h.type, h.subtype, h.id), nullptr);
        EXPECT_TRUE(sameRecord(*index.findGene(h.type, h.subtype, h.id), c.expected));
    }
}

TEST(GeneIndex, FindsWhatAScanFindsForEveryKnownKind)
{
    const DuplicateGenome d;
    const GeneIndex index(&d.genome);
    // Every key of the genome, and keys around them that it lacks.
    std::vector<GeneHeader> keys;
    d.genome.forEachGene([&](const GeneRecord& g) { keys.push_back(g.header); });
    keys.push_back({1, 0, 6, 0, 0, 0, 0});
    keys.push_back({3, 1, 5, 0, 0, 0, 0});
    keys.push_back({9, 9, 3, 0, 0, 0, 0});
    keys.push_back({255, 255, 255, 0, 0, 0, 0});
    for (const GeneHeader& k : keys) {
        SCOPED_TRACE(std::to_string(k.type) + "," + std::to_string(k.subtype) + "," + std::to_string(k.id));
        const GeneRecord* indexed = index.findGene(k.type, k.subtype, k.id);
        // Genes of unknown kinds have no body and decode to nothing: no
        // output depends on finding them, and the index leaves them out.
        const GeneRecord* expected = kindOf(k.type, k.subtype) ? firstWithKey(d.genome, k) : nullptr;
        EXPECT_EQ(indexed, expected);
    }
}

TEST(GenesDiffer, ComparesTheWholeBodyAndNothingElse)
{
    GeneFields other;
    other.reserved = 1;
    other.lifeStage = 4;
    other.flags = 0x3F;
    other.headerValue = 200;
    std::vector<std::uint8_t> halfLives(256, 7);
    std::vector<std::uint8_t> halfLivesLastDiffers = halfLives;
    halfLivesLastDiffers.back() = 8;
    std::vector<std::uint8_t> halfLivesFirstDiffers = halfLives;
    halfLivesFirstDiffers.front() = 8;

    GeneRecord receptorWithTail = makeGene(GeneKind::Receptor, 1, {1, 2, 3, 4, 5, 6, 7, 8});
    receptorWithTail.body[8] = 0xEE; // beyond a receptor's 8 body bytes
    GeneRecord unknownA = makeGene(3, 1, 1);
    GeneRecord unknownB = unknownA;
    unknownB.body[0] = 1;

    const struct {
        const char* what;
        GeneRecord comparator;
        GeneRecord examined;
        bool differ;
    } cases[] = {
        {"equal", makeGene(GeneKind::Receptor, 1, {1, 2, 3}), makeGene(GeneKind::Receptor, 1, {1, 2, 3}), false},
        {"header only", makeGene(GeneKind::Receptor, {}, {1, 2, 3}), makeGene(GeneKind::Receptor, other, {1, 2, 3}),
         false},
        {"last receptor byte", makeGene(GeneKind::Receptor, 1, {1, 2, 3, 4, 5, 6, 7, 8}),
         makeGene(GeneKind::Receptor, 1, {1, 2, 3, 4, 5, 6, 7, 9}), true},
        {"byte past the body", makeGene(GeneKind::Receptor, 1, {1, 2, 3, 4, 5, 6, 7, 8}), receptorWithTail, false},
        {"half-lives, last of 256", makeGene(GeneKind::HalfLives, 0, halfLives),
         makeGene(GeneKind::HalfLives, 0, halfLivesLastDiffers), true},
        {"half-lives, first", makeGene(GeneKind::HalfLives, 0, halfLives),
         makeGene(GeneKind::HalfLives, 0, halfLivesFirstDiffers), true},
        {"half-lives equal", makeGene(GeneKind::HalfLives, 0, halfLives),
         makeGene(GeneKind::HalfLives, other, halfLives), false},
        {"kind without a body", unknownA, unknownB, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(genesDiffer(c.comparator, c.examined), c.differ);
    }
}

// A comparator's relation to the examined gene.
enum class Holds { Nothing, Identical, Different };

TEST(CountsAsMutated, FollowsTheComparatorsInUse)
{
    GeneFields headerOnly;
    headerOnly.id = 3;
    headerOnly.flags = 0x01;
    headerOnly.lifeStage = 2;
    const GeneRecord gene = makeGene(GeneKind::Stimulus, 3, {10, 11, 12});
    auto genomeThat = [&](Holds holds) {
        GenomeBuilder b{makeGene(GeneKind::Stimulus, 4, {10, 11, 12})}; // same body, another key
        if (holds == Holds::Identical)
            b.add(makeGene(GeneKind::Stimulus, headerOnly, {10, 11, 12}));
        if (holds == Holds::Different)
            b.add(makeGene(GeneKind::Stimulus, 3, {10, 11, 13}));
        return b.genome();
    };
    const TGeneticsFile genomes[] = {genomeThat(Holds::Nothing), genomeThat(Holds::Identical),
                                     genomeThat(Holds::Different)};
    const TGeneticsFile examined = GenomeBuilder{gene}.genome();

    const struct {
        MappingMode mode;
        Holds mother;
        Holds father;
        bool mutated;
    } cases[] = {
        {MappingMode::Single, Holds::Nothing, Holds::Nothing, false},
        {MappingMode::Single, Holds::Identical, Holds::Nothing, false},
        {MappingMode::Single, Holds::Different, Holds::Nothing, true},
        // In mode 1 the father slot is a leftover: it plays no part.
        {MappingMode::Single, Holds::Different, Holds::Identical, true},
        {MappingMode::Single, Holds::Nothing, Holds::Different, false},
        {MappingMode::Dual, Holds::Nothing, Holds::Nothing, false},
        {MappingMode::Dual, Holds::Identical, Holds::Different, false},
        {MappingMode::Dual, Holds::Different, Holds::Identical, false},
        {MappingMode::Dual, Holds::Different, Holds::Nothing, true},
        {MappingMode::Dual, Holds::Different, Holds::Different, true},
        {MappingMode::Dual, Holds::Identical, Holds::Nothing, false},
        {MappingMode::Dual, Holds::Nothing, Holds::Identical, false},
        // Only the father holds the key: counted when his body differs, as
        // the mutated tree lists it.
        {MappingMode::Dual, Holds::Nothing, Holds::Different, true},
        // Mode 0 never counts.
        {MappingMode::Breakdown, Holds::Different, Holds::Different, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("mode " + std::to_string(static_cast<int>(c.mode)) + " mother " + std::to_string(int(c.mother)) +
                     " father " + std::to_string(int(c.father)));
        const TGeneticsFile* mother = &genomes[int(c.mother)];
        const TGeneticsFile* father = &genomes[int(c.father)];
        const GenomeComparison comparison(MappingInput{c.mode, &examined, mother, father});
        EXPECT_EQ(comparison.countsAsMutated(gene), c.mutated);
    }
}

TEST(CountsAsMutated, UsesTheFirstGeneUnderTheKey)
{
    const GeneRecord gene = makeGene(GeneKind::Emitter, 2, {5, 5});
    // Loose identical emitter first, a different one inside an organ after.
    const TGeneticsFile identicalFirst =
        GenomeBuilder{makeGene(GeneKind::Emitter, 2, {5, 5}), makeGene(GeneKind::Organ, 1),
                      makeGene(GeneKind::Emitter, 2, {6, 6})}
            .genome();
    const TGeneticsFile differentFirst =
        GenomeBuilder{makeGene(GeneKind::Emitter, 2, {6, 6}), makeGene(GeneKind::Organ, 1),
                      makeGene(GeneKind::Emitter, 2, {5, 5})}
            .genome();
    const TGeneticsFile examined = GenomeBuilder{gene}.genome();
    EXPECT_FALSE(
        GenomeComparison(MappingInput{MappingMode::Single, &examined, &identicalFirst, nullptr}).countsAsMutated(gene));
    EXPECT_TRUE(
        GenomeComparison(MappingInput{MappingMode::Single, &examined, &differentFirst, nullptr}).countsAsMutated(gene));
}

} // namespace
} // namespace helixplot
