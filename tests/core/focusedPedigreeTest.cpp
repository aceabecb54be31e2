// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/focusedPedigree.h"
#include "bredPedigree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace helixplot {
namespace {

constexpr int No = -1;

std::vector<PedigreeNode> family(std::initializer_list<std::pair<int, int>> parents)
{
    std::vector<PedigreeNode> nodes;
    for (auto [m, f] : parents) {
        PedigreeNode node;
        if (m != No)
            node.mother = static_cast<std::size_t>(m);
        if (f != No)
            node.father = static_cast<std::size_t>(f);
        nodes.push_back(node);
    }
    return nodes;
}

// Node to generation, as drawn.
std::map<std::size_t, int> generations(const FocusedPedigree& p)
{
    std::map<std::size_t, int> out;
    for (const FocusedBox& box : p.boxes)
        out[box.node] = box.generation;
    return out;
}

// What every focused pedigree must be: boxes apart, one per creature, each
// generation on its own level, lines between shown boxes.
void expectWellFormed(const FocusedPedigree& p, const FocusedOptions& o)
{
    std::set<std::size_t> nodes;
    for (std::size_t a = 0; a < p.boxes.size(); ++a) {
        ASSERT_TRUE(nodes.insert(p.boxes[a].node).second) << "node " << p.boxes[a].node << " twice";
        EXPECT_DOUBLE_EQ(p.boxes[a].y, p.boxes[a].generation * (o.boxHeight + o.layerGap));
        for (std::size_t b = a + 1; b < p.boxes.size(); ++b)
            ASSERT_FALSE(std::abs(p.boxes[a].x - p.boxes[b].x) < o.boxWidth &&
                         std::abs(p.boxes[a].y - p.boxes[b].y) < o.boxHeight)
                << p.boxes[a].node << " overlaps " << p.boxes[b].node;
    }
    for (const FocusedLine& line : p.lines)
        ASSERT_TRUE(line.parent < p.boxes.size() && line.child < p.boxes.size());
}

struct Case {
    const char* name;
    std::vector<PedigreeNode> nodes;
    std::size_t focus;
    int above, below;
    std::map<std::size_t, int> expected; // node: generation
    std::size_t lines;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

class FocusedFamily : public ::testing::TestWithParam<Case> {};

TEST_P(FocusedFamily, ShowsExactlyTheGenerationsAskedFor)
{
    const Case& c = GetParam();
    FocusedOptions o;
    o.above = c.above;
    o.below = c.below;
    const FocusedPedigree p = focusedPedigree(FamilyLinks(c.nodes), c.focus, o);
    EXPECT_EQ(generations(p), c.expected);
    EXPECT_EQ(p.lines.size(), c.lines);
    expectWellFormed(p, o);
    if (const auto focus = p.boxOf(c.focus)) {
        EXPECT_DOUBLE_EQ(p.boxes[*focus].x + o.boxWidth / 2, 0);
        for (const FocusedBox& box : p.boxes)
            EXPECT_EQ(box.generation < 0, box.role == FocusedRole::Ancestor) << box.node;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Families, FocusedFamily,
    ::testing::Values(
        // 0,1 grandparents of 2 with 3 (mate); 4,5 their children; 6 a grandchild.
        Case{"ThreeGenerations",
             family({{No, No}, {No, No}, {0, 1}, {No, No}, {2, 3}, {2, 3}, {4, No}}),
             2,
             3,
             2,
             {{0, -1}, {1, -1}, {2, 0}, {3, 0}, {4, 1}, {5, 1}, {6, 2}},
             7},
        Case{"CutAtOneGenerationEachWay",
             family({{No, No}, {No, No}, {0, 1}, {No, No}, {2, 3}, {2, 3}, {4, No}, {No, No}, {7, 0}}),
             2,
             0,
             1,
             {{2, 0}, {3, 0}, {4, 1}, {5, 1}},
             4},
        Case{"UnknownParents", family({{No, No}, {0, No}}), 0, 3, 2, {{0, 0}, {1, 1}}, 1},
        Case{"SelfNamedParent", family({{0, 0}, {0, No}}), 0, 3, 2, {{0, 0}, {1, 1}}, 1},
        // 1 is 0's mother and its daughter at once.
        Case{"LoopOfNames", family({{1, No}, {0, No}}), 0, 3, 2, {{0, 0}, {1, -1}}, 2},
        // Father 0 is also the mother's father: shown once, at the nearest generation.
        Case{
            "Interbred", family({{No, No}, {0, No}, {1, 0}, {2, No}}), 3, 3, 2, {{0, -2}, {1, -2}, {2, -1}, {3, 0}}, 4},
        // 2 mated with its own mother 1: she is drawn as an ancestor, not again as a mate.
        Case{"MatedWithAParent",
             family({{No, No}, {No, No}, {1, 0}, {1, 2}}),
             2,
             1,
             1,
             {{0, -1}, {1, -1}, {2, 0}, {3, 1}},
             4},
        Case{"FocusNotShown", family({{No, No}}), 5, 3, 2, {}, 0}));

// Shown at generation g: within g parent steps above, or g child steps below.
std::map<std::size_t, int> reachable(const std::vector<PedigreeNode>& nodes, std::size_t focus, int above, int below)
{
    const FamilyLinks links(nodes);
    std::map<std::size_t, int> out{{focus, 0}};
    std::vector<std::size_t> level{focus};
    for (int g = 1; g <= above; ++g) {
        std::vector<std::size_t> next;
        for (std::size_t n : level)
            for (const auto& p : {links.mother(n), links.father(n)})
                if (p && out.emplace(*p, -g).second)
                    next.push_back(*p);
        level = next;
    }
    level = {focus};
    for (int g = 1; g <= below; ++g) {
        std::vector<std::size_t> next;
        for (std::size_t n : level)
            for (std::size_t c : links.children(n))
                if (out.emplace(c, g).second)
                    next.push_back(c);
        level = next;
    }
    return out;
}

TEST(FocusedPedigree, BredPopulationShowsExactlyItsFamilyApartWithMatesAdjacent)
{
    const std::vector<PedigreeNode> nodes = testing::bredPedigree(6, 12, 40);
    const FamilyLinks links(nodes);
    const FocusedOptions o;
    for (std::size_t focus : {std::size_t{0}, std::size_t{150}, std::size_t{300}, nodes.size() - 1}) {
        SCOPED_TRACE(focus);
        const FocusedPedigree p = focusedPedigree(links, focus, o);
        expectWellFormed(p, o);
        std::map<std::size_t, int> others;
        for (const FocusedBox& box : p.boxes)
            if (box.role != FocusedRole::Mate)
                others[box.node] = box.generation;
        EXPECT_EQ(others, reachable(nodes, focus, o.above, o.below));
        // A mate stands right of its partner, or right of its partner's other mates.
        for (std::size_t b = 0; b < p.boxes.size(); ++b)
            if (p.boxes[b].role == FocusedRole::Mate) {
                ASSERT_GT(b, 0u);
                EXPECT_EQ(p.boxes[b - 1].generation, p.boxes[b].generation);
                EXPECT_NE(p.boxes[b - 1].role, FocusedRole::Ancestor);
            }
    }
}

TEST(FocusedPedigree, KeepsPlacesOfUnchangedCreaturesAfterTheCensusChanged)
{
    // Files before and after: a new child "b2" of the focus is written, "c9"
    // is removed, and the rows move.
    const std::vector<std::string> before{"a0", "a1", "b1", "c1", "c9"};
    const std::vector<std::string> now{"a0", "a1", "b1", "b2", "c1"};
    const auto nodeNow = rowsCarriedOver(before, now);
    ASSERT_EQ(nodeNow, (std::vector<std::optional<std::size_t>>{0, 1, 2, 4, std::nullopt}));

    const FocusedOptions o;
    const auto old = focusedPedigree(FamilyLinks(family({{No, No}, {No, No}, {0, 1}, {2, No}, {2, No}})), 2, o);
    const auto nodes = family({{No, No}, {No, No}, {0, 1}, {2, No}, {2, No}});
    FocusedPedigree fresh = focusedPedigree(FamilyLinks(nodes), 2, o);
    keepPlaces(fresh, old, nodeNow, o);
    expectWellFormed(fresh, o);
    for (const FocusedBox& was : old.boxes) {
        if (!nodeNow[was.node])
            continue;
        const auto at = fresh.boxOf(*nodeNow[was.node]);
        ASSERT_TRUE(at) << was.node;
        EXPECT_EQ(fresh.boxes[*at].x, was.x) << was.node;
        EXPECT_EQ(fresh.boxes[*at].y, was.y) << was.node;
    }
    // The new child goes right of the kept one.
    EXPECT_GT(fresh.boxes[*fresh.boxOf(3)].x, fresh.boxes[*fresh.boxOf(4)].x);

    // Another focus is laid out afresh.
    FocusedPedigree other = focusedPedigree(FamilyLinks(nodes), 0, o);
    const FocusedPedigree copy = other;
    keepPlaces(other, old, nodeNow, o);
    EXPECT_EQ(generations(other), generations(copy));
    EXPECT_EQ(other.boxes[0].x, copy.boxes[0].x);
}

} // namespace
} // namespace helixplot
