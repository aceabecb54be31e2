// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <exception>
#include <functional>
#include <stdexcept>
#include <string>

class QWidget;

namespace helixplot {

// Shown in the task bar and as the caption of every error box.
inline constexpr const char* ApplicationTitle = "Mirelings2 Helixplot";

// What an error box says: the message as its text, and which file it was
// and where it was looked for as its informative text (may be empty).
struct ErrorBox {
    QString text;
    QString details;
    // A reporter that only wants the text can take a QString.
    operator QString() const { return text; }
};

// Receives an error box. The program's reporter shows the box; tests record
// it instead, so that no modal box ever waits for a click.
using ErrorReporter = std::function<void(const ErrorBox& box)>;

// An error whose box also says which file it concerns: the message is the
// original error's, the details name the file.
class DetailedError : public std::runtime_error {
public:
    DetailedError(const std::string& message, QString details)
        : std::runtime_error(message), details_(std::move(details))
    {
    }
    const QString& details() const { return details_; }

private:
    QString details_;
};

// From inside a catch block: throws the error being handled again with
// details added (an error that has details keeps its own).
[[noreturn]] void rethrowWithDetails(const QString& details);

// The details that name a file: its full path, and the folder it was looked
// for in.
QString fileDetails(const QString& path);

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
void reportError(const ErrorReporter& report, const std::exception& error, const QString& details = {});

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
