// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lineage.h"

#include <cstdint>
#include <unordered_map>
#include <vector>

namespace helixplot {

// The numbers (and so the colours) of a gene's variants, kept while the
// folder changes: a variant whose version had a number keeps it, whatever
// order the census now meets the versions in; a new version takes the
// lowest number free. Another gene starts again from 0.
class VariantSlots {
public:
    // Per variant of variants.variants: its number.
    std::vector<int> assign(const GeneVariants& variants);
    void clear() { numberOf_.clear(); }

private:
    std::uint16_t geneKey_ = 0;
    std::unordered_map<std::uint64_t, int> numberOf_; // by the version's body
};

} // namespace helixplot
