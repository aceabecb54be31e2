// SPDX-License-Identifier: GPL-3.0-or-later
// helixplot-cli end to end: the binary is run as a separate process on the
// samples and on genomes written for the test.

// The tool runs as a POSIX child process here; on Windows the test scripts
// compare its outputs with the Linux build's instead.
#ifndef _WIN32

#include "cliRunner.h"
#include "genomeBuilder.h"
#include "helixplotVersion.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef HELIXPLOT_CLI

namespace helixplot {
namespace {

using testing::CliRun;
using testing::GenomeBuilder;
using testing::makeGene;
using testing::runCli;
using testing::TempDir;

const std::string Samples = std::string(HELIXPLOT_SOURCE_DIR) + "/samples/";
const std::string Child = Samples + "tibb.gen";
const std::string Mother = Samples + "nela.gen";
const std::string Father = Samples + "orvo.gen";
const std::string Quin = Samples + "quin.gen";
const std::string Yeva = Samples + "yeva.gen";
const std::string Chemicals = Samples + "allchemicals.str";
// Reviewed outputs of the tool on the samples, chemical names from the samples.
const std::string Expected = std::string(HELIXPLOT_SOURCE_DIR) + "/tests/expected/";

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string expected(const std::string& name)
{
    const std::string text = readAll(Expected + name);
    EXPECT_FALSE(text.empty()) << "missing " << Expected + name;
    return text;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        settings_ = dir_.file("settings.ini");
        // The samples' settings, copied: they name the samples folder.
        testing::writeFile(settings_, "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\nMain Directory=" +
                                          Samples + "\nGenetics Directory=" + Samples + "\n");
    }

    CliRun run(const std::vector<std::string>& args) { return runCli(args, settings_); }

    TempDir dir_;
    std::string settings_;
};

TEST_F(Cli, SummaryPrintsTheFourLines)
{
    const CliRun r = run({"summary", Child});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, expected("summary-tibb.txt"));
}

TEST_F(Cli, BreakdownPrintsTheTreeWithChemicalNamesFromFileOrSettings)
{
    const std::string breakdown = expected("breakdown-tibb.txt");
    for (const auto& args : {std::vector<std::string>{"breakdown", "--chemicals", Chemicals, Child},
                             std::vector<std::string>{"breakdown", Child, "--chemicals=" + Chemicals},
                             std::vector<std::string>{"breakdown", Child},
                             // Options may stand before the command, and "--" ends them.
                             std::vector<std::string>{"--chemicals", Chemicals, "breakdown", "--", Child}}) {
        SCOPED_TRACE(args.size());
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, breakdown);
    }
}

TEST_F(Cli, WithoutChemicalNamesItWarnsAndGoesOn)
{
    const std::string settings = dir_.file("elsewhere.ini");
    testing::writeFile(settings, "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\nMain Directory=" + dir_.path() +
                                     "/none/\n");
    const CliRun r = runCli({"map", Child}, settings);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "helixplot-cli: warning: chemical names not loaded: " + dir_.path() +
                         "/none/allchemicals.str: File not found\n");
    // The same pages, only every chemical name is empty.
    const std::vector<std::string> actual = linesOf(r.out);
    const std::vector<std::string> named = linesOf(expected("map-breakdown.txt"));
    ASSERT_EQ(actual.size(), named.size());
    const std::size_t statisticsLines = 21;
    std::size_t differing = 0;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (i < statisticsLines) {
            EXPECT_EQ(actual[i], named[i]);
        } else if (actual[i] != named[i]) {
            EXPECT_LT(actual[i].size(), named[i].size()) << named[i];
            ++differing;
        }
    }
    EXPECT_GT(differing, 0u);
    EXPECT_NE(r.out.find("\n     binds to receptor\n"), std::string::npos);
}

TEST_F(Cli, MapRunsEachModeOnTheRightSlots)
{
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {"one file", {"map", Child}, expected("map-breakdown.txt")},
        {"two files", {"map", Child, Quin}, expected("map-single.txt")},
        {"three files", {"map", Child, Quin, Yeva}, expected("map-dual.txt")},
        {"breakdown", {"map", "--mode", "breakdown", Child}, expected("map-breakdown.txt")},
        {"single", {"map", "--mode=single", Child, Quin}, expected("map-single.txt")},
        {"dual", {"map", Child, "--mode", "dual", Quin, Yeva}, expected("map-dual.txt")},
        {"parental", {"map", "--mode", "parental", Child}, expected("map-parental.txt")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, c.expected);
    }
    // The page titles and what breakdown mode leaves out.
    const std::string single = expected("map-single.txt");
    for (const char* title : {"== General Genome Information\n", "\n== Mutated genes\n", "\n== Missing Genes\n",
                              "\n== Additional Genes\n", "\n== Genome Breakdown\nCreature Genus\n"})
        EXPECT_NE(single.find(title), std::string::npos) << title;
    EXPECT_EQ(expected("map-breakdown.txt").find("Mutated genes"), std::string::npos);
}

