// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/unitGenetics.h"
#include "mappingRun.h"
#include "mutationRule.h"

#include <cstdint>
#include <vector>

namespace helixplot {

// True when the bodies differ over the comparator kind's body length; the
// header plays no part.
bool genesDiffer(const GeneRecord& comparatorGene, const GeneRecord& examinedGene);

// The genes of one genome by key, built once so that a run need not scan the
// genome for every lookup. findGene() gives the first gene with the key in
// lookup order: the loose genes, then organ by organ (the organ's own gene
// before its attached genes). Genes of unknown kinds are left out: their
// bodies are empty, so they never differ, and they decode to nothing.
class GeneIndex {
public:
    using Gene = GeneRecord;

    GeneIndex() = default;
    explicit GeneIndex(const TGeneticsFile* genome);

    // Null when not found.
    const GeneRecord* findGene(std::uint8_t type, std::uint8_t subtype, std::uint8_t id) const;
    const GeneRecord* findGene(const GeneRecord& gene) const
    {
        return findGene(gene.header.type, gene.header.subtype, gene.header.id);
    }
    Counterpart counterpart(const GeneRecord& gene) const
    {
        const GeneRecord* found = findGene(gene);
        return !found ? Counterpart::Missing : genesDiffer(*found, gene) ? Counterpart::Different : Counterpart::Same;
    }

private:
    // By kind, then id.
    std::vector<const GeneRecord*> genes_;
};

// The genomes of one run with their indexes. Only the slots the mode uses are
// read: a father left over from an earlier choice plays no part in mode 1.
class GenomeComparison {
public:
    explicit GenomeComparison(const MappingInput& input);

    MappingMode mode() const { return mode_; }
    bool usesMother() const { return modeReads(mode_, GenomeSlot::Mother); }
    bool usesFather() const { return modeReads(mode_, GenomeSlot::Father); }

    const TGeneticsFile* examined() const { return examined_; }
    // Null when the mode does not use the slot.
    const TGeneticsFile* mother() const { return mother_; }
    const TGeneticsFile* father() const { return father_; }

    const GeneIndex& examinedGenes() const { return examinedIndex_; }
    const GeneIndex& motherGenes() const { return motherIndex_; }
    const GeneIndex& fatherGenes() const { return fatherIndex_; }

    // The mutation rules (mutationRule.h) for a gene of the examined genome;
    // the index of a slot the mode does not use is empty.
    bool countsAsMutated(const GeneRecord& gene) const
    {
        return helixplot::countsAsMutated(gene, motherIndex_, fatherIndex_);
    }
    bool listedAsMutated(const GeneRecord& gene) const
    {
        return helixplot::listedAsMutated(gene, motherIndex_, fatherIndex_);
    }

private:
    MappingMode mode_;
    const TGeneticsFile* examined_;
    const TGeneticsFile* mother_;
    const TGeneticsFile* father_;
    GeneIndex examinedIndex_;
    GeneIndex motherIndex_;
    GeneIndex fatherIndex_;
};

} // namespace helixplot
