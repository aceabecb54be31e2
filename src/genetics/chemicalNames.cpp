// SPDX-License-Identifier: GPL-3.0-or-later
#include "chemicalNames.h"

#include "binaryFile.h"

namespace helixplot {

ChemicalNameTable ChemicalNames;

void loadChemicalNames(const std::string& path, ChemicalNameTable& table)
{
    for (auto& name : table)
        name.clear();
    BinaryFile file(path);
    readChemicalNames(file, table);
}

void loadChemicalNamesFromBytes(std::string_view bytes, ChemicalNameTable& table)
{
    for (auto& name : table)
        name.clear();
    MemorySource source(bytes);
    readChemicalNames(source, table);
}

void readChemicalNames(ByteSource& file, ChemicalNameTable& table)
{
    std::uint8_t skipped[2];
    file.readExact(skipped, 2);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const std::uint8_t length = file.readByte();
        if (length == 0) {
            table[i] = "<" + std::to_string(i) + ">";
            continue;
        }
        std::string name(length, '\0');
        file.readExact(reinterpret_cast<std::uint8_t*>(name.data()), length);
        table[i] = std::move(name);
    }
}

} // namespace helixplot
