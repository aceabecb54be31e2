// SPDX-License-Identifier: GPL-3.0-or-later
// The settings from the Windows registry. HKEY_LOCAL_MACHINE is redirected
// onto a scratch key of the current user, so the test needs no
// administrator rights and leaves the machine's registry alone.

#ifdef _WIN32

#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "genetics/unitGenetics.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <string>

namespace helixplot {
namespace {

constexpr const char* Scratch = "Software\\Helixplot test registry";

class WindowsRegistryTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, Scratch);
        ASSERT_EQ(
            RegCreateKeyExA(HKEY_CURRENT_USER, Scratch, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &machine_, nullptr),
            ERROR_SUCCESS);
        ASSERT_EQ(RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_), ERROR_SUCCESS);
    }
    void TearDown() override
    {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        if (game_)
            RegCloseKey(game_);
        RegCloseKey(machine_);
        RegDeleteTreeA(HKEY_CURRENT_USER, Scratch);
    }

    HKEY game()
    {
        if (!game_) {
            EXPECT_EQ(RegCreateKeyExA(machine_, SettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &game_, nullptr),
                      ERROR_SUCCESS);
        }
        return game_;
    }
    void setString(const char* name, const std::string& value, DWORD type = REG_SZ)
    {
        ASSERT_EQ(RegSetValueExA(game(), name, 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1)),
                  ERROR_SUCCESS);
    }
    void setDword(const char* name, std::uint32_t value)
    {
        ASSERT_EQ(RegSetValueExA(game(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value),
                  ERROR_SUCCESS);
    }

private:
    HKEY machine_ = nullptr;
    HKEY game_ = nullptr;
};

TEST_F(WindowsRegistryTest, AMissingKeyOrValueReadsEmpty)
{
    Settings s = readSettings();
    EXPECT_EQ(s.mainDirectory, "");
    EXPECT_EQ(s.geneticsDirectory, "");
    EXPECT_EQ(s.chemicalFilePath(), "allchemicals.str");

    setString("Genetics Directory", "D:\\Genetics");
    s = readSettings();
    EXPECT_EQ(s.mainDirectory, "");
    EXPECT_EQ(s.geneticsDirectory, "D:\\Genetics");
}

TEST_F(WindowsRegistryTest, StringsAreTakenAsStoredAndNameTheChemicalFile)
{
    const std::string samples = std::string(HELIXPLOT_SOURCE_DIR) + "/samples/";
    setString("Main Directory", samples);
    setString("Genetics Directory", "%USERPROFILE%\\Genetics\\", REG_EXPAND_SZ);
    const Settings s = readSettings();
    EXPECT_EQ(s.mainDirectory, samples);
    EXPECT_EQ(s.geneticsDirectory, "%USERPROFILE%\\Genetics\\");

    // The chemical names come from the file the registry names.
    ChemicalNameTable fromRegistry;
    ChemicalNameTable direct;
    loadChemicalNames(s.chemicalFilePath(), fromRegistry);
    loadChemicalNames(samples + "allchemicals.str", direct);
    EXPECT_EQ(fromRegistry, direct);
    EXPECT_NE(fromRegistry[1], "");
}

TEST_F(WindowsRegistryTest, AValueThatIsNotAStringIsAnErrorNamingIt)
{
    const struct {
        const char* dwordValue;
        const char* message;
    } cases[] = {
        {"Main Directory", "Invalid data type for 'Main Directory'"},
        {"Genetics Directory", "Invalid data type for 'Genetics Directory'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dwordValue);
        setString("Main Directory", "C:\\M2\\");
        setString("Genetics Directory", "C:\\M2\\Genetics");
        setDword(c.dwordValue, 1);
        try {
            readSettings();
            ADD_FAILURE() << "no error";
        } catch (const HelixplotError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

} // namespace
} // namespace helixplot

#endif // _WIN32
