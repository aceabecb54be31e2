// SPDX-License-Identifier: GPL-3.0-or-later
#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

namespace helixplot {
namespace {

using testing::TempDir;
using testing::writeFile;

// A chemical-name file: two leading bytes, then the given entries.
std::string chemicalFile(const std::vector<std::string>& names, std::string_view lead = "\xAB\xCD")
{
    std::string bytes(lead);
    for (const auto& n : names) {
        bytes += static_cast<char>(n.size());
        bytes += n;
    }
    return bytes;
}

std::vector<std::string> numberedNames()
{
    std::vector<std::string> names;
    for (int i = 0; i < 256; ++i)
        names.push_back("Chem" + std::to_string(i));
    return names;
}

class ChemicalNamesTest : public ::testing::Test {
protected:
    ChemicalNameTable table;
    TempDir dir;
    std::string path = dir.file("allchemicals.str");
};

TEST_F(ChemicalNamesTest, EmptyEntriesGetTheirNumberInBrackets)
{
    writeFile(path, chemicalFile(std::vector<std::string>(256)));
    loadChemicalNames(path, table);
    EXPECT_EQ(table[0], "<0>");
    EXPECT_EQ(table[7], "<7>");
    EXPECT_EQ(table[255], "<255>");
}

TEST_F(ChemicalNamesTest, ReadsNamesOfEveryLengthAndIgnoresTheRest)
{
    auto names = numberedNames();
    names[1] = std::string(255, 'x');
    names[2] = "";
    for (const std::string& lead : {std::string("\0\0", 2), std::string("\xFF\xFF")}) {
        writeFile(path, chemicalFile(names, lead) + "trailing bytes");
        loadChemicalNames(path, table);
        EXPECT_EQ(table[0], "Chem0");
        EXPECT_EQ(table[1], std::string(255, 'x'));
        EXPECT_EQ(table[2], "<2>");
        EXPECT_EQ(table[255], "Chem255");
    }
}

TEST_F(ChemicalNamesTest, ShortFileKeepsWhatWasRead)
{
    auto names = numberedNames();
    std::string bytes = chemicalFile(std::vector<std::string>(names.begin(), names.begin() + 100));
    bytes += static_cast<char>(10);
    bytes += "Chem1"; // entry 100 cut short
    writeFile(path, bytes);
    table[200] = "stale";
    try {
        loadChemicalNames(path, table);
        FAIL() << "no error";
    } catch (const InOutError& e) {
        EXPECT_STREQ(e.what(), "Read beyond end of file");
    }
    EXPECT_EQ(table[0], "Chem0");
    EXPECT_EQ(table[99], "Chem99");
    EXPECT_EQ(table[100], "");
    EXPECT_EQ(table[101], "");
    EXPECT_EQ(table[200], "");
}

TEST_F(ChemicalNamesTest, FailsOnMissingFileOrTooShortLead)
{
    for (const auto& [content, message] :
         {std::pair<std::optional<std::string>, const char*>{std::nullopt, "File not found"},
          {std::string(), "Read beyond end of file"},
          {std::string("\x01"), "Read beyond end of file"}}) {
        if (content)
            writeFile(path, *content);
        try {
            loadChemicalNames(content ? path : dir.file("none.str"), table);
            ADD_FAILURE() << "no error";
        } catch (const InOutError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

#ifndef _WIN32

class SettingsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = dir.file("settings.ini");
};

TEST_F(SettingsTest, MissingFileSectionOrValueReadsEmpty)
{
    const struct {
        const char* name;
        std::optional<std::string> content;
    } cases[] = {
        {"no file", std::nullopt},
        {"empty file", ""},
        {"other section", "[Software\\Other]\nMain Directory=/games/\n"},
        {"values before any section", "Main Directory=/games/\nGenetics Directory=/genes/\n"},
        {"no values", "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\n; nothing here\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.content)
            writeFile(path, *c.content);
        const Settings s = readSettingsFile(path);
        EXPECT_EQ(s.mainDirectory, "");
        EXPECT_EQ(s.geneticsDirectory, "");
        EXPECT_EQ(s.chemicalFilePath(), "allchemicals.str");
    }
}

TEST_F(SettingsTest, ReadsBothValues)
{
    writeFile(path, "# Helixplot settings\r\n"
                    "[Other]\r\nMain Directory=/wrong/\r\n"
                    "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\r\n"
                    "  Main Directory = /games/mirelings/ \r\n"
                    "Genetics Directory=/games/mirelings/genetics\r\n");
    const Settings s = readSettingsFile(path);
    EXPECT_EQ(s.mainDirectory, "/games/mirelings/");
    EXPECT_EQ(s.geneticsDirectory, "/games/mirelings/genetics");
    EXPECT_EQ(s.chemicalFilePath(), "/games/mirelings/allchemicals.str");
}

TEST_F(SettingsTest, GluesTheChemicalFileNameWithoutSeparator)
{
    writeFile(path, "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\nMain Directory=/games/mirelings\n");
    EXPECT_EQ(readSettingsFile(path).chemicalFilePath(), "/games/mirelingsallchemicals.str");
}

TEST_F(SettingsTest, RelativeValuesAreTakenFromTheFilesFolder)
{
    writeFile(path,
              "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\nMain Directory=./\nGenetics Directory=genes\n");
    const Settings s = readSettingsFile(path);
    EXPECT_EQ(s.mainDirectory, dir.path() + "/");
    EXPECT_EQ(s.geneticsDirectory, dir.path() + "/genes");
}

TEST_F(SettingsTest, ReadsOnlyTheStartAndSkipsOverlongLines)
{
    const std::string section = "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\n";
    const std::string longest = "Genetics Directory=/" + std::string(SettingsLineLimit - 20, 'g');
    ASSERT_EQ(longest.size(), SettingsLineLimit);
    // A line one byte over the limit is skipped whole; its tail is no line.
    writeFile(path, section + longest + "\n" + "Main Directory=/m" + std::string(SettingsLineLimit, 'x') +
                        "\nMain Directory=/ok/\n");
    Settings s = readSettingsFile(path);
    EXPECT_EQ(s.geneticsDirectory, longest.substr(19));
    EXPECT_EQ(s.mainDirectory, "/ok/");

    // Past the read limit nothing counts, nor does the line it cuts.
    const std::string start = section + "Main Directory=/first/\n";
    std::string text = start + std::string(SettingsReadLimit - start.size() - 30, '#') + "\n";
    text += "Genetics Directory=/cut/in/the/middle\nMain Directory=/late/\n";
    writeFile(path, text);
    s = readSettingsFile(path);
    EXPECT_EQ(s.mainDirectory, "/first/");
    EXPECT_EQ(s.geneticsDirectory, "");
    // A file of exactly the limit is read whole; one byte more and its last
    // line is cut.
    text.resize(SettingsReadLimit);
    writeFile(path, text);
    EXPECT_EQ(readSettingsFile(path).geneticsDirectory, "/cut/in/th");
    writeFile(path, text + "\n");
    EXPECT_EQ(readSettingsFile(path).geneticsDirectory, "");
}

// The order in which the settings file is looked for.
TEST_F(SettingsTest, FilePathRules)
{
    const char* const names[] = {"HELIXPLOT_SETTINGS", "XDG_CONFIG_HOME", "HOME"};
    std::optional<std::string> saved[3];
    for (int i = 0; i < 3; ++i)
        if (const char* v = std::getenv(names[i]))
            saved[i] = v;
    const struct {
        const char* what;
        const char* values[3]; // nullptr: unset
        std::string path;
    } cases[] = {
        {"explicit file first", {"/etc/hp.ini", "/xdg", "/home/pat"}, "/etc/hp.ini"},
        {"XDG folder", {nullptr, "/xdg", "/home/pat"}, "/xdg/helixplot/settings.ini"},
        {"empty explicit file", {"", "/xdg", "/home/pat"}, "/xdg/helixplot/settings.ini"},
        {"home folder", {nullptr, nullptr, "/home/pat"}, "/home/pat/.config/helixplot/settings.ini"},
        {"empty XDG folder", {nullptr, "", "/home/pat"}, "/home/pat/.config/helixplot/settings.ini"},
        {"nothing to go by", {nullptr, nullptr, nullptr}, ""},
        {"empty home", {nullptr, nullptr, ""}, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        for (int i = 0; i < 3; ++i) {
            if (c.values[i])
                ::setenv(names[i], c.values[i], 1);
            else
                ::unsetenv(names[i]);
        }
        EXPECT_EQ(settingsFilePath(), c.path);
    }
    for (int i = 0; i < 3; ++i) {
        if (saved[i])
            ::setenv(names[i], saved[i]->c_str(), 1);
        else
            ::unsetenv(names[i]);
    }
}

TEST_F(SettingsTest, EnvironmentNamesTheFile)
{
    const char* old = std::getenv("HELIXPLOT_SETTINGS");
    const std::string saved = old ? old : "";
    writeFile(path, "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\nGenetics Directory=/g/\n");
    ::setenv("HELIXPLOT_SETTINGS", path.c_str(), 1);
    EXPECT_EQ(settingsFilePath(), path);
    EXPECT_EQ(readSettings().geneticsDirectory, "/g/");
    if (old)
        ::setenv("HELIXPLOT_SETTINGS", saved.c_str(), 1);
    else
        ::unsetenv("HELIXPLOT_SETTINGS");
}

#endif

} // namespace
} // namespace helixplot
