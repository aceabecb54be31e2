// SPDX-License-Identifier: GPL-3.0-or-later
#include "pageExport.h"

#include "writers/safeOutput.h"

#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace helixplot {

SaveFileChooser saveDialogChooser()
{
    return [](QWidget* parent, const QString& suggested, const QString& filters, QString* filter) {
        // The target is checked before the question whether to replace it:
        // exportPage asks it itself, once the target may be written at all.
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Export page"), suggested, filters, filter,
                                            QFileDialog::DontConfirmOverwrite);
    };
}

ReplaceQuestion replaceQuestionBox()
{
    return [](QWidget* parent, const QString& path) {
        // The file dialog's own words for it.
        return QMessageBox::question(
                   parent, QStringLiteral("Export page"),
                   QStringLiteral("%1 already exists.\nDo you want to replace it?").arg(QFileInfo(path).fileName()),
                   QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
    };
}

namespace {

std::string fileSystemName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

std::vector<std::string> fileSystemNames(const QStringList& paths)
{
    std::vector<std::string> names;
    for (const QString& path : paths)
        if (!path.isEmpty())
            names.push_back(fileSystemName(path));
    return names;
}

} // namespace

void refuseExportTarget(const QString& path, const QStringList& readFiles)
{
    checkOutputTarget(fileSystemName(path), fileSystemNames(readFiles));
}

void writeExportFile(const QString& path, const std::string& bytes, const QStringList& readFiles)
{
    writeOutputFile(fileSystemName(path), bytes, fileSystemNames(readFiles));
}

} // namespace helixplot
