// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/displayTree.h"
#include "mapping/geneChange.h"
#include "mapping/mappingRun.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot::cli {

// Writes one JSON document to a stream as it goes, node by node, so that a
// document never has to fit in memory: the layout is one blank of indent a
// level, as nlohmann's dump(1) gives, and the document ends with a line end.
class JsonWriter {
public:
    explicit JsonWriter(std::FILE* stream) : stream_(stream) {}
    JsonWriter(const JsonWriter&) = delete;
    JsonWriter& operator=(const JsonWriter&) = delete;

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }
    void key(std::string_view name);
    // UTF-8 text.
    void string(std::string_view utf8);
    // Bytes from a genome file or a name, by the one rule of textEncoding.h.
    void text(std::string_view bytes);
    void path(std::string_view bytes);
    void number(std::uint64_t value);
    void boolean(bool value);
    void null();
    // A member of the object at hand: its key, then its value.
    void stringField(std::string_view name, std::string_view utf8)
    {
        key(name);
        string(utf8);
    }
    void textField(std::string_view name, std::string_view bytes)
    {
        key(name);
        text(bytes);
    }
    void pathField(std::string_view name, std::string_view bytes)
    {
        key(name);
        path(bytes);
    }
    void numberField(std::string_view name, std::uint64_t value)
    {
        key(name);
        number(value);
    }
    void booleanField(std::string_view name, bool value)
    {
        key(name);
        boolean(value);
    }
    // Ends the document; throws when the stream could not take it.
    void finish();

private:
    struct Level {
        bool empty = true;
    };
    void beforeValue();
    void appendEscaped(std::string_view utf8);
    void open(char bracket);
    void close(char bracket);
    void newLine();
    void flushIfFull();

    std::FILE* stream_;
    std::string buffer_;
    std::vector<Level> levels_;
    bool afterKey_ = false;
    bool failed_ = false;
};

// The top-level nodes, each {"text": ..., "children": [...]}.
void writeTree(JsonWriter& json, const DisplayTree& tree);

// {"columns": [4 titles], "rows": [19 x {"caption", "mutated", "maternal",
// "paternal"}]}.
void writeStatistics(JsonWriter& json, const MappingResult& result);

// The pages the run left visible after the statistics, in the order of the
// text output: [{"title": ..., "tree": [...]}].
void writePages(JsonWriter& json, const MappingResult& result);

// [{"header", "type", "subtype", "id", "comparators": [{"file", "differs",
// "lines": [{"change": "same"|"removed"|"added", "text"}], "bytes":
// [{"offset", "comparator", "examined"}]}]}].
void writeChanges(JsonWriter& json, const std::vector<GeneChange>& changes,
                  const std::array<std::string, 2>& comparatorNames);

} // namespace helixplot::cli
