#include "breakdownTree.h"

#include "decoder/unitGeneDecoder.h"

namespace helixplot {

const std::array<FamilyNodeSpec, 16> BreakdownFamilies = {{
    {2, 1, "Creature Genus"},
    {3, 0, "Organs"},
    {0, 1, "Brain Organs"},
    {1, 3, "Biochemical Half-Lives"},
    {1, 4, "Biochemical Initial Concentrations"},
    {2, 0, "Creature Stimuli"},
    {2, 2, "Creature Appearance"},
    {2, 3, "Creature Poses"},
    {2, 4, "Creature Gaits"},
    {2, 5, "Creature Instincts"},
    {2, 6, "Creature Pigments"},
    {2, 7, "Creature Pigment Bleeds"},
    {0, 0, "Orphaned Brain Lobes"},
    {1, 0, "Orphaned Biochemical Receptors"},
    {1, 1, "Orphaned Biochemical Emitters"},
    {1, 2, "Orphaned Biochemical Reactions"},
}};

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
    const std::uint8_t t = gene.header.type;
    const std::uint8_t s = gene.header.subtype;
    const NodeId family = state.families.at(t, s);
    if (family == NoNode)
        return; // no such kind

    if (t == 3 && s == 0) {
        enterOrgan(state, tree, decodeGene(gene, tree, family), false);
    } else if (t == 0 && s == 1) {
        enterOrgan(state, tree, decodeGene(gene, tree, family), true);
    } else if (t == 1 && s < 3) {
        const NodeId parent = state.CurrentOrganNode != NoNode ? organGroup(state, tree, ReceptorGroup + s) : family;
        decodeGene(gene, tree, parent);
    } else if (t == 0 && s == 0) {
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
    for (const FamilyNodeSpec& f : BreakdownFamilies)
        state.families.set(f.type, f.subtype, tree.appendTopLevel(f.text));
    return state;
}

void buildBreakdownTree(const TGeneticsFile& genome, DisplayTree& tree, ProgressReporter& progress)
{
    BreakdownState state = startBreakdown(tree);
    for (const GeneRecord& gene : genome.GeneList())
        placeBreakdownGene(gene, state, tree, progress);
    for (const TCOrgan& organ : genome.OrganList()) {
        placeBreakdownGene(organ.OrganGene, state, tree, progress);
        for (const GeneRecord& gene : organ.GeneList)
            placeBreakdownGene(gene, state, tree, progress);
    }
}

} // namespace helixplot
