// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string_view>

namespace helixplot {

// Name tables read by more than one decoder unit.
extern const std::array<std::string_view, 8> LobeIoNames;
extern const std::array<std::string_view, 17> DriveNames;

} // namespace helixplot
