// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace helixplot::samples {

// The sample family: a child and its two parents, in one folder. The child's
// genus gene names the parents' stems, so the program finds them itself.
inline constexpr const char* MotherFile = "nela.gen";
inline constexpr const char* FatherFile = "orvo.gen";
inline constexpr const char* ChildFile = "tibb.gen";
// Two genomes of the same kind that are no kin of the family.
inline constexpr const char* FirstComparatorFile = "quin.gen";
inline constexpr const char* SecondComparatorFile = "yeva.gen";

inline constexpr const char* ChemicalsFile = "allchemicals.str";
inline constexpr const char* SettingsFile = "settings.ini";

struct SampleFile {
    std::string name;  // file name inside the output folder
    std::string bytes; // whole content
};

// Every sample file with its content. The same bytes on every run and with
// every compiler: all randomness comes from fixed-seed generators of our own.
std::vector<SampleFile> generateSamples();

// Writes generateSamples() into folder, creating the folder if needed and
// replacing files of the same names; returns what it wrote.
std::vector<SampleFile> writeSamples(const std::string& folder);

// A genome of the samples' kind with exactly geneCount genes, for measuring
// large runs: more organs with their chemistry and more instincts. Throws
// std::invalid_argument below the kind's own gene count.
std::string generatedGenomeBytes(std::size_t geneCount);

} // namespace helixplot::samples
