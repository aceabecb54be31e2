// SPDX-License-Identifier: GPL-3.0-or-later
#include "breakdownTree.h"

#include "decoder/unitGeneDecoder.h"

namespace helixplot {

namespace {

// Indexes of currentOrganGroups.
constexpr std::size_t LobeGroup = 0;
constexpr std::size_t ReceptorGroup = 1; // then emitters, reactions

constexpr std::string_view GroupTexts[4] = {"Lobes", "Receptors", "Emitters", "Reactions"};

void enterOrgan(BreakdownState& state, DisplayTree& tree, NodeId organNode, bool brain)
{
    state.CurrentOrganNode = organNode;
    state.currentOrganGroups.fill(NoNode);
    if (organNode == NoNode)
        return;
    if (brain) {
        state.currentOrganGroups[LobeGroup] = tree.childAt(organNode, 0);
    } else {
        for (std::size_t s = 0; s < 3; ++s)
            state.currentOrganGroups[ReceptorGroup + s] = tree.childAt(organNode, s);
    }
}

NodeId organGroup(BreakdownState& state, DisplayTree& tree, std::size_t group)
{
    auto& groups = state.currentOrganGroups;
    if (groups[group] == NoNode) {
        if (group == LobeGroup) {
            groups[LobeGroup] = tree.addChild(state.CurrentOrganNode, GroupTexts[LobeGroup]);
        } else {
            // Shown the way an organ shows them, all three in their order.
            for (std::size_t g = ReceptorGroup; g < groups.size(); ++g)
                if (groups[g] == NoNode)
                    groups[g] = tree.addChild(state.CurrentOrganNode, GroupTexts[g]);
        }
    }
    return groups[group];
}

} // namespace

void placeBreakdownGene(const GeneRecord& gene, BreakdownState& state, DisplayTree& tree, ProgressReporter& progress)
{
    progress.setProgressPosition(++state.position);
    const std::optional<GeneKind> kind = gene.kind();
    if (!kind)
        return;
    const NodeId family = state.families.at(*kind);

    if (kind == GeneKind::Organ) {
        enterOrgan(state, tree, decodeGene(gene, tree, family), false);
    } else if (kind == GeneKind::BrainOrgan) {
        enterOrgan(state, tree, decodeGene(gene, tree, family), true);
    } else if (kind == GeneKind::Receptor || kind == GeneKind::Emitter || kind == GeneKind::Reaction) {
        // Receptors, emitters and reactions are subtypes 0 to 2, like an organ's groups.
        const NodeId parent =
            state.CurrentOrganNode != NoNode ? organGroup(state, tree, ReceptorGroup + gene.header.subtype) : family;
        decodeGene(gene, tree, parent);
    } else if (kind == GeneKind::BrainLobe) {
        const NodeId parent = state.CurrentOrganNode != NoNode ? organGroup(state, tree, LobeGroup) : family;
        decodeGene(gene, tree, parent);
    } else {
        decodeGene(gene, tree, family);
    }
}

BreakdownState startBreakdown(DisplayTree& tree)
{
    tree.clear();
    BreakdownState state;
    for (GeneKind kind : BreakdownFamilyOrder)
        state.families.set(kind, tree.appendTopLevel(infoOf(kind).breakdownFamily));
    return state;
}

void buildBreakdownTree(const TGeneticsFile& genome, DisplayTree& tree, ProgressReporter& progress)
{
    BreakdownState state = startBreakdown(tree);
    // A decoded gene takes about six lines of thirty-odd bytes.
    tree.reserve(8 * genome.geneCount(), 256 * genome.geneCount());
    for (const GeneRecord& gene : genome.GeneList())
        placeBreakdownGene(gene, state, tree, progress);
    for (const TCOrgan& organ : genome.OrganList()) {
        placeBreakdownGene(organ.OrganGene, state, tree, progress);
        for (const GeneRecord& gene : organ.GeneList)
            placeBreakdownGene(gene, state, tree, progress);
    }
}

} // namespace helixplot
