#include "appSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

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

} // namespace helixplot
