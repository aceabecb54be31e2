// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeEdit.h"

#include "genetics/binaryFile.h"

#include <algorithm>
#include <array>

namespace helixplot {

GenomeEdit GenomeEdit::fromBytes(std::string_view bytes)
{
    GenomeEdit edit;
    std::size_t used = GenomeMagic.size();
    MemorySource source(bytes);
    scanGenome(source, [&](const GeneRecord& gene, GeneSlot) {
        edit.genes_.push_back({gene, gene});
        used += 4 + HeaderBytes + bodyLength(gene.header.type, gene.header.subtype);
    });
    edit.tail_ = std::string(bytes.substr(std::min(used, bytes.size())));
    edit.place();
    return edit;
}

void GenomeEdit::place()
{
    slots_.clear();
    organGenes_.clear();
    slots_.reserve(genes_.size());
    // The reader's own rule, run over the genome as it stands.
    const std::string all = bytes();
    MemorySource source(all);
    std::size_t index = 0;
    scanGenome(source, [&](const GeneRecord&, GeneSlot slot) {
        if (slot.place == GenePlace::NewOrgan)
            organGenes_.push_back(index);
        slots_.push_back(slot);
        ++index;
    });
}

std::optional<std::size_t> GenomeEdit::organGeneOf(std::size_t index) const
{
    if (index >= slots_.size() || slots_[index].place != GenePlace::Attached)
        return std::nullopt;
    return organGenes_[slots_[index].organ];
}

std::uint8_t GenomeEdit::byteAt(std::size_t gene, std::size_t offset) const
{
    const GeneRecord& record = genes_[gene].record;
    return offset < HeaderBytes ? reinterpret_cast<const std::uint8_t*>(&record.header)[offset]
                                : record.body[offset - HeaderBytes];
}

void GenomeEdit::setByte(std::size_t gene, std::size_t offset, std::uint8_t value)
{
    GeneRecord& record = genes_[gene].record;
    if (offset < HeaderBytes)
        reinterpret_cast<std::uint8_t*>(&record.header)[offset] = value;
    else
        record.body[offset - HeaderBytes] = value;
}

void GenomeEdit::setGeneList(std::vector<Gene> genes)
{
    genes_ = std::move(genes);
    place();
}

std::string GenomeEdit::bytes() const
{
    std::string out(GenomeMagic);
    for (const Gene& gene : genes_) {
        const GeneRecord& r = gene.record;
        out.append(reinterpret_cast<const char*>(r.marker.data()), 4);
        out.append(reinterpret_cast<const char*>(&r.header), HeaderBytes);
        out.append(reinterpret_cast<const char*>(r.body.data()), bodyLength(r.header.type, r.header.subtype));
    }
    out += tail_;
    return out;
}

GeneRecord neutralGene(GeneKind kind, std::uint8_t id)
{
    GeneRecord gene{};
    gene.setMarker("gene");
    gene.header.type = infoOf(kind).type;
    gene.header.subtype = infoOf(kind).subtype;
    gene.header.id = id;
    gene.header.flags = GeneFlags::Mutable | GeneFlags::Deletable | GeneFlags::Duplicable;
    return gene;
}

std::uint8_t nextFreeId(const std::vector<GenomeEdit::Gene>& genes, GeneKind kind)
{
    std::array<bool, 256> taken{};
    for (const GenomeEdit::Gene& gene : genes)
        if (gene.record.is(kind))
            taken[gene.record.header.id] = true;
    for (std::size_t id = 0; id < taken.size(); ++id)
        if (!taken[id])
            return static_cast<std::uint8_t>(id);
    return 255;
}

} // namespace helixplot
