// SPDX-License-Identifier: GPL-3.0-or-later
#include "populationGenerator.h"

#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"
#include "sampleGenerator.h"
#include "sampleRng.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <set>
#include <stdexcept>
#include <string_view>

namespace helixplot::samples {

namespace {

using Genome = std::vector<GeneRecord>; // in file order

std::uint32_t keyOf(const GeneRecord& gene)
{
    return std::uint32_t{gene.header.type} << 16 | std::uint32_t{gene.header.subtype} << 8 | gene.header.id;
}

bool isGenus(const GeneRecord& gene)
{
    return gene.header.type == 2 && gene.header.subtype == 1;
}

// The genes of a genome file in file order (the reader sorts them onto organs).
Genome genesOf(std::string_view bytes)
{
    Genome genome;
    std::size_t at = 4;
    while (at + 4 <= bytes.size() && bytes.substr(at, 4) != "gend") {
        GeneRecord gene{};
        std::memcpy(&gene, bytes.data() + at, 11);
        const std::size_t length = bodyLength(gene.header.type, gene.header.subtype);
        std::memcpy(gene.body.data(), bytes.data() + at + 11, length);
        genome.push_back(gene);
        at += 11 + length;
    }
    return genome;
}

std::string bytesOf(const Genome& genome)
{
    testing::GenomeBuilder builder;
    builder.add(genome).end();
    return builder.bytes();
}

void setParents(Genome& genome, std::string_view mother, std::string_view father)
{
    GeneRecord& genus = genome.front();
    if (!isGenus(genus))
        throw std::logic_error("a population genome starts with its genus gene");
    std::fill(genus.body.begin() + 1, genus.body.begin() + 9, 0);
    std::copy(mother.begin(), mother.end(), genus.body.begin() + 1);
    std::copy(father.begin(), father.end(), genus.body.begin() + 5);
}

const GeneRecord* withKey(const Genome& genome, std::uint32_t key)
{
    for (const GeneRecord& gene : genome)
        if (keyOf(gene) == key)
            return &gene;
    return nullptr;
}

bool sameBody(const GeneRecord& a, const GeneRecord& b)
{
    const std::size_t length = bodyLength(a.header.type, a.header.subtype);
    return std::equal(a.body.begin(), a.body.begin() + length, b.body.begin());
}

// A copying error: one body byte off by 1 to 255.
void changeBody(GeneRecord& gene, Rng& rng)
{
    const int length = static_cast<int>(bodyLength(gene.header.type, gene.header.subtype));
    auto& byte = gene.body[static_cast<std::size_t>(rng.range(0, length - 1))];
    byte = static_cast<std::uint8_t>(byte + rng.range(1, 255));
}

std::size_t organsOf(const Genome& genome)
{
    return static_cast<std::size_t>(std::count_if(genome.begin(), genome.end(), [](const GeneRecord& g) {
        return (g.header.type == 3 && g.header.subtype == 0) || (g.header.type == 0 && g.header.subtype == 1);
    }));
}

// Four-letter names, consonant, vowel, consonant, consonant (then any four
// letters and digits), handed out in a scattered order so that file order
// says nothing of the family.
class Names {
public:
    explicit Names(std::set<std::string> taken) : taken_(std::move(taken)) {}

    std::string next()
    {
        static constexpr std::string_view Consonants = "bcdfghklmnprstvw";
        static constexpr std::string_view Vowels = "aeiou";
        constexpr std::uint32_t Count = 16 * 5 * 16 * 16;
        while (issued_ < Count) {
            std::uint32_t n = (issued_++ * 7919u) % Count; // 7919 is prime to Count
            std::string name;
            name += Consonants[n % 16];
            n /= 16;
            name += Vowels[n % 5];
            n /= 5;
            name += Consonants[n % 16];
            n /= 16;
            name += Consonants[n % 16];
            if (taken_.insert(name).second)
                return name;
        }
        // Beyond them, for populations of a long-running world: any four of
        // lower-case letters and digits, the same way scattered.
        static constexpr std::string_view Characters = "abcdefghijklmnopqrstuvwxyz0123456789";
        constexpr std::uint32_t More = 36 * 36 * 36 * 36;
        while (issued_ - Count < More) {
            auto n =
                static_cast<std::uint32_t>(std::uint64_t{issued_++ - Count} * 7919u % More); // 7919 is prime to More
            std::string name;
            for (int i = 0; i < 4; ++i, n /= 36)
                name += Characters[n % 36];
            if (taken_.insert(name).second)
                return name;
        }
        throw std::length_error("population too large for its names");
    }

private:
    std::set<std::string> taken_;
    std::uint32_t issued_ = 0;
};

struct Held {
    PopulationMember member;
    std::string bytes;
};

class Breeder {
public:
    Breeder(const std::string& folder, const PopulationOptions& options)
        : folder_(folder), options_(options), rng_(options.seed), names_(reservedNames())
    {
    }

