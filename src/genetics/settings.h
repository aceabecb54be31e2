// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace helixplot {

inline constexpr const char* SettingsKey = "Software\\Brindlecove Technology\\Mirelings 2\\1.0";
inline constexpr const char* ChemicalFileName = "allchemicals.str";

// The two installation values of the game. A missing store, key or value
// reads as the empty string.
struct Settings {
    std::string mainDirectory;     // "Main Directory"
    std::string geneticsDirectory; // "Genetics Directory"

    // The chemical-name file: the main directory with the file name glued on.
    std::string chemicalFilePath() const { return mainDirectory + ChemicalFileName; }
};

// Reads the settings: on Windows from the registry (HKEY_LOCAL_MACHINE, read
// only); elsewhere from settingsFilePath(). Throws RegistryError for a value
// that is not a string.
Settings readSettings();

#ifndef _WIN32
// Only the start of a settings file is read, and longer lines are skipped
// whole: the file holds two short values.
inline constexpr std::size_t SettingsReadLimit = 64 * 1024;
inline constexpr std::size_t SettingsLineLimit = 4096;

// HELIXPLOT_SETTINGS if set, else $XDG_CONFIG_HOME (or ~/.config) followed by
// helixplot/settings.ini.
std::string settingsFilePath();
// Reads the INI-style settings file at path. Values that are relative paths
// are taken relative to the folder of the file. A missing file reads as
// empty; one that cannot be read (no regular file, no permission) raises
// FileError naming it.
Settings readSettingsFile(const std::string& path);
// The same from the file's text (at most SettingsReadLimit bytes of it
// count), relative values taken against folder.
Settings settingsFromText(std::string_view text, const std::string& folder);
#endif

} // namespace helixplot
