// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings.h"

#include "unitGenetics.h"
#include "wineRegistry.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include "binaryFile.h"

#include <filesystem>
#include <string_view>
#endif

namespace helixplot {

namespace {

constexpr const char* MainDirectoryValue = "Main Directory";
constexpr const char* GeneticsDirectoryValue = "Genetics Directory";

class RegistryError : public HelixplotError {
public:
    using HelixplotError::HelixplotError;
};

} // namespace

#ifdef _WIN32

namespace {

std::string readRegistryString(HKEY key, const char* name)
{
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
        return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ)
        throw RegistryError(std::string("Invalid data type for '") + name + "'");
    std::string value(size, '\0');
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS)
        return {};
    value.resize(size);
    while (!value.empty() && value.back() == '\0')
        value.pop_back();
    return value;
}

} // namespace

Settings readSettings()
{
    Settings settings;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return settings;
    try {
        settings.mainDirectory = readRegistryString(key, MainDirectoryValue);
        settings.geneticsDirectory = readRegistryString(key, GeneticsDirectoryValue);
    } catch (...) {
        RegCloseKey(key);
        throw;
    }
    RegCloseKey(key);
    return settings;
}

#else

namespace {

std::string trimmed(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const auto last = s.find_last_not_of(" \t\r\n");
    return s.substr(first, last - first + 1);
}

std::string resolvedAgainst(const std::filesystem::path& folder, const std::string& value)
{
    if (value.empty() || std::filesystem::path(value).is_absolute())
        return value;
    // Keep a trailing separator: the chemical file name is glued on.
    std::string resolved = (folder / value).lexically_normal().string();
    if (value.back() == '/' && (resolved.empty() || resolved.back() != '/'))
        resolved += '/';
    return resolved;
}

} // namespace

std::string settingsFilePath()
{
    if (const char* explicitPath = std::getenv("HELIXPLOT_SETTINGS"); explicitPath && *explicitPath)
        return explicitPath;
    std::string config;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        config = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        config = std::string(home) + "/.config";
    else
        return {};
    return config + "/helixplot/settings.ini";
}

Settings readSettingsFile(const std::string& path)
{
    std::string text;
    try {
        BinaryFile file(path, SettingsReadLimit + 1, BinaryFile::Oversize::Cut);
        text = file.readUpTo(SettingsReadLimit + 1);
    } catch (const InOutError& e) {
        if (e.failure() == InOutError::Failure::FileNotFound)
            return {};
        throw FileError(path, e.what());
    }
    return settingsFromText(text, std::filesystem::path(path).parent_path().string());
}

Settings settingsFromText(std::string_view text, const std::string& folder)
{
    if (text.size() > SettingsReadLimit) {
        // Half a line at the cut would be half a value.
        text = text.substr(0, SettingsReadLimit);
        const auto lastEnd = text.rfind('\n');
        text = text.substr(0, lastEnd == std::string_view::npos ? 0 : lastEnd + 1);
    }
    Settings settings;
    const std::string wantedSection = SettingsKey;
    std::string section;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t stop = text.find('\n', start);
        if (stop == std::string_view::npos)
            stop = text.size();
        const std::string_view raw = text.substr(start, stop - start);
        start = stop + 1;
        if (raw.size() > SettingsLineLimit)
            continue;
        const std::string line = trimmed(std::string(raw));
        if (line.empty() || line[0] == ';' || line[0] == '#')
            continue;
        if (line.front() == '[' && line.back() == ']') {
            section = trimmed(line.substr(1, line.size() - 2));
            continue;
        }
        const auto eq = line.find('=');
        if (section != wantedSection || eq == std::string::npos)
            continue;
        const std::string name = trimmed(line.substr(0, eq));
        const std::string value = trimmed(line.substr(eq + 1));
        if (name == MainDirectoryValue)
            settings.mainDirectory = resolvedAgainst(folder, value);
        else if (name == GeneticsDirectoryValue)
            settings.geneticsDirectory = resolvedAgainst(folder, value);
    }
    return settings;
}

Settings readSettings()
{
    const std::string path = settingsFilePath();
    Settings settings = path.empty() ? Settings{} : readSettingsFile(path);
    // No installation named by the user's own settings: the game under Wine.
    if (settings.mainDirectory.empty() && settings.geneticsDirectory.empty() && !std::getenv("HELIXPLOT_SETTINGS"))
        settings = settingsFromWinePrefixes(winePrefixCandidates(wineSearchPlacesOfProcess())).value_or(settings);
    return settings;
}

#endif

} // namespace helixplot
