// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/census.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot::cli {

// The census's family tree as inline SVG from the core's pedigree layout,
// with a legend of the boxes' colours and a search box the page's script
// shows. names and files hold each row's creature name and file name,
// already escaped for HTML. A box leads to "#row-N", its mutated count to
// "#changes-N".
std::string pedigreeSection(const Census& census, const std::vector<std::string>& names,
                            const std::vector<std::string>& files);
// The same handed to write a band at a time. lazy keeps each band's drawing
// as the text of a <script type="text/plain" class="lazy"> in its place,
// for the page's script to draw when the band comes near the view.
void writePedigreeSection(const std::function<void(std::string_view)>& write, const Census& census,
                          const std::vector<std::string>& names, const std::vector<std::string>& files,
                          bool lazy = false);

// A coordinate or length in SVG: one decimal, none when it is ".0".
std::string svgNumber(double value);

// The section's style sheet and script, for the page's one <style> and one
// <script>.
extern const char* const PedigreeStyle;
extern const char* const PedigreeScript;

} // namespace helixplot::cli
