// SPDX-License-Identifier: GPL-3.0-or-later
// Every gene of every sample genome decodes, into the number of lines its
// kind and bytes call for.
#include "decoder/unitGeneDecoder.h"
#include "genetics/unitGenetics.h"

#include <gtest/gtest.h>

#include <bit>
#include <filesystem>
#include <map>

namespace helixplot {
namespace {

int bit(bool set)
{
    return set ? 1 : 0;
}

// Lines (the top line included) a gene of this kind decodes into.
std::size_t expectedLines(const GeneRecord& g)
{
    const auto& b = g.body;
    const int flags = b[7];
    switch (g.header.type * 8 + g.header.subtype) {
    case 0: // brain lobe: 4 lines, the cell body group, 2 x 19 dendrite lines
        return 4 + 5 + bit(b[21] != 0) + 2 * 19;
    case 1: // brain organ
        return 6;
    case 8: // receptor
        return 6 + std::popcount(unsigned(flags & 3));
    case 9: // emitter
        return 6 + std::popcount(unsigned(flags & 7));
    case 10: { // reaction
        const bool reactants = b[1] || b[3];
        const bool products = b[5] || b[7];
        return 2 + bit(reactants) + bit(b[1] && b[0]) + bit(b[3] && b[2]) + bit(products) + bit(b[5] && b[4]) +
               bit(b[7] && b[6]);
    }
    case 11: // half-lives
        return 257;
    case 16: // stimulus
        return 5 + std::popcount(unsigned(b[4] & 7)) + bit(b[5]) + bit(b[7]) + bit(b[9]) + bit(b[11]);
    case 21: // instinct
        return 3 + bit(b[0]) + bit(b[2]) + bit(b[4]);
    case 24: // organ
        return 8;
    default: // one line each
        return 1;
    }
}

TEST(DecodeSamples, EveryGeneDecodesIntoItsLines)
{
    const std::filesystem::path samples = std::filesystem::path(HELIXPLOT_SOURCE_DIR) / "samples";
    std::size_t genomes = 0;
    std::map<int, std::size_t> kindsSeen;
    for (const auto& entry : std::filesystem::directory_iterator(samples)) {
        if (entry.path().extension() != ".gen")
            continue;
        ++genomes;
        SCOPED_TRACE(entry.path().filename().string());
        const TGeneticsFile genome(entry.path().string());
        genome.forEachGene([&](const GeneRecord& gene) {
            DisplayTree tree;
            const NodeId parent = tree.appendTopLevel("parent");
            const NodeId top = decodeGene(gene, tree, parent);
            ASSERT_NE(top, NoNode);
            EXPECT_EQ(tree.childAt(parent, 0), top);
            EXPECT_EQ(tree.childCount(parent), 1u);
            const std::string header = geneHeaderLine(gene);
            EXPECT_EQ(tree.text(top).substr(0, header.size()), header);
            EXPECT_EQ(tree.nodeCount() - 1, expectedLines(gene))
                << "kind " << int(gene.header.type) << "," << int(gene.header.subtype);
            ++kindsSeen[gene.header.type * 8 + gene.header.subtype];
        });
    }
    EXPECT_GE(genomes, 5u);
    EXPECT_EQ(kindsSeen.size(), 16u);
}

} // namespace
} // namespace helixplot