    std::vector<PopulationMember> run()
    {
        std::filesystem::create_directories(folder_);
        rounds_.emplace_back();
        addFounders();
        for (int round = 1; round <= options_.rounds; ++round) {
            rounds_.emplace_back();
            for (int i = 0; i < options_.perRound; ++i)
                addBirth();
            if (rounds_.size() > 3)
                rounds_.pop_front();
        }
        return std::move(members_);
    }

private:
    // Every name the samples' genus genes hold, and the missing father's.
    static std::set<std::string> reservedNames()
    {
        std::set<std::string> names = {std::string(MissingFather)};
        for (const SampleFile& file : generateSamples()) {
            if (file.name.size() < 4 || file.name.substr(file.name.size() - 4) != ".gen")
                continue;
            names.insert(file.name.substr(0, file.name.size() - 4));
            const Genome genome = genesOf(file.bytes);
            const GeneRecord& genus = genome.front();
            for (std::size_t start : {1u, 5u}) {
                std::string name;
                for (std::size_t i = start; i < start + 4 && genus.body[i] != 0; ++i)
                    name += static_cast<char>(genus.body[i]);
                names.insert(name);
            }
        }
        return names;
    }

    void keep(PopulationMember member, const Genome& genome)
    {
        member.genes = genome.size();
        member.organs = organsOf(genome);
        std::string bytes = bytesOf(genome);
        testing::writeFile((std::filesystem::path(folder_) / (member.name + ".gen")).string(), bytes);
        members_.push_back(member);
        rounds_.back().push_back({std::move(member), std::move(bytes)});
    }

    void addFounders()
    {
        std::vector<SampleFile> unrelated;
        for (SampleFile& file : generateSamples())
            if (file.name == MotherFile || file.name == FatherFile || file.name == FirstComparatorFile ||
                file.name == SecondComparatorFile)
                unrelated.push_back(std::move(file));
        for (int i = 0; i < options_.founders; ++i) {
            const SampleFile& sample = unrelated[static_cast<std::size_t>(i) % unrelated.size()];
            Genome genome = genesOf(sample.bytes);
            PopulationMember member;
            member.founder = true;
            if (i < static_cast<int>(unrelated.size())) {
                member.name = sample.name.substr(0, 4);
            } else {
                // Set apart from the sample it copies; its parents unnamed.
                member.name = names_.next();
                for (GeneRecord& gene : genome)
                    if (!isGenus(gene) && bodyLength(gene.header.type, gene.header.subtype) > 0 && rng_.chance(10))
                        changeBody(gene, rng_);
                setParents(genome, "", "");
            }
            keep(std::move(member), genome);
        }
    }

    const Held& pickParent(bool older)
    {
        const auto& round = older && rounds_.size() >= 3 ? rounds_[rounds_.size() - 3] : rounds_[rounds_.size() - 2];
        return round[static_cast<std::size_t>(rng_.range(0, static_cast<int>(round.size()) - 1))];
    }

