// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <QFont>

namespace helixplot {

// The windows are laid out in pixels for an 8-point dialog font, which suits
// a desktop font of the usual 9 points (Windows' and Qt's own). A larger
// desktop font, chosen by a user who needs larger text, scales the font and
// the pixels alike; a smaller or usual one keeps the design as it is.
constexpr double UsualDesktopPoints = 9.0;

inline double designScale()
{
    const double desktop = QApplication::font().pointSizeF();
    return desktop > UsualDesktopPoints ? desktop / UsualDesktopPoints : 1.0;
}

// A length of the design, in pixels at the desktop's font.
inline int px(int designPixels)
{
    return qRound(designPixels * designScale());
}

inline QFont designFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(8 * designScale());
    return font;
}

} // namespace helixplot
