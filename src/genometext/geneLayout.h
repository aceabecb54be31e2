// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/geneKinds.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

// How a field's bytes read.
enum class FieldReading : std::uint8_t {
    Number,   // one byte, 0 to 255
    Chemical, // one byte, a chemical by name or number
    Named,    // one byte, one of a set of names (a number outside it)
    Flags,    // one byte, a set of named bits
    Text,     // a run of single-byte characters, zero bytes padding the end
    List,     // a run of bytes, each a number or a name of the set
    HalfLives // the 256 half-lives, one per chemical: "half-life CHEMICAL VALUE"
};

// One byte or run of bytes of a gene, described once for the text, the
// documentation and the check against the decoders.
struct FieldLayout {
    std::string name;         // the word in the genome text
    std::uint16_t offset = 0; // in the body, or in the header for header fields
    std::uint16_t width = 1;  // bytes
    FieldReading reading = FieldReading::Number;
    std::vector<std::string> names; // Named and List: value -> name; Flags: bit -> name
    // Where the breakdown shows the value, for the check against the
    // decoders: a line of the gene's subtree (its captions joined by "/",
    // "top:" for the gene's own line), "*" standing for any text, "~" for
    // any one character, "{h}" for the gene's header text, "{}" for
    // the value as read, "{n}" in decimal, "{x}" in two hexadecimal digits,
    // "{c}" as the character (value + 65), "{#}" for the chemical a
    // half-life belongs to; "|" between alternatives. Empty: never shown,
    // or shown only through other fields.
    std::string shownAs;
    // Named fields: the breakdown's text for each name where it differs
    // from the name; List fields: the joint between items, and whether the
    // zero that ends the list is shown.
    std::vector<std::string> shownNames;
    std::string listJoint;
    bool listShowsEnd = false;
    // The line for a value outside the set, or for a list item outside it.
    std::string shownOutside;
    // Shown only while the body byte at shownIfOffset lies in
    // [shownIfMin, shownIfMax]; -1 for always.
    int shownIfOffset = -1;
    int shownIfMin = 1;
    int shownIfMax = 255;
};

struct KindLayout {
    std::optional<GeneKind> kind; // none for the header
    std::string word;             // "receptor", the word after "gene"
    std::vector<FieldLayout> fields;
};

// The header fields in text order (id, stage, flags, value, reserved); their
// offsets count from the first header byte (type is 0).
const KindLayout& headerLayout();
// The body of each of the sixteen kinds, every byte described once.
const KindLayout& bodyLayout(GeneKind kind);

} // namespace helixplot
