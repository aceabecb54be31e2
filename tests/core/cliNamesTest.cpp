// SPDX-License-Identifier: GPL-3.0-or-later
// Names of every kind of byte through helixplot-cli: the JSON stays valid and
// decides UTF-8 or Latin-1 per name, and a terminal never gets a control
// character from a file.

// The tool runs as a POSIX child process here.
#ifndef _WIN32

#include "cliRunner.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <fstream>
#include <set>
#include <sstream>

#ifdef HELIXPLOT_CLI

namespace helixplot {
namespace {

using testing::CliRun;
using testing::GenomeBuilder;
using testing::genusGene;
using testing::makeGene;
using testing::TempDir;

// "été", in UTF-8: a folder the names below stand in.
const std::string Folder = "\xC3\xA9t\xC3\xA9";

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string quoted(const std::string& arg)
{
    std::string q = "'";
    for (char c : arg)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A child with both parents beside it and one gene unlike theirs.
void writeFamily(const TempDir& dir, const std::string& mother, const std::string& father, const std::string& child)
{
    const GeneRecord pose = makeGene(GeneKind::Pose, 1, {0, 'a'});
    GenomeBuilder{genusGene("", ""), pose}.writeTo(dir.file(Folder + "/" + mother + ".gen"));
    GenomeBuilder{genusGene("", ""), pose}.writeTo(dir.file(Folder + "/" + father + ".gen"));
    GenomeBuilder{genusGene(mother, father), makeGene(GeneKind::Pose, 1, {0, 'b'})}.writeTo(
        dir.file(Folder + "/" + child));
}

class CliNames : public ::testing::Test {
protected:
    void SetUp() override { std::system(("mkdir " + quoted(dir_.file(Folder))).c_str()); }
    CliRun run(const std::vector<std::string>& args) { return testing::runCli(args, dir_.file("settings.ini")); }

    TempDir dir_;
};

TEST_F(CliNames, JsonDecidesEachFileNameOnItsOwn)
{
    const struct {
        const char* what;
        std::string name;
        std::string json;
    } cases[] = {
        {"overlong NUL", "\xC0\x80", "\xC3\x80\xC2\x80"},
        {"surrogate", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xC2\x80"},
        {"past F4", "\xF5\xF6\xF7", "\xC3\xB5\xC3\xB6\xC3\xB7"},
        {"Latin-1", "\xE9t\xE9", "\xC3\xA9t\xC3\xA9"},
        {"UTF-8 kept", "\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},
        {"controls", "\x1B[2J\n", "\x1B[2J\n"},
    };
    std::set<std::string> inCensus;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string file = Folder + "/" + c.name + ".gen";
        GenomeBuilder{genusGene("\xE9", "")}.writeTo(dir_.file(file));
        const CliRun r = run({"summary", "--format", "json", dir_.file(file)});
        ASSERT_EQ(r.status, 0) << r.err;
        const nlohmann::json summary = nlohmann::json::parse(r.out);
        // Written as it goes, laid out as the library lays out the whole.
        EXPECT_EQ(nlohmann::ordered_json::parse(r.out).dump(1) + "\n", r.out);
        EXPECT_EQ(summary["genome"], dir_.file(Folder + "/" + c.json + ".gen"));
        EXPECT_EQ(summary["lines"][0], "Mother: \xC3\xA9, Father: ");
        inCensus.insert(c.json + ".gen");
    }
    const CliRun r = run({"census", "--format", "json", dir_.file(Folder)});
    ASSERT_EQ(r.status, 0) << r.err;
    std::set<std::string> files;
    for (const nlohmann::json& row : nlohmann::json::parse(r.out))
        files.insert(row["file"].get<std::string>());
    EXPECT_EQ(files, inCensus);
}

// The parents' names come from the genome in Latin-1, the folder is UTF-8:
// each keeps its own encoding.
TEST_F(CliNames, ParentNamesInAUtf8Folder)
{
    writeFamily(dir_, "m\xE8re", "p\xE8re", "kid.gen");
    const std::string mother = dir_.file(Folder + "/m\xC3\xA8re.gen");
    const std::string father = dir_.file(Folder + "/p\xC3\xA8re.gen");
    for (const char* command : {"map", "diff"}) {
        SCOPED_TRACE(command);
        const CliRun r = run({command, "--mode", "parental", "--format", "json", dir_.file(Folder + "/kid.gen")});
        ASSERT_EQ(r.status, 0) << r.err;
        const nlohmann::json document = nlohmann::json::parse(r.out);
        EXPECT_EQ(nlohmann::ordered_json::parse(r.out).dump(1) + "\n", r.out);
        EXPECT_EQ(document["comparators"], nlohmann::json::array({mother, father}));
        if (document["command"] == "diff") {
            ASSERT_EQ(document["changes"].size(), 1u);
            EXPECT_EQ(document["changes"][0]["comparators"][0]["file"], mother);
            EXPECT_EQ(document["changes"][0]["comparators"][1]["file"], father);
        }
    }
}

// Names carrying an escape sequence and a line break, in the file name and in
// the genome: shown as \xNN on a terminal, the bytes themselves when piped.
TEST_F(CliNames, ControlCharactersAreEscapedOnATerminalOnly)
{
    // C1 and bidirectional controls (U+009B, U+202E) too.
    const std::string motherName = "\x1B[2J\xC2\x9B\xE2\x80\xAE";
    writeFamily(dir_, motherName, "D\nDA", "\x1B]0;x\a.gen");
    const std::string kid = dir_.file(Folder + "/\x1B]0;x\a.gen");
    // Parental mode refuses such parents' names; dual mode is given the files.
    const std::string mother = dir_.file(Folder + "/" + motherName + ".gen");
    const std::string father = dir_.file(Folder + "/D\nDA.gen");
    const std::vector<std::vector<std::string>> commands = {
        {"census", dir_.file(Folder)},
        {"census", "--format", "csv", dir_.file(Folder)},
        {"summary", kid},
        {"breakdown", kid},
        {"map", "--mode", "dual", kid, mother, father},
        {"diff", "--mode", "dual", kid, mother, father},
    };
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        const CliRun piped = run(args);
        ASSERT_EQ(piped.status, 0) << piped.err;
        EXPECT_NE(piped.out.find("\x1B[2J"), std::string::npos);

        std::string inner = "HELIXPLOT_SETTINGS=" + quoted(dir_.file("settings.ini")) + " " + quoted(HELIXPLOT_CLI);
        for (const std::string& arg : args)
            inner += " " + quoted(arg);
        const std::string tty = dir_.file("tty");
        const std::string command =
            "script -qec " + quoted(inner + " 2>/dev/null") + " /dev/null </dev/null >" + quoted(tty);
        ASSERT_EQ(std::system(command.c_str()), 0);
        const std::string shown = readAll(tty);
        // The genus holds four bytes of a parent's name: only the outputs that
        // name files show the C1 and bidirectional controls.
        const bool namesFiles = args[0] == "census" || args[0] == "diff";
        EXPECT_NE(shown.find(namesFiles ? "\\x1B[2J\\u009B\\u202E" : "\\x1B[2J"), std::string::npos) << shown;
        EXPECT_EQ(shown.find('\x1B'), std::string::npos);
        EXPECT_EQ(shown.find("\xC2\x9B"), std::string::npos);
        EXPECT_EQ(shown.find("\xE2\x80\xAE"), std::string::npos);
        EXPECT_EQ(shown.find('\a'), std::string::npos);
        if (args[0] == "census" && args[1] != "--format") {
            EXPECT_NE(shown.find("D\\x0ADA"), std::string::npos) << shown;
        }
    }
}

// No code point that HTML forbids (C1 controls, noncharacters) reaches the
// report from a name, as a real HTML parser reads it.
TEST_F(CliNames, TheReportHoldsNoCodePointHtmlForbids)
{
    writeFamily(dir_, "m\xC2\x9Bx\xEF\xB7\x90", "f\xC2\x9D\xF4\x8F\xBF\xBF", "k\xC2\x85.gen");
    const std::string page = dir_.file("page.html");
    const CliRun r = run({"report", "-o", page, dir_.file(Folder)});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = readAll(page);
    for (const char* forbidden : {"\xC2\x9B", "\xC2\x9D", "\xC2\x85", "\xEF\xB7\x90", "\xF4\x8F\xBF\xBF"})
        EXPECT_EQ(html.find(forbidden), std::string::npos) << forbidden;
    // Debian's interpreter, which has the parser setup.sh installs.
    if (std::system("/usr/bin/python3 -c 'import html5lib' 2>/dev/null") != 0)
        GTEST_SKIP() << "python3-html5lib is missing (scripts/setup.sh installs it)";
    const std::string count = dir_.file("count");
    const std::string script = "import html5lib, sys\n"
                               "p = html5lib.HTMLParser()\n"
                               "p.parse(open(sys.argv[1], 'rb').read().decode('utf-8'))\n"
                               "print(sum(1 for e in p.errors if e[1] == 'invalid-codepoint'))\n";
    ASSERT_EQ(
        std::system(("/usr/bin/python3 -c " + quoted(script) + " " + quoted(page) + " >" + quoted(count)).c_str()), 0);
    EXPECT_EQ(readAll(count), "0\n");
}

} // namespace
} // namespace helixplot

#endif

#endif // _WIN32
