// SPDX-License-Identifier: GPL-3.0-or-later
// What helixplot-cli writes and reads from a folder, run as a separate
// process against hostile targets and folders.

// FIFOs, devices and the tool as a child process: POSIX only.
#ifndef _WIN32

#include "cliRunner.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#ifdef HELIXPLOT_CLI

namespace helixplot {
namespace {

namespace fs = std::filesystem;
using testing::CliRun;
using testing::CliSetup;
using testing::GenomeBuilder;
using testing::genusGene;
using testing::makeGene;
using testing::TempDir;

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Every regular file below folder with its bytes (the bytes are the
// checksum: the files are small).
std::map<std::string, std::string> contents(const std::string& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file() && !entry.is_symlink())
            files[entry.path().string()] = readAll(entry.path().string());
    return files;
}

void writeFamily(const TempDir& dir, const std::string& folder)
{
    fs::create_directories(dir.file(folder));
    GenomeBuilder{genusGene("", ""), makeGene(2, 3, 1, {0, 'a'})}.end().writeTo(dir.file(folder + "/mama.gen"));
    GenomeBuilder{genusGene("", ""), makeGene(2, 3, 1, {0, 'b'})}.end().writeTo(dir.file(folder + "/papa.gen"));
    GenomeBuilder{genusGene("mama", "papa"), makeGene(2, 3, 1, {0, 'c'})}.end().writeTo(dir.file(folder + "/kid.gen"));
}

TEST(OutputSafety, HostileReportTargetsAreRefusedAndNoInputChanges)
{
    TempDir dir;
    writeFamily(dir, "fam");
    const std::string chemicals = dir.file("chemicals.str");
    const std::string settings = dir.file("settings.ini");
    testing::writeFile(chemicals, readAll(std::string(HELIXPLOT_SOURCE_DIR) + "/samples/allchemicals.str"));
    testing::writeFile(settings, "[x]\n");
    testing::writeFile(dir.file("copy.html"), readAll(dir.file("fam/kid.gen")));
    testing::writeFile(dir.file("old.html"), "old");
    fs::create_symlink(dir.file("fam/kid.gen"), dir.file("link.html"));
    ASSERT_EQ(mkfifo(dir.file("fifo.html").c_str(), 0600), 0);
    fs::create_directories(dir.file("locked"));
    fs::permissions(dir.file("locked"), fs::perms::owner_read | fs::perms::owner_exec);
    // The superuser may write a read-only folder: the tool then runs as
    // nobody, where setpriv can make it so.
    std::string asNormalUser;
    bool lockedIsLocked = access(dir.file("locked").c_str(), W_OK) != 0;
    if (!lockedIsLocked && access("/usr/bin/setpriv", X_OK) == 0) {
        fs::permissions(dir.path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
        asNormalUser = "exec setpriv --reuid=65534 --regid=65534 --clear-groups \"$0\" \"$@\"";
        lockedIsLocked = true;
    }

    struct Case {
        std::string target;
        std::string reason;
        std::string folder = "fam";
        std::string shellPrefix = {};
    };
    const std::vector<Case> cases = {
        {dir.file("fam/kid.gen"), "Helixplot never writes a genome file"},
        {dir.file("copy.html"), "Helixplot never writes a genome file"},
        {dir.file("link.html"), "Helixplot never writes a genome file"},
        {chemicals, "Helixplot never writes a file it reads"},
        {settings, "Helixplot never writes a file it reads"},
        {dir.file("fifo.html"), "not a regular file"},
        {"/dev/full", "not a regular file"},
        // Checked before the census: the missing folder is never reached.
        {dir.file("missing/report.html"), "No such file or directory", "missing"},
        {dir.file("locked/report.html"), "Permission denied", "fam", asNormalUser},
        // The write itself fails: the old file stays.
        {dir.file("old.html"), "File too large", "fam", "ulimit -f 1"},
    };
    const auto before = contents(dir.path());
    for (const Case& c : cases) {
        if (c.target == dir.file("locked/report.html") && !lockedIsLocked) {
            std::cout << "[ SKIPPED  ] " << c.target << ": this user may write a read-only folder\n";
            continue;
        }
        CliSetup setup;
        setup.settingsPath = settings;
        setup.shellPrefix = c.shellPrefix;
        setup.timeoutSeconds = 10; // a FIFO without a reader must not hold it
        const CliRun r =
            testing::runCli({"report", "--chemicals", chemicals, "-o", c.target, dir.file(c.folder)}, setup);
        EXPECT_EQ(r.status, 1) << c.target;
        EXPECT_EQ(r.err, "helixplot-cli: " + c.target + ": " + c.reason + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(contents(dir.path()), before) << c.target;
    }
    EXPECT_TRUE(fs::is_fifo(dir.file("fifo.html")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.html")));
    fs::permissions(dir.file("locked"), fs::perms::owner_all);
}

TEST(OutputSafety, ReportGoesThroughALinkOrToStandardOutput)
{
    TempDir dir;
    writeFamily(dir, "fam");
    const std::string settings = dir.file("settings.ini");
    testing::writeFile(dir.file("real.html"), "old");
    fs::create_symlink("real.html", dir.file("link.html"));
    const CliRun toLink = testing::runCli({"report", "-o", dir.file("link.html"), dir.file("fam")}, settings);
    const CliRun toOut = testing::runCli({"report", "-o", "-", dir.file("fam")}, settings);
    ASSERT_EQ(toLink.status, 0) << toLink.err;
    ASSERT_EQ(toOut.status, 0) << toOut.err;
    EXPECT_TRUE(fs::is_symlink(dir.file("link.html")));
    EXPECT_EQ(readAll(dir.file("real.html")), toOut.out);
    EXPECT_NE(toOut.out.find("<html"), std::string::npos);
    EXPECT_FALSE(fs::exists(dir.file("-")));
    // No temporary file is left beside it.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"fam", "link.html", "real.html"}));
}

const std::string Chemicals = std::string(HELIXPLOT_SOURCE_DIR) + "/samples/allchemicals.str";

// The names of the files in folder, sorted.
std::vector<std::string> namesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

#ifdef HELIXPLOT_PLANT_ON_RENAME
// A file moved onto the target after the last check, inside the final
// rename itself: a genome is put back and the run refuses; anything else is
// replaced as the old report would have been.
TEST(OutputSafety, AGenomeMovedOntoTheTargetAtTheLastMomentIsKept)
{
    struct Case {
        const char* name;
        bool targetExists;
        bool plantGenome;
        int status;
    };
    const Case cases[] = {
        {"genome onto an old report", true, true, 1},
        {"genome onto a new name", false, true, 1},
        {"text onto an old report", true, false, 0},
        {"text onto a new name", false, false, 0},
    };
    for (const Case& c : cases) {
        TempDir dir;
        writeFamily(dir, "fam");
        const std::string target = dir.file("out/report.html");
        fs::create_directories(dir.file("out"));
        if (c.targetExists)
            testing::writeFile(target, "old report");
        const std::string planted = c.plantGenome ? readAll(dir.file("fam/kid.gen")) : "notes";
        testing::writeFile(dir.file("planted"), planted);
        CliSetup setup;
        setup.settingsPath = dir.file("settings.ini");
        setup.shellPrefix = "export LD_PRELOAD='" + std::string(HELIXPLOT_PLANT_ON_RENAME) + "' HELIXPLOT_PLANT='" +
                            dir.file("planted") + "' ASAN_OPTIONS=verify_asan_link_order=0:${ASAN_OPTIONS:-}";
        const CliRun r = testing::runCli({"report", "--chemicals", Chemicals, "-o", target, dir.file("fam")}, setup);
        EXPECT_EQ(r.status, c.status) << c.name << ": " << r.err;
        EXPECT_FALSE(fs::exists(dir.file("planted"))) << c.name << ": the hook did not run";
        EXPECT_EQ(namesIn(dir.file("out")), std::vector<std::string>{"report.html"}) << c.name;
        if (c.status == 0) {
            EXPECT_NE(readAll(target).find("<html"), std::string::npos) << c.name;
        } else {
            EXPECT_EQ(r.err, "helixplot-cli: " + target + ": Helixplot never writes a genome file\n") << c.name;
            EXPECT_EQ(readAll(target), planted) << c.name;
        }
    }
}
#endif

// Standard output is checked as a named target is: never a genome, never a
// file the run reads; a pipe behind /dev/stdout is standard output.
TEST(OutputSafety, StandardOutputIsNoGenomeAndPipesWork)
{
    TempDir dir;
    writeFamily(dir, "fam");
    const std::string genome = readAll(dir.file("fam/kid.gen"));
    testing::writeFile(dir.file("copy.bin"), genome);
    const std::string pipe = "s=$(mktemp); { \"$0\" \"$@\"; echo $? >\"$s\"; } | cat; exit $(cat \"$s\")";
    struct Case {
        std::vector<std::string> args;
        std::string shellPrefix;
        std::string error; // empty: the run succeeds
    };
    const std::string refused = "helixplot-cli: standard output: ";
    const std::vector<Case> cases = {
        {{"report", "--chemicals", Chemicals, "-o", "-", dir.file("fam")},
         "exec >>'" + dir.file("fam/kid.gen") + "'",
         refused + "Helixplot never writes a genome file\n"},
        {{"summary", dir.file("fam/mama.gen")},
         "exec >>'" + dir.file("copy.bin") + "'",
         refused + "Helixplot never writes a genome file\n"},
        {{"census", dir.file("fam")},
         "exec >>'" + dir.file("fam/papa.gen") + "'",
         refused + "Helixplot never writes a genome file\n"},
        {{"summary", dir.file("copy.bin")},
         "exec >>'" + dir.file("copy.bin") + "'",
         refused + "Helixplot never writes a file it reads\n"},
        {{"report", "--chemicals", Chemicals, "-o", "/dev/stdout", dir.file("fam")}, pipe, ""},
    };
    for (const Case& c : cases) {
        CliSetup setup;
        setup.settingsPath = dir.file("settings.ini");
        setup.shellPrefix = c.shellPrefix;
        const CliRun r = testing::runCli(c.args, setup);
        EXPECT_EQ(r.err, c.error) << c.args[0];
        EXPECT_EQ(r.status, c.error.empty() ? 0 : 1) << c.args[0];
        EXPECT_EQ(r.out.find("<html") != std::string::npos, c.error.empty()) << c.args[0];
    }
    EXPECT_EQ(readAll(dir.file("fam/kid.gen")), genome);
    EXPECT_EQ(readAll(dir.file("copy.bin")), genome);
}

// The hidden temporary file beside the target fits whatever name the target
// may have.
TEST(OutputSafety, TargetsWithTheLongestNamesAreWritten)
{
    TempDir dir;
    writeFamily(dir, "fam");
    for (const std::size_t length : {251u, 255u}) {
        const std::string name = std::string(length - 5, 'r') + ".html";
        fs::create_directories(dir.file("out"));
        // Made new, then replaced.
        for (int run = 0; run < 2; ++run) {
            const CliRun r =
                testing::runCli({"report", "--chemicals", Chemicals, "-o", dir.file("out/" + name), dir.file("fam")},
                                dir.file("settings.ini"));
            EXPECT_EQ(r.status, 0) << length << ": " << r.err;
        }
        EXPECT_EQ(namesIn(dir.file("out")), std::vector<std::string>{name}) << length;
        fs::remove_all(dir.file("out"));
    }
}

// The census counts a creature's mutations exactly when parental mode can
// show them: the parents' files are found by the same rule.
TEST(OutputSafety, CensusLinksParentsExactlyWhereParentalModeFindsThem)
{
    struct Case {
        const char* name;
        std::string mother;
        std::string motherFile; // where the mother's genome is written
        std::vector<GeneRecord> firstGenes = {};
    };
    const std::vector<Case> cases = {
        {"beside the child", "mama", "mama.gen"},
        {"in another folder", "mama", "other/mama.gen"},
        {"control characters", "\x1b[2J", "\x1b[2J.gen"},
        {"a parent folder", "..", "...gen"},
        // Parental mode reads the names from whatever gene comes first.
        {"first gene no genus gene",
         "mama",
         "mama.gen",
         {makeGene(2, 3, 1, {0, 'm', 'a', 'm', 'a', 'p', 'a', 'p', 'a'}), genusGene("xxxx", "yyyy")}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string settings = dir.file("settings.ini");
        fs::create_directories(dir.file("fam/other"));
        GenomeBuilder{genusGene("", ""), makeGene(2, 3, 1, {0, 'a'})}.end().writeTo(dir.file("fam/" + c.motherFile));
        GenomeBuilder{genusGene("", ""), makeGene(2, 3, 1, {0, 'b'})}.end().writeTo(dir.file("fam/papa.gen"));
        GenomeBuilder kid;
        if (c.firstGenes.empty())
            kid.add(genusGene(c.mother, "papa"));
        kid.add(c.firstGenes).add(makeGene(2, 3, 1, {0, 'c'})).end().writeTo(dir.file("fam/kid.gen"));

        const CliRun census = testing::runCli({"census", "--recursive", "--format", "json", dir.file("fam")}, settings);
        const CliRun map = testing::runCli({"map", "--mode", "parental", dir.file("fam/kid.gen")}, settings);
        ASSERT_EQ(census.status, 0) << c.name << census.err;
        bool counted = false;
        for (const auto& row : nlohmann::json::parse(census.out))
            if (row["file"] == "kid.gen")
                counted = !row["mutated"].is_null();
        EXPECT_EQ(counted, map.status == 0) << c.name << ": " << map.err;
        EXPECT_EQ(counted,
                  std::string(c.name) == "beside the child" || std::string(c.name) == "first gene no genus gene")
            << c.name;
    }
}

} // namespace
} // namespace helixplot

#endif // HELIXPLOT_CLI
#endif // _WIN32
