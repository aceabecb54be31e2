// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

namespace helixplot {

// Once a dialog or box closes, the window it was opened over is activated
// again and the focus goes back to the widget that had it. A window manager
// activates the window by itself; without one the keyboard would go nowhere
// until a click. Installed once for the application; again does nothing.
void installFocusReturn();

// Activates window when it is shown, with the focus on focus when that is
// still a visible, enabled widget of it.
void returnFocus(QWidget* window, QWidget* focus);

} // namespace helixplot
