#include "unitGeneDecoder.h"

#include "decoderText.h"

namespace helixplot {

namespace {

using Decoder = NodeId (*)(const GeneRecord&, DisplayTree&, NodeId);

// Indexed by type, then subtype; null where no kind exists.
constexpr Decoder dispatchTable[4][8] = {
    {decodeLobe, decodeOrgan, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
    {decodeReceptor, decodeEmitter, decodeReaction, decodeHalfLives, decodeInitialConcentration, nullptr, nullptr,
     nullptr},
    {decodeStimulus, decodeGenus, decodeAppearance, decodePose, decodeGait, decodeInstinct, decodePigment,
     decodePigmentBleed},
    {decodeOrgan, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
};

constexpr std::string_view stagePieces[] = {"Emb ", "Chl ", "Ado ", "You ", "Adu ", "Old ", "Sen "};

} // namespace

NodeId decodeGene(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    const auto type = gene.header.type;
    const auto subtype = gene.header.subtype;
    if (type > 3 || subtype > 7 || !dispatchTable[type][subtype])
        return NoNode;
    return dispatchTable[type][subtype](gene, tree, parent);
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
