// SPDX-License-Identifier: GPL-3.0-or-later
#include "sampleGenerator.h"

#include "genetics/unitGenetics.h"
#include "genomeBuilder.h"
#include "sampleRng.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string_view>

namespace helixplot::samples {

namespace {

using testing::GeneFields;
using testing::makeGene;
using Body = std::vector<std::uint8_t>;
using Genome = std::vector<GeneRecord>; // in file order

std::uint8_t u8(int value)
{
    return static_cast<std::uint8_t>(value);
}

using enum GeneKind;

// Receptors, emitters and reactions: the genes that the reader hangs on the
// organ before them.
bool attachesToOrgan(const GeneRecord& gene)
{
    return gene.is(Receptor) || gene.is(Emitter) || gene.is(Reaction);
}

using Key = std::uint32_t;

Key keyOf(std::uint8_t type, std::uint8_t subtype, int id)
{
    return Key{type} << 16 | Key{subtype} << 8 | static_cast<Key>(id);
}

Key keyOf(GeneKind kind, int id)
{
    return keyOf(infoOf(kind).type, infoOf(kind).subtype, id);
}

Key keyOf(const GeneRecord& gene)
{
    return keyOf(gene.header.type, gene.header.subtype, gene.header.id);
}

constexpr int PoseCount = 170;
constexpr int SpeciesGenus = 0;

// ---------------------------------------------------------------- headers

GeneFields headerFields(Rng& rng, std::uint8_t id)
{
    // Most genes may mutate, many may also be duplicated or deleted; a few are
    // sex-specific, carried, or have the bits nobody reads.
    static constexpr std::uint8_t FlagChoices[] = {0x01, 0x01, 0x01, 0x01, 0x03, 0x05, 0x07, 0x07, 0x07, 0x00,
                                                   0x00, 0x02, 0x04, 0x06, 0x09, 0x11, 0x21, 0x20, 0x41, 0x80,
                                                   0x0F, 0x35, 0xC1, 0x19, 0x03, 0x05, 0x01, 0x07, 0x00, 0x29};
    GeneFields fields;
    fields.id = id;
    fields.flags = FlagChoices[rng.range(0, static_cast<int>(std::size(FlagChoices)) - 1)];
    const int stage = rng.range(0, 99);
    if (stage < 68)
        fields.lifeStage = 0;
    else if (stage < 98)
        fields.lifeStage = rng.byteIn(1, 6);
    else
        fields.lifeStage = rng.byteIn(7, 255);
    const int value = rng.range(0, 99);
    if (value < 55)
        fields.headerValue = 0;
    else if (value < 62)
        fields.headerValue = 255;
    else if (value < 68)
        fields.headerValue = 128;
    else
        fields.headerValue = rng.byteIn(1, 254);
    fields.reserved = rng.chance(1) ? rng.byteIn(1, 255) : 0;
    return fields;
}

void tweakHeader(GeneRecord& gene, Rng& rng)
{
    switch (rng.range(0, 2)) {
    case 0:
        gene.header.flags ^= u8(1 << rng.range(0, 7));
        break;
    case 1:
        gene.header.lifeStage =
            u8(gene.header.lifeStage <= 6 ? (gene.header.lifeStage + rng.range(1, 6)) % 7 : rng.range(0, 6));
        break;
    default:
        gene.header.headerValue = u8(gene.header.headerValue + rng.range(1, 255));
        break;
    }
}

// ---------------------------------------------------------------- bodies

int chemical(Rng& rng)
{
    // The low numbers are the busy chemicals of the biochemistry.
    return rng.chance(60) ? rng.range(1, 40) : rng.range(1, 255);
}

// Operand tokens are 1 to 30, operators 31 to 40; now and then a token that
// has no name, to show the rule fallback.
void svRule(Rng& rng, Body& body, std::size_t at)
{
    const int length = rng.chance(4) ? 12 : rng.range(0, 3) * 2 + 1;
    for (int i = 0; i < length; ++i) {
        int token;
        if (rng.chance(2))
            token = rng.range(41, 70);
        else if (i % 2 == 0)
            token = rng.range(1, 30);
        else
            token = rng.range(31, 40);
        body[at + static_cast<std::size_t>(i)] = u8(token);
    }
}

void dendriteBlock(Rng& rng, Body& body, std::size_t at)
{
    auto b = [&](std::size_t offset) -> std::uint8_t& { return body[at + offset]; };
    b(0) = rng.chance(4) ? rng.byteIn(8, 12) : rng.byteIn(0, 7);
    b(1) = rng.byteIn(0, 8);
    b(2) = u8(b(1) + rng.range(0, 8));
    b(3) = rng.chance(4) ? rng.byteIn(4, 9) : rng.byteIn(0, 3);
    b(4) = rng.byteIn(0, 20);
    b(5) = rng.byteIn(0, 128);
    b(6) = u8(b(5) + rng.range(0, 127));
    b(7) = rng.byteIn(0, 128);
    b(8) = u8(b(7) + rng.range(0, 127));
    b(9) = rng.chance(4) ? rng.byteIn(3, 6) : rng.byteIn(0, 2);
    b(10) = rng.byteIn(0, 255);
    b(11) = rng.byteIn(0, 255);
    b(12) = rng.byteIn(0, 255);
    b(13) = rng.byteIn(0, 255);
    svRule(rng, body, at + 14);
    b(26) = rng.byteIn(0, 255);
    for (std::size_t rule = 27; rule <= 75; rule += 12)
        svRule(rng, body, at + rule);
}

Body lobeBody(Rng& rng)
{
    Body body(196, 0);
    body[0] = rng.byteIn(0, 60);
    body[1] = rng.byteIn(0, 40);
    body[2] = rng.byteIn(1, 40);
    body[3] = rng.byteIn(1, 16);
    body[4] = rng.chance(4) ? rng.byteIn(3, 9) : rng.byteIn(0, 2);
    for (std::size_t i = 5; i <= 8; ++i)
        body[i] = rng.byteIn(0, 255);
    svRule(rng, body, 9);
    const int cellFlags = rng.range(0, 99);
    body[21] = cellFlags < 70 ? 0 : cellFlags < 95 ? 1 : rng.byteIn(2, 5);
    dendriteBlock(rng, body, 22);
    dendriteBlock(rng, body, 109);
    return body;
}

Body organBody(Rng& rng)
{
    Body body(5);
    for (auto& byte : body)
        byte = rng.byteIn(0, 255);
    return body;
}

// Organ, tissue and locus of a receptor or emitter. Mostly places that the
// locus tables name; a few they do not.
void locus(Rng& rng, bool emitter, bool inBrain, Body& body)
{
    static constexpr int ReceptorLoci[6] = {7, 8, 4, 1, 24, 17};
    static constexpr int EmitterLoci[6] = {1, 8, 2, 1, 14, 17};
    const int where = inBrain ? 0 : rng.range(0, 99);
    const bool odd = rng.chance(4);
    int organ, tissue, place;
    if (where < 25) {
        const int loci = emitter ? 43 : 59;
        organ = 0;
        tissue = odd && rng.chance(50) ? rng.range(8, 12) : rng.range(0, 7);
        place = odd ? rng.range(loci, 220) : rng.range(0, loci - 1);
    } else if (where < 80) {
        organ = 1;
        if (odd && rng.chance(50)) {
            tissue = rng.range(6, 9);
            place = rng.range(0, 9);
        } else {
            tissue = rng.range(0, 5);
            const int loci = emitter ? EmitterLoci[tissue] : ReceptorLoci[tissue];
            place = odd ? rng.range(loci, loci + 20) : rng.range(0, loci - 1);
        }
    } else if (where < 97) {
        organ = 2;
        tissue = 0;
        place = odd ? rng.range(3, 9) : rng.range(0, 2);
    } else {
        organ = rng.range(3, 9);
        tissue = rng.range(0, 9);
        place = rng.range(0, 30);
    }
    body[0] = u8(organ);
    body[1] = u8(tissue);
    body[2] = u8(place);
}

Body receptorBody(Rng& rng, bool inBrain)
{
    Body body(8);
    locus(rng, false, inBrain, body);
    body[3] = u8(chemical(rng));
    body[4] = rng.byteIn(0, 255);
    body[5] = rng.byteIn(0, 255);
    body[6] = rng.byteIn(0, 255);
    body[7] = rng.chance(5) ? rng.byteIn(4, 255) : rng.byteIn(0, 3);
    return body;
}

Body emitterBody(Rng& rng, bool inBrain)
{
    Body body(8);
    locus(rng, true, inBrain, body);
    body[3] = u8(chemical(rng));
    body[4] = rng.byteIn(0, 255);
    body[5] = rng.byteIn(0, 255);
    body[6] = rng.byteIn(0, 255);
    body[7] = rng.chance(5) ? rng.byteIn(8, 255) : rng.byteIn(0, 7);
    return body;
}

Body reactionBody(Rng& rng)
{
    Body body(9, 0);
    body[0] = rng.chance(4) ? 0 : rng.byteIn(1, 6);
    body[1] = u8(chemical(rng));
    if (rng.chance(65)) {
        body[2] = rng.byteIn(1, 6);
        body[3] = u8(chemical(rng));
    }
    if (!rng.chance(20)) { // else a total breakdown
        body[4] = rng.byteIn(1, 6);
        body[5] = u8(chemical(rng));
        if (rng.chance(45)) {
            body[6] = rng.byteIn(1, 6);
            body[7] = u8(chemical(rng));
        }
    }
    body[8] = rng.byteIn(0, 255);
    return body;
}

Body halfLivesBody(Rng& rng)
{
    Body body(256, 0);
    for (std::size_t i = 1; i < body.size(); ++i)
        body[i] = rng.chance(20) ? 0 : rng.byteIn(8, 255);
    return body;
}

Body initialConcentrationBody(Rng& rng)
{
    Body body(2);
    body[0] = u8(chemical(rng));
    body[1] = rng.byteIn(1, 255);
    return body;
}

Body stimulusBody(Rng& rng, int id)
{
    Body body(13, 0);
    body[0] = id <= 46 ? u8(id - 1) : rng.byteIn(46, 60);
    body[1] = rng.byteIn(0, 255);
    body[2] = rng.chance(5) ? rng.byteIn(33, 40) : rng.byteIn(0, 32);
    body[3] = rng.byteIn(0, 255);
    body[4] = rng.chance(5) ? rng.byteIn(8, 15) : rng.byteIn(0, 7);
    const int chemicals = rng.range(0, 4);
    for (int i = 0; i < chemicals; ++i) {
        const auto at = static_cast<std::size_t>(5 + 2 * i);
        body[at] = u8(chemical(rng));
        body[at + 1] = rng.byteIn(0, 255);
    }
    return body;
}

Body appearanceBody(Rng& rng, int id)
{
    Body body(3);
    if (id <= 15) {
        body[0] = u8((id - 1) % 5);
        body[1] = rng.chance(5) ? rng.byteIn(26, 30) : rng.byteIn(0, 25);
        body[2] = rng.chance(80) ? u8(SpeciesGenus) : rng.byteIn(0, 3);
    } else {
        body[0] = rng.byteIn(5, 9);
        body[1] = rng.byteIn(0, 25);
        body[2] = rng.byteIn(4, 9);
    }
    return body;
}

std::string poseText(Rng& rng)
{
    static constexpr const char* Verbs[] = {"Stand", "Sit",  "Crouch", "Kneel",   "Lean",  "Reach", "Wave",
                                            "Point", "Look", "Turn",   "Step",    "Hop",   "Push",  "Pull",
                                            "Sniff", "Sway", "Crawl",  "Stretch", "Shrug", "Bow"};
    static constexpr const char* Ways[] = {"left", "right", "up", "down", "back", "fwd", "low", "high", "still"};
    std::string text = Verbs[rng.range(0, 19)];
    text += ' ';
    text += Ways[rng.range(0, 8)];
    if (rng.chance(30)) {
        text += ' ';
        text += static_cast<char>('1' + rng.range(0, 3));
    }
    return text.size() <= 15 ? text : text.substr(0, text.rfind(' '));
}

void setPoseText(Body& body, const std::string& text)
{
    std::fill(body.begin() + 1, body.end(), 0);
    std::copy(text.begin(), text.end(), body.begin() + 1);
}

Body poseBody(Rng& rng, int id)
{
    Body body(16, 0);
    body[0] = rng.byteIn(0, 3);
    // One pose uses all fifteen characters, with no end byte.
    setPoseText(body, id == 7 ? std::string("Stretch right 2") : poseText(rng));
    return body;
}

Body gaitBody(Rng& rng, int id)
{
    Body body(9, 0);
    body[0] = id <= 16 ? u8(id - 1) : rng.byteIn(16, 20);
    const int poses = id == 12 ? 0 : id == 3 ? 8 : rng.range(2, 8);
    for (int i = 0; i < poses; ++i)
        body[static_cast<std::size_t>(1 + i)] = rng.byteIn(1, PoseCount);
    return body;
}

int neuron(Rng& rng, int lobe)
{
    static constexpr int Highest[8] = {0, 16, 39, 15, 39, 32, 15, 39};
    const int highest = lobe >= 1 && lobe <= 7 ? Highest[lobe] : 20;
    return rng.chance(4) ? rng.range(highest + 1, highest + 20) : rng.range(0, highest);
}

Body instinctBody(Rng& rng)
{
    Body body(9, 0);
    const int inputs = rng.chance(3) ? 0 : rng.range(1, 3);
    for (int i = 0; i < inputs; ++i) {
        const auto at = static_cast<std::size_t>(2 * i);
        const int lobe = rng.chance(3) ? rng.range(8, 10) : rng.range(1, 7);
        body[at] = u8(lobe);
        body[at + 1] = u8(neuron(rng, lobe));
    }
    // Now and then a gap between inputs: the first input absent.
    if (inputs == 2 && rng.chance(15)) {
        body[4] = body[0];
        body[5] = body[1];
        body[0] = 0;
        body[1] = 0;
    }
    body[6] = rng.chance(3) ? rng.byteIn(16, 20) : rng.byteIn(0, 15);
    body[7] = rng.chance(3) ? 0 : u8(chemical(rng));
    body[8] = rng.byteIn(0, 255);
    return body;
}

Body pigmentBody(Rng& rng, int id)
{
    Body body(2);
    body[0] = id <= 6 ? u8((id - 1) % 3) : rng.byteIn(3, 9);
    body[1] = rng.byteIn(0, 255);
    return body;
}

Body pigmentBleedBody(Rng& rng)
{
    Body body(2);
    body[0] = rng.byteIn(0, 255);
    body[1] = rng.byteIn(0, 255);
    return body;
}

Body genusBody(int genus, std::string_view mother, std::string_view father)
{
    Body body(9, 0);
    body[0] = u8(genus);
    for (std::size_t i = 0; i < 4 && i < mother.size(); ++i)
        body[1 + i] = static_cast<std::uint8_t>(mother[i]);
    for (std::size_t i = 0; i < 4 && i < father.size(); ++i)
        body[5 + i] = static_cast<std::uint8_t>(father[i]);
    return body;
}

// A fresh gene of any kind, header and body drawn from rng.
GeneRecord newGene(GeneKind kind, int id, Rng& rng, bool inBrain = false)
{
    Body body;
    switch (kind) {
    case BrainLobe:
        body = lobeBody(rng);
        if (id == 11) { // the lobe nobody names shows every setting nobody names
            body[4] = 3;
            body[21] = 2;
            body[109 + 3] = 5;
            body[109 + 9] = 4;
        }
        break;
    case BrainOrgan:
    case Organ:
        body = organBody(rng);
        break;
    case Receptor:
        body = receptorBody(rng, inBrain);
        break;
    case Emitter:
        body = emitterBody(rng, inBrain);
        break;
    case Reaction:
        body = reactionBody(rng);
        break;
    case HalfLives:
        body = halfLivesBody(rng);
        break;
    case InitialConcentration:
        body = initialConcentrationBody(rng);
        break;
    case Stimulus:
        body = stimulusBody(rng, id);
        break;
    case Genus:
        body = genusBody(SpeciesGenus, "", "");
        break;
    case Appearance:
        body = appearanceBody(rng, id);
        break;
    case Pose:
        body = poseBody(rng, id);
        break;
    case Gait:
        body = gaitBody(rng, id);
        break;
    case Instinct:
        body = instinctBody(rng);
        break;
    case Pigment:
        body = pigmentBody(rng, id);
        break;
    case PigmentBleed:
        body = pigmentBleedBody(rng);
        break;
    default:
        break;
    }
    return makeGene(kind, headerFields(rng, u8(id)), body);
}

// ---------------------------------------------------------------- mutation

std::uint8_t nudged(Rng& rng, std::uint8_t value)
{
    const int delta = rng.range(1, 24);
    int next = rng.chance(50) ? value + delta : value - delta;
    if (next > 255)
        next = value - delta;
    if (next < 0)
        next = value + delta;
    return u8(next);
}

// Changes the gene's body the way a copying error would: one value a little
// off, a pose or a variant swapped. False for the kinds that never mutate.
bool mutateBody(GeneRecord& gene, Rng& rng)
{
    auto& body = gene.body;
    std::vector<std::size_t> numbers; // body offsets that hold plain values
    if (gene.is(BrainLobe)) {
        numbers = {0, 1, 2, 3, 5, 6, 7, 8};
        for (std::size_t block : {22u, 109u})
            for (std::size_t offset : {1u, 2u, 4u, 5u, 6u, 7u, 8u, 10u, 11u, 12u, 13u, 26u})
                numbers.push_back(block + offset);
    } else if (gene.is(BrainOrgan) || gene.is(Organ)) {
        numbers = {0, 1, 2, 3, 4};
    } else if (gene.is(Receptor) || gene.is(Emitter)) {
        numbers = {4, 5, 6};
    } else if (gene.is(Reaction)) {
        numbers = {8};
        for (std::size_t amount : {0u, 2u, 4u, 6u})
            if (body[amount + 1] != 0)
                numbers.push_back(amount);
    } else if (gene.is(HalfLives)) {
        numbers = {static_cast<std::size_t>(rng.range(1, 255))};
    } else if (gene.is(InitialConcentration)) {
        numbers = {1};
    } else if (gene.is(Stimulus)) {
        numbers = {1, 3};
        for (std::size_t pair : {5u, 7u, 9u, 11u})
            if (body[pair] != 0)
                numbers.push_back(pair + 1);
    } else if (gene.is(Appearance)) {
        body[1] = u8((body[1] + rng.range(1, 25)) % 26);
        return true;
    } else if (gene.is(Pose)) {
        Body pose(body.begin(), body.begin() + 16);
        do
            setPoseText(pose, poseText(rng));
        while (std::equal(pose.begin(), pose.end(), body.begin()));
        std::copy(pose.begin(), pose.end(), body.begin());
        return true;
    } else if (gene.is(Gait)) {
        std::size_t poses = 0;
        while (poses < 8 && body[1 + poses] != 0)
            ++poses;
        if (poses == 0)
            return false;
        const std::size_t at = 1 + static_cast<std::size_t>(rng.range(0, static_cast<int>(poses) - 1));
        body[at] = u8((body[at] + rng.range(0, PoseCount - 2)) % PoseCount + 1);
        return true;
    } else if (gene.is(Instinct)) {
        numbers = {8};
        for (std::size_t input : {0u, 2u, 4u})
            if (body[input] != 0)
                numbers.push_back(input + 1);
    } else if (gene.is(Pigment)) {
        numbers = {1};
    } else if (gene.is(PigmentBleed)) {
        numbers = {0, 1};
    }
    if (numbers.empty())
        return false;
    const std::size_t at = numbers[static_cast<std::size_t>(rng.range(0, static_cast<int>(numbers.size()) - 1))];
    body[at] = nudged(rng, body[at]);
    return true;
}

// Sets a genome apart from its kin: a share of genes with a changed body,
// and a few with a changed header.
void diverge(Genome& genome, Rng& rng, int percent)
{
    for (GeneRecord& gene : genome) {
        if (gene.is(Genus))
            continue;
        if (rng.chance(percent))
            mutateBody(gene, rng);
        if (rng.chance(3))
            tweakHeader(gene, rng);
    }
}

// ---------------------------------------------------------------- editing

std::size_t indexOf(const Genome& genome, Key key)
{
    for (std::size_t i = 0; i < genome.size(); ++i)
        if (keyOf(genome[i]) == key)
            return i;
    throw std::logic_error("sample genome lacks gene " + std::to_string(key));
}

bool holds(const Genome& genome, Key key)
{
    return std::any_of(genome.begin(), genome.end(), [&](const GeneRecord& g) { return keyOf(g) == key; });
}

void removeGene(Genome& genome, GeneKind kind, int id)
{
    genome.erase(genome.begin() + static_cast<std::ptrdiff_t>(indexOf(genome, keyOf(kind, id))));
}

// Removes an organ with the receptors, emitters and reactions after it.
void removeOrgan(Genome& genome, int id)
{
    const std::size_t first = indexOf(genome, keyOf(Organ, id));
    std::size_t last = first + 1;
    while (last < genome.size() && attachesToOrgan(genome[last]))
        ++last;
    genome.erase(genome.begin() + static_cast<std::ptrdiff_t>(first),
                 genome.begin() + static_cast<std::ptrdiff_t>(last));
}

void insertAt(Genome& genome, std::size_t at, const GeneRecord& gene)
{
    genome.insert(genome.begin() + static_cast<std::ptrdiff_t>(at), gene);
}

// After the last gene attached to the organ.
void addToOrgan(Genome& genome, int organId, const GeneRecord& gene)
{
    std::size_t at = indexOf(genome, keyOf(Organ, organId)) + 1;
    while (at < genome.size() && attachesToOrgan(genome[at]))
        ++at;
    insertAt(genome, at, gene);
}

// After the last gene of the same kind.
void addToKind(Genome& genome, const GeneRecord& gene)
{
    const std::optional<GeneKind> kind = gene.kind();
    std::size_t at = genome.size();
    for (std::size_t i = 0; i < genome.size(); ++i)
        if (genome[i].kind() == kind)
            at = i + 1;
    insertAt(genome, at, gene);
}

void setGenus(Genome& genome, int genus, std::string_view mother, std::string_view father)
{
    GeneRecord& gene = genome[indexOf(genome, keyOf(Genus, 1))];
    const Body body = genusBody(genus, mother, father);
    std::copy(body.begin(), body.end(), gene.body.begin());
}

// ---------------------------------------------------------------- genomes

// The common genome of the kind: genus, the loose biochemistry, the brain,
// the organs with their chemistry, then the creature genes.
Genome buildSpecies()
{
    Rng rng(0x5EED0001);
    Genome genome;
    auto add = [&](GeneKind kind, int id, bool inBrain = false) { genome.push_back(newGene(kind, id, rng, inBrain)); };

    add(Genus, 1);
    // The genus is fixed at conception: no mutation, no stage, no sex.
    genome.back().header = {infoOf(Genus).type, infoOf(Genus).subtype, 1, 0, 0, 0, 0};
    add(HalfLives, 1);
    for (int id = 1; id <= 36; ++id)
        add(InitialConcentration, id);

    add(BrainOrgan, 1);
    for (int id = 1; id <= 12; ++id)
        add(BrainLobe, id);
    int receptors = 0, emitters = 0, reactions = 0;
    add(Receptor, ++receptors, true);
    add(Receptor, ++receptors, true);
    add(Emitter, ++emitters, true);

    // 1 to 19 are named organs; 21 and 24 are ids no table names.
    std::vector<int> organs;
    for (int id = 1; id <= 19; ++id)
        organs.push_back(id);
    organs.push_back(21);
    organs.push_back(24);
    for (int organ : organs) {
        add(Organ, organ);
        const int r = rng.range(1, 5), e = rng.range(1, 4), x = rng.range(0, 5);
        for (int i = 0; i < r; ++i)
            add(Receptor, ++receptors);
        for (int i = 0; i < e; ++i)
            add(Emitter, ++emitters);
        for (int i = 0; i < x; ++i)
            add(Reaction, ++reactions);
        // A late lobe: it still belongs to the brain, not to this organ.
        if (organ == 1)
            add(BrainLobe, 13);
    }

    for (int id = 1; id <= 48; ++id)
        add(Stimulus, id);
    for (int id = 1; id <= 16; ++id)
        add(Appearance, id);
    for (int id = 1; id <= PoseCount; ++id)
        add(Pose, id);
    for (int id = 1; id <= 17; ++id)
        add(Gait, id);
    for (int id = 1; id <= 160; ++id)
        add(Instinct, id);
    for (int id = 1; id <= 7; ++id)
        add(Pigment, id);
    for (int id = 1; id <= 3; ++id)
        add(PigmentBleed, id);
    return genome;
}

struct Family {
    Genome mother;
    Genome father;
    Genome child;
};

// Skips an organ and the genes attached to it, or a single gene.
std::size_t pastGeneOrOrgan(const Genome& genome, std::size_t i)
{
    std::size_t next = i + 1;
    if (genome[i].is(Organ))
        while (next < genome.size() && attachesToOrgan(genome[next]))
            ++next;
    return next;
}

// The child's genome from its parents': runs of genes from one parent, then
// the other; of the genes only one parent has, all but those notInherited.
Genome crossOver(const Genome& mother, const Genome& father, const std::set<Key>& notInherited, Rng& rng)
{
    Genome child;
    bool fromFather = false;
    for (std::size_t i = 0; i < mother.size();) {
        if (rng.chance(4))
            fromFather = !fromFather;
        const Key key = keyOf(mother[i]);
        if (holds(father, key)) {
            child.push_back(fromFather ? father[indexOf(father, key)] : mother[i]);
            ++i;
        } else if (notInherited.count(key) != 0) {
            i = pastGeneOrOrgan(mother, i);
        } else {
            child.push_back(mother[i]);
            ++i;
        }
    }
    // The father's own genes go after the nearest gene before them that the
    // child already has.
    for (std::size_t j = 0; j < father.size();) {
        const Key key = keyOf(father[j]);
        if (holds(mother, key)) {
            ++j;
            continue;
        }
        if (notInherited.count(key) != 0) {
            j = pastGeneOrOrgan(father, j);
            continue;
        }
        std::size_t at = 1;
        for (std::size_t k = j; k-- > 0;)
            if (holds(child, keyOf(father[k]))) {
                at = indexOf(child, keyOf(father[k])) + 1;
                break;
            }
        insertAt(child, at, father[j]);
        ++j;
    }
    return child;
}

Family buildFamily(const Genome& species)
{
    Family family;

    Rng motherRng(0x5EED0002);
    family.mother = species;
    diverge(family.mother, motherRng, 8);
    setGenus(family.mother, SpeciesGenus, "asha", "bren");
    removeGene(family.mother, Pose, 5);
    removeGene(family.mother, Instinct, 40);
    removeGene(family.mother, Receptor, 10);
    removeGene(family.mother, Reaction, 7);
    for (int id = 171; id <= 173; ++id)
        addToKind(family.mother, newGene(Instinct, id, motherRng));
    addToKind(family.mother, newGene(Pose, 181, motherRng));
    addToOrgan(family.mother, 4, newGene(Receptor, 230, motherRng));
    addToOrgan(family.mother, 7, newGene(Emitter, 230, motherRng));

    Rng fatherRng(0x5EED0003);
    family.father = species;
    diverge(family.father, fatherRng, 8);
    setGenus(family.father, SpeciesGenus, "cole", "dura");
    removeGene(family.father, Pose, 9);
    removeGene(family.father, Instinct, 77);
    removeGene(family.father, Emitter, 12);
    removeOrgan(family.father, 21);
    for (int id = 174; id <= 175; ++id)
        addToKind(family.father, newGene(Instinct, id, fatherRng));
    addToKind(family.father, newGene(Stimulus, 49, fatherRng));
    addToOrgan(family.father, 9, newGene(Reaction, 230, fatherRng));
    addToOrgan(family.father, 11, newGene(Receptor, 231, fatherRng));

    // What the child does not get of the genes only one parent has.
    const std::set<Key> notInherited = {
        keyOf(Instinct, 172), keyOf(Pose, 181),     keyOf(Receptor, 230), keyOf(Instinct, 77), keyOf(Emitter, 12),
        keyOf(Organ, 21),     keyOf(Instinct, 175), keyOf(Reaction, 230), keyOf(Instinct, 40), keyOf(Receptor, 10),
    };
    Rng childRng(0x5EED0004);
    Genome child = crossOver(family.mother, family.father, notInherited, childRng);
    setGenus(child, SpeciesGenus, "nela", "orvo");

    // Lost on the way: genes both parents have.
    removeGene(child, Pose, 60);
    removeGene(child, Instinct, 101);
    removeGene(child, InitialConcentration, 30);
    removeGene(child, Receptor, 20);
    removeGene(child, Emitter, 25);
    removeGene(child, BrainLobe, 12);

    // Copying errors in the body, and a few in the header only.
    std::set<std::size_t> touched;
    for (int mutated = 0; mutated < 18;) {
        const auto i = static_cast<std::size_t>(childRng.range(1, static_cast<int>(child.size()) - 1));
        if (touched.count(i) == 0 && mutateBody(child[i], childRng)) {
            touched.insert(i);
            ++mutated;
        }
    }
    for (int tweaked = 0; tweaked < 8;) {
        const auto i = static_cast<std::size_t>(childRng.range(1, static_cast<int>(child.size()) - 1));
        if (touched.insert(i).second) {
            tweakHeader(child[i], childRng);
            ++tweaked;
        }
    }

    // New genes: orphans before any organ, a whole new organ, new behaviour.
    insertAt(child, 1, newGene(Receptor, 250, childRng));
    insertAt(child, 2, newGene(BrainLobe, 14, childRng));
    insertAt(child, 3, newGene(Emitter, 250, childRng));
    const std::size_t creatureGenes = indexOf(child, keyOf(Stimulus, 1));
    insertAt(child, creatureGenes, newGene(Organ, 20, childRng));
    insertAt(child, creatureGenes + 1, newGene(Receptor, 245, childRng));
    insertAt(child, creatureGenes + 2, newGene(Emitter, 245, childRng));
    insertAt(child, creatureGenes + 3, newGene(Reaction, 245, childRng));
    for (int id = 200; id <= 203; ++id)
        addToKind(child, newGene(Instinct, id, childRng));
    addToKind(child, newGene(Pose, 230, childRng));
    addToKind(child, newGene(InitialConcentration, 50, childRng));

    family.child = std::move(child);
    return family;
}

Genome firstComparator(const Genome& species)
{
    Rng rng(0x5EED0005);
    Genome genome = species;
    diverge(genome, rng, 22);
    setGenus(genome, 1, "rask", "sorl");
    removeOrgan(genome, 24);
    for (int id = 100; id <= 104; ++id)
        removeGene(genome, Pose, id);
    for (int id = 180; id <= 185; ++id)
        addToKind(genome, newGene(Instinct, id, rng));
    addToKind(genome, newGene(Gait, 18, rng));
    return genome;
}

Genome secondComparator(const Genome& species)
{
    Rng rng(0x5EED0006);
    Genome genome = species;
    diverge(genome, rng, 22);
    setGenus(genome, SpeciesGenus, "wend", "xiro");
    for (int id = 150; id <= 155; ++id)
        removeGene(genome, Instinct, id);
    removeGene(genome, BrainLobe, 11);
    const std::size_t creatureGenes = indexOf(genome, keyOf(Stimulus, 1));
    insertAt(genome, creatureGenes, newGene(Organ, 20, rng));
    insertAt(genome, creatureGenes + 1, newGene(Receptor, 240, rng));
    insertAt(genome, creatureGenes + 2, newGene(Reaction, 240, rng));
    addToKind(genome, newGene(Pose, 200, rng));
    return genome;
}

std::string genomeBytes(const Genome& genome)
{
    testing::GenomeBuilder builder;
    builder.add(genome).end();
    return builder.bytes();
}

// The kind's genome grown by rounds of a further organ with its chemistry
// (before the creature genes) and further instincts (at the end). Ids wrap
// within a byte, so a large genome repeats keys; the reader does not mind.
Genome grownSpecies(std::size_t geneCount)
{
    Genome genome = buildSpecies();
    if (geneCount < genome.size())
        throw std::invalid_argument("a generated genome has at least " + std::to_string(genome.size()) + " genes");
    Rng rng(0x5EED0008);
    int organ = 30, chemistry = 100, instinct = 210;
    const auto nextId = [](int& id) { return id = id % 255 + 1; };
    while (genome.size() < geneCount) {
        std::size_t at = indexOf(genome, keyOf(Stimulus, 1));
        insertAt(genome, at++, newGene(Organ, nextId(organ), rng));
        for (GeneKind kind : {Receptor, Receptor, Emitter, Emitter, Reaction})
            insertAt(genome, at++, newGene(kind, nextId(chemistry), rng));
        for (int i = 0; i < 6; ++i)
            genome.push_back(newGene(Instinct, nextId(instinct), rng));
    }
    genome.resize(geneCount);
    return genome;
}

// ---------------------------------------------------------------- chemicals

std::string chemicalFileBytes()
{
    // Named by what they do in the creature.
    static constexpr const char* Named[] = {
        "Inert filler",  "Glycerol",      "Ketone base",   "Adrenal tonic", "Sweet sap",     "Pith starch",
        "Muscle fuel",   "Spent fuel",    "Breath gas",    "Stale breath",  "Moisture",      "Bile salt",
        "Calm tonic",    "Fret hormone",  "Drowse factor", "Waking factor", "Growth serum",  "Elder serum",
        "Mating musk",   "Brood hormone", "Ache signal",   "Joy signal",    "Chill signal",  "Heat signal",
        "Weary signal",  "Hunger signal", "Thirst signal", "Gloom signal",  "Fright signal", "Ire signal",
        "Tedium signal", "Crowd signal",  "Lonely signal", "Wound toxin",   "Blight venom",  "Marsh fever",
        "Clearing salt", "Mend factor",   "Repair tonic",  "Lifeforce",     "Bone mineral",  "Skin oil",
    };
    // The rest: the compounds of the creature's lesser chemistry.
    static constexpr const char* Roots[] = {"Amber",  "Basil",   "Cobalt", "Dusk",    "Ember",   "Fennel",
                                            "Garnet", "Hazel",   "Indigo", "Juniper", "Kestrel", "Linden",
                                            "Marrow", "Nettle",  "Ochre",  "Pewter",  "Quartz",  "Russet",
                                            "Sorrel", "Thistle", "Umber",  "Vesper",  "Willow",  "Yarrow"};
    static constexpr const char* Forms[] = {" acid",  " salt",   " tonic", " enzyme", "ase",   "ine",    "ol",
                                            " lymph", " factor", " serum", " ester",  " base", " oxide", " peptide"};
    // Left without a name, to show how a nameless chemical looks.
    static constexpr int Unnamed[] = {47, 122, 199, 254};

    std::vector<std::string> compounds;
    for (const char* root : Roots)
        for (const char* form : Forms)
            compounds.push_back(std::string(root) + form);
    Rng rng(0x5EED0007);
    for (std::size_t i = compounds.size(); i > 1; --i)
        std::swap(compounds[i - 1], compounds[static_cast<std::size_t>(rng.range(0, static_cast<int>(i) - 1))]);

    std::string bytes("\x00\x01", 2);
    std::size_t nextCompound = 0;
    for (int chemical = 0; chemical < 256; ++chemical) {
        std::string name;
        if (std::find(std::begin(Unnamed), std::end(Unnamed), chemical) != std::end(Unnamed))
            name.clear();
        else if (chemical < static_cast<int>(std::size(Named)))
            name = Named[chemical];
        else
            name = compounds[nextCompound++];
        bytes += static_cast<char>(name.size());
        bytes += name;
    }
    return bytes;
}

std::string settingsText()
{
    return "; Helixplot settings for the sample genomes. Point HELIXPLOT_SETTINGS at this\n"
           "; file; relative folders are taken from the folder of this file.\n"
           "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\n"
           "Main Directory=./\n"
           "Genetics Directory=./\n";
}

} // namespace

std::vector<SampleFile> generateSamples()
{
    const Genome species = buildSpecies();
    const Family family = buildFamily(species);
    return {
        {MotherFile, genomeBytes(family.mother)},
        {FatherFile, genomeBytes(family.father)},
        {ChildFile, genomeBytes(family.child)},
        {FirstComparatorFile, genomeBytes(firstComparator(species))},
        {SecondComparatorFile, genomeBytes(secondComparator(species))},
        {ChemicalsFile, chemicalFileBytes()},
        {SettingsFile, settingsText()},
    };
}

std::string generatedGenomeBytes(std::size_t geneCount)
{
    return genomeBytes(grownSpecies(geneCount));
}

std::vector<SampleFile> writeSamples(const std::string& folder)
{
    std::filesystem::create_directories(folder);
    std::vector<SampleFile> files = generateSamples();
    for (const SampleFile& file : files)
        testing::writeFile((std::filesystem::path(folder) / file.name).string(), file.bytes);
    return files;
}

} // namespace helixplot::samples
