// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSettings>
#include <QStringList>

class QMimeData;
class QWidget;

namespace helixplot {

// Helixplot's own settings (window geometry, the last mode and folders),
// apart from the game's settings, which are only ever read.
inline QSettings helixplotSettings()
{
    return QSettings(QStringLiteral("Helixplot"), QStringLiteral("Helixplot"));
}

// The local .gen files among dragged data, in their order; empty when any
// dragged item is something else.
QStringList genomeFilesOf(const QMimeData* data);

// The one local folder among dragged data; empty for anything else.
QString populationFolderOf(const QMimeData* data);

// True when no program window but self is open (dialogs and boxes aside):
// closing self then ends the program.
bool lastProgramWindow(const QWidget* self);

} // namespace helixplot