    void addBirth()
    {
        // Now and then both parents from the round before last.
        const bool older = rng_.chance(15);
        const Held* mother = &pickParent(older);
        const Held* father = &pickParent(older);
        for (int tries = 0; father == mother && tries < 20; ++tries)
            father = &pickParent(older);
        const Genome motherGenes = genesOf(mother->bytes);
        const Genome fatherGenes = genesOf(father->bytes);

        PopulationMember member;
        member.name = names_.next();
        member.mother = mother->member.name;
        member.father = father->member.name;
        member.fatherMissing = rng_.chance(4);
        member.generation = 1 + (member.fatherMissing ? mother->member.generation
                                                      : std::max(mother->member.generation, father->member.generation));

        // Runs of genes from one parent, then the other; the father's own
        // genes at the end.
        std::map<std::uint32_t, const GeneRecord*> fathersByKey;
        for (const GeneRecord& gene : fatherGenes)
            fathersByKey.emplace(keyOf(gene), &gene);
        Genome child;
        bool fromFather = false;
        std::set<std::uint32_t> inMother;
        for (const GeneRecord& gene : motherGenes) {
            inMother.insert(keyOf(gene));
            if (rng_.chance(5))
                fromFather = !fromFather;
            const auto fathers = fathersByKey.find(keyOf(gene));
            child.push_back(fromFather && fathers != fathersByKey.end() ? *fathers->second : gene);
        }
        for (const GeneRecord& gene : fatherGenes)
            if (inMother.count(keyOf(gene)) == 0)
                child.push_back(gene);
        setParents(child, member.mother, member.fatherMissing ? MissingFather : member.father);

        // Sometimes a gene lost, sometimes a new instinct no parent has.
        if (rng_.chance(10)) {
            const auto at = static_cast<std::size_t>(rng_.range(1, static_cast<int>(child.size()) - 1));
            child.erase(child.begin() + static_cast<std::ptrdiff_t>(at));
        }
        if (rng_.chance(10)) {
            for (int id = 255; id > 160; --id) {
                GeneRecord fresh = child.back();
                fresh.header = {2, 5, static_cast<std::uint8_t>(id), 0, 0, 1, 0};
                fresh.body = {};
                fresh.body[6] = static_cast<std::uint8_t>(rng_.range(0, 15));
                if (!withKey(child, keyOf(fresh)) && !withKey(motherGenes, keyOf(fresh)) &&
                    !withKey(fatherGenes, keyOf(fresh))) {
                    child.push_back(fresh);
                    break;
                }
            }
        }

        // Copying errors, each leaving the gene unlike every parent's.
        const int changes = rng_.range(0, options_.maxMutations);
        std::set<std::size_t> changed;
        while (static_cast<int>(changed.size()) < changes) {
            const auto at = static_cast<std::size_t>(rng_.range(1, static_cast<int>(child.size()) - 1));
            GeneRecord& gene = child[at];
            if (isGenus(gene) || bodyLength(gene.header.type, gene.header.subtype) == 0 || changed.count(at))
                continue;
            const GeneRecord* m = withKey(motherGenes, keyOf(gene));
            const GeneRecord* f = member.fatherMissing ? nullptr : withKey(fatherGenes, keyOf(gene));
            if (!m && !f)
                continue; // new to the child: no parent to differ from
            do
                changeBody(gene, rng_);
            while ((m && sameBody(*m, gene)) || (f && sameBody(*f, gene)));
            changed.insert(at);
            member.mutatedKeys.push_back(keyOf(gene));
        }
        std::sort(member.mutatedKeys.begin(), member.mutatedKeys.end());

        member.mutatedGenes = member.mutatedKeys.size();
        const GeneRecord& genus = child.front();
        if (!sameBody(motherGenes.front(), genus) && (member.fatherMissing || !sameBody(fatherGenes.front(), genus)))
            ++member.mutatedGenes;
        keep(std::move(member), child);
    }

    static constexpr std::string_view MissingFather = "lost";

    const std::string& folder_;
    const PopulationOptions& options_;
    Rng rng_;
    Names names_;
    std::vector<PopulationMember> members_;
    // The rounds that may still be parents, the newest last.
    std::deque<std::vector<Held>> rounds_;
};

} // namespace

std::vector<PopulationMember> writePopulation(const std::string& folder, const PopulationOptions& options)
{
    if (options.founders < 2 || options.rounds < 0 || (options.rounds > 0 && options.perRound < 1) ||
        options.maxMutations < 0)
        throw std::invalid_argument("a population needs two founders and a birth in every round");
    return Breeder(folder, options).run();
}

} // namespace helixplot::samples
