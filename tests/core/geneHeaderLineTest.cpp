// SPDX-License-Identifier: GPL-3.0-or-later
#include "decodedText.h"
#include "decoder/unitGeneDecoder.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::makeGene;

struct HeaderCase {
    std::uint8_t id;
    std::uint8_t flags;
    std::uint8_t lifeStage;
    std::uint8_t headerValue;
    std::string expected;
};

TEST(GeneHeaderLine, BuildsEveryPieceInOrder)
{
    const std::vector<HeaderCase> cases = {
        {0, 0, 0, 0, "00 - Emb ---/---/--- 0 "},
        {10, 5, 4, 128, "0A - Adu mut/dup/--- 128 "},
        {255, 0, 0, 0, "FF - Emb ---/---/--- 0 "},
        {0xAB, 0, 0, 0, "AB - Emb ---/---/--- 0 "},
        {0x3C, 0, 0, 0, "3C - Emb ---/---/--- 0 "},
        // Sex: male wins over female.
        {1, 8, 0, 0, "01 M Emb ---/---/--- 0 "},
        {1, 16, 0, 0, "01 F Emb ---/---/--- 0 "},
        {1, 24, 0, 0, "01 M Emb ---/---/--- 0 "},
        // Life stages, and any stage beyond the last.
        {2, 0, 1, 0, "02 - Chl ---/---/--- 0 "},
        {2, 0, 2, 0, "02 - Ado ---/---/--- 0 "},
        {2, 0, 3, 0, "02 - You ---/---/--- 0 "},
        {2, 0, 4, 0, "02 - Adu ---/---/--- 0 "},
        {2, 0, 5, 0, "02 - Old ---/---/--- 0 "},
        {2, 0, 6, 0, "02 - Sen ---/---/--- 0 "},
        {2, 0, 7, 0, "02 - ??? ---/---/--- 0 "},
        {2, 0, 255, 0, "02 - ??? ---/---/--- 0 "},
        // The flag pieces stand in the order bit 0, bit 2, bit 1.
        {3, 1, 0, 0, "03 - Emb mut/---/--- 0 "},
        {3, 2, 0, 0, "03 - Emb ---/---/del 0 "},
        {3, 4, 0, 0, "03 - Emb ---/dup/--- 0 "},
        {3, 7, 0, 0, "03 - Emb mut/dup/del 0 "},
        // Header value: no leading zeros; bracketed when not expressed.
        {4, 0, 0, 7, "04 - Emb ---/---/--- 7 "},
        {4, 0, 0, 100, "04 - Emb ---/---/--- 100 "},
        {4, 32, 0, 0, "04 - Emb ---/---/--- (0) "},
        {4, 32, 0, 42, "04 - Emb ---/---/--- (42) "},
        {0x10, 63, 6, 255, "10 M Sen mut/dup/del (255) "},
        // Bits 6 and 7 are not shown.
        {5, 64, 0, 0, "05 - Emb ---/---/--- 0 "},
        {5, 128, 0, 0, "05 - Emb ---/---/--- 0 "},
        {5, 192 | 16 | 1, 3, 9, "05 F You mut/---/--- 9 "},
    };
    for (const HeaderCase& c : cases) {
        SCOPED_TRACE(c.expected);
        GeneFields fields;
        fields.id = c.id;
        fields.flags = c.flags;
        fields.lifeStage = c.lifeStage;
        fields.headerValue = c.headerValue;
        fields.reserved = 0x5A; // never shown
        EXPECT_EQ(geneHeaderLine(makeGene(GeneKind::InitialConcentration, fields)), c.expected);
    }
}

TEST(GeneHeaderLine, IgnoresKindAndBody)
{
    GeneFields fields;
    fields.id = 0x7F;
    fields.flags = 9;
    fields.lifeStage = 2;
    fields.headerValue = 12;
    const std::string expected = "7F M Ado mut/---/--- 12 ";
    EXPECT_EQ(geneHeaderLine(makeGene(GeneKind::BrainLobe, fields, std::vector<std::uint8_t>(196, 0xFF))), expected);
    EXPECT_EQ(geneHeaderLine(makeGene(GeneKind::Organ, fields, {1, 2, 3, 4, 5})), expected);
    EXPECT_EQ(geneHeaderLine(makeGene(9, 9, fields)), expected);
}

