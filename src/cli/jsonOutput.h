#pragma once

#include "decoder/displayTree.h"
#include "mapping/geneChange.h"
#include "mapping/mappingRun.h"

#include <nlohmann/json.hpp>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot::cli {

// Genome texts are single bytes (Latin-1); JSON wants UTF-8.
std::string latin1ToUtf8(std::string_view text);
// A file name as given: kept when it is UTF-8 already, else read as Latin-1.
std::string fileNameText(std::string_view path);

// The top-level nodes, each {"text": ..., "children": [...]}.
nlohmann::ordered_json treeJson(const DisplayTree& tree);

// {"columns": [4 titles], "rows": [19 x {"caption", "mutated", "maternal",
// "paternal"}]}.
nlohmann::ordered_json statisticsJson(const MappingResult& result);

// The pages the run left visible after the statistics, in the order of the
// text output: [{"title": ..., "tree": [...]}].
nlohmann::ordered_json pagesJson(const MappingResult& result);

// [{"header", "type", "subtype", "id", "comparators": [{"file", "differs",
// "lines": [{"change": "same"|"removed"|"added", "text"}], "bytes":
// [{"offset", "comparator", "examined"}]}]}].
nlohmann::ordered_json changesJson(const std::vector<GeneChange>& changes,
                                   const std::array<std::string, 2>& comparatorNames);

} // namespace helixplot::cli
