// SPDX-License-Identifier: GPL-3.0-or-later
#include "appSettings.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <algorithm>

namespace helixplot {

QStringList genomeFilesOf(const QMimeData* data)
{
    QStringList files;
    if (!data || !data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || QFileInfo(path).suffix().compare(QStringLiteral("gen"), Qt::CaseInsensitive) != 0)
            return {};
        files << QDir::toNativeSeparators(path); // shown in the edits as the system writes it
    }
    return files;
}

QString populationFolderOf(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QString path = data->urls().constFirst().toLocalFile();
    return !path.isEmpty() && QFileInfo(path).isDir() ? QDir::toNativeSeparators(path) : QString();
}

bool lastProgramWindow(const QWidget* self)
{
    // Program windows are the top-level windows that end the program as
    // they close; the dialogs and boxes opt out of that.
    const QWidgetList windows = QApplication::topLevelWidgets();
    return std::none_of(windows.begin(), windows.end(), [self](const QWidget* window) {
        return window != self && window->isVisible() && window->windowType() == Qt::Window &&
               window->testAttribute(Qt::WA_QuitOnClose);
    });
}

} // namespace helixplot
