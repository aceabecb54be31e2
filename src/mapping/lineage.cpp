// SPDX-License-Identifier: GPL-3.0-or-later
#include "lineage.h"

#include "parallelFor.h"

#include <algorithm>
#include <functional>
#include <unordered_map>

namespace helixplot {

namespace {

constexpr std::size_t KeyCount = GeneKindCount * 256;

// A version of a gene: its key and body fingerprint.
struct Version {
    std::uint16_t key = 0;
    std::uint64_t body = 0;
    bool operator==(const Version&) const = default;
};

struct VersionHash {
    std::size_t operator()(const Version& v) const
    {
        return std::hash<std::uint64_t>{}(v.body ^ std::uint64_t{v.key} * 0x9E3779B97F4A7C15ull);
    }
};

// The distinct versions of a pass, in open addressing: one probe for most
// genes, where a node-based set would chase a pointer for each. A slot is
// empty when its key is no gene key.
class VersionSet {
public:
    VersionSet() : slots_(1024, Empty) {}

    void insert(const Version& version)
    {
        std::size_t at = spread(version) & (slots_.size() - 1);
        for (; slots_[at].key != Empty.key; at = (at + 1) & (slots_.size() - 1))
            if (slots_[at] == version)
                return;
        slots_[at] = version;
        if (++size_ * 2 > slots_.size())
            grow();
    }
    template <typename Visit> void forEach(Visit&& visit) const
    {
        for (const Version& slot : slots_)
            if (slot.key != Empty.key)
                visit(slot);
    }
    void insertAll(const VersionSet& other)
    {
        other.forEach([this](const Version& v) { insert(v); });
    }

private:
    static constexpr Version Empty{0xFFFF, 0};

    // Short bodies are the bytes themselves: their low bits alone would
    // crowd a few slots.
    static std::size_t spread(const Version& v)
    {
        std::uint64_t h = v.body ^ std::uint64_t{v.key} * 0x9E3779B97F4A7C15ull;
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDull;
        h ^= h >> 33;
        return static_cast<std::size_t>(h);
    }
    void grow()
    {
        std::vector<Version> old(slots_.size() * 2, Empty);
        old.swap(slots_);
        size_ = 0;
        for (const Version& slot : old)
            if (slot.key != Empty.key)
                insert(slot);
    }
    std::vector<Version> slots_;
    std::size_t size_ = 0;
};

class LineageTracer {
public:
    explicit LineageTracer(const LineageOptions& options)
        : options_(options), workers_(std::max(1u, options.census.threads))
    {
    }

    // Numbers the versions that events brought, once the census knows every
    // creature's mutated genes.
    void prepare(const std::vector<CensusRow>& rows)
    {
        std::unordered_map<Version, std::uint32_t, VersionHash> index;
        for (std::size_t row = 0; row < rows.size(); ++row) {
            for (const GenePrint& gene : rows[row].mutatedGenes) {
                if (gene.kind() == GeneKind::Genus || (options_.gene && gene.geneKey() != *options_.gene))
                    continue;
                const Version version{gene.geneKey(), gene.body};
                const auto [at, added] = index.try_emplace(version, static_cast<std::uint32_t>(versions_.size()));
                if (added)
                    versions_.push_back(version);
                events_.push_back({row, gene, {}});
                eventVersion_.push_back(at->second);
            }
        }
        // Each key's versions sorted by body, for a search without hashing.
        keyStart_.assign(KeyCount + 1, 0);
        for (const Version& version : versions_)
            ++keyStart_[version.key + 1];
        for (std::size_t key = 0; key < KeyCount; ++key)
            keyStart_[key + 1] += keyStart_[key];
        byKey_.resize(versions_.size());
        std::vector<std::size_t> next(keyStart_.begin(), keyStart_.end() - 1);
        for (std::size_t v = 0; v < versions_.size(); ++v)
            byKey_[next[versions_[v].key]++] = {versions_[v].body, static_cast<std::uint32_t>(v)};
        for (std::size_t key = 0; key < KeyCount; ++key)
            std::sort(byKey_.begin() + static_cast<std::ptrdiff_t>(keyStart_[key]),
                      byKey_.begin() + static_cast<std::ptrdiff_t>(keyStart_[key + 1]));
        carried_.resize(rows.size());
    }

