// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The game's installation as Wine records it: the registry of a Wine prefix
// is kept as text, HKEY_LOCAL_MACHINE in the prefix's system.reg.

#include "settings.h"

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

// One value as a .reg file stores it.
struct WineRegistryValue {
    enum class Type { String, ExpandString, Other };
    Type type = Type::Other;
    std::string text; // the unescaped text of a string; empty otherwise
};

// The values of one key by name. Value names compare regardless of case, as
// the registry's do.
struct CaseInsensitiveLess {
    bool operator()(std::string_view a, std::string_view b) const;
};
using WineRegistryKey = std::map<std::string, WineRegistryValue, CaseInsensitiveLess>;

// A system.reg is normally a few megabytes; anything is read only up to
// these bounds, so a hostile file costs bounded time and memory.
struct WineRegistryLimits {
    std::uintmax_t maxBytes = std::uintmax_t{256} << 20; // reading stops here
    std::size_t maxLineLength = std::size_t{1} << 16;    // longer lines are skipped
};

// Reads the keys named in keys (backslash-separated paths below the file's
// root, matched regardless of case) from a Wine .reg file. The result holds
// the keys found, under the names as given. A missing or unreadable file, or
// one that is not a regular file, gives an empty result.
std::map<std::string, WineRegistryKey> readWineRegistryKeys(const std::filesystem::path& regFile,
                                                            const std::vector<std::string>& keys,
                                                            const WineRegistryLimits& limits = {});
// The same from a stream open for reading.
std::map<std::string, WineRegistryKey> readWineRegistryKeys(std::istream& in, const std::vector<std::string>& keys,
                                                            const WineRegistryLimits& limits = {});

// The text of a quoted .reg string without its quotes, escapes resolved:
// \\ \" and the other backslash escapes, \xHHHH and octal \ooo character codes
// (written out as UTF-8).
std::string unescapeWineRegistryString(std::string_view escaped);

// A Windows path of the prefix as a path of this system: C:\... in the
// prefix's drive_c, Z:\... from the root, other drives through the prefix's
// dosdevices links. Anything else is returned unchanged.
std::string hostPathOfWinePath(const std::filesystem::path& prefix, const std::string& windowsPath);

// Where to look for prefixes: $WINEPREFIX, then ~/.wine, then the prefixes of
// Lutris, Bottles, PlayOnLinux, Heroic, CrossOver and Steam's Proton.
struct WineSearchPlaces {
    std::string winePrefix;  // $WINEPREFIX
    std::string home;        // $HOME
    std::string xdgDataHome; // $XDG_DATA_HOME, or empty for ~/.local/share
};
WineSearchPlaces wineSearchPlacesOfProcess();
std::vector<std::filesystem::path> winePrefixCandidates(const WineSearchPlaces& places);

// The game's two values from the first prefix whose system.reg has its key,
// the 64-bit key before the Wow6432Node one; the paths turned into this
// system's. Throws HelixplotError "Invalid data type for '%s'" for a value
// that is not a string.
std::optional<Settings> settingsFromWinePrefixes(const std::vector<std::filesystem::path>& prefixes,
                                                 const WineRegistryLimits& limits = {});

} // namespace helixplot
