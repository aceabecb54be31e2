// SPDX-License-Identifier: GPL-3.0-or-later
// The genome text: its description of every byte against the decoders, round
// trips both ways, and the errors of a text that does not compile.
#include "genometext/genomeText.h"
#include "decoder/decoderText.h"
#include "decoder/unitGeneDecoder.h"
#include "genetics/chemicalNames.h"
#include "genomeBuilder.h"
#include "genometext/geneLayout.h"
#include "populationGenerator.h"
#include "sampleGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace helixplot {
namespace {

using testing::GeneFields;
using testing::GenomeBuilder;
using testing::makeGene;

class Random {
public:
    explicit Random(std::uint32_t seed) : state_(seed) {}
    std::uint8_t next(unsigned below = 256)
    {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<std::uint8_t>((state_ >> 24) % below);
    }

private:
    std::uint32_t state_;
};

// Small values and zeros come often, so that names, flags and the ends of
// lists are met as well as the fallbacks.
std::vector<std::uint8_t> randomBody(Random& rnd, std::size_t length)
{
    std::vector<std::uint8_t> body(length);
    for (auto& b : body) {
        const unsigned pick = rnd.next(4);
        b = pick == 0 ? 0 : pick == 1 ? rnd.next(8) : pick == 2 ? rnd.next(48) : rnd.next();
    }
    return body;
}

GeneRecord randomGene(Random& rnd, GeneKind kind)
{
    GeneFields fields;
    fields.id = rnd.next();
    fields.flags = rnd.next();
    fields.lifeStage = rnd.next(9);
    fields.headerValue = rnd.next();
    fields.reserved = rnd.next(3) == 0 ? rnd.next() : 0;
    return makeGene(kind, fields, randomBody(rnd, infoOf(kind).bodyLength));
}

ChemicalNameTable numberedChemicals()
{
    ChemicalNameTable table;
    for (std::size_t i = 0; i < table.size(); ++i)
        table[i] = "Compound " + std::to_string(i);
    return table;
}

// ------------------------------------------------- the description agrees

// A pattern made of literal pieces and the two wildcards; values are put in
// as literals, so a value holding "*" matches only itself.
struct Piece {
    enum Kind { Literal, AnyRun, AnyChar } kind;
    std::string text;
};

bool matches(const std::vector<Piece>& pattern, std::size_t p, std::string_view line)
{
    if (p == pattern.size())
        return line.empty();
    const Piece& piece = pattern[p];
    switch (piece.kind) {
    case Piece::Literal:
        return line.starts_with(piece.text) && matches(pattern, p + 1, line.substr(piece.text.size()));
    case Piece::AnyChar:
        return !line.empty() && matches(pattern, p + 1, line.substr(1));
    case Piece::AnyRun:
        for (std::size_t skip = 0; skip <= line.size(); ++skip)
            if (matches(pattern, p + 1, line.substr(skip)))
                return true;
        return false;
    }
    return false;
}

struct Values {
    std::string value;    // "{}"
    std::uint8_t number;  // "{n}", "{x}", "{c}"
    std::string chemical; // "{#}"
    std::string header;   // "{h}"
};

std::vector<Piece> compilePattern(std::string_view pattern, const Values& v)
{
    std::vector<Piece> pieces;
    auto literal = [&](std::string_view text) {
        if (pieces.empty() || pieces.back().kind != Piece::Literal)
            pieces.push_back({Piece::Literal, {}});
        pieces.back().text += text;
    };
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        const char c = pattern[i];
        if (c == '*') {
            pieces.push_back({Piece::AnyRun, {}});
        } else if (c == '~') {
            pieces.push_back({Piece::AnyChar, {}});
        } else if (c == '{') {
            const std::size_t close = pattern.find('}', i);
            const std::string_view name = pattern.substr(i + 1, close - i - 1);
            std::string text;
            if (name.empty())
                text = v.value;
            else if (name == "n")
                appendNumber(text, v.number);
            else if (name == "x")
                appendHex2(text, v.number);
            else if (name == "c")
                text = std::string(1, static_cast<char>(v.number + 65));
            else if (name == "#")
                text = v.chemical;
            else if (name == "h")
                text = v.header;
            literal(text);
            i = close;
        } else {
            literal(std::string_view(&pattern[i], 1));
        }
    }
    return pieces;
}

