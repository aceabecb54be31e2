// SPDX-License-Identifier: GPL-3.0-or-later
#include "errorReport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QMessageBox>
#include <QSpacerItem>

#include <new>

namespace helixplot {

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

QWidget* boxParent(QWidget* preferred)
{
    if (preferred && preferred->isVisible())
        return preferred->window();
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QWidget* active = QApplication::activeWindow())
        return active;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !window->inherits("QMenu"))
            return window;
    }
    return nullptr;
}

void rethrowWithDetails(const QString& details)
{
    try {
        throw;
    } catch (const DetailedError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw DetailedError("Out of memory", details);
    } catch (const std::exception& error) {
        throw DetailedError(error.what(), details);
    }
}

QString fileDetails(const QString& path)
{
    const QFileInfo file(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    return QStringLiteral("File: %1\nLooked for in: %2")
        .arg(QDir::toNativeSeparators(file.filePath()), QDir::toNativeSeparators(file.path()));
}

ErrorReporter errorBoxReporter(std::function<QWidget*()> parent)
{
    return [parent = std::move(parent)](const ErrorBox& error) {
        QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle), error.text, QMessageBox::Ok,
                        boxParent(parent ? parent() : nullptr));
        box.setObjectName(QStringLiteral("ErrorBox"));
        // The details are plain text: a path may hold '<'.
        box.setTextFormat(Qt::PlainText);
        box.setInformativeText(error.details);
        // A box has only its OK button; the window manager adds none of its own.
        box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        box.setAccessibleName(QString::fromLatin1(ApplicationTitle));
        box.setAccessibleDescription(error.details.isEmpty() ? error.text : error.text + u'\n' + error.details);
        // Wide enough for the title, which a window manager draws in a font
        // of its own beside its buttons.
        if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
            const int titleWidth = box.fontMetrics().horizontalAdvance(box.windowTitle()) * 3 / 2 + 96;
            grid->addItem(new QSpacerItem(titleWidth, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0,
                          1, grid->columnCount());
        }
        // Ctrl+C copies what the box says, the file included, for a bug
        // report or a search.
        QAction copy(&box);
        copy.setShortcut(QKeySequence::Copy);
        QObject::connect(&copy, &QAction::triggered, &box, [&error] {
            QApplication::clipboard()->setText(error.details.isEmpty() ? error.text + u'\n'
                                                                       : error.text + u'\n' + error.details + u'\n');
        });
        box.addAction(&copy);
        box.exec();
    };
}

void reportError(const ErrorReporter& report, const std::exception& error, const QString& details)
{
    // Messages are single-byte text, like every other text of the program.
    // The library's own text for this one is no message for a user.
    const char* message = dynamic_cast<const std::bad_alloc*>(&error) ? "Out of memory" : error.what();
    ErrorBox box{errorBoxText(QString::fromLatin1(message)), details};
    if (const auto* detailed = dynamic_cast<const DetailedError*>(&error); detailed && details.isEmpty())
        box.details = detailed->details();
    if (report)
        report(box);
    else
        errorBoxReporter()(box);
}

} // namespace helixplot
