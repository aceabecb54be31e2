#pragma once

// Helpers shared by the mapping tests.

#include "decoder/displayTree.h"
#include "decoder/unitGeneDecoder.h"
#include "mapping/progress.h"

#include <string>
#include <vector>

namespace helixplot::testing {

// Records every call as one string: "showProgress", "beginStage 1 19",
// "setProgressPosition 3", "endStage 2 2", "finishProgress", "pause 500".
class RecordingProgress : public ProgressReporter {
public:
    std::vector<std::string> calls;

    void showProgress() override { calls.push_back("showProgress"); }
    void beginStage(int stage, int maximum) override
    {
        calls.push_back("beginStage " + std::to_string(stage) + " " + std::to_string(maximum));
    }
    void setProgressPosition(int position) override
    {
        calls.push_back("setProgressPosition " + std::to_string(position));
    }
    void endStage(int stage, StageMark mark) override
    {
        calls.push_back("endStage " + std::to_string(stage) + " " + std::to_string(static_cast<int>(mark)));
    }
    void finishProgress() override { calls.push_back("finishProgress"); }
    void pause(int milliseconds) override { calls.push_back("pause " + std::to_string(milliseconds)); }
};

// "setProgressPosition first" to "setProgressPosition last".
inline std::vector<std::string> positions(int first, int last)
{
    std::vector<std::string> out;
    for (int n = first; n <= last; ++n)
        out.push_back("setProgressPosition " + std::to_string(n));
    return out;
}

inline std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts)
{
    std::vector<std::string> out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

// The dump of tree, one line per node.
inline std::string dumpOf(const DisplayTree& tree)
{
    std::string out;
    dumpTree(tree, out, "\n");
    return out;
}

// What decodeGene makes of gene, dumped as if the gene's top node stood at
// depth: the expected text of a gene in a tree, whatever its decoder shows.
inline std::string decodedAt(const GeneRecord& gene, std::size_t depth)
{
    DisplayTree scratch;
    decodeGene(gene, scratch, scratch.root());
    const std::string flat = dumpOf(scratch);
    std::string out;
    std::size_t start = 0;
    while (start < flat.size()) {
        const std::size_t end = flat.find('\n', start);
        out.append(depth, ' ');
        out.append(flat, start, end - start + 1);
        start = end + 1;
    }
    return out;
}

} // namespace helixplot::testing
