// SPDX-License-Identifier: GPL-3.0-or-later
// How often the progress dialog paints while a run reports, on a clock the
// test moves: about once a frame in a long stage, and always what is set
// at each stage's end and before each fixed wait.

#include "ui/unitPleaseWait.h"
#include "uiTestSupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>

#include <map>
#include <memory>

using namespace helixplot;
using helixplot::testing::child;

namespace {

// What a widget shows, as far as the tests look at it.
QString stateOf(const QWidget* widget)
{
    if (auto* bar = qobject_cast<const QProgressBar*>(widget))
        return QString::number(bar->value()) + u'/' + QString::number(bar->maximum());
    auto* label = static_cast<const QLabel*>(widget);
    return label->text() + (label->font().bold() ? QStringLiteral(" bold") : QString()) +
           (label->isVisible() ? QString() : QStringLiteral(" hidden"));
}

// Remembers what each watched widget showed when it last painted.
class PaintWatch : public QObject {
public:
    void watch(QWidget* widget)
    {
        widget->installEventFilter(this);
        widgets_.push_back(widget);
    }

    // The widgets whose screen differs from what they hold, by name.
    QStringList stale() const
    {
        QStringList names;
        for (const QWidget* widget : widgets_) {
            const auto painted = painted_.find(widget);
            if (widget->isVisible() && (painted == painted_.end() || painted->second != stateOf(widget)))
                names << widget->objectName();
        }
        return names;
    }

    // The texts the counter painted, a repeat of the same text counted once.
    QStringList counterTexts;
    int counterPaints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            auto* widget = static_cast<QWidget*>(watched);
            painted_[widget] = stateOf(widget);
            if (widget->objectName() == QLatin1String("PosPos")) {
                ++counterPaints;
                const QString text = static_cast<QLabel*>(widget)->text();
                if (counterTexts.isEmpty() || counterTexts.back() != text)
                    counterTexts << text;
            }
        }
        return false;
    }

private:
    std::vector<const QWidget*> widgets_;
    std::map<const QWidget*, QString> painted_;
};

} // namespace

class ProgressPacingTest : public QObject {
    Q_OBJECT

    qint64 now = 1000;
    std::vector<int> waits;
    QStringList staleAtWaits; // one entry per wait, the stale widgets joined
    std::unique_ptr<TPleaseWait> dialog;
    std::unique_ptr<PaintWatch> paints;

    // A slow X server may map the window only after showProgress() is done;
    // the first expose then repaints what is already on the screen, and must
    // not land in the middle of what a test counts.
    bool showExposed()
    {
        dialog->showProgress();
        if (!QTest::qWaitForWindowExposed(dialog.get()))
            return false;
        QCoreApplication::processEvents();
        return true;
    }

private Q_SLOTS:
    void initTestCase() { helixplot::testing::pinCLocale(); }

    void init()
    {
        now = 1000;
        waits.clear();
        staleAtWaits.clear();
        paints = std::make_unique<PaintWatch>();
        dialog = std::make_unique<TPleaseWait>(
            [this](int ms) {
                // The first wait follows show() at once. A window the X server
                // has not exposed yet cannot have painted; the real wait's
                // event loop paints it once it is, and so does this one.
                if (dialog->isVisible() && !dialog->windowHandle()->isExposed()) {
                    if (!QTest::qWaitForWindowExposed(dialog.get()))
                        staleAtWaits << QStringLiteral("never exposed");
                    QCoreApplication::processEvents();
                }
                staleAtWaits << paints->stale().join(u',');
                waits.push_back(ms);
                QCoreApplication::processEvents();
            },
            [this] { return now; });
        paints->watch(child<QLabel>(dialog.get(), "PosPos"));
        paints->watch(child<QLabel>(dialog.get(), "PosCnt"));
        paints->watch(child<QProgressBar>(dialog.get(), "ProgressBar1"));
        for (int stage = 1; stage <= 5; ++stage) {
            paints->watch(child<QLabel>(dialog.get(), qPrintable(QStringLiteral("Stage%1").arg(stage))));
            paints->watch(child<QLabel>(dialog.get(), qPrintable(QStringLiteral("ptr%1").arg(stage))));
        }
    }

    void cleanup()
    {
        dialog.reset();
        paints.reset();
    }

    void longStagePaintsAboutOncePerFrame_data()
    {
        QTest::addColumn<int>("msPerPosition");
        QTest::addColumn<int>("fewest");
        QTest::addColumn<int>("most");
        // 3,000 positions; the counter paints when a frame (16 ms) has passed.
        QTest::newRow("time stands still: none") << 0 << 0 << 0;
        QTest::newRow("1 ms a position") << 1 << 3000 / 16 - 1 << 3000 / 16 + 1;
        QTest::newRow("5 ms a position: every 4th") << 5 << 750 - 1 << 750 + 1;
        QTest::newRow("a frame a position: every one") << 16 << 3000 << 3000;
        QTest::newRow("slower than frames: every one") << 40 << 3000 << 3000;
    }

