// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/unitGenetics.h"

#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

inline constexpr const char* InvalidGenomeLine = " -- Invalid Filename or Bad gene file --";

// The parent's four-character name from the first loose gene (normally the
// genus gene): body bytes 1-4 for the mother, 5-8 for the father, cut at the
// first zero byte. Empty when the genome has no loose gene.
std::string parentName(const TGeneticsFile& genome, bool father);
// The same from the first loose gene itself.
std::string parentName(const GeneRecord& firstLooseGene, bool father);

// True when name can only mean a file in the folder it is joined to: not
// empty, not "." or "..", no separator and no control character.
bool isPlainFileName(std::string_view name);

// The parent's genome file: the examined file's directory, the parent's
// name, ".gen". The name comes from a file that anyone may have made, so
// when it is no plain file name (see isPlainFileName) the result is empty:
// that parent's file is not found, and nothing outside the examined
// genome's folder is ever opened.
std::string parentFilePath(const std::string& examinedPath, const TGeneticsFile& genome, bool father);
// The same from the examined genome's first loose gene: the one rule for
// every place that looks for a parent's file.
std::string parentFilePath(const std::string& examinedPath, const GeneRecord& firstLooseGene, bool father);
// The same from the parent's name as parentName gives it.
std::string parentFileNamed(const std::string& examinedPath, std::string_view parentName);

// The selection dialog's summary of a genome: four lines, or the one invalid
// line when there is no genome.
std::vector<std::string> genomeSummary(const TGeneticsFile* genome);

} // namespace helixplot