// The output with the samples' folder written as "samples/", as the
// reviewed outputs have it.
std::string withSamplesFolder(std::string text)
{
    for (std::size_t at = text.find(Samples); at != std::string::npos; at = text.find(Samples, at))
        text.replace(at, Samples.size(), "samples/");
    return text;
}

TEST_F(Cli, DiffPrintsEachMutatedGeneBesideItsComparatorsGenes)
{
    // A pigment the mother holds with another body, a pose only the father
    // holds (differs), a gait neither holds, an instinct identical to the
    // father's (not listed).
    const std::string child = dir_.file("child.gen");
    const std::string ma = dir_.file("ma.gen");
    const std::string pa = dir_.file("pa.gen");
    GenomeBuilder{makeGene(GeneKind::Pigment, 2, {1, 12}), makeGene(GeneKind::Pose, 1, {5}),
                  makeGene(GeneKind::Gait, 3, {1}), makeGene(GeneKind::Instinct, 4, {1})}
        .writeTo(child);
    GenomeBuilder{makeGene(GeneKind::Pigment, 2, {1, 10}), makeGene(GeneKind::Instinct, 4, {2})}.writeTo(ma);
    GenomeBuilder{makeGene(GeneKind::Pose, 1, {6}), makeGene(GeneKind::Instinct, 4, {1})}.writeTo(pa);

    const CliRun r = run({"diff", child, ma, pa});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "@@ 01 - Emb ---/---/--- 0 \n"
                     "--- " +
                         pa +
                         "\n"
                         " 01 - Emb ---/---/--- 0 \n"
                         "byte 0: 6 -> 5\n"
                         "@@ 03 - Emb ---/---/--- 0 \n"
                         "@@ 02 - Emb ---/---/--- 0 \n"
                         "--- " +
                         ma +
                         "\n"
                         "-02 - Emb ---/---/--- 0 Green 10\n"
                         "+02 - Emb ---/---/--- 0 Green 12\n"
                         "byte 1: 10 -> 12\n");

    // Single mode reads the first comparator only: the instinct differs from
    // the mother's and is listed, its one byte shown by a line.
    const CliRun single = run({"diff", "--mode", "single", child, ma});
    EXPECT_EQ(single.status, 0);
    EXPECT_NE(single.out.find("@@ 04 - Emb ---/---/--- 0 \n--- " + ma + "\n"), std::string::npos) << single.out;
    EXPECT_EQ(single.out.find("--- " + pa), std::string::npos);

    // The samples, parental and dual.
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{"diff", "--mode", "parental", Child}, "diff-parental.txt"},
        {{"diff", Child, Quin, Yeva}, "diff-dual.txt"},
        {{"diff", "--mode=dual", "--chemicals", Chemicals, Child, Quin, Yeva}, "diff-dual.txt"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expected);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(withSamplesFolder(r.out), expected(c.expected));
    }
}

using Json = nlohmann::ordered_json;

// A JSON tree back as the text dump writes it.
void appendTree(const Json& nodes, std::size_t depth, std::string& out)
{
    for (const Json& node : nodes) {
        out += std::string(depth, ' ') + node.at("text").get<std::string>() + "\n";
        appendTree(node.at("children"), depth + 1, out);
    }
}

Json parsed(const CliRun& r)
{
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out.back(), '\n');
    return Json::parse(r.out); // throws, failing the test, when it is no JSON
}

