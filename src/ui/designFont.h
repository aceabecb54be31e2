// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QFont>

namespace helixplot {

// The windows are laid out in pixels for an 8-point dialog font; with the
// system's own, usually larger, font the captions would not fit their
// controls.
inline QFont designFont()
{
    QFont font = QApplication::font();
    font.setPointSize(8);
    return font;
}

} // namespace helixplot
