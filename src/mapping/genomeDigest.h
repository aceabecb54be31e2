// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/binaryFile.h"
#include "genetics/unitGenetics.h"
#include "mutationRule.h"
#include "statistics.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace helixplot {

// One gene as a census keeps it: a packed key and its body's fingerprint.
//
// The key holds the id in bits 0-7, the kind in bits 8-11 and the gene's
// male-only, female-only and carried flags in bits 12-14. A fingerprint is
// the body itself for a kind of at most 8 body bytes, else a 64-bit hash of
// it in which bodies that differ within one aligned 8-byte word never meet.
struct GenePrint {
    std::uint16_t key = 0;
    std::uint64_t body = 0;

    // Kind and id, the part of the key that pairs genes across genomes: one
    // of GeneKindCount * 256 values.
    std::uint16_t geneKey() const { return key & 0x0FFF; }
    std::size_t kindIndex() const { return key >> 8 & 0x0F; }
    GeneKind kind() const { return GeneKinds[kindIndex()].kind; }
    std::uint8_t id() const { return static_cast<std::uint8_t>(key); }
    // Bit i set when the gene counts in the statistics' flag row i.
    unsigned flagRows() const { return key >> 12 & 0x07u; }
    bool sameBody(const GenePrint& other) const { return body == other.body; }
    bool operator==(const GenePrint&) const = default;
};

// None for a gene outside the sixteen kinds: its body is empty, so it never
// differs, and it decodes to nothing.
std::optional<GenePrint> genePrint(const GeneRecord& gene);

// What parental matching needs of a genome's genes, a few kilobytes instead
// of the genome: the prints of its genes of the sixteen kinds in lookup order
// (the loose genes, then organ by organ, as GeneIndex searches), kept in two
// arrays to spare the padding.
struct GeneFingerprints {
    std::vector<std::uint16_t> keys;
    std::vector<std::uint64_t> bodies;

    std::size_t size() const { return keys.size(); }
    GenePrint operator[](std::size_t i) const { return {keys[i], bodies[i]}; }
    template <typename Visit> void forEachGene(Visit&& visit) const
    {
        for (std::size_t i = 0; i < keys.size(); ++i)
            visit(GenePrint{keys[i], bodies[i]});
    }
    std::size_t bytes() const
    {
        return keys.capacity() * sizeof(std::uint16_t) + bodies.capacity() * sizeof(std::uint64_t);
    }
    bool operator==(const GeneFingerprints&) const = default;
};

// Everything a census keeps of one genome file.
struct GenomeDigest {
    std::size_t genes = 0;
    std::size_t organs = 0;
    // Per statistics row: the genome's genes that the row selects.
    StatisticsTotals totals{};
    // The first loose gene, when it is a genus gene.
    std::optional<GeneRecord> genusGene;
    // The first loose gene of any kind: parental mode takes the parents'
    // names from it.
    std::optional<GeneRecord> firstLooseGene;
    GeneFingerprints fingerprints;
};

// Reads one genome file in a single pass, keeping only its digest. Scratch
// space is kept between files, so a reader serves one thread.
class GenomeDigester {
public:
    // Throws what TGeneticsFile(path) throws for the same file.
    GenomeDigest digest(const std::string& path);
    // The same for a file below an open folder, as BinaryFile opens it.
    GenomeDigest digest(const OpenFolder& folder, const std::string& relative);
    // The same for bytes already in memory, as TGeneticsFile::fromBytes().
    GenomeDigest digestBytes(std::string_view bytes);

private:
    template <typename Source> GenomeDigest digestFrom(Source& source);

    // Keys and fingerprints of the loose genes and of the organs' genes.
    std::vector<std::pair<std::uint16_t, std::uint64_t>> loose_;
    std::vector<std::pair<std::uint16_t, std::uint64_t>> organs_;
};

// The digest of a genome already read, for comparing the two paths. Its
// genes come organ by organ, where a file's single pass meets them in file
// order; only the order within one key is the same.
GenomeDigest digestOf(const TGeneticsFile& genome);

// Fingerprints sorted by kind and id, those of one key in their order: equal
// for two digests of one genome.
GeneFingerprints inKeyOrder(const GeneFingerprints& genes);

// One genome's fingerprints by key, as a comparator of the mutation rules
// (mutationRule.h): the first gene of each key in lookup order answers. Filled
// again, it forgets the genome before in constant time, so one table serves
// a thread for a whole census.
class FingerprintTable {
public:
    using Gene = GenePrint;

    FingerprintTable();
    void fill(const GeneFingerprints& genes);
    Counterpart counterpart(const GenePrint& gene) const
    {
        const Slot& slot = slots_[gene.geneKey()];
        if (slot.stamp != stamp_)
            return Counterpart::Missing;
        return slot.body == gene.body ? Counterpart::Same : Counterpart::Different;
    }

private:
    struct Slot {
        std::uint32_t stamp = 0;
        std::uint64_t body = 0;
    };
    std::uint32_t stamp_ = 0;
    std::vector<Slot> slots_;
};

// The examined genome's genes that count as mutated in a parental mapping,
// from fingerprints alone. Its tables are kept between calls, so a counter
// serves one thread.
class MutationCounter {
public:
    // The "Mutated Genes" counts of the statistics table.
    StatisticsTotals count(const GeneFingerprints& examined, const GeneFingerprints& mother,
                           const GeneFingerprints& father);
    // The genes themselves, in the order of the examined fingerprints.
    std::vector<GenePrint> mutatedGenes(const GeneFingerprints& examined, const GeneFingerprints& mother,
                                        const GeneFingerprints& father);
    // After count or mutatedGenes: the keys of examined's genes that neither
    // parent holds, each once, in examined's order.
    std::vector<std::uint16_t> unheldKeys(const GeneFingerprints& examined) const;
    // The counts of genes that count as mutated.
    static StatisticsTotals totalsOf(const std::vector<GenePrint>& mutated);

private:
    FingerprintTable mother_;
    FingerprintTable father_;
};

} // namespace helixplot