TEST_F(Cli, JsonHoldsWhatTheTextHolds)
{
    const CliRun textBreakdown = run({"breakdown", Child});
    const Json breakdown = parsed(run({"breakdown", "--format", "json", Child}));
    EXPECT_EQ(breakdown.at("command"), "breakdown");
    EXPECT_EQ(breakdown.at("genome"), Child);
    std::string tree;
    appendTree(breakdown.at("tree"), 0, tree);
    EXPECT_EQ(tree, textBreakdown.out);

    const Json summary = parsed(run({"summary", "--format=json", Child}));
    std::string lines;
    for (const Json& line : summary.at("lines"))
        lines += line.get<std::string>() + "\n";
    EXPECT_EQ(lines, run({"summary", Child}).out);

    // map: the statistics table and the pages, as the text prints them.
    for (const auto& args :
         {std::vector<std::string>{"map", Child, Quin, Yeva}, std::vector<std::string>{"map", Child}}) {
        SCOPED_TRACE(args.size());
        std::vector<std::string> jsonArgs = args;
        jsonArgs.insert(jsonArgs.begin() + 1, {"--format", "json"});
        const Json map = parsed(run(jsonArgs));
        EXPECT_EQ(map.at("mode"), args.size() == 4 ? "dual" : "breakdown");
        EXPECT_EQ(map.at("comparators"), args.size() == 4 ? Json::array({Quin, Yeva}) : Json::array());
        std::string text = "== General Genome Information\n";
        const Json& statistics = map.at("statistics");
        ASSERT_EQ(statistics.at("rows").size(), 19u);
        auto row = [&](const std::string& a, const std::string& b, const std::string& c, const std::string& d) {
            text += a + "\t" + b + "\t" + c + "\t" + d + "\n";
        };
        const Json& columns = statistics.at("columns");
        row(columns[0], columns[1], columns[2], columns[3]);
        for (std::size_t i = 0; i < 19; ++i) {
            const Json& r = statistics.at("rows")[i];
            row(r.at("caption"), r.at("mutated"), r.at("maternal"), r.at("paternal"));
        }
        for (const Json& page : map.at("pages")) {
            text += "== " + page.at("title").get<std::string>() + "\n";
            appendTree(page.at("tree"), 0, text);
        }
        EXPECT_EQ(text, run(args).out);
    }

    // diff: every change's lines and bytes, written back in the text format.
    const Json diff = parsed(run({"diff", "--format", "json", "--mode", "parental", Child}));
    EXPECT_EQ(diff.at("mode"), "parental");
    EXPECT_EQ(diff.at("comparators"), Json::array({Mother, Father}));
    std::string text;
    for (const Json& change : diff.at("changes")) {
        text += "@@ " + change.at("header").get<std::string>() + "\n";
        for (const Json& c : change.at("comparators")) {
            EXPECT_TRUE(c.at("differs").get<bool>());
            text += "--- " + c.at("file").get<std::string>() + "\n";
            for (const Json& line : c.at("lines")) {
                const std::string change = line.at("change");
                text += (change == "same"      ? " "
                         : change == "removed" ? "-"
                                               : "+") +
                        line.at("text").get<std::string>() + "\n";
            }
            for (const Json& b : c.at("bytes"))
                text += "byte " + std::to_string(b.at("offset").get<int>()) + ": " +
                        std::to_string(b.at("comparator").get<int>()) + " -> " +
                        std::to_string(b.at("examined").get<int>()) + "\n";
        }
    }
    EXPECT_EQ(text, run({"diff", "--mode", "parental", Child}).out);
    ASSERT_GT(diff.at("changes").size(), 2u);
    EXPECT_EQ(diff.at("changes")[1].at("type"), 0);
}

TEST_F(Cli, JsonCarriesSingleByteTextAsUtf8)
{
    // Chemical 1 is "Caf\xE9" in a single-byte table.
    std::string table = "xx";
    for (int i = 0; i < 256; ++i)
        table += i == 1 ? std::string("\x04"
                                      "Caf\xE9")
                        : std::string("\x01"
                                      "c");
    const std::string chemicals = dir_.file("latin1.str");
    testing::writeFile(chemicals, table);
    const std::string child = dir_.file("child.gen");
    const std::string ma = dir_.file("ma.gen");
    std::vector<std::uint8_t> halfLives(256, 0);
    GenomeBuilder{makeGene(GeneKind::HalfLives, 0, halfLives)}.writeTo(ma);
    halfLives[1] = 9;
    GenomeBuilder{makeGene(GeneKind::HalfLives, 0, halfLives)}.writeTo(child);

    const CliRun text = run({"diff", "--chemicals", chemicals, child, ma});
    ASSERT_NE(text.out.find("\n+ Caf\xE9 - 9 "), std::string::npos) << text.out;
    const Json diff = parsed(run({"diff", "--format", "json", "--chemicals", chemicals, child, ma}));
    const Json& lines = diff.at("changes")[0].at("comparators")[0].at("lines");
    std::vector<std::string> changed;
    for (const Json& line : lines)
        if (line.at("change") != "same")
            changed.push_back(line.at("change").get<std::string>() + ":" + line.at("text").get<std::string>());
    ASSERT_EQ(changed.size(), 2u);
    EXPECT_EQ(changed[1].rfind("added: Caf\xC3\xA9 - 9 ", 0), 0u) << changed[1];
}