// The lines of a decoded gene: its own line as "top:" and the text, every
// other line as its captions below the gene joined by "/".
std::vector<std::string> decodedLines(const GeneRecord& gene)
{
    DisplayTree tree;
    const NodeId top = decodeGene(gene, tree, tree.root());
    std::vector<std::string> lines = {"top:" + std::string(tree.text(top))};
    auto walk = [&](auto&& self, NodeId node, const std::string& path) -> void {
        for (NodeId child = tree.firstChild(node); child != NoNode; child = tree.nextSibling(child)) {
            const std::string line = path + std::string(tree.text(child));
            lines.push_back(line);
            self(self, child, line + "/");
        }
    };
    walk(walk, top, "");
    return lines;
}

// What the breakdown shows of a field's value; nothing where it shows none.
std::optional<std::string> shownValue(const FieldLayout& field, const std::uint8_t* bytes,
                                      const ChemicalNameTable& chemicals)
{
    const std::uint8_t value = bytes[0];
    switch (field.reading) {
    case FieldReading::Chemical:
        return chemicals[value];
    case FieldReading::Named:
        if (value >= field.names.size())
            return std::nullopt;
        if (field.shownNames.empty())
            return field.names[value];
        return field.shownNames[value].empty() ? std::nullopt : std::optional<std::string>(field.shownNames[value]);
    case FieldReading::Text: {
        std::string text;
        for (std::size_t i = 0; i < field.width && bytes[i] != 0; ++i)
            text += static_cast<char>(bytes[i]);
        return text;
    }
    case FieldReading::List: {
        std::string text;
        for (std::size_t i = 0; i < field.width; ++i) {
            if (bytes[i] == 0 && !field.listShowsEnd)
                break;
            if (i > 0)
                text += field.listJoint;
            if (field.names.empty())
                appendHex2(text, bytes[i]);
            else if (bytes[i] < field.names.size())
                text += field.names[bytes[i]];
            else
                text += "UNK" + std::to_string(bytes[i]);
            if (bytes[i] == 0)
                break;
        }
        return text;
    }
    default:
        return std::to_string(value);
    }
}

bool anyLineMatches(const std::string& patterns, const Values& values, const std::vector<std::string>& lines)
{
    std::size_t from = 0;
    for (;;) {
        const std::size_t bar = patterns.find('|', from);
        const auto pattern = compilePattern(std::string_view(patterns).substr(from, bar - from), values);
        for (const std::string& line : lines)
            if (matches(pattern, 0, line))
                return true;
        if (bar == std::string::npos)
            return false;
        from = bar + 1;
    }
}

// Every field the breakdown shows, over generated genes of every kind: the
// value the description reads from the field's bytes is the one the
// decoder shows, where the description says it shows it.
TEST(GeneLayout, AgreesWithTheDecodersOnEveryShownValue)
{
    const ChemicalNameTable saved = ChemicalNames;
    ChemicalNames = numberedChemicals();
    Random rnd(20261208u);
    std::size_t checked = 0;
    for (const GeneKindInfo& info : GeneKinds) {
        const KindLayout& layout = bodyLayout(info.kind);
        for (int n = 0; n < 150; ++n) {
            const GeneRecord gene = randomGene(rnd, info.kind);
            const std::vector<std::string> lines = decodedLines(gene);
            const auto* header = reinterpret_cast<const std::uint8_t*>(&gene.header);
            auto check = [&](const FieldLayout& field, const std::uint8_t* bytes, std::string chemical = {}) {
                if (field.shownAs.empty())
                    return;
                if (field.shownIfOffset >= 0 && (gene.body[field.shownIfOffset] < field.shownIfMin ||
                                                 gene.body[field.shownIfOffset] > field.shownIfMax))
                    return;
                const std::optional<std::string> shown = shownValue(field, bytes, ChemicalNames);
                std::string pattern = field.shownAs;
                if (!shown) {
                    const bool outside = field.reading == FieldReading::Named && bytes[0] >= field.names.size();
                    if (!outside || field.shownOutside.empty())
                        return;
                    pattern = field.shownOutside;
                }
                const Values values{shown.value_or(""), bytes[0], std::move(chemical), geneHeaderLine(gene)};
                ++checked;
                if (!anyLineMatches(pattern, values, lines)) {
                    std::string all;
                    for (const std::string& line : lines)
                        all += "\n  " + line;
                    ADD_FAILURE() << layout.word << " " << field.name << " = " << int(bytes[0]) << ": no line like '"
                                  << pattern << "' with '" << values.value << "' in" << all;
                }
            };
            for (const FieldLayout& field : headerLayout().fields)
                check(field, header + field.offset);
            for (const FieldLayout& field : layout.fields) {
                if (field.reading == FieldReading::HalfLives) {
                    for (unsigned c = 0; c < 256; ++c)
                        check(field, gene.body.data() + c, ChemicalNames[c]);
                } else {
                    check(field, gene.body.data() + field.offset);
                }
            }
        }
    }
    ChemicalNames = saved;
    EXPECT_GT(checked, 50000u);
}

