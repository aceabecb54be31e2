// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes either load as a chemical-name table or raise the file layer's
// error, with every name within its length byte's bounds.
#include "genetics/chemicalNames.h"
#include "genetics/unitGenetics.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    ChemicalNameTable table;
    try {
        loadChemicalNamesFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), table);
        for (const auto& name : table)
            if (name.empty() || name.size() > 255)
                std::abort();
    } catch (const InOutError&) {
    }
    return 0;
}
