// SPDX-License-Identifier: GPL-3.0-or-later
#include "textEncoding.h"

namespace helixplot {

namespace {

// The length of the well-formed sequence at p, 0 when there is none.
std::size_t sequenceLength(const unsigned char* p, std::size_t left)
{
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (p[0] < 0x80)
        return 1;
    if (p[0] >= 0xC2 && p[0] <= 0xDF) {
        length = 2;
    } else if (p[0] >= 0xE0 && p[0] <= 0xEF) {
        length = 3;
        low = p[0] == 0xE0 ? 0xA0 : 0x80;  // overlong
        high = p[0] == 0xED ? 0x9F : 0xBF; // surrogates
    } else if (p[0] >= 0xF0 && p[0] <= 0xF4) {
        length = 4;
        low = p[0] == 0xF0 ? 0x90 : 0x80;  // overlong
        high = p[0] == 0xF4 ? 0x8F : 0xBF; // past U+10FFFF
    } else {
        return 0;
    }
    if (left < length || p[1] < low || p[1] > high)
        return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF)
            return 0;
    return length;
}

bool isSeparator(char c)
{
    return c == '/' || c == '\\';
}

} // namespace

bool isUtf8(std::string_view text)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    std::size_t left = text.size();
    while (left > 0) {
        const std::size_t length = sequenceLength(p, left);
        if (length == 0)
            return false;
        p += length;
        left -= length;
    }
    return true;
}

std::string latin1ToUtf8(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string utf8Text(std::string_view text)
{
    return isUtf8(text) ? std::string(text) : latin1ToUtf8(text);
}

std::string utf8Path(std::string_view path)
{
    if (isUtf8(path))
        return std::string(path);
    std::string out;
    out.reserve(path.size() + path.size() / 2);
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = start;
        while (end < path.size() && !isSeparator(path[end]))
            ++end;
        out += utf8Text(path.substr(start, end - start));
        if (end < path.size())
            out += path[end];
        start = end + 1;
    }
    return out;
}

void appendCsvText(std::string_view utf8, std::string& out)
{
    const bool formula = !utf8.empty() && std::string_view("=+-@\t\r").find(utf8.front()) != std::string_view::npos;
    const bool quoted = utf8.find_first_of(",\"\r\n") != std::string_view::npos;
    if (quoted)
        out += '"';
    if (formula)
        out += '\'';
    for (const char c : utf8) {
        if (c == '"')
            out += '"';
        out += c;
    }
    if (quoted)
        out += '"';
}

} // namespace helixplot
