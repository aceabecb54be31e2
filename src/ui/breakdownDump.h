// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "displayTreeModel.h"

#include <QString>

#include <string>
#include <vector>

class QTreeView;

namespace helixplot {

// Writes the tree that view shows through model to the file at path,
// replacing it: depth first in display order, one line per node, one leading
// space per level, each line ended by CR LF. The walk expands and selects
// each node as its line is written and collapses it once its subtree is
// done, so that the user sees it go by; afterwards every node is collapsed
// and none is selected. The file is replaced only once the walk is over,
// after the checks every output passes (never a genome, nor one of
// readFiles). Throws InOutError when the system refuses the file, and
// OutputError, naming it, when Helixplot does.
void dumpBreakdown(QTreeView& view, const DisplayTreeModel& model, const QString& path,
                   const std::vector<std::string>& readFiles = {});

} // namespace helixplot
