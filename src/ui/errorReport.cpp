#include "errorReport.h"

#include <QApplication>
#include <QMessageBox>

namespace helixplot {

QString errorBoxText(const QString& message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

ErrorReporter errorBoxReporter()
{
    return [](const QString& text) {
        QMessageBox::critical(QApplication::activeWindow(), QString::fromLatin1(ApplicationTitle), text);
    };
}

void reportError(const ErrorReporter& report, const std::exception& error)
{
    // Messages are single-byte text, like every other text of the program.
    const QString text = errorBoxText(QString::fromLatin1(error.what()));
    if (report)
        report(text);
    else
        errorBoxReporter()(text);
}

} // namespace helixplot
