// SPDX-License-Identifier: GPL-3.0-or-later
// Any bytes as a Wine system.reg: the reader stays within its bounds and
// keeps text only for string values; every string unescapes and every
// Windows path maps without fault.
#include "genetics/wineRegistry.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::istringstream in(bytes);
    const std::string key = SettingsKey;
    const WineRegistryLimits limits{.maxBytes = 1 << 16, .maxLineLength = 512};
    for (const auto& [name, values] : readWineRegistryKeys(in, {key, "Software\\Wow6432Node"}, limits)) {
        for (const auto& [valueName, value] : values) {
            if (value.type == WineRegistryValue::Type::Other && !value.text.empty())
                std::abort();
            // An unescaped text is never longer than three bytes per escaped byte (UTF-8).
            if (value.text.size() > 3 * limits.maxLineLength || valueName.size() > limits.maxLineLength)
                std::abort();
            hostPathOfWinePath("/prefix", value.text);
        }
    }
    hostPathOfWinePath("/prefix", unescapeWineRegistryString(bytes));
    return 0;
}
