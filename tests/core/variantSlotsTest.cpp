// SPDX-License-Identifier: GPL-3.0-or-later
#include "mapping/variantSlots.h"

#include <gtest/gtest.h>

namespace helixplot {
namespace {

GeneVariants variantsOf(std::uint16_t key, std::vector<std::uint64_t> bodies)
{
    GeneVariants out;
    out.geneKey = key;
    for (std::uint64_t body : bodies)
        out.variants.push_back({body, std::nullopt, 0, 1});
    return out;
}

TEST(VariantSlots, SurvivingVersionsKeepTheirNumbersAsTheFolderChanges)
{
    struct Step {
        std::uint16_t key;
        std::vector<std::uint64_t> bodies; // in the order the census meets them
        std::vector<int> numbers;
    };
    const Step steps[] = {
        {7, {0xa, 0xb, 0xc}, {0, 1, 2}},
        // The founder with 0xa removed: the others keep 1 and 2, not 0 and 1.
        {7, {0xb, 0xc}, {1, 2}},
        {7, {0xc, 0xb}, {2, 1}},
        // A new version takes the lowest number free.
        {7, {0xb, 0xd, 0xc, 0xf}, {1, 0, 2, 3}},
        // Another gene starts again.
        {9, {0xc, 0xe}, {0, 1}},
    };
    VariantSlots slots;
    for (const Step& step : steps)
        EXPECT_EQ(slots.assign(variantsOf(step.key, step.bodies)), step.numbers) << step.bodies.size();
}

} // namespace
} // namespace helixplot