// ------------------------------------------------------------ round trips

void expectRoundTrip(const std::string& bytes, const ChemicalNameTable& chemicals, const std::string& what)
{
    const std::string text = decompileGenome(bytes, chemicals);
    const CompiledGenome compiled = compileGenomeText(text, chemicals);
    ASSERT_TRUE(compiled.errors.empty()) << what << ":\n" << genomeTextErrorLines(what, compiled.errors) << text;
    EXPECT_TRUE(compiled.bytes == bytes) << what << ": the compiled genome differs";
    // The text back, for the canonical text decompile writes.
    EXPECT_EQ(decompileGenome(compiled.bytes, chemicals), text) << what;
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Chemical tables whose names the text cannot all use: empty names, one
// name for two chemicals, names of digits, quotes, control and high bytes.
std::vector<ChemicalNameTable> awkwardTables()
{
    ChemicalNameTable awkward = numberedChemicals();
    awkward[1] = "";
    awkward[2] = awkward[3] = "Twin";
    awkward[4] = "42";
    awkward[5] = "say \"hi\" # not a comment\\";
    awkward[6] = std::string("tab\there\x01\xe9") + '\0' + "z";
    awkward[7] = "half-life";
    awkward[8] = std::string(63, 'x') + "\x01"; // too long written: a number
    awkward[9] = std::string(64, 'y');
    return {ChemicalNameTable{}, numberedChemicals(), awkward};
}

TEST(GenomeText, RoundTripsTheSamplesAndGeneratedGenomes)
{
    std::vector<std::pair<std::string, std::string>> genomes;
    for (const samples::SampleFile& file : samples::generateSamples())
        if (file.name.ends_with(".gen"))
            genomes.emplace_back(file.name, file.bytes);
    genomes.emplace_back("large", samples::generatedGenomeBytes(3000));
    ChemicalNameTable sampleNames;
    loadChemicalNames(std::string(HELIXPLOT_SOURCE_DIR) + "/samples/allchemicals.str", sampleNames);
    std::vector<ChemicalNameTable> tables = awkwardTables();
    tables.push_back(sampleNames);
    for (const ChemicalNameTable& table : tables)
        for (const auto& [name, bytes] : genomes)
            expectRoundTrip(bytes, table, name);
}

TEST(GenomeText, RoundTripsAGeneratedPopulation)
{
    testing::TempDir dir;
    samples::PopulationOptions options;
    options.rounds = 2;
    const auto members = samples::writePopulation(dir.path(), options);
    ASSERT_FALSE(members.empty());
    const ChemicalNameTable names = numberedChemicals();
    for (const auto& member : members)
        expectRoundTrip(readFile(dir.file(member.name + ".gen")), names, member.name);
}

// Every kind, unknown kinds among them, random bytes everywhere, with and
// without the end marker and with bytes after it.
TEST(GenomeText, RoundTripsRandomGenomesAndOddFiles)
{
    Random rnd(7u);
    const std::vector<ChemicalNameTable> tables = awkwardTables();
    for (int n = 0; n < 120; ++n) {
        GenomeBuilder builder;
        const int genes = rnd.next(40);
        for (int g = 0; g < genes; ++g) {
            if (rnd.next(10) == 0) {
                // Unknown kinds have no body the reader knows of.
                GeneFields f;
                f.id = rnd.next();
                builder.add(makeGene(4 + rnd.next(200), rnd.next(), f));
                continue;
            }
            builder.add(randomGene(rnd, static_cast<GeneKind>(rnd.next(GeneKindCount))));
        }
        std::string bytes = builder.bytes();
        switch (n % 3) {
        case 0:
            break; // no end marker
        case 1:
            bytes += "gend";
            break;
        default:
            bytes += "gend";
            for (int t = rnd.next(80); t > 0; --t)
                bytes += static_cast<char>(rnd.next());
        }
        expectRoundTrip(bytes, tables[n % tables.size()], "random genome " + std::to_string(n));
    }
    for (const std::string& odd :
         {std::string("dna2"), std::string("dna2gend"), std::string("dna2gendgend"), std::string("dna2gend\0\0", 10)})
        expectRoundTrip(odd, numberedChemicals(), "odd file");
}

// The reader's fuzz seeds: what the reader takes comes back, what it
// refuses is refused with its message.
TEST(GenomeText, RoundTripsTheFuzzSeeds)
{
    std::size_t read = 0;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::string(HELIXPLOT_SOURCE_DIR) + "/fuzz/seeds/genomeReaderFuzz")) {
        const std::string bytes = readFile(entry.path());
        std::string readerError;
        try {
            (void)TGeneticsFile::fromBytes(bytes);
        } catch (const HelixplotError& e) {
            readerError = e.what();
        }
        if (!readerError.empty()) {
            try {
                (void)decompileGenome(bytes, {});
                ADD_FAILURE() << entry.path() << " decompiled";
            } catch (const HelixplotError& e) {
                EXPECT_EQ(e.what(), readerError);
            }
            continue;
        }
        expectRoundTrip(bytes, numberedChemicals(), entry.path().string());
        ++read;
    }
    EXPECT_GE(read, 3u);
}

