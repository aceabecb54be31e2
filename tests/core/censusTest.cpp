// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/census.h"

#include "genomeBuilder.h"
#include "mappingRunTestSupport.h"
#include "populationGenerator.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <iostream>
#include <map>

namespace helixplot {
namespace {

using samples::PopulationMember;
using testing::GenomeBuilder;
using testing::genusGene;
using testing::makeGene;
using testing::TempDir;

const std::string Samples = std::string(HELIXPLOT_SOURCE_DIR) + "/samples";

// A small genome naming its parents; extra tells genomes apart.
void writeGenome(const TempDir& dir, const std::string& file, std::string_view mother, std::string_view father,
                 std::uint8_t extra = 0)
{
    GenomeBuilder{genusGene(mother, father), makeGene(2, 3, 1, {0, 'a', extra}), makeGene(3, 0, 1, {1}),
                  makeGene(1, 0, 1, {2})}
        .end()
        .writeTo(dir.file(file));
}

std::map<std::string, const CensusRow*> byFile(const Census& census)
{
    std::map<std::string, const CensusRow*> rows;
    for (const CensusRow& row : census.rows)
        rows[row.file] = &row;
    return rows;
}

class CensusOfPopulation : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new TempDir;
        members_ = new std::vector<PopulationMember>(samples::writePopulation(dir_->path()));
    }
    static void TearDownTestSuite()
    {
        delete members_;
        delete dir_;
    }
    static TempDir* dir_;
    static std::vector<PopulationMember>* members_;
};
TempDir* CensusOfPopulation::dir_ = nullptr;
std::vector<PopulationMember>* CensusOfPopulation::members_ = nullptr;

TEST_F(CensusOfPopulation, RowsAreWhatTheGeneratorDid)
{
    const Census census = takeCensus(dir_->path());
    ASSERT_EQ(census.rows.size(), members_->size());
    ASSERT_EQ(members_->size(), 30u);
    const auto rows = byFile(census);

    std::map<std::string, std::size_t> children;
    for (const PopulationMember& m : *members_) {
        if (m.founder)
            continue;
        ++children[m.mother];
        if (!m.fatherMissing && m.father != m.mother)
            ++children[m.father];
    }
    int generations = 0, withMutations = 0;
    for (const PopulationMember& m : *members_) {
        SCOPED_TRACE(m.name);
        ASSERT_EQ(rows.count(m.name + ".gen"), 1u);
        const CensusRow& row = *rows.at(m.name + ".gen");
        EXPECT_TRUE(row.loaded());
        EXPECT_EQ(row.generation, m.generation);
        EXPECT_EQ(row.genes, m.genes);
        EXPECT_EQ(row.organs, m.organs);
        EXPECT_EQ(row.children, children[m.name]);
        generations = std::max(generations, m.generation);
        if (m.founder) {
            EXPECT_FALSE(row.motherRow);
            EXPECT_FALSE(row.mutated);
            continue;
        }
        EXPECT_EQ(row.mother, m.mother);
        ASSERT_TRUE(row.motherRow);
        EXPECT_EQ(census.rows[*row.motherRow].file, m.mother + ".gen");
        if (m.fatherMissing) {
            EXPECT_EQ(row.father, "lost");
            EXPECT_FALSE(row.fatherRow);
            EXPECT_EQ(row.mutatedTotal(), std::nullopt);
            continue;
        }
        EXPECT_EQ(row.father, m.father);
        ASSERT_TRUE(row.fatherRow);
        EXPECT_EQ(row.mutatedTotal(), m.mutatedGenes);
        // The genus gene names new parents: always one of them.
        ASSERT_TRUE(row.mutated);
        EXPECT_EQ((*row.mutated)[8], 1u);
        withMutations += m.mutatedKeys.empty() ? 0 : 1;
    }
    // The population is worth testing on: several generations, changes.
    EXPECT_EQ(generations, 3);
    EXPECT_GT(withMutations, 10);
}

TEST_F(CensusOfPopulation, ThreadsAndMemoryDoNotChangeTheRows)
{
    CensusOptions one;
    one.threads = 1;
    one.fingerprintMemory = 0;
    CensusOptions two;
    two.threads = 2;
    std::vector<std::size_t> reported;
    two.progress = [&](std::size_t done, std::size_t total) {
        EXPECT_EQ(total, members_->size());
        reported.push_back(done);
    };
    const Census a = takeCensus(dir_->path(), one);
    const Census b = takeCensus(dir_->path(), two);
    EXPECT_EQ(a.rows, b.rows);
    // Fingerprints for some genomes only: the others are read again.
    CensusOptions some;
    some.fingerprintMemory = 40'000;
    EXPECT_EQ(takeCensus(dir_->path(), some).rows, a.rows);
    ASSERT_EQ(reported.size(), members_->size());
    for (std::size_t i = 0; i < reported.size(); ++i)
        EXPECT_EQ(reported[i], i + 1);
    EXPECT_TRUE(std::is_sorted(a.rows.begin(), a.rows.end(),
                               [](const CensusRow& x, const CensusRow& y) { return x.file < y.file; }));
}

