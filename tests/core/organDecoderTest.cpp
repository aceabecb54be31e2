// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodedText.h"
#include "decoder/unitGeneDecoder.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::makeGene;

std::string decodeToText(const GeneRecord& gene)
{
    return testing::decodedText(gene);
}

TEST(OrganDecoder, DecodesWholeOrgan)
{
    GeneFields fields;
    fields.id = 2;
    fields.flags = 0x10;
    fields.lifeStage = 1;
    fields.headerValue = 7;
    EXPECT_EQ(decodeToText(makeGene(GeneKind::Organ, fields, {30, 40, 50, 60, 70})), "02 F Chl ---/---/--- 7 Heart\n"
                                                                                     " Receptors\n"
                                                                                     " Emitters\n"
                                                                                     " Reactions\n"
                                                                                     " ClockRate: 30\n"
                                                                                     " Lifeforce Repair Rate: 40\n"
                                                                                     " Biotick Start Value: 50\n"
                                                                                     " ATP Damage Coefficient: 60\n");
}

TEST(OrganDecoder, DecodesWholeBrainOrgan)
{
    GeneFields fields;
    fields.id = 0x2C;
    fields.flags = 0x21;
    fields.lifeStage = 0;
    fields.headerValue = 9;
    EXPECT_EQ(decodeToText(makeGene(GeneKind::BrainOrgan, fields, {1, 2, 3, 4, 5})),
              "2C - Emb mut/---/--- (9) <<<THE BRAIN>>>\n"
              " Lobes\n"
              " ClockRate: 1\n"
              " Lifeforce Repair Rate: 2\n"
              " Biotick Start Value: 3\n"
              " ATP Damage Coefficient: 4\n");
}

TEST(OrganDecoder, UnknownIdTitles)
{
    DisplayTree tree;
    EXPECT_EQ(tree.text(decodeGene(makeGene(GeneKind::Organ, 0), tree, tree.root())),
              "00 - Emb ---/---/--- 0 Unknown Organ ID=0");
    EXPECT_EQ(tree.text(decodeGene(makeGene(GeneKind::Organ, 21), tree, tree.root())),
              "15 - Emb ---/---/--- 0 Unknown Organ ID=21");
    EXPECT_EQ(tree.text(decodeGene(makeGene(GeneKind::Organ, 255), tree, tree.root())),
              "FF - Emb ---/---/--- 0 Unknown Organ ID=255");
}

TEST(OrganDecoder, BrainIsTitledTheSameWhateverItsId)
{
    for (unsigned id : {0u, 2u, 20u, 21u, 255u}) {
        SCOPED_TRACE(id);
        DisplayTree tree;
        const NodeId top = decodeGene(makeGene(GeneKind::BrainOrgan, static_cast<std::uint8_t>(id)), tree, tree.root());
        static constexpr char hex[] = "0123456789ABCDEF";
        const std::string expected = std::string{hex[id >> 4], hex[id & 15]} + " - Emb ---/---/--- 0 <<<THE BRAIN>>>";
        EXPECT_EQ(tree.text(top), expected);
    }
}

// The breakdown finds the group nodes by position: they must come first, in
// this order, and be empty.
TEST(OrganDecoder, GroupNodesLeadAndAreEmpty)
{
    const struct {
        std::uint8_t type;
        std::uint8_t subtype;
        std::vector<std::string> groups;
    } cases[] = {
        {3, 0, {"Receptors", "Emitters", "Reactions"}},
        {0, 1, {"Lobes"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.groups.front());
        DisplayTree tree;
        const NodeId parent = tree.appendTopLevel("Organs");
        tree.addChild(parent, "earlier");
        const NodeId top = decodeGene(makeGene(c.type, c.subtype, 5, {1, 2, 3, 4, 5}), tree, parent);
        ASSERT_NE(top, NoNode);
        EXPECT_EQ(tree.parent(top), parent);
        EXPECT_EQ(tree.row(top), 1u);
        ASSERT_EQ(tree.childCount(top), c.groups.size() + 4);
        for (std::size_t i = 0; i < c.groups.size(); ++i) {
            EXPECT_EQ(tree.text(tree.childAt(top, i)), c.groups[i]);
            EXPECT_EQ(tree.childCount(tree.childAt(top, i)), 0u);
        }
        EXPECT_EQ(tree.text(tree.childAt(top, c.groups.size())), "ClockRate: 1");
    }
}

TEST(OrganDecoder, ValueLinesShowWholeByteRange)
{
    const struct {
        std::vector<std::uint8_t> body;
        std::vector<std::string> lines;
    } cases[] = {
        {{0, 0, 0, 0, 0},
         {"ClockRate: 0", "Lifeforce Repair Rate: 0", "Biotick Start Value: 0", "ATP Damage Coefficient: 0"}},
        {{255, 255, 255, 255, 255},
         {"ClockRate: 255", "Lifeforce Repair Rate: 255", "Biotick Start Value: 255", "ATP Damage Coefficient: 255"}},
        {{8, 100, 9, 10, 77},
         {"ClockRate: 8", "Lifeforce Repair Rate: 100", "Biotick Start Value: 9", "ATP Damage Coefficient: 10"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.front());
        DisplayTree tree;
        const NodeId top = decodeGene(makeGene(GeneKind::Organ, 7, c.body), tree, tree.root());
        ASSERT_EQ(tree.childCount(top), 7u);
        for (std::size_t i = 0; i < 4; ++i)
            EXPECT_EQ(tree.text(tree.childAt(top, 3 + i)), c.lines[i]);
    }
}

} // namespace
} // namespace helixplot
