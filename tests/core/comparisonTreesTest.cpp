// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/comparisonTrees.h"
#include "genomeBuilder.h"
#include "mappingRunTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::decodedAt;
using testing::dumpOf;
using testing::GeneFields;
using testing::GenomeBuilder;
using testing::makeGene;
using testing::positions;
using testing::RecordingProgress;

// The three trees of one comparison and the progress calls of each builder.
struct Trees {
    std::string mutated;
    std::string missing;
    std::string additional;
    std::vector<std::string> mutatedCalls;
    std::vector<std::string> missingCalls;
    std::vector<std::string> additionalCalls;
};

Trees buildTrees(MappingMode mode, const TGeneticsFile& examined, const TGeneticsFile* mother,
                 const TGeneticsFile* father = nullptr)
{
    const GenomeComparison genomes(MappingInput{mode, &examined, mother, father});
    Trees t;
    // Each builder starts from a cleared tree.
    DisplayTree tree;
    tree.appendTopLevel("left over");
    RecordingProgress p2;
    buildMutatedTree(genomes, tree, p2);
    t.mutated = dumpOf(tree);
    t.mutatedCalls = p2.calls;
    RecordingProgress p3;
    buildMissingTree(genomes, tree, p3);
    t.missing = dumpOf(tree);
    t.missingCalls = p3.calls;
    RecordingProgress p4;
    buildAdditionalTree(genomes, tree, p4);
    t.additional = dumpOf(tree);
    t.additionalCalls = p4.calls;
    return t;
}

GeneRecord withHeader(GeneRecord gene, std::uint8_t flags, std::uint8_t lifeStage, std::uint8_t headerValue,
                      std::uint8_t reserved)
{
    gene.header.flags = flags;
    gene.header.lifeStage = lifeStage;
    gene.header.headerValue = headerValue;
    gene.header.reserved = reserved;
    return gene;
}

TEST(ComparisonTrees, FamiliesInTableOrderGenesInGenomeOrderEmptyFamiliesPruned)
{
    const GeneRecord pigment = makeGene(GeneKind::Pigment, 1, {1, 1});
    const GeneRecord stimulus = makeGene(GeneKind::Stimulus, 1, {2});
    const GeneRecord looseLobe = makeGene(GeneKind::BrainLobe, 3, {3});
    const GeneRecord genus = makeGene(GeneKind::Genus, 0, {0, 'A', 'B', 'C', 'D'});
    const GeneRecord organ = makeGene(GeneKind::Organ, 1, {4});
    const GeneRecord receptor = makeGene(GeneKind::Receptor, 1, {5});
    const GeneRecord brain = makeGene(GeneKind::BrainOrgan, 0, {6});
    const GeneRecord lobe = makeGene(GeneKind::BrainLobe, 1, {7});
    const GeneRecord laterStimulus = makeGene(GeneKind::Stimulus, 2, {8});
    const TGeneticsFile examined =
        GenomeBuilder{pigment, stimulus, looseLobe, genus, organ, receptor, brain, lobe, laterStimulus}.genome();
    const GeneRecord bleed = makeGene(GeneKind::PigmentBleed, 9, {9});
    const TGeneticsFile mother = GenomeBuilder{bleed}.genome();

    const Trees t = buildTrees(MappingMode::Single, examined, &mother);
    // Loose genes first, then organ by organ; organ genes themselves never
    // appear; genus never in the mutated tree.
    const std::string families = "Brain Lobes\n" + decodedAt(looseLobe, 1) + decodedAt(lobe, 1) +
                                 "Biochemical Receptors\n" + decodedAt(receptor, 1) + "Creature Stimuli\n" +
                                 decodedAt(stimulus, 1) + decodedAt(laterStimulus, 1) + "Creature Pigments\n" +
                                 decodedAt(pigment, 1);
    EXPECT_EQ(t.mutated, families);
    EXPECT_EQ(t.additional, families + "Creature Genus\n" + decodedAt(genus, 1));
    EXPECT_EQ(t.missing, "Maternal genes missing from genome\n" + decodedAt(bleed, 1));

    // Two organs: stage 2 reports 1, 2, 3, 4 (never its maximum 5), stage 4
    // 1, 2, 3; the mother's one loose list gives stage 3 one position.
    EXPECT_EQ(t.mutatedCalls, testing::concat({positions(1, 4), {"endStage 2 2"}}));
    EXPECT_EQ(t.additionalCalls, testing::concat({positions(1, 3), {"endStage 4 2"}}));
    EXPECT_EQ(t.missingCalls, testing::concat({positions(1, 1), {"endStage 3 2"}}));
}