// The census's mutated counts are the statistics table's in parental mode.
TEST(Census, MutatedCountsAreTheParentalStatisticsTable)
{
    const Census census = takeCensus(Samples);
    const auto rows = byFile(census);
    const CensusRow& child = *rows.at("tibb.gen");
    ASSERT_TRUE(child.mutated);

    const TGeneticsFile examined(Samples + "/tibb.gen");
    const TGeneticsFile mother(Samples + "/nela.gen");
    const TGeneticsFile father(Samples + "/orvo.gen");
    MappingResult result;
    testing::RecordingProgress progress;
    MappingRun({MappingMode::Dual, &examined, &mother, &father}, result, progress);
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        SCOPED_TRACE(StatisticsCaptions[i]);
        EXPECT_EQ(result.statistics[i].mutated,
                  std::to_string((*child.mutated)[i]) + " (" + std::to_string(child.totals[i]) + ")");
    }
    EXPECT_EQ(child.mutatedTotal(), 19u);
    EXPECT_EQ(child.genus, "Tarrin");
    EXPECT_EQ(rows.at("quin.gen")->genus, "Brokka");
    EXPECT_EQ(rows.at("nela.gen")->children, 1u);
    EXPECT_EQ(rows.at("quin.gen")->children, 0u);
}

TEST(Census, FilesThatDoNotLoadAreListedWithTheirMessageAndTheRestIsCounted)
{
    TempDir dir;
    writeGenome(dir, "abba.gen", "", "");
    writeGenome(dir, "bebe.gen", "", "");
    writeGenome(dir, "kid.gen", "abba", "bebe");
    testing::writeFile(dir.file("bad.gen"), "dna3gene");
    testing::writeFile(dir.file("cut.gen"), std::string("dna2gene\x02\x01", 10));
    testing::writeFile(dir.file("empty.gen"), "");
    testing::writeFile(dir.file("notes.txt"), "not a genome");
    std::filesystem::create_directory(dir.file("folder.gen"));
#ifndef _WIN32
    ASSERT_EQ(mkfifo(dir.file("pipe.gen").c_str(), 0600), 0);
#endif
    // A parent that does not load is no parent.
    testing::writeFile(dir.file("orph.gen"), GenomeBuilder{genusGene("bad", "abba")}.bytes());

    const Census census = takeCensus(dir.path());
    struct Expected {
        std::string file;
        std::string error;
    };
    const std::vector<Expected> expected = {
        {"abba.gen", ""},
        {"bad.gen", "Bad Gene File"},
        {"bebe.gen", ""},
        {"cut.gen", "Read beyond end of file"},
        {"empty.gen", "Read beyond end of file"},
        {"kid.gen", ""},
        {"orph.gen", ""},
#ifndef _WIN32
        {"pipe.gen", "File access denied"},
#endif
    };
    ASSERT_EQ(census.rows.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(census.rows[i].file, expected[i].file);
        EXPECT_EQ(census.rows[i].error, expected[i].error);
    }
    const auto rows = byFile(census);
    EXPECT_EQ(rows.at("kid.gen")->generation, 1);
    EXPECT_EQ(rows.at("kid.gen")->mutatedTotal(), 1u);
    EXPECT_EQ(rows.at("abba.gen")->children, 2u);
    EXPECT_EQ(rows.at("orph.gen")->generation, 1);
    EXPECT_FALSE(rows.at("orph.gen")->mutated);
    EXPECT_FALSE(rows.at("orph.gen")->motherRow);
    EXPECT_EQ(rows.at("bad.gen")->genes, 0u);
    EXPECT_FALSE(rows.at("bad.gen")->mother);
}

