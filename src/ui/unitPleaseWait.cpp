#include "unitPleaseWait.h"

#include "designFont.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>

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

TPleaseWait::TPleaseWait(Waiter wait, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      wait_(wait ? std::move(wait) : Waiter(pumpingWait))
{
    setObjectName(QStringLiteral("PleaseWait"));
    setFont(designFont());
    setWindowTitle(QStringLiteral("Generating Genetics Map of Creature..."));
    setModal(false);
    setFixedSize(440, 163);

    QFont stageFont = font();
    stageFont.setPixelSize(13);
    stageFont.setBold(true);
    for (int i = 0; i < StageCount; ++i) {
        const int top = 16 + 24 * i;
        auto* caption = new QLabel(QString::fromLatin1(StageCaptions[i]), this);
        caption->setObjectName(QStringLiteral("Stage%1").arg(i + 1));
        caption->setFont(stageFont);
        // The designed widths fit the designed font; a wider one must not clip.
        caption->setGeometry(48, top, qMax(StageWidths[i], caption->sizeHint().width()), 16);
        stages_[i] = caption;

        auto* mark = new QLabel(this);
        mark->setObjectName(QStringLiteral("ptr%1").arg(i + 1));
        mark->setFont(stageFont);
        mark->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        mark->setGeometry(25, top + 2, 15, 13);
        marks_[i] = mark;
        setMark(i + 1, RunningMark);
    }

    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("ProgressBar1"));
    bar_->setGeometry(8, 144, 361, 16);
    bar_->setTextVisible(false);
    bar_->setRange(0, 36);
    bar_->setValue(34);

    posPos_ = new QLabel(QStringLiteral("XXX"), this);
    posPos_->setObjectName(QStringLiteral("PosPos"));
    posPos_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    posPos_->setGeometry(366, 144, 31, 13);
    posCnt_ = new QLabel(QStringLiteral("/XXX"), this);
    posCnt_->setObjectName(QStringLiteral("PosCnt"));
    posCnt_->setGeometry(400, 144, 36, 13);
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

void TPleaseWait::showProgress()
{
    for (QLabel* mark : marks_)
        mark->hide();
    setAllCaptionsPlain();
    bar_->setValue(0);
    show();
    pumpEvents();
    wait_(100);
    pumpEvents();
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
    pumpEvents();
    progressStep_ = qMax(maximum / BarMoves, 1);
}

void TPleaseWait::setProgressPosition(int position)
{
    if (position % progressStep_ == 0)
        bar_->setValue(position);
    posPos_->setText(QString::number(position));
    bar_->repaint();
    pumpEvents();
}

void TPleaseWait::endStage(int stage, int mark)
{
    if (stage >= 1 && stage <= StageCount) {
        setCaptionBold(stage, false);
        setMark(stage, mark == 2 ? DoneMark : mark == 1 ? SkippedMark : OtherMark);
    }
    posPos_->clear();
    posCnt_->clear();
    pumpEvents();
}

void TPleaseWait::finishProgress()
{
    pumpEvents();
    beginStage(0, 0);
    setAllCaptionsPlain();
    pumpEvents();
    wait_(1000);
    hide();
}

void TPleaseWait::pause(int milliseconds)
{
    wait_(milliseconds);
}

} // namespace helixplot
