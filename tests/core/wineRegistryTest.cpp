// SPDX-License-Identifier: GPL-3.0-or-later
// The game found in Wine prefixes: system.reg files and prefix layouts are
// written by the tests.

#include "genetics/wineRegistry.h"
#include "genetics/settings.h"
#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace helixplot {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;
using testing::writeFile;

// A system.reg as Wine writes it, with body after the header.
std::string systemReg(const std::string& body)
{
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\Machine\n"
           "\n"
           "#arch=win64\n"
           "\n"
           "[Software\\\\Classes\\\\.gen] 1700000000\n"
           "#time=1d9f0a0b0c0d0e0\n"
           "@=\"genesis\"\n"
           "\n" +
           body;
}

const std::string GameKey = "[Software\\\\Brindlecove Technology\\\\Mirelings 2\\\\1.0] 1700000001\n";

// A prefix folder holding a system.reg with body.
fs::path makePrefix(const fs::path& prefix, const std::string& body)
{
    fs::create_directories(prefix);
    writeFile((prefix / "system.reg").string(), systemReg(body));
    return prefix;
}

TEST(WineRegistry, UnescapesRegStrings)
{
    using namespace std::string_literals;
    const struct {
        const char* escaped;
        std::string text;
    } cases[] = {
        {R"(C:\\Games\\Mirelings 2\\)", R"(C:\Games\Mirelings 2\)"},
        {R"(say \"hi\")", R"(say "hi")"},
        {R"(a\]b)", "a]b"},
        {R"(tab\there\n)", "tab\there\n"},
        {R"(M\xfcller)", "M\xC3\xBCller"},
        {R"(\x00fc1)", "\xC3\xBC"
                       "1"},
        {R"(\x20ac)", "\xE2\x82\xAC"},
        {R"(\101\0)", "A\0"s},
        {R"(\xZ)", "xZ"},
        {R"(end\)", "end\\"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.escaped);
        EXPECT_EQ(unescapeWineRegistryString(c.escaped), c.text);
    }
}

TEST(WineRegistry, TurnsWindowsPathsIntoPathsOfThePrefix)
{
    const struct {
        const char* windows;
        const char* host;
    } cases[] = {
        {R"(C:\Games\Mirelings 2\)", "/p/drive_c/Games/Mirelings 2/"},
        {R"(c:\Games\Genetics)", "/p/drive_c/Games/Genetics"},
        {"C:", "/p/drive_c/"},
        {R"(Z:\home\pat\m2\)", "/home/pat/m2/"},
        {R"(z:\)", "/"},
        {R"(D:\m2\)", "/p/dosdevices/d:/m2/"},
        {R"(Games\m2\)", R"(Games\m2\)"},
        {R"(\\server\share\)", R"(\\server\share\)"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windows);
        EXPECT_EQ(hostPathOfWinePath("/p", c.windows), c.host);
    }
}

class WinePrefixTest : public ::testing::Test {
protected:
    TempDir dir;
    fs::path root = dir.path();
};

