// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <span>
#include <string_view>

namespace helixplot {

// Name tables read by more than one decoder unit.
extern const std::array<std::string_view, 8> LobeIoNames;
extern const std::array<std::string_view, 17> DriveNames;

// The decoders' own tables, for the genome text, which names the same values
// with the same words.
std::span<const std::string_view> svRuleTokenNames();
std::span<const std::string_view> stimulusNames();
std::span<const std::string_view> sensoryNeuronNames();
std::span<const std::string_view> actionNames();
std::span<const std::string_view> gaitNames();

} // namespace helixplot
