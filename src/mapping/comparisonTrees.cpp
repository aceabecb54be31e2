// SPDX-License-Identifier: GPL-3.0-or-later
#include "comparisonTrees.h"

#include "decoder/unitGeneDecoder.h"
#include "geneChange.h"

namespace helixplot {

namespace {

constexpr int MutatedStage = 2;
constexpr int MissingStage = 3;
constexpr int AdditionalStage = 4;

FamilyNodes appendFamilies(DisplayTree& tree)
{
    FamilyNodes families;
    for (const GeneKindInfo& k : GeneKinds)
        if (!k.comparisonFamily.empty())
            families.set(k.kind, tree.appendTopLevel(k.comparisonFamily));
    return families;
}

// How a gene is shown under its family: decodeGene(), or a bare node in a
// tree built only to put the changes in its order.
using GeneNodeMaker = NodeId (*)(const GeneRecord& gene, DisplayTree& tree, NodeId family);

NodeId bareGeneNode(const GeneRecord&, DisplayTree& tree, NodeId family)
{
    return tree.addChild(family, {});
}

// Adds gene under its family; a kind without a family shows nothing (the
// decoder would add nothing for it either).
NodeId addUnderFamily(const GeneRecord& gene, DisplayTree& tree, const FamilyNodes& families,
                      GeneNodeMaker make = decodeGene)
{
    const NodeId family = families.of(gene);
    return family != NoNode ? make(gene, tree, family) : NoNode;
}

void addMutated(const GeneRecord& gene, const GenomeComparison& genomes, DisplayTree& tree, const FamilyNodes& families,
                MutatedChanges* changes, GeneNodeMaker make)
{
    if (!genomes.listedAsMutated(gene))
        return;
    const NodeId node = addUnderFamily(gene, tree, families, make);
    if (changes && node != NoNode)
        changes->record(node, geneChangeOf(gene, genomes));
}

void buildMutated(const GenomeComparison& genomes, DisplayTree& tree, ProgressReporter& progress,
                  MutatedChanges* changes, GeneNodeMaker make)
{
    tree.clear();
    if (changes)
        changes->clear();
    const FamilyNodes families = appendFamilies(tree);
    const TGeneticsFile* examined = genomes.examined();
    try {
        progress.setProgressPosition(1);
        if (examined)
            for (const GeneRecord& gene : examined->GeneList())
                addMutated(gene, genomes, tree, families, changes, make);
        progress.setProgressPosition(2);
        if (examined) {
            int position = 3;
            for (const TCOrgan& organ : examined->OrganList()) {
                for (const GeneRecord& gene : organ.GeneList)
                    addMutated(gene, genomes, tree, families, changes, make);
                progress.setProgressPosition(position++);
            }
        }
    } catch (...) {
        // Changes out of the tree's order must not outlive a failed build.
        if (changes)
            changes->clear();
        throw;
    }
    pruneEmptyFamilies(tree, MutatedStage, progress);
    if (changes)
        changes->finish(tree);
}

} // namespace

void addMutatedGene(const GeneRecord& gene, const GenomeComparison& genomes, DisplayTree& tree,
                    const FamilyNodes& families, MutatedChanges* changes)
{
    addMutated(gene, genomes, tree, families, changes, decodeGene);
}

void addAdditionalGene(const GeneRecord& gene, const GenomeComparison& genomes, DisplayTree& tree,
                       const FamilyNodes& families)
{
    if (genomes.motherGenes().findGene(gene))
        return;
    if (genomes.usesFather() && genomes.fatherGenes().findGene(gene))
        return;
    addUnderFamily(gene, tree, families);
}

void addMissingGenesOf(const TGeneticsFile* comparator, const GeneIndex& examinedGenes, DisplayTree& tree,
                       NodeId parent, int& position, ProgressReporter& progress)
{
    if (!comparator)
        return;
    auto addIfMissing = [&](const GeneRecord& gene) {
        if (!examinedGenes.findGene(gene))
            decodeGene(gene, tree, parent);
    };
    for (const GeneRecord& gene : comparator->GeneList())
        addIfMissing(gene);
    progress.setProgressPosition(++position);
    for (const TCOrgan& organ : comparator->OrganList()) {
        for (const GeneRecord& gene : organ.GeneList)
            addIfMissing(gene);
        progress.setProgressPosition(++position);
    }
}

void pruneEmptyFamilies(DisplayTree& tree, int stage, ProgressReporter& progress)
{
    NodeId node = tree.firstTopLevel();
    while (node != NoNode) {
        const NodeId next = tree.nextSibling(node);
        if (tree.childCount(node) == 0)
            tree.deleteNode(node);
        node = next;
    }
    progress.endStage(stage, StageMark::Done);
}

void buildMutatedTree(const GenomeComparison& genomes, DisplayTree& tree, ProgressReporter& progress,
                      MutatedChanges* changes)
{
    buildMutated(genomes, tree, progress, changes, decodeGene);
}

std::vector<GeneChange> mutatedGeneChanges(const GenomeComparison& genomes)
{
    if (!genomes.examined() || !genomes.usesMother())
        return {};
    // The genes need no decoding to be placed: the order is the families'.
    DisplayTree tree;
    SilentProgress silent;
    MutatedChanges changes;
    buildMutated(genomes, tree, silent, &changes, bareGeneNode);
    return changes.list();
}

void buildMissingTree(const GenomeComparison& genomes, DisplayTree& tree, ProgressReporter& progress)
{
    tree.clear();
    const NodeId maternal = tree.appendTopLevel(MaternalMissingText);
    const NodeId paternal = tree.appendTopLevel(PaternalMissingText);
    int position = 0;
    addMissingGenesOf(genomes.mother(), genomes.examinedGenes(), tree, maternal, position, progress);
    if (genomes.usesFather())
        addMissingGenesOf(genomes.father(), genomes.examinedGenes(), tree, paternal, position, progress);
    if (tree.childCount(maternal) == 0)
        tree.deleteNode(maternal);
    if (tree.childCount(paternal) == 0)
        tree.deleteNode(paternal);
    if (tree.empty())
        tree.appendTopLevel(NothingMissingText);
    progress.endStage(MissingStage, StageMark::Done);
}

void buildAdditionalTree(const GenomeComparison& genomes, DisplayTree& tree, ProgressReporter& progress)
{
    tree.clear();
    FamilyNodes families = appendFamilies(tree);
    // A genus gene no comparator holds gets a family of its own after the
    // others, pruned like them when empty.
    families.set(GeneKind::Genus, tree.appendTopLevel(AdditionalGenusText));
    const TGeneticsFile* examined = genomes.examined();
    if (examined)
        for (const GeneRecord& gene : examined->GeneList())
            addAdditionalGene(gene, genomes, tree, families);
    progress.setProgressPosition(1);
    if (examined) {
        int position = 2;
        for (const TCOrgan& organ : examined->OrganList()) {
            for (const GeneRecord& gene : organ.GeneList)
                addAdditionalGene(gene, genomes, tree, families);
            progress.setProgressPosition(position++);
        }
    }
    pruneEmptyFamilies(tree, AdditionalStage, progress);
    if (tree.empty())
        tree.appendTopLevel(NothingAdditionalText);
}

} // namespace helixplot
