// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

namespace helixplot {

// Decoded lines are plain concatenations of literals, table entries and
// numbers; these helpers build them without streams or locales.

// Appends value in decimal, without leading zeros.
inline void appendNumber(std::string& text, std::uint32_t value)
{
    char digits[10];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        text += digits[--count];
}

// Appends value as exactly two upper-case hexadecimal digits.
inline void appendHex2(std::string& text, std::uint8_t value)
{
    static constexpr char hexDigits[] = "0123456789ABCDEF";
    text += hexDigits[value >> 4];
    text += hexDigits[value & 0xF];
}

inline void appendPiece(std::string& text, std::string_view piece)
{
    text.append(piece);
}

template <std::unsigned_integral Number> inline void appendPiece(std::string& text, Number value)
{
    appendNumber(text, static_cast<std::uint32_t>(value));
}

// Appends every piece in order: texts as they are, unsigned numbers in
// decimal.
template <typename... Pieces> inline void appendPieces(std::string& text, const Pieces&... pieces)
{
    (appendPiece(text, pieces), ...);
}

// A new text made of the pieces.
template <typename... Pieces> inline std::string concatText(const Pieces&... pieces)
{
    std::string text;
    appendPieces(text, pieces...);
    return text;
}

// One reusable buffer for the lines of a gene: each call replaces the text
// and returns a view of it that stays valid until the next call, so adding
// many lines to a tree costs no allocation per line.
class LineBuffer {
public:
    template <typename... Pieces> std::string_view operator()(const Pieces&... pieces)
    {
        text_.clear();
        appendPieces(text_, pieces...);
        return text_;
    }

private:
    std::string text_;
};

} // namespace helixplot
