// SPDX-License-Identifier: GPL-3.0-or-later
#include "screenFit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>

namespace helixplot {

namespace {

// The window manager's frame: known once the window is shown, guessed from
// the style's title bar before that.
QMargins frameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    if (frame != inner)
        return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                frame.bottom() - inner.bottom()};
    const int side = window->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, window);
    const int title = window->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window);
    return {side, title + side, side, side};
}

} // namespace

void fitToScreen(QWidget* window)
{
    QScreen* screen = QGuiApplication::screenAt(window->geometry().center());
    const bool lost = screen == nullptr;
    if (lost)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The layout's least size first: showing the window would grow it there.
    if (window->layout())
        window->layout()->activate();
    const QRect area = screen->availableGeometry();
    const QMargins frame = frameMargins(window);
    const QSize room = area.size().shrunkBy(frame);
    if (window->minimumWidth() > room.width() || window->minimumHeight() > room.height())
        window->setMinimumSize(window->minimumSize().boundedTo(room));
    if (window->width() > room.width() || window->height() > room.height())
        window->resize(window->size().boundedTo(room));

    QRect outer = window->geometry().marginsAdded(frame);
    if (lost)
        outer.moveCenter(area.center());
    if (outer.right() > area.right())
        outer.moveRight(area.right());
    if (outer.bottom() > area.bottom())
        outer.moveBottom(area.bottom());
    if (outer.left() < area.left())
        outer.moveLeft(area.left());
    if (outer.top() < area.top())
        outer.moveTop(area.top());
    if (outer.topLeft() != window->frameGeometry().topLeft())
        window->move(outer.topLeft());
}

} // namespace helixplot
