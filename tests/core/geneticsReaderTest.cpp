// SPDX-License-Identifier: GPL-3.0-or-later
#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#ifndef _WIN32
#include <unistd.h>
#endif

namespace helixplot {
namespace {

using testing::GenomeBuilder;
using testing::makeGene;
using testing::TempDir;
using testing::writeFile;

std::string headerBytes(std::uint8_t type, std::uint8_t subtype)
{
    return std::string{char(type), char(subtype), 1, 0, 0, 0, 0};
}

std::string errorOf(std::string_view bytes)
{
    try {
        TGeneticsFile::fromBytes(bytes);
    } catch (const HelixplotError& e) {
        return e.what();
    }
    return "no error";
}

struct BadFile {
    const char* name;
    std::string bytes;
    const char* message;
};

TEST(GeneticsReader, RejectsBadFilesWithTheirMessages)
{
    const std::string lobe = GenomeBuilder{makeGene(GeneKind::BrainLobe, 1)}.bytes().substr(4);
    const std::string halfLives = GenomeBuilder{makeGene(GeneKind::HalfLives, 0)}.bytes().substr(4);
    const BadFile cases[] = {
        {"empty file", "", "Read beyond end of file"},
        {"short magic", "dna", "Read beyond end of file"},
        {"wrong first byte", "Dna2", "Bad Gene File"},
        {"wrong last byte", "dna3", "Bad Gene File"},
        {"upper case", "DNA2", "Bad Gene File"},
        {"other format", "gene", "Bad Gene File"},
        {"bad marker with 7 bytes after",
         "dna2"
         "geen" +
             headerBytes(4, 0),
         "Bad gene Error!"},
        {"bad marker in upper case",
         "dna2"
         "GENE" +
             headerBytes(4, 0) + "gend",
         "Bad gene Error!"},
        {"bad marker with 6 bytes after",
         "dna2"
         "geen" +
             headerBytes(4, 0).substr(0, 6),
         "Read beyond end of file"},
        {"marker cut short",
         "dna2"
         "ge",
         "Read beyond end of file"},
        {"end marker cut short", "dna2" + lobe + "gen", "Read beyond end of file"},
        {"header cut short",
         "dna2"
         "gene"
         "\x01\x00",
         "Read beyond end of file"},
        {"lobe body cut short", "dna2" + lobe.substr(0, lobe.size() - 1), "Read beyond end of file"},
        {"half-lives cut short", "dna2" + halfLives.substr(0, halfLives.size() - 1), "Read beyond end of file"},
        {"unknown kind followed by a body",
         "dna2"
         "gene" +
             headerBytes(4, 0) + "\x05\x05\x05\x05" + headerBytes(2, 6),
         "Bad gene Error!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(errorOf(c.bytes), c.message);
    }
}

TEST(GeneticsReader, ReadsEmptyGenomes)
{
    for (const std::string bytes : {"dna2", "dna2gend", "dna2gendNOT A GENE AT ALL"}) {
        SCOPED_TRACE(bytes);
        const auto genome = TGeneticsFile::fromBytes(bytes);
        EXPECT_TRUE(genome.GeneList().empty());
        EXPECT_TRUE(genome.OrganList().empty());
        EXPECT_EQ(genome.geneCount(), 0u);
    }
}

TEST(GeneticsReader, IgnoresEverythingAfterTheEndMarker)
{
    const auto genome =
        (GenomeBuilder{makeGene(GeneKind::Pigment, 1, {1, 200})}).end().raw("junk that is not a gene").genome();
    ASSERT_EQ(genome.GeneList().size(), 1u);
    EXPECT_EQ(genome.GeneList()[0].body[1], 200);
}

TEST(GeneticsReader, KeepsRecordsWholeAndZeroFilled)
{
    testing::GeneFields fields;
    fields.id = 7;
    fields.reserved = 9;
    fields.lifeStage = 3;
    fields.flags = 0x25;
    fields.headerValue = 128;
    const auto gene = makeGene(GeneKind::Genus, fields, {0, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'});
    const auto genome = GenomeBuilder{gene}.genome();
    ASSERT_EQ(genome.GeneList().size(), 1u);
    const GeneRecord& read = genome.GeneList()[0];
    EXPECT_TRUE(read.isGene());
    EXPECT_EQ(read.header.type, 2);
    EXPECT_EQ(read.header.subtype, 1);
    EXPECT_EQ(read.header.id, 7);
    EXPECT_EQ(read.header.reserved, 9);
    EXPECT_EQ(read.header.lifeStage, 3);
    EXPECT_EQ(read.header.flags, 0x25);
    EXPECT_EQ(read.header.headerValue, 128);
    EXPECT_EQ(read.body[8], 'H');
    for (std::size_t i = 9; i < read.body.size(); ++i)
        ASSERT_EQ(read.body[i], 0) << "body byte " << i;
}

TEST(GeneticsReader, AcceptsAnUnknownKindWithAnEmptyBody)
{
    const auto genome = GenomeBuilder{makeGene(4, 0, 3), makeGene(GeneKind::Pigment, 1, {2, 9})}.genome();
    ASSERT_EQ(genome.GeneList().size(), 2u);
    EXPECT_EQ(genome.GeneList()[0].header.type, 4);
    EXPECT_EQ(genome.GeneList()[0].header.id, 3);
    EXPECT_EQ(genome.GeneList()[1].body[1], 9);
}

TEST(GeneticsReader, ReadsAFileWithoutEndMarker)
{
    const auto genome = GenomeBuilder{makeGene(GeneKind::InitialConcentration, 1, {5, 6}),
                                      makeGene(GeneKind::InitialConcentration, 2, {7, 8})}
                            .genome();
    EXPECT_EQ(genome.GeneList().size(), 2u);
}

TEST(BodyLength, GivesEachKindItsLength)
{
    const struct {
        std::uint8_t type, subtype;
        std::size_t length;
    } kinds[] = {
        {0, 0, 196}, {0, 1, 5}, {1, 0, 8},  {1, 1, 8}, {1, 2, 9}, {1, 3, 256},   {1, 4, 2}, {2, 0, 13},
        {2, 1, 9},   {2, 2, 3}, {2, 3, 16}, {2, 4, 9}, {2, 5, 9}, {2, 6, 2},     {2, 7, 2}, {3, 0, 5},
        {0, 2, 0},   {1, 5, 0}, {2, 8, 0},  {3, 1, 0}, {4, 0, 0}, {255, 255, 0},
    };
    for (const auto& k : kinds) {
        SCOPED_TRACE(std::to_string(k.type) + "," + std::to_string(k.subtype));
        EXPECT_EQ(bodyLength(k.type, k.subtype), k.length);
    }
}

// Where each gene lands: "L" the loose list, "O<n>" organ n's own gene,
// "A<n>" attached to organ n.
std::string placement(const TGeneticsFile& genome)
{
    std::string out;
    for (const auto& g : genome.GeneList())
        out += "L" + std::to_string(g.header.id) + " ";
    for (std::size_t i = 0; i < genome.OrganList().size(); ++i) {
        out += "O" + std::to_string(i) + ":" + std::to_string(genome.OrganList()[i].OrganGene.header.id) + " ";
        for (const auto& g : genome.OrganList()[i].GeneList)
            out += "A" + std::to_string(i) + ":" + std::to_string(g.header.id) + " ";
    }
    return out;
}

TEST(GeneticsReader, FilesGenesByTheirOrgans)
{
    const auto lobe = [](std::uint8_t id) { return makeGene(GeneKind::BrainLobe, id); };
    const auto brain = [](std::uint8_t id) { return makeGene(GeneKind::BrainOrgan, id); };
    const auto organ = [](std::uint8_t id) { return makeGene(GeneKind::Organ, id); };
    const auto receptor = [](std::uint8_t id) { return makeGene(GeneKind::Receptor, id); };
    const auto emitter = [](std::uint8_t id) { return makeGene(GeneKind::Emitter, id); };
    const auto reaction = [](std::uint8_t id) { return makeGene(GeneKind::Reaction, id); };
    const struct {
        const char* name;
        std::vector<GeneRecord> genes;
        const char* placed;
    } cases[] = {
        {"orphans before any organ", {lobe(1), receptor(2), emitter(3), reaction(4)}, "L1 L2 L3 L4 "},
        {"lobe after brain organ then organ goes to the brain", {brain(1), organ(2), lobe(3)}, "O0:1 A0:3 O1:2 "},
        {"emitter after brain organ then organ goes to the organ", {brain(1), organ(2), emitter(3)}, "O0:1 O1:2 A1:3 "},
        {"receptor after a brain organ attaches to it",
         {brain(1), receptor(2), organ(3), reaction(4)},
         "O0:1 A0:2 O1:3 A1:4 "},
        {"half-lives and concentration after an organ stay loose",
         {organ(1), makeGene(GeneKind::HalfLives, 2), makeGene(GeneKind::InitialConcentration, 3), receptor(4)},
         "L2 L3 O0:1 A0:4 "},
        {"lobe before a brain organ but after an organ is loose", {organ(1), lobe(2)}, "L2 O0:1 "},
        {"two brain organs keep their own lobes",
         {brain(1), lobe(2), lobe(3), brain(4), lobe(5)},
         "O0:1 A0:2 A0:3 O1:4 A1:5 "},
        {"creature genes stay loose",
         {organ(1), makeGene(GeneKind::Stimulus, 2), makeGene(GeneKind::PigmentBleed, 3), makeGene(4, 0, 4)},
         "L2 L3 L4 O0:1 "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto genome = GenomeBuilder().add(c.genes).genome();
        EXPECT_EQ(placement(genome), c.placed);
        EXPECT_EQ(genome.geneCount(), c.genes.size());
    }
}

TEST(GeneticsReader, ReadsFromFiles)
{
    TempDir dir;
    const std::string path = dir.file("kidd.gen");
    (GenomeBuilder{makeGene(GeneKind::Genus, 1), makeGene(GeneKind::Organ, 2), makeGene(GeneKind::Receptor, 3)})
        .end()
        .writeTo(path);
    const TGeneticsFile genome(path);
    EXPECT_EQ(placement(genome), "L1 O0:2 A0:3 ");
    // The reader only ever reads: the file is unchanged.
    EXPECT_TRUE(fileExists(path));
}

TEST(GeneticsReader, ReportsFileLayerFailures)
{
    TempDir dir;
    const std::string locked = dir.file("locked.gen");
    writeFile(locked, "dna2gend");
    std::filesystem::permissions(locked, std::filesystem::perms::none);
#ifdef _WIN32
    const bool rootCanRead = true; // permissions only make a Windows file read-only
#else
    const bool rootCanRead = ::access(locked.c_str(), R_OK) == 0;
#endif

    const struct {
        const char* name;
        std::string path;
        const char* message;
    } cases[] = {
        {"missing file", dir.file("nothere.gen"), "File not found"},
        {"missing folder", dir.file("nofolder/kidd.gen"), "File not found"},
        {"empty name", "", "File not found"},
        {"a folder", dir.path(), "File access denied"},
        {"unreadable file", locked, rootCanRead ? nullptr : "File access denied"},
    };
    for (const auto& c : cases) {
        if (!c.message)
            continue; // permissions do not bind this user
        SCOPED_TRACE(c.name);
        try {
            TGeneticsFile genome(c.path);
            ADD_FAILURE() << "no error";
        } catch (const InOutError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(GenomeFiles, ExistenceAndDirectoryPart)
{
    TempDir dir;
    writeFile(dir.file("a.gen"), "dna2");
    EXPECT_TRUE(fileExists(dir.file("a.gen")));
    EXPECT_FALSE(fileExists(dir.file("b.gen")));
    EXPECT_FALSE(fileExists(dir.path()));
    EXPECT_FALSE(fileExists(""));
    EXPECT_EQ(directoryOf("/home/pat/genomes/kidd.gen"), "/home/pat/genomes/");
    EXPECT_EQ(directoryOf("kidd.gen"), "");
    EXPECT_EQ(directoryOf("/kidd.gen"), "/");
}

} // namespace
} // namespace helixplot
