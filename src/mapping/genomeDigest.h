#pragma once

#include "genetics/unitGenetics.h"
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

// What parental matching needs of a genome's genes, a few kilobytes instead
// of the genome: per gene of the sixteen kinds, in lookup order (the loose
// genes, then organ by organ, as GeneIndex searches), a packed key and the
// body's fingerprint.
//
// A key holds the id in bits 0-7, the kind in bits 8-11 and the gene's
// male-only, female-only and carried flags in bits 12-14. A fingerprint is
// the body itself for a kind of at most 8 body bytes, else a 64-bit hash of
// it in which bodies that differ within one aligned 8-byte word never meet.
struct GeneFingerprints {
    std::vector<std::uint16_t> keys;
    std::vector<std::uint64_t> bodies;

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

// The fingerprint of gene's body over its kind's body length.
std::uint64_t bodyFingerprint(const GeneRecord& gene);

// Reads one genome file in a single pass, keeping only its digest. Scratch
// space is kept between files, so a reader serves one thread.
class GenomeDigester {
public:
    // Throws what TGeneticsFile(path) throws for the same file.
    GenomeDigest digest(const std::string& path);
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

// The "Mutated Genes" counts of the statistics table in parental mode from
// fingerprints alone: the examined genome's genes of which some parent holds
// the key and no parent holding it has the same body. Scratch tables are
// kept between calls, so a counter serves one thread.
class MutationCounter {
public:
    MutationCounter();
    StatisticsTotals count(const GeneFingerprints& examined, const GeneFingerprints& mother,
                           const GeneFingerprints& father);

private:
    struct Slot {
        std::uint32_t stamp = 0;
        std::uint64_t body = 0;
    };
    void fill(const GeneFingerprints& genes, std::vector<Slot>& table) const;

    std::uint32_t stamp_ = 0;
    std::vector<Slot> mother_;
    std::vector<Slot> father_;
};

} // namespace helixplot