TEST(Census, SubfoldersOnlyWhenRecursiveAndParentsOnlyBesideTheChild)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("a"));
    std::filesystem::create_directories(dir.file("b"));
    writeGenome(dir, "mama.gen", "", "", 1);
    writeGenome(dir, "papa.gen", "", "", 2);
    writeGenome(dir, "a/mama.gen", "", "", 3);
    writeGenome(dir, "a/kid1.gen", "mama", "papa");
    writeGenome(dir, "b/kid2.gen", "mama", "papa");
    // Four bytes that would step out of the folder name no file of it.
    writeGenome(dir, "b/kid3.gen", "../m", "papa");
    writeGenome(dir, "a/mm.gen", "", "");
    writeGenome(dir, "kid4.gen", "a/mm", "papa");

    EXPECT_EQ(takeCensus(dir.path()).rows.size(), 3u);
    CensusOptions options;
    options.recursive = true;
    const Census census = takeCensus(dir.path(), options);
    std::vector<std::string> files;
    for (const CensusRow& row : census.rows)
        files.push_back(row.file);
    EXPECT_EQ(files, (std::vector<std::string>{"a/kid1.gen", "a/mama.gen", "a/mm.gen", "b/kid2.gen", "b/kid3.gen",
                                               "kid4.gen", "mama.gen", "papa.gen"}));
    const auto rows = byFile(census);
    EXPECT_EQ(census.rows[*rows.at("a/kid1.gen")->motherRow].file, "a/mama.gen");
    // Parental mode looks beside the child only.
    EXPECT_FALSE(rows.at("a/kid1.gen")->fatherRow);
    EXPECT_FALSE(rows.at("b/kid2.gen")->motherRow);
    EXPECT_FALSE(rows.at("b/kid2.gen")->fatherRow);
    EXPECT_FALSE(rows.at("b/kid3.gen")->motherRow);
    EXPECT_FALSE(rows.at("kid4.gen")->motherRow);
    EXPECT_EQ(census.rows[*rows.at("kid4.gen")->fatherRow].file, "papa.gen");
    EXPECT_EQ(rows.at("papa.gen")->children, 1u);
    EXPECT_EQ(rows.at("mama.gen")->children, 0u);
}

// A folder that sorts first holding the parent's name too must not win over
// the file beside the child.
TEST(Census, TheParentBesideTheChildWinsOverAFolderSortingFirst)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("a"));
    std::filesystem::create_directories(dir.file("b"));
    writeGenome(dir, "a/mama.gen", "", "", 1);
    writeGenome(dir, "b/mama.gen", "", "", 2);
    writeGenome(dir, "mama.gen", "", "", 3);
    writeGenome(dir, "papa.gen", "", "", 4);
    writeGenome(dir, "b/kid.gen", "mama", "papa");
    writeGenome(dir, "kid.gen", "mama", "papa");
    CensusOptions options;
    options.recursive = true;
    const Census census = takeCensus(dir.path(), options);
    const auto rows = byFile(census);
    for (const auto& [child, mother] : {std::pair{"b/kid.gen", "b/mama.gen"}, std::pair{"kid.gen", "mama.gen"}}) {
        SCOPED_TRACE(child);
        ASSERT_TRUE(rows.at(child)->motherRow);
        EXPECT_EQ(census.rows[*rows.at(child)->motherRow].file, mother);
    }
    EXPECT_EQ(rows.at("a/mama.gen")->children, 0u);
}

// Names that loop back: every row still gets a finite generation.
TEST(Census, LoopsOfParentsEndAndSelfParentsCountOnce)
{
    TempDir dir;
    writeGenome(dir, "aaaa.gen", "bbbb", "");
    writeGenome(dir, "bbbb.gen", "aaaa", "");
    writeGenome(dir, "self.gen", "self", "self");
    writeGenome(dir, "zkid.gen", "aaaa", "bbbb");
    const Census census = takeCensus(dir.path());
    const auto rows = byFile(census);
    // aaaa is reached first: bbbb's link back to it is the one dropped.
    EXPECT_EQ(rows.at("bbbb.gen")->generation, 0);
    EXPECT_EQ(rows.at("aaaa.gen")->generation, 1);
    EXPECT_EQ(rows.at("zkid.gen")->generation, 2);
    EXPECT_EQ(rows.at("self.gen")->generation, 0);
    EXPECT_EQ(rows.at("self.gen")->children, 1u);
    EXPECT_EQ(rows.at("self.gen")->mutatedTotal(), 0u);
}

