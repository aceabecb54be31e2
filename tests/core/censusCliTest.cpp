// SPDX-License-Identifier: GPL-3.0-or-later
// helixplot-cli census and report, run as a separate process.

// The tool runs as a POSIX child process here; on Windows the test scripts
// compare its outputs with the Linux build's instead.
#ifndef _WIN32

#include "cliRunner.h"
#include "genomeBuilder.h"
#include "mapping/census.h"
#include "mapping/lineage.h"
#include "populationGenerator.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <regex>
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

// The shared runner, with settings that name no installation.
CliRun runCli(const TempDir& scratch, const std::vector<std::string>& args)
{
    return testing::runCli(args, scratch.file("settings.ini"));
}

// RFC 4180: fields split at commas, quoted fields with doubled quotes, CRLF.
std::vector<std::vector<std::string>> parseCsv(const std::string& text)
{
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool inQuotes = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"')
                field += text[++i];
            else if (c == '"')
                inQuotes = false;
            else
                field += c;
        } else if (c == '"') {
            inQuotes = true;
        } else if (c == ',') {
            rows.back().push_back(std::move(field));
            field.clear();
        } else if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            rows.back().push_back(std::move(field));
            field.clear();
            rows.emplace_back();
            ++i;
        } else {
            field += c;
        }
    }
    EXPECT_FALSE(inQuotes);
    EXPECT_TRUE(rows.back().empty() && field.empty()) << "the last line ends in CRLF";
    rows.pop_back();
    return rows;
}

// The report must be well-formed: every tag closed in order, attribute values
// quoted, no stray '<' or '&' in text. Script and style are raw text.
void expectWellFormed(const std::string& html)
{
    static const std::set<std::string> Void = {"meta", "br", "hr", "img", "input", "link"};
    std::vector<std::string> open;
    std::size_t at = html.find('>', html.find("<!DOCTYPE html>")) + 1;
    const std::regex tag(R"(^<(/?)([a-zA-Z][a-zA-Z0-9]*)((?:\s+[a-zA-Z][a-zA-Z0-9:-]*="[^"<]*")*)\s*(/?)>)");
    const std::regex entity(R"(^&(#[0-9]+|#x[0-9A-Fa-f]+|[a-z]+);)");
    while (at < html.size()) {
        const char c = html[at];
        std::smatch m;
        if (c == '<') {
            const std::string rest = html.substr(at, html.find('>', at) + 1 - at); // a tag, however long
            ASSERT_TRUE(std::regex_search(rest, m, tag)) << "bad tag at " << at << ": " << rest.substr(0, 80);
            const std::string name = m[2];
            if (m[1].length()) {
                ASSERT_FALSE(open.empty()) << "</" << name << "> closes nothing";
                ASSERT_EQ(open.back(), name) << "at " << at;
                open.pop_back();
            } else if (!m[4].length() && !Void.count(name)) {
                open.push_back(name);
                if (name == "script" || name == "style") {
                    const std::size_t end = html.find("</" + name + ">", at);
                    ASSERT_NE(end, std::string::npos);
                    at = end;
                    continue;
                }
            }
            at += static_cast<std::size_t>(m[0].length());
        } else if (c == '&') {
            const std::string rest = html.substr(at, 12);
            ASSERT_TRUE(std::regex_search(rest, m, entity)) << "bare & at " << at;
            at += static_cast<std::size_t>(m[0].length());
        } else {
            ++at;
        }
    }
    EXPECT_TRUE(open.empty()) << open.size() << " tags left open, the last " << open.back();
}