// Each chemical of the awkward table as an initial concentration's
// "chemical" line.
TEST(GenomeText, ChemicalsByNameOnlyWhereTheNameComesBack)
{
    const ChemicalNameTable table = awkwardTables()[2];
    const std::vector<std::pair<std::uint8_t, std::string>> cases = {
        {0, "Compound 0"},                             // blanks: quoted
        {1, "1"},                                      // no name
        {2, "2"},                                      // shared with 3
        {3, "3"},                                      // shared with 2
        {4, "\"42\""},                                 // digits: quoted
        {5, "\"say \\\"hi\\\" # not a comment\\\\\""}, // quotes, hash, backslash escaped
        {6, "\"tab\\x09here\\x01\\xE9\\x00z\""},       // control, high and zero bytes as \xNN
        {8, "8"},                                      // longer than 64 bytes written
        {9, std::string(64, 'y')},                     // 64 bytes: a bare word
    };
    for (const auto& [chemical, word] : cases) {
        const std::string text = decompileGenome(
            GenomeBuilder{makeGene(GeneKind::InitialConcentration, GeneFields{}, {chemical, 1})}.end().bytes(), table);
        const std::string expected = "  chemical " + (chemical == 0 ? "\"Compound 0\"" : word) + "\n";
        EXPECT_NE(text.find(expected), std::string::npos) << int(chemical) << ":\n" << text;
    }
}

TEST(GenomeText, DecompileRefusesWhatTheReaderRefuses)
{
    EXPECT_THROW(decompileGenome("dna", {}), InOutError);
    EXPECT_THROW(decompileGenome("DNA2", {}), GeneticsError);
    EXPECT_THROW(decompileGenome("dna2genx1234567", {}), GeneticsError);
}

// -------------------------------------------------------------- the errors

// One organ with a receptor, as the text the tests below change line by line.
std::string baseText()
{
    GeneFields organ;
    organ.id = 2;
    GeneFields receptor;
    receptor.id = 5;
    receptor.flags = 1;
    const std::string bytes = GenomeBuilder{makeGene(GeneKind::Organ, organ, {1, 2, 3, 4, 5}),
                                            makeGene(GeneKind::Receptor, receptor, {0, 1, 0, 3, 10, 20, 30, 1}),
                                            makeGene(GeneKind::Genus, GeneFields{}, {0, 'N', 'e', 'l', 'a'})}
                                  .end()
                                  .bytes();
    return decompileGenome(bytes, numberedChemicals());
}

// The text with its line number `line` (from 1) replaced; an empty
// replacement removes the line.
std::string replaceLine(const std::string& text, std::size_t line, const std::string& replacement)
{
    std::string out;
    std::istringstream in(text);
    std::size_t n = 0;
    for (std::string l; std::getline(in, l);) {
        ++n;
        if (n != line)
            out += l + "\n";
        else if (!replacement.empty())
            out += replacement + "\n";
    }
    return out;
}

