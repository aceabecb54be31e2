// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes either read as a genome or raise one of the reader's errors; the
// census's single pass reads the same genes or fails with the same message.
#include "genetics/unitGenetics.h"
#include "mapping/genomeDigest.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    static GenomeDigester digester; // kept between inputs, as in a census
    std::optional<GenomeDigest> digest;
    std::string digestError;
    try {
        digest = digester.digestBytes(bytes);
    } catch (const HelixplotError& e) {
        digestError = e.what();
    }
    try {
        const auto genome = TGeneticsFile::fromBytes(bytes);
        std::size_t visited = 0;
        genome.forEachGene([&](const GeneRecord& g) {
            if (!g.isGene())
                std::abort();
            ++visited;
        });
        if (visited != genome.geneCount())
            std::abort();
        const GenomeDigest expected = digestOf(genome);
        if (!digest || digest->genes != expected.genes || digest->organs != expected.organs ||
            digest->totals != expected.totals ||
            !(inKeyOrder(digest->fingerprints) == inKeyOrder(expected.fingerprints)) ||
            digest->genusGene.has_value() != expected.genusGene.has_value())
            std::abort();
        if (digest->genusGene && std::memcmp(&*digest->genusGene, &*expected.genusGene, sizeof(GeneRecord)) != 0)
            std::abort();
    } catch (const HelixplotError& e) {
        if (digest || digestError != e.what())
            std::abort();
    }
    return 0;
}
