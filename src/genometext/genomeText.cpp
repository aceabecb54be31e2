// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeText.h"

#include "decoder/decoderText.h"
#include "decoder/unitGeneDecoder.h"
#include "geneLayout.h"
#include "genetics/binaryFile.h"
#include "genetics/genomeScan.h"
#include "genetics/hexDigit.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <unordered_map>

namespace helixplot {

namespace {

// ---------------------------------------------------------------- words

constexpr std::array<bool, 256> BareBytes = [] {
    std::array<bool, 256> bare{};
    for (unsigned c = 0x21; c < 0x7f; ++c)
        bare[c] = c != '"' && c != '#' && c != '\\';
    return bare;
}();

bool isBareByte(unsigned char c)
{
    return BareBytes[c];
}

// The bytes of a word outside quotes: a backslash among them is refused
// only where the word is read.
constexpr std::array<bool, 256> WordBytes = [] {
    std::array<bool, 256> word = BareBytes;
    word['\\'] = true;
    return word;
}();

// Blanks, and what may follow a word on its line.
constexpr std::array<bool, 256> BlankBytes = [] {
    std::array<bool, 256> blank{};
    blank[' '] = blank['\t'] = true;
    return blank;
}();
constexpr std::array<bool, 256> WordEndBytes = [] {
    std::array<bool, 256> ends{};
    ends[' '] = ends['\t'] = ends['#'] = ends['\n'] = true;
    return ends;
}();

// The bytes a word in quotes holds as they are, without escapes.
constexpr std::array<bool, 256> PlainQuotedBytes = [] {
    std::array<bool, 256> plain{};
    for (unsigned c = 0x20; c < 0x7f; ++c)
        plain[c] = c != '"' && c != '\\';
    return plain;
}();

// Whether a and b hold the same n bytes. Words are short: two loads of
// eight or four bytes each, overlapping, compare most of them without the
// call a comparison of any length costs.
[[gnu::always_inline]] inline bool sameBytes(const char* a, const char* b, std::size_t n)
{
    if (n >= 8 && n <= 16) {
        std::uint64_t a0, a1, b0, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&a1, a + n - 8, 8);
        std::memcpy(&b0, b, 8);
        std::memcpy(&b1, b + n - 8, 8);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (n >= 4 && n < 8) {
        std::uint32_t a0, a1, b0, b1;
        std::memcpy(&a0, a, 4);
        std::memcpy(&a1, a + n - 4, 4);
        std::memcpy(&b0, b, 4);
        std::memcpy(&b1, b + n - 4, 4);
        return ((a0 ^ b0) | (a1 ^ b1)) == 0;
    }
    if (n > 16)
        return std::memcmp(a, b, n) == 0;
    for (std::size_t i = 0; i < n; ++i)
        if (a[i] != b[i])
            return false;
    return true;
}

[[gnu::always_inline]] inline bool sameWord(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && sameBytes(a.data(), b.data(), a.size());
}

// Words to values, for field, kind, name and chemical words: open
// addressing over a power-of-two table with FNV-1a hashes. The words are
// short and looked up once or twice a line; the standard map's hashing,
// prime modulo and node chasing cost more than the words themselves.
template <typename Value> class WordMap {
public:
    // Adds word unless it is there; false if it was.
    bool insert(std::string_view word, Value value)
    {
        if (2 * (count_ + 1) > slots_.size())
            grow();
        Slot& slot = slotOf(word);
        if (slot.used)
            return false;
        slot = {word, value, true};
        ++count_;
        return true;
    }
    const Value* find(std::string_view word) const
    {
        if (slots_.empty())
            return nullptr;
        const Slot& slot = const_cast<WordMap*>(this)->slotOf(word);
        return slot.used ? &slot.value : nullptr;
    }
    Value* find(std::string_view word) { return const_cast<Value*>(static_cast<const WordMap*>(this)->find(word)); }
    bool contains(std::string_view word) const { return find(word) != nullptr; }
    // Calls visit(word, value) for every word, in no order.
    template <typename Visit> void forEach(Visit&& visit) const
    {
        for (const Slot& slot : slots_)
            if (slot.used)
                visit(slot.word, slot.value);
    }

private:
    struct Slot {
        std::string_view word;
        Value value{};
        bool used = false;
    };

    // Eight bytes at a time, as sameBytes reads them: the first and last
    // eight (or four) of a word, overlapping, and its length.
    static std::size_t hash(std::string_view word)
    {
        const char* p = word.data();
        const std::size_t n = word.size();
        std::uint64_t a = 0;
        std::uint64_t b = 0;
        if (n >= 8) {
            std::memcpy(&a, p, 8);
            std::memcpy(&b, p + n - 8, 8);
            for (std::size_t i = 8; i + 8 < n; i += 8) {
                std::uint64_t c;
                std::memcpy(&c, p + i, 8);
                a = (a ^ c) * 0x9E3779B97F4A7C15u;
            }
        } else if (n >= 4) {
            std::uint32_t a4, b4;
            std::memcpy(&a4, p, 4);
            std::memcpy(&b4, p + n - 4, 4);
            a = a4;
            b = b4;
        } else {
            for (std::size_t i = 0; i < n; ++i)
                a = a << 8 | static_cast<unsigned char>(p[i]);
        }
        std::uint64_t h = (a ^ (b * 0xC2B2AE3D27D4EB4Fu) ^ n) * 0x9E3779B97F4A7C15u;
        return static_cast<std::size_t>(h ^ (h >> 32));
    }
    // The slot of word, or the free slot where it would go.
    Slot& slotOf(std::string_view word)
    {
        const std::size_t mask = slots_.size() - 1;
        for (std::size_t i = hash(word) & mask;; i = (i + 1) & mask) {
            Slot& slot = slots_[i];
            if (!slot.used || sameWord(slot.word, word))
                return slot;
        }
    }
    void grow()
    {
        std::vector<Slot> old(std::max<std::size_t>(16, 2 * slots_.size()));
        old.swap(slots_);
        count_ = 0;
        for (const Slot& slot : old)
            if (slot.used)
                insert(slot.word, slot.value);
    }

    std::vector<Slot> slots_;
    std::size_t count_ = 0;
};

bool allDigits(std::string_view word)
{
    return !word.empty() && std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A word in quotes, with \" \\ and \xNN for every byte outside printable
// ASCII, so that the text stays plain ASCII whatever the table holds.
void appendQuoted(std::string& out, std::string_view word)
{
    if (std::all_of(word.begin(), word.end(), [](char ch) {
            const auto c = static_cast<unsigned char>(ch);
            return c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
        })) {
        out += '"';
        out += word;
        out += '"';
        return;
    }
    out += '"';
    for (const char ch : word) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20 || c >= 0x7f) {
            out += "\\x";
            appendHex2(out, c);
        } else {
            out += ch;
        }
    }
    out += '"';
}

// A name as the text writes it: bare when it reads back as the same name,
// otherwise quoted.
void appendWord(std::string& out, std::string_view word)
{
    if (!allDigits(word) && !word.empty() &&
        std::all_of(word.begin(), word.end(), [](char c) { return isBareByte(static_cast<unsigned char>(c)); }))
        out += word;
    else
        appendQuoted(out, word);
}

char lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Edit distance, letter case ignored, for "did you mean".
std::size_t distance(std::string_view a, std::string_view b)
{
    std::vector<std::size_t> row(b.size() + 1);
    for (std::size_t j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        std::size_t diagonal = row[0];
        row[0] = i;
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The candidate nearest to word, if near enough to be a slip.
template <typename Names> std::string nearestName(std::string_view word, const Names& names)
{
    std::string best;
    std::size_t bestDistance = std::max<std::size_t>(2, word.size() / 3) + 1;
    for (const auto& name : names) {
        const std::string_view n(name);
        if (n.empty() || (word.size() > 40 && n.size() < word.size() / 2))
            continue;
        const std::size_t d = distance(word.substr(0, 80), n);
        if (d < bestDistance) {
            bestDistance = d;
            best = std::string(n);
        }
    }
    return best;
}

std::string quoted(std::string_view word)
{
    std::string out = "'";
    for (const char c : word.substr(0, 60))
        out += static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x7f ? '?' : c;
    if (word.size() > 60)
        out += "...";
    return out + "'";
}

std::string didYouMean(const std::string& nearest)
{
    return nearest.empty() ? std::string() : "; did you mean " + quoted(nearest) + "?";
}

struct Token;

// The longest chemical name the text writes, quotes and escapes counted;
// a longer one is written as its number, which keeps every line short and
// the text of the largest genome under MaxGenomeTextBytes.
constexpr std::size_t MaxWrittenName = 66;

} // namespace

// Chemicals by name: a name that is empty or shared by two chemicals names
// none of them, so the text always compiles back to the same number. The
// words look into the class's own copy of the table.
class GenomeTextChemicals::Words {
public:
    explicit Words(const ChemicalNameTable& table) : table_(table)
    {
        // -1 for a name that is shared or too long to write.
        for (std::size_t i = 0; i < table_.size(); ++i) {
            if (table_[i].empty())
                continue;
            if (!byName_.insert(table_[i], static_cast<int>(i)))
                *byName_.find(table_[i]) = -1;
        }
        for (std::size_t i = 0; i < table_.size(); ++i) {
            const int* found = table_[i].empty() ? nullptr : byName_.find(table_[i]);
            if (found && *found == static_cast<int>(i)) {
                appendWord(written_[i], table_[i]);
                if (written_[i].size() <= MaxWrittenName) {
                    usable_[i] = true;
                    ++named_;
                    continue;
                }
                *byName_.find(table_[i]) = -1;
            }
            written_[i].clear();
            appendNumber(written_[i], static_cast<std::uint32_t>(i));
        }
    }
    // The chemical as the text writes it.
    std::string_view word(std::uint8_t chemical) const { return written_[chemical]; }
    std::optional<std::uint8_t> find(std::string_view name) const
    {
        const int* found = byName_.find(name);
        return found && *found >= 0 ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(*found)) : std::nullopt;
    }
    std::string nearest(std::string_view name) const
    {
        std::vector<std::string_view> names;
        byName_.forEach([&](std::string_view n, int chemical) {
            if (chemical >= 0)
                names.push_back(n);
        });
        std::sort(names.begin(), names.end());
        return nearestName(name, names);
    }
    bool hasNames() const { return named_ > 0; }
    // True when token names chemical as the text writes it.
    bool names(std::uint8_t chemical, const Token& token) const;

private:
    const ChemicalNameTable table_;
    std::array<bool, 256> usable_{};
    std::array<std::string, 256> written_;
    WordMap<int> byName_;
    std::size_t named_ = 0;
};

GenomeTextChemicals::GenomeTextChemicals(const ChemicalNameTable& table) : words_(std::make_unique<Words>(table)) {}
GenomeTextChemicals::~GenomeTextChemicals() = default;
GenomeTextChemicals::GenomeTextChemicals(GenomeTextChemicals&&) noexcept = default;
GenomeTextChemicals& GenomeTextChemicals::operator=(GenomeTextChemicals&&) noexcept = default;

namespace {

using ChemicalWords = GenomeTextChemicals::Words;

// ------------------------------------------------------------ decompile

// Decompile's output, written through a pointer into a string grown ahead of
// it: appending to the string a byte or a word at a time costs a capacity
// check and a size update each, most of decompiling's time.
class Sink {
public:
    explicit Sink(std::size_t expected)
    {
        out_.resize(expected);
        at_ = out_.data();
        end_ = at_ + out_.size();
    }
    void put(std::string_view text)
    {
        const std::size_t n = text.size();
        room(n);
        const char* from = text.data();
        // Most words are short: fixed-size copies, overlapping at the end,
        // spare the call that a copy of any length costs.
        if (n >= 8 && n <= 16) {
            std::memcpy(at_, from, 8);
            std::memcpy(at_ + n - 8, from + n - 8, 8);
        } else if (n >= 4 && n < 8) {
            std::memcpy(at_, from, 4);
            std::memcpy(at_ + n - 4, from + n - 4, 4);
        } else if (n < 4) {
            for (std::size_t i = 0; i < n; ++i)
                at_[i] = from[i];
        } else {
            std::memcpy(at_, from, n);
        }
        at_ += n;
    }
    void put(char c)
    {
        room(1);
        *at_++ = c;
    }
    std::string take()
    {
        out_.resize(static_cast<std::size_t>(at_ - out_.data()));
        return std::move(out_);
    }

private:
    void room(std::size_t bytes)
    {
        if (static_cast<std::size_t>(end_ - at_) < bytes)
            grow(bytes);
    }
    void grow(std::size_t bytes)
    {
        // The string's own growth keeps the copies few; the size grows by
        // steps, so that little is cleared beyond what is written.
        const auto used = static_cast<std::size_t>(at_ - out_.data());
        out_.resize(used + std::max<std::size_t>(bytes, 32 * 1024));
        at_ = out_.data() + used;
        end_ = out_.data() + out_.size();
    }