    // Which event versions one genome carries, and the other bodies it holds
    // under keys with events; one worker per thread, one call per row. Every
    // gene of a key counts: a genome holding a key twice carries both
    // versions, so an event's creature always carries its event.
    void pass(unsigned worker, std::size_t row, const GeneFingerprints& genes)
    {
        Worker& w = workers_[worker];
        std::vector<std::uint32_t>& carried = carried_[row];
        for (std::size_t i = 0; i < genes.size(); ++i) {
            const std::uint16_t key = genes[i].geneKey();
            const auto first = byKey_.begin() + static_cast<std::ptrdiff_t>(keyStart_[key]);
            const auto last = byKey_.begin() + static_cast<std::ptrdiff_t>(keyStart_[key + 1]);
            if (first == last)
                continue;
            const std::uint64_t body = genes.bodies[i];
            const auto at = std::lower_bound(first, last, std::pair<std::uint64_t, std::uint32_t>{body, 0});
            if (at != last && at->first == body)
                carried.push_back(at->second);
            else
                w.addOther(key, body);
        }
        // A key held twice with one body is one version carried.
        if (carried.size() > 1) {
            std::sort(carried.begin(), carried.end());
            carried.erase(std::unique(carried.begin(), carried.end()), carried.end());
        }
    }

    Lineage finish(Census census)
    {
        // In census order, whatever thread took which row.
        std::vector<std::vector<std::size_t>> carriers(versions_.size());
        std::vector<GeneHotspot> byKey(KeyCount);
        for (std::size_t key = 0; key < KeyCount; ++key)
            byKey[key].geneKey = static_cast<std::uint16_t>(key);
        // A genome holding a key twice may carry two of its versions: one
        // carrier of the key.
        std::vector<std::size_t> lastRow(KeyCount, SIZE_MAX);
        for (std::size_t row = 0; row < carried_.size(); ++row) {
            for (const std::uint32_t version : carried_[row]) {
                carriers[version].push_back(row);
                const std::uint16_t key = versions_[version].key;
                if (lastRow[key] != row) {
                    lastRow[key] = row;
                    ++byKey[key].carriers;
                }
            }
        }
        carried_ = {};

        for (std::size_t e = 0; e < events_.size(); ++e) {
            events_[e].carriers = carriers[eventVersion_[e]];
            ++byKey[events_[e].gene.geneKey()].events;
        }
        for (std::size_t v = 0; v < versions_.size(); ++v)
            byKey[versions_[v].key].variants += carriers[v].empty() ? 0 : 1;
        VersionSet others;
        for (Worker& w : workers_) {
            for (std::size_t key = 0; key < w.fewBodies.size(); ++key)
                for (const std::uint64_t body : w.fewBodies[key])
                    others.insert({static_cast<std::uint16_t>(key), body});
            others.insertAll(w.manyBodies);
            w = {};
        }
        others.forEach([&byKey](const Version& version) { ++byKey[version.key].variants; });

        Lineage lineage;
        lineage.census = std::move(census);
        lineage.events = std::move(events_);
        for (const GeneHotspot& gene : byKey)
            if (gene.events > 0)
                lineage.genes.push_back(gene);
        std::stable_sort(lineage.genes.begin(), lineage.genes.end(),
                         [](const GeneHotspot& a, const GeneHotspot& b) { return a.events > b.events; });
        return lineage;
    }

private:
    // Bodies no event brought, under keys with events: the founders' and
    // those of creatures without both parents in the census. Most keys have
    // a few, searched in a short list; a key with many goes to a set.
    struct Worker {
        static constexpr std::size_t Few = 16;
        std::vector<std::vector<std::uint64_t>> fewBodies; // per key, while not many
        std::vector<unsigned char> many;                   // per key
        VersionSet manyBodies;

