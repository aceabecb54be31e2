// SPDX-License-Identifier: GPL-3.0-or-later
// The file layer reads in blocks of its own: genomes longer than a block,
// and files cut anywhere, read as from memory.

#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <cstring>

namespace helixplot {
namespace {

using testing::GenomeBuilder;
using testing::makeGene;
using testing::TempDir;

// About 160 KB: genes cross the 64 KB block boundaries at many offsets.
std::string longGenome()
{
    GenomeBuilder builder;
    for (int i = 0; i < 600; ++i) {
        std::vector<std::uint8_t> body(256);
        for (std::size_t b = 0; b < body.size(); ++b)
            body[b] = static_cast<std::uint8_t>(i * 7 + static_cast<int>(b));
        builder.add(makeGene(1, 3, static_cast<std::uint8_t>(i), body));
        builder.add(makeGene(2, 6, static_cast<std::uint8_t>(i), {static_cast<std::uint8_t>(i), 1}));
    }
    return builder.end().bytes();
}

TEST(FileLayer, ALongGenomeReadsAsFromMemory)
{
    TempDir dir;
    const std::string bytes = longGenome();
    ASSERT_GT(bytes.size(), 2u * 64 * 1024);
    testing::writeFile(dir.file("long.gen"), bytes);
    const TGeneticsFile fromFile(dir.file("long.gen"));
    const TGeneticsFile fromMemory = TGeneticsFile::fromBytes(bytes);
    ASSERT_EQ(fromFile.GeneList().size(), 1200u);
    ASSERT_EQ(fromFile.GeneList().size(), fromMemory.GeneList().size());
    for (std::size_t i = 0; i < fromFile.GeneList().size(); ++i)
        ASSERT_EQ(std::memcmp(&fromFile.GeneList()[i], &fromMemory.GeneList()[i], sizeof(GeneRecord)), 0) << i;
}

// Cuts inside genes (a gene pair is 280 bytes from offset 4): on either side
// of a block boundary, just past one, and in the last gene.
TEST(FileLayer, AFileCutAnywhereEndsWithReadBeyondEnd)
{
    TempDir dir;
    const std::string bytes = longGenome();
    for (std::size_t cut :
         {std::size_t{65535}, std::size_t{65536}, std::size_t{65537}, std::size_t{131073}, bytes.size() - 5}) {
        SCOPED_TRACE(cut);
        testing::writeFile(dir.file("cut.gen"), bytes.substr(0, cut));
        std::string fromMemory, fromFile;
        try {
            TGeneticsFile::fromBytes(bytes.substr(0, cut));
        } catch (const HelixplotError& e) {
            fromMemory = e.what();
        }
        try {
            TGeneticsFile genome(dir.file("cut.gen"));
        } catch (const HelixplotError& e) {
            fromFile = e.what();
        }
        EXPECT_EQ(fromFile, fromMemory);
        EXPECT_EQ(fromFile, "Read beyond end of file");
    }
}

} // namespace
} // namespace helixplot
