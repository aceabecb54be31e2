// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace helixplot {

// Every writer of UTF-8 (JSON, CSV, HTML) reads bytes by one rule: a string
// that is well-formed UTF-8 is kept, any other is read as Latin-1, one byte
// a character. File names are decided component by component, so that a
// Latin-1 name in a UTF-8 folder keeps its folder as it is.

// Strictly well-formed: no overlong form, no surrogate, nothing past
// U+10FFFF.
bool isUtf8(std::string_view text);

std::string latin1ToUtf8(std::string_view text);

// text when it is UTF-8, else text read as Latin-1.
std::string utf8Text(std::string_view text);

// A path by the same rule, each part between separators ('/' or '\') on its
// own.
std::string utf8Path(std::string_view path);

// A CSV field, RFC 4180: quoted when it holds a comma, a quote or a line
// break. A text that a spreadsheet would take for a formula (it starts with
// '=', '+', '-', '@', a tab or a carriage return) gains a leading
// apostrophe; use it for texts from files and names, not for numbers.
void appendCsvText(std::string_view utf8, std::string& out);

} // namespace helixplot