TEST(ComparisonTrees, HeaderOnlyDifferencesAreNoMutation)
{
    const GeneRecord stimulus = makeGene(GeneKind::Stimulus, 1, {2, 3});
    const GeneRecord halfLives = makeGene(GeneKind::HalfLives, 0, std::vector<std::uint8_t>(256, 4));
    const TGeneticsFile examined = GenomeBuilder{stimulus, halfLives}.genome();
    const TGeneticsFile mother =
        GenomeBuilder{withHeader(stimulus, 0x3F, 5, 200, 1), withHeader(halfLives, 0x01, 2, 9, 0)}.genome();

    const Trees t = buildTrees(MappingMode::Single, examined, &mother);
    EXPECT_EQ(t.mutated, ""); // no placeholder in the mutated tree
    EXPECT_EQ(t.missing, "No comparator genes missing from genome\n");
    EXPECT_EQ(t.additional, "No additional genes over comparators\n");
}

TEST(ComparisonTrees, OnlyTheFirstComparatorGeneUnderAKeyCounts)
{
    const GeneRecord pigment = makeGene(GeneKind::Pigment, 1, {1, 1});
    const GeneRecord otherPigment = makeGene(GeneKind::Pigment, 1, {9, 9});
    const TGeneticsFile examined = GenomeBuilder{pigment}.genome();
    const TGeneticsFile identicalFirst = GenomeBuilder{pigment, otherPigment}.genome();
    const TGeneticsFile differentFirst = GenomeBuilder{otherPigment, pigment}.genome();

    EXPECT_EQ(buildTrees(MappingMode::Single, examined, &identicalFirst).mutated, "");
    EXPECT_EQ(buildTrees(MappingMode::Single, examined, &differentFirst).mutated,
              "Creature Pigments\n" + decodedAt(pigment, 1));
}

TEST(ComparisonTrees, DualModeListsAGeneUnlessSomeParentHoldsItIdentical)
{
    auto pose = [](std::uint8_t id, std::uint8_t value) { return makeGene(GeneKind::Pose, id, {value}); };
    // id: 1 mother identical, 2 father identical, 3 both differ, 4 only the
    // mother (differs), 5 neither, 6 only the father (differs).
    const TGeneticsFile examined =
        GenomeBuilder{pose(1, 1), pose(2, 1), pose(3, 1), pose(4, 1), pose(5, 1), pose(6, 1)}.genome();
    const GeneRecord motherOnly = makeGene(GeneKind::Gait, 7, {1});
    const GeneRecord fatherOnly = makeGene(GeneKind::Instinct, 8, {1});
    const TGeneticsFile mother =
        GenomeBuilder{pose(1, 1), pose(2, 2), pose(3, 2), pose(4, 2), makeGene(GeneKind::Organ, 1), motherOnly}
            .genome();
    const TGeneticsFile father = GenomeBuilder{pose(1, 2), pose(2, 1), pose(3, 2), pose(6, 2), fatherOnly}.genome();
    // motherOnly (a gait, attached nowhere) stands in the mother's loose list.
    ASSERT_EQ(mother.OrganList().size(), 1u);

    const Trees t = buildTrees(MappingMode::Dual, examined, &mother, &father);
    EXPECT_EQ(t.mutated, "Creature Poses\n" + decodedAt(pose(3, 1), 1) + decodedAt(pose(4, 1), 1) +
                             decodedAt(pose(5, 1), 1) + decodedAt(pose(6, 1), 1));
    EXPECT_EQ(t.additional, "Creature Poses\n" + decodedAt(pose(5, 1), 1));
    EXPECT_EQ(t.missing, "Maternal genes missing from genome\n" + decodedAt(motherOnly, 1) +
                             "Paternal genes missing from genome\n" + decodedAt(fatherOnly, 1));
    // Mother: loose list and one organ; father: loose list.
    EXPECT_EQ(t.missingCalls, testing::concat({positions(1, 3), {"endStage 3 2"}}));
}

TEST(ComparisonTrees, SingleModeIgnoresAStaleFather)
{
    const GeneRecord gait = makeGene(GeneKind::Gait, 1, {1});
    const GeneRecord instinct = makeGene(GeneKind::Instinct, 2, {1});
    const TGeneticsFile examined = GenomeBuilder{gait, instinct}.genome();
    const TGeneticsFile mother = GenomeBuilder{makeGene(GeneKind::Gait, 1, {2})}.genome();
    // The father holds both genes identical and one the examined genome lacks.
    const TGeneticsFile father = GenomeBuilder{gait, instinct, makeGene(GeneKind::PigmentBleed, 3, {1})}.genome();

    const Trees t = buildTrees(MappingMode::Single, examined, &mother, &father);
    EXPECT_EQ(t.mutated, "Creature Gaits\n" + decodedAt(gait, 1) + "Creature Instincts\n" + decodedAt(instinct, 1));
    EXPECT_EQ(t.additional, "Creature Instincts\n" + decodedAt(instinct, 1));
    EXPECT_EQ(t.missing, "No comparator genes missing from genome\n");
    EXPECT_EQ(t.missingCalls, (std::vector<std::string>{"setProgressPosition 1", "endStage 3 2"}));
}

