// SPDX-License-Identifier: GPL-3.0-or-later
// Any text compiles or reports errors, within bounds; what compiles is a
// genome the reader takes, and its text compiles to the same bytes again.
#include "genetics/unitGenetics.h"
#include "genometext/genomeText.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    static const ChemicalNameTable chemicals = [] {
        ChemicalNameTable t;
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = "c" + std::to_string(i);
        t[3] = t[4] = "twin";
        return t;
    }();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const CompiledGenome compiled = compileGenomeText(text, chemicals);
    if (compiled.errors.size() > MaxGenomeTextErrors + 1)
        std::abort();
    if (!compiled.errors.empty()) {
        if (!compiled.bytes.empty())
            std::abort();
        return 0;
    }
    try {
        (void)TGeneticsFile::fromBytes(compiled.bytes);
    } catch (const HelixplotError&) {
        std::abort();
    }
    const std::string canonical = decompileGenome(compiled.bytes, chemicals);
    const CompiledGenome again = compileGenomeText(canonical, chemicals);
    if (!again.errors.empty() || again.bytes != compiled.bytes)
        std::abort();
    return 0;
}