TEST_F(WinePrefixTest, ReadsTheKeysValuesWhateverTheCaseAndLineEnds)
{
    const fs::path reg = root / "system.reg";
    writeFile(reg.string(), systemReg("[software\\\\BRINDLECOVE technology\\\\Mirelings 2\\\\1.0] 17\r\n"
                                      "#time=1d9f\r\n"
                                      "\"Main Directory\"=\"C:\\\\Games\\\\M2\\\\\"\r\n"
                                      "\"Genetics Directory\"=str(2):\"%ProgramFiles%\\\\M2\"\r\n"
                                      "\"Quote \\\"q\\\"=x\"=\"a\\\"=b\"\r\n"
                                      "\"Size\"=dword:00000010\r\n"
                                      "\"Blob\"=hex:01,02,\\\r\n"
                                      "  03,04\r\n"
                                      "\r\n"
                                      "[Software\\\\Other] 18\r\n"
                                      "\"Main Directory\"=\"elsewhere\"\r\n"));
    const std::string key = "Software\\Brindlecove Technology\\Mirelings 2\\1.0";
    const auto keys = readWineRegistryKeys(reg, {key, "Software\\Missing"});
    ASSERT_EQ(keys.size(), 1u);
    const WineRegistryKey& values = keys.at(key);
    using Type = WineRegistryValue::Type;
    const struct {
        const char* name;
        Type type;
        const char* text;
    } expected[] = {
        {"Blob", Type::Other, ""},
        {"Genetics Directory", Type::ExpandString, "%ProgramFiles%\\M2"},
        {"main directory", Type::String, "C:\\Games\\M2\\"},
        {"Quote \"q\"=x", Type::String, "a\"=b"},
        {"Size", Type::Other, ""},
    };
    ASSERT_EQ(values.size(), std::size(expected));
    for (const auto& e : expected) {
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(values.contains(e.name));
        EXPECT_EQ(values.at(e.name).type, e.type);
        EXPECT_EQ(values.at(e.name).text, e.text);
    }
}

TEST_F(WinePrefixTest, SettingsComeFromTheFirstPrefixWithTheKey)
{
    const fs::path empty = makePrefix(root / "empty", "");
    const fs::path game = makePrefix(root / "game", GameKey + "\"Main Directory\"=\"C:\\\\Games\\\\Mirelings 2\\\\\"\n"
                                                              "\"Genetics Directory\"=\"Z:\\\\srv\\\\genetics\\\\\"\n");
    const fs::path later = makePrefix(root / "later", GameKey + "\"Main Directory\"=\"C:\\\\Later\\\\\"\n");

    const auto settings = settingsFromWinePrefixes({root / "none", empty, game, later});
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->mainDirectory, (game / "drive_c").generic_string() + "/Games/Mirelings 2/");
    EXPECT_EQ(settings->chemicalFilePath(),
              (game / "drive_c").generic_string() + "/Games/Mirelings 2/allchemicals.str");
    EXPECT_EQ(settings->geneticsDirectory, "/srv/genetics/");

    EXPECT_FALSE(settingsFromWinePrefixes({root / "none", empty}));
}