#ifndef _WIN32 // links and permissions as POSIX has them
// Only files inside the folder are read; what is left out is listed.
TEST(Census, LinksOutOfTheFolderAndUnreadableSubfoldersAreRows)
{
    TempDir dir;
    std::filesystem::create_directories(dir.file("fam/sub"));
    std::filesystem::create_directories(dir.file("fam/locked"));
    std::filesystem::create_directories(dir.file("elsewhere"));
    writeGenome(dir, "fam/kid.gen", "", "");
    writeGenome(dir, "elsewhere/kid.gen", "", "");
    writeGenome(dir, "fam/locked/hidden.gen", "", "");
    std::filesystem::create_symlink("../elsewhere/kid.gen", dir.file("fam/outside.gen"));
    std::filesystem::create_symlink("/etc/passwd", dir.file("fam/passwd.gen"));
    std::filesystem::create_symlink("kid.gen", dir.file("fam/inside.gen"));
    std::filesystem::create_symlink("..", dir.file("fam/sub/up"));
    std::filesystem::create_symlink("nothing.gen", dir.file("fam/dangling.gen"));
    std::filesystem::permissions(dir.file("fam/locked"), std::filesystem::perms::none);
    const bool locked = access(dir.file("fam/locked").c_str(), R_OK) != 0;

    CensusOptions options;
    options.recursive = true;
    const Census census = takeCensus(dir.file("fam"), options);
    std::filesystem::permissions(dir.file("fam/locked"), std::filesystem::perms::owner_all);
    std::vector<std::pair<std::string, std::string>> rows;
    for (const CensusRow& row : census.rows)
        rows.emplace_back(row.file, row.error);
    std::vector<std::pair<std::string, std::string>> expected = {
        {"dangling.gen", "File not found"},
        {"inside.gen", ""},
        {"kid.gen", ""},
        {"locked/", "Folder not read: File access denied"},
        {"outside.gen", "Link to a file outside the folder"},
        {"passwd.gen", "Link to a file outside the folder"},
    };
    if (!locked) {
        std::cout << "[ SKIPPED  ] locked/: this user reads a folder without permissions\n";
        expected[3] = {"locked/hidden.gen", ""};
    }
    EXPECT_EQ(rows, expected);
}

// A file changed into a link after the folder was listed, before it is
// read: what is read is what the census opened, checked as opened.
TEST(Census, AFileTurnedIntoALinkMeanwhileIsReadOnlyInsideTheFolder)
{
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        const char* target; // of the link that replaces fam/sub/b.gen or, with folder, fam/sub
        bool folder;
        std::string error;
        std::optional<std::string> mother;
    };
    const std::vector<Case> cases = {
        {"a link out of the folder", "../../out.gen", false, "Link to a file outside the folder", std::nullopt},
        {"a link to a file inside", "../a.gen", false, "", "mama"},
        {"a subfolder turned into a link out", "../elsewhere", true, "Link to a file outside the folder", std::nullopt},
        {"a subfolder turned into a link inside", "other", true, "", "aunt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        fs::create_directories(dir.file("fam/sub"));
        fs::create_directories(dir.file("fam/other"));
        fs::create_directories(dir.file("elsewhere"));
        writeGenome(dir, "fam/a.gen", "mama", "papa");
        writeGenome(dir, "fam/sub/b.gen", "bbbb", "bbbb");
        writeGenome(dir, "fam/other/b.gen", "aunt", "");
        writeGenome(dir, "out.gen", "evil", "evil");
        writeGenome(dir, "elsewhere/b.gen", "evil", "evil");
        CensusOptions options;
        options.recursive = true;
        options.threads = 1;
        // Called after a.gen, the first file, was read, before sub/b.gen is.
        options.progress = [&](std::size_t done, std::size_t) {
            if (done != 1)
                return;
            if (c.folder) {
                fs::rename(dir.file("fam/sub"), dir.file("fam/gone"));
                fs::create_directory_symlink(c.target, dir.file("fam/sub"));
            } else {
                fs::remove(dir.file("fam/sub/b.gen"));
                fs::create_symlink(c.target, dir.file("fam/sub/b.gen"));
            }
        };
        const Census census = takeCensus(dir.file("fam"), options);
        const auto rows = byFile(census);
        ASSERT_EQ(rows.count("sub/b.gen"), 1u);
        EXPECT_EQ(rows.at("sub/b.gen")->error, c.error);
        EXPECT_EQ(rows.at("sub/b.gen")->mother, c.mother);
    }
}
#endif

TEST(Census, AFolderThatIsNoFolderIsAnError)
{
    TempDir dir;
    testing::writeFile(dir.file("file.gen"), "dna2");
    EXPECT_THROW(takeCensus(dir.file("missing")), HelixplotError);
    EXPECT_THROW(takeCensus(dir.file("file.gen")), HelixplotError);
    EXPECT_TRUE(takeCensus(dir.path()).rows.at(0).loaded());
}

} // namespace
} // namespace helixplot
