// SPDX-License-Identifier: GPL-3.0-or-later
#include "unitGeneDecoder.h"

#include "decoderText.h"

#include <array>

namespace helixplot {

namespace {

using Decoder = NodeId (*)(const GeneRecord&, DisplayTree&, NodeId);

// Indexed by GeneKind.
constexpr std::array<Decoder, GeneKindCount> Decoders = {
    decodeLobe,
    decodeOrgan,
    decodeReceptor,
    decodeEmitter,
    decodeReaction,
    decodeHalfLives,
    decodeInitialConcentration,
    decodeStimulus,
    decodeGenus,
    decodeAppearance,
    decodePose,
    decodeGait,
    decodeInstinct,
    decodePigment,
    decodePigmentBleed,
    decodeOrgan,
};

constexpr std::string_view stagePieces[] = {"Emb ", "Chl ", "Ado ", "You ", "Adu ", "Old ", "Sen "};

} // namespace

NodeId decodeGene(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const std::optional<GeneKind> kind = gene.kind();
    return kind ? Decoders[indexOf(*kind)](gene, tree, parent) : NoNode;
}

std::string geneHeaderLine(const GeneRecord& gene)
{
    const GeneHeader& h = gene.header;
    std::string line;
    line.reserve(32);
    appendHex2(line, h.id);
    line += ' ';
    if (h.flags & GeneFlags::MaleOnly)
        line += "M ";
    else if (h.flags & GeneFlags::FemaleOnly)
        line += "F ";
    else
        line += "- ";
    line += h.lifeStage < std::size(stagePieces) ? stagePieces[h.lifeStage] : "??? ";
    line += (h.flags & GeneFlags::Mutable) ? "mut/" : "---/";
    line += (h.flags & GeneFlags::Duplicable) ? "dup/" : "---/";
    line += (h.flags & GeneFlags::Deletable) ? "del " : "--- ";
    if (h.flags & GeneFlags::Carried)
        appendPieces(line, "(", h.headerValue, ") ");
    else
        appendPieces(line, h.headerValue, " ");
    return line;
}

} // namespace helixplot
