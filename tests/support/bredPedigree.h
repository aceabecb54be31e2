// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/pedigreeLayout.h"
#include "sampleRng.h"

#include <vector>

namespace helixplot::testing {

// Parent links bred as make-population breeds genomes, without the genomes:
// founders, then rounds of births whose parents come from the round before
// (now and then both from the one before that), a quarter of the fathers
// missing.
inline std::vector<PedigreeNode> bredPedigree(int founders, int rounds, int perRound, std::uint64_t seed = 1)
{
    samples::Rng rng(seed);
    std::vector<PedigreeNode> nodes(static_cast<std::size_t>(founders));
    std::vector<std::vector<std::size_t>> born(1);
    for (std::size_t i = 0; i < nodes.size(); ++i)
        born[0].push_back(i);
    for (int round = 1; round <= rounds; ++round) {
        born.emplace_back();
        for (int i = 0; i < perRound; ++i) {
            const bool older = born.size() >= 3 && rng.chance(15);
            const auto& from = born[born.size() - (older ? 3 : 2)];
            auto pick = [&] { return from[static_cast<std::size_t>(rng.range(0, static_cast<int>(from.size()) - 1))]; };
            PedigreeNode child;
            child.mother = pick();
            child.father = pick();
            if (rng.chance(25) || child.father == child.mother)
                child.father.reset();
            born.back().push_back(nodes.size());
            nodes.push_back(child);
        }
    }
    return nodes;
}

} // namespace helixplot::testing
