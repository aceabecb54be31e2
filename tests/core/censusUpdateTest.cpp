// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/censusUpdate.h"

#include "genomeBuilder.h"
#include "populationGenerator.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace helixplot {
namespace {

namespace fs = std::filesystem;

// A change to the folder, then the census brought up to date must equal a
// census taken afresh: rows, links, counts, generations and children.
struct FolderChange {
    const char* name;
    // Given the population's members, changes the folder; returns the files.
    std::vector<std::string> (*apply)(const std::string& folder, const std::vector<samples::PopulationMember>& members);
};

const samples::PopulationMember& aChild(const std::vector<samples::PopulationMember>& members)
{
    for (const auto& member : members)
        if (!member.founder && !member.fatherMissing && !member.mother.empty())
            return member;
    throw std::logic_error("no child with both parents");
}

const FolderChange Changes[] = {
    {"a new child of parents in the folder",
     [](const std::string& folder, const auto& members) {
         fs::copy_file(folder + "/" + aChild(members).name + ".gen", folder + "/zzzz.gen");
         return std::vector<std::string>{"zzzz.gen"};
     }},
    {"a parent removed",
     [](const std::string& folder, const auto& members) {
         const std::string file = aChild(members).mother + ".gen";
         fs::remove(folder + "/" + file);
         return std::vector<std::string>{file};
     }},
    {"a missing parent written",
     [](const std::string& folder, const auto& members) {
         const std::string file = aChild(members).mother + ".gen";
         fs::rename(folder + "/" + file, folder + "/moved.tmp");
         return std::vector<std::string>{file};
     }},
    {"a genome that no longer loads",
     [](const std::string& folder, const auto& members) {
         const std::string file = aChild(members).father + ".gen";
         fs::resize_file(folder + "/" + file, 100);
         return std::vector<std::string>{file};
     }},
    {"a file that is no genome file",
     [](const std::string& folder, const auto& members) {
         fs::copy_file(folder + "/" + members.front().name + ".gen", folder + "/notes.txt");
         return std::vector<std::string>{"notes.txt"};
     }},
    // Its children are counted again against what it holds now.
    {"a parent's content rewritten",
     [](const std::string& folder, const auto& members) {
         const std::string file = aChild(members).mother + ".gen";
         // Removed first: MinGW's copy_file does not overwrite under Wine.
         fs::remove(folder + "/" + file);
         fs::copy_file(folder + "/" + members.back().name + ".gen", folder + "/" + file);
         return std::vector<std::string>{file};
     }},
    {"a burst of copies in and genomes out",
     [](const std::string& folder, const auto& members) {
         std::vector<std::string> files;
         for (std::size_t i = 0; i < 40; ++i) {
             files.push_back("c" + std::to_string(100 + i) + ".gen");
             fs::copy_file(folder + "/" + members[i % members.size()].name + ".gen", folder + "/" + files.back());
         }
         for (const std::string& name : {aChild(members).mother, members.back().name}) {
             fs::remove(folder + "/" + name + ".gen");
             files.push_back(name + ".gen");
         }
         return files;
     }},
};

class CensusUpdateTest : public ::testing::TestWithParam<FolderChange> {};

TEST_P(CensusUpdateTest, EqualsAFreshCensus)
{
    testing::TempDir dir;
    samples::PopulationOptions options;
    options.rounds = 2;
    options.perRound = 5;
    const auto members = samples::writePopulation(dir.path(), options);
    Census census = takeCensus(dir.path());
    const std::vector<std::string> files = GetParam().apply(dir.path(), members);
    if (fs::exists(dir.path() + "/moved.tmp")) {
        // Taken without the parent, then the parent comes back.
        census = takeCensus(dir.path());
        fs::rename(dir.path() + "/moved.tmp", dir.path() + "/" + files[0]);
    }
    if (files.size() == 1) {
        const auto row = updateCensusFile(census, dir.path(), files[0]);
        EXPECT_EQ(row.has_value(), fs::exists(dir.path() + "/" + files[0]) && files[0].ends_with(".gen"));
    } else {
        updateCensusFiles(census, dir.path(), files);
    }
    const Census fresh = takeCensus(dir.path());
    EXPECT_EQ(census.rows, fresh.rows);
}

INSTANTIATE_TEST_SUITE_P(Changes, CensusUpdateTest, ::testing::ValuesIn(Changes), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
});

} // namespace
} // namespace helixplot
