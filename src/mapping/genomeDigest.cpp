// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeDigest.h"

#include "genetics/binaryFile.h"
#include "genetics/genomeScan.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace helixplot {

namespace {

constexpr std::size_t KeyCount = GeneKindCount * 256;
constexpr unsigned FlagShift = 12;

// Murmur3's finaliser: a bijection, so chained over words it keeps apart
// any two inputs that differ in one word only.
constexpr std::uint64_t mixed(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

// A header's flags byte as the statistics flag rows' bits, row 0 in bit 0.
constexpr auto FlagRowBits = [] {
    std::array<std::uint8_t, 256> bits{};
    for (unsigned flags = 0; flags < 256; ++flags)
        for (std::size_t i = 0; i < StatisticsFlagBits.size(); ++i)
            if (flags & StatisticsFlagBits[i])
                bits[flags] |= static_cast<std::uint8_t>(1u << i);
    return bits;
}();

std::uint16_t packedKey(GeneKind kind, const GeneRecord& gene)
{
    return static_cast<std::uint16_t>(gene.header.id | indexOf(kind) << 8 |
                                      unsigned{FlagRowBits[gene.header.flags]} << FlagShift);
}

// Counts gene into the totals, and gives its kind when it has one.
std::optional<GeneKind> countGene(const GeneRecord& gene, GenomeDigest& digest)
{
    ++digest.genes;
    if (const unsigned bits = FlagRowBits[gene.header.flags])
        for (std::size_t i = 0; i < StatisticsFlagBits.size(); ++i)
            digest.totals[StatisticsKindRowCount + i] += bits >> i & 1u;
    const std::optional<GeneKind> kind = gene.kind();
    if (kind)
        ++digest.totals[indexOf(*kind)];
    return kind;
}

// The body past its length is zero, so whole words may be read.
inline std::uint64_t fingerprintOf(const GeneRecord& gene, std::size_t length)
{
    std::uint64_t word;
    std::memcpy(&word, gene.body.data(), sizeof word);
    if (length <= sizeof word)
        return word;
    std::uint64_t h = mixed(word);
    for (std::size_t at = sizeof word; at < length; at += sizeof word) {
        std::memcpy(&word, gene.body.data() + at, sizeof word);
        h = mixed(h ^ word);
    }
    return h;
}

void countMutated(const GenePrint& gene, StatisticsTotals& mutated)
{
    ++mutated[gene.kindIndex()];
    for (std::size_t bit = 0; bit < StatisticsFlagBits.size(); ++bit)
        mutated[StatisticsKindRowCount + bit] += gene.flagRows() >> bit & 1u;
}

} // namespace

std::optional<GenePrint> genePrint(const GeneRecord& gene)
{
    const std::optional<GeneKind> kind = gene.kind();
    if (!kind)
        return std::nullopt;
    return GenePrint{packedKey(*kind, gene), fingerprintOf(gene, infoOf(*kind).bodyLength)};
}

template <typename Source> GenomeDigest GenomeDigester::digestFrom(Source& source)
{
    GenomeDigest digest;
    bool sawLoose = false;
    loose_.clear();
    organs_.clear();
    scanGenome(source, [&](const GeneRecord& gene, GeneSlot slot) {
        const std::optional<GeneKind> kind = countGene(gene, digest);
        if (slot.place == GenePlace::NewOrgan)
            ++digest.organs;
        if (slot.place == GenePlace::Loose && !sawLoose) {
            sawLoose = true;
            digest.firstLooseGene = gene;
            if (kind == GeneKind::Genus)
                digest.genusGene = gene;
        }
        // Within one key, the organs' genes come in file order as in
        // lookup order, and all after the loose genes.
        if (kind)
            (slot.place == GenePlace::Loose ? loose_ : organs_)
                .push_back({packedKey(*kind, gene), fingerprintOf(gene, infoOf(*kind).bodyLength)});
    });
    // Kept for long: allocated once, at the size needed.
    GeneFingerprints& out = digest.fingerprints;
    out.keys.resize(loose_.size() + organs_.size());
    out.bodies.resize(out.keys.size());
    std::size_t i = 0;
    for (const auto* part : {&loose_, &organs_})
        for (const auto& [key, body] : *part) {
            out.keys[i] = key;
            out.bodies[i++] = body;
        }
    return digest;
}

GenomeDigest GenomeDigester::digest(const std::string& path)
{
    BinaryFile file(path);
    try {
        return digestFrom(file);
    } catch (const std::bad_alloc&) {
        throw InOutError(InOutError::Failure::OutOfMemory);
    }
}

GenomeDigest GenomeDigester::digest(const OpenFolder& folder, const std::string& relative)
{
    BinaryFile file(folder, relative);
    try {
        return digestFrom(file);
    } catch (const std::bad_alloc&) {
        throw InOutError(InOutError::Failure::OutOfMemory);
    }
}

GenomeDigest GenomeDigester::digestBytes(std::string_view bytes)
{
    MemorySource source(bytes);
    return digestFrom(source);
}

GenomeDigest digestOf(const TGeneticsFile& genome)
{
    GenomeDigest digest;
    auto add = [&](const GeneRecord& gene) {
        countGene(gene, digest);
        if (const std::optional<GenePrint> print = genePrint(gene)) {
            digest.fingerprints.keys.push_back(print->key);
            digest.fingerprints.bodies.push_back(print->body);
        }
    };
    for (const GeneRecord& gene : genome.GeneList())
        add(gene);
    for (const TCOrgan& organ : genome.OrganList()) {
        add(organ.OrganGene);
        for (const GeneRecord& gene : organ.GeneList)
            add(gene);
    }
    digest.organs = genome.OrganList().size();
    const auto& loose = genome.GeneList();
    if (!loose.empty())
        digest.firstLooseGene = loose.front();
    if (!loose.empty() && loose.front().is(GeneKind::Genus))
        digest.genusGene = loose.front();
    return digest;
}

GeneFingerprints inKeyOrder(const GeneFingerprints& genes)
{
    std::vector<std::size_t> order(genes.keys.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return genes[a].geneKey() < genes[b].geneKey(); });
    GeneFingerprints sorted;
    for (const std::size_t i : order) {
        sorted.keys.push_back(genes.keys[i]);
        sorted.bodies.push_back(genes.bodies[i]);
    }
    return sorted;
}