TEST_F(Cli, TraceProgressWritesEveryCallInOrder)
{
    const CliRun r = run({"map", "--trace-progress", "--mode", "parental", Child});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected("map-parental.txt"));
    EXPECT_EQ(r.err, expected("trace-parental.txt"));
}

TEST_F(Cli, ParentalModeFindsTheParentsNamedByTheGenus)
{
    // "ma" is cut at its zero byte.
    const GeneRecord genus = makeGene(GeneKind::Genus, 0, {0, 'm', 'a', 0, 'x', 'p', 'a', '1', '2'});
    const std::string child = dir_.file("child.gen");
    GenomeBuilder{genus, makeGene(GeneKind::Stimulus, 1, {1}), makeGene(GeneKind::Pigment, 2, {2})}.writeTo(child);
    GenomeBuilder{makeGene(GeneKind::Stimulus, 1, {2})}.writeTo(dir_.file("ma.gen"));

    const CliRun missingFather = run({"map", "--mode", "parental", child});
    EXPECT_EQ(missingFather.status, 1);
    EXPECT_EQ(missingFather.out, "");
    EXPECT_EQ(missingFather.err, "helixplot-cli: " + dir_.path() + "/pa12.gen: File not found\n");

    GenomeBuilder{makeGene(GeneKind::Pigment, 2, {2}), makeGene(GeneKind::PigmentBleed, 1, {2})}.writeTo(
        dir_.file("pa12.gen"));
    const CliRun r = run({"map", "--mode", "parental", child});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    // The same as naming the parents' files.
    const CliRun named = run({"map", "--mode", "dual", child, dir_.file("ma.gen"), dir_.file("pa12.gen")});
    EXPECT_EQ(named.status, 0);
    EXPECT_EQ(r.out, named.out);
    EXPECT_NE(r.out.find("== Missing Genes\nPaternal genes missing from genome\n"), std::string::npos);
}

TEST_F(Cli, AFileThatDoesNotLoadEndsWithItsMessage)
{
    const std::string missing = dir_.file("missing.gen");
    const std::string badMagic = dir_.file("magic.gen");
    testing::writeFile(badMagic, "dna3gene");
    const std::string badMarker = dir_.file("marker.gen");
    GenomeBuilder{makeGene(GeneKind::Stimulus, 1)}.raw("gent\x02\x01\x01\x01\x01\x01\x01").writeTo(badMarker);
    const std::string truncated = dir_.file("short.gen");
    testing::writeFile(truncated, GenomeBuilder{makeGene(GeneKind::Stimulus, 1)}.bytes().substr(0, 14));
    const std::string empty = dir_.file("empty.gen");
    testing::writeFile(empty, "");
    const std::string unknownKind = dir_.file("unknown.gen");
    GenomeBuilder{makeGene(4, 0, 1)}.raw("BODY").add(makeGene(GeneKind::Stimulus, 1)).writeTo(unknownKind);
    const std::string chemicals = dir_.file("short.str");
    testing::writeFile(chemicals, "xx\x03"
                                  "ab");

    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"summary", missing}, missing + ": File not found"},
        {{"breakdown", badMagic}, badMagic + ": Bad Gene File"},
        {{"map", badMarker}, badMarker + ": Bad gene Error!"},
        {{"map", Child, truncated}, truncated + ": Read beyond end of file"},
        {{"map", Child, Quin, missing}, missing + ": File not found"},
        {{"diff", Child, Quin, missing}, missing + ": File not found"},
        {{"diff", "--format", "json", badMagic, Quin}, badMagic + ": Bad Gene File"},
        {{"summary", empty}, empty + ": Read beyond end of file"},
        {{"breakdown", unknownKind}, unknownKind + ": Bad gene Error!"},
        {{"map", Child, dir_.path()}, dir_.path() + ": File access denied"},
        {{"map", "--chemicals", chemicals, Child}, chemicals + ": Read beyond end of file"},
        {{"breakdown", "--chemicals", missing, Child}, missing + ": File not found"},
        {{"summary", "--chemicals", missing, Child}, missing + ": File not found"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.err);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(r.err, "helixplot-cli: " + c.err + "\n");
    }
}

