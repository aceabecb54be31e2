// SPDX-License-Identifier: GPL-3.0-or-later
#include "focusReturn.h"

#include <QApplication>
#include <QEvent>
#include <QPointer>
#include <QTimer>

#include <algorithm>
#include <vector>

namespace helixplot {

namespace {

class FocusReturnFilter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if ((event->type() != QEvent::Show && event->type() != QEvent::Hide) || event->spontaneous() ||
            !object->isWidgetType())
            return false;
        auto* dialog = static_cast<QWidget*>(object);
        if (!dialog->isWindow() || (dialog->windowType() != Qt::Dialog && dialog->windowType() != Qt::Sheet))
            return false;
        std::erase_if(opened_, [](const Opened& opened) { return opened.dialog.isNull(); });
        const auto it = std::find_if(opened_.begin(), opened_.end(),
                                     [dialog](const Opened& opened) { return opened.dialog == dialog; });
        if (event->type() == QEvent::Show) {
            QWidget* focus = QApplication::focusWidget();
            if (focus && dialog->isAncestorOf(focus))
                focus = nullptr;
            QWidget* window = focus ? focus->window() : QApplication::activeWindow();
            if (window == dialog || !window)
                window = dialog->parentWidget() ? dialog->parentWidget()->window() : nullptr;
            if (it != opened_.end())
                *it = {dialog, window, focus};
            else
                opened_.push_back({dialog, window, focus});
            return false;
        }
        if (it == opened_.end())
            return false;
        const Opened opened = *it;
        opened_.erase(it);
        if (!opened.window)
            return false;
        // Once the dialog's closing has been handled, unless another window
        // has taken the keyboard meanwhile. Qt may still count the window as
        // active while the window system has given the keyboard to none.
        QTimer::singleShot(0, opened.window, [opened] {
            const QWidget* active = QApplication::activeWindow();
            if (!active || !active->isVisible() || active == opened.dialog || active == opened.window)
                returnFocus(opened.window, opened.focus);
        });
        return false;
    }

private:
    struct Opened {
        QPointer<QWidget> dialog;
        QPointer<QWidget> window;
        QPointer<QWidget> focus;
    };
    std::vector<Opened> opened_;
};

} // namespace

void installFocusReturn()
{
    static const char* const Installed = "helixplotFocusReturn";
    if (!qApp || qApp->property(Installed).toBool())
        return;
    qApp->setProperty(Installed, true);
    qApp->installEventFilter(new FocusReturnFilter(qApp));
}

void returnFocus(QWidget* window, QWidget* focus)
{
    if (!window || !window->isVisible())
        return;
    if (focus && focus->window() == window && focus->isVisible() && focus->isEnabled())
        focus->setFocus(Qt::ActiveWindowFocusReason);
    window->activateWindow();
}

} // namespace helixplot
