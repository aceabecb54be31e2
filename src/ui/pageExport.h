// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <string>

class QWidget;

namespace helixplot {

// Asks for the file a page is exported to: the save dialog. Returns the
// chosen path (empty: cancelled) and sets filter to the chosen filter. It
// does not ask before replacing a file: the export does, once the file has
// passed refuseExportTarget.
using SaveFileChooser =
    std::function<QString(QWidget* parent, const QString& suggested, const QString& filters, QString* filter)>;
SaveFileChooser saveDialogChooser();

// Asks whether the existing file path may be replaced.
using ReplaceQuestion = std::function<bool(QWidget* parent, const QString& path)>;
ReplaceQuestion replaceQuestionBox();

// Throws OutputError with the reason when path must not be written: a
// genome file, one of readFiles (the files the program reads), anything but
// a regular file or a new name in a folder that can be written.
void refuseExportTarget(const QString& path, const QStringList& readFiles);

// Writes bytes to path whole, replacing the file only once everything is
// written, after the checks of refuseExportTarget; throws OutputError with
// the file's name and the system's message on failure.
void writeExportFile(const QString& path, const std::string& bytes, const QStringList& readFiles);

} // namespace helixplot