TEST(GenomeText, TheBaseTextIsAsDocumented)
{
    // The line numbers the error cases below use.
    const std::string text = baseText();
    std::istringstream in(text);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    ASSERT_EQ(lines.size(), 41u) << text;
    EXPECT_EQ(lines[0], "helixplot-genome 1");
    EXPECT_EQ(lines[3], "gene organ  # organ 1: Heart");
    EXPECT_EQ(lines[15], "gene receptor  # in organ 1: Heart");
    EXPECT_EQ(lines[17], "  stage Emb");
    EXPECT_EQ(lines[18], "  flags mut");
    EXPECT_EQ(lines[21], "  organ Brain");
    EXPECT_EQ(lines[23], "  locus 0  # Brain:Drive i/ps:Threshold");
    EXPECT_EQ(lines[24], "  chemical \"Compound 3\"");
    EXPECT_EQ(lines[25], "  threshold 10");
    EXPECT_EQ(lines[28], "  options reduces");
    EXPECT_EQ(lines[37], "  mother \"Nela\"");
    EXPECT_EQ(lines[38], "  father \"\"");
    EXPECT_EQ(lines[40], "end");
}

TEST(GenomeText, ErrorsNameTheFieldAndWhatItAccepts)
{
    struct Case {
        std::size_t line;
        std::string replacement;
        std::string errors;
    };
    const std::string missingThreshold = "t:16:1: receptor: missing field 'threshold'\n";
    const std::string missingChemical = "t:16:1: receptor: missing field 'chemical'\n";
    const std::vector<Case> cases = {
        {26, "  threshold 300", "t:26:13: threshold: '300' is out of range (0 to 255)\n"},
        {26, "  threshold 0255", "t:26:13: threshold: '0255' is out of range (0 to 255)\n"},
        {26, "  threshold ten", "t:26:13: threshold: 'ten' is not a number (0 to 255)\n"},
        {26, "  threshold", "t:26:3: threshold: needs a value (a number 0 to 255)\n"},
        {26, "  threshold 1 2", "t:26:15: threshold: takes one value (a number 0 to 255), not 2\n"},
        {26, "  thresold 10",
         missingThreshold + "t:26:3: receptor has no field 'thresold'; did you mean 'threshold'?\n"},
        {26, "  rate 10", missingThreshold + "t:26:3: receptor has no field 'rate'; emitter and reaction have one\n"},
        {26, "", missingThreshold},
        {27, "  threshold 11",
         "t:16:1: receptor: missing field 'nominal'\nt:27:3: field 'threshold' is given twice (first on line 26)\n"},
        {25, "  chemical \"Compund 3\"",
         "t:25:12: chemical: 'Compund 3' is no chemical of the chemical names in use; did you mean 'Compound 3'? (a "
         "chemical's name, or its number 0 to 255)\n"},
        {25, "  chemical Water",
         "t:25:12: chemical: 'Water' is no chemical of the chemical names in use (a "
         "chemical's name, or its number 0 to 255)\n"},
        {25, "  chemical \"Compound 3", missingChemical + "t:25:12: the quote opened here is not closed on its line\n"},
        {25, "  chemical \"Comp\\q\"",
         missingChemical + "t:25:17: unknown escape in quotes: \\\" \\\\ and \\xNN (two hex digits) are known\n"},
        {18, "  stage Adult",
         "t:18:9: stage: 'Adult' is no name of stage; did you mean 'Adu'? (Emb, Chl, Ado, You, Adu, Old, Sen or a "
         "number 0 to 255)\n"},
        {19, "  flags mut muts",
         "t:19:13: flags: 'muts' is no flag of flags; did you mean 'mut'? (mut, del, dup, male, female, carried, "
         "bit6 or bit7; none; or one number 0 to 255)\n"},
        {19, "  flags mut mut", "t:19:13: flags: 'mut' is given twice\n"},
        {16, "gene receptr  # in organ 1: Heart",
         "t:16:6: 'receptr' is no gene kind; did you mean 'receptor'? (a kind's word, or TYPE SUBTYPE as two "
         "numbers)\n"
         "t:17:3: 'id' outside a gene: a gene starts with 'gene KIND'\n"},
        {16, "gene 1 256", "t:16:8: subtype: '256' is out of range (0 to 255)\n"},
        {16, "gene 9 0",
         "t:22:3: a gene of unknown kind has no field 'organ'; receptor and emitter have one (an unknown kind has no "
         "body: only the header fields id, stage, flags, value, reserved)\n"},
        {38, "  mother \"Nelaa\"", "t:38:10: mother: 'Nelaa' is 5 bytes, more than the 4 it has\n"},
        {22, "  organ Brian",
         "t:22:9: organ: 'Brian' is no name of organ; did you mean 'Brain'? (Brain, Creature, \"Current Organ\" or a "
         "number 0 to 255)\n"},
        {41, "end\ntrailing 0g",
         "t:42:10: trailing: '0g' is not hexadecimal bytes (two digits 0-9 or a-f for each byte)\n"},
        {41, "end\ntrailing abc",
         "t:42:10: trailing: 'abc' is not hexadecimal bytes (two digits 0-9 or a-f for each byte)\n"},
        {41, "no-end\ntrailing 00", "t:42:1: 'trailing' bytes follow the end marker: they come after 'end'\n"},
        {41, "end\nend", "t:42:1: the end is given twice (first on line 41)\n"},
        {41, "", "t:41:1: missing 'end' (or 'no-end' for a genome without its end marker) after the last gene\n"},
        {41, "end\ngene pose", "t:42:1: a gene after 'end': genes come before it\n"},
        {1, "helixplot-genome 2", "t:1:18: this Helixplot reads genome text version 1 only ('helixplot-genome 1')\n"},
        {1, "genome 1", "t:1:1: not a genome text: the first line must be 'helixplot-genome 1'\n"},
        {1, "dna2\x01\x02gene", "t:1:1: not a genome text but a genome file (decompile makes its text)\n"},
        {1, "  \x7f", "t:1:1: not a genome text: the first line must be 'helixplot-genome 1'\n"},
        {4, "gene organ\x7f", "t:4:11: unexpected byte 0x7F; bytes outside printable ASCII go in quotes as \\xNN\n"},
    };
    const ChemicalNameTable chemicals = numberedChemicals();
    const std::string base = baseText();
    for (const Case& c : cases) {
        const CompiledGenome compiled = compileGenomeText(replaceLine(base, c.line, c.replacement), chemicals);
        const std::string got = genomeTextErrorLines("t", compiled.errors);
        // Only the first lines are pinned where a case brings more.
        EXPECT_EQ(got.substr(0, c.errors.size()), c.errors) << "line " << c.line << ": " << c.replacement;
        EXPECT_TRUE(compiled.bytes.empty());
    }
}

