// SPDX-License-Identifier: GPL-3.0-or-later
// A whole mapping run over fuzzed genomes. Input: one mode byte, then up to
// three genome files one after another, each starting at its own "dna2".
// Every slot that reads holds a genome; the run never fails on them but may
// refuse a missing slot the mode needs.
#include "genetics/chemicalNames.h"
#include "genetics/unitGenetics.h"
#include "mapping/mappingRun.h"
#include "mapping/resultText.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace {

std::unique_ptr<helixplot::TGeneticsFile> load(std::string_view bytes)
{
    try {
        return std::make_unique<helixplot::TGeneticsFile>(helixplot::TGeneticsFile::fromBytes(bytes));
    } catch (const helixplot::HelixplotError&) {
        return nullptr;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    static const bool named = [] {
        for (std::size_t i = 0; i < ChemicalNames.size(); ++i)
            ChemicalNames[i] = i % 5 ? "Chem" + std::to_string(i) : "";
        return true;
    }();
    (void)named;
    if (size < 1)
        return 0;
    const auto mode = static_cast<MappingMode>(data[0] % 3);
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);

    std::vector<std::size_t> starts{0};
    for (std::size_t at = rest.find("dna2", 1); at != std::string_view::npos && starts.size() < 3;
         at = rest.find("dna2", at + 1))
        starts.push_back(at);
    starts.push_back(rest.size());
    std::unique_ptr<TGeneticsFile> genomes[3];
    for (std::size_t i = 0; i + 1 < starts.size(); ++i)
        genomes[i] = load(rest.substr(starts[i], starts[i + 1] - starts[i]));

    MappingResult result;
    SilentProgress progress;
    for (int run = 0; run < 2; ++run) { // a second run must rebuild cleanly
        try {
            MappingRun({mode, genomes[0].get(), genomes[1].get(), genomes[2].get()}, result, progress);
        } catch (const HelixplotError&) {
            const bool slotMissing = !genomes[0] || (mode != MappingMode::Breakdown && !genomes[1]) ||
                                     (mode == MappingMode::Dual && !genomes[2]);
            if (!slotMissing)
                std::abort();
            return 0;
        }
        if (result.breakdown.nodeCount() < 16)
            std::abort();
        const std::string text = mappingResultText(result);
        if (text.empty())
            std::abort();
    }
    return 0;
}
