// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QWidget;

namespace helixplot {

// Keeps child at fixed distances from the edges of its parent while the
// parent is resized. A negative distance leaves that edge free: the child
// keeps its own width (or height) there, measured from the opposite edge.
// So the windows keep their design's pixel positions at the design size
// and grow their lists and trees with the window.
void anchorToParent(QWidget* child, int left, int top, int right, int bottom);

} // namespace helixplot
