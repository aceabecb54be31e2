#pragma once

#include "mapping/progress.h"

#include <QDialog>

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

    // wait does the fixed waits; empty means pumpingWait.
    explicit TPleaseWait(Waiter wait = {}, QWidget* parent = nullptr);

    void showProgress() override;
    void beginStage(int stage, int maximum) override;
    void setProgressPosition(int position) override;
    void endStage(int stage, int mark) override;
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

private:
    void setMark(int stage, char mark);
    void setCaptionBold(int stage, bool bold);
    void setAllCaptionsPlain();
    void setBar(int maximum, int position);

    Waiter wait_;
    std::array<QLabel*, StageCount> stages_{};
    std::array<QLabel*, StageCount> marks_{};
    QProgressBar* bar_ = nullptr;
    QLabel* posPos_ = nullptr;
    QLabel* posCnt_ = nullptr;
    int progressStep_ = 1;
};

} // namespace helixplot
