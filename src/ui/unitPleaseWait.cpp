// SPDX-License-Identifier: GPL-3.0-or-later
#include "unitPleaseWait.h"

#include "designFont.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

#include <chrono>

namespace helixplot {

namespace {

constexpr const char* StageCaptions[TPleaseWait::StageCount] = {
    "Calculating gene counts and mutation numbers",
    "Building gene mutation trees",
    "Building Missing gene trees",
    "Building additional gene trees",
    "Building gene breakdown",
};
constexpr int StageWidths[TPleaseWait::StageCount] = {321, 197, 192, 208, 176};

// In a long stage the bar moves between 36 and 71 times, however long it is.
constexpr int BarMoves = 36;

qint64 steadyMilliseconds()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

void pumpEvents()
{
    QCoreApplication::processEvents();
}

void pumpingWait(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

TPleaseWait::TPleaseWait(Waiter wait, PaintClock clock, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      wait_(wait ? std::move(wait) : Waiter(pumpingWait)), clock_(clock ? std::move(clock) : steadyMilliseconds)
{
    heldPaintTimer_.setSingleShot(true);
    connect(&heldPaintTimer_, &QTimer::timeout, this, [this] { paintHeldWhenDue(); });

    setObjectName(QStringLiteral("PleaseWait"));
    setFont(designFont());
    setWindowTitle(QStringLiteral("Generating Genetics Map of Creature..."));
    setModal(false);
    setFixedSize(px(440), px(163));

    QFont stageFont = font();
    stageFont.setPixelSize(px(13));
    stageFont.setBold(true);
    for (int i = 0; i < StageCount; ++i) {
        const int top = 16 + 24 * i;
        auto* caption = new QLabel(QString::fromLatin1(StageCaptions[i]), this);
        caption->setObjectName(QStringLiteral("Stage%1").arg(i + 1));
        caption->setFont(stageFont);
        // The designed widths fit the designed font; a wider one must not clip.
        caption->setGeometry(px(48), px(top), qMax(px(StageWidths[i]), caption->sizeHint().width()), px(16));
        stages_[i] = caption;

        auto* mark = new QLabel(this);
        mark->setObjectName(QStringLiteral("ptr%1").arg(i + 1));
        mark->setFont(stageFont);
        mark->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        mark->setGeometry(px(25), px(top + 2), px(15), px(13));
        marks_[i] = mark;
        setMark(i + 1, RunningMark);
    }

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setGeometry(px(8), px(144), px(361), px(16));
    bar_->setTextVisible(false);
    bar_->setRange(0, 36);
    bar_->setValue(34);

    posPos_ = new QLabel(QStringLiteral("XXX"), this);
    posPos_->setObjectName(QStringLiteral("PosPos"));
    posPos_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    posPos_->setGeometry(px(366), px(144), px(31), px(13));
    posCnt_ = new QLabel(QStringLiteral("/XXX"), this);
    posCnt_->setObjectName(QStringLiteral("PosCnt"));
    posCnt_->setGeometry(px(400), px(144), px(36), px(13));
}

QString TPleaseWait::markGlyph(char mark)
{
    switch (mark) {
    case RunningMark:
        return QStringLiteral("\u25BA"); // pointer
    case DoneMark:
        return QStringLiteral("\u2714"); // check mark
    case SkippedMark:
        return QStringLiteral("\u2013"); // dash
    default:
        return QStringLiteral("\u2716"); // cross
    }
}

void TPleaseWait::setMark(int stage, char mark)
{
    QLabel* label = marks_[stage - 1];
    label->setText(markGlyph(mark));
    label->setProperty("mark", QString(QLatin1Char(mark)));
}

void TPleaseWait::setCaptionBold(int stage, bool bold)
{
    QFont f = stages_[stage - 1]->font();
    f.setBold(bold);
    stages_[stage - 1]->setFont(f);
}

void TPleaseWait::setAllCaptionsPlain()
{
    for (int stage = 1; stage <= StageCount; ++stage)
        setCaptionBold(stage, false);
}

void TPleaseWait::setBar(int maximum, int position)
{
    // An empty range draws a busy indicator; an empty stage shows an empty
    // bar instead.
    bar_->setRange(0, maximum > 0 ? maximum : 1);
    bar_->setValue(position);
}

void TPleaseWait::closeEvent(QCloseEvent* event)
{
    event->ignore();
}

bool TPleaseWait::event(QEvent* event)
{
    // The window's whole repaint starts from this one request, the
    // immediate repaints of its widgets included.
    if (event->type() == QEvent::UpdateRequest && holdPaints_) {
        paintHeld_ = true;
        return true;
    }
    return QDialog::event(event);
}

void TPleaseWait::hideEvent(QHideEvent* event)
{
    // Also when a failed run hides it: nothing is held for a hidden window.
    holdPaints_ = false;
    heldPaintTimer_.stop();
    QDialog::hideEvent(event);
}

bool TPleaseWait::paintDue() const
{
    return !painted_ || clock_() - lastPaint_ >= FrameMs;
}

void TPleaseWait::paintNow()
{
    const bool hold = holdPaints_;
    holdPaints_ = false;
    pumpEvents();
    // A held-back request was taken out of the queue and the window asks
    // for no other until it has painted: ask in its place.
    if (paintHeld_ && isVisible()) {
        paintHeld_ = false;
        QEvent request(QEvent::UpdateRequest);
        QCoreApplication::sendEvent(this, &request);
    }
    holdPaints_ = hold;
    heldPaintTimer_.stop();
    lastPaint_ = clock_();
    painted_ = true;
}

void TPleaseWait::paintHeldWhenDue()
{
    if (!paintHeld_ || !isVisible())
        return;
    if (paintDue())
        paintNow();
    else
        heldPaintTimer_.start(static_cast<int>(qBound<qint64>(1, FrameMs - (clock_() - lastPaint_), FrameMs)));
}

void TPleaseWait::pump(Paint paint)
{
    if (paint == Paint::Now || !holdPaints_ || paintDue()) {
        paintNow();
        return;
    }
    pumpEvents();
    if (paintHeld_ && !heldPaintTimer_.isActive())
        heldPaintTimer_.start(static_cast<int>(FrameMs));
}

void TPleaseWait::waitPainting(int milliseconds)
{
    // What the wait is for must be on the screen, and the wait's own
    // event loop paints as usual.
    paintNow();
    const bool hold = holdPaints_;
    holdPaints_ = false;
    wait_(milliseconds);
    holdPaints_ = hold && isVisible();
}

void TPleaseWait::showProgress()
{
    for (QLabel* mark : marks_)
        mark->hide();
    setAllCaptionsPlain();
    bar_->setValue(0);
    show();
    waitPainting(100);
    paintNow();
    // From here until the dialog closes, its paints are paced.
    holdPaints_ = true;
}

void TPleaseWait::beginStage(int stage, int maximum)
{
    if (stage >= 1 && stage <= StageCount) {
        setCaptionBold(stage, true);
        setMark(stage, RunningMark);
        marks_[stage - 1]->show();
    }
    setBar(maximum, 0);
    posCnt_->setText(QLatin1Char('/') + QString::number(maximum));
    posPos_->setText(QStringLiteral("0"));
    pump(Paint::WhenDue);
    progressStep_ = qMax(maximum / BarMoves, 1);
}

void TPleaseWait::setProgressPosition(int position)
{
    if (position % progressStep_ == 0)
        bar_->setValue(position);
    posPos_->setText(QString::number(position));
    bar_->update();
    pump(Paint::WhenDue);
}

void TPleaseWait::endStage(int stage, StageMark mark)
{
    // The stage's last position is seen before the counter empties.
    if (paintHeld_)
        paintNow();
    if (stage >= 1 && stage <= StageCount) {
        setCaptionBold(stage, false);
        setMark(stage, mark == StageMark::Done ? DoneMark : mark == StageMark::Skipped ? SkippedMark : OtherMark);
    }
    posPos_->clear();
    posCnt_->clear();
    pump(Paint::Now);
}

void TPleaseWait::finishProgress()
{
    pump(Paint::WhenDue);
    beginStage(0, 0);
    setAllCaptionsPlain();
    waitPainting(1000);
    hide();
}

void TPleaseWait::pause(int milliseconds)
{
    waitPainting(milliseconds);
}

} // namespace helixplot
