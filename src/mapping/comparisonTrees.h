// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/displayTree.h"
#include "familyNodes.h"
#include "geneMatching.h"
#include "progress.h"

#include <array>

namespace helixplot {

class MutatedChanges;

inline constexpr std::string_view MaternalMissingText = "Maternal genes missing from genome";
inline constexpr std::string_view PaternalMissingText = "Paternal genes missing from genome";
inline constexpr std::string_view NothingMissingText = "No comparator genes missing from genome";
inline constexpr std::string_view NothingAdditionalText = "No additional genes over comparators";
// Holds an additional genus gene; the mutated tree never lists genus genes.
inline constexpr std::string_view AdditionalGenusText = "Creature Genus";

// Each builder clears its tree, reports its positions and ends its stage
// (2, 3 or 4) with mark 2; the caller has begun that stage.
// The mutated tree also records each listed gene's change in changes, when
// given.
void buildMutatedTree(const GenomeComparison& genomes, DisplayTree& tree, ProgressReporter& progress,
                      MutatedChanges* changes = nullptr);
void buildMissingTree(const GenomeComparison& genomes, DisplayTree& tree, ProgressReporter& progress);
void buildAdditionalTree(const GenomeComparison& genomes, DisplayTree& tree, ProgressReporter& progress);

// Lists gene under its family unless a comparator in use holds the same
// body under its key. (The tree has no genus family, so it shows no genus
// gene all the same.) Records its change in changes, when given.
void addMutatedGene(const GeneRecord& gene, const GenomeComparison& genomes, DisplayTree& tree,
                    const FamilyNodes& families, MutatedChanges* changes = nullptr);
// Lists gene under its family when no comparator in use holds its key.
void addAdditionalGene(const GeneRecord& gene, const GenomeComparison& genomes, DisplayTree& tree,
                       const FamilyNodes& families);
// Lists under parent every gene of comparator whose key the examined genome
// lacks, reporting one position (counted on from position) for the loose
// genes and one per organ. No comparator: nothing, not even a position.
void addMissingGenesOf(const TGeneticsFile* comparator, const GeneIndex& examinedGenes, DisplayTree& tree,
                       NodeId parent, int& position, ProgressReporter& progress);
// Deletes every top-level node without children, then ends stage.
void pruneEmptyFamilies(DisplayTree& tree, int stage, ProgressReporter& progress);

} // namespace helixplot