TEST_F(Cli, UsageErrorsExitWithTwo)
{
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{}, "no command given"},
        {{"draw", Child}, "unknown command 'draw'"},
        {{"map"}, "map takes 1 to 3 genome files, not 0"},
        {{"map", Child, Child, Child, Child}, "map takes 1 to 3 genome files, not 4"},
        {{"map", "--mode", "parental", Child, Mother}, "mode parental takes 1 file, not 2"},
        {{"map", "--mode", "single", Child}, "mode single takes 2 files, not 1"},
        {{"map", "--mode", "dual", Child, Quin}, "mode dual takes 3 files, not 2"},
        {{"map", "--mode", "breakdown", Child, Quin}, "mode breakdown takes 1 file, not 2"},
        {{"map", "--mode", "triple", Child}, "unknown mode 'triple' (breakdown, single, parental or dual)"},
        {{"map", Child, "--mode"}, "option '--mode' needs a value"},
        {{"summary", Child, Quin}, "summary takes one genome file, not 2"},
        {{"breakdown"}, "breakdown takes one genome file, not 0"},
        {{"breakdown", "--mode", "single", Child}, "--mode is an option of map and diff only"},
        {{"diff", Child}, "diff takes 2 or 3 genome files, or 1 with --mode parental, not 1"},
        {{"diff", Child, Quin, Yeva, Mother}, "diff takes 2 or 3 genome files, or 1 with --mode parental, not 4"},
        {{"diff", "--mode", "breakdown", Child}, "diff has no mode breakdown (single, parental or dual)"},
        {{"diff", "--mode", "dual", Child, Quin}, "mode dual takes 3 files, not 2"},
        {{"diff", "--trace-progress", Child, Quin}, "--trace-progress is an option of map only"},
        {{"map", "--format", "xml", Child}, "unknown format 'xml' (text, csv or json)"},
        {{"map", "--format", "csv", Child}, "format csv is census's and lineage's only (text or json)"},
        {{"summary", Child, "--format"}, "option '--format' needs a value"},
        {{"summary", "--trace-progress", Child}, "--trace-progress is an option of map only"},
        {{"map", "--verbose", Child}, "unknown option '--verbose'"},
        {{"map", "--format", "json", "--format", "text", Child}, "option '--format' is given more than once"},
        {{"map", "--mode=", "dual", Child, Quin, Yeva}, "option '--mode' has an empty value"},
        {{"breakdown", "--mode=single", Child}, "--mode is an option of map and diff only"},
        {{"--format", "json", "map", Child}, "--format must come after the command"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 2);
        EXPECT_EQ(r.out, "");
        // The one message, and the help of the command the line names.
        const bool named = !c.args.empty() && c.args[0] != "draw";
        const std::string command = !named ? "" : c.args[0] == "--format" ? "map " : c.args[0] + " ";
        EXPECT_EQ(r.err, "helixplot-cli: " + c.message + "\nTry 'helixplot-cli " + command + "--help'\n");
    }
}

TEST_F(Cli, HelpPrintsTheUsageOnStdout)
{
    const std::string usage = expected("help.txt");
    EXPECT_EQ(run({"--help"}).out, usage);
    // The whole usage wherever --help stands, whatever else the line holds.
    for (const auto& args :
         {std::vector<std::string>{"map", Child, "--help"}, std::vector<std::string>{"--bogus", "--help"},
          std::vector<std::string>{"map", "--help", "--version"},
          std::vector<std::string>{"lineage", "--format", "json", "--help", Child},
          std::vector<std::string>{"map", "--mode", "triple", Child, "--help"}}) {
        SCOPED_TRACE(args.size());
        const CliRun r = run(args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, usage);
    }
    // A file named like an option after "--".
    const CliRun r = run({"summary", "--", "--help"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "helixplot-cli: --help: File not found\n");
}

TEST_F(Cli, VersionPrintsTheNameAndVersionOnStdoutButHelpWins)
{
    const std::string versionLine = std::string("helixplot-cli ") + HelixplotVersion + "\n";
    const struct {
        std::vector<std::string> args;
        bool usage;
    } cases[] = {
        {{"--version"}, false},
        {{"map", Child, "--version"}, false},
        {{"--bogus", "--version"}, false},
        {{"--version", "--help"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.front());
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.err, "");
        if (c.usage)
            EXPECT_EQ(r.out, expected("help.txt"));
        else
            EXPECT_EQ(r.out, versionLine);
    }
}

} // namespace
} // namespace helixplot

#endif // HELIXPLOT_CLI

#endif // _WIN32
