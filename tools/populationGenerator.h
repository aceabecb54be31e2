// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace helixplot::samples {

// A population bred from the sample genomes over a few rounds of births.
struct PopulationOptions {
    // Genomes without parents in the population: the four samples that have
    // no kin among the samples (the parents and the two comparators), then
    // copies of them set apart by many changes.
    int founders = 6;
    // Rounds of births after the founders, and births in each round. The
    // parents of a birth come from the two rounds before it.
    int rounds = 3;
    int perRound = 8;
    // Most body changes a birth brings, besides the genus gene.
    int maxMutations = 6;
    std::uint64_t seed = 0x5EED0100;
};

// What the generator did for one genome.
struct PopulationMember {
    std::string name;   // four characters; the file is name + ".gen"
    std::string mother; // the names the genus gene holds; empty for none
    std::string father;
    bool founder = false;
    // The father named but never written: only the mother is in the folder.
    bool fatherMissing = false;
    int generation = 0;
    std::size_t genes = 0;
    std::size_t organs = 0;
    // Genes whose body this birth left different from the gene of the same
    // key in every parent that holds one: the changed genes and the genus
    // gene, which names the new parents. Genes new to the child (no parent
    // holds their key) are not among them.
    std::size_t mutatedGenes = 0;
    // Bodies changed on purpose (a subset of the above, genus excluded).
    std::vector<std::uint32_t> mutatedKeys; // type << 16 | subtype << 8 | id
};

// Breeds the population and writes each genome into folder (created when
// needed) as name + ".gen" as soon as it is made, holding only the last two
// rounds in memory. The same bytes for the same options on every run.
std::vector<PopulationMember> writePopulation(const std::string& folder, const PopulationOptions& options = {});

} // namespace helixplot::samples
