// SPDX-License-Identifier: GPL-3.0-or-later
#include "wineRegistry.h"

#include "hexDigit.h"
#include "unitGenetics.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <set>

namespace helixplot {

namespace {

namespace fs = std::filesystem;

char lowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return lowerAscii(x) == lowerAscii(y); });
}

void appendUtf8(std::string& out, unsigned code)
{
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// The escaped text from text[0] up to the first unescaped close; npos when
// the close is missing.
std::size_t findClose(std::string_view text, char close)
{
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\')
            ++i;
        else if (text[i] == close)
            return i;
    }
    return std::string_view::npos;
}

// A value line: "name"=data, with data "text", str(2):"text" or anything else.
std::optional<std::pair<std::string, WineRegistryValue>> parseValueLine(std::string_view line)
{
    const std::size_t nameEnd = findClose(line.substr(1), '"');
    if (nameEnd == std::string_view::npos)
        return std::nullopt;
    std::string name = unescapeWineRegistryString(line.substr(1, nameEnd));
    std::string_view data = line.substr(nameEnd + 2);
    if (data.empty() || data.front() != '=')
        return std::nullopt;
    data.remove_prefix(1);

    WineRegistryValue value;
    if (data.starts_with("str(2):")) {
        value.type = WineRegistryValue::Type::ExpandString;
        data.remove_prefix(7);
    } else if (data.starts_with("\"")) {
        value.type = WineRegistryValue::Type::String;
    }
    if (value.type != WineRegistryValue::Type::Other) {
        if (data.empty() || data.front() != '"')
            return std::nullopt;
        const std::size_t end = findClose(data.substr(1), '"');
        if (end == std::string_view::npos)
            return std::nullopt;
        value.text = unescapeWineRegistryString(data.substr(1, end));
    }
    return std::make_pair(std::move(name), std::move(value));
}

// Reads one line of at most limits.maxLineLength characters into line; a
// longer line is consumed and reported as too long. Counts the bytes taken in
// used, and ends the file once used reaches limits.maxBytes, even inside a line.
enum class LineRead { Line, TooLong, End };
LineRead readLine(std::istream& in, std::string& line, const WineRegistryLimits& limits, std::uintmax_t& used)
{
    line.clear();
    bool tooLong = false;
    std::streambuf& buffer = *in.rdbuf();
    for (;;) {
        if (used >= limits.maxBytes)
            return LineRead::End;
        const int c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof())
            return line.empty() && !tooLong ? LineRead::End : (tooLong ? LineRead::TooLong : LineRead::Line);
        ++used;
        if (c == '\n')
            return tooLong ? LineRead::TooLong : LineRead::Line;
        if (line.size() < limits.maxLineLength)
            line += static_cast<char>(c);
        else
            tooLong = true;
    }
}

void addChildren(std::vector<fs::path>& out, const fs::path& folder, const fs::path& below = {})
{
    std::error_code error;
    std::vector<fs::path> found;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        found.push_back(below.empty() ? it->path() : it->path() / below);
    std::sort(found.begin(), found.end());
    out.insert(out.end(), found.begin(), found.end());
}

} // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const
{
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return lowerAscii(x) < lowerAscii(y); });
}

std::string unescapeWineRegistryString(std::string_view escaped)
{
    std::string out;
    for (std::size_t i = 0; i < escaped.size(); ++i) {
        const char c = escaped[i];
        if (c != '\\' || i + 1 == escaped.size()) {
            out += c;
            continue;
        }
        const char e = escaped[++i];
        switch (e) {
        case 'a':
            out += '\a';
            break;
        case 'b':
            out += '\b';
            break;
        case 'e':
            out += '\x1b';
            break;
        case 'f':
            out += '\f';
            break;
        case 'n':
            out += '\n';
            break;
        case 'r':
            out += '\r';
            break;
        case 't':
            out += '\t';
            break;
        case 'v':
            out += '\v';
            break;
        case 'x': {
            unsigned code = 0;
            int digits = 0;
            for (int d; digits < 4 && i + 1 < escaped.size() && (d = hexDigit(escaped[i + 1])) >= 0; ++digits, ++i)
                code = code * 16 + static_cast<unsigned>(d);
            if (digits == 0)
                out += 'x';
            else
                appendUtf8(out, code);
            break;
        }
        default:
            if (e >= '0' && e <= '7') {
                unsigned code = static_cast<unsigned>(e - '0');
                for (int digits = 1;
                     digits < 3 && i + 1 < escaped.size() && escaped[i + 1] >= '0' && escaped[i + 1] <= '7';
                     ++digits, ++i)
                    code = code * 8 + static_cast<unsigned>(escaped[i + 1] - '0');
                appendUtf8(out, code);
            } else {
                out += e; // \\ \" \] and any other character stand for themselves
            }
        }
    }
    return out;
}

std::map<std::string, WineRegistryKey>
readWineRegistryKeys(const fs::path& regFile, const std::vector<std::string>& keys, const WineRegistryLimits& limits)
{
    // A FIFO or a device would block or never end.
    std::error_code error;
    if (!fs::is_regular_file(regFile, error))
        return {};
    std::ifstream in(regFile, std::ios::binary);
    if (!in)
        return {};
    return readWineRegistryKeys(in, keys, limits);
}

