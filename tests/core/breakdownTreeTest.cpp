// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/breakdownTree.h"
#include "genomeBuilder.h"
#include "mappingRunTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::decodedAt;
using testing::dumpOf;
using testing::GenomeBuilder;
using testing::makeGene;
using testing::positions;
using testing::RecordingProgress;

// The sixteen top-level nodes, each followed by what goes under it.
struct Families {
    std::string genus, organs, brainOrgans, halfLives, concentrations, stimuli, appearance, poses, gaits, instincts,
        pigments, bleeds, lobes, receptors, emitters, reactions;

    std::string text() const
    {
        return "Creature Genus\n" + genus + "Organs\n" + organs + "Brain Organs\n" + brainOrgans +
               "Biochemical Half-Lives\n" + halfLives + "Biochemical Initial Concentrations\n" + concentrations +
               "Creature Stimuli\n" + stimuli + "Creature Appearance\n" + appearance + "Creature Poses\n" + poses +
               "Creature Gaits\n" + gaits + "Creature Instincts\n" + instincts + "Creature Pigments\n" + pigments +
               "Creature Pigment Bleeds\n" + bleeds + "Orphaned Brain Lobes\n" + lobes +
               "Orphaned Biochemical Receptors\n" + receptors + "Orphaned Biochemical Emitters\n" + emitters +
               "Orphaned Biochemical Reactions\n" + reactions;
    }
};

std::string breakdownOf(const TGeneticsFile& genome, RecordingProgress& progress)
{
    DisplayTree tree;
    buildBreakdownTree(genome, tree, progress);
    return dumpOf(tree);
}

// An organ's value lines at depth 2, from its first four body bytes.
std::string valueLines(int a, int b, int c, int d)
{
    return "  ClockRate: " + std::to_string(a) + "\n  Lifeforce Repair Rate: " + std::to_string(b) +
           "\n  Biotick Start Value: " + std::to_string(c) + "\n  ATP Damage Coefficient: " + std::to_string(d) + "\n";
}

TEST(BreakdownTree, EmptyGenomeShowsTheSixteenFamilies)
{
    RecordingProgress progress;
    EXPECT_EQ(breakdownOf(GenomeBuilder{}.genome(), progress), Families{}.text());
    EXPECT_TRUE(progress.calls.empty());
}

TEST(BreakdownTree, WithoutOrgansEveryGeneStandsUnderItsFamily)
{
    const GeneRecord genus = makeGene(GeneKind::Genus, 0, {0, 'A', 'B', 'C', 'D'});
    const GeneRecord lobe = makeGene(GeneKind::BrainLobe, 1, {1});
    const GeneRecord receptor = makeGene(GeneKind::Receptor, 1, {2});
    const GeneRecord emitter = makeGene(GeneKind::Emitter, 1, {3});
    const GeneRecord reaction = makeGene(GeneKind::Reaction, 1, {4});
    const GeneRecord halfLives = makeGene(GeneKind::HalfLives, 0, {5});
    const GeneRecord concentration = makeGene(GeneKind::InitialConcentration, 0, {6});
    const GeneRecord stimulus = makeGene(GeneKind::Stimulus, 1, {7});
    const GeneRecord appearance = makeGene(GeneKind::Appearance, 0, {8});
    const GeneRecord pose = makeGene(GeneKind::Pose, 0, {9});
    const GeneRecord gait = makeGene(GeneKind::Gait, 0, {10});
    const GeneRecord instinct = makeGene(GeneKind::Instinct, 0, {11});
    const GeneRecord pigment = makeGene(GeneKind::Pigment, 0, {12});
    const GeneRecord bleed = makeGene(GeneKind::PigmentBleed, 0, {13});
    const GeneRecord secondLobe = makeGene(GeneKind::BrainLobe, 2, {14});
    const TGeneticsFile genome =
        GenomeBuilder{bleed,     pigment,  instinct, gait,     pose, appearance, stimulus,  concentration,
                      halfLives, reaction, emitter,  receptor, lobe, genus,      secondLobe}
            .genome();

    Families f;
    f.genus = decodedAt(genus, 1);
    f.halfLives = decodedAt(halfLives, 1);
    f.concentrations = decodedAt(concentration, 1);
    f.stimuli = decodedAt(stimulus, 1);
    f.appearance = decodedAt(appearance, 1);
    f.poses = decodedAt(pose, 1);
    f.gaits = decodedAt(gait, 1);
    f.instincts = decodedAt(instinct, 1);
    f.pigments = decodedAt(pigment, 1);
    f.bleeds = decodedAt(bleed, 1);
    f.lobes = decodedAt(lobe, 1) + decodedAt(secondLobe, 1);
    f.receptors = decodedAt(receptor, 1);
    f.emitters = decodedAt(emitter, 1);
    f.reactions = decodedAt(reaction, 1);
    RecordingProgress progress;
    EXPECT_EQ(breakdownOf(genome, progress), f.text());
    EXPECT_EQ(progress.calls, positions(1, 15));
}