    std::string out_;
    char* at_ = nullptr;
    char* end_ = nullptr;
};

// A comment's text as the text writes it: control bytes shown as '?'.
void showControls(std::string& comment)
{
    for (char& c : comment)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
}

std::string commentText(std::string comment)
{
    showControls(comment);
    return "  # " + comment;
}

// The decimal text of every byte value.
const std::array<std::string, 256>& numberTexts()
{
    static const std::array<std::string, 256> texts = [] {
        std::array<std::string, 256> all;
        for (unsigned v = 0; v < 256; ++v)
            appendNumber(all[v], v);
        return all;
    }();
    return texts;
}

void appendFlags(std::string& out, const FieldLayout& field, std::uint8_t value)
{
    if (value == 0) {
        out += "none";
        return;
    }
    bool first = true;
    for (unsigned bit = 0; bit < 8; ++bit) {
        if (!(value & (1u << bit)))
            continue;
        if (!first)
            out += ' ';
        out += field.names[bit];
        first = false;
    }
}

// What the breakdown says of a field from other bytes than its own.
enum class Note : std::uint8_t { None, Locus, Neuron };

// One field as decompile writes it, prepared once: its line's start and the
// text of each value, comments that depend on the value alone included.
struct FieldWriter {
    const FieldLayout* field = nullptr;
    std::string lead; // "  threshold "
    // Number, Named, Flags: the texts of the values from 0, List: of the
    // items; a value past them is written as its number. Only the fields
    // whose texts are not plain numbers have their own: made at the first
    // decompile of a run, they must cost little to make.
    std::vector<std::string> texts;
    const std::array<std::string, 256>* numbers = &numberTexts();
    Note note = Note::None;

