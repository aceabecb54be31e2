// SPDX-License-Identifier: GPL-3.0-or-later
#include "filesRead.h"

#include "appSettings.h"
#include "genetics/settings.h"

#include <QFile>
#include <QSettings>

#include <list>

namespace helixplot {

namespace {

std::list<FilesReadSource>& sources()
{
    static std::list<FilesReadSource> all;
    return all;
}

QString fileName(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

} // namespace

QStringList programFilesRead()
{
    QStringList files;
#ifndef _WIN32 // Windows keeps the settings in the registry
    files << fileName(settingsFilePath());
#endif
    try {
        files << fileName(readSettings().chemicalFilePath());
    } catch (...) {
        // No game found: no chemical names read either.
    }
    files << helixplotSettings().fileName();
    for (const FilesReadSource& source : sources())
        files << source();
    files.removeAll(QString());
    return files;
}

std::shared_ptr<void> addFilesRead(FilesReadSource source)
{
    auto& all = sources();
    const auto at = all.insert(all.end(), std::move(source));
    return std::shared_ptr<void>(nullptr, [at](void*) { sources().erase(at); });
}

} // namespace helixplot