// Lines ending in "\r\n" are read only the general way; the quick reading
// of lines as decompile writes them must come to the same genome and the
// same errors, whatever was done to the text.
TEST(GenomeText, QuickAndGeneralReadingsAgree)
{
    const std::vector<std::string> words = {"0",
                                            "255",
                                            "256",
                                            "0012",
                                            "none",
                                            "mut",
                                            "Emb",
                                            "Brain",
                                            "\"\"",
                                            "\"Compound 3\"",
                                            "\"Compound\\x203\"",
                                            "gene",
                                            "end",
                                            "x",
                                            "\"open",
                                            "#",
                                            "half-life"};
    Random rnd(31u);
    const std::vector<ChemicalNameTable> tables = awkwardTables();
    for (int n = 0; n < 60; ++n) {
        GenomeBuilder builder;
        for (int g = rnd.next(6); g >= 0; --g)
            builder.add(randomGene(rnd, static_cast<GeneKind>(rnd.next(GeneKindCount))));
        const ChemicalNameTable& table = tables[n % tables.size()];
        std::vector<std::string> lines;
        std::istringstream in(decompileGenome(builder.end().bytes(), table));
        for (std::string l; std::getline(in, l);)
            lines.push_back(l);
        for (int edits = 1 + rnd.next(4); edits > 0; --edits) {
            std::string& line = lines[rnd.next(static_cast<unsigned>(std::min<std::size_t>(lines.size(), 256)))];
            const std::size_t blank = line.rfind(' ');
            switch (rnd.next(7)) {
            case 0: // another value
                line = line.substr(0, blank == std::string::npos ? 0 : blank + 1) + words[rnd.next(words.size())];
                break;
            case 1: // blanks and tabs of any kind
                line = "\t" + line + " \t";
                break;
            case 2: // a comment that makes the line the longest there may be, or one byte longer
                line += "  #" + std::string(4096 - std::min<std::size_t>(line.size() + 3, 4096) + rnd.next(2), 'c');
                break;
            case 3:
                line += " " + words[rnd.next(words.size())];
                break;
            case 4:
                line = lines[rnd.next(static_cast<unsigned>(std::min<std::size_t>(lines.size(), 256)))];
                break;
            case 5:
                line.clear();
                break;
            default:
                line += "#" + words[rnd.next(words.size())];
            }
        }
        std::string text;
        std::string crlf;
        for (const std::string& l : lines) {
            text += l + "\n";
            crlf += l + "\r\n";
        }
        const CompiledGenome quick = compileGenomeText(text, table);
        const CompiledGenome general = compileGenomeText(crlf, table);
        EXPECT_EQ(genomeTextErrorLines("t", quick.errors), genomeTextErrorLines("t", general.errors)) << text;
        EXPECT_TRUE(quick.bytes == general.bytes) << text;
    }
}

