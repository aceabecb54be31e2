// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers shared by the mapping tests.

#include "decodedText.h"
#include "decoder/displayTree.h"
#include "decoder/unitGeneDecoder.h"
#include "mapping/progress.h"

#include <string>
#include <vector>

namespace helixplot::testing {

using helixplot::RecordingProgress;

// "setProgressPosition first" to "setProgressPosition last".
inline std::vector<std::string> positions(int first, int last)
{
    std::vector<std::string> out;
    for (int n = first; n <= last; ++n)
        out.push_back("setProgressPosition " + std::to_string(n));
    return out;
}

inline std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// What decodeGene makes of gene, dumped as if the gene's top node stood at
// depth: the expected text of a gene in a tree, whatever its decoder shows.
inline std::string decodedAt(const GeneRecord& gene, std::size_t depth)
{
    const std::string flat = decodedText(gene);
    std::string out;
    std::size_t start = 0;
    while (start < flat.size()) {
        const std::size_t end = flat.find('\n', start);
        out.append(depth, ' ');
        out.append(flat, start, end - start + 1);
        start = end + 1;
    }
    return out;
}

} // namespace helixplot::testing
