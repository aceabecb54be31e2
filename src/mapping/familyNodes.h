#pragma once

#include "decoder/displayTree.h"
#include "genetics/unitGenetics.h"

#include <array>
#include <cstdint>

namespace helixplot {

// The top-level family node of each gene kind, by type 0-3 and subtype 0-7,
// in the tree being built. Working state of one build: entries a build does
// not set stay NoNode, and a gene whose kind has no entry is not shown.
class FamilyNodes {
public:
    FamilyNodes() { clear(); }

    void clear()
    {
        for (auto& row : nodes_)
            row.fill(NoNode);
    }
    void set(std::uint8_t type, std::uint8_t subtype, NodeId node) { nodes_.at(type).at(subtype) = node; }
    NodeId at(std::uint8_t type, std::uint8_t subtype) const
    {
        return type < nodes_.size() && subtype < nodes_[0].size() ? nodes_[type][subtype] : NoNode;
    }
    NodeId of(const GeneRecord& gene) const { return at(gene.header.type, gene.header.subtype); }

private:
    std::array<std::array<NodeId, 8>, 4> nodes_;
};

// One family node: its kind and its text.
struct FamilyNodeSpec {
    std::uint8_t type;
    std::uint8_t subtype;
    std::string_view text;
};

} // namespace helixplot
