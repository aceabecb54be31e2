#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QWidget;

namespace helixplot {

// Asks for the file a page is exported to: the save dialog, which asks
// before replacing a file. Returns the chosen path (empty: cancelled) and
// sets filter to the chosen filter.
using SaveFileChooser =
    std::function<QString(QWidget* parent, const QString& suggested, const QString& filters, QString* filter)>;
SaveFileChooser saveDialogChooser();

// Throws with the reason when path must not be written: a genome file (by
// its extension, or the same file as one of genomes) or anything that is
// not a regular file. A genome is never written.
void refuseExportTarget(const QString& path, const QStringList& genomes);

// Writes bytes to path whole, replacing the file only once everything is
// written; throws with the system's message on failure.
void writeExportFile(const QString& path, const std::string& bytes);

} // namespace helixplot
