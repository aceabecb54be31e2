// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonOutput.h"

#include "decoder/unitGeneDecoder.h"
#include "genetics/textEncoding.h"
#include "mapping/statistics.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace helixplot::cli {

namespace {

// Written out in blocks of about this size.
constexpr std::size_t BufferBytes = 64 * 1024;

const char* changeName(LineChange change)
{
    switch (change) {
    case LineChange::Same:
        return "same";
    case LineChange::Removed:
        return "removed";
    default:
        return "added";
    }
}

void writeNode(JsonWriter& json, const DisplayTree& tree, NodeId node)
{
    json.beginObject();
    json.textField("text", tree.text(node));
    json.key("children");
    json.beginArray();
    for (NodeId child = tree.firstChild(node); child != NoNode; child = tree.nextSibling(child))
        writeNode(json, tree, child);
    json.endArray();
    json.endObject();
}

} // namespace

void JsonWriter::newLine()
{
    buffer_ += '\n';
    buffer_.append(levels_.size(), ' ');
}

void JsonWriter::beforeValue()
{
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (levels_.empty())
        return;
    if (!levels_.back().empty)
        buffer_ += ',';
    levels_.back().empty = false;
    newLine();
}

void JsonWriter::open(char bracket)
{
    beforeValue();
    buffer_ += bracket;
    levels_.push_back({});
}

void JsonWriter::close(char bracket)
{
    const bool empty = levels_.back().empty;
    levels_.pop_back();
    if (!empty)
        newLine();
    buffer_ += bracket;
    flushIfFull();
}

void JsonWriter::key(std::string_view name)
{
    beforeValue();
    appendEscaped(name);
    buffer_ += ": ";
    afterKey_ = true;
}

void JsonWriter::appendEscaped(std::string_view utf8)
{
    // Escaped as nlohmann's dump() escapes, so the bytes stay what they were
    // when the whole document was built first.
    static constexpr char Hex[] = "0123456789abcdef";
    buffer_ += '"';
    for (const char c : utf8) {
        switch (c) {
        case '"':
            buffer_ += "\\\"";
            break;
        case '\\':
            buffer_ += "\\\\";
            break;
        case '\b':
            buffer_ += "\\b";
            break;
        case '\f':
            buffer_ += "\\f";
            break;
        case '\n':
            buffer_ += "\\n";
            break;
        case '\r':
            buffer_ += "\\r";
            break;
        case '\t':
            buffer_ += "\\t";
            break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                buffer_ += "\\u00";
                buffer_ += Hex[c >> 4];
                buffer_ += Hex[c & 0xF];
            } else {
                buffer_ += c;
            }
        }
    }
    buffer_ += '"';
}

void JsonWriter::string(std::string_view utf8)
{
    beforeValue();
    appendEscaped(utf8);
}

void JsonWriter::text(std::string_view bytes)
{
    if (isUtf8(bytes))
        string(bytes);
    else
        string(latin1ToUtf8(bytes));
}

void JsonWriter::path(std::string_view bytes)
{
    string(utf8Path(bytes));
}

void JsonWriter::number(std::uint64_t value)
{
    beforeValue();
    buffer_ += std::to_string(value);
}

void JsonWriter::boolean(bool value)
{
    beforeValue();
    buffer_ += value ? "true" : "false";
}

void JsonWriter::null()
{
    beforeValue();
    buffer_ += "null";
}

void JsonWriter::flushIfFull()
{
    if (buffer_.size() < BufferBytes)
        return;
    if (!failed_ && std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size())
        failed_ = true;
    buffer_.clear();
}

void JsonWriter::finish()
{
    buffer_ += '\n';
    if (!failed_ && std::fwrite(buffer_.data(), 1, buffer_.size(), stream_) != buffer_.size())
        failed_ = true;
    buffer_.clear();
    if (std::fflush(stream_) != 0)
        failed_ = true;
    if (failed_)
        throw std::runtime_error(std::string("cannot write the output: ") + std::strerror(errno));
}

void writeTree(JsonWriter& json, const DisplayTree& tree)
{
    json.beginArray();
    for (NodeId node = tree.firstTopLevel(); node != NoNode; node = tree.nextSibling(node))
        writeNode(json, tree, node);
    json.endArray();
}

void writeStatistics(JsonWriter& json, const MappingResult& result)
{
    json.beginObject();
    json.key("columns");
    json.beginArray();
    for (std::string_view title : StatisticsColumnTitles)
        json.string(title);
    json.endArray();
    json.key("rows");
    json.beginArray();
    for (std::size_t i = 0; i < StatisticsRowCount; ++i) {
        const StatisticsRow& row = result.statistics[i];
        json.beginObject();
        json.stringField("caption", StatisticsCaptions[i]);
        json.stringField("mutated", row.mutated);
        json.stringField("maternal", row.maternal);
        json.stringField("paternal", row.paternal);
        json.endObject();
    }
    json.endArray();
    json.endObject();
}

void writePages(JsonWriter& json, const MappingResult& result)
{
    json.beginArray();
    auto add = [&](std::string_view title, const DisplayTree& tree) {
        json.beginObject();
        json.stringField("title", title);
        json.key("tree");
        writeTree(json, tree);
        json.endObject();
    };
    if (result.comparisonPagesVisible) {
        add("Mutated genes", result.mutatedGenes);
        add("Missing Genes", result.missingGenes);
        add("Additional Genes", result.additionalGenes);
    }
    add("Genome Breakdown", result.breakdown);
    json.endArray();
}

void writeChanges(JsonWriter& json, const std::vector<GeneChange>& changes,
                  const std::array<std::string, 2>& comparatorNames)
{
    json.beginArray();
    for (const GeneChange& change : changes) {
        const GeneHeader& h = change.examined.header;
        json.beginObject();
        json.textField("header", geneHeaderLine(change.examined));
        json.numberField("type", h.type);
        json.numberField("subtype", h.subtype);
        json.numberField("id", h.id);
        json.key("comparators");
        json.beginArray();
        const std::vector<GeneDiff> diffs = diffChange(change);
        for (std::size_t i = 0; i < diffs.size(); ++i) {
            const ComparatorGene& c = change.comparators[i];
            const GeneDiff& diff = diffs[i];
            json.beginObject();
            json.pathField("file", comparatorNames.at(c.comparator));
            json.booleanField("differs", c.differs);
            json.key("lines");
            json.beginArray();
            for (const DiffLine& line : diff.lines) {
                json.beginObject();
                json.stringField("change", changeName(line.change));
                json.key("text");
                json.text(line.change == LineChange::Removed ? diff.comparatorLines[line.comparatorLine]
                                                             : diff.examinedLines[line.examinedLine]);
                json.endObject();
            }
            json.endArray();
            json.key("bytes");
            json.beginArray();
            for (const ByteChange& b : diff.bytes) {
                json.beginObject();
                json.numberField("offset", b.offset);
                json.numberField("comparator", b.comparatorValue);
                json.numberField("examined", b.examinedValue);
                json.endObject();
            }
            json.endArray();
            json.endObject();
        }
        json.endArray();
        json.endObject();
    }
    json.endArray();
}

} // namespace helixplot::cli