// A line past the limit is refused whole, half-lives included: none of its
// values counts as given.
TEST(GenomeText, LongLinesGiveNoValue)
{
    const ChemicalNameTable chemicals = numberedChemicals();
    const std::string halfLives = decompileGenome(
        GenomeBuilder{makeGene(GeneKind::HalfLives, GeneFields{}, std::vector<std::uint8_t>(256, 7))}.end().bytes(),
        chemicals);
    const auto padded = [](std::string line, std::size_t length) {
        return line + "  #" + std::string(length - line.size() - 3, 'c');
    };
    struct Case {
        std::string text;
        std::string errors;
    };
    const std::vector<Case> cases = {
        {replaceLine(baseText(), 26, padded("  threshold 10", 4096)), ""},
        {replaceLine(baseText(), 26, padded("  threshold 10", 4097)),
         "t:16:1: receptor: missing field 'threshold'\nt:26:4097: the line is longer than 4096 bytes\n"},
        {replaceLine(halfLives, 13, padded("  half-life \"Compound 3\" 7", 4097)),
         "t:4:1: half-lives: no half-life for chemical 3 (every chemical 0 to 255 needs one)\n"
         "t:13:4097: the line is longer than 4096 bytes\n"},
        {replaceLine(halfLives, 13, "  half-life \"Compound 2\" 7"),
         "t:4:1: half-lives: no half-life for chemical 3 (every chemical 0 to 255 needs one)\n"
         "t:13:13: half-life of chemical 2 is given twice (first on line 12)\n"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(genomeTextErrorLines("t", compileGenomeText(c.text, chemicals).errors), c.errors);
}

TEST(GenomeText, HugeOrBinaryTextsStopEarly)
{
    const ChemicalNameTable chemicals = numberedChemicals();
    // Every line an error: the report stops at the cap.
    std::string many = "helixplot-genome 1\ngene pose\n";
    for (int i = 0; i < 10000; ++i)
        many += "  nofield 1\n";
    const CompiledGenome capped = compileGenomeText(many, chemicals);
    ASSERT_EQ(capped.errors.size(), MaxGenomeTextErrors + 1);
    EXPECT_EQ(capped.errors.back().message, "too many errors; stopped here");

    const std::string binary(1 << 20, '\0');
    const CompiledGenome refused = compileGenomeText(binary, chemicals);
    ASSERT_EQ(refused.errors.size(), 1u);
    EXPECT_EQ(refused.errors[0].message, "the line is longer than 4096 bytes");

    const CompiledGenome tooLarge = compileGenomeText(std::string(5000, '#'), chemicals, 4999);
    ASSERT_EQ(tooLarge.errors.size(), 1u);
    EXPECT_EQ(tooLarge.errors[0].message, "the text is 5000 bytes, more than the 4999 bytes a genome text may have");

    // A text that is a genome would outgrow what any reader takes.
    std::string big = "helixplot-genome 1\n";
    for (int i = 0; i < 200000; ++i)
        big += "gene 9 9\n id 0\n stage 0\n flags 0\n value 0\n reserved 0\n";
    const CompiledGenome outgrown = compileGenomeText(big, chemicals);
    ASSERT_FALSE(outgrown.errors.empty());
    EXPECT_EQ(outgrown.errors.back().message, "the genome would be larger than the 2 MiB any genome reader takes");
}

} // namespace
} // namespace helixplot
