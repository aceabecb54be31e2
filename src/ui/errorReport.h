#pragma once

#include <QString>

#include <exception>
#include <functional>

class QWidget;

namespace helixplot {

// Shown in the task bar and as the caption of every error box.
inline constexpr const char* ApplicationTitle = "Mirelings2 Helixplot";

// Receives the text of an error box. The program's reporter shows the box;
// tests record the text instead, so that no modal box ever waits for a click.
using ErrorReporter = std::function<void(const QString& text)>;

// The error box's text: the message, with a full stop added when its last
// character sorts after "." ("Bad Gene File." but "Bad gene Error!").
QString errorBoxText(const QString& message);

// The stop-icon box titled with the application title, over the window that
// parent gives when the box is shown (the visible dialog or window); a box
// without a parent would stand alone and could end the program as it closes.
ErrorReporter errorBoxReporter(std::function<QWidget*()> parent = {});

// The window a box should belong to now: preferred when it is visible, else
// the active modal window, else the active window, else any visible window.
QWidget* boxParent(QWidget* preferred = nullptr);

// Reports an error that escaped an event handler; the program goes on.
void reportError(const ErrorReporter& report, const std::exception& error);

// Runs an event handler, reporting any error that escapes it.
template <typename Handler> void guarded(const ErrorReporter& report, Handler&& handler)
{
    try {
        handler();
    } catch (const std::exception& error) {
        reportError(report, error);
    }
}

} // namespace helixplot