std::map<std::string, WineRegistryKey> readWineRegistryKeys(std::istream& in, const std::vector<std::string>& keys,
                                                            const WineRegistryLimits& limits)
{
    std::map<std::string, WineRegistryKey> found;
    const std::string* current = nullptr; // the wanted key whose values follow
    std::string line;
    std::uintmax_t used = 0;
    for (LineRead r; (r = readLine(in, line, limits, used)) != LineRead::End;) {
        if (r == LineRead::TooLong)
            continue;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.starts_with("[")) {
            current = nullptr;
            const std::size_t end = findClose(std::string_view(line).substr(1), ']');
            if (end == std::string_view::npos)
                continue;
            const std::string name = unescapeWineRegistryString(std::string_view(line).substr(1, end));
            for (const std::string& wanted : keys) {
                if (equalIgnoringCase(name, wanted) && !found.contains(wanted)) {
                    current = &wanted;
                    found[wanted];
                }
            }
        } else if (current && line.starts_with("\"")) {
            if (auto value = parseValueLine(line))
                found[*current].emplace(std::move(value->first), std::move(value->second));
        }
    }
    return found;
}

std::string hostPathOfWinePath(const fs::path& prefix, const std::string& windowsPath)
{
    if (windowsPath.size() < 2 || windowsPath[1] != ':' || !std::isalpha(static_cast<unsigned char>(windowsPath[0])))
        return windowsPath;
    std::string rest = windowsPath.substr(2);
    std::replace(rest.begin(), rest.end(), '\\', '/');
    if (!rest.starts_with("/"))
        rest.insert(0, "/");
    const char drive = lowerAscii(windowsPath[0]);
    if (drive == 'z')
        return rest;
    if (drive == 'c')
        return (prefix / "drive_c").generic_string() + rest;
    // Built as text: "d:" as a path element would be a drive on Windows.
    return (prefix / "dosdevices").generic_string() + '/' + drive + ':' + rest;
}

WineSearchPlaces wineSearchPlacesOfProcess()
{
    const auto variable = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    return {variable("WINEPREFIX"), variable("HOME"), variable("XDG_DATA_HOME")};
}

std::vector<fs::path> winePrefixCandidates(const WineSearchPlaces& places)
{
    std::vector<fs::path> all;
    if (!places.winePrefix.empty())
        all.emplace_back(places.winePrefix);
    if (!places.home.empty()) {
        const fs::path home = places.home;
        const fs::path data = places.xdgDataHome.empty() ? home / ".local/share" : fs::path(places.xdgDataHome);
        all.push_back(home / ".wine");
        addChildren(all, home / "Games");                                                // Lutris
        addChildren(all, data / "bottles/bottles");                                      // Bottles
        addChildren(all, home / ".var/app/com.usebottles.bottles/data/bottles/bottles"); // Bottles (Flatpak)
        addChildren(all, home / ".PlayOnLinux/wineprefix");                              // PlayOnLinux
        addChildren(all, home / "Games/Heroic/Prefixes/default");                        // Heroic
        addChildren(all, home / ".cxoffice");                                            // CrossOver
        addChildren(all, data / "Steam/steamapps/compatdata", "pfx");                    // Steam's Proton
        addChildren(all, home / ".steam/steam/steamapps/compatdata", "pfx");
    }
    // The same prefix reached twice (Steam's two folders are often one) counts once.
    std::vector<fs::path> prefixes;
    std::set<fs::path> seen;
    for (const fs::path& p : all) {
        std::error_code error;
        if (!fs::is_regular_file(p / "system.reg", error))
            continue;
        fs::path identity = fs::weakly_canonical(p, error);
        if (seen.insert(error ? p : identity).second)
            prefixes.push_back(p);
    }
    return prefixes;
}

std::optional<Settings> settingsFromWinePrefixes(const std::vector<fs::path>& prefixes,
                                                 const WineRegistryLimits& limits)
{
    const std::string key = SettingsKey;
    // A 32-bit game on 64-bit Wine writes below Wow6432Node.
    const std::string wowKey = "Software\\Wow6432Node" + key.substr(key.find('\\'));
    for (const fs::path& prefix : prefixes) {
        const auto keys = readWineRegistryKeys(prefix / "system.reg", {key, wowKey}, limits);
        auto it = keys.find(key);
        if (it == keys.end())
            it = keys.find(wowKey);
        if (it == keys.end())
            continue;
        const auto read = [&](const char* name) {
            const auto value = it->second.find(name);
            if (value == it->second.end())
                return std::string();
            if (value->second.type == WineRegistryValue::Type::Other)
                throw HelixplotError(std::string("Invalid data type for '") + name + "'");
            return hostPathOfWinePath(prefix, value->second.text);
        };
        Settings settings;
        settings.mainDirectory = read("Main Directory");
        settings.geneticsDirectory = read("Genetics Directory");
        return settings;
    }
    return std::nullopt;
}

} // namespace helixplot