    std::string_view value(std::uint8_t v) const { return v < texts.size() ? texts[v] : (*numbers)[v]; }
};

struct KindWriter {
    std::string geneLine; // "\ngene receptor"
    std::vector<FieldWriter> fields;
};

std::string namedText(const FieldLayout& field, std::uint8_t value)
{
    std::string text;
    if (value < field.names.size())
        appendWord(text, field.names[value]);
    else
        appendNumber(text, value);
    return text;
}

// What the breakdown says of a value that the text gives as a number, where
// it depends on the value alone.
std::string valueComment(std::optional<GeneKind> kind, const FieldLayout& field, std::uint8_t value)
{
    std::string comment;
    if ((kind == GeneKind::Emitter || kind == GeneKind::Reaction) && field.name == "rate")
        comment = std::string(halfLifeName(value));
    else if (kind == GeneKind::Appearance && field.name == "variant")
        comment = std::string(1, static_cast<char>(value + 65));
    return comment.empty() ? comment : commentText(comment);
}

FieldWriter fieldWriter(std::optional<GeneKind> kind, const FieldLayout& field)
{
    FieldWriter writer;
    writer.field = &field;
    writer.lead = "  " + field.name + " ";
    switch (field.reading) {
    case FieldReading::Number:
        if (!valueComment(kind, field, 0).empty())
            for (unsigned v = 0; v < 256; ++v)
                writer.texts.push_back(numberTexts()[v] + valueComment(kind, field, static_cast<std::uint8_t>(v)));
        if ((kind == GeneKind::Receptor || kind == GeneKind::Emitter) && field.name == "locus")
            writer.note = Note::Locus;
        else if (kind == GeneKind::Instinct && field.name.starts_with("neuron"))
            writer.note = Note::Neuron;
        break;
    case FieldReading::Named:
    case FieldReading::List:
        for (std::size_t v = 0; v < field.names.size() && v < 256; ++v)
            writer.texts.push_back(namedText(field, static_cast<std::uint8_t>(v)));
        break;
    case FieldReading::Flags:
        for (unsigned v = 0; v < 256; ++v)
            appendFlags(writer.texts.emplace_back(), field, static_cast<std::uint8_t>(v));
        break;
    case FieldReading::Chemical:
    case FieldReading::Text:
    case FieldReading::HalfLives:
        break;
    }
    return writer;
}

// By kind; the last is the header's.
const KindWriter& kindWriter(std::optional<GeneKind> kind)
{
    static const std::array<KindWriter, GeneKindCount + 1> writers = [] {
        std::array<KindWriter, GeneKindCount + 1> all;
        for (const GeneKindInfo& info : GeneKinds) {
            KindWriter& writer = all[indexOf(info.kind)];
            writer.geneLine = "\ngene " + bodyLayout(info.kind).word;
            for (const FieldLayout& field : bodyLayout(info.kind).fields)
                writer.fields.push_back(fieldWriter(info.kind, field));
        }
        for (const FieldLayout& field : headerLayout().fields)
            all[GeneKindCount].fields.push_back(fieldWriter(std::nullopt, field));
        return all;
    }();
    return writers[kind ? indexOf(*kind) : GeneKindCount];
}

// The text of every half-life after its chemical: " 12  # name\n".
const std::array<std::string, 256>& halfLifeTails()
{
    static const std::array<std::string, 256> tails = [] {
        std::array<std::string, 256> all;
        for (unsigned v = 0; v < 256; ++v)
            all[v] = " " + numberTexts()[v] + "  # " + std::string(halfLifeName(static_cast<std::uint8_t>(v))) + "\n";
        return all;
    }();
    return tails;
}

// Items up to the last that is not zero, then the zero that ends the list
// where the breakdown shows one; a list of zeros is its first zero.
void putList(Sink& out, const FieldWriter& writer, const std::uint8_t* bytes)
{
    const std::size_t width = writer.field->width;
    std::size_t count = width;
    while (count > 0 && bytes[count - 1] == 0)
        --count;
    if (count == 0 || (writer.field->listShowsEnd && count < width))
        ++count;
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            out.put(' ');
        out.put(writer.value(bytes[i]));
    }
}

// Always quoted: a name is text, even one of digits or none at all.
void putText(Sink& out, const std::uint8_t* bytes, std::size_t width)
{
    std::size_t count = width;
    while (count > 0 && bytes[count - 1] == 0)
        --count;
    std::string text;
    appendQuoted(text, std::string_view(reinterpret_cast<const char*>(bytes), count));
    out.put(text);
}

void putNote(Sink& out, Note note, GeneKind kind, const FieldLayout& field, const std::uint8_t* body)
{
    std::string comment;
    if (note == Note::Locus)
        comment = locusName(body[0], body[1], body[2], kind == GeneKind::Emitter);
    else if (body[field.offset - 1] != 0)
        comment = neuronName(body[field.offset - 1], body[field.offset]);
    if (comment.empty())
        return;
    showControls(comment);
    out.put("  # ");
    out.put(comment);
}

void putField(Sink& out, GeneKind kind, const FieldWriter& writer, const GeneRecord& gene,
              const ChemicalWords& chemicals)
{
    const FieldLayout& field = *writer.field;
    const std::uint8_t* bytes = gene.body.data() + field.offset;
    if (field.reading == FieldReading::HalfLives) {
        for (unsigned chemical = 0; chemical < 256; ++chemical) {
            out.put("  half-life ");
            out.put(chemicals.word(static_cast<std::uint8_t>(chemical)));
            out.put(halfLifeTails()[bytes[chemical]]);
        }
        return;
    }
    out.put(writer.lead);
    switch (field.reading) {
    case FieldReading::Number:
    case FieldReading::Named:
    case FieldReading::Flags:
        out.put(writer.value(*bytes));
        if (writer.note != Note::None)
            putNote(out, writer.note, kind, field, gene.body.data());
        break;
    case FieldReading::Chemical:
        out.put(chemicals.word(*bytes));
        break;
    case FieldReading::Text:
        putText(out, bytes, field.width);
        break;
    case FieldReading::List:
        putList(out, writer, bytes);
        break;
    case FieldReading::HalfLives:
        break;
    }
    out.put('\n');
}

void putHeader(Sink& out, const GeneRecord& gene)
{
    const auto* header = reinterpret_cast<const std::uint8_t*>(&gene.header);
    for (const FieldWriter& writer : kindWriter(std::nullopt).fields) {
        out.put(writer.lead);
        out.put(writer.value(header[writer.field->offset]));
        out.put('\n');
    }
}

// Where the reader files each gene, as the comment on its "gene" line.
class OrganNotes {
public:
    void putNote(Sink& out, const GeneRecord& gene, GeneSlot slot)
    {
        const std::optional<GeneKind> kind = gene.kind();
        if (slot.place == GenePlace::NewOrgan) {
            std::string name = kind == GeneKind::BrainOrgan ? "the brain" : organName(gene.header.id);
            for (char& c : name)
                if (static_cast<unsigned char>(c) < 0x20)
                    c = '?';
            out.put("  # organ ");
            out.put(numberText(slot.organ + 1));
            out.put(": ");
            out.put(name);
            names_.push_back(std::move(name));
        } else if (slot.place == GenePlace::Attached) {
            out.put("  # in organ ");
            out.put(numberText(slot.organ + 1));
            out.put(": ");
            out.put(names_[slot.organ]);
        } else if (kind == GeneKind::BrainLobe) {
            out.put("  # loose: no brain organ before it");
        } else if (kind == GeneKind::Receptor || kind == GeneKind::Emitter || kind == GeneKind::Reaction) {
            out.put("  # loose: no organ before it");
        } else if (!kind) {
            out.put("  # unknown kind: no body");
        }
    }

private:
    static std::string numberText(std::size_t n)
    {
        std::string text;
        appendNumber(text, static_cast<std::uint32_t>(n));
        return text;
    }

    std::vector<std::string> names_;
};

constexpr std::size_t TrailingBytesPerLine = 32;

} // namespace

std::string decompileGenome(std::string_view genomeBytes, const ChemicalNameTable& chemicals)
{
    return decompileGenome(genomeBytes, GenomeTextChemicals(chemicals));
}

std::string decompileGenome(std::string_view genomeBytes, const GenomeTextChemicals& chemicalWords)
{
    const ChemicalWords& chemicals = chemicalWords.words();
    // At least ten bytes of text for a byte of genome, mostly a few more.
    Sink out(genomeBytes.size() * 10 + 4096);
    std::string first(GenomeTextFormat);
    first += ' ';
    appendNumber(first, GenomeTextVersion);
    out.put(first);
    out.put("\n# One block per gene, in file order: the order decides which organ a gene joins.\n");

    MemorySource source(genomeBytes);
    std::size_t consumed = GenomeMagic.size();
    OrganNotes notes;
    scanGenome(source, [&](const GeneRecord& gene, GeneSlot slot) {
        consumed += 4 + sizeof gene.header + bodyLength(gene.header.type, gene.header.subtype);
        const std::optional<GeneKind> kind = gene.kind();
        if (kind) {
            out.put(kindWriter(kind).geneLine);
        } else {
            std::string line = "\ngene ";
            appendPieces(line, gene.header.type, " ", gene.header.subtype);
            out.put(line);
        }
        notes.putNote(out, gene, slot);
        out.put('\n');
        putHeader(out, gene);
        if (kind)
            for (const FieldWriter& writer : kindWriter(kind).fields)
                putField(out, *kind, writer, gene, chemicals);
    });

    // The reader stops at the end marker or at the end of the file.
    if (consumed >= genomeBytes.size()) {
        out.put("\nno-end\n");
        return out.take();
    }
    out.put("\nend\n");
    const std::string_view trailing = genomeBytes.substr(consumed + 4);
    for (std::size_t at = 0; at < trailing.size(); at += TrailingBytesPerLine) {
        std::string line = "trailing ";
        for (const char c : trailing.substr(at, TrailingBytesPerLine))
            appendHex2(line, static_cast<std::uint8_t>(c));
        line += '\n';
        out.put(line);
    }
    return out.take();
}

// -------------------------------------------------------------- compile

namespace {

struct Token {
    std::string_view text; // the word, quotes and escapes resolved
    std::size_t column = 0;
    bool quoted = false;
    // A word with escapes: its bytes in the line's escape buffer.
    bool stored = false;
    std::size_t storedAt = 0;
};

} // namespace

bool GenomeTextChemicals::Words::names(std::uint8_t chemical, const Token& token) const
{
    if (!token.quoted && allDigits(token.text))
        return false;
    return usable_[chemical] && table_[chemical] == token.text;
}

namespace {

std::optional<GeneKind> kindByWord(std::string_view word)
{
    static const WordMap<GeneKind> kinds = [] {
        WordMap<GeneKind> all;
        for (const GeneKindInfo& info : GeneKinds)
            all.insert(bodyLayout(info.kind).word, info.kind);
        return all;
    }();
    const GeneKind* kind = kinds.find(word);
    return kind ? std::optional<GeneKind>(*kind) : std::nullopt;
}

constexpr std::size_t MaxLineBytes = 4096;
constexpr std::size_t ListedMissing = 6;

using NameIndex = WordMap<std::uint8_t>;

// The fields of a kind by name, the header's first ("slots"), with the
// names of each named field, so that a line costs a few lookups.
// A field's name with the blank after it as sixteen bytes and a mask of
// those that count, for comparing a line's start with it in one step.
struct PaddedName {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    std::uint64_t lowMask = 0;
    std::uint64_t highMask = 0;
    bool fits = false; // fifteen bytes or fewer
};

PaddedName paddedName(std::string_view name)
{
    PaddedName padded;
    if (name.size() > 15)
        return padded;
    std::array<char, 16> bytes{};
    std::array<char, 16> mask{};
    std::copy(name.begin(), name.end(), bytes.begin());
    bytes[name.size()] = ' ';
    std::fill_n(mask.begin(), name.size() + 1, '\xff');
    std::memcpy(&padded.low, bytes.data(), 8);
    std::memcpy(&padded.high, bytes.data() + 8, 8);
    std::memcpy(&padded.lowMask, mask.data(), 8);
    std::memcpy(&padded.highMask, mask.data() + 8, 8);
    padded.fits = true;
    return padded;
}

struct KindIndex {
    WordMap<std::size_t> slotByName;
    std::vector<const FieldLayout*> fields;
    std::vector<NameIndex> names;
    std::vector<PaddedName> padded;
    std::size_t headerFields = 0;
    std::size_t requiredFields = 0; // all but the half-lives

