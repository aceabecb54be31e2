// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace helixplot {

// The one colour scale for a creature's count of mutated genes, drawn alike
// by the population window's pedigree and the report's family tree: a shade
// per range of counts, light to dark, and a grey for a count that is not
// known (a parent's file is missing).
struct MutatedShade {
    std::size_t from;  // the lowest count of the shade
    std::uint32_t rgb; // 0xRRGGBB
};
inline constexpr std::array<MutatedShade, 6> MutatedShades{
    {{0, 0xffffcc}, {1, 0xffeda0}, {2, 0xfed976}, {3, 0xfeb24c}, {5, 0xfd8d3c}, {9, 0xf0603a}}};
inline constexpr std::uint32_t NotCountedColour = 0xeceff2;

// The shade of a count, as an index into MutatedShades; none for a count
// that is not known.
constexpr std::optional<std::size_t> mutatedShade(std::optional<std::size_t> mutated)
{
    if (!mutated)
        return std::nullopt;
    std::size_t shade = 0;
    while (shade + 1 < MutatedShades.size() && *mutated >= MutatedShades[shade + 1].from)
        ++shade;
    return shade;
}

// The highest count of a shade; none for the last, which has no end.
constexpr std::optional<std::size_t> mutatedShadeEnd(std::size_t shade)
{
    if (shade + 1 >= MutatedShades.size())
        return std::nullopt;
    return MutatedShades[shade + 1].from - 1;
}

} // namespace helixplot
