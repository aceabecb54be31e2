// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/genomeScan.h"
#include "genetics/unitGenetics.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

// A gene's bytes addressed as one run: the seven header bytes (type at 0),
// then the body from HeaderBytes on.
inline constexpr std::size_t HeaderBytes = sizeof(GeneHeader);

// A genome being edited: its genes in file order, each with the gene it was
// when the genome was opened (none for a gene added since), and the bytes
// after the last gene kept as they were, so that a genome saved unchanged
// has the bytes it was opened with.
class GenomeEdit {
public:
    struct Gene {
        GeneRecord record{};
        std::optional<GeneRecord> opened;
    };

    // Throws the reader's errors for bytes the reader refuses.
    static GenomeEdit fromBytes(std::string_view bytes);

    const std::vector<Gene>& genes() const { return genes_; }
    std::size_t size() const { return genes_.size(); }
    const GeneRecord& gene(std::size_t index) const { return genes_[index].record; }
    // Where the reader puts each gene, in file order.
    const std::vector<GeneSlot>& slots() const { return slots_; }
    // The index of the organ gene a gene attaches to, if any.
    std::optional<std::size_t> organGeneOf(std::size_t index) const;

    std::uint8_t byteAt(std::size_t gene, std::size_t offset) const;
    void setByte(std::size_t gene, std::size_t offset, std::uint8_t value);

    // The structural edits; the whole list is swapped so that undo can keep
    // the list before and after.
    std::vector<Gene> geneList() const { return genes_; }
    void setGeneList(std::vector<Gene> genes);

    std::string bytes() const;

private:
    void place();

    std::vector<Gene> genes_;
    std::vector<GeneSlot> slots_;
    std::vector<std::size_t> organGenes_; // organ position -> gene index
    std::string tail_;
};

// A new gene of kind: the given id, the flags "mut dup del" and every other
// byte zero but the kind's neutral values.
GeneRecord neutralGene(GeneKind kind, std::uint8_t id);
// The lowest id no gene of kind in genes has (255 when all are taken).
std::uint8_t nextFreeId(const std::vector<GenomeEdit::Gene>& genes, GeneKind kind);

} // namespace helixplot
