// SPDX-License-Identifier: GPL-3.0-or-later
#include "variantSlots.h"

#include <algorithm>

namespace helixplot {

std::vector<int> VariantSlots::assign(const GeneVariants& variants)
{
    if (variants.geneKey != geneKey_)
        numberOf_.clear();
    geneKey_ = variants.geneKey;
    std::vector<int> numbers(variants.variants.size(), -1);
    // Numbers up to the variants now plus those kept beyond them.
    std::vector<bool> taken(variants.variants.size(), false);
    std::unordered_map<std::uint64_t, int> kept;
    for (std::size_t v = 0; v < variants.variants.size(); ++v) {
        const auto at = numberOf_.find(variants.variants[v].body);
        if (at == numberOf_.end())
            continue;
        const auto number = static_cast<std::size_t>(at->second);
        if (number >= taken.size())
            taken.resize(number + 1, false);
        if (taken[number])
            continue; // the same version twice: a new number for the second
        numbers[v] = at->second;
        taken[number] = true;
    }
    std::size_t free = 0;
    for (std::size_t v = 0; v < numbers.size(); ++v) {
        if (numbers[v] < 0) {
            while (free < taken.size() && taken[free])
                ++free;
            if (free == taken.size())
                taken.push_back(false);
            numbers[v] = static_cast<int>(free);
            taken[free] = true;
        }
        kept.emplace(variants.variants[v].body, numbers[v]);
    }
    numberOf_ = std::move(kept);
    return numbers;
}

} // namespace helixplot
