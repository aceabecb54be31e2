// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "pedigreeLayout.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace helixplot {

// A census's parent links with each creature's children, made once per
// census so that the pedigree of one creature costs only what it shows.
class FamilyLinks {
public:
    FamilyLinks() = default;
    explicit FamilyLinks(std::vector<PedigreeNode> nodes);

    std::size_t size() const { return nodes_.size(); }
    bool shown(std::size_t node) const { return node < nodes_.size() && nodes_[node].shown; }
    // A parent that is shown and not the creature itself; none otherwise.
    std::optional<std::size_t> mother(std::size_t node) const { return parent(node, nodes_[node].mother); }
    std::optional<std::size_t> father(std::size_t node) const { return parent(node, nodes_[node].father); }
    // Shown children in node order, each once.
    std::span<const std::size_t> children(std::size_t node) const
    {
        return {children_.data() + start_[node], start_[node + 1] - start_[node]};
    }

private:
    std::optional<std::size_t> parent(std::size_t node, std::optional<std::size_t> p) const
    {
        return p && *p != node && shown(*p) ? p : std::nullopt;
    }
    std::vector<PedigreeNode> nodes_;
    std::vector<std::size_t> start_, children_;
};

struct FocusedOptions {
    int above = 3; // generations of ancestors
    int below = 2; // generations of descendants
    // Sizes in pixels, large enough for a name at 100 %.
    double boxWidth = 140;
    double boxHeight = 44;
    double boxGap = 14;
    double layerGap = 50;
};

enum class FocusedRole : unsigned char { Focus, Ancestor, Descendant, Mate };

struct FocusedBox {
    std::size_t node = 0;
    // Generations from the focus: negative above, positive below.
    int generation = 0;
    FocusedRole role = FocusedRole::Focus;
    double x = 0; // top-left corner; the focus's centre is at x 0, its top at y 0
    double y = 0;
};

// A parent's box above (or, in an interbred family, beside) a child's.
struct FocusedLine {
    std::size_t parent = 0; // indices into the boxes
    std::size_t child = 0;
};

struct FocusedPedigree {
    std::optional<std::size_t> focus; // none: nothing shown
    std::vector<FocusedBox> boxes;    // by generation, then left to right
    std::vector<FocusedLine> lines;
    double left = 0, top = 0, right = 0, bottom = 0; // the boxes' bounds

    // The box of a node, if it is shown.
    std::optional<std::size_t> boxOf(std::size_t node) const;
};

// One creature's family: its ancestors up to options.above generations
// (each at its nearest generation, mother left of father), its descendants
// down to options.below, and beside the focus and each descendant whose
// children are shown the other parents of those children (mates). No box
// overlaps another; each creature is shown once, however interbred or
// looped the names. A focus not shown gives an empty pedigree.
FocusedPedigree focusedPedigree(const FamilyLinks& links, std::size_t focus, const FocusedOptions& options = {});

// After the census changed, the creatures of before that are still shown at
// the same generation (nodeNow maps before's nodes to now's) return to their
// places, and the new ones go to the right end of their generation, so that
// the family does not jump about. Only for the same focus.
void keepPlaces(FocusedPedigree& now, const FocusedPedigree& before,
                const std::vector<std::optional<std::size_t>>& nodeNow, const FocusedOptions& options = {});

// Each of before's rows mapped to the row of the same file in now.
std::vector<std::optional<std::size_t>> rowsCarriedOver(const std::vector<std::string>& before,
                                                        const std::vector<std::string>& now);

} // namespace helixplot
