#include "pageExport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace helixplot {

SaveFileChooser saveDialogChooser()
{
    return [](QWidget* parent, const QString& suggested, const QString& filters, QString* filter) {
        return QFileDialog::getSaveFileName(parent, QStringLiteral("Export page"), suggested, filters, filter);
    };
}

namespace {

[[noreturn]] void refuse(const QString& reason)
{
    throw std::runtime_error(reason.toLocal8Bit().toStdString());
}

} // namespace

void refuseExportTarget(const QString& path, const QStringList& genomes)
{
    const QFileInfo target(path);
    if (target.suffix().compare(QStringLiteral("gen"), Qt::CaseInsensitive) == 0)
        refuse(path + QStringLiteral(": Helixplot never writes a genome file"));
    if (target.exists()) {
        for (const QString& genome : genomes) {
            const QFileInfo loaded(genome);
            if (loaded.exists() && loaded.canonicalFilePath() == target.canonicalFilePath())
                refuse(path + QStringLiteral(": Helixplot never writes a genome file"));
        }
        if (!target.isFile())
            refuse(path + QStringLiteral(": not a regular file"));
    }
}

void writeExportFile(const QString& path, const std::string& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        refuse(path + QStringLiteral(": ") + file.errorString());
    if (file.write(bytes.data(), qint64(bytes.size())) != qint64(bytes.size()) || !file.commit())
        refuse(path + QStringLiteral(": ") + file.errorString());
}

} // namespace helixplot