FingerprintTable::FingerprintTable() : slots_(KeyCount) {}

void FingerprintTable::fill(const GeneFingerprints& genes)
{
    if (++stamp_ == 0) {
        // Stamps have gone round: forget every old one.
        std::fill(slots_.begin(), slots_.end(), Slot{});
        stamp_ = 1;
    }
    for (std::size_t i = 0; i < genes.keys.size(); ++i) {
        Slot& slot = slots_[genes[i].geneKey()];
        // The first gene of a key in lookup order is the one matched.
        if (slot.stamp != stamp_)
            slot = {stamp_, genes.bodies[i]};
    }
}

StatisticsTotals MutationCounter::count(const GeneFingerprints& examined, const GeneFingerprints& mother,
                                        const GeneFingerprints& father)
{
    mother_.fill(mother);
    father_.fill(father);
    StatisticsTotals mutated{};
    forEachMutatedGene(examined, mother_, father_, [&](const GenePrint& gene) { countMutated(gene, mutated); });
    return mutated;
}

std::vector<std::uint16_t> MutationCounter::unheldKeys(const GeneFingerprints& examined) const
{
    std::vector<std::uint16_t> keys;
    examined.forEachGene([&](const GenePrint& gene) {
        if (mother_.counterpart(gene) == Counterpart::Missing && father_.counterpart(gene) == Counterpart::Missing &&
            std::find(keys.begin(), keys.end(), gene.geneKey()) == keys.end())
            keys.push_back(gene.geneKey());
    });
    return keys;
}

StatisticsTotals MutationCounter::totalsOf(const std::vector<GenePrint>& mutated)
{
    StatisticsTotals totals{};
    for (const GenePrint& gene : mutated)
        countMutated(gene, totals);
    return totals;
}

std::vector<GenePrint> MutationCounter::mutatedGenes(const GeneFingerprints& examined, const GeneFingerprints& mother,
                                                     const GeneFingerprints& father)
{
    mother_.fill(mother);
    father_.fill(father);
    std::vector<GenePrint> genes;
    forEachMutatedGene(examined, mother_, father_, [&](const GenePrint& gene) { genes.push_back(gene); });
    return genes;
}

} // namespace helixplot
