// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLineEdit>
#include <QToolButton>

namespace helixplot {

// The clear button an edit shows (setClearButtonEnabled) has no name of its
// own for a screen reader.
inline void nameClearButton(QLineEdit* edit)
{
    for (QToolButton* button : edit->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly))
        if (button->accessibleName().isEmpty())
            button->setAccessibleName(QStringLiteral("Clear ") + edit->accessibleName());
}

} // namespace helixplot
