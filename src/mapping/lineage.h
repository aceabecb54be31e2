// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "census.h"
#include "genomeDigest.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace helixplot {

// The key that pairs genes, packed as GenePrint::geneKey() packs it; none
// for a type and subtype that are no gene kind.
std::optional<std::uint16_t> packedGeneKey(std::uint8_t type, std::uint8_t subtype, std::uint8_t id);

// A gene whose body first appeared in a creature: a gene that its parental
// mapping counts as mutated, the genus gene (which names the parents) aside.
struct MutationEvent {
    std::size_t row = 0; // the creature, in the census
    GenePrint gene;      // its new version
    // Every loaded genome whose gene under the key (the first in lookup
    // order) has that body, the creature itself included, in census order.
    std::vector<std::size_t> carriers;
};

// One key over the whole population.
struct GeneHotspot {
    std::uint16_t geneKey = 0; // as GenePrint::geneKey()
    std::size_t events = 0;
    // Distinct bodies under the key among the loaded genomes.
    std::size_t variants = 0;
    // Genomes that carry a body one of the key's events brought.
    std::size_t carriers = 0;
    bool operator==(const GeneHotspot&) const = default;
};

struct LineageOptions {
    CensusOptions census;
    // Only this key (as GenePrint::geneKey()).
    std::optional<std::uint16_t> gene;
};

struct Lineage {
    Census census;
    // Creature by creature in census order, each one's in lookup order.
    std::vector<MutationEvent> events;
    // The keys with events, most events first, then in key order.
    std::vector<GeneHotspot> genes;
};

// Takes the census of folder and follows every mutation event to its
// carriers, from the census's fingerprints: the same memory bound, and one
// more pass over genes already in memory (or read again where the census
// read them again). Throws what takeCensus throws. A beforeGenePass of the
// options is called before the lineage's own pass.
Lineage traceLineage(const std::string& folder, const LineageOptions& options = {});

// One body of a key among the genomes of a census.
struct GeneVariant {
    std::uint64_t body = 0;
    // The first event that brought it; none for a body no event brought (a
    // founder's, or that of a creature without both parents in the census).
    std::optional<std::size_t> event;
    // The genome first holding it: the event's creature, else the carrier of
    // the lowest generation.
    std::size_t origin = 0;
    std::size_t carriers = 0;
};

struct GeneVariants {
    std::uint16_t geneKey = 0;
    // The events' bodies in event order, then the others as the census
    // meets them.
    std::vector<GeneVariant> variants;
    // Per census row: its variant, or -1 where the genome lacks the key or
    // did not load.
    std::vector<int> ofRow;
};

// Every genome's version of one key (the first gene of the key in lookup
// order), read again from the census's files: a few bytes per genome,
// whatever the population. A file that no longer loads counts as lacking
// the key. Throws CensusCancelled once cancel is set.
GeneVariants traceGeneVariants(const std::string& folder, const Census& census,
                               const std::vector<MutationEvent>& events, std::uint16_t geneKey,
                               const std::atomic<bool>* cancel = nullptr, unsigned threads = 2);

} // namespace helixplot
