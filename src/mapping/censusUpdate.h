// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "census.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

namespace helixplot {

// Brings a census up to date with one file of its folder that appeared,
// changed or went away since, without taking the census again: the file's
// row is read anew (or dropped) in its place in file order, and the families
// are linked again, all as takeCensus would. A row whose parents' rows change (the new file is its
// missing parent, or a parent left) has its mutated genes counted again.
// file is relative to folder and '/'-separated, as rows name their files.
// Returns the file's row, none when the file is gone or is not a genome.
std::optional<std::size_t> updateCensusFile(Census& census, const std::string& folder, const std::string& file);

// The same for many files at once (a burst the game or a copy writes): each
// read once, on threads, and the families linked once. Once cancel is set,
// CensusCancelled is thrown and the census is left as it was.
void updateCensusFiles(Census& census, const std::string& folder, std::vector<std::string> files,
                       const std::atomic<bool>* cancel = nullptr, unsigned threads = 2);
// The same into a new census, census left as it is (not copied first).
Census updatedCensus(const Census& census, const std::string& folder, std::vector<std::string> files,
                     const std::atomic<bool>* cancel = nullptr, unsigned threads = 2);

} // namespace helixplot
