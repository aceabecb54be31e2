// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace helixplot {

// The sixteen gene kinds, in (type, subtype) order. That order is also the
// order of the statistics rows and of the decoder dispatch.
enum class GeneKind : std::uint8_t {
    BrainLobe,
    BrainOrgan,
    Receptor,
    Emitter,
    Reaction,
    HalfLives,
    InitialConcentration,
    Stimulus,
    Genus,
    Appearance,
    Pose,
    Gait,
    Instinct,
    Pigment,
    PigmentBleed,
    Organ,
};

inline constexpr std::size_t GeneKindCount = 16;

// Everything the program fixes per kind. A caption left empty means the kind
// has no node or row there.
struct GeneKindInfo {
    GeneKind kind;
    std::uint8_t type;
    std::uint8_t subtype;
    std::uint16_t bodyLength;
    // Its top-level node in the breakdown.
    std::string_view breakdownFamily;
    // Its top-level node in the mutated and additional trees; genus has none.
    std::string_view comparisonFamily;
    std::string_view statisticsCaption;
};

inline constexpr std::array<GeneKindInfo, GeneKindCount> GeneKinds = {{
    {GeneKind::BrainLobe, 0, 0, 196, "Orphaned Brain Lobes", "Brain Lobes", "Brain Lobes"},
    {GeneKind::BrainOrgan, 0, 1, 5, "Brain Organs", "Brain Organs", "Brain Organs"},
    {GeneKind::Receptor, 1, 0, 8, "Orphaned Biochemical Receptors", "Biochemical Receptors", "Receptors"},
    {GeneKind::Emitter, 1, 1, 8, "Orphaned Biochemical Emitters", "Biochemical Emitters", "Emitters"},
    {GeneKind::Reaction, 1, 2, 9, "Orphaned Biochemical Reactions", "Biochemical Reactions", "Reactions"},
    {GeneKind::HalfLives, 1, 3, 256, "Biochemical Half-Lives", "Biochemical Half-Lives", "Half Lives"},
    {GeneKind::InitialConcentration, 1, 4, 2, "Biochemical Initial Concentrations",
     "Biochemical Initial Concentrations", "Initial Concentrations"},
    {GeneKind::Stimulus, 2, 0, 13, "Creature Stimuli", "Creature Stimuli", "Stimuli"},
    {GeneKind::Genus, 2, 1, 9, "Creature Genus", "", "Genus"},
    {GeneKind::Appearance, 2, 2, 3, "Creature Appearance", "Creature Appearance", "Appearances"},
    {GeneKind::Pose, 2, 3, 16, "Creature Poses", "Creature Poses", "Poses"},
    {GeneKind::Gait, 2, 4, 9, "Creature Gaits", "Creature Gaits", "Gaits"},
    {GeneKind::Instinct, 2, 5, 9, "Creature Instincts", "Creature Instincts", "Instincts"},
    {GeneKind::Pigment, 2, 6, 2, "Creature Pigments", "Creature Pigments", "Pigments"},
    {GeneKind::PigmentBleed, 2, 7, 2, "Creature Pigment Bleeds", "Creature Pigment Bleeds", "Pigment Bleeds"},
    {GeneKind::Organ, 3, 0, 5, "Organs", "Organs", "Organs"},
}};

// The breakdown's top-level nodes stand in this order, not in kind order.
inline constexpr std::array<GeneKind, GeneKindCount> BreakdownFamilyOrder = {
    GeneKind::Genus,
    GeneKind::Organ,
    GeneKind::BrainOrgan,
    GeneKind::HalfLives,
    GeneKind::InitialConcentration,
    GeneKind::Stimulus,
    GeneKind::Appearance,
    GeneKind::Pose,
    GeneKind::Gait,
    GeneKind::Instinct,
    GeneKind::Pigment,
    GeneKind::PigmentBleed,
    GeneKind::BrainLobe,
    GeneKind::Receptor,
    GeneKind::Emitter,
    GeneKind::Reaction,
};

constexpr std::size_t indexOf(GeneKind kind)
{
    return static_cast<std::size_t>(kind);
}

constexpr const GeneKindInfo& infoOf(GeneKind kind)
{
    return GeneKinds[indexOf(kind)];
}

namespace detail {
// The kinds by type 0-3 and subtype 0-7, so that a gene's kind is one lookup.
inline constexpr auto KindByPair = [] {
    std::array<std::array<std::optional<GeneKind>, 8>, 4> table{};
    for (const GeneKindInfo& k : GeneKinds)
        table[k.type][k.subtype] = k.kind;
    return table;
}();
} // namespace detail

// The kind of a (type, subtype) pair; none for a pair outside the sixteen.
constexpr std::optional<GeneKind> kindOf(std::uint8_t type, std::uint8_t subtype)
{
    return type < detail::KindByPair.size() && subtype < detail::KindByPair[0].size()
               ? detail::KindByPair[type][subtype]
               : std::nullopt;
}

namespace detail {
constexpr bool kindsInOrder()
{
    for (std::size_t i = 0; i < GeneKinds.size(); ++i) {
        if (indexOf(GeneKinds[i].kind) != i)
            return false;
        if (i > 0 &&
            (GeneKinds[i - 1].type << 8 | GeneKinds[i - 1].subtype) >= (GeneKinds[i].type << 8 | GeneKinds[i].subtype))
            return false;
    }
    return true;
}
} // namespace detail
static_assert(detail::kindsInOrder(), "GeneKinds is indexed by GeneKind, in (type, subtype) order");

} // namespace helixplot
