// SPDX-License-Identifier: GPL-3.0-or-later
#include "geneLayout.h"

#include "decoder/nameTables.h"
#include "decoder/unitGeneDecoder.h"

#include <array>
#include <initializer_list>
#include <stdexcept>

namespace helixplot {

namespace {

std::vector<std::string> namesOf(std::span<const std::string_view> table, std::size_t from = 0)
{
    std::vector<std::string> names;
    for (std::size_t i = from; i < table.size(); ++i)
        names.emplace_back(table[i]);
    return names;
}

// Fields are added in body order; each starts where the last one ended.
class LayoutBuilder {
public:
    explicit LayoutBuilder(KindLayout& layout) : layout_(layout) {}

    FieldLayout& add(std::string name, FieldReading reading = FieldReading::Number, std::string shownAs = {},
                     std::uint16_t width = 1)
    {
        FieldLayout& f = layout_.fields.emplace_back();
        f.name = std::move(name);
        f.offset = next_;
        f.width = width;
        f.reading = reading;
        f.shownAs = std::move(shownAs);
        next_ = static_cast<std::uint16_t>(next_ + width);
        return f;
    }
    FieldLayout& named(std::string name, std::vector<std::string> names, std::string shownAs,
                       std::string shownOutside = {})
    {
        FieldLayout& f = add(std::move(name), FieldReading::Named, std::move(shownAs));
        f.names = std::move(names);
        f.shownOutside = std::move(shownOutside);
        return f;
    }
    FieldLayout& flags(std::string name, std::vector<std::string> bits)
    {
        FieldLayout& f = add(std::move(name), FieldReading::Flags);
        f.names = std::move(bits);
        return f;
    }
    // An SV rule: twelve tokens, shown as the decoders' rule text.
    FieldLayout& rule(std::string name, std::string shownAs)
    {
        FieldLayout& f = add(std::move(name), FieldReading::List, std::move(shownAs), 12);
        f.names = namesOf(svRuleTokenNames());
        f.listJoint = ":";
        f.listShowsEnd = true;
        f.shownOutside = "UNK{n}";
        return f;
    }
    std::uint16_t size() const { return next_; }

private:
    KindLayout& layout_;
    std::uint16_t next_ = 0;
};

const std::vector<std::string> LocusOrgans = {"Brain", "Creature", "Current Organ"};
const std::vector<std::string> GenusNames = {"Tarrin", "Brokka", "Vosk", "Quilla"};

// The gene's own line from its start: "{h}" is the header text.
constexpr std::string_view AfterHeader = "top:{h}";

void describeLobe(LayoutBuilder& b)
{
    b.add("x", FieldReading::Number, "* x * at ({},*)");
    b.add("y", FieldReading::Number, "* x * at (*,{})");
    b.add("width", FieldReading::Number, "{} x * at (*,*)");
    b.add("height", FieldReading::Number, "* x {} at (*,*)");
    b.named("perception-link", {"not-copied", "copied", "exclusive"}, "{}", "Unknown Perceptible Link of {n}")
        .shownNames = {"Data not copied to perception lobe", "Data Copied to perception lobe",
                       "This and the perception lobe are mutually exclusive"};
    b.add("threshold", FieldReading::Number, "Cell Body Dynamics/Nominal State Threshold = {}");
    b.add("leakage", FieldReading::Number, "Cell Body Dynamics/Leakage rate = {}");
    b.add("rest-state", FieldReading::Number, "Cell Body Dynamics/Rest state = {}");
    b.add("attenuation", FieldReading::Number, "Cell Body Dynamics/Attenuation (input lo/hi) = {}");
    b.rule("cell-rule", "Cell Body Dynamics/SVRule = {}");
    // 0 shows no line at all.
    b.named("cell-flags", {"none", "winner-takes-all"}, "{}", "Cell Body Dynamics/Unknown Cell flags of {n}")
        .shownNames = {"", "Cell Body Dynamics/Winner takes all"};
    for (const char* type : {"0", "1"}) {
        const std::string prefix = std::string("d") + type + "-";
        const std::string growth = std::string("Dendrites (Type ") + type + ")/Growth/";
        const std::string dynamics = std::string("Dendrites (Type ") + type + ")/Dynamics/";
        b.named(prefix + "source", namesOf(LobeIoNames), growth + "Dendrites Source from {}",
                growth + "Dendrites Source from unknown lobe {n}");
        b.add(prefix + "min-dendrites", FieldReading::Number, growth + "Number of Dendrites ranges from {} to *");
        b.add(prefix + "max-dendrites", FieldReading::Number, growth + "Number of Dendrites ranges from * to {}");
        b.named(prefix + "spread", {"Flat", "Normal", "Saw", "waS"}, growth + "Spreading pattern is \"{}\"*",
                growth + "Spreading pattern is unknown ({n})");
        b.add(prefix + "fan-out", FieldReading::Number, growth + "Fan out Width = {}");
        b.add(prefix + "min-ltw", FieldReading::Number, growth + "Initial Long Term Weight Range is from {} to *");
        b.add(prefix + "max-ltw", FieldReading::Number, growth + "Initial Long Term Weight Range is from * to {}");
        b.add(prefix + "min-strength", FieldReading::Number, growth + "Initial Dendrite Strength ranges from {} to *");
        b.add(prefix + "max-strength", FieldReading::Number, growth + "Initial Dendrite Strength ranges from * to {}");
        b.named(prefix + "migration", {"never", "if-any-loose", "when-all-loose"}, growth + "{}",
                growth + "Unrecognised Migration rule: {n}")
            .shownNames = {"Dendrites never migrate", "Dendrites migrate if any are loose, and the cell is firing",
                           "Dendrites migrate when all are loose."};
        b.add(prefix + "relax-susceptibility", FieldReading::Number, dynamics + "Relaxation Succeptibility = {}");
        b.add(prefix + "relax-stw", FieldReading::Number, dynamics + "Relaxtion Short Term Weight = {}");
        b.add(prefix + "ltw-gain", FieldReading::Number, dynamics + "Long Term Weight Gain = {}");
        b.add(prefix + "gain-every", FieldReading::Number, dynamics + "Gain Strength every {} if * > 0");
        b.rule(prefix + "gain-rule", dynamics + "Gain Strength every * if {} > 0");
        b.add(prefix + "lose-every", FieldReading::Number, dynamics + "Lose Strength every {} if * > 0");
        b.rule(prefix + "lose-rule", dynamics + "Lose Strength every * if {} > 0");
        b.rule(prefix + "susceptibility-rule", dynamics + "Succeptibility Rule = {}");
        b.rule(prefix + "reinforcement-rule", dynamics + "Reinforcement Rule = {}");
        b.rule(prefix + "back-propagation-rule", dynamics + "Back propogation Rule = {}");
        b.rule(prefix + "forward-propagation-rule", dynamics + "Forward Propogation Rule = {}");
    }
}

void describeOrgan(LayoutBuilder& b)
{
    b.add("clock-rate", FieldReading::Number, "ClockRate: {}");
    b.add("repair-rate", FieldReading::Number, "Lifeforce Repair Rate: {}");
    b.add("biotick-start", FieldReading::Number, "Biotick Start Value: {}");
    b.add("atp-damage", FieldReading::Number, "ATP Damage Coefficient: {}");
    b.add("spare");
}

// Receptors and emitters share the locus and the chemical.
void describeLocus(LayoutBuilder& b)
{
    b.named("organ", LocusOrgans, "{}*", "Unknown LOA: {n}:*:*");
    // Tissue and locus are named by the organ: the text's comment shows
    // the whole locus as the breakdown does.
    b.add("tissue");
    b.add("locus");
}

void describeReceptor(LayoutBuilder& b)
{
    describeLocus(b);
    b.add("chemical", FieldReading::Chemical, "{} binds to receptor");
    b.add("threshold", FieldReading::Number, "Threshold Value is: {}");
    b.add("nominal", FieldReading::Number, "Nominal Value is:{}");
    b.add("gain", FieldReading::Number, "Gain of receptor is: {}");
    b.flags("options", {"reduces", "digital", "bit2", "bit3", "bit4", "bit5", "bit6", "bit7"});
}

void describeEmitter(LayoutBuilder& b)
{
    describeLocus(b);
    b.add("chemical", FieldReading::Chemical, "{} released from Emitter");
    b.add("threshold", FieldReading::Number, "Threshold Value is: {}");
    b.add("rate", FieldReading::Number, "Rate of Emitter is:{} (*)");
    b.add("gain", FieldReading::Number, "Gain of Emitter is: {}");
    b.flags("options", {"clear-input", "digital", "invert", "bit3", "bit4", "bit5", "bit6", "bit7"});
}

void describeReaction(LayoutBuilder& b)
{
    const std::string head = std::string(AfterHeader);
    const std::string breakdown = "|top:* ->  Total Breakdown *";
    b.add("reactant1-amount", FieldReading::Number, head + "* ({n}) * (*) -> *");
    b.add("reactant1", FieldReading::Chemical, head + "{n} (*) * (*) -> *");
    b.add("reactant2-amount", FieldReading::Number, head + "* (*) * ({n}) -> *");
    b.add("reactant2", FieldReading::Chemical, head + "* (*) {n} (*) -> *");
    b.add("product1-amount", FieldReading::Number, "top:* -> * ({n}) * (*) *" + breakdown);
    b.add("product1", FieldReading::Chemical, "top:* -> {n} (*) * (*) *" + breakdown);
    b.add("product2-amount", FieldReading::Number, "top:* -> * (*) * ({n}) *" + breakdown);
    b.add("product2", FieldReading::Chemical, "top:* -> * (*) {n} (*) *" + breakdown);
    b.add("rate", FieldReading::Number, "Rate: {} (*)");
}

void describeStimulus(LayoutBuilder& b)
{
    b.named("stimulus", namesOf(stimulusNames()), "When \"{}\" occurs...", "When Unknown Stim {n} occurs...");
    b.add("significance", FieldReading::Number, "Significance of {}");
    b.named("neuron", namesOf(sensoryNeuronNames()), "Sensory Neuron: {}", "Unknown Neuron {n}");
    b.add("intensity", FieldReading::Number, "Intensity: {}");
    b.flags("options", {"modulate", "add-offset", "when-asleep", "bit3", "bit4", "bit5", "bit6", "bit7"});
    for (const char* n : {"1", "2", "3", "4"}) {
        // A pair shows only when its chemical is set.
        // Adding a field may move the others: offsets are kept, not references.
        const int chemical = b.size();
        b.add(std::string("chemical") + n, FieldReading::Chemical, "* of {}").shownIfOffset = chemical;
        b.add(std::string("amount") + n, FieldReading::Number, "{} of *").shownIfOffset = chemical;
    }
}

void describeCreature(GeneKind kind, LayoutBuilder& b)
{
    switch (kind) {
    case GeneKind::Stimulus:
        describeStimulus(b);
        break;
    case GeneKind::Genus:
        b.named("genus", GenusNames, "top:*{}, Child of *");
        b.add("mother", FieldReading::Text, "top:*{} and *", 4);
        b.add("father", FieldReading::Text, "top:* and {}", 4);
        break;
    case GeneKind::Appearance:
        b.named("part", {"Head", "Body", "Legs", "Arms", "Tail"}, "top:*{} of variant ~");
        b.add("variant", FieldReading::Number, "top:*{c}");
        b.named("genus", GenusNames, std::string(AfterHeader) + "{} *");
        break;
    case GeneKind::Pose:
        b.add("spare");
        b.add("pose", FieldReading::Text, "top:*{}", 15);
        break;
    case GeneKind::Gait: {
        b.named("gait", namesOf(gaitNames()), "top:*{} using poses*");
        FieldLayout& poses = b.add("poses", FieldReading::List, "top:*using poses: {}|top:*using poses", 8);
        poses.listJoint = ", ";
        break;
    }
    case GeneKind::Instinct: {
        std::vector<std::string> lobes = namesOf(LobeIoNames);
        lobes[0] = "none"; // lobe 0 leaves the input out
        for (const char* n : {"1", "2", "3"}) {
            FieldLayout& lobe = b.named(std::string("lobe") + n, lobes, "If {}, * and...");
            lobe.shownIfOffset = lobe.offset;
            b.add(std::string("neuron") + n);
        }
        b.named("action", namesOf(actionNames()), "If I {}...", "If I \"Unknown Motor Decision: {n}\" ...");
        b.add("chemical", FieldReading::Chemical, "Then Inject me with * of {}");
        b.add("amount", FieldReading::Number, "Then Inject me with {} of *");
        break;
    }
    case GeneKind::Pigment: {
        b.named("colour", {"Red", "Green", "Blue"}, "top:*{} *");
        FieldLayout& amount = b.add("amount", FieldReading::Number, "top:* {}");
        amount.shownIfOffset = 0;
        amount.shownIfMin = 0;
        amount.shownIfMax = 2;
        break;
    }
    case GeneKind::PigmentBleed:
        b.add("rotation", FieldReading::Number, "top:*Rotation: {}, Swap: *");
        b.add("swap", FieldReading::Number, "top:*, Swap: {}");
        break;
    default:
        break;
    }
}

KindLayout describe(GeneKind kind)
{
    static constexpr std::array<std::string_view, GeneKindCount> Words = {
        "brain-lobe",    "brain-organ", "receptor",   "emitter", "reaction", "half-lives", "initial-concentration",
        "stimulus",      "genus",       "appearance", "pose",    "gait",     "instinct",   "pigment",
        "pigment-bleed", "organ",
    };
    KindLayout layout;
    layout.kind = kind;
    layout.word = Words[indexOf(kind)];
    LayoutBuilder b(layout);
    switch (kind) {
    case GeneKind::BrainLobe:
        describeLobe(b);
        break;
    case GeneKind::BrainOrgan:
    case GeneKind::Organ:
        describeOrgan(b);
        break;
    case GeneKind::Receptor:
        describeReceptor(b);
        break;
    case GeneKind::Emitter:
        describeEmitter(b);
        break;
    case GeneKind::Reaction:
        describeReaction(b);
        break;
    case GeneKind::HalfLives:
        b.add("half-life", FieldReading::HalfLives, "{#} - {} (*)", 256);
        break;
    case GeneKind::InitialConcentration:
        b.add("chemical", FieldReading::Chemical, std::string(AfterHeader) + "{} *");
        b.add("amount", FieldReading::Number, "top:* {}");
        break;
    default:
        describeCreature(kind, b);
        break;
    }
    if (b.size() != infoOf(kind).bodyLength)
        throw std::logic_error("the layout of " + layout.word + " does not cover its body");
    return layout;
}

KindLayout describeHeader()
{
    KindLayout layout;
    layout.word = "header";
    auto field = [&](std::string name, std::uint16_t offset, FieldReading reading,
                     std::string shownAs) -> FieldLayout& {
        FieldLayout& f = layout.fields.emplace_back();
        f.name = std::move(name);
        f.offset = offset;
        f.reading = reading;
        f.shownAs = std::move(shownAs);
        return f;
    };
    field("id", 2, FieldReading::Number, "top:{x} *");
    field("stage", 4, FieldReading::Named, "top:~~ ~ {} *").names = {"Emb", "Chl", "Ado", "You", "Adu", "Old", "Sen"};
    field("flags", 5, FieldReading::Flags, {}).names = {"mut",    "del",     "dup",  "male",
                                                        "female", "carried", "bit6", "bit7"};
    field("value", 6, FieldReading::Number, "top:~~ ~ ~~~ ~~~/~~~/~~~ {} *|top:~~ ~ ~~~ ~~~/~~~/~~~ ({}) *");
    field("reserved", 3, FieldReading::Number, {});
    return layout;
}

const std::array<KindLayout, GeneKindCount>& allLayouts()
{
    static const std::array<KindLayout, GeneKindCount> layouts = [] {
        std::array<KindLayout, GeneKindCount> all;
        for (const GeneKindInfo& info : GeneKinds)
            all[indexOf(info.kind)] = describe(info.kind);
        return all;
    }();
    return layouts;
}

} // namespace

const KindLayout& headerLayout()
{
    static const KindLayout header = describeHeader();
    return header;
}

const KindLayout& bodyLayout(GeneKind kind)
{
    return allLayouts()[indexOf(kind)];
}

} // namespace helixplot
