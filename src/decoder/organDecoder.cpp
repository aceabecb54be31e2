// SPDX-License-Identifier: GPL-3.0-or-later
#include "unitGeneDecoder.h"

#include <array>

namespace helixplot {

namespace {

constexpr std::array<std::string_view, 20> OrganNames = {
    "CNS: Drive Lobe Support",
    "Heart",
    "Lung",
    "Liver",
    "Pancreas Beta Cells",
    "Pancreas Alpha Cells",
    "Tummy",
    "CNS: Regulator Lobe Support",
    "Kidneys",
    "Bones",
    "Spleen",
    "Skin",
    "Environmental Interface",
    "Gonad",
    "CNS: Decision Lobe Support",
    "Uterus",
    "CNS: Concept Lobe Support",
    "Time's Arrow",
    "Muscle",
    "Next",
};

// Body byte 0 is the clock rate; the other three lines take bytes 1 to 3 in
// the order they are shown. Byte 4 has no line of its own.
void addValueLines(const GeneRecord& gene, DisplayTree& tree, NodeId top)
{
    tree.addChild(top, "ClockRate: " + std::to_string(gene.body[0]));
    tree.addChild(top, "Lifeforce Repair Rate: " + std::to_string(gene.body[1]));
    tree.addChild(top, "Biotick Start Value: " + std::to_string(gene.body[2]));
    tree.addChild(top, "ATP Damage Coefficient: " + std::to_string(gene.body[3]));
}

} // namespace

std::string organName(std::uint8_t id)
{
    if (id >= 1 && id <= OrganNames.size())
        return std::string(OrganNames[id - 1]);
    return "Unknown Organ ID=" + std::to_string(id);
}

NodeId decodeOrgan(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    NodeId top;
    if (gene.header.type == 0) {
        top = tree.addChild(parent, geneHeaderLine(gene) + "<<<THE BRAIN>>>");
        tree.addChild(top, "Lobes");
    } else {
        top = tree.addChild(parent, geneHeaderLine(gene) + organName(gene.header.id));
        tree.addChild(top, "Receptors");
        tree.addChild(top, "Emitters");
        tree.addChild(top, "Reactions");
    }
    addValueLines(gene, tree, top);
    return top;
}

} // namespace helixplot
