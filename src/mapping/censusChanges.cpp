// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusChanges.h"

#include "geneMatching.h"
#include "genetics/genomeScan.h"
#include "mutationRule.h"
#include "parallelFor.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace helixplot {

namespace {

constexpr std::size_t KeyCount = GeneKindCount * 256;
constexpr unsigned char OwnKey = 1, ParentKey = 2;

std::optional<std::uint16_t> keyOf(const GeneRecord& gene)
{
    const std::optional<GeneKind> kind = gene.kind();
    if (!kind)
        return std::nullopt;
    return static_cast<std::uint16_t>(indexOf(*kind) << 8 | gene.header.id);
}

void append(std::vector<std::uint8_t>& out, const GeneRecord& gene)
{
    const auto* header = reinterpret_cast<const std::uint8_t*>(&gene.header);
    out.insert(out.end(), header, header + sizeof(GeneHeader));
    out.insert(out.end(), gene.body.begin(), gene.body.begin() + bodyLength(gene.header.type, gene.header.subtype));
}

// The gene kept at bytes, as the reader gives it: the body zero past its
// kind's length. size, when given, is told the bytes it took.
GeneRecord geneAt(const std::uint8_t* bytes, std::size_t* size = nullptr)
{
    GeneRecord gene{};
    gene.setMarker("gene");
    std::memcpy(&gene.header, bytes, sizeof(GeneHeader));
    const std::size_t length = bodyLength(gene.header.type, gene.header.subtype);
    std::memcpy(gene.body.data(), bytes + sizeof(GeneHeader), length);
    if (size)
        *size = sizeof(GeneHeader) + length;
    return gene;
}

// Where a gene stands in lookup order: the loose genes, then organ by organ
// (the organ's gene before those attached to it), each in file order.
std::uint64_t lookupOrder(GeneSlot slot, std::uint32_t seen)
{
    if (slot.place == GenePlace::Loose)
        return seen;
    return std::uint64_t{1} << 63 | std::uint64_t(slot.organ) << 32 | seen;
}

void sortUnique(std::vector<std::uint16_t>& keys)
{
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
}

} // namespace

CensusChanges::CensusChanges(const CensusFolder& folder, const Census& census, const std::atomic<bool>* cancel,
                             unsigned threads)
    : census_(census)
{
    const std::vector<CensusRow>& rows = census.rows;
    covered_.assign(rows.size(), 0);
    std::vector<std::vector<std::uint16_t>> own(rows.size()), parents(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CensusRow& row = rows[i];
        if (!row.mutated || !row.unheldKeys || !row.motherRow || !row.fatherRow || *row.motherRow == i ||
            *row.fatherRow == i)
            continue;
        covered_[i] = 1;
        own[i] = *row.unheldKeys;
        for (const GenePrint& gene : row.mutatedGenes) {
            own[i].push_back(gene.geneKey());
            parents[*row.motherRow].push_back(gene.geneKey());
            parents[*row.fatherRow].push_back(gene.geneKey());
        }
    }
    kept_.resize(rows.size());
    std::vector<std::vector<unsigned char>> wanted(parallelThreads(rows.size(), threads),
                                                   std::vector<unsigned char>(KeyCount, 0));
    if (!parallelFor(rows.size(), threads, cancel, [&](unsigned worker, std::size_t i) {
            if (own[i].empty() && parents[i].empty())
                return;
            sortUnique(own[i]);
            sortUnique(parents[i]);
            keep(folder, rows[i].file, own[i], parents[i], wanted[worker], kept_[i]);
            own[i] = {};
            parents[i] = {};
        }))
        throw CensusCancelled();
}

