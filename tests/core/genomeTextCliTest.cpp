// SPDX-License-Identifier: GPL-3.0-or-later
// decompile and compile end to end, and the writer of new genomes they use.

#ifndef _WIN32

#include "cliRunner.h"
#include "writers/safeOutput.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef HELIXPLOT_CLI

namespace helixplot {
namespace {

using testing::CliRun;
using testing::TempDir;

const std::string Samples = std::string(HELIXPLOT_SOURCE_DIR) + "/samples/";
const std::string Chemicals = Samples + "allchemicals.str";

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

class GenomeTextCli : public ::testing::Test {
protected:
    CliRun run(const std::vector<std::string>& args, const std::string& input = "/dev/null")
    {
        testing::CliSetup setup;
        setup.settingsPath = dir_.file("no-settings.ini");
        setup.standardInput = input;
        return testing::runCli(args, setup);
    }

    TempDir dir_;
};

// Every sample through a text file and back, and through the standard
// streams; the walk-through of docs/genome-text.md on the way.
TEST_F(GenomeTextCli, EverySampleComesBackByteForByte)
{
    for (const char* name : {"tibb", "nela", "orvo", "quin", "yeva"}) {
        SCOPED_TRACE(name);
        const std::string genome = Samples + name + ".gen";
        const std::string text = dir_.file(std::string(name) + ".txt");
        const std::string copy = dir_.file(std::string(name) + "-copy.gen");
        ASSERT_EQ(run({"decompile", "--chemicals", Chemicals, genome, "-o", text}).status, 0);
        const CliRun compiled = run({"compile", "--chemicals", Chemicals, text, "-o", copy});
        EXPECT_EQ(compiled.status, 0) << compiled.err;
        EXPECT_TRUE(readAll(copy) == readAll(genome));
        const CliRun streamed = run({"compile", "--chemicals", Chemicals, "-", "-o", "-"}, text);
        EXPECT_TRUE(streamed.out == readAll(genome));
    }
    // Decompiled without names, the text compiles anywhere.
    const CliRun plain = run({"decompile", Samples + "tibb.gen"});
    EXPECT_EQ(plain.err, "helixplot-cli: warning: chemical names not loaded: allchemicals.str: File not found\n");
    EXPECT_EQ(plain.out.find("\"Adrenal tonic\""), std::string::npos);
}

// The walk-through of docs/genome-text.md: one field changed in the text is
// the one change diff shows.
TEST_F(GenomeTextCli, OneChangedFieldIsTheOneChangeDiffShows)
{
    const std::string original = Samples + "tibb.gen";
    const CliRun decompiled = run({"decompile", "--chemicals", Chemicals, original});
    ASSERT_EQ(decompiled.status, 0);
    std::istringstream in(decompiled.out);
    std::string text;
    std::size_t number = 0;
    for (std::string line; std::getline(in, line);) {
        if (++number == 1373) {
            ASSERT_EQ(line, "  threshold 19");
            line = "  threshold 200";
        }
        text += line + "\n";
    }
    const std::string edited = dir_.file("tibb.txt");
    testing::writeFile(edited, text);
    const std::string changed = dir_.file("tibb2.gen");
    ASSERT_EQ(run({"compile", "--chemicals", Chemicals, edited, "-o", changed}).status, 0);
    const CliRun diff = run({"diff", "--chemicals", Chemicals, changed, original});
    EXPECT_EQ(diff.out, "@@ 01 - Emb mut/dup/del 0 \n"
                        "--- " +
                            original +
                            "\n"
                            " 01 - Emb mut/dup/del 0  Adrenal tonic\n"
                            "  Brain:Noun i/ps:Cell(35) State\n"
                            "  Adrenal tonic binds to receptor\n"
                            "- Threshold Value is: 19\n"
                            "+ Threshold Value is: 200\n"
                            "  Nominal Value is:12\n"
                            "  Gain of receptor is: 9\n"
                            "  Digital (o/p=nominal+/-gain if sig > threshold)\n"
                            "byte 4: 19 -> 200\n");
}

TEST_F(GenomeTextCli, RefusalsAndErrorsWriteNothing)
{
    const std::string text = dir_.file("tibb.txt");
    ASSERT_EQ(run({"decompile", "--chemicals", Chemicals, Samples + "tibb.gen", "-o", text}).status, 0);
    const std::string existing = dir_.file("existing.gen");
    testing::writeFile(existing, "keep me");
    std::filesystem::create_symlink(dir_.file("nowhere.gen"), dir_.file("dangling.gen"));
    const std::string broken = dir_.file("broken.txt");
    testing::writeFile(broken, "helixplot-genome 1\ngene pose\n  id 300\n  pose \"a\" \"b\"\nend\n");

    struct Case {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const std::string exists = ": the file exists; a genome is only written as a new file\n";
    const std::vector<Case> cases = {
        {{"compile", text, "-o", existing}, 1, "helixplot-cli: " + existing + exists},
        {{"compile", text, "-o", dir_.file("dangling.gen")}, 1, "helixplot-cli: " + dir_.file("dangling.gen") + exists},
        {{"compile", text, "-o", dir_.path()}, 1, "helixplot-cli: " + dir_.path() + exists},
        {{"compile", text}, 2, "helixplot-cli: compile needs -o NEW.gen\n"},
        {{"compile", broken, "-o", dir_.file("new.gen")},
         1,
         broken + ":2:1: pose: missing fields 'stage', 'flags', 'value', 'reserved', 'spare'\n" + broken +
             ":3:6: id: '300' is out of range (0 to 255)\n" + broken +
             ":4:12: pose: takes one value (a text in quotes of up to 15 bytes), not 2\n"},
        {{"decompile", Samples + "tibb.gen", "-o", dir_.file("out.gen")},
         1,
         "helixplot-cli: " + dir_.file("out.gen") + ": Helixplot never writes a genome file\n"},
        {{"decompile", text}, 1, "helixplot-cli: " + text + ": Bad Gene File\n"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin() + 1, {"--chemicals", Chemicals});
        const CliRun r = run(args);
        EXPECT_EQ(r.status, c.status) << args[0];
        // A usage error is followed by the usage.
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
    }
    EXPECT_EQ(readAll(existing), "keep me");
    EXPECT_FALSE(std::filesystem::exists(dir_.file("new.gen")));
    EXPECT_FALSE(std::filesystem::exists(dir_.file("out.gen")));
}

// The name is taken between the check and the end of writing: the new file
// stays where it is, and the temporary file goes.
TEST(NewGenomeFile, NeverReplacesAFileThatAppearsMeanwhile)
{
    TempDir dir;
    const std::string target = dir.file("late.gen");
    checkNewGenomeTarget(target);
    testing::writeFile(target, "first");
    EXPECT_THROW(writeNewGenomeFile(target, "dna2gend"), OutputError);
    EXPECT_EQ(readAll(target), "first");
    writeNewGenomeFile(dir.file("fresh.gen"), "dna2gend");
    EXPECT_EQ(readAll(dir.file("fresh.gen")), "dna2gend");
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++files;
    EXPECT_EQ(files, 2u);
}

} // namespace
} // namespace helixplot

#endif
#endif
