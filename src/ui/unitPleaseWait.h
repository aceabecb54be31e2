// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/progress.h"

#include <QDialog>
#include <QTimer>

#include <array>
#include <functional>

class QLabel;
class QProgressBar;

namespace helixplot {

// Waits the given milliseconds while the windows keep repainting.
using Waiter = std::function<void(int milliseconds)>;

// The waiter of the program: a local event loop that a timer ends.
void pumpingWait(int milliseconds);

// Has the window system handle what is pending, so that windows repaint
// while the caller keeps the thread busy.
void pumpEvents();

// Milliseconds on a steady clock: the time by which the progress dialog
// paces its painting.
using PaintClock = std::function<qint64()>;

// The progress dialog paints at most once in this many milliseconds while a
// run reports, about a screen's frame.
inline constexpr qint64 FrameMs = 16;

// The small modeless window that shows a mapping run's five stages, which one
// is running, which are over, and how far the running one has got.
class TPleaseWait : public QDialog, public ProgressReporter {
    Q_OBJECT
public:
    // What a stage's mark shows. The values are the glyphs of the symbol
    // font the marks were first drawn with; the property "mark" of each
    // ptr label holds one of them.
    static constexpr char RunningMark = '4';
    static constexpr char DoneMark = 'b';
    static constexpr char SkippedMark = 's';
    static constexpr char OtherMark = 'r';
    static constexpr int StageCount = 5;

    // wait does the fixed waits; empty means pumpingWait. clock paces the
    // painting; empty means the system's steady clock.
    explicit TPleaseWait(Waiter wait = {}, PaintClock clock = {}, QWidget* parent = nullptr);

    void showProgress() override;
    void beginStage(int stage, int maximum) override;
    void setProgressPosition(int position) override;
    void endStage(int stage, StageMark mark) override;
    void finishProgress() override;
    void pause(int milliseconds) override;

    // The bar moves only at positions that are a multiple of this.
    int ProgressStep() const { return progressStep_; }

    // The glyph shown for a mark.
    static QString markGlyph(char mark);

protected:
    // It takes no input: neither Escape nor the window system closes it.
    void reject() override {}
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    // Every report has pending events handled; a paint goes through only a
    // frame after the last one, unless it must be seen now (a stage's end,
    // a fixed wait ahead). A held-back paint is done at the latest a frame
    // later, should the caller stop reporting.
    enum class Paint { WhenDue, Now };
    void pump(Paint paint);
    void paintNow();
    void paintHeldWhenDue();
    bool paintDue() const;
    void waitPainting(int milliseconds);

    void setMark(int stage, char mark);
    void setCaptionBold(int stage, bool bold);
    void setAllCaptionsPlain();
    void setBar(int maximum, int position);

    Waiter wait_;
    PaintClock clock_;
    qint64 lastPaint_ = 0;
    bool painted_ = false; // lastPaint_ is meaningful
    bool holdPaints_ = false;
    bool paintHeld_ = false;
    QTimer heldPaintTimer_;
    std::array<QLabel*, StageCount> stages_{};
    std::array<QLabel*, StageCount> marks_{};
    QProgressBar* bar_ = nullptr;
    QLabel* posPos_ = nullptr;
    QLabel* posCnt_ = nullptr;
    int progressStep_ = 1;
};

} // namespace helixplot
