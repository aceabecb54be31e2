// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes the reader takes decompile to a text that compiles back to the
// same bytes; bytes it refuses are refused with its message.
#include "genetics/unitGenetics.h"
#include "genometext/genomeText.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

const helixplot::ChemicalNameTable& chemicals()
{
    static const helixplot::ChemicalNameTable table = [] {
        helixplot::ChemicalNameTable t;
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = i % 7 == 0 ? std::string() : "Chem " + std::to_string(i % 200);
        t[9] = "quote\" and \\ # \x01";
        return t;
    }();
    return table;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string readerError;
    try {
        (void)TGeneticsFile::fromBytes(bytes);
    } catch (const HelixplotError& e) {
        readerError = e.what();
    }
    std::string text;
    try {
        text = decompileGenome(bytes, chemicals());
    } catch (const HelixplotError& e) {
        if (readerError != e.what())
            std::abort();
        return 0;
    }
    if (!readerError.empty())
        std::abort();
    const CompiledGenome compiled = compileGenomeText(text, chemicals());
    if (!compiled.errors.empty() || compiled.bytes != bytes)
        std::abort();
    return 0;
}