    void add(const FieldLayout& field)
    {
        slotByName.insert(field.name, fields.size());
        fields.push_back(&field);
        padded.push_back(paddedName(field.name));
        if (field.reading != FieldReading::HalfLives)
            ++requiredFields;
        NameIndex& index = names.emplace_back();
        for (std::size_t i = 0; i < field.names.size(); ++i)
            index.insert(field.names[i], static_cast<std::uint8_t>(i));
    }
};

// By kind; the last for a gene of unknown kind, which has the header only.
using KindIndexes = std::array<KindIndex, GeneKindCount + 1>;

const KindIndexes& kindIndexes()
{
    static const KindIndexes indexes = [] {
        std::array<KindIndex, GeneKindCount + 1> all;
        for (std::size_t k = 0; k < all.size(); ++k) {
            for (const FieldLayout& field : headerLayout().fields)
                all[k].add(field);
            all[k].headerFields = all[k].fields.size();
            if (k < GeneKindCount)
                for (const FieldLayout& field : bodyLayout(static_cast<GeneKind>(k)).fields)
                    all[k].add(field);
        }
        return all;
    }();
    return indexes;
}

const KindIndex& kindIndex(std::optional<GeneKind> kind)
{
    return kindIndexes()[kind ? indexOf(*kind) : GeneKindCount];
}

std::string orList(const std::vector<std::string>& names)
{
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? " or " : ", ";
        text += names[i];
    }
    return text;
}

class Compiler {
public:
    Compiler(std::string_view text, const ChemicalWords& chemicals, std::size_t maxTextBytes)
        : text_(text), chemicals_(chemicals), maxTextBytes_(maxTextBytes)
    {
    }

    CompiledGenome run()
    {
        CompiledGenome result;
        if (text_.size() > maxTextBytes_) {
            error(1, 1,
                  "the text is " + std::to_string(text_.size()) + " bytes, more than the " +
                      std::to_string(maxTextBytes_) + " bytes a genome text may have");
            result.errors = std::move(errors_);
            return result;
        }
        out_ = GenomeMagic;
        // A genome's text is about ten times its size.
        out_.reserve(text_.size() / 8 + 64);
        std::size_t at = 0;
        while (at < text_.size() && !stopped_) {
            // An empty line has no words: nothing to read.
            if (text_[at] == '\n') {
                ++lineNumber_;
                ++at;
                continue;
            }
            if (stage_ == Stage::Genes) {
                if (const std::size_t next = quickLines(at); next != at) {
                    at = next;
                    continue;
                }
            }
            std::size_t end = text_.find('\n', at);
            if (end == std::string_view::npos)
                end = text_.size();
            std::string_view line = text_.substr(at, end - at);
            ++lineNumber_;
            at = end + 1;
            if (line.ends_with('\r'))
                line.remove_suffix(1);
            if (line.size() > MaxLineBytes) {
                error(lineNumber_, MaxLineBytes + 1,
                      "the line is longer than " + std::to_string(MaxLineBytes) + " bytes");
                if (stage_ == Stage::Format)
                    stopped_ = true;
                continue;
            }
            if (tokenize(line)) {
                statement();
            } else if (stage_ == Stage::Format) {
                // Bytes no text has, before the format line: not a text at all.
                errors_.back() = {lineNumber_, 1, notAGenomeText()};
                stopped_ = true;
            }
        }
        if (!stopped_)
            finish();
        // A gene's missing fields are found at its end but belong to its
        // first line; the note that the report stopped stays last.
        const auto sorted =
            errors_.begin() + static_cast<std::ptrdiff_t>(std::min(errors_.size(), MaxGenomeTextErrors));
        std::stable_sort(errors_.begin(), sorted, [](const GenomeTextError& a, const GenomeTextError& b) {
            return a.line != b.line ? a.line < b.line : a.column < b.column;
        });
        if (errors_.empty())
            result.bytes = std::move(out_);
        result.errors = std::move(errors_);
        return result;
    }

private:
    enum class Stage { Format, Genes, Ended };

    struct Block {
        bool open = false;
        std::size_t line = 0;
        std::size_t column = 0;
        std::optional<GeneKind> kind;
        std::uint8_t type = 0;
        std::uint8_t subtype = 0;
        std::array<std::uint8_t, 7> header{};
        std::array<std::uint8_t, 256> body{};
        // The line each field was given on, 0 for not yet; header fields first.
        std::vector<std::size_t> given;
        std::array<std::size_t, 256> halfLifeGiven{};
        std::size_t lastSlot = SIZE_MAX;
        int lastChemical = -1;
        const KindIndex* index = nullptr;
        std::size_t givenCount = 0; // fields given, half-lives not counted
    };

    void error(std::size_t line, std::size_t column, std::string message)
    {
        if (errors_.size() == MaxGenomeTextErrors) {
            errors_.push_back({line, column, "too many errors; stopped here"});
            stopped_ = true;
            return;
        }
        if (errors_.size() < MaxGenomeTextErrors)
            errors_.push_back({line, column, std::move(message)});
    }
    void error(const Token& token, std::string message) { error(lineNumber_, token.column, std::move(message)); }

    // Splits a line into words; false (with an error) for a line that has
    // none that can be read.
    bool tokenize(std::string_view line)
    {
        tokens_.clear();
        escaped_.clear();
        const char* const begin = line.data();
        const char* const end = begin + line.size();
        const char* at = begin;
        bool stored = false;
        while (at < end) {
            const auto c = static_cast<unsigned char>(*at);
            if (c == ' ' || c == '\t') {
                ++at;
                continue;
            }
            if (c == '#')
                break;
            Token& token = tokens_.emplace_back();
            std::size_t i = static_cast<std::size_t>(at - begin);
            token.column = i + 1;
            if (c == '"') {
                token.quoted = true;
                if (!quotedWord(line, i, token))
                    return false;
                stored = stored || token.stored;
                at = begin + i;
                continue;
            }
            if (!WordBytes[c]) {
                error(lineNumber_, i + 1,
                      "unexpected byte 0x" + hex(c) + "; bytes outside printable ASCII go in quotes as \\xNN");
                return false;
            }
            const char* const start = at;
            do
                ++at;
            while (at < end && WordBytes[static_cast<unsigned char>(*at)]);
            token.text = std::string_view(start, static_cast<std::size_t>(at - start));
        }
        // Only now: growing the list moves the words' own bytes.
        if (stored)
            for (Token& token : tokens_)
                if (token.stored)
                    token.text = std::string_view(escaped_).substr(token.storedAt, token.text.size());
        return true;
    }

    static std::string hex(unsigned char c)
    {
        std::string text;
        appendHex2(text, c);
        return text;
    }