std::size_t occurrences(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

// The family tree's lines, each once: the tree is cut into slices, and a
// line that passes several is drawn in each.
std::set<std::string> treeLines(const std::string& html)
{
    std::set<std::string> lines;
    const std::regex path(R"re(<path class="lines" d="([^"]*)")re");
    for (std::sregex_iterator it(html.begin(), html.end(), path), end; it != end; ++it) {
        const std::string d = (*it)[1];
        for (std::size_t at = d.find('M'); at != std::string::npos;) {
            const std::size_t next = d.find('M', at + 1);
            lines.insert(d.substr(at, next - at));
            at = next;
        }
    }
    return lines;
}

// The generated population, a hostile name, a file that does not load.
class CensusCli : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = new TempDir;
        members_ = new std::vector<samples::PopulationMember>(samples::writePopulation(dir_->path()));
        const std::string mother = members_->front().name;
        GenomeBuilder{genusGene(mother, "<b>&"), makeGene(2, 3, 1, {0, '\'', '"', 0xE9, 0x01})}.writeTo(
            dir_->file(Hostile));
        testing::writeFile(dir_->file("zz-empty.gen"), "dna2gend"); // loads: no gene at all
        testing::writeFile(dir_->file("zz-worse.gen"), "DNA2");
    }
    static void TearDownTestSuite()
    {
        delete members_;
        delete dir_;
    }

    CliRun run(const std::vector<std::string>& args) { return runCli(scratch_, args); }

    static constexpr const char* Hostile = "a<script>x,\"q\"&amp;.gen";
    static TempDir* dir_;
    static std::vector<samples::PopulationMember>* members_;
    TempDir scratch_;
};
TempDir* CensusCli::dir_ = nullptr;
std::vector<samples::PopulationMember>* CensusCli::members_ = nullptr;

TEST_F(CensusCli, JsonHoldsEveryRowWithNullsWhereNothingIsKnown)
{
    const CliRun r = run({"census", "--format", "json", dir_->path()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const nlohmann::json rows = nlohmann::json::parse(r.out);
    const Census census = takeCensus(dir_->path());
    ASSERT_TRUE(rows.is_array());
    ASSERT_EQ(rows.size(), members_->size() + 3);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const nlohmann::json& o = rows[i];
        const CensusRow& row = census.rows[i];
        SCOPED_TRACE(row.file);
        EXPECT_EQ(o.at("file"), row.file);
        if (!row.loaded()) {
            EXPECT_EQ(o.at("error"), "Bad Gene File");
            for (const char* key : {"mother", "father", "genes", "organs", "generation", "children", "mutated"})
                EXPECT_TRUE(o.at(key).is_null()) << key;
            continue;
        }
        EXPECT_TRUE(o.at("error").is_null());
        EXPECT_EQ(o.at("genes"), row.genes);
        EXPECT_EQ(o.at("organs"), row.organs);
        EXPECT_EQ(o.at("generation"), row.generation);
        EXPECT_EQ(o.at("children"), row.children);
        EXPECT_EQ(o.at("mutated").is_null(), !row.mutated);
        if (row.mutated) {
            EXPECT_EQ(o.at("mutated"), *row.mutatedTotal());
        }
        EXPECT_EQ(o.at("mother").is_null(), !row.mother);
        ASSERT_EQ(o.at("statistics").size(), StatisticsRowCount);
        EXPECT_EQ(o.at("statistics")[15].at("type"), "Organs");
        EXPECT_EQ(o.at("statistics")[15].at("genes"), row.totals[15]);
    }
    // The generator's own figures, through the tool.
    for (const auto& m : *members_) {
        const auto it =
            std::find_if(rows.begin(), rows.end(), [&](const auto& o) { return o["file"] == m.name + ".gen"; });
        ASSERT_NE(it, rows.end());
        EXPECT_EQ((*it)["generation"], m.generation);
        if (!m.founder && !m.fatherMissing) {
            EXPECT_EQ((*it)["mutated"], m.mutatedGenes) << m.name;
        }
    }
    const auto hostile = std::find_if(rows.begin(), rows.end(), [](const auto& o) { return o["file"] == Hostile; });
    ASSERT_NE(hostile, rows.end());
    EXPECT_EQ((*hostile)["father"], "<b>&");
    EXPECT_EQ((*hostile)["generation"], 1);
    EXPECT_TRUE((*hostile)["mutated"].is_null());
    EXPECT_EQ(rows.back()["file"], "zz-worse.gen");
    EXPECT_EQ(rows[rows.size() - 2]["genes"], 0);
    EXPECT_TRUE(rows[rows.size() - 2]["mother"].is_null());
}

TEST_F(CensusCli, CsvHasAHeaderAndTheSameCellsAsJson)
{
    const CliRun csv = run({"census", "--format=csv", dir_->path()});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const CliRun json = run({"census", "--format", "json", dir_->path()});
    const nlohmann::json rows = nlohmann::json::parse(json.out);
    const auto table = parseCsv(csv.out);
    ASSERT_EQ(table.size(), rows.size() + 1);
    const std::vector<std::string> first = {"file",  "error",  "genus",      "mother",   "father",
                                            "genes", "organs", "generation", "children", "mutated"};
    ASSERT_EQ(table[0].size(), first.size() + 2 * StatisticsRowCount);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), table[0].begin()));
    EXPECT_EQ(table[0][10], "Brain Lobes");
    EXPECT_EQ(table[0].back(), "Non-Expressed Genes mutated");
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto& cells = table[i + 1];
        ASSERT_EQ(cells.size(), table[0].size()) << i;
        for (std::size_t c = 0; c < first.size(); ++c) {
            const nlohmann::json& v = rows[i][first[c]];
            const std::string expected = v.is_null() ? "" : v.is_string() ? v.get<std::string>() : v.dump();
            EXPECT_EQ(cells[c], expected) << first[c] << " of " << cells[0];
        }
    }
}