TEST_F(WinePrefixTest, TheWow6432NodeKeyServesWhenTheNativeOneIsMissing)
{
    const std::string wowKey = "[Software\\\\Wow6432Node\\\\Brindlecove Technology\\\\Mirelings 2\\\\1.0] 1\n";
    const struct {
        const char* what;
        std::string body;
        const char* mainDirectory;
    } cases[] = {
        {"wow only", wowKey + "\"Main Directory\"=\"C:\\\\wow\\\\\"\n", "/drive_c/wow/"},
        {"both",
         wowKey + "\"Main Directory\"=\"C:\\\\wow\\\\\"\n" + GameKey + "\"Main Directory\"=\"C:\\\\native\\\\\"\n",
         "/drive_c/native/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path prefix = makePrefix(root / c.what, c.body);
        const auto settings = settingsFromWinePrefixes({prefix});
        ASSERT_TRUE(settings);
        EXPECT_EQ(settings->mainDirectory, prefix.generic_string() + c.mainDirectory);
        EXPECT_EQ(settings->geneticsDirectory, "");
    }
}

TEST_F(WinePrefixTest, AValueThatIsNotAStringIsAnErrorNamingIt)
{
    const struct {
        std::string values;
        const char* message;
    } cases[] = {
        {"\"Main Directory\"=dword:00000001\n", "Invalid data type for 'Main Directory'"},
        {"\"Main Directory\"=\"C:\\\\\"\n\"Genetics Directory\"=hex(7):43,00,00,00\n",
         "Invalid data type for 'Genetics Directory'"},
        {"\"Main Directory\"=hex:43,3a\n\"Genetics Directory\"=dword:1\n", "Invalid data type for 'Main Directory'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.values);
        const fs::path prefix = makePrefix(root / "p", GameKey + c.values);
        try {
            settingsFromWinePrefixes({prefix});
            ADD_FAILURE() << "no error";
        } catch (const HelixplotError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST_F(WinePrefixTest, HostileFilesAreReadOnlyWithinBounds)
{
    const std::string key = "Software\\Brindlecove Technology\\Mirelings 2\\1.0";
    const std::string value = "\"Main Directory\"=\"C:\\\\m2\\\\\"\n";
    const std::string longLine = "\"Padding\"=\"" + std::string(1500, 'x') + "\"\n";
    const WineRegistryLimits limits{.maxBytes = 4096, .maxLineLength = 1000};
    // What is read: the key with its value, the key alone, or nothing.
    enum Outcome { Value, KeyOnly, Nothing };
    const struct {
        const char* what;
        std::string text;
        Outcome outcome;
    } cases[] = {
        {"key within the bounds", GameKey + value, Value},
        {"an overlong line is skipped, not split", longLine + GameKey + longLine + value, Value},
        {"an overlong key line is no key", "[" + std::string(2000, 'k') + "] 1\n" + GameKey + value, Value},
        {"key beyond the byte limit", std::string(4200, '\n') + GameKey + value, Nothing},
        {"value cut by the byte limit", std::string(4096 - GameKey.size() - 5, '\n') + GameKey + value, KeyOnly},
        {"one endless line", std::string(1 << 20, 'x') + "\n" + GameKey + value, Nothing},
        {"no line end at all", GameKey + value.substr(0, value.size() - 1), Value},
        {"binary", std::string("\0\xff[\n\"\n", 6) + GameKey + value, Value},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const fs::path reg = root / "system.reg";
        writeFile(reg.string(), c.text);
        const auto keys = readWineRegistryKeys(reg, {key}, limits);
        ASSERT_EQ(keys.contains(key), c.outcome != Nothing);
        if (c.outcome == Nothing)
            continue;
        const WineRegistryKey& values = keys.at(key);
        ASSERT_EQ(values.contains("Main Directory"), c.outcome == Value);
        if (c.outcome == Value) {
            EXPECT_EQ(values.at("Main Directory").text, "C:\\m2\\");
        }
    }

    // A folder where the file should be.
    fs::create_directories(root / "folder" / "system.reg");
    EXPECT_TRUE(readWineRegistryKeys(root / "folder" / "system.reg", {key}).empty());
#ifndef _WIN32
    // A FIFO would block the reader until someone writes to it.
    fs::create_directories(root / "fifo");
    ASSERT_EQ(::mkfifo((root / "fifo" / "system.reg").c_str(), 0600), 0);
    EXPECT_TRUE(readWineRegistryKeys(root / "fifo" / "system.reg", {key}).empty());
#endif
}

TEST_F(WinePrefixTest, PrefixesAreSearchedInTheirOrderEachOnce)
{
    const fs::path home = root / "home";
    const fs::path data = home / ".local/share";
    // Each launcher's prefix, and folders beside them that are no prefixes.
    const fs::path prefixes[] = {
        root / "explicit",
        home / ".wine",
        home / "Games/a-lutris-game",
        home / "Games/b-lutris-game",
        data / "bottles/bottles/Mirelings",
        home / ".var/app/com.usebottles.bottles/data/bottles/bottles/Flat",
        home / ".PlayOnLinux/wineprefix/M2",
        home / "Games/Heroic/Prefixes/default/Mirelings 2",
        home / ".cxoffice/Mirelings",
        data / "Steam/steamapps/compatdata/4711/pfx",
    };
    for (const fs::path& p : prefixes)
        makePrefix(p, "");
    fs::create_directories(home / "Games/not-a-prefix");
    fs::create_directories(data / "Steam/steamapps/compatdata/9/pfx");

    std::vector<fs::path> expected(std::begin(prefixes), std::end(prefixes));
#ifndef _WIN32
    // ~/.steam/steam is normally a link to Steam's own folder: the same prefixes.
    fs::create_directories(home / ".steam");
    fs::create_directory_symlink(data / "Steam", home / ".steam/steam");
#endif
    EXPECT_EQ(winePrefixCandidates({(root / "explicit").string(), home.string(), ""}), expected);

    // Without WINEPREFIX, with XDG_DATA_HOME elsewhere.
    const fs::path otherData = root / "data";
    makePrefix(otherData / "bottles/bottles/Other", "");
    expected = {home / ".wine",
                home / "Games/a-lutris-game",
                home / "Games/b-lutris-game",
                otherData / "bottles/bottles/Other",
                home / ".var/app/com.usebottles.bottles/data/bottles/bottles/Flat",
                home / ".PlayOnLinux/wineprefix/M2",
                home / "Games/Heroic/Prefixes/default/Mirelings 2",
                home / ".cxoffice/Mirelings"};
#ifndef _WIN32
    expected.push_back(home / ".steam/steam/steamapps/compatdata/4711/pfx");
#endif
    EXPECT_EQ(winePrefixCandidates({"", home.string(), otherData.string()}), expected);

    EXPECT_TRUE(winePrefixCandidates({"", "", ""}).empty());
}

#ifndef _WIN32

// Sets or unsets environment variables for one scope.
class ScopedEnvironment {
public:
    void set(const char* name, const std::optional<std::string>& value)
    {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        apply(name, value);
    }
    ~ScopedEnvironment()
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            apply(it->first, it->second);
    }

private:
    static void apply(const char* name, const std::optional<std::string>& value)
    {
        if (value)
            ::setenv(name, value->c_str(), 1);
        else
            ::unsetenv(name);
    }
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

TEST_F(WinePrefixTest, TheUsersSettingsFileWinsOverWine)
{
    const fs::path home = root / "home";
    const fs::path prefix = makePrefix(home / ".wine", GameKey + "\"Main Directory\"=\"C:\\\\wine\\\\\"\n");
    const fs::path config = root / "config";
    ScopedEnvironment env;
    env.set("HOME", home.string());
    env.set("XDG_CONFIG_HOME", config.string());
    env.set("XDG_DATA_HOME", std::nullopt);
    env.set("WINEPREFIX", std::nullopt);
    env.set("HELIXPLOT_SETTINGS", std::nullopt);

    const std::string section = "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\n";
    const struct {
        const char* what;
        std::optional<std::string> settingsFile;
        bool fromWine;
        const char* mainDirectory;
        const char* geneticsDirectory;
    } cases[] = {
        {"no settings file", std::nullopt, true, "/drive_c/wine/", ""},
        {"a file naming nothing", "; nothing yet\n" + section, true, "/drive_c/wine/", ""},
        {"a file naming the installation", section + "Main Directory=/games/m2/\n", false, "/games/m2/", ""},
        {"a file naming only the genetics", section + "Genetics Directory=/g/\n", false, "", "/g/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(config);
        if (c.settingsFile) {
            fs::create_directories(config / "helixplot");
            writeFile((config / "helixplot/settings.ini").string(), *c.settingsFile);
        }
        const Settings s = readSettings();
        EXPECT_EQ(s.mainDirectory, (c.fromWine ? prefix.string() : std::string()) + c.mainDirectory);
        EXPECT_EQ(s.geneticsDirectory, c.geneticsDirectory);
    }

    // A settings file named by HELIXPLOT_SETTINGS is the whole of the settings.
    writeFile((root / "explicit.ini").string(), "");
    env.set("HELIXPLOT_SETTINGS", (root / "explicit.ini").string());
    EXPECT_EQ(readSettings().mainDirectory, "");
}

#endif // _WIN32

} // namespace
} // namespace helixplot
