// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/genomeSummary.h"

#include "genomeBuilder.h"

#include <gtest/gtest.h>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::GenomeBuilder;
using testing::genusGene;
using testing::makeGene;

GeneRecord carried(std::uint8_t type, std::uint8_t subtype)
{
    GeneFields f;
    f.flags = 0x20 | 0x01;
    return makeGene(type, subtype, f);
}

TEST(GenomeSummary, CountsGenesOrgansAndCarriedGenes)
{
    // Two organs with three attached genes between them, four loose genes;
    // carried genes among the organ genes, the attached and the loose ones.
    const auto genome =
        GenomeBuilder{genusGene("nela", "orvo"), carried(3, 0), makeGene(1, 0, 1), carried(1, 1),    makeGene(0, 1, 2),
                      makeGene(0, 0, 3),         carried(2, 6), makeGene(2, 7, 4), makeGene(1, 3, 5)}
            .genome();
    EXPECT_EQ(genomeSummary(&genome), (std::vector<std::string>{"Mother: nela, Father: orvo", "Total Genes: 9",
                                                                "Organ Count: 2 (3 genes)", "Carried Genes: 3"}));
    EXPECT_EQ(genomeSummary(nullptr), std::vector<std::string>{" -- Invalid Filename or Bad gene file --"});
}

TEST(GenomeSummary, ParentsNamesAreCutAtTheFirstZeroByte)
{
    const struct {
        const char* what;
        GeneRecord first;
        std::string line;
    } cases[] = {
        {"four letters each", genusGene("ABCD", "EFGH"), "Mother: ABCD, Father: EFGH"},
        {"zero in the second place", genusGene("a\0cd", "EF"), "Mother: a, Father: EF"},
        {"no names", genusGene("", ""), "Mother: , Father: "},
        {"first gene is no genus", makeGene(2, 0, 1, {9, 'x', 'y', 0, 0, 'z'}), "Mother: xy, Father: z"},
        {"a body shorter than the names", makeGene(2, 6, 1, {9, 'x', 'y'}), "Mother: x, Father: "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto genome = GenomeBuilder{c.first}.genome();
        EXPECT_EQ(genomeSummary(&genome).front(), c.line);
    }
    const auto noLooseGene = GenomeBuilder{makeGene(3, 0, 1)}.genome();
    EXPECT_EQ(genomeSummary(&noLooseGene).front(), "Mother: , Father: ");
}

TEST(ParentFilePath, PlainNamesBesideTheExaminedGenomeOthersNotAtAll)
{
    const struct {
        std::string mother;
        std::string expected; // empty: not found, never opened
    } cases[] = {
        {"nela", "/home/pat/genomes/nela.gen"},
        {"n", "/home/pat/genomes/n.gen"},
        {"a.b", "/home/pat/genomes/a.b.gen"},
        {"Caf\xe9", "/home/pat/genomes/Caf\xe9.gen"},
        {"", ""},
        {".", ""},
        {"..", ""},
        {"../x", ""},
        {"/tmp", ""},
        {"a\\b", ""},
        {"\x1b[2J", ""},
        {"a\tb", ""},
        {"ab\x7f", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mother);
        const auto genome = GenomeBuilder{genusGene(c.mother, "orvo")}.genome();
        EXPECT_EQ(parentFilePath("/home/pat/genomes/tibb.gen", genome, false), c.expected);
        EXPECT_EQ(parentFilePath("/home/pat/genomes/tibb.gen", genome, true), "/home/pat/genomes/orvo.gen");
        EXPECT_EQ(isPlainFileName(c.mother), !c.expected.empty());
    }
    const auto genome = GenomeBuilder{genusGene("nela", "orvo")}.genome();
    EXPECT_EQ(parentFilePath("tibb.gen", genome, true), "orvo.gen");
    EXPECT_EQ(parentFilePath("/tibb.gen", genome, false), "/nela.gen");
    const auto noLooseGene = GenomeBuilder{makeGene(3, 0, 1)}.genome();
    EXPECT_EQ(parentFilePath("/home/pat/tibb.gen", noLooseGene, false), "");
}

} // namespace
} // namespace helixplot