// File names stay UTF-8 when they are; other bytes, and every genome text,
// are single-byte characters.
TEST_F(CensusCli, JsonTextsAreUtf8)
{
    TempDir dir;
    GenomeBuilder{genusGene("\xE9t\xE9", "")}.writeTo(dir.file("\xC3\xA9t\xC3\xA9.gen"));
    GenomeBuilder{genusGene("", "")}.writeTo(dir.file("\xE9t\xE9.gen"));
    GenomeBuilder{genusGene("", "")}.writeTo(dir.file("\xC3.gen"));
    const CliRun r = run({"census", "--format", "json", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const nlohmann::json rows = nlohmann::json::parse(r.out);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0]["file"], "\xC3\x83.gen");
    EXPECT_EQ(rows[1]["file"], "\xC3\xA9t\xC3\xA9.gen");
    EXPECT_EQ(rows[1]["mother"], "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(rows[2]["file"], "\xC3\xA9t\xC3\xA9.gen");
}

TEST_F(CensusCli, TextIsAnAlignedTable)
{
    TempDir dir;
    GenomeBuilder{genusGene("", "")}.writeTo(dir.file("mama.gen"));
    GenomeBuilder{genusGene("", "")}.writeTo(dir.file("papa.gen"));
    GenomeBuilder{genusGene("mama", "papa"), makeGene(3, 0, 1, {})}.writeTo(dir.file("kid.gen"));
    testing::writeFile(dir.file("bad.gen"), "x");
    const CliRun r = run({"census", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "File      Genus   Mother  Father  Genes  Organs  Generation  Children  Mutated\n"
                     "bad.gen   error: Read beyond end of file\n"
                     "kid.gen   Tarrin  mama    papa        2       1           1         0        1\n"
                     "mama.gen  Tarrin  -       -           1       0           0         1        -\n"
                     "papa.gen  Tarrin  -       -           1       0           0         1        -\n");
}

TEST_F(CensusCli, ReportIsOneWellFormedPageWithABoxPerGenome)
{
    const std::string page = scratch_.file("report.html");
    const CliRun r = run({"report", "-o", page, dir_->path()});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "");
    const std::string html = readAll(page);
    expectWellFormed(html);

    const std::size_t loaded = members_->size() + 2;
    EXPECT_EQ(occurrences(html, "<g class=\"box\">"), loaded);
    EXPECT_EQ(occurrences(html, "<tr id=\"row-"), loaded + 1);
    // Lines: one per parent in the folder.
    std::size_t links = 1; // the hostile genome's mother
    for (const auto& m : *members_)
        links += m.founder ? 0 : m.fatherMissing ? 1 : 2;
    EXPECT_EQ(treeLines(html).size(), links);

    // Nothing from a file reaches the page unescaped; nothing is fetched.
    // The second script element is the changes' text.
    EXPECT_EQ(occurrences(html, "<script"), 2u);
    EXPECT_EQ(occurrences(html, "<script type=\"text/plain\" id=\"changes-data\">"), 1u);
    EXPECT_EQ(occurrences(html, "<b>"), 0u);
    EXPECT_NE(html.find("a&lt;script&gt;x,&quot;q&quot;&amp;amp;.gen"), std::string::npos);
    EXPECT_NE(html.find("<td>&lt;b&gt;&amp;</td>"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos);
    EXPECT_EQ(html.find("href=\"http"), std::string::npos);
    EXPECT_EQ(html.find("@import"), std::string::npos);
    for (const char* heading :
         {"Family tree", "Genomes per generation", "Mutations per creature by generation", "Gene counts per family"})
        EXPECT_NE(html.find(heading), std::string::npos) << heading;
}

// Many founders and one round of births, which drew every founder in one row:
// the lineages are packed into rows about a screen wide, no box over another.
TEST_F(CensusCli, ReportTreeStaysAboutAScreenWide)
{
    TempDir dir;
    samples::PopulationOptions options;
    options.founders = 200;
    options.rounds = 1;
    options.perRound = 100;
    samples::writePopulation(dir.path(), options);
    const std::string page = scratch_.file("wide.html");
    const CliRun r = run({"report", "-o", page, dir.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = readAll(page);

    const std::regex svg(R"re(<svg class="tree" [^>]*width="([0-9.]+)")re");
    double widest = 0;
    for (std::sregex_iterator it(html.begin(), html.end(), svg), end; it != end; ++it)
        widest = std::max(widest, std::stod((*it)[1]));
    std::cout << "tree of 300 genomes: " << widest << " px wide (one row of founders: " << 200 * 96 + 20 << ")\n";
    EXPECT_GT(widest, 1000);
    EXPECT_LE(widest, 2000);

    std::vector<std::pair<double, double>> boxes;
    const std::regex rect(R"re(<rect class="m[0-9n]" x="([0-9.]+)" y="([0-9.]+)")re");
    for (std::sregex_iterator it(html.begin(), html.end(), rect), end; it != end; ++it)
        boxes.emplace_back(std::stod((*it)[1]), std::stod((*it)[2]));
    ASSERT_EQ(boxes.size(), 300u);
    for (std::size_t a = 0; a < boxes.size(); ++a)
        for (std::size_t b = a + 1; b < boxes.size(); ++b)
            EXPECT_FALSE(std::abs(boxes[a].first - boxes[b].first) < 84 &&
                         std::abs(boxes[a].second - boxes[b].second) < 34)
                << a << " and " << b << " overlap";
}

// Every in-page link leads somewhere.
void expectLinksHaveTargets(const std::string& html)
{
    std::set<std::string> ids;
    const std::regex id(R"re( id="([^"]+)")re");
    for (std::sregex_iterator it(html.begin(), html.end(), id), end; it != end; ++it)
        EXPECT_TRUE(ids.insert((*it)[1]).second) << "two elements with id " << (*it)[1];
    const std::regex href(R"re(href="#([^"]*)")re");
    std::size_t links = 0;
    for (std::sregex_iterator it(html.begin(), html.end(), href), end; it != end; ++it, ++links)
        EXPECT_EQ(ids.count((*it)[1]), 1u) << "no target for #" << (*it)[1];
    EXPECT_GT(links, 0u);
}

// The text of a row's changes section, from the data the page's script puts
// in place, to its end.
std::string changesOf(const std::string& html, std::size_t row)
{
    const std::size_t start = html.find("<div class=\"change\" data-id=\"changes-" + std::to_string(row) + "\">");
    if (start == std::string::npos)
        return {};
    return html.substr(start, html.find("</div>", start) - start);
}

// The row of a file in the report's table.
std::optional<std::size_t> rowOf(const std::string& html, const std::string& file)
{
    std::smatch m;
    if (!std::regex_search(html, m, std::regex("<tr id=\"row-([0-9]+)\"[^>]*><td>" + file + "</td>")))
        return std::nullopt;
    return std::stoul(m[1]);
}

std::string hex2(std::uint32_t value)
{
    char text[3];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

TEST_F(CensusCli, ReportListsTheChangesOfEachCreatureWithBothParents)
{
    const std::string page = scratch_.file("report.html");
    const CliRun r = run({"report", "-o", page, dir_->path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = readAll(page);
    expectLinksHaveTargets(html);
    EXPECT_NE(html.find("<h2 id=\"changes\">Changes of the mutated genes</h2>"), std::string::npos);

    std::size_t sections = 0, keysSeen = 0;
    for (const auto& m : *members_) {
        SCOPED_TRACE(m.name);
        const auto row = rowOf(html, m.name + ".gen");
        ASSERT_TRUE(row);
        const std::string changes = changesOf(html, *row);
        const std::string link = "href=\"#changes-" + std::to_string(*row) + "\"";
        if (m.founder || m.fatherMissing) {
            EXPECT_EQ(changes, "");
            EXPECT_EQ(occurrences(html, link), 0u);
            continue;
        }
        ++sections;
        // From its box in the tree and its row in the table.
        EXPECT_EQ(occurrences(html, link), 2u);
        EXPECT_NE(changes.find("<h3>" + m.name + ".gen</h3>"), std::string::npos);
        EXPECT_NE(changes.find("<p>Mother <a href=\"#row-" + std::to_string(*rowOf(html, m.mother + ".gen")) + "\">" +
                               m.mother + ".gen</a>, father"),
                  std::string::npos);
        EXPECT_NE(changes.find("; " + std::to_string(m.mutatedGenes) +
                               (m.mutatedGenes == 1 ? " mutated gene" : " mutated genes") + " counted."),
                  std::string::npos);
        // The genus gene is never listed; each gene changed on purpose is,
        // but organ genes, which the mutated genes' view leaves out.
        EXPECT_EQ(changes.find("@@ Creature Genus"), std::string::npos);
        if (changes.find("... and ") != std::string::npos)
            continue;
        std::size_t listed = 0;
        for (const std::uint32_t key : m.mutatedKeys) {
            const auto kind = kindOf(static_cast<std::uint8_t>(key >> 16), static_cast<std::uint8_t>(key >> 8));
            ASSERT_TRUE(kind);
            if (kind == GeneKind::Organ || kind == GeneKind::BrainOrgan)
                continue;
            ++listed;
            ++keysSeen;
            EXPECT_NE(changes.find("@@ " + std::string(infoOf(*kind).comparisonFamily) + ": " + hex2(key) + " "),
                      std::string::npos)
                << key;
        }
        // Besides them, at most the one new instinct a birth may bring.
        const std::size_t headers = occurrences(changes, "\n@@ ") + (changes.find("<pre>@@ ") != std::string::npos);
        EXPECT_GE(headers, listed);
        EXPECT_LE(headers, listed + 1);
        if (headers == 0) {
            EXPECT_NE(changes.find("No gene listed: the genus gene and organ genes never are."), std::string::npos);
        }
    }
    EXPECT_GT(sections, 15u);
    EXPECT_GT(keysSeen, 20u);
}

// Long changes are cut with a count of what is left; names and gene texts
// are escaped there too.
TEST_F(CensusCli, ReportChangesAreCappedAndEscaped)
{
    TempDir dir;
    auto pose = [](std::uint8_t id, std::vector<std::uint8_t> text) {
        text.insert(text.begin(), 0);
        return makeGene(GeneKind::Pose, id, text);
    };
    auto lobe = [](std::uint8_t fill) {
        return makeGene(GeneKind::BrainLobe, 1, std::vector<std::uint8_t>(196, fill));
    };
    const GeneRecord brain = makeGene(GeneKind::BrainOrgan, 1);
    std::vector<GeneRecord> mother = {genusGene("", ""), brain, lobe(1)};
    std::vector<GeneRecord> father = {genusGene("", ""), brain, lobe(2)};
    std::vector<GeneRecord> kid = {genusGene("mama", "<b>&"), brain, lobe(3)};
    for (std::uint8_t id = 1; id <= 10; ++id) {
        mother.push_back(pose(id, {'a'}));
        father.push_back(pose(id, {'b'}));
        kid.push_back(pose(id, {'<', 'i', '>', '\n', '&'}));
    }
    GenomeBuilder().add(mother).writeTo(dir.file("mama.gen"));
    GenomeBuilder().add(father).writeTo(dir.file("<b>&.gen"));
    GenomeBuilder().add(kid).writeTo(dir.file("kid.gen"));

    const std::string page = scratch_.file("capped.html");
    const CliRun r = run({"report", "-o", page, dir.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = readAll(page);
    expectWellFormed(html);
    expectLinksHaveTargets(html);
    const auto row = rowOf(html, "kid.gen");
    ASSERT_TRUE(row);
    const std::string changes = changesOf(html, *row);
    // The lobe and seven of the ten poses.
    EXPECT_EQ(occurrences(changes, "@@ "), 8u);
    EXPECT_EQ(occurrences(changes, "@@ Brain Lobes: 01 "), 1u);
    EXPECT_NE(changes.find("\n... and 3 more genes\n</pre>"), std::string::npos);
    // A lobe unlike both parents': more lines and bytes than are shown.
    EXPECT_EQ(occurrences(changes, "... and 188 more bytes\n"), 2u);
    EXPECT_EQ(occurrences(changes, "more lines\n"), 2u);
    EXPECT_EQ(occurrences(changes, "--- &lt;b&gt;&amp;.gen: "), 8u);
    EXPECT_EQ(occurrences(changes, "--- mama.gen: "), 8u);
    EXPECT_NE(changes.find("&lt;i&gt;&#xFFFD;&amp;</span>"), std::string::npos);
    EXPECT_EQ(html.find("<i>"), std::string::npos);
    EXPECT_EQ(html.find("<b>"), std::string::npos);
}

// Versions planted in a family: kid's pose 1, which its 23 children inherit;
// solo's pose 2, no other genome's; pair's pose 3, passed to its child; and
// pair's pose 4, new to it and with pose 3's body, which no event brought.
TEST_F(CensusCli, ReportNamesTheCarriersOfEachNewVersion)
{
    TempDir dir;
    auto write = [&](const std::string& name, std::string_view mother, std::string_view bodies) {
        GenomeBuilder genome{genusGene(mother, mother.empty() ? "" : "dada")};
        for (std::size_t id = 0; id < bodies.size(); ++id)
            if (bodies[id] != '-')
                genome.add(makeGene(GeneKind::Pose, std::uint8_t(id + 1), {0, std::uint8_t(bodies[id])}));
        genome.writeTo(dir.file(name + ".gen"));
    };
    write("mama", "", "aaa-");
    write("dada", "", "aaa-");
    write("kid", "mama", "xaa-");
    std::vector<std::string> inherited = {"kid", "solo"};
    for (int i = 10; i < 32; ++i)
        write(inherited.emplace_back("g" + std::to_string(i)), "kid", "xaa-");
    write("solo", "kid", "xya-");
    write("pair", "mama", "aazz");
    write("pairkid", "pair", "aaz-");
    const CliRun r = run({"report", "-o", "-", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const struct {
        std::string creature;
        int pose;
        std::vector<std::string> carriers; // none: no carriers line
    } cases[] = {{"kid", 1, inherited}, {"solo", 2, {"solo"}}, {"pair", 3, {"pair", "pairkid"}}, {"pair", 4, {}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.creature + " pose " + std::to_string(c.pose));
        // Named in census order, 20 at most, each linked to its row.
        std::vector<std::pair<std::size_t, std::string>> named;
        for (const std::string& name : c.carriers)
            named.push_back({*rowOf(r.out, name + "\\.gen"), name + ".gen"});
        std::sort(named.begin(), named.end());
        std::string expected = named.size() == 1 ? "carried by only this creature"
                                                 : "carried by " + std::to_string(named.size()) + " genomes";
        for (std::size_t i = 0; i < std::min<std::size_t>(named.size(), 20) && named.size() > 1; ++i)
            expected += (i ? ", " : ": ") + std::string("<a href=\"#row-") + std::to_string(named[i].first) + "\">" +
                        named[i].second + "</a>";
        if (named.size() > 20)
            expected += " and " + std::to_string(named.size() - 20) + " more";
        if (named.empty())
            expected.clear();
        const std::string changes = changesOf(r.out, *rowOf(r.out, c.creature + "\\.gen"));
        const std::size_t at = changes.find("@@ " + std::string(infoOf(GeneKind::Pose).comparisonFamily) + ": 0" +
                                            std::to_string(c.pose) + " ");
        ASSERT_NE(at, std::string::npos);
        const std::string change =
            changes.substr(at, std::min(changes.find("\n@@ ", at), changes.find("\n</pre>")) - at);
        const std::string last = change.substr(change.rfind('\n') + 1);
        EXPECT_EQ(last.rfind("carried by", 0) == 0 ? last : "", expected);
    }
}

// Names that a spreadsheet would run as formulas, separators and quotes, and
// Latin-1: each cell parses back to the name, guarded by an apostrophe where
// needed; counts stay numbers.
TEST_F(CensusCli, CsvCellsAreUtf8AndNeverFormulas)
{
    TempDir dir;
    const struct {
        std::string file;
        std::string cell;
    } cases[] = {
        {"+x.gen", "'+x.gen"},
        {"-x.gen", "'-x.gen"},
        {"=1+2.gen", "'=1+2.gen"},
        {"@sum.gen", "'@sum.gen"},
        {"a,\"b\"\n.gen", "a,\"b\"\n.gen"},
        {"\xE9t\xE9.gen", "\xC3\xA9t\xC3\xA9.gen"},
    };
    for (const auto& c : cases)
        GenomeBuilder{genusGene("=cmd", "@d,\"")}.writeTo(dir.file(c.file));
    const CliRun r = run({"census", "--format", "csv", dir.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto table = parseCsv(r.out);
    ASSERT_EQ(table.size(), std::size(cases) + 1);
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& row = table[i + 1];
        ASSERT_GE(row.size(), 10u);
        EXPECT_EQ(row[0], cases[i].cell);
        EXPECT_EQ(row[1], "");
        EXPECT_EQ(row[3], "'=cmd");
        EXPECT_EQ(row[4], "'@d,\"");
        EXPECT_EQ(row[5], "1"); // genes
    }
}

// A file name with a line break and an escape sequence: shown as \xNN in
// the table, the tree and the heading of its changes, whose lines stay one
// line each.
TEST_F(CensusCli, ReportNamesKeepTheirLines)
{
    TempDir dir;
    const GeneRecord pose = makeGene(GeneKind::Pose, 1, {0, 'a'});
    GenomeBuilder{genusGene("", ""), pose}.writeTo(dir.file("mama.gen"));
    GenomeBuilder{genusGene("", ""), pose}.writeTo(dir.file("dada.gen"));
    GenomeBuilder{genusGene("mama", "dada"), makeGene(GeneKind::Pose, 1, {0, 'b'})}.writeTo(dir.file("k\nd\x1B.gen"));
    const std::string page = scratch_.file("names.html");
    const CliRun r = run({"report", "-o", page, dir.path()});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string html = readAll(page);
    expectWellFormed(html);
    EXPECT_EQ(html.find('\x1B'), std::string::npos);
    const auto row = rowOf(html, R"(k\\x0Ad\\x1B\.gen)");
    ASSERT_TRUE(row);
    const std::string changes = changesOf(html, *row);
    EXPECT_NE(changes.find("<h3>k\\x0Ad\\x1B.gen</h3>"), std::string::npos);
    const std::size_t pre = changes.find("<pre>");
    ASSERT_NE(pre, std::string::npos);
    std::istringstream lines(changes.substr(pre + 5, changes.find("</pre>") - pre - 5));
    std::size_t count = 0;
    for (std::string line; std::getline(lines, line); ++count)
        EXPECT_TRUE(line.rfind("@@ ", 0) == 0 || line.rfind("--- ", 0) == 0 || line.rfind("<span", 0) == 0 ||
                    line.rfind("byte ", 0) == 0 || line == "carried by only this creature")
            << line;
    EXPECT_GT(count, 4u);
}

// The three formats hold the core's events and keys; --gene keeps one key.
TEST_F(CensusCli, LineageInEachFormatIsTheCoresLineage)
{
    const Lineage lineage = traceLineage(dir_->path());
    ASSERT_GT(lineage.events.size(), 5u);
    const CliRun json = run({"lineage", "--format", "json", dir_->path()});
    ASSERT_EQ(json.status, 0) << json.err;
    const nlohmann::json document = nlohmann::json::parse(json.out);
    ASSERT_EQ(document["mutations"].size(), lineage.events.size());
    std::size_t carriers = 0;
    for (std::size_t i = 0; i < lineage.events.size(); ++i) {
        const MutationEvent& event = lineage.events[i];
        const nlohmann::json& m = document["mutations"][i];
        const CensusRow& row = lineage.census.rows[event.row];
        EXPECT_EQ(m["file"], row.file);
        EXPECT_EQ(m["id"], event.gene.id());
        EXPECT_EQ(m["mother"], lineage.census.rows[*row.motherRow].file);
        EXPECT_EQ(m["generation"], row.generation);
        ASSERT_EQ(m["carriers"].size(), event.carriers.size());
        EXPECT_EQ(m["carriers"][0], lineage.census.rows[event.carriers[0]].file);
        carriers += event.carriers.size();
    }
    ASSERT_EQ(document["genes"].size(), lineage.genes.size());
    EXPECT_EQ(document["genes"][0]["events"], lineage.genes[0].events);
    EXPECT_EQ(document["genes"][0]["variants"], lineage.genes[0].variants);

    const CliRun csv = run({"lineage", "--format", "csv", dir_->path()});
    ASSERT_EQ(csv.status, 0) << csv.err;
    const auto rows = parseCsv(csv.out);
    ASSERT_EQ(rows.size(), carriers + 1);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"file", "type", "subtype", "id", "kind", "generation", "mother",
                                                 "father", "carrier"}));

    const CliRun text = run({"lineage", dir_->path()});
    ASSERT_EQ(text.status, 0) << text.err;
    EXPECT_EQ(text.out.rfind("Kind", 0), 0u);
    EXPECT_EQ(occurrences(text.out, "\n@@ "), lineage.events.size());
    EXPECT_EQ(occurrences(text.out, "\ncarriers "), lineage.events.size());
    // Each change against the mother's version only.
    EXPECT_EQ(occurrences(text.out, "\n--- "), lineage.events.size());

    const GeneHotspot& top = lineage.genes.front();
    const GeneKindInfo& kind = GeneKinds[top.geneKey >> 8];
    const std::string gene =
        std::to_string(kind.type) + ':' + std::to_string(kind.subtype) + ':' + std::to_string(top.geneKey & 0xFF);
    const CliRun one = run({"lineage", "--gene", gene, "--format", "json", dir_->path()});
    ASSERT_EQ(one.status, 0) << one.err;
    const nlohmann::json kept = nlohmann::json::parse(one.out);
    EXPECT_EQ(kept["genes"].size(), 1u);
    EXPECT_EQ(kept["mutations"].size(), top.events);

    // The report's hotspots: the keys with most events, at most 16.
    const CliRun report = run({"report", "-o", "-", dir_->path()});
    ASSERT_EQ(report.status, 0) << report.err;
    const std::size_t at = report.out.find("<h3>Mutation hotspots</h3>");
    ASSERT_NE(at, std::string::npos);
    const std::string chart = report.out.substr(at);
    EXPECT_EQ(occurrences(chart.substr(0, chart.find("</svg>")), " carriers</title>"),
              std::min<std::size_t>(16, lineage.genes.size()));
    EXPECT_NE(chart.find("<title>" + std::string(kind.statisticsCaption) + ' '), std::string::npos);
}

TEST_F(CensusCli, UsageAndFolderErrors)
{
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string errStart;
    };
    const std::string missing = scratch_.file("missing");
    const std::vector<Case> cases = {
        {{"report", dir_->path()}, 2, "helixplot-cli: report needs -o FILE.html\n"},
        {{"census", dir_->path(), dir_->path()}, 2, "helixplot-cli: census takes one folder, not 2\n"},
        {{"census", "--format", "xml", dir_->path()}, 2, "helixplot-cli: unknown format 'xml' (text, csv or json)\n"},
        {{"census", "-o", "x.html", dir_->path()},
         2,
         "helixplot-cli: -o is an option of report, decompile and compile only\n"},
        {{"map", "--recursive", dir_->file("zz-empty.gen")},
         2,
         "helixplot-cli: --recursive is an option of census, report and lineage only\n"},
        {{"lineage", "--gene", "1:0", dir_->path()},
         2,
         "helixplot-cli: gene '1:0' is not TYPE:SUBTYPE:ID, three numbers from 0 to 255\n"},
        {{"lineage", "--gene", "1:0:256", dir_->path()},
         2,
         "helixplot-cli: gene '1:0:256' is not TYPE:SUBTYPE:ID, three numbers from 0 to 255\n"},
        {{"lineage", "--gene", "1:9:1", dir_->path()},
         2,
         "helixplot-cli: gene '1:9:1': type 1 subtype 9 is no gene kind\n"},
        {{"census", "--gene", "1:0:1", dir_->path()}, 2, "helixplot-cli: --gene is an option of lineage only\n"},
        {{"lineage", missing}, 1, "helixplot-cli: " + missing + ": File not found\n"},
        {{"census", missing}, 1, "helixplot-cli: " + missing + ": File not found\n"},
        {{"report", "--chemicals", missing, "-o", scratch_.file("r.html"), dir_->path()},
         1,
         "helixplot-cli: " + missing + ": File not found\n"},
        {{"report", "--chemicals", std::string(HELIXPLOT_SOURCE_DIR) + "/samples/allchemicals.str", "-o",
          scratch_.file("no/such/folder.html"), dir_->path()},
         1,
         "helixplot-cli: " + scratch_.file("no/such/folder.html") + ": No such file or directory\n"},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.status, c.status) << c.args[0];
        EXPECT_EQ(r.err.substr(0, c.errStart.size()), c.errStart);
        EXPECT_EQ(r.out, "");
    }
}

// Standard error a terminal (script(1) gives the tool one) and more than 300
// files: a bar that ends at the total; not a terminal: nothing.
TEST(CensusCliProgress, ABarOnATerminalOnly)
{
    TempDir dir;
    samples::PopulationOptions options;
    options.founders = 10;
    options.rounds = 10;
    options.perRound = 30;
    ASSERT_EQ(samples::writePopulation(dir.file("population"), options).size(), 310u);
    TempDir scratch;

    const CliRun plain = runCli(scratch, {"census", dir.file("population")});
    EXPECT_EQ(plain.status, 0);
    EXPECT_EQ(plain.err, "");

    const std::string inner = quoted(HELIXPLOT_CLI) + " census " + quoted(dir.file("population")) + " >/dev/null";
    const std::string command =
        "script -qec " + quoted(inner) + " /dev/null </dev/null >" + quoted(scratch.file("tty")) + " 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    // The terminal writes each "\n" as "\r\n".
    std::string tty = readAll(scratch.file("tty"));
    for (std::size_t at = tty.find("\r\n"); at != std::string::npos; at = tty.find("\r\n", at))
        tty.erase(at, 1);
    EXPECT_EQ(tty.rfind("\r[", 0), 0u) << tty;
    const std::string last = tty.substr(tty.rfind('\r') + 1);
    EXPECT_EQ(last.rfind("[" + std::string(30, '#') + "] 310/310 files, ", 0), 0u) << last;
    EXPECT_EQ(last.substr(last.size() - 9), " files/s\n") << last;
}

} // namespace
} // namespace helixplot

#endif

#endif // _WIN32