void CensusChanges::keep(const CensusFolder& folder, const std::string& file, const std::vector<std::uint16_t>& own,
                         const std::vector<std::uint16_t>& parents, std::vector<unsigned char>& wanted,
                         Kept& kept) const
{
    for (const std::uint16_t key : own)
        wanted[key] |= OwnKey;
    for (const std::uint16_t key : parents)
        wanted[key] |= ParentKey;
    struct Found {
        std::uint64_t order;
        std::uint16_t key;
        GeneRecord gene;
    };
    std::vector<Found> ownFound, parentFound;
    std::uint32_t seen = 0;
    try {
        BinaryFile bytes = folder.bytes(file);
        scanGenome(bytes, [&](const GeneRecord& gene, GeneSlot slot) {
            const std::optional<std::uint16_t> key = keyOf(gene);
            const std::uint64_t order = lookupOrder(slot, seen++);
            if (!key || !wanted[*key])
                return;
            // An organ's own gene is matched against but never listed.
            if (wanted[*key] & OwnKey && slot.place != GenePlace::NewOrgan)
                ownFound.push_back({order, *key, gene});
            if (wanted[*key] & ParentKey) {
                const auto at =
                    std::find_if(parentFound.begin(), parentFound.end(), [&](const Found& f) { return f.key == *key; });
                if (at == parentFound.end())
                    parentFound.push_back({order, *key, gene});
                else if (order < at->order)
                    *at = {order, *key, gene};
            }
        });
    } catch (const HelixplotError& e) {
        kept.failed = true;
        kept.error = e.what();
        ownFound.clear();
        parentFound.clear();
    }
    for (const std::uint16_t key : own)
        wanted[key] = 0;
    for (const std::uint16_t key : parents)
        wanted[key] = 0;
    if (kept.failed)
        return;
    std::sort(ownFound.begin(), ownFound.end(), [](const Found& a, const Found& b) { return a.order < b.order; });
    for (const Found& f : ownFound)
        append(kept.own, f.gene);
    std::sort(parentFound.begin(), parentFound.end(), [](const Found& a, const Found& b) { return a.key < b.key; });
    for (const Found& f : parentFound) {
        kept.keys.emplace_back(f.key, static_cast<std::uint32_t>(kept.parents.size()));
        append(kept.parents, f.gene);
    }
    kept.own.shrink_to_fit();
    kept.parents.shrink_to_fit();
    kept.keys.shrink_to_fit();
}

const std::uint8_t* CensusChanges::parentGene(const Kept& kept, std::uint16_t key)
{
    const auto at = std::lower_bound(kept.keys.begin(), kept.keys.end(), std::pair{key, std::uint32_t{0}});
    return at != kept.keys.end() && at->first == key ? kept.parents.data() + at->second : nullptr;
}

std::vector<GeneChange> CensusChanges::of(std::size_t row) const
{
    const CensusRow& child = census_.rows.at(row);
    if (!covers(row))
        return {};
    const Kept* genomes[3] = {&kept_[row], &kept_[*child.motherRow], &kept_[*child.fatherRow]};
    for (const Kept* kept : genomes)
        if (kept->failed)
            throw HelixplotError(kept->error);
    // As the mutated tree lists them: family by family in the kinds' order,
    // each family's genes in lookup order.
    std::vector<std::pair<std::size_t, GeneChange>> listed;
    const std::vector<std::uint8_t>& own = genomes[0]->own;
    for (std::size_t at = 0; at < own.size();) {
        std::size_t size = 0;
        const GeneRecord gene = geneAt(own.data() + at, &size);
        at += size;
        const std::optional<GeneKind> kind = gene.kind();
        if (!kind || infoOf(*kind).comparisonFamily.empty())
            continue;
        std::optional<GeneRecord> parentGenes[2];
        Counterpart counterparts[2] = {Counterpart::Missing, Counterpart::Missing};
        for (std::size_t p = 0; p < 2; ++p) {
            if (const std::uint8_t* bytes = parentGene(*genomes[p + 1], *keyOf(gene))) {
                parentGenes[p] = geneAt(bytes);
                counterparts[p] = genesDiffer(*parentGenes[p], gene) ? Counterpart::Different : Counterpart::Same;
            }
        }
        if (!listedAsMutated(counterparts[0], counterparts[1]))
            continue;
        GeneChange change{gene, {}};
        for (std::size_t p = 0; p < 2; ++p)
            if (parentGenes[p])
                change.comparators.push_back({p, *parentGenes[p], counterparts[p] == Counterpart::Different});
        listed.emplace_back(indexOf(*kind), std::move(change));
    }
    std::stable_sort(listed.begin(), listed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    std::vector<GeneChange> changes;
    changes.reserve(listed.size());
    for (auto& [kind, change] : listed)
        changes.push_back(std::move(change));
    return changes;
}

} // namespace helixplot
