// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace helixplot {

// The one form of each label that several outputs and the desktop program
// show.

// A gene key as typed: "TYPE:SUBTYPE:ID", each a number from 0 to 255,
// decimal ("2:5:29") or hexadecimal as the text output shows ids
// ("2:5:0x1D"); nothing when text is not that. Whether type and subtype
// name a gene kind is the caller's to check (kindOf).
std::optional<std::array<std::uint8_t, 3>> geneNumbersFromText(std::string_view text);

// The caption a gene key goes by in every output: the statistics row of its
// kind and its id as two hexadecimal digits ("Reactions 2B").
std::string geneKeyCaption(std::uint16_t geneKey);

// A census row's creature: its file's name without folder and ".gen".
std::string creatureName(std::string_view censusFile);

} // namespace helixplot
