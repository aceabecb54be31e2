// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/pedigreeLayout.h"
#include "bredPedigree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace helixplot {
namespace {

bool overlap(const PedigreeBox& a, const PedigreeBox& b, const PedigreeOptions& o)
{
    return std::abs(a.x - b.x) < o.boxWidth && std::abs(a.y - b.y) < o.boxHeight;
}

// Couples (both parents, one generation) whose boxes stand side by side.
std::pair<std::size_t, std::size_t> matesSideBySide(const std::vector<PedigreeNode>& nodes,
                                                    const PedigreeLayout& layout, const PedigreeOptions& o)
{
    std::size_t couples = 0, adjacent = 0;
    for (const PedigreeNode& node : nodes) {
        if (!node.mother || !node.father)
            continue;
        const PedigreeBox& a = layout.boxes[*node.mother];
        const PedigreeBox& b = layout.boxes[*node.father];
        if (a.layer != b.layer)
            continue;
        ++couples;
        adjacent += a.y == b.y && std::abs(std::abs(a.x - b.x) - o.boxWidth - o.boxGap) < 1e-6;
    }
    return {adjacent, couples};
}

struct Population {
    const char* name;
    int founders, rounds, perRound;
};

void PrintTo(const Population& p, std::ostream* out)
{
    *out << p.name;
}

class PedigreeOfPopulation : public ::testing::TestWithParam<Population> {};

TEST_P(PedigreeOfPopulation, KeepsBoxesApartParentsAboveMatesTogetherAndFewCrossings)
{
    const Population p = GetParam();
    const std::vector<PedigreeNode> nodes = testing::bredPedigree(p.founders, p.rounds, p.perRound);
    const PedigreeOptions options;
    const PedigreeLayout layout = layoutPedigree(nodes, options);
    ASSERT_EQ(layout.boxes.size(), nodes.size());

    for (std::size_t a = 0; a < nodes.size(); ++a)
        for (std::size_t b = a + 1; b < nodes.size(); ++b)
            ASSERT_FALSE(overlap(layout.boxes[a], layout.boxes[b], options)) << a << " and " << b;

    std::size_t links = 0;
    for (const PedigreeNode& node : nodes)
        links += (node.mother ? 1 : 0) + (node.father ? 1 : 0);
    ASSERT_EQ(layout.edges.size(), links);
    for (const PedigreeEdge& e : layout.edges) {
        const PedigreeBox& parent = layout.boxes[e.parent];
        const PedigreeBox& child = layout.boxes[e.child];
        EXPECT_LE(parent.y + options.boxHeight, child.y) << e.parent << " over " << e.child;
        EXPECT_LT(parent.layer, child.layer);
        ASSERT_GE(e.points.size(), 2u);
        EXPECT_EQ(e.points.front().x, parent.x + options.boxWidth / 2);
        EXPECT_EQ(e.points.back().y, child.y);
    }
    EXPECT_LE(layout.width, options.targetWidth + options.boxWidth);

    // Against one pass of plain barycentres, the order the report drew before.
    PedigreeOptions plain = options;
    plain.sweeps = 1;
    plain.exchanges = 0;
    plain.matesAdjacent = false;
    const PedigreeLayout baseline = layoutPedigree(nodes, plain);
    const auto [adjacent, couples] = matesSideBySide(nodes, layout, options);
    const auto [adjacentBefore, couplesBefore] = matesSideBySide(nodes, baseline, plain);
    std::cout << p.name << ": " << nodes.size() << " creatures, " << layout.lineages << " lineages, " << layout.width
              << " x " << layout.height << " px, " << layout.crossings << " crossings (baseline " << baseline.crossings
              << "), mates side by side " << adjacent << " of " << couples << " (baseline " << adjacentBefore << ")\n";
    EXPECT_LE(layout.crossings, baseline.crossings);
    EXPECT_GT(adjacent, adjacentBefore);
    EXPECT_GE(adjacent * 3, couples);
}

INSTANTIATE_TEST_SUITE_P(Bred, PedigreeOfPopulation,
                         ::testing::Values(Population{"small", 6, 4, 8}, Population{"deep", 10, 11, 90},
                                           Population{"manyFounders", 1400, 1, 701}),
                         [](const auto& info) { return std::string(info.param.name); });

// Small pedigrees with every position known.
TEST(PedigreeLayout, Shapes)
{
    struct Case {
        const char* name;
        std::vector<PedigreeNode> nodes;
        std::vector<int> layers;
        std::size_t edges, lineages, crossings;
    };
    const std::size_t Far = 99;
    const std::vector<Case> cases = {
        {"couple and child", {{}, {}, {0, 1}}, {0, 0, 1}, 2, 1, 0},
        // b's mother is c, c's mother is b: the line closing the loop goes.
        {"loop", {{}, {2, 0}, {1, {}}}, {0, 1, 2}, 2, 1, 0},
        {"self, unknown and hidden parents", {{0, Far}, {2, {}}, {{}, {}, false}}, {0, 0, -1}, 0, 2, 0},
        {"grandparent across a generation", {{}, {}, {0, 1}, {2, 0}}, {0, 0, 1, 2}, 4, 1, 0},
        {"empty", {}, {}, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const PedigreeLayout layout = layoutPedigree(c.nodes);
        std::vector<int> layers;
        for (const PedigreeBox& box : layout.boxes)
            layers.push_back(box.layer);
        EXPECT_EQ(layers, c.layers);
        EXPECT_EQ(layout.edges.size(), c.edges);
        EXPECT_EQ(layout.lineages, c.lineages);
        EXPECT_EQ(layout.crossings, c.crossings);
    }
}

TEST(PedigreeLayout, ChildCentredBeneathItsParentsSideBySide)
{
    const PedigreeOptions o;
    const PedigreeLayout layout = layoutPedigree({{}, {}, {0, 1}}, o);
    const PedigreeBox &mother = layout.boxes[0], &father = layout.boxes[1], &child = layout.boxes[2];
    EXPECT_EQ(mother.y, father.y);
    EXPECT_DOUBLE_EQ(std::abs(mother.x - father.x), o.boxWidth + o.boxGap);
    EXPECT_DOUBLE_EQ(child.x, (mother.x + father.x) / 2);
    EXPECT_DOUBLE_EQ(child.y, o.boxHeight + o.layerGap);
    EXPECT_DOUBLE_EQ(layout.width, 2 * o.boxWidth + o.boxGap);
    EXPECT_DOUBLE_EQ(layout.height, 2 * o.boxHeight + o.layerGap);
}

// The line that passes a generation bends around it there.
TEST(PedigreeLayout, LongLineBendsThroughTheGenerationsBetween)
{
    const PedigreeOptions o;
    const PedigreeLayout layout = layoutPedigree({{}, {}, {0, 1}, {2, 0}}, o);
    const auto line = std::find_if(layout.edges.begin(), layout.edges.end(),
                                   [](const PedigreeEdge& e) { return e.parent == 0 && e.child == 3; });
    ASSERT_NE(line, layout.edges.end());
    ASSERT_EQ(line->points.size(), 4u);
    EXPECT_EQ(line->points[1].y, layout.boxes[2].y);
    EXPECT_EQ(line->points[2].y, layout.boxes[2].y + o.boxHeight);
    EXPECT_EQ(line->points[1].x, line->points[2].x);
}

} // namespace
} // namespace helixplot
