#pragma once

#include "displayTreeModel.h"

#include <QString>

class QTreeView;

namespace helixplot {

// Writes the tree that view shows through model to the file at path,
// replacing it: depth first in display order, one line per node, one leading
// space per level, each line ended by CR LF. The walk expands and selects
// each node as its line is written and collapses it once its subtree is
// done, so that the user sees it go by; afterwards every node is collapsed
// and none is selected. Throws InOutError when the file cannot be created or
// written.
void dumpBreakdown(QTreeView& view, const DisplayTreeModel& model, const QString& path);

} // namespace helixplot
