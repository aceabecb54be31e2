// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "census.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace helixplot {

// The mutated genes' changes of a census's creatures, as mutatedChangesOf
// lists them, with each genome read once for all of them instead of three
// genomes a creature: of its own genes only those whose keys the census
// found mutated or new, and of a parent's only the first gene of each key
// that a child of it found mutated, a few hundred bytes a creature.
//
// A row is covered when the census kept its genes (CensusRow::unheldKeys)
// and its parents are two other rows; the others are left to
// mutatedChangesOf. Bodies are told apart by their fingerprints when the
// keys are chosen, so two bodies whose 64-bit hashes meet (never seen)
// would hide a gene that a full reading lists.
class CensusChanges {
public:
    // Reads the genomes on threads; throws CensusCancelled once cancel is
    // set.
    CensusChanges(const CensusFolder& folder, const Census& census, const std::atomic<bool>* cancel = nullptr,
                  unsigned threads = 2);

    bool covers(std::size_t row) const { return row < covered_.size() && covered_[row]; }
    // The changes of a covered row. Throws HelixplotError with the message of
    // the first of its genome, its mother's and its father's that did not
    // load.
    std::vector<GeneChange> of(std::size_t row) const;

private:
    // One genome's kept genes, each its header and its kind's body bytes.
    struct Kept {
        std::vector<std::uint8_t> own;                             // in lookup order
        std::vector<std::uint8_t> parents;                         // the first of each wanted key, by key
        std::vector<std::pair<std::uint16_t, std::uint32_t>> keys; // of parents: key and offset
        std::string error;
        bool failed = false;
    };
    void keep(const CensusFolder& folder, const std::string& file, const std::vector<std::uint16_t>& own,
              const std::vector<std::uint16_t>& parents, std::vector<unsigned char>& wanted, Kept& kept) const;
    static const std::uint8_t* parentGene(const Kept& kept, std::uint16_t key);

    const Census& census_;
    std::vector<unsigned char> covered_;
    std::vector<Kept> kept_;
};

} // namespace helixplot