TEST(ComparisonTrees, MissingTreeKeepsOnlyNodesWithGenes)
{
    const GeneRecord stimulus = makeGene(GeneKind::Stimulus, 1, {1});
    const TGeneticsFile examined = GenomeBuilder{stimulus}.genome();
    const TGeneticsFile sameKeyOtherBody = GenomeBuilder{makeGene(GeneKind::Stimulus, 1, {2})}.genome();
    const GeneRecord fatherReceptor = makeGene(GeneKind::Receptor, 4, {1});
    const TGeneticsFile fatherWithOrgan = GenomeBuilder{makeGene(GeneKind::Organ, 1), fatherReceptor}.genome();

    // A key present with another body is not missing.
    EXPECT_EQ(buildTrees(MappingMode::Dual, examined, &sameKeyOtherBody, &sameKeyOtherBody).missing,
              "No comparator genes missing from genome\n");
    const Trees t = buildTrees(MappingMode::Dual, examined, &sameKeyOtherBody, &fatherWithOrgan);
    EXPECT_EQ(t.missing, "Paternal genes missing from genome\n" + decodedAt(fatherReceptor, 1));
    // Mother's loose list, father's loose list, father's organ.
    EXPECT_EQ(t.missingCalls, testing::concat({positions(1, 3), {"endStage 3 2"}}));
}

TEST(ComparisonTrees, UnknownKindsAreComparedButShowNothing)
{
    const GeneRecord unknownOrganKind = makeGene(3, 1, 1);
    const GeneRecord unknownBrainKind = makeGene(0, 5, 1);
    const GeneRecord farKind = makeGene(200, 9, 1);
    const TGeneticsFile examined = GenomeBuilder{unknownOrganKind, unknownBrainKind, farKind}.genome();
    const TGeneticsFile mother = GenomeBuilder{makeGene(4, 0, 1), makeGene(3, 2, 1)}.genome();

    const Trees t = buildTrees(MappingMode::Dual, examined, &mother, &mother);
    EXPECT_EQ(t.mutated, "");
    EXPECT_EQ(t.additional, "No additional genes over comparators\n");
    EXPECT_EQ(t.missing, "No comparator genes missing from genome\n");
}

TEST(ComparisonTrees, OrganGenesNeverAppear)
{
    const TGeneticsFile examined =
        GenomeBuilder{makeGene(GeneKind::Organ, 1, {1}), makeGene(GeneKind::BrainOrgan, 0, {1})}.genome();
    const TGeneticsFile mother =
        GenomeBuilder{makeGene(GeneKind::Organ, 1, {2}), makeGene(GeneKind::Organ, 2, {2})}.genome();

    const Trees t = buildTrees(MappingMode::Single, examined, &mother);
    EXPECT_EQ(t.mutated, "");
    EXPECT_EQ(t.additional, "No additional genes over comparators\n");
    EXPECT_EQ(t.missing, "No comparator genes missing from genome\n");
    EXPECT_EQ(t.mutatedCalls, testing::concat({positions(1, 4), {"endStage 2 2"}}));
    // Two organs of the mother: three positions.
    EXPECT_EQ(t.missingCalls, testing::concat({positions(1, 3), {"endStage 3 2"}}));
}

TEST(ComparisonTrees, PruneDeletesOnlyChildlessTopLevelNodes)
{
    DisplayTree tree;
    tree.appendTopLevel("A");
    const NodeId b = tree.appendTopLevel("B");
    const NodeId inner = tree.addChild(b, "b1");
    tree.addChild(inner, "b11");
    tree.addChild(b, "b2"); // childless, but not top level
    tree.appendTopLevel("C");
    const NodeId d = tree.appendTopLevel("D");
    tree.addChild(d, "d1");
    tree.appendTopLevel("E");
    RecordingProgress progress;
    pruneEmptyFamilies(tree, 7, progress);
    EXPECT_EQ(dumpOf(tree), "B\n b1\n  b11\n b2\nD\n d1\n");
    EXPECT_EQ(tree.nodeCount(), 6u);
    EXPECT_EQ(progress.calls, (std::vector<std::string>{"endStage 7 2"}));
}

TEST(ComparisonTrees, MissingGenesOfNoComparatorReportNothing)
{
    const TGeneticsFile examined = GenomeBuilder{}.genome();
    DisplayTree tree;
    const NodeId parent = tree.appendTopLevel("P");
    RecordingProgress progress;
    int position = 4;
    addMissingGenesOf(nullptr, GeneIndex(&examined), tree, parent, position, progress);
    EXPECT_EQ(position, 4);
    EXPECT_TRUE(progress.calls.empty());
    EXPECT_EQ(tree.nodeCount(), 1u);
}

} // namespace
} // namespace helixplot
