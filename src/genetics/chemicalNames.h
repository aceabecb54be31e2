// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace helixplot {

using ChemicalNameTable = std::array<std::string, 256>;

// The 256 chemical names, by chemical number. Empty until loaded; read by the
// decoders.
extern ChemicalNameTable ChemicalNames;

// Fills table from the chemical-name file at path: two ignored bytes, then
// 256 length-prefixed names; an empty entry n is named "<n>". On a short or
// missing file throws InOutError, keeping the names read so far and leaving
// the rest empty.
void loadChemicalNames(const std::string& path, ChemicalNameTable& table = ChemicalNames);
// The same from bytes already in memory.
void loadChemicalNamesFromBytes(std::string_view bytes, ChemicalNameTable& table);

class ByteSource;
// Reads the entries into table, which the caller has emptied.
void readChemicalNames(ByteSource& source, ChemicalNameTable& table);

} // namespace helixplot
