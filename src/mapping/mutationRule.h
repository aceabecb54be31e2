// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <concepts>
#include <cstdint>
#include <utility>

namespace helixplot {

// How a comparator stands to a gene of the examined genome: it lacks the
// gene's key, or its first gene under that key in lookup order has the same
// body or another one.
enum class Counterpart : std::uint8_t { Missing, Same, Different };

// What the mutation rules ask of a comparator, whether it is a whole genome
// (GeneIndex) or only its fingerprints (FingerprintTable): the counterpart of
// a gene of the examined genome, given in the comparator's own form, Gene.
template <typename Genes>
concept ComparatorGenes =
    std::same_as<decltype(std::declval<const Genes&>().counterpart(std::declval<const typename Genes::Gene&>())),
                 Counterpart>;

// The mutated tree lists a gene unless a comparator in use holds the same
// body under its key.
constexpr bool listedAsMutated(Counterpart mother, Counterpart father)
{
    return mother != Counterpart::Same && father != Counterpart::Same;
}

// The statistics count a listed gene as mutated only when some comparator
// in use holds its key: a gene new to all of them is additional, not
// mutated.
constexpr bool countsAsMutated(Counterpart mother, Counterpart father)
{
    return listedAsMutated(mother, father) && (mother != Counterpart::Missing || father != Counterpart::Missing);
}

// A comparator not in use is passed empty: it holds nothing. (Inline: the
// census asks for every gene of every genome.)
template <ComparatorGenes Genes>
inline bool countsAsMutated(const typename Genes::Gene& gene, const Genes& mother, const Genes& father)
{
    return countsAsMutated(mother.counterpart(gene), father.counterpart(gene));
}

template <ComparatorGenes Genes>
inline bool listedAsMutated(const typename Genes::Gene& gene, const Genes& mother, const Genes& father)
{
    return listedAsMutated(mother.counterpart(gene), father.counterpart(gene));
}

// Calls visit with every gene of examined (anything with a forEachGene()
// that gives the comparators' Gene) that counts as mutated, in examined's
// order.
template <typename Examined, ComparatorGenes Genes, typename Visit>
void forEachMutatedGene(const Examined& examined, const Genes& mother, const Genes& father, Visit&& visit)
{
    examined.forEachGene([&](const typename Genes::Gene& gene) {
        if (countsAsMutated(gene, mother, father))
            visit(gene);
    });
}

} // namespace helixplot
