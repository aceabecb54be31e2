// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/displayTree.h"
#include "familyNodes.h"
#include "genetics/unitGenetics.h"
#include "progress.h"

#include <array>

namespace helixplot {

// Working state of one breakdown build.
struct BreakdownState {
    FamilyNodes families;
    // The node of the organ or brain organ placed last.
    NodeId CurrentOrganNode = NoNode;
    // Where that organ's lobes, receptors, emitters and reactions go. Groups
    // the organ's decoded node lacks are added when first needed: a brain
    // organ gets "Receptors", "Emitters" and "Reactions" together.
    std::array<NodeId, 4> currentOrganGroups{NoNode, NoNode, NoNode, NoNode};
    int position = 0;
};

// Clears tree and appends the sixteen family nodes.
BreakdownState startBreakdown(DisplayTree& tree);

// Clears tree and shows genome in it: the sixteen family nodes, every gene
// decoded under its family or its organ, one progress position per gene
// (1 to the genome's gene count). The caller has begun stage 5.
void buildBreakdownTree(const TGeneticsFile& genome, DisplayTree& tree, ProgressReporter& progress);

// Places one gene. A kind outside the sixteen known ones adds nothing (but
// still counts a position) and leaves the current organ as it is.
void placeBreakdownGene(const GeneRecord& gene, BreakdownState& state, DisplayTree& tree, ProgressReporter& progress);

} // namespace helixplot
