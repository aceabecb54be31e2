// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace helixplot {

// Brings a window inside the available area of its screen (the desktop less
// its panels), frame included: shrinks it, its least size too when the
// design's cannot fit, and moves it in. A remembered position on a screen
// that is gone is dropped for the centre of the primary screen. A window
// that fits stays as it is.
void fitToScreen(QWidget* window);

} // namespace helixplot