        void addOther(std::uint16_t key, std::uint64_t body)
        {
            if (fewBodies.empty()) {
                fewBodies.resize(KeyCount);
                many.assign(KeyCount, 0);
            }
            if (many[key]) {
                manyBodies.insert({key, body});
                return;
            }
            std::vector<std::uint64_t>& few = fewBodies[key];
            if (std::find(few.begin(), few.end(), body) != few.end())
                return;
            few.push_back(body);
            if (few.size() > Few) {
                for (const std::uint64_t b : few)
                    manyBodies.insert({key, b});
                few = {};
                many[key] = 1;
            }
        }
    };

    const LineageOptions& options_;
    std::vector<Worker> workers_;
    std::vector<Version> versions_;
    // Per key, from keyStart_[key]: its versions' bodies and numbers.
    std::vector<std::size_t> keyStart_;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> byKey_;
    std::vector<MutationEvent> events_;
    std::vector<std::uint32_t> eventVersion_;
    // Per row, written by the one thread that takes the row.
    std::vector<std::vector<std::uint32_t>> carried_;
};

} // namespace

std::optional<std::uint16_t> packedGeneKey(std::uint8_t type, std::uint8_t subtype, std::uint8_t id)
{
    const std::optional<GeneKind> kind = kindOf(type, subtype);
    if (!kind)
        return std::nullopt;
    return static_cast<std::uint16_t>(indexOf(*kind) << 8 | id);
}

Lineage traceLineage(const std::string& folder, const LineageOptions& options)
{
    LineageTracer tracer(options);
    CensusOptions census = options.census;
    census.keepMutatedGenes = true;
    census.beforeGenePass = [&tracer, &options](const std::vector<CensusRow>& rows) {
        tracer.prepare(rows);
        if (options.census.beforeGenePass)
            options.census.beforeGenePass(rows);
    };
    census.genePass = [&tracer](unsigned worker, std::size_t row, const GeneFingerprints& genes) {
        tracer.pass(worker, row, genes);
    };
    return tracer.finish(takeCensus(folder, census));
}

GeneVariants traceGeneVariants(const std::string& folder, const Census& census,
                               const std::vector<MutationEvent>& events, std::uint16_t geneKey,
                               const std::atomic<bool>* cancel, unsigned threads)
{
    const std::size_t rowCount = census.rows.size();
    // Each genome's body under the key, read on a few threads.
    std::vector<std::optional<std::uint64_t>> bodies(rowCount);
    std::vector<GenomeDigester> digesters(parallelThreads(rowCount, threads));
    const bool done = parallelFor(rowCount, threads, cancel, [&](unsigned worker, std::size_t row) {
        const CensusRow& genome = census.rows[row];
        if (!genome.loaded())
            return;
        try {
            const GeneFingerprints genes = digesters[worker].digest(censusFilePath(folder, genome.file)).fingerprints;
            for (std::size_t i = 0; i < genes.size(); ++i) {
                if (genes[i].geneKey() == geneKey) {
                    bodies[row] = genes.bodies[i];
                    break;
                }
            }
        } catch (const HelixplotError&) {
            // Changed since the census: it holds nothing until counted again.
        }
    });
    if (!done)
        throw CensusCancelled();

    GeneVariants result;
    result.geneKey = geneKey;
    result.ofRow.assign(rowCount, -1);
    std::unordered_map<std::uint64_t, int> index;
    for (std::size_t e = 0; e < events.size(); ++e) {
        if (events[e].gene.geneKey() != geneKey || events[e].row >= rowCount)
            continue;
        const auto [at, added] = index.try_emplace(events[e].gene.body, static_cast<int>(result.variants.size()));
        if (added)
            result.variants.push_back({events[e].gene.body, e, events[e].row, 0});
    }
    for (std::size_t row = 0; row < rowCount; ++row) {
        if (!bodies[row])
            continue;
        const auto [at, added] = index.try_emplace(*bodies[row], static_cast<int>(result.variants.size()));
        if (added)
            result.variants.push_back({*bodies[row], std::nullopt, row, 0});
        GeneVariant& variant = result.variants[static_cast<std::size_t>(at->second)];
        ++variant.carriers;
        if (!variant.event && census.rows[row].generation < census.rows[variant.origin].generation)
            variant.origin = row;
        result.ofRow[row] = at->second;
    }
    return result;
}

} // namespace helixplot
