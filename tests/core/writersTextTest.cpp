// SPDX-License-Identifier: GPL-3.0-or-later
// The small texts the writers share: CSV fields from names, and gene keys as
// typed.

#include "genetics/textEncoding.h"
#include "writers/captions.h"

#include <gtest/gtest.h>

namespace helixplot {
namespace {

TEST(WritersText, CsvFieldsFromNamesStayOneField)
{
    const struct {
        std::string text;
        std::string field;
    } cases[] = {
        {"plain", "plain"},
        {"a\rb", "\"a\rb\""},
        {"a\nb", "\"a\nb\""},
        {"a,b", "\"a,b\""},
        {"say \"hi\"", "\"say \"\"hi\"\"\""},
        {"\rx", "\"'\rx\""},
        {"=1+1", "'=1+1"},
        {"-2", "'-2"},
    };
    for (const auto& c : cases) {
        std::string out;
        appendCsvText(c.text, out);
        EXPECT_EQ(out, c.field) << c.text;
    }
}

TEST(WritersText, GeneKeysAreTypedInDecimalOrAsTheTextShowsThem)
{
    using Numbers = std::array<std::uint8_t, 3>;
    const struct {
        const char* text;
        std::optional<Numbers> numbers;
    } cases[] = {
        {"2:5:29", Numbers{2, 5, 29}},
        {"2:5:0x1D", Numbers{2, 5, 29}},
        {"0x2:0X05:0x1d", Numbers{2, 5, 29}},
        {"255:0:0xFF", Numbers{255, 0, 255}},
        {"2:5:1D", std::nullopt},
        {"2:5:0x", std::nullopt},
        {"2:5:0x100", std::nullopt},
        {"2:5:256", std::nullopt},
        {"2:5", std::nullopt},
        {"2:5:1:", std::nullopt},
        {"2::1", std::nullopt},
        {"-1:5:1", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(geneNumbersFromText(c.text), c.numbers) << c.text;
}

TEST(WritersText, CreatureNamesAreFileNamesWithoutFolderAndExtension)
{
    const struct {
        const char* file;
        const char* name;
    } cases[] = {
        {"kid.gen", "kid"}, {"sub/dir/kid.gen", "kid"}, {"kid.GEN", "kid.GEN"}, {".gen", ".gen"}, {"sub/", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(creatureName(c.file), c.name) << c.file;
}

} // namespace
} // namespace helixplot
