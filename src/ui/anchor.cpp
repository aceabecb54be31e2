// SPDX-License-Identifier: GPL-3.0-or-later
#include "anchor.h"

#include <QEvent>
#include <QWidget>

#include <algorithm>

namespace helixplot {

namespace {

class Anchor : public QObject {
public:
    Anchor(QWidget* child, int left, int top, int right, int bottom)
        : QObject(child), child_(child), left_(left), top_(top), right_(right), bottom_(bottom)
    {
        child->parentWidget()->installEventFilter(this);
        place();
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Resize && watched == child_->parentWidget())
            place();
        return false;
    }

private:
    void place()
    {
        const QSize outer = child_->parentWidget()->size();
        QRect r = child_->geometry();
        const auto span = [](int near, int far, int at, int own, int total, int& from, int& length) {
            if (near >= 0 && far >= 0) {
                from = near;
                length = std::max(0, total - near - far);
            } else if (far >= 0) {
                from = total - far - own;
                length = own;
            } else {
                from = near >= 0 ? near : at;
                length = own;
            }
        };
        int x = 0, y = 0, w = 0, h = 0;
        span(left_, right_, r.x(), r.width(), outer.width(), x, w);
        span(top_, bottom_, r.y(), r.height(), outer.height(), y, h);
        child_->setGeometry(x, y, w, h);
    }

    QWidget* child_;
    int left_, top_, right_, bottom_;
};

} // namespace

void anchorToParent(QWidget* child, int left, int top, int right, int bottom)
{
    new Anchor(child, left, top, right, bottom);
}

} // namespace helixplot
