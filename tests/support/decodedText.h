// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the decoder and tree tests.

#include "decoder/displayTree.h"
#include "decoder/unitGeneDecoder.h"
#include "genetics/chemicalNames.h"

#include <string>

namespace helixplot::testing {

using GeneDecoder = NodeId (*)(const GeneRecord&, DisplayTree&, NodeId);

// The dump of tree, one line per node.
inline std::string dumpOf(const DisplayTree& tree)
{
    std::string out;
    dumpTree(tree, out, "\n");
    return out;
}

// What decoder (decodeGene unless told) makes of gene, one line per node.
inline std::string decodedText(const GeneRecord& gene, GeneDecoder decoder = decodeGene)
{
    DisplayTree tree;
    decoder(gene, tree, tree.root());
    return dumpOf(tree);
}

// ChemicalNames is global: a test names the chemicals it needs and this puts
// the table back afterwards.
class ScopedChemicalNames {
public:
    ScopedChemicalNames() : saved_(ChemicalNames) {}
    ~ScopedChemicalNames() { ChemicalNames = saved_; }
    ScopedChemicalNames(const ScopedChemicalNames&) = delete;
    ScopedChemicalNames& operator=(const ScopedChemicalNames&) = delete;

private:
    ChemicalNameTable saved_;
};

} // namespace helixplot::testing
