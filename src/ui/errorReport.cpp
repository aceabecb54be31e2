#include "errorReport.h"

#include <QApplication>
#include <QMessageBox>

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

ErrorReporter errorBoxReporter(std::function<QWidget*()> parent)
{
    return [parent = std::move(parent)](const QString& text) {
        QMessageBox box(QMessageBox::Critical, QString::fromLatin1(ApplicationTitle), text, QMessageBox::Ok,
                        boxParent(parent ? parent() : nullptr));
        box.exec();
    };
}

void reportError(const ErrorReporter& report, const std::exception& error)
{
    // Messages are single-byte text, like every other text of the program.
    // The library's own text for this one is no message for a user.
    const char* message = dynamic_cast<const std::bad_alloc*>(&error) ? "Out of memory" : error.what();
    const QString text = errorBoxText(QString::fromLatin1(message));
    if (report)
        report(text);
    else
        errorBoxReporter()(text);
}

} // namespace helixplot
