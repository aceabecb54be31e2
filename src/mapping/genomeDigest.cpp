#include "genomeDigest.h"

#include "genetics/binaryFile.h"
#include "genetics/genomeScan.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace helixplot {

namespace {

constexpr std::size_t KeyCount = GeneKindCount * 256;
constexpr std::uint16_t KeyMask = 0x0FFF;
constexpr unsigned FlagShift = 12;

// Murmur3's finaliser: a bijection, so chained over words it keeps apart
// any two inputs that differ in one word only.
constexpr std::uint64_t mixed(std::uint64_t h)
{
    h ^= h >> 33;
    h *= 0xFF51AFD7ED558CCDull;
    h ^= h >> 33;
    h *= 0xC4CEB9FE1A85EC53ull;
    h ^= h >> 33;
    return h;
}

std::uint16_t packedKey(GeneKind kind, const GeneRecord& gene)
{
    unsigned flags = 0;
    for (std::size_t i = 0; i < StatisticsFlagBits.size(); ++i)
        if (gene.header.flags & StatisticsFlagBits[i])
            flags |= 1u << i;
    return static_cast<std::uint16_t>(gene.header.id | indexOf(kind) << 8 | flags << FlagShift);
}

// Counts gene into the totals, and gives its kind when it has one.
std::optional<GeneKind> countGene(const GeneRecord& gene, GenomeDigest& digest)
{
    ++digest.genes;
    for (std::size_t i = 0; i < StatisticsFlagBits.size(); ++i)
        if (gene.header.flags & StatisticsFlagBits[i])
            ++digest.totals[StatisticsKindRowCount + i];
    const std::optional<GeneKind> kind = gene.kind();
    if (kind)
        ++digest.totals[indexOf(*kind)];
    return kind;
}

} // namespace

std::uint64_t bodyFingerprint(const GeneRecord& gene)
{
    const std::size_t length = bodyLength(gene.header.type, gene.header.subtype);
    // The body past its length is zero, so whole words may be read.
    std::uint64_t word;
    std::memcpy(&word, gene.body.data(), sizeof word);
    if (length <= sizeof word)
        return word;
    std::uint64_t h = mixed(word);
    for (std::size_t at = sizeof word; at < length; at += sizeof word) {
        std::memcpy(&word, gene.body.data() + at, sizeof word);
        h = mixed(h ^ word);
    }
    return h;
}

GenomeDigest GenomeDigester::digest(const std::string& path)
{
    BinaryFile file(path);
    try {
        GenomeDigest digest;
        GeneFingerprints& loose = digest.fingerprints;
        bool sawLoose = false;
        organKeys_.clear();
        organBodies_.clear();
        scanGenome(file, [&](const GeneRecord& gene, GeneSlot slot) {
            const std::optional<GeneKind> kind = countGene(gene, digest);
            if (slot.place == GenePlace::NewOrgan)
                ++digest.organs;
            if (slot.place == GenePlace::Loose && !sawLoose) {
                sawLoose = true;
                if (kind == GeneKind::Genus)
                    digest.genusGene = gene;
            }
            if (!kind)
                return;
            // Within one key, the organs' genes come in file order as in
            // lookup order, and all after the loose genes.
            if (slot.place == GenePlace::Loose) {
                loose.keys.push_back(packedKey(*kind, gene));
                loose.bodies.push_back(bodyFingerprint(gene));
            } else {
                organKeys_.push_back(packedKey(*kind, gene));
                organBodies_.push_back(bodyFingerprint(gene));
            }
        });
        loose.keys.reserve(loose.keys.size() + organKeys_.size());
        loose.keys.insert(loose.keys.end(), organKeys_.begin(), organKeys_.end());
        loose.bodies.reserve(loose.bodies.size() + organBodies_.size());
        loose.bodies.insert(loose.bodies.end(), organBodies_.begin(), organBodies_.end());
        loose.keys.shrink_to_fit();
        loose.bodies.shrink_to_fit();
        return digest;
    } catch (const std::bad_alloc&) {
        throw InOutError(InOutError::Failure::OutOfMemory);
    }
}

GenomeDigest digestOf(const TGeneticsFile& genome)
{
    GenomeDigest digest;
    auto add = [&](const GeneRecord& gene) {
        if (const std::optional<GeneKind> kind = countGene(gene, digest)) {
            digest.fingerprints.keys.push_back(packedKey(*kind, gene));
            digest.fingerprints.bodies.push_back(bodyFingerprint(gene));
        }
    };
    for (const GeneRecord& gene : genome.GeneList())
        add(gene);
    for (const TCOrgan& organ : genome.OrganList()) {
        add(organ.OrganGene);
        for (const GeneRecord& gene : organ.GeneList)
            add(gene);
    }
    digest.organs = genome.OrganList().size();
    const auto& loose = genome.GeneList();
    if (!loose.empty() && loose.front().is(GeneKind::Genus))
        digest.genusGene = loose.front();
    return digest;
}

MutationCounter::MutationCounter() : mother_(KeyCount), father_(KeyCount) {}

void MutationCounter::fill(const GeneFingerprints& genes, std::vector<Slot>& table) const
{
    for (std::size_t i = 0; i < genes.keys.size(); ++i) {
        Slot& slot = table[genes.keys[i] & KeyMask];
        // The first gene of a key in lookup order is the one matched.
        if (slot.stamp != stamp_)
            slot = {stamp_, genes.bodies[i]};
    }
}

StatisticsTotals MutationCounter::count(const GeneFingerprints& examined, const GeneFingerprints& mother,
                                        const GeneFingerprints& father)
{
    if (++stamp_ == 0) {
        // Stamps have gone round: forget every old one.
        std::fill(mother_.begin(), mother_.end(), Slot{});
        std::fill(father_.begin(), father_.end(), Slot{});
        stamp_ = 1;
    }
    fill(mother, mother_);
    fill(father, father_);

    StatisticsTotals mutated{};
    for (std::size_t i = 0; i < examined.keys.size(); ++i) {
        const std::uint16_t key = examined.keys[i];
        const std::uint64_t body = examined.bodies[i];
        const Slot& m = mother_[key & KeyMask];
        const Slot& f = father_[key & KeyMask];
        const bool inMother = m.stamp == stamp_;
        const bool inFather = f.stamp == stamp_;
        if ((!inMother && !inFather) || (inMother && m.body == body) || (inFather && f.body == body))
            continue;
        ++mutated[(key & KeyMask) >> 8];
        for (std::size_t bit = 0; bit < StatisticsFlagBits.size(); ++bit)
            if (key >> FlagShift & 1u << bit)
                ++mutated[StatisticsKindRowCount + bit];
    }
    return mutated;
}

} // namespace helixplot
