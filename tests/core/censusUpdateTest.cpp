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
    // Given the population's members, changes the folder; returns the file.
    std::string (*apply)(const std::string& folder, const std::vector<samples::PopulationMember>& members);
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
         return std::string("zzzz.gen");
     }},
    {"a parent removed",
     [](const std::string& folder, const auto& members) {
         const std::string file = aChild(members).mother + ".gen";
         fs::remove(folder + "/" + file);
         return file;
     }},
    {"a missing parent written",
     [](const std::string& folder, const auto& members) {
         const std::string file = aChild(members).mother + ".gen";
         fs::rename(folder + "/" + file, folder + "/moved.tmp");
         return file;
     }},
    {"a genome that no longer loads",
     [](const std::string& folder, const auto& members) {
         const std::string file = aChild(members).father + ".gen";
         fs::resize_file(folder + "/" + file, 100);
         return file;
     }},
    {"a file that is no genome file",
     [](const std::string& folder, const auto& members) {
         fs::copy_file(folder + "/" + members.front().name + ".gen", folder + "/notes.txt");
         return std::string("notes.txt");
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
    std::string file = GetParam().apply(dir.path(), members);
    if (fs::exists(dir.path() + "/moved.tmp")) {
        // Taken without the parent, then the parent comes back.
        census = takeCensus(dir.path());
        fs::rename(dir.path() + "/moved.tmp", dir.path() + "/" + file);
    }
    const auto row = updateCensusFile(census, dir.path(), file);
    const Census fresh = takeCensus(dir.path());
    EXPECT_EQ(census.rows, fresh.rows);
    EXPECT_EQ(row.has_value(), fs::exists(dir.path() + "/" + file) && file.ends_with(".gen"));
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