    // A word without escapes stays a view of the line; one with escapes
    // is copied as it is read.
    bool quotedWord(std::string_view line, std::size_t& i, Token& token)
    {
        const std::size_t open = i++;
        const std::size_t start = i;
        while (i < line.size()) {
            const char c = line[i];
            if (c == '"') {
                if (!token.stored)
                    token.text = line.substr(start, i - start);
                else
                    token.text = std::string_view(escaped_).substr(token.storedAt); // length only
                ++i;
                return true;
            }
            if (c == '\\') {
                if (!token.stored) {
                    token.storedAt = escaped_.size();
                    escaped_.append(line.substr(start, i - start));
                    token.stored = true;
                }
                if (i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) {
                    escaped_ += line[i + 1];
                    i += 2;
                    continue;
                }
                if (i + 3 < line.size() && line[i + 1] == 'x' && hexDigit(line[i + 2]) >= 0 &&
                    hexDigit(line[i + 3]) >= 0) {
                    escaped_ += static_cast<char>(hexDigit(line[i + 2]) * 16 + hexDigit(line[i + 3]));
                    i += 4;
                    continue;
                }
                error(lineNumber_, i + 1, "unknown escape in quotes: \\\" \\\\ and \\xNN (two hex digits) are known");
                return false;
            }
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) == 0x7f) {
                error(lineNumber_, i + 1,
                      "unexpected byte 0x" + hex(static_cast<unsigned char>(c)) + " in quotes; write it as \\xNN");
                return false;
            }
            if (token.stored)
                escaped_ += c;
            ++i;
        }
        error(lineNumber_, open + 1, "the quote opened here is not closed on its line");
        return false;
    }

    void statement()
    {
        if (tokens_.empty())
            return;
        const Token& first = tokens_[0];
        const std::string_view word = first.quoted ? std::string_view() : first.text;
        if (stage_ == Stage::Format) {
            formatLine();
            return;
        }
        if (word == "gene") {
            closeBlock();
            if (stage_ == Stage::Ended)
                error(first, "a gene after 'end': genes come before it");
            openBlock();
        } else if (word == "end" || word == "no-end") {
            closeBlock();
            if (stage_ == Stage::Ended) {
                error(first, "the end is given twice (first on line " + std::to_string(endLine_) + ")");
                return;
            }
            stage_ = Stage::Ended;
            endLine_ = lineNumber_;
            endMarker_ = word == "end";
            if (endMarker_)
                out_ += "gend";
            if (tokens_.size() > 1)
                error(tokens_[1], std::string(word) + " takes no value");
        } else if (word == "trailing") {
            trailing();
        } else if (stage_ == Stage::Ended) {
            error(first, quoted(first.text) + " after the end: only 'trailing' lines may follow it");
        } else if (!block_.open) {
            error(first, quoted(first.text) + " outside a gene: a gene starts with 'gene KIND'");
        } else {
            field();
        }
    }

    std::string notAGenomeText() const
    {
        if (text_.starts_with(GenomeMagic))
            return "not a genome text but a genome file (decompile makes its text)";
        return "not a genome text: the first line must be '" + std::string(GenomeTextFormat) + " " +
               std::to_string(GenomeTextVersion) + "'";
    }

    void formatLine()
    {
        const std::string expected = std::string(GenomeTextFormat) + " " + std::to_string(GenomeTextVersion);
        if (tokens_[0].quoted || tokens_[0].text != GenomeTextFormat) {
            error(tokens_[0], notAGenomeText());
            stopped_ = true;
            return;
        }
        if (tokens_.size() != 2 || tokens_[1].text != std::to_string(GenomeTextVersion)) {
            error(tokens_.size() > 1 ? tokens_[1] : tokens_[0], "this Helixplot reads genome text version " +
                                                                    std::to_string(GenomeTextVersion) + " only ('" +
                                                                    expected + "')");
            stopped_ = true;
            return;
        }
        stage_ = Stage::Genes;
    }

    std::vector<std::string> kindWords() const
    {
        std::vector<std::string> words;
        for (const GeneKindInfo& info : GeneKinds)
            words.push_back(bodyLayout(info.kind).word);
        return words;
    }

    void openBlock()
    {
        resetBlock(tokens_[0].column);
        block_.type = block_.subtype = 0;
        block_.header.fill(0);
        block_.body.fill(0);
        if (tokens_.size() == 2 && !tokens_[1].quoted) {
            block_.kind = kindByWord(tokens_[1].text);
            if (!block_.kind) {
                error(tokens_[1], quoted(tokens_[1].text) + " is no gene kind" +
                                      didYouMean(nearestName(tokens_[1].text, kindWords())) +
                                      " (a kind's word, or TYPE SUBTYPE as two numbers)");
                block_.open = false;
                return;
            }
            block_.type = infoOf(*block_.kind).type;
            block_.subtype = infoOf(*block_.kind).subtype;
        } else if (tokens_.size() == 3) {
            const auto type = number(tokens_[1], "type");
            const auto subtype = number(tokens_[2], "subtype");
            if (!type || !subtype) {
                block_.open = false;
                return;
            }
            block_.type = *type;
            block_.subtype = *subtype;
            block_.kind = kindOf(*type, *subtype);
        } else {
            error(tokens_[0], "a gene starts with 'gene KIND' or 'gene TYPE SUBTYPE'");
            block_.open = false;
            return;
        }
        readyBlock();
    }

    void resetBlock(std::size_t column)
    {
        block_.open = true;
        block_.line = lineNumber_;
        block_.column = column;
        block_.kind.reset();
        block_.type = block_.subtype = 0;
        block_.header.fill(0);
        block_.body.fill(0);
        block_.lastSlot = SIZE_MAX;
        block_.lastChemical = -1;
    }

    // Once the kind is known.
    void readyBlock()
    {
        if (block_.kind == GeneKind::HalfLives)
            block_.halfLifeGiven.fill(0);
        block_.index = &indexes_[block_.kind ? indexOf(*block_.kind) : GeneKindCount];
        block_.given.assign(block_.index->fields.size(), 0);
        block_.givenCount = 0;
    }

    // The lines from text_[at] that the quick reading takes, one after
    // the other: the offset of the first it does not.
    std::size_t quickLines(std::size_t at)
    {
        while (at < text_.size() && !stopped_) {
            std::size_t next = std::string_view::npos;
            if (text_[at] == '\n') {
                ++lineNumber_;
                next = at + 1;
            } else if (text_[at] == 'g') {
                next = quickGene(at);
            }
            if (next == std::string_view::npos && block_.open)
                next = quickLine(at);
            if (next == std::string_view::npos)
                break;
            at = next;
        }
        return at;
    }

    // A "gene KIND" line as decompile writes it: the offset past it, or
    // npos for a line the general reading takes.
    std::size_t quickGene(std::size_t start)
    {
        const char* const lineStart = text_.data() + start;
        const char* const end = text_.data() + text_.size();
        if (end - lineStart < 6 || !sameBytes(lineStart, "gene ", 5))
            return std::string_view::npos;
        const char* at = lineStart + 4;
        QuickWord word;
        if (!quickWord(at, end, word) || word.quoted)
            return std::string_view::npos;
        const std::optional<GeneKind> kind = kindByWord(word.text);
        const char* const next = kind ? lineEnd(at, end, lineStart) : nullptr;
        if (next == nullptr)
            return std::string_view::npos;
        ++lineNumber_;
        closeBlock();
        resetBlock(1);
        block_.kind = kind;
        block_.type = infoOf(*kind).type;
        block_.subtype = infoOf(*kind).subtype;
        readyBlock();
        return static_cast<std::size_t>(next - text_.data());
    }

    void closeBlock()
    {
        if (!block_.open)
            return;
        block_.open = false;
        std::vector<std::string> missing;
        for (std::size_t i = 0; block_.givenCount < block_.index->requiredFields && i < block_.given.size(); ++i) {
            const FieldLayout& f = *block_.index->fields[i];
            if (block_.given[i] == 0 && f.reading != FieldReading::HalfLives)
                missing.push_back("'" + f.name + "'");
        }
        auto what = [this] {
            return block_.kind ? bodyLayout(*block_.kind).word
                               : "gene " + std::to_string(block_.type) + " " + std::to_string(block_.subtype);
        };
        if (!missing.empty()) {
            std::string list;
            for (std::size_t i = 0; i < missing.size() && i < ListedMissing; ++i)
                list += (i > 0 ? ", " : "") + missing[i];
            if (missing.size() > ListedMissing)
                list += " and " + std::to_string(missing.size() - ListedMissing) + " more";
            error(block_.line, block_.column, what() + ": missing field" + (missing.size() > 1 ? "s " : " ") + list);
        }
        if (block_.kind == GeneKind::HalfLives) {
            std::vector<std::string> chemicals;
            for (unsigned c = 0; c < 256; ++c)
                if (block_.halfLifeGiven[c] == 0)
                    chemicals.push_back(std::to_string(c));
            if (!chemicals.empty()) {
                std::string list;
                for (std::size_t i = 0; i < chemicals.size() && i < ListedMissing; ++i)
                    list += (i > 0 ? ", " : "") + chemicals[i];
                if (chemicals.size() > ListedMissing)
                    list += " and " + std::to_string(chemicals.size() - ListedMissing) + " more";
                error(block_.line, block_.column,
                      "half-lives: no half-life for chemical" + std::string(chemicals.size() > 1 ? "s " : " ") + list +
                          " (every chemical 0 to 255 needs one)");
            }
        }
        if (!errors_.empty())
            return;
        // The gene's bytes in one piece: marker, type, subtype, header, body.
        std::array<char, 11 + 256> gene;
        std::memcpy(gene.data(), "gene", 4);
        gene[4] = static_cast<char>(block_.type);
        gene[5] = static_cast<char>(block_.subtype);
        std::memcpy(gene.data() + 6, block_.header.data() + 2, 5);
        const std::size_t length = bodyLength(block_.type, block_.subtype);
        std::memcpy(gene.data() + 11, block_.body.data(), length);
        out_.append(gene.data(), 11 + length);
        checkSize();
    }

    void checkSize()
    {
        if (out_.size() > MaxInputBytes) {
            error(lineNumber_, 1,
                  "the genome would be larger than the " + std::to_string(MaxInputBytes >> 20) +
                      " MiB any genome reader takes");
            stopped_ = true;
        }
    }

    void finish()
    {
        closeBlock();
        if (stage_ == Stage::Format)
            error(lineNumber_ + 1, 1,
                  "empty text: the first line must be '" + std::string(GenomeTextFormat) + " " +
                      std::to_string(GenomeTextVersion) + "'");
        else if (stage_ == Stage::Genes)
            error(lineNumber_ + 1, 1,
                  "missing 'end' (or 'no-end' for a genome without its end marker) after the last gene");
        else if (errors_.empty())
            out_ += trailing_;
        checkSize();
        if (!errors_.empty())
            out_.clear();
    }

    void trailing()
    {
        if (stage_ != Stage::Ended || !endMarker_) {
            error(tokens_[0], "'trailing' bytes follow the end marker: they come after 'end'");
            return;
        }
        for (std::size_t t = 1; t < tokens_.size(); ++t) {
            const Token& token = tokens_[t];
            const std::string_view digits = token.text;
            if (token.quoted || digits.size() % 2 != 0 ||
                !std::all_of(digits.begin(), digits.end(), [](char c) { return hexDigit(c) >= 0; })) {
                error(token, "trailing: " + quoted(digits) +
                                 " is not hexadecimal bytes (two digits 0-9 or a-f for each byte)");
                continue;
            }
            for (std::size_t i = 0; i < digits.size(); i += 2)
                trailing_ += static_cast<char>(hexDigit(digits[i]) * 16 + hexDigit(digits[i + 1]));
        }
        if (trailing_.size() + out_.size() > MaxInputBytes) {
            error(tokens_[0], "the genome would be larger than the " + std::to_string(MaxInputBytes >> 20) +
                                  " MiB any genome reader takes");
            stopped_ = true;
        }
    }

    // A decimal number 0 to 255.
    std::optional<std::uint8_t> number(const Token& token, std::string_view what)
    {
        // Nearly every number is one to three digits up to 255.
        if (!token.quoted && !token.text.empty() && token.text.size() <= 3) {
            unsigned value = 0;
            bool digits = true;
            for (const char c : token.text) {
                const auto digit = static_cast<unsigned>(c - '0');
                digits = digits && digit <= 9;
                value = value * 10 + digit;
            }
            if (digits && value <= 255)
                return static_cast<std::uint8_t>(value);
        }
        if (token.quoted || !allDigits(token.text)) {
            error(token, std::string(what) + ": " + quoted(token.text) + " is not a number (0 to 255)");
            return std::nullopt;
        }
        unsigned value = 0;
        for (const char c : token.text.substr(0, 4))
            value = value * 10 + static_cast<unsigned>(c - '0');
        if (token.text.size() > 3 || value > 255) {
            error(token, std::string(what) + ": " + quoted(token.text) + " is out of range (0 to 255)");
            return std::nullopt;
        }
        return static_cast<std::uint8_t>(value);
    }

    // A name of field's set or a number.
    std::optional<std::uint8_t> named(const Token& token, const FieldLayout& field, const NameIndex& index)
    {
        if (!token.quoted && allDigits(token.text))
            return number(token, field.name);
        // A set of a few names is searched faster than hashed.
        if (field.names.size() <= 8) {
            for (std::size_t i = 0; i < field.names.size(); ++i)
                if (field.names[i] == token.text)
                    return static_cast<std::uint8_t>(i);
        } else if (const std::uint8_t* value = index.find(token.text)) {
            return *value;
        }
        std::string accepts;
        if (field.names.size() <= 8) {
            std::vector<std::string> names;
            for (const std::string& n : field.names)
                names.push_back(n.find(' ') == std::string::npos ? n : "\"" + n + "\"");
            names.push_back("a number 0 to 255");
            accepts = " (" + orList(names) + ")";
        } else {
            accepts = " (one of the " + std::to_string(field.names.size()) +
                      " names the breakdown uses, in quotes where they hold blanks, or a number 0 to 255)";
        }
        error(token, field.name + ": " + quoted(token.text) + " is no name of " + field.name +
                         didYouMean(nearestName(token.text, field.names)) + accepts);
        return std::nullopt;
    }

    std::optional<std::uint8_t> chemical(const Token& token, std::string_view what)
    {
        if (!token.quoted && allDigits(token.text))
            return number(token, what);
        if (const auto c = chemicals_.find(token.text))
            return c;
        if (!chemicals_.hasNames()) {
            error(token, std::string(what) + ": " + quoted(token.text) +
                             " names a chemical, but no chemical names are loaded (--chemicals FILE, or the game's "
                             "file the settings name); a number 0 to 255 needs none");
            return std::nullopt;
        }
        error(token, std::string(what) + ": " + quoted(token.text) + " is no chemical of the chemical names in use" +
                         didYouMean(chemicals_.nearest(token.text)) + " (a chemical's name, or its number 0 to 255)");
        return std::nullopt;
    }

    std::optional<std::uint8_t> flags(std::size_t first, const FieldLayout& field)
    {
        if (tokens_.size() == first + 1 && !tokens_[first].quoted && allDigits(tokens_[first].text))
            return number(tokens_[first], field.name);
        if (tokens_.size() == first + 1 && !tokens_[first].quoted && tokens_[first].text == "none")
            return std::uint8_t{0};
        unsigned value = 0;
        bool good = true;
        for (std::size_t t = first; t < tokens_.size(); ++t) {
            const auto bit = std::find(field.names.begin(), field.names.end(), tokens_[t].text);
            if (tokens_[t].quoted || bit == field.names.end()) {
                error(tokens_[t], field.name + ": " + quoted(tokens_[t].text) + " is no flag of " + field.name +
                                      didYouMean(nearestName(tokens_[t].text, field.names)) + " (" +
                                      orList(field.names) + "; none; or one number 0 to 255)");
                good = false;
                continue;
            }
            const unsigned mask = 1u << (bit - field.names.begin());
            if (value & mask) {
                error(tokens_[t], field.name + ": " + quoted(tokens_[t].text) + " is given twice");
                good = false;
            }
            value |= mask;
        }
        return good ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(value)) : std::nullopt;
    }

    bool oneValue(const FieldLayout& field, std::string_view accepts)
    {
        if (tokens_.size() == 2)
            return true;
        if (tokens_.size() < 2)
            error(tokens_[0], field.name + ": needs a value (" + std::string(accepts) + ")");
        else
            error(tokens_[2], field.name + ": takes one value (" + std::string(accepts) + "), not " +
                                  std::to_string(tokens_.size() - 1));
        return false;
    }

    // The kinds other than the gene's that have a field of this name.
    std::string kindsWithField(std::string_view name) const
    {
        std::vector<std::string> kinds;
        for (const GeneKindInfo& info : GeneKinds)
            if (info.kind != block_.kind && kindIndex(info.kind).slotByName.contains(name))
                kinds.push_back(bodyLayout(info.kind).word);
        if (kinds.empty())
            return {};
        if (kinds.size() > 4) {
            kinds.resize(4);
            kinds.back() = "others";
        }
        std::string text;
        for (std::size_t i = 0; i < kinds.size(); ++i)
            text += (i == 0 ? "" : i + 1 == kinds.size() ? " and " : ", ") + kinds[i];
        return "; " + text + (kinds.size() == 1 ? " has one" : " have one");
    }

    void field()
    {
        const Token& nameToken = tokens_[0];
        const std::string_view name = nameToken.text;
        const KindIndex& index = *block_.index;
        // Fields mostly come in the order decompile writes them: the one
        // after the last is tried before the lookup.
        std::size_t slot = block_.lastSlot + 1;
        if (nameToken.quoted || slot >= index.fields.size() || index.fields[slot]->name != name) {
            const std::size_t* found = nameToken.quoted ? nullptr : index.slotByName.find(name);
            slot = found ? *found : index.fields.size();
        }
        if (slot == index.fields.size()) {
            std::vector<std::string> names;
            for (const FieldLayout* f : index.fields)
                names.push_back(f->name);
            std::string hint = kindsWithField(name);
            if (hint.empty())
                hint = didYouMean(nearestName(name, names));
            if (!block_.kind)
                hint += " (an unknown kind has no body: only the header fields id, stage, flags, value, reserved)";
            error(nameToken, (block_.kind ? bodyLayout(*block_.kind).word : "a gene of unknown kind") +
                                 " has no field " + quoted(name) + hint);
            return;
        }
        block_.lastSlot = slot;
        const FieldLayout* field = index.fields[slot];
        const NameIndex& names = index.names[slot];
        if (field->reading == FieldReading::HalfLives) {
            halfLife(*field);
            return;
        }
        if (block_.given[slot] != 0) {
            error(nameToken, "field '" + field->name + "' is given twice (first on line " +
                                 std::to_string(block_.given[slot]) + ")");
            return;
        }
        block_.given[slot] = lineNumber_;
        ++block_.givenCount;
        const bool inHeader = slot < index.headerFields;
        std::uint8_t* bytes = inHeader ? block_.header.data() + field->offset : block_.body.data() + field->offset;
        std::optional<std::uint8_t> value;
        switch (field->reading) {
        case FieldReading::Number:
            if (oneValue(*field, "a number 0 to 255"))
                value = number(tokens_[1], field->name);
            break;
        case FieldReading::Chemical:
            if (oneValue(*field, "a chemical's name or number"))
                value = chemical(tokens_[1], field->name);
            break;
        case FieldReading::Named:
            if (oneValue(*field, "a name or a number 0 to 255"))
                value = named(tokens_[1], *field, names);
            break;
        case FieldReading::Flags:
            if (tokens_.size() < 2)
                error(nameToken, field->name + ": needs a value (" + orList(field->names) + "; none; or a number)");
            else
                value = flags(1, *field);
            break;
        case FieldReading::Text:
            text(*field, bytes);
            return;
        case FieldReading::List:
            list(*field, names, bytes);
            return;
        case FieldReading::HalfLives:
            return;
        }
        if (value)
            *bytes = *value;
    }

    void text(const FieldLayout& field, std::uint8_t* bytes)
    {
        if (!oneValue(field, "a text in quotes of up to " + std::to_string(field.width) + " bytes"))
            return;
        const std::string_view value = tokens_[1].text;
        if (value.size() > field.width) {
            error(tokens_[1], field.name + ": " + quoted(value) + " is " + std::to_string(value.size()) +
                                  " bytes, more than the " + std::to_string(field.width) + " it has");
            return;
        }
        std::copy(value.begin(), value.end(), bytes);
    }

    void list(const FieldLayout& field, const NameIndex& names, std::uint8_t* bytes)
    {
        const std::size_t count = tokens_.size() - 1;
        if (count == 0 || count > field.width) {
            error(tokens_[0],
                  field.name + ": takes 1 to " + std::to_string(field.width) + " values, not " + std::to_string(count));
            return;
        }
        for (std::size_t i = 0; i < count; ++i) {
            const auto value =
                field.names.empty() ? number(tokens_[1 + i], field.name) : named(tokens_[1 + i], field, names);
            if (value)
                bytes[i] = *value;
        }
    }

    // ------------------------------------------------ the quick reading

    // A field line read as decompile writes it, straight from the text: a
    // text is mostly such lines, one value each, and reading them without
    // first finding the line's end and its words halves compiling's time.
    // Whatever the quick reading does not take whole (errors, escapes,
    // lists, odd blanks) it leaves untouched to the general reading, which
    // reads it as if the quick one did not exist.
    struct QuickWord {
        std::string_view text;
        bool quoted = false;
    };

    static bool isBlank(char c) { return BlankBytes[static_cast<unsigned char>(c)]; }
    // What may follow a word on its line.
    static bool endsWord(const char* at, const char* end)
    {
        return at == end || WordEndBytes[static_cast<unsigned char>(*at)];
    }

    // The next word, in quotes or bare; false for anything else.
    [[gnu::always_inline]] static bool quickWord(const char*& from, const char* end, QuickWord& word)
    {
        const char* at = from;
        while (at < end && isBlank(*at))
            ++at;
        if (at == end)
            return false;
        const char* start = at;
        if (*at == '"') {
            start = ++at;
            while (at < end && PlainQuotedBytes[static_cast<unsigned char>(*at)])
                ++at;
            if (at == end || *at != '"')
                return false;
            word = {std::string_view(start, static_cast<std::size_t>(at - start)), true};
            ++at;
        } else {
            while (at < end && WordBytes[static_cast<unsigned char>(*at)])
                ++at;
            if (at == start)
                return false;
            word = {std::string_view(start, static_cast<std::size_t>(at - start)), false};
        }
        from = at;
        return endsWord(at, end);
    }

    // True when nothing but blanks and a comment is left on the line.
    [[gnu::always_inline]] static bool quickEnd(const char* at, const char* end)
    {
        while (at < end && isBlank(*at))
            ++at;
        return at == end || *at == '#' || *at == '\n';
    }

    static std::optional<std::uint8_t> quickNumber(const QuickWord& word)
    {
        if (word.quoted || word.text.size() > 3)
            return std::nullopt;
        unsigned value = 0;
        for (const char c : word.text) {
            const auto digit = static_cast<unsigned>(c - '0');
            if (digit > 9)
                return std::nullopt;
            value = value * 10 + digit;
        }
        return value <= 255 ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(value)) : std::nullopt;
    }

    // A number of one to three digits up to 255 and what follows it, read
    // from four bytes at once: a loop over the digits would mispredict its
    // end on every line.
    [[gnu::always_inline]] static std::optional<std::uint8_t> quickNumberAt(const char*& from, const char* end)
    {
        const char* at = from;
        // Decompile puts one blank before the value.
        if (at < end && *at == ' ')
            ++at;
        while (at < end && isBlank(*at))
            ++at;
        if (end - at < 4) {
            QuickWord word;
            if (!quickWord(at, end, word))
                return std::nullopt;
            from = at;
            return quickNumber(word);
        }
        const auto d0 = static_cast<unsigned char>(at[0] - '0');
        const auto d1 = static_cast<unsigned char>(at[1] - '0');
        const auto d2 = static_cast<unsigned char>(at[2] - '0');
        const auto d3 = static_cast<unsigned char>(at[3] - '0');
        const unsigned digits =
            unsigned{d0 < 10} | unsigned{d1 < 10} << 1 | unsigned{d2 < 10} << 2 | unsigned{d3 < 10} << 3;
        const auto length = static_cast<unsigned>(std::countr_one(digits));
        // The weights of the three digits by the number's length, so that
        // no branch guesses the length: 1, 10 1, 100 10 1.
        static constexpr std::array<std::array<unsigned, 3>, 5> Weights = {
            {{0, 0, 0}, {1, 0, 0}, {10, 1, 0}, {100, 10, 1}, {0, 0, 0}}};
        const auto& weight = Weights[length];
        const unsigned value = d0 * weight[0] + d1 * weight[1] + d2 * weight[2];
        // Any one failing sends the line to the general reading.
        if ((length - 1 > 2) | (value > 255) | !endsWord(at + length, end))
            return std::nullopt;
        from = at + length;
        return static_cast<std::uint8_t>(value);
    }

    static bool isNumber(const QuickWord& word)
    {
        return !word.quoted && static_cast<unsigned>(word.text[0] - '0') <= 9 && allDigits(word.text);
    }

    std::optional<std::uint8_t> quickChemical(const QuickWord& word) const
    {
        return isNumber(word) ? quickNumber(word) : chemicals_.find(word.text);
    }

    [[gnu::always_inline]] static std::optional<std::uint8_t>
    quickNamed(const QuickWord& word, const FieldLayout& field, const NameIndex& index)
    {
        if (isNumber(word))
            return quickNumber(word);
        if (field.names.size() <= 8) {
            for (std::size_t i = 0; i < field.names.size(); ++i)
                if (sameWord(field.names[i], word.text))
                    return static_cast<std::uint8_t>(i);
            return std::nullopt;
        }
        const std::uint8_t* value = index.find(word.text);
        return value ? std::optional<std::uint8_t>(*value) : std::nullopt;
    }

    static std::optional<std::uint8_t> quickFlags(const char*& at, const char* end, const FieldLayout& field)
    {
        QuickWord word;
        unsigned value = 0;
        std::size_t count = 0;
        while (!quickEnd(at, end)) {
            if (!quickWord(at, end, word) || word.quoted)
                return std::nullopt;
            ++count;
            if (count == 1 && (sameWord(word.text, "none") || isNumber(word)) && quickEnd(at, end))
                return isNumber(word) ? quickNumber(word) : std::optional<std::uint8_t>(0);
            std::size_t bit = 0;
            while (bit < field.names.size() && !sameWord(field.names[bit], word.text))
                ++bit;
            if (bit == field.names.size() || (value & (1u << bit)))
                return std::nullopt;
            value |= 1u << bit;
        }
        return count == 0 ? std::nullopt : std::optional<std::uint8_t>(static_cast<std::uint8_t>(value));
    }

    // A half-life's chemical and value, not yet written.
    bool quickHalfLife(const char*& at, const char* end, std::uint8_t& chemical, std::uint8_t& halfLife) const
    {
        QuickWord chemicalWord;
        if (!quickWord(at, end, chemicalWord))
            return false;
        const auto value = quickNumberAt(at, end);
        if (!value || !quickEnd(at, end))
            return false;
        const int next = block_.lastChemical + 1;
        Token token;
        token.text = chemicalWord.text;
        token.quoted = chemicalWord.quoted;
        const auto chemicalNumber = next < 256 && chemicals_.names(static_cast<std::uint8_t>(next), token)
                                        ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(next))
                                        : quickChemical(chemicalWord);
        if (!chemicalNumber || block_.halfLifeGiven[*chemicalNumber] != 0)
            return false;
        chemical = *chemicalNumber;
        halfLife = *value;
        return true;
    }

    // The items of a list, up to its width.
    static bool quickList(const char*& at, const char* end, const FieldLayout& field, const NameIndex& names,
                          std::array<std::uint8_t, 16>& items, std::size_t& count)
    {
        QuickWord word;
        count = 0;
        while (!quickEnd(at, end)) {
            if (count == field.width || count == items.size() || !quickWord(at, end, word))
                return false;
            const auto item = field.names.empty() ? quickNumber(word) : quickNamed(word, field, names);
            if (!item)
                return false;
            items[count++] = *item;
        }
        return count > 0;
    }

    // The field's value: a byte, or the text of a text field; false for
    // what the general reading takes.
    [[gnu::always_inline]] bool quickValue(const char*& at, const char* end, const FieldLayout& field,
                                           const NameIndex& names, std::uint8_t& byte, std::string_view& text) const
    {
        QuickWord word;
        std::optional<std::uint8_t> value;
        switch (field.reading) {
        case FieldReading::Number:
            value = quickNumberAt(at, end);
            break;
        case FieldReading::Chemical:
            if (quickWord(at, end, word))
                value = quickChemical(word);
            break;
        case FieldReading::Named:
            if (quickWord(at, end, word))
                value = quickNamed(word, field, names);
            break;
        case FieldReading::Flags:
            value = quickFlags(at, end, field);
            break;
        case FieldReading::Text:
            if (!quickWord(at, end, word) || word.text.size() > field.width)
                return false;
            text = word.text;
            return true;
        case FieldReading::List:
        case FieldReading::HalfLives:
            return false;
        }
        if (!value)
            return false;
        byte = *value;
        return true;
    }

    // Reads the field line at text_[start]: the offset past it, or npos
    // for a line the general reading takes.
    [[gnu::always_inline]] std::size_t quickLine(std::size_t start)
    {
        const char* const lineStart = text_.data() + start;
        const char* const end = text_.data() + text_.size();
        const char* at = lineStart;
        // Decompile indents fields by two blanks.
        if (end - at > 2 && at[0] == ' ' && at[1] == ' ')
            at += 2;
        while (at < end && isBlank(*at))
            ++at;
        // Fields mostly come in the order decompile writes them.
        const KindIndex& index = *block_.index;
        std::size_t slot = block_.lastSlot + 1;
        if (slot < index.fields.size() && startsWithName(at, end, index.padded[slot], index.fields[slot]->name)) {
            at += index.fields[slot]->name.size();
        } else {
            QuickWord name;
            if (!quickWord(at, end, name) || name.quoted)
                return std::string_view::npos;
            const std::size_t* found = index.slotByName.find(name.text);
            if (!found)
                return std::string_view::npos;
            slot = *found;
        }
        const FieldLayout& field = *index.fields[slot];
        if (field.reading == FieldReading::HalfLives) {
            std::uint8_t chemical = 0;
            std::uint8_t halfLife = 0;
            if (!quickHalfLife(at, end, chemical, halfLife))
                return std::string_view::npos;
            const char* const next = lineEnd(at, end, lineStart);
            if (next == nullptr)
                return std::string_view::npos;
            block_.halfLifeGiven[chemical] = ++lineNumber_;
            block_.lastChemical = chemical;
            block_.body[field.offset + chemical] = halfLife;
            block_.lastSlot = slot;
            return static_cast<std::size_t>(next - text_.data());
        }
        std::uint8_t* bytes =
            slot < index.headerFields ? block_.header.data() + field.offset : block_.body.data() + field.offset;
        if (field.reading == FieldReading::List) {
            std::array<std::uint8_t, 16> items;
            std::size_t count = 0;
            if (block_.given[slot] != 0 || !quickList(at, end, field, index.names[slot], items, count))
                return std::string_view::npos;
            const char* const next = lineEnd(at, end, lineStart);
            if (next == nullptr)
                return std::string_view::npos;
            std::copy_n(items.begin(), count, bytes);
            block_.lastSlot = slot;
            block_.given[slot] = ++lineNumber_;
            ++block_.givenCount;
            return static_cast<std::size_t>(next - text_.data());
        }
        // The value is only written once the line is known whole.
        std::uint8_t byte = 0;
        std::string_view text;
        if (block_.given[slot] != 0 || !quickValue(at, end, field, index.names[slot], byte, text))
            return std::string_view::npos;
        const char* const next = lineEnd(at, end, lineStart);
        if (next == nullptr)
            return std::string_view::npos;
        if (field.reading == FieldReading::Text)
            std::copy(text.begin(), text.end(), bytes);
        else
            *bytes = byte;
        block_.lastSlot = slot;
        block_.given[slot] = ++lineNumber_;
        ++block_.givenCount;
        return static_cast<std::size_t>(next - text_.data());
    }

    // True when the text at at is word followed by a blank.
    // True when the text at at is the field's name followed by a blank;
    // with sixteen bytes to read, without a branch on the name's length.
    [[gnu::always_inline]] static bool startsWithName(const char* at, const char* end, const PaddedName& padded,
                                                      std::string_view name)
    {
        if (!padded.fits || end - at < 16)
            return startsWithWord(at, end, name);
        std::uint64_t low;
        std::uint64_t high;
        std::memcpy(&low, at, 8);
        std::memcpy(&high, at + 8, 8);
        // A tab after the name is as good as the blank; the general check
        // takes that rare case.
        if ((((low ^ padded.low) & padded.lowMask) | ((high ^ padded.high) & padded.highMask)) == 0)
            return true;
        return at[0] == name[0] && startsWithWord(at, end, name);
    }

    [[gnu::always_inline]] static bool startsWithWord(const char* at, const char* end, std::string_view word)
    {
        return static_cast<std::size_t>(end - at) > word.size() && sameBytes(at, word.data(), word.size()) &&
               isBlank(at[word.size()]);
    }

    // Past the end of a line that has only blanks and a comment left, or
    // null; a line longer than any line may be goes to the general reading.
    [[gnu::always_inline]] static const char* lineEnd(const char* at, const char* end, const char* lineStart)
    {
        if (at < end && *at == '\n')
            return static_cast<std::size_t>(at - lineStart) > MaxLineBytes ? nullptr : at + 1;
        while (at < end && isBlank(*at))
            ++at;
        const char* newline = at;
        if (at < end && *at == '#')
            newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<std::size_t>(end - at)));
        else if (at < end && *at != '\n')
            return nullptr;
        if (newline == nullptr || newline == end)
            newline = end;
        if (static_cast<std::size_t>(newline - lineStart) > MaxLineBytes)
            return nullptr;
        return newline == end ? end : newline + 1;
    }

    void halfLife(const FieldLayout& field)
    {
        if (tokens_.size() != 3) {
            error(tokens_[0], "half-life: takes a chemical and its half-life (half-life CHEMICAL 0-255)");
            return;
        }
        // Half-lives mostly come in chemical order.
        const int next = block_.lastChemical + 1;
        const auto chemicalNumber = next < 256 && chemicals_.names(static_cast<std::uint8_t>(next), tokens_[1])
                                        ? std::optional<std::uint8_t>(static_cast<std::uint8_t>(next))
                                        : chemical(tokens_[1], "half-life");
        const auto value = number(tokens_[2], "half-life");
        if (!chemicalNumber)
            return;
        std::size_t& given = block_.halfLifeGiven[*chemicalNumber];
        if (given != 0) {
            error(tokens_[1], "half-life of chemical " + std::to_string(*chemicalNumber) +
                                  " is given twice (first on line " + std::to_string(given) + ")");
            return;
        }
        given = lineNumber_;
        block_.lastChemical = *chemicalNumber;
        if (value)
            block_.body[field.offset + *chemicalNumber] = *value;
    }

    std::string_view text_;
    const ChemicalWords& chemicals_;
    const KindIndexes& indexes_ = kindIndexes();
    std::size_t maxTextBytes_;
    std::vector<GenomeTextError> errors_;
    std::vector<Token> tokens_;
    std::string escaped_;
    std::string out_;
    std::string trailing_;
    Block block_;
    Stage stage_ = Stage::Format;
    std::size_t lineNumber_ = 0;
    std::size_t endLine_ = 0;
    bool endMarker_ = false;
    bool stopped_ = false;
};

} // namespace

CompiledGenome compileGenomeText(std::string_view text, const GenomeTextChemicals& chemicals, std::size_t maxTextBytes)
{
    return Compiler(text, chemicals.words(), maxTextBytes).run();
}

CompiledGenome compileGenomeText(std::string_view text, const ChemicalNameTable& chemicals, std::size_t maxTextBytes)
{
    return compileGenomeText(text, GenomeTextChemicals(chemicals), maxTextBytes);
}

std::string genomeTextErrorLines(std::string_view file, const std::vector<GenomeTextError>& errors)
{
    std::string out;
    const std::string name = escapedForMessage(file);
    for (const GenomeTextError& e : errors)
        appendPieces(out, name, ":", e.line, ":", e.column, ": ", e.message, "\n");
    return out;
}

} // namespace helixplot
