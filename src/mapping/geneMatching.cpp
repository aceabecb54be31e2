// SPDX-License-Identifier: GPL-3.0-or-later
#include "geneMatching.h"

#include <algorithm>

namespace helixplot {

bool genesDiffer(const GeneRecord& comparatorGene, const GeneRecord& examinedGene)
{
    const std::size_t length = bodyLength(comparatorGene.header.type, comparatorGene.header.subtype);
    return !std::equal(comparatorGene.body.begin(), comparatorGene.body.begin() + length, examinedGene.body.begin());
}

GeneIndex::GeneIndex(const TGeneticsFile* genome)
{
    if (!genome)
        return;
    genes_.assign(GeneKindCount * 256, nullptr);
    auto add = [&](const GeneRecord& gene) {
        const std::optional<GeneKind> kind = gene.kind();
        if (!kind)
            return;
        const GeneRecord*& slot = genes_[indexOf(*kind) * 256 + gene.header.id];
        if (!slot)
            slot = &gene;
    };
    for (const GeneRecord& gene : genome->GeneList())
        add(gene);
    for (const TCOrgan& organ : genome->OrganList()) {
        add(organ.OrganGene);
        for (const GeneRecord& gene : organ.GeneList)
            add(gene);
    }
}

const GeneRecord* GeneIndex::findGene(std::uint8_t type, std::uint8_t subtype, std::uint8_t id) const
{
    const std::optional<GeneKind> kind = kindOf(type, subtype);
    if (genes_.empty() || !kind)
        return nullptr;
    return genes_[indexOf(*kind) * 256 + id];
}

GenomeComparison::GenomeComparison(const MappingInput& input)
    : mode_(input.mode), examined_(input.examined), mother_(usesMother() ? input.mother : nullptr),
      father_(usesFather() ? input.father : nullptr)
{
    if (usesMother()) {
        // The examined genome is searched only by the missing tree.
        examinedIndex_ = GeneIndex(examined_);
        motherIndex_ = GeneIndex(mother_);
        fatherIndex_ = GeneIndex(father_);
    }
}

} // namespace helixplot
