// Any bytes either read as a genome or raise one of the reader's errors.
#include "genetics/unitGenetics.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    try {
        const auto genome = TGeneticsFile::fromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
        std::size_t visited = 0;
        genome.forEachGene([&](const GeneRecord& g) {
            if (!g.isGene())
                std::abort();
            ++visited;
        });
        if (visited != genome.geneCount())
            std::abort();
    } catch (const HelixplotError&) {
    }
    return 0;
}
