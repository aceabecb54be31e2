// SPDX-License-Identifier: GPL-3.0-or-later
// Any text reads as settings without failing: each value is one trimmed
// line's, never longer than a line may be, and the text past the read limit
// changes nothing.
#include "genetics/settings.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace helixplot;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::string folder = "/games/settings";
    const Settings settings = settingsFromText(text, folder);
    for (const std::string& value : {settings.mainDirectory, settings.geneticsDirectory}) {
        if (value.find('\n') != std::string::npos || value.size() > SettingsLineLimit + folder.size() + 2)
            std::abort();
        if (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
            std::abort();
    }
    if (size > SettingsReadLimit) {
        const std::size_t cut = text.substr(0, SettingsReadLimit).rfind('\n');
        const Settings whole = settingsFromText(text.substr(0, cut == std::string_view::npos ? 0 : cut + 1), folder);
        if (settings.mainDirectory != whole.mainDirectory || settings.geneticsDirectory != whole.geneticsDirectory)
            std::abort();
    }
    return 0;
}