TEST(BreakdownTree, OrgansNestTheirGenes)
{
    const GeneRecord looseReceptor = makeGene(GeneKind::Receptor, 9, {1});
    const GeneRecord organ = makeGene(GeneKind::Organ, 1, {10, 20, 30, 40, 50});
    const GeneRecord receptor = makeGene(GeneKind::Receptor, 1, {2});
    const GeneRecord emitter = makeGene(GeneKind::Emitter, 1, {3});
    const GeneRecord reaction = makeGene(GeneKind::Reaction, 1, {4});
    const GeneRecord secondReceptor = makeGene(GeneKind::Receptor, 2, {5});
    const GeneRecord brain = makeGene(GeneKind::BrainOrgan, 0, {1, 2, 3, 4, 5});
    const GeneRecord lobe = makeGene(GeneKind::BrainLobe, 1, {6});
    const GeneRecord secondLobe = makeGene(GeneKind::BrainLobe, 2, {7});
    const GeneRecord heart = makeGene(GeneKind::Organ, 2, {5, 6, 7, 8, 9});
    const GeneRecord heartReaction = makeGene(GeneKind::Reaction, 7, {8});
    const GeneRecord stimulus = makeGene(GeneKind::Stimulus, 1, {9}); // loose, wherever it stands
    const TGeneticsFile genome = GenomeBuilder{looseReceptor, organ, receptor, emitter,    reaction, secondReceptor,
                                               brain,         lobe,  stimulus, secondLobe, heart,    heartReaction}
                                     .genome();

    Families f;
    f.organs = " 01 - Emb ---/---/--- 0 CNS: Drive Lobe Support\n"
               "  Receptors\n" +
               decodedAt(receptor, 3) + decodedAt(secondReceptor, 3) + "  Emitters\n" + decodedAt(emitter, 3) +
               "  Reactions\n" + decodedAt(reaction, 3) + valueLines(10, 20, 30, 40) +
               " 02 - Emb ---/---/--- 0 Heart\n"
               "  Receptors\n"
               "  Emitters\n"
               "  Reactions\n" +
               decodedAt(heartReaction, 3) + valueLines(5, 6, 7, 8);
    f.brainOrgans = " 00 - Emb ---/---/--- 0 <<<THE BRAIN>>>\n"
                    "  Lobes\n" +
                    decodedAt(lobe, 3) + decodedAt(secondLobe, 3) + valueLines(1, 2, 3, 4);
    f.stimuli = decodedAt(stimulus, 1);
    f.receptors = decodedAt(looseReceptor, 1);
    RecordingProgress progress;
    EXPECT_EQ(breakdownOf(genome, progress), f.text());
    EXPECT_EQ(progress.calls, positions(1, 12));
    EXPECT_EQ(genome.geneCount(), 12u);
}

TEST(BreakdownTree, BiochemistryOfABrainOrganGetsItsOwnGroups)
{
    const GeneRecord brain = makeGene(GeneKind::BrainOrgan, 0, {1, 2, 3, 4});
    const GeneRecord lobe = makeGene(GeneKind::BrainLobe, 1, {6});
    const GeneRecord reaction = makeGene(GeneKind::Reaction, 2, {7});
    const GeneRecord receptor = makeGene(GeneKind::Receptor, 2, {8});
    const GeneRecord laterLobe = makeGene(GeneKind::BrainLobe, 2, {9});
    const TGeneticsFile genome = GenomeBuilder{brain, lobe, reaction, receptor, laterLobe}.genome();
    ASSERT_EQ(genome.OrganList().at(0).GeneList.size(), 4u);

    Families f;
    // The three groups follow the brain's value lines, in an organ's order.
    f.brainOrgans = " 00 - Emb ---/---/--- 0 <<<THE BRAIN>>>\n"
                    "  Lobes\n" +
                    decodedAt(lobe, 3) + decodedAt(laterLobe, 3) + valueLines(1, 2, 3, 4) + "  Receptors\n" +
                    decodedAt(receptor, 3) + "  Emitters\n" + "  Reactions\n" + decodedAt(reaction, 3);
    RecordingProgress progress;
    EXPECT_EQ(breakdownOf(genome, progress), f.text());
}

TEST(BreakdownTree, UnknownKindsShowNothingButCountAPosition)
{
    const TGeneticsFile genome = GenomeBuilder{makeGene(3, 1, 1), makeGene(9, 9, 9), makeGene(0, 7, 1)}.genome();
    RecordingProgress progress;
    EXPECT_EQ(breakdownOf(genome, progress), Families{}.text());
    EXPECT_EQ(progress.calls, positions(1, 3));
}

TEST(BreakdownTree, AnUnknownOrganKindLeavesTheCurrentOrgan)
{
    // The reader keeps such genes loose, ahead of every organ; placed one by
    // one they still must not stand in for an organ.
    DisplayTree tree;
    BreakdownState state = startBreakdown(tree);
    RecordingProgress progress;
    const GeneRecord organ = makeGene(GeneKind::Organ, 2, {1, 2, 3, 4});
    const GeneRecord receptor = makeGene(GeneKind::Receptor, 1, {5});
    placeBreakdownGene(organ, state, tree, progress);
    placeBreakdownGene(makeGene(3, 1, 1), state, tree, progress);
    placeBreakdownGene(receptor, state, tree, progress);

    Families f;
    f.organs = " 02 - Emb ---/---/--- 0 Heart\n"
               "  Receptors\n" +
               decodedAt(receptor, 3) + "  Emitters\n  Reactions\n" + valueLines(1, 2, 3, 4);
    EXPECT_EQ(dumpOf(tree), f.text());
    EXPECT_EQ(progress.calls, positions(1, 3));
}

TEST(BreakdownTree, ASecondBuildStartsAfresh)
{
    const TGeneticsFile first =
        GenomeBuilder{makeGene(GeneKind::Stimulus, 1, {1}), makeGene(GeneKind::Organ, 1)}.genome();
    const TGeneticsFile second = GenomeBuilder{makeGene(GeneKind::Pose, 4, {1})}.genome();
    DisplayTree tree;
    SilentProgress silent;
    buildBreakdownTree(first, tree, silent);
    RecordingProgress progress;
    buildBreakdownTree(second, tree, progress);
    Families f;
    f.poses = decodedAt(makeGene(GeneKind::Pose, 4, {1}), 1);
    EXPECT_EQ(dumpOf(tree), f.text());
    EXPECT_EQ(progress.calls, positions(1, 1));
}

} // namespace
} // namespace helixplot
