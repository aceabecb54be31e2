// SPDX-License-Identifier: GPL-3.0-or-later
#include "captions.h"

#include "genetics/geneKinds.h"

namespace helixplot {

namespace {

std::optional<std::uint8_t> numberFromText(std::string_view part)
{
    unsigned base = 10;
    if (part.size() > 2 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
        base = 16;
        part.remove_prefix(2);
    }
    if (part.empty() || part.size() > 3)
        return std::nullopt;
    unsigned value = 0;
    for (const char c : part) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * base + digit;
    }
    if (value > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(value);
}

} // namespace

std::optional<std::array<std::uint8_t, 3>> geneNumbersFromText(std::string_view text)
{
    std::array<std::uint8_t, 3> numbers{};
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        const std::size_t end = i + 1 < numbers.size() ? text.find(':') : text.size();
        if (end == std::string_view::npos)
            return std::nullopt;
        const std::optional<std::uint8_t> number = numberFromText(text.substr(0, end));
        if (!number)
            return std::nullopt;
        numbers[i] = *number;
        text.remove_prefix(end == text.size() ? end : end + 1);
    }
    return numbers;
}

std::string geneKeyCaption(std::uint16_t geneKey)
{
    static constexpr char Hex[] = "0123456789ABCDEF";
    return std::string(GeneKinds[geneKey >> 8 & 0x0F].statisticsCaption) + ' ' + Hex[geneKey >> 4 & 0x0F] +
           Hex[geneKey & 0x0F];
}

std::string creatureName(std::string_view censusFile)
{
    std::string name(censusFile.substr(censusFile.find_last_of('/') + 1));
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".gen") == 0)
        name.resize(name.size() - 4);
    return name;
}

} // namespace helixplot
