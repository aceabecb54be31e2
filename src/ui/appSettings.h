#pragma once

#include <QSettings>
#include <QStringList>

class QMimeData;

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

} // namespace helixplot
