#pragma once

#include "genetics/unitGenetics.h"

#include <string>
#include <vector>

namespace helixplot {

inline constexpr const char* InvalidGenomeLine = " -- Invalid Filename or Bad gene file --";

// The parent's four-character name from the first loose gene (normally the
// genus gene): body bytes 1-4 for the mother, 5-8 for the father, cut at the
// first zero byte. Empty when the genome has no loose gene.
std::string parentName(const TGeneticsFile& genome, bool father);

// The parent's genome file: the examined file's directory, the parent's
// name, ".gen".
std::string parentFilePath(const std::string& examinedPath, const TGeneticsFile& genome, bool father);

// The selection dialog's summary of a genome: four lines, or the one invalid
// line when there is no genome.
std::vector<std::string> genomeSummary(const TGeneticsFile* genome);

} // namespace helixplot