    void longStagePaintsAboutOncePerFrame()
    {
        QFETCH(int, msPerPosition);
        QFETCH(int, fewest);
        QFETCH(int, most);
        QVERIFY(showExposed());
        dialog->beginStage(5, 3000);
        const int before = paints->counterPaints;
        for (int position = 1; position <= 3000; ++position) {
            now += msPerPosition;
            dialog->setProgressPosition(position);
            // Every position is set, painted or not.
            QCOMPARE(child<QLabel>(dialog.get(), "PosPos")->text(), QString::number(position));
        }
        const int during = paints->counterPaints - before;
        QVERIFY2(during >= fewest && during <= most, qPrintable(QStringLiteral("%1 paints").arg(during)));
    }

    void stageEndsAndWaitsShowWhatIsSet_data()
    {
        QTest::addColumn<int>("msPerReport");
        QTest::newRow("time stands still") << 0;
        QTest::newRow("3 ms a report") << 3;
    }

    // A parental run of a genome of 4 organs, 300 genes, against parents of
    // 5 and 6 organs.
    void stageEndsAndWaitsShowWhatIsSet()
    {
        QFETCH(int, msPerReport);
        const auto tick = [&] { now += msPerReport; };
        const auto stage = [&](int s, int maximum, int last) {
            dialog->beginStage(s, maximum);
            tick();
            for (int position = 1; position <= last; ++position) {
                dialog->setProgressPosition(position);
                tick();
            }
        };
        // Each stage's end is on the screen at once: mark, caption, counter.
        QStringList staleAtEnds;
        const auto end = [&](int s, int mark) {
            dialog->endStage(s, static_cast<StageMark>(mark));
            staleAtEnds << paints->stale().join(u',');
        };
        QVERIFY(showExposed());
        stage(1, 19, 19);
        dialog->pause(500);
        end(1, 2);
        stage(2, 7, 6);
        end(2, 2);
        tick();
        stage(3, 13, 13);
        end(3, 7);
        stage(4, 5, 5);
        end(4, 2);
        stage(5, 300, 300);
        end(5, 1);
        tick();
        end(5, 2);
        dialog->finishProgress();

        QCOMPARE(staleAtEnds, QStringList(6, QString()));

        QCOMPARE(waits, (std::vector<int>{100, 500, 1000}));
        // Nothing is left unpainted when a wait begins.
        QCOMPARE(staleAtWaits, (QStringList{QString(), QString(), QString()}));
        // Each stage's last position was on the screen before it ended.
        const QStringList texts = paints->counterTexts;
        qsizetype at = 0;
        for (const QString& last : {QStringLiteral("19"), QStringLiteral("6"), QStringLiteral("13"),
                                    QStringLiteral("5"), QStringLiteral("300")}) {
            at = texts.indexOf(last, at);
            QVERIFY2(at >= 0, qPrintable(last));
            QCOMPARE(texts.value(++at), QString());
        }
        QCOMPARE(texts.back(), QStringLiteral("0"));
        if (msPerReport == 0) {
            // With no frame due anywhere, only those are painted.
            QCOMPARE(texts, (QStringList{QStringLiteral("XXX"), QStringLiteral("19"), QString(), QStringLiteral("6"),
                                         QString(), QStringLiteral("13"), QString(), QStringLiteral("5"), QString(),
                                         QStringLiteral("300"), QString(), QStringLiteral("0")}));
        }
    }

    void heldPaintComesWhenTheCallerGoesIdle()
    {
        QVERIFY(showExposed());
        dialog->beginStage(5, 100);
        dialog->setProgressPosition(1);
        dialog->setProgressPosition(2);
        QVERIFY(!paints->stale().isEmpty());
        // The caller stops reporting and the event loop runs: a frame later
        // the screen catches up.
        now += FrameMs;
        QTRY_COMPARE(paints->stale(), QStringList());
        QCOMPARE(paints->counterTexts.back(), QStringLiteral("2"));
    }

    void secondRunPaintsAfterAFailedOne()
    {
        // A run that fails mid-stage leaves a paint held; the window is hidden.
        dialog->showProgress();
        dialog->beginStage(2, 50);
        dialog->setProgressPosition(9);
        dialog->hide();
        dialog->showProgress();
        // On a real X server the window shows again only once the server
        // has mapped it; the clock stands still, so nothing paced comes.
        QTRY_COMPARE(paints->stale(), QStringList());
        dialog->beginStage(1, 19);
        now += FrameMs;
        dialog->setProgressPosition(1);
        QCOMPARE(paints->stale(), QStringList());
    }
};

QTEST_MAIN(ProgressPacingTest)
#include "progressPacingTest.moc"
