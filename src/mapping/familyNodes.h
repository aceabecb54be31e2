// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/displayTree.h"
#include "genetics/unitGenetics.h"

#include <array>

namespace helixplot {

// The top-level family node of each gene kind in the tree being built.
// Working state of one build: entries a build does not set stay NoNode, and a
// gene whose kind has no entry is not shown.
class FamilyNodes {
public:
    FamilyNodes() { nodes_.fill(NoNode); }

    void set(GeneKind kind, NodeId node) { nodes_[indexOf(kind)] = node; }
    NodeId at(GeneKind kind) const { return nodes_[indexOf(kind)]; }
    // NoNode for a gene outside the sixteen kinds.
    NodeId of(const GeneRecord& gene) const
    {
        const std::optional<GeneKind> kind = gene.kind();
        return kind ? at(*kind) : NoNode;
    }

private:
    std::array<NodeId, GeneKindCount> nodes_;
};

} // namespace helixplot
