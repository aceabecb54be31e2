#include "geneMatching.h"

#include <algorithm>

namespace helixplot {

namespace {

constexpr std::size_t KnownTypes = 4;
constexpr std::size_t KnownSubtypes = 8;

std::uint32_t keyOf(std::uint8_t type, std::uint8_t subtype, std::uint8_t id)
{
    return (std::uint32_t{type} << 16) | (std::uint32_t{subtype} << 8) | id;
}

bool hasKey(const GeneRecord& gene, std::uint8_t type, std::uint8_t subtype, std::uint8_t id)
{
    return gene.header.type == type && gene.header.subtype == subtype && gene.header.id == id;
}

// Visits the genome in lookup order until visit returns true.
template <typename Visit> void visitInLookupOrder(const TGeneticsFile& genome, Visit&& visit)
{
    for (const GeneRecord& gene : genome.GeneList())
        if (visit(gene))
            return;
    for (const TCOrgan& organ : genome.OrganList()) {
        if (visit(organ.OrganGene))
            return;
        for (const GeneRecord& gene : organ.GeneList)
            if (visit(gene))
                return;
    }
}

const GeneRecord* firstMatch(const TGeneticsFile* genome, std::uint8_t type, std::uint8_t subtype, std::uint8_t id)
{
    if (!genome)
        return nullptr;
    const GeneRecord* found = nullptr;
    visitInLookupOrder(*genome, [&](const GeneRecord& gene) {
        if (!hasKey(gene, type, subtype, id))
            return false;
        found = &gene;
        return true;
    });
    return found;
}

// The one rule behind both forms of countsAsMutated; each finder gives its
// slot's gene with gene's key, or null.
template <typename FindInMother, typename FindInFather>
bool mutatedAgainst(const GeneRecord& gene, MappingMode mode, FindInMother&& inMother, FindInFather&& inFather)
{
    const GeneRecord* m = inMother(gene);
    const GeneRecord* f = modeReads(mode, GenomeSlot::Father) ? inFather(gene) : nullptr;
    if (!m && !f)
        return false;
    if (m && !genesDiffer(*m, gene))
        return false;
    if (f && !genesDiffer(*f, gene))
        return false;
    return true;
}

} // namespace

GeneRecord findGene(const TGeneticsFile* genome, std::uint8_t type, std::uint8_t subtype, std::uint8_t id)
{
    if (const GeneRecord* found = firstMatch(genome, type, subtype, id))
        return *found;
    GeneRecord result{};
    result.setMarker(NotFoundMarker);
    return result;
}

bool genesDiffer(const GeneRecord& comparatorGene, const GeneRecord& examinedGene)
{
    const std::size_t length = bodyLength(comparatorGene.header.type, comparatorGene.header.subtype);
    return !std::equal(comparatorGene.body.begin(), comparatorGene.body.begin() + length, examinedGene.body.begin());
}

bool countsAsMutated(const GeneRecord& gene, MappingMode mode, const TGeneticsFile* mother, const TGeneticsFile* father)
{
    if (!modeReads(mode, GenomeSlot::Mother))
        return false;
    auto in = [](const TGeneticsFile* genome) {
        return
            [genome](const GeneRecord& g) { return firstMatch(genome, g.header.type, g.header.subtype, g.header.id); };
    };
    return mutatedAgainst(gene, mode, in(mother), in(father));
}

GeneIndex::GeneIndex(const TGeneticsFile* genome)
{
    if (!genome)
        return;
    known_.assign(KnownTypes * KnownSubtypes * 256, nullptr);
    visitInLookupOrder(*genome, [&](const GeneRecord& gene) {
        const GeneHeader& h = gene.header;
        if (h.type < KnownTypes && h.subtype < KnownSubtypes) {
            const GeneRecord*& slot = known_[(h.type * KnownSubtypes + h.subtype) * 256 + h.id];
            if (!slot)
                slot = &gene;
        } else {
            others_.emplace_back(keyOf(h.type, h.subtype, h.id), &gene);
        }
        return false;
    });
    // Stable, so that the first of several genes with one key stays first.
    std::stable_sort(others_.begin(), others_.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    others_.erase(
        std::unique(others_.begin(), others_.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        others_.end());
}

const GeneRecord* GeneIndex::find(std::uint8_t type, std::uint8_t subtype, std::uint8_t id) const
{
    if (known_.empty())
        return nullptr;
    if (type < KnownTypes && subtype < KnownSubtypes)
        return known_[(type * KnownSubtypes + subtype) * 256 + id];
    const std::uint32_t key = keyOf(type, subtype, id);
    const auto it = std::lower_bound(others_.begin(), others_.end(), key,
                                     [](const auto& entry, std::uint32_t k) { return entry.first < k; });
    return it != others_.end() && it->first == key ? it->second : nullptr;
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

bool GenomeComparison::countsAsMutated(const GeneRecord& gene) const
{
    if (!usesMother())
        return false;
    return mutatedAgainst(
        gene, mode_, [this](const GeneRecord& g) { return motherIndex_.find(g); },
        [this](const GeneRecord& g) { return fatherIndex_.find(g); });
}

} // namespace helixplot
