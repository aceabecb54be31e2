// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace helixplot {

struct Census;

// One creature of a pedigree; its parents are indices into the same list.
struct PedigreeNode {
    std::optional<std::size_t> mother;
    std::optional<std::size_t> father;
    // A node not shown gets no box and no lines (a file that did not load).
    bool shown = true;
};

struct PedigreeOptions {
    // Sizes in pixels.
    double boxWidth = 84;
    double boxHeight = 34;
    double boxGap = 12;     // between neighbours in a row
    double layerGap = 46;   // between generations
    double rowGap = 10;     // between the rows a wide generation is wrapped into
    double lineageGap = 40; // between lineages packed side by side or above each other
    // Lineages are packed into rows of about this width, and a lineage wider
    // than it has its generations wrapped into rows.
    double targetWidth = 1800;
    // Crossing-reduction passes over the generations, alternately down and up;
    // the order with the fewest crossings seen is kept.
    int sweeps = 12;
    // Then rounds of swapping neighbouring creatures (or mates together)
    // wherever that removes crossings.
    int exchanges = 8;
    // Parents of the same children kept side by side as far as the other
    // pairs allow.
    bool matesAdjacent = true;
};

struct PedigreePoint {
    double x = 0;
    double y = 0;
};

struct PedigreeBox {
    double x = 0; // top-left corner
    double y = 0;
    // The generation: 0 without a parent shown, else one more than the
    // deepest parent's. -1 for a node not shown.
    int layer = -1;
    // The connected family (lineage) it belongs to, numbered by their first node.
    std::size_t lineage = 0;
};

// A line from a parent's box to a child's box.
struct PedigreeEdge {
    std::size_t parent = 0;
    std::size_t child = 0;
    // The polyline: the parent's bottom centre, bends past the generations
    // in between (two points per generation), the child's top centre.
    std::vector<PedigreePoint> points;
};

struct PedigreeLayout {
    std::vector<PedigreeBox> boxes; // one per node
    std::vector<PedigreeEdge> edges;
    double width = 0;
    double height = 0;
    // Crossings between the lines of neighbouring generations in the order
    // found, before wide generations are wrapped.
    std::size_t crossings = 0;
    std::size_t lineages = 0;
};

// Generations top to bottom, parents above their children, mates side by
// side, lineages packed into rows. An edge that would make a creature its
// own ancestor is left out.
PedigreeLayout layoutPedigree(const std::vector<PedigreeNode>& nodes, const PedigreeOptions& options = {});

// The lefts of a row's boxes, as close to the wanted ones (least squares)
// as keeping their order and the gaps of the row packed tight allows
// (offset[i]: where box i stands in the row packed tight from 0).
std::vector<double> placeInOrder(const std::vector<double>& wanted, const std::vector<double>& offset);

// One node per census row, in row order; rows that did not load not shown.
std::vector<PedigreeNode> pedigreeNodes(const Census& census);

} // namespace helixplot