TEST(GeneHeaderDispatch, UnknownKindsAddNothing)
{
    const std::vector<std::pair<int, int>> kinds = {{0, 2}, {1, 5}, {2, 8}, {3, 1}, {4, 0}, {0, 255}, {255, 0}};
    for (const auto& [type, subtype] : kinds) {
        SCOPED_TRACE(std::to_string(type) + "," + std::to_string(subtype));
        DisplayTree tree;
        const NodeId parent = tree.appendTopLevel("parent");
        const GeneRecord gene =
            makeGene(static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(subtype), GeneFields{});
        EXPECT_EQ(decodeGene(gene, tree, parent), NoNode);
        EXPECT_EQ(tree.nodeCount(), 1u);
        EXPECT_EQ(tree.childCount(parent), 0u);
    }
}

// Decodes gene as a top-level subtree of a fresh tree and returns its dump.
std::string dumpOf(testing::GeneDecoder decoder, const GeneRecord& gene)
{
    return testing::decodedText(gene, decoder);
}

TEST(GeneHeaderDispatch, EveryKnownKindGoesToItsDecoder)
{
    using Decoder = NodeId (*)(const GeneRecord&, DisplayTree&, NodeId);
    struct KindCase {
        std::uint8_t type;
        std::uint8_t subtype;
        Decoder decoder;
    };
    const std::vector<KindCase> kinds = {
        {0, 0, decodeLobe},
        {0, 1, decodeOrgan},
        {1, 0, decodeReceptor},
        {1, 1, decodeEmitter},
        {1, 2, decodeReaction},
        {1, 3, decodeHalfLives},
        {1, 4, decodeInitialConcentration},
        {2, 0, decodeStimulus},
        {2, 1, decodeGenus},
        {2, 2, decodeAppearance},
        {2, 3, decodePose},
        {2, 4, decodeGait},
        {2, 5, decodeInstinct},
        {2, 6, decodePigment},
        {2, 7, decodePigmentBleed},
        {3, 0, decodeOrgan},
    };
    std::vector<std::uint8_t> body(256);
    for (std::size_t i = 0; i < body.size(); ++i)
        body[i] = static_cast<std::uint8_t>(i * 7 + 3);
    for (const KindCase& k : kinds) {
        SCOPED_TRACE(std::to_string(k.type) + "," + std::to_string(k.subtype));
        GeneFields fields;
        fields.id = 2;
        fields.flags = 1;
        fields.lifeStage = 4;
        fields.headerValue = 9;
        const GeneRecord gene = makeGene(k.type, k.subtype, fields, body);

        DisplayTree tree;
        const NodeId parent = tree.appendTopLevel("parent");
        tree.addChild(parent, "earlier sibling");
        const NodeId top = decodeGene(gene, tree, parent);
        ASSERT_NE(top, NoNode);
        EXPECT_EQ(tree.parent(top), parent);
        EXPECT_EQ(tree.row(top), 1u);
        EXPECT_EQ(tree.childCount(parent), 2u);
        EXPECT_TRUE(tree.text(top).starts_with("02 - Adu mut/---/--- 9 "));

        EXPECT_EQ(dumpOf(decodeGene, gene), dumpOf(k.decoder, gene));
    }
}

TEST(GeneHeaderDispatch, SameGeneTwiceGivesTwoEqualSubtrees)
{
    std::vector<std::uint8_t> lobeBody(196);
    for (std::size_t i = 0; i < lobeBody.size(); ++i)
        lobeBody[i] = static_cast<std::uint8_t>(i % 13);
    const std::vector<GeneRecord> genes = {
        makeGene(GeneKind::BrainLobe, 3, lobeBody),
        makeGene(GeneKind::Receptor, 4, {1, 4, 9, 0, 10, 20, 30, 3}),
        makeGene(GeneKind::Reaction, 5, {1, 2, 3, 4, 5, 6, 7, 8, 9}),
        makeGene(GeneKind::HalfLives, 6, lobeBody),
    };
    for (const GeneRecord& gene : genes) {
        SCOPED_TRACE(static_cast<int>(gene.header.subtype));
        const std::string once = dumpOf(decodeGene, gene);
        ASSERT_FALSE(once.empty());

        DisplayTree tree;
        const NodeId first = decodeGene(gene, tree, tree.root());
        const NodeId second = decodeGene(gene, tree, tree.root());
        EXPECT_NE(first, second);
        EXPECT_EQ(tree.nextSibling(first), second);
        std::string twice;
        dumpTree(tree, twice);
        EXPECT_EQ(twice, once + once);
    }
}

} // namespace
} // namespace helixplot
