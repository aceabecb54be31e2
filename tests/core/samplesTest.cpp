// SPDX-License-Identifier: GPL-3.0-or-later
#include "sampleGenerator.h"

#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <tuple>

namespace helixplot {
namespace {

namespace fs = std::filesystem;

const std::string SamplesDir = std::string(HELIXPLOT_SOURCE_DIR) + "/samples/";

const char* const GenomeFiles[] = {samples::MotherFile, samples::FatherFile, samples::ChildFile,
                                   samples::FirstComparatorFile, samples::SecondComparatorFile};

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

using Key = std::tuple<int, int, int>;

Key keyOf(const GeneRecord& gene)
{
    return {gene.header.type, gene.header.subtype, gene.header.id};
}

bool isKind(const GeneRecord& gene, int type, int subtype)
{
    return gene.header.type == type && gene.header.subtype == subtype;
}

bool sameBody(const GeneRecord& a, const GeneRecord& b)
{
    const std::size_t length = bodyLength(a.header.type, a.header.subtype);
    return std::equal(a.body.begin(), a.body.begin() + static_cast<std::ptrdiff_t>(length), b.body.begin());
}

bool sameHeader(const GeneRecord& a, const GeneRecord& b)
{
    return a.header.lifeStage == b.header.lifeStage && a.header.flags == b.header.flags &&
           a.header.headerValue == b.header.headerValue;
}

// Where a gene sits in its genome.
enum class Place { Loose, Organ, Attached };

struct Located {
    GeneRecord gene;
    Place place;
};

std::map<Key, Located> genesByKey(const TGeneticsFile& genome)
{
    std::map<Key, Located> genes;
    for (const GeneRecord& gene : genome.GeneList())
        genes.emplace(keyOf(gene), Located{gene, Place::Loose});
    for (const TCOrgan& organ : genome.OrganList()) {
        genes.emplace(keyOf(organ.OrganGene), Located{organ.OrganGene, Place::Organ});
        for (const GeneRecord& gene : organ.GeneList)
            genes.emplace(keyOf(gene), Located{gene, Place::Attached});
    }
    return genes;
}

std::string genusName(const GeneRecord& genus, std::size_t first)
{
    std::string name;
    for (std::size_t i = first; i < first + 4 && genus.body[i] != 0; ++i)
        name += static_cast<char>(genus.body[i]);
    return name;
}

TEST(Samples, CommittedFilesAreExactlyWhatTheGeneratorWrites)
{
    testing::TempDir dir;
    const auto written = samples::writeSamples(dir.path());

    std::set<std::string> names;
    for (const auto& file : written) {
        SCOPED_TRACE(file.name);
        names.insert(file.name);
        EXPECT_TRUE(readAll(dir.file(file.name)) == file.bytes);
        ASSERT_TRUE(fs::exists(SamplesDir + file.name)) << "run make-samples samples";
        EXPECT_TRUE(readAll(SamplesDir + file.name) == file.bytes) << "samples/ is stale: run make-samples samples";
    }
    EXPECT_EQ(names, (std::set<std::string>{"nela.gen", "orvo.gen", "tibb.gen", "quin.gen", "yeva.gen",
                                            "allchemicals.str", "settings.ini"}));

    // A second run gives the same bytes: nothing depends on time or state.
    const auto again = samples::generateSamples();
    ASSERT_EQ(again.size(), written.size());
    for (std::size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(again[i].name == written[i].name && again[i].bytes == written[i].bytes) << again[i].name;

    // No leftovers of an earlier generation in the folder.
    for (const auto& entry : fs::directory_iterator(SamplesDir)) {
        const std::string name = entry.path().filename().string();
        EXPECT_TRUE(name == "README.md" || names.count(name) == 1) << "unexpected file samples/" << name;
    }
}

class SampleGenome : public ::testing::TestWithParam<const char*> {};

TEST_P(SampleGenome, HasTheSizeAndMixOfARealGenome)
{
    const std::string path = SamplesDir + GetParam();
    const TGeneticsFile genome(path);
    EXPECT_EQ(readAll(path).substr(readAll(path).size() - 4), "gend");

    EXPECT_GE(genome.geneCount(), 600u);
    EXPECT_LE(genome.geneCount(), 1000u);

    int organs = 0, brains = 0;
    std::set<int> brainLobes;
    for (const TCOrgan& organ : genome.OrganList()) {
        if (isKind(organ.OrganGene, 3, 0))
            ++organs;
        if (isKind(organ.OrganGene, 0, 1)) {
            ++brains;
            for (const GeneRecord& gene : organ.GeneList)
                if (isKind(gene, 0, 0))
                    brainLobes.insert(gene.header.id);
        }
    }
    EXPECT_GE(organs, 15);
    EXPECT_LE(organs, 25);
    EXPECT_EQ(brains, 1);
    for (int id = 1; id <= 10; ++id)
        EXPECT_EQ(brainLobes.count(id), 1u) << "lobe " << id;
    EXPECT_GT(brainLobes.size(), 10u);

    ASSERT_FALSE(genome.GeneList().empty());
    const GeneRecord& genus = genome.GeneList().front();
    EXPECT_TRUE(isKind(genus, 2, 1));
    EXPECT_EQ(genusName(genus, 1).size(), 4u);
    EXPECT_EQ(genusName(genus, 5).size(), 4u);

    // One gene per key: a comparison finds only the first of a key.
    std::map<Key, int> keys;
    std::set<std::pair<int, int>> kinds;
    std::set<int> stages, values;
    int flagBits = 0, oddStages = 0;
    genome.forEachGene([&](const GeneRecord& gene) {
        ++keys[keyOf(gene)];
        kinds.insert({gene.header.type, gene.header.subtype});
        flagBits |= gene.header.flags;
        if (gene.header.lifeStage <= 6)
            stages.insert(gene.header.lifeStage);
        else
            ++oddStages;
        values.insert(gene.header.headerValue);
    });
    for (const auto& [key, count] : keys)
        EXPECT_EQ(count, 1) << std::get<0>(key) << "," << std::get<1>(key) << "," << std::get<2>(key);
    EXPECT_EQ(kinds.size(), 16u) << "every kind of gene";
    EXPECT_EQ(flagBits, 0xFF) << "every flag bit";
    EXPECT_EQ(stages.size(), 7u) << "every life stage";
    EXPECT_GT(oddStages, 0) << "a life stage without a name";
    EXPECT_EQ(values.count(0), 1u);
    EXPECT_EQ(values.count(255), 1u);
    EXPECT_GT(values.size(), 20u);
}

INSTANTIATE_TEST_SUITE_P(Samples, SampleGenome, ::testing::ValuesIn(GenomeFiles));

TEST(Samples, ChildNamesItsParentsWhoseFilesAreBesideIt)
{
    const std::string childPath = SamplesDir + samples::ChildFile;
    const TGeneticsFile child(childPath);
    const GeneRecord& genus = child.GeneList().front();
    ASSERT_TRUE(isKind(genus, 2, 1));

    const std::string motherPath = directoryOf(childPath) + genusName(genus, 1) + ".gen";
    const std::string fatherPath = directoryOf(childPath) + genusName(genus, 5) + ".gen";
    EXPECT_EQ(motherPath, SamplesDir + samples::MotherFile);
    EXPECT_EQ(fatherPath, SamplesDir + samples::FatherFile);
    EXPECT_TRUE(fileExists(motherPath));
    EXPECT_TRUE(fileExists(fatherPath));

    // The parents name grandparents that are no sample of ours.
    for (const std::string& parent : {motherPath, fatherPath}) {
        const GeneRecord parentGenus = TGeneticsFile(parent).GeneList().front();
        for (std::size_t first : {1u, 5u}) {
            const std::string stem = genusName(parentGenus, first);
            EXPECT_EQ(stem.size(), 4u);
            EXPECT_FALSE(fileExists(SamplesDir + stem + ".gen")) << stem;
        }
    }
}

TEST(Samples, ChildIsMutatedLacksAndAddsGenesAgainstItsParents)
{
    const TGeneticsFile child(SamplesDir + samples::ChildFile);
    const auto childGenes = genesByKey(child);
    const auto mother = genesByKey(TGeneticsFile(SamplesDir + samples::MotherFile));
    const auto father = genesByKey(TGeneticsFile(SamplesDir + samples::FatherFile));

    int differsFromBoth = 0, differsFromOneOnly = 0;
    int headerOnly = 0, additional = 0;
    for (const auto& [key, gene] : childGenes) {
        const auto m = mother.find(key);
        const auto f = father.find(key);
        const bool inMother = m != mother.end(), inFather = f != father.end();
        if (!inMother && !inFather) {
            ++additional;
            continue;
        }
        const bool fromMother = inMother && !sameBody(m->second.gene, gene.gene);
        const bool fromFather = inFather && !sameBody(f->second.gene, gene.gene);
        if (inMother && inFather && fromMother && fromFather)
            ++differsFromBoth;
        else if (inMother && inFather && fromMother != fromFather)
            ++differsFromOneOnly;
        if ((inMother && !fromMother && !sameHeader(m->second.gene, gene.gene)) ||
            (inFather && !fromFather && !sameHeader(f->second.gene, gene.gene)))
            ++headerOnly;
    }
    EXPECT_GE(differsFromBoth, 5);
    EXPECT_GE(differsFromOneOnly, 5);
    EXPECT_GE(headerOnly, 3);
    EXPECT_GE(additional, 5);

    // Missing genes, counted by where the parent holds them.
    auto missing = [&](const std::map<Key, Located>& parent, const std::map<Key, Located>& other) {
        std::map<Place, int> lost, lostFromThisParentOnly;
        for (const auto& [key, gene] : parent)
            if (childGenes.count(key) == 0) {
                ++lost[gene.place];
                if (other.count(key) == 0)
                    ++lostFromThisParentOnly[gene.place];
            }
        return std::pair{lost, lostFromThisParentOnly};
    };
    for (const auto& [parent, other, name] :
         {std::tuple{&mother, &father, "mother"}, std::tuple{&father, &mother, "father"}}) {
        SCOPED_TRACE(name);
        auto [lost, ownLost] = missing(*parent, *other);
        EXPECT_GE(lost[Place::Loose], 2);
        EXPECT_GE(lost[Place::Attached], 2);
        EXPECT_GE(ownLost[Place::Loose], 1);
        EXPECT_GE(ownLost[Place::Attached], 1);
    }

    // Orphans: a receptor and a lobe before any organ stay loose.
    bool orphanReceptor = false, orphanLobe = false;
    for (const GeneRecord& gene : child.GeneList()) {
        orphanReceptor |= isKind(gene, 1, 0);
        orphanLobe |= isKind(gene, 0, 0);
    }
    EXPECT_TRUE(orphanReceptor);
    EXPECT_TRUE(orphanLobe);
    EXPECT_TRUE(isKind(child.GeneList()[1], 1, 0) || isKind(child.GeneList()[1], 0, 0));
}

TEST(Samples, ComparatorsAreOfTheKindButNoKin)
{
    const TGeneticsFile child(SamplesDir + samples::ChildFile);
    const auto childGenes = genesByKey(child);
    std::set<std::string> family = {"nela", "orvo", "tibb"};
    for (const char* file : {samples::FirstComparatorFile, samples::SecondComparatorFile}) {
        SCOPED_TRACE(file);
        const TGeneticsFile comparator(SamplesDir + file);
        const GeneRecord& genus = comparator.GeneList().front();
        EXPECT_EQ(family.count(genusName(genus, 1)), 0u);
        EXPECT_EQ(family.count(genusName(genus, 5)), 0u);
        int shared = 0, differing = 0;
        for (const auto& [key, gene] : genesByKey(comparator)) {
            const auto c = childGenes.find(key);
            if (c == childGenes.end())
                continue;
            ++shared;
            differing += sameBody(c->second.gene, gene.gene) ? 0 : 1;
        }
        EXPECT_GT(shared, static_cast<int>(child.geneCount()) * 9 / 10);
        EXPECT_GT(differing, 50);
        EXPECT_LT(differing, shared / 2);
    }
}

// The child shows every fallback text of the decoders somewhere.
TEST(Samples, ChildHoldsValuesNoTableNames)
{
    const TGeneticsFile child(SamplesDir + samples::ChildFile);
    std::map<std::string, int> seen;
    child.forEachGene([&](const GeneRecord& gene) {
        const auto& b = gene.body;
        if (isKind(gene, 0, 0)) {
            if (gene.header.id < 1 || gene.header.id > 10)
                ++seen["lobe id"];
            for (std::size_t rule : {9u, 22u + 14, 22u + 27, 22u + 39, 22u + 51, 22u + 63, 22u + 75})
                for (std::size_t i = 0; i < 12 && b[rule + i] != 0; ++i)
                    if (b[rule + i] > 41)
                        ++seen["rule token"];
            if (b[4] > 2)
                ++seen["perception link"];
            if (b[21] > 1)
                ++seen["cell flags"];
            if (b[22 + 3] > 3 || b[109 + 3] > 3)
                ++seen["spread pattern"];
            if (b[22 + 9] > 2 || b[109 + 9] > 2)
                ++seen["migration"];
            if (b[22] > 7 || b[109] > 7)
                ++seen["dendrite source"];
        }
        if (isKind(gene, 3, 0) && (gene.header.id < 1 || gene.header.id > 20))
            ++seen["organ id"];
        if ((isKind(gene, 1, 0) || isKind(gene, 1, 1)) &&
            (b[0] > 2 || (b[0] == 0 && b[2] > (isKind(gene, 1, 0) ? 58 : 42)) || (b[0] == 1 && b[1] > 5)))
            ++seen["locus"];
        if (isKind(gene, 1, 2) && b[5] == 0 && b[7] == 0)
            ++seen["total breakdown"];
        if (isKind(gene, 2, 0) && b[0] > 45)
            ++seen["stimulus"];
        if (isKind(gene, 2, 0) && b[2] > 32)
            ++seen["sensory neuron"];
        if (isKind(gene, 2, 2) && (b[0] > 4 || b[2] > 3))
            ++seen["appearance"];
        if (isKind(gene, 2, 4) && b[0] > 15)
            ++seen["gait"];
        if (isKind(gene, 2, 4) && b[1] == 0)
            ++seen["gait without poses"];
        if (isKind(gene, 2, 3) && std::none_of(b.begin() + 1, b.begin() + 16, [](std::uint8_t c) { return c == 0; }))
            ++seen["full pose text"];
        if (isKind(gene, 2, 5) && b[6] > 15)
            ++seen["action"];
        if (isKind(gene, 2, 5) && (b[0] > 7 || b[2] > 7 || b[4] > 7))
            ++seen["instinct lobe"];
        if (isKind(gene, 2, 6) && b[0] > 2)
            ++seen["pigment colour"];
    });
    for (const char* what :
         {"lobe id", "rule token", "perception link", "cell flags", "spread pattern", "migration", "dendrite source",
          "organ id", "locus", "total breakdown", "stimulus", "sensory neuron", "appearance", "gait",
          "gait without poses", "full pose text", "action", "instinct lobe", "pigment colour"})
        EXPECT_GT(seen[what], 0) << what;
}

TEST(Samples, ChemicalNamesLoadWithAFewNameless)
{
    const std::string path = SamplesDir + samples::ChemicalsFile;
    ChemicalNameTable names;
    loadChemicalNames(path, names);

    std::size_t stored = 2;
    int nameless = 0;
    std::set<std::string> distinct;
    for (std::size_t i = 0; i < names.size(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_FALSE(names[i].empty());
        if (names[i] == "<" + std::to_string(i) + ">") {
            ++nameless;
            stored += 1;
            continue;
        }
        EXPECT_TRUE(std::all_of(names[i].begin(), names[i].end(), [](char c) { return c >= ' ' && c <= '~'; }));
        EXPECT_TRUE(distinct.insert(names[i]).second) << names[i];
        stored += 1 + names[i].size();
    }
    EXPECT_GE(nameless, 2);
    EXPECT_LE(nameless, 8);
    EXPECT_EQ(readAll(path).size(), stored) << "nothing after the last name";
}

#ifndef _WIN32
TEST(Samples, SettingsPointAtTheSampleFolder)
{
    const Settings settings = readSettingsFile(SamplesDir + samples::SettingsFile);
    ASSERT_FALSE(settings.mainDirectory.empty());
    EXPECT_EQ(settings.mainDirectory.back(), '/');
    EXPECT_TRUE(fileExists(settings.chemicalFilePath()));
    EXPECT_TRUE(fileExists((fs::path(settings.geneticsDirectory) / samples::ChildFile).string()));
    EXPECT_TRUE(fs::equivalent(settings.geneticsDirectory, SamplesDir));
}
#endif

} // namespace
} // namespace helixplot
