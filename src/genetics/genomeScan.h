// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "unitGenetics.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace helixplot {

// Where the reader puts a gene it has just read.
enum class GenePlace : std::uint8_t {
    Loose,    // among the genome's loose genes
    NewOrgan, // as the gene of a new organ (brain organs included)
    Attached, // to an organ read before it
};

struct GeneSlot {
    GenePlace place = GenePlace::Loose;
    // The organ's position among the organs, for NewOrgan and Attached.
    std::size_t organ = 0;
};

// The genome reader's one pass over a file, without keeping what it reads:
// visit(const GeneRecord&, GeneSlot) is called for each gene in file order.
// The record lives only for the call; its body past the kind's length is
// zero, as in a stored record. Errors are the reader's, raised at the same
// byte. Source is a ByteSource, or a class derived from one, so that calls
// on a final class need no virtual dispatch.
template <typename Source, typename Visit> void scanGenome(Source& source, Visit&& visit)
{
    std::uint8_t magic[4];
    source.readExact(magic, 4);
    if (std::memcmp(magic, GenomeMagic.data(), 4) != 0)
        throw GeneticsError(BadGeneFileMessage);

    constexpr std::size_t none = SIZE_MAX;
    std::size_t organs = 0;
    std::size_t currentOrgan = none;
    std::size_t currentBrainOrgan = none;
    GeneRecord gene{};
    auto attachedTo = [](std::size_t organ) {
        return organ == none ? GeneSlot{} : GeneSlot{GenePlace::Attached, organ};
    };

    while (!source.atEnd()) {
        source.readExact(gene.marker.data(), 4);
        if (gene.hasMarker("gend"))
            break;
        source.readExact(reinterpret_cast<std::uint8_t*>(&gene.header), sizeof gene.header);
        if (!gene.isGene())
            throw GeneticsError(BadGeneMessage);
        const std::size_t length = bodyLength(gene.header.type, gene.header.subtype);
        source.readExact(gene.body.data(), length);

        GeneSlot slot;
        const std::optional<GeneKind> kind = gene.kind();
        if (kind == GeneKind::Organ) {
            slot = {GenePlace::NewOrgan, organs};
            currentOrgan = organs++;
        } else if (kind == GeneKind::BrainOrgan) {
            slot = {GenePlace::NewOrgan, organs};
            currentOrgan = currentBrainOrgan = organs++;
        } else if (kind == GeneKind::BrainLobe) {
            slot = attachedTo(currentBrainOrgan);
        } else if (kind == GeneKind::Receptor || kind == GeneKind::Emitter || kind == GeneKind::Reaction) {
            slot = attachedTo(currentOrgan);
        }
        visit(static_cast<const GeneRecord&>(gene), slot);
        std::fill_n(gene.body.data(), length, std::uint8_t{0});
    }
}

} // namespace helixplot
