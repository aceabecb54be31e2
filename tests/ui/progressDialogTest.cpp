// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/unitPleaseWait.h"
#include "uiTestSupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QtTest>

#include <memory>

using namespace helixplot;
using helixplot::testing::child;

namespace {

QString markOf(const TPleaseWait& dialog, int stage)
{
    return child<QLabel>(&dialog, qPrintable(QStringLiteral("ptr%1").arg(stage)))->property("mark").toString();
}

bool markShown(const TPleaseWait& dialog, int stage)
{
    return !child<QLabel>(&dialog, qPrintable(QStringLiteral("ptr%1").arg(stage)))->isHidden();
}

bool captionBold(const TPleaseWait& dialog, int stage)
{
    return child<QLabel>(&dialog, qPrintable(QStringLiteral("Stage%1").arg(stage)))->font().bold();
}

} // namespace

class ProgressDialogTest : public QObject {
    Q_OBJECT

    helixplot::testing::WaitLog waits;
    std::unique_ptr<TPleaseWait> dialog;
    QProgressBar* bar = nullptr;
    QLabel* posPos = nullptr;
    QLabel* posCnt = nullptr;

private Q_SLOTS:
    void initTestCase() { helixplot::testing::pinCLocale(); }

    void init()
    {
        waits.waits.clear();
        dialog = std::make_unique<TPleaseWait>(waits.waiter());
        bar = child<QProgressBar>(dialog.get(), "ProgressBar1");
        posPos = child<QLabel>(dialog.get(), "PosPos");
        posCnt = child<QLabel>(dialog.get(), "PosCnt");
    }

    void cleanup() { dialog.reset(); }

    void createdHiddenWithDesignedContent()
    {
        QVERIFY(dialog->isHidden());
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Generating Genetics Map of Creature..."));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowCloseButtonHint));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowSystemMenuHint));
        const QStringList captions{
            QStringLiteral("Calculating gene counts and mutation numbers"),
            QStringLiteral("Building gene mutation trees"), QStringLiteral("Building Missing gene trees"),
            QStringLiteral("Building additional gene trees"), QStringLiteral("Building gene breakdown")};
        for (int stage = 1; stage <= 5; ++stage) {
            QCOMPARE(child<QLabel>(dialog.get(), qPrintable(QStringLiteral("Stage%1").arg(stage)))->text(),
                     captions[stage - 1]);
            QVERIFY(captionBold(*dialog, stage));
            QCOMPARE(markOf(*dialog, stage), QStringLiteral("4"));
        }
        QCOMPARE(bar->maximum(), 36);
        QCOMPARE(bar->value(), 34);
        QCOMPARE(posPos->text(), QStringLiteral("XXX"));
        QCOMPARE(posCnt->text(), QStringLiteral("/XXX"));
    }

    void fourDistinctGlyphs()
    {
        const QStringList glyphs{TPleaseWait::markGlyph('4'), TPleaseWait::markGlyph('b'), TPleaseWait::markGlyph('s'),
                                 TPleaseWait::markGlyph('r')};
        for (int i = 0; i < glyphs.size(); ++i) {
            QVERIFY(!glyphs[i].trimmed().isEmpty());
            for (int j = i + 1; j < glyphs.size(); ++j)
                QVERIFY(glyphs[i] != glyphs[j]);
        }
    }

    void showProgressHidesMarksAndWaits()
    {
        dialog->showProgress();
        QVERIFY(dialog->isVisible());
        for (int stage = 1; stage <= 5; ++stage) {
            QVERIFY(!markShown(*dialog, stage));
            QVERIFY(!captionBold(*dialog, stage));
        }
        QCOMPARE(bar->value(), 0);
        // The counter keeps what it showed until the first stage begins.
        QCOMPARE(posPos->text(), QStringLiteral("XXX"));
        QCOMPARE(waits.waits, std::vector<int>{100});
    }

    void beginStageShowsPointerAndCounter_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("maximum");
        QTest::newRow("stage 1 of 19") << 1 << 19;
        QTest::newRow("stage 5 of 1234") << 5 << 1234;
        QTest::newRow("stage 3 of 0") << 3 << 0;
    }

    void beginStageShowsPointerAndCounter()
    {
        QFETCH(int, stage);
        QFETCH(int, maximum);
        dialog->showProgress();
        dialog->beginStage(stage, maximum);
        for (int s = 1; s <= 5; ++s) {
            QCOMPARE(markShown(*dialog, s), s == stage);
            QCOMPARE(captionBold(*dialog, s), s == stage);
        }
        QCOMPARE(markOf(*dialog, stage), QStringLiteral("4"));
        QCOMPARE(posPos->text(), QStringLiteral("0"));
        QCOMPARE(posCnt->text(), QStringLiteral("/%1").arg(maximum));
        QCOMPARE(bar->value(), 0);
        if (maximum > 0)
            QCOMPARE(bar->maximum(), maximum);
    }

    void progressStep_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<int>("step");
        QTest::newRow("19") << 19 << 1;
        QTest::newRow("72") << 72 << 2;
        QTest::newRow("35") << 35 << 1;
        QTest::newRow("0") << 0 << 1;
        QTest::newRow("36") << 36 << 1;
        QTest::newRow("107") << 107 << 2;
        QTest::newRow("108") << 108 << 3;
        QTest::newRow("36000") << 36000 << 1000;
    }

    void progressStep()
    {
        QFETCH(int, maximum);
        QFETCH(int, step);
        dialog->beginStage(2, maximum);
        QCOMPARE(dialog->ProgressStep(), step);
    }

    void barMovesOnlyAtMultiplesOfTheStep_data()
    {
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QList<int>>("bar"); // bar position after positions 1, 2, 3, ...
        QTest::newRow("19: every position") << 19 << QList<int>{1, 2, 3, 4, 5};
        QTest::newRow("72: even positions") << 72 << QList<int>{0, 2, 2, 4, 4, 6};
        QTest::newRow("108: every third") << 108 << QList<int>{0, 0, 3, 3, 3, 6, 6};
    }

    void barMovesOnlyAtMultiplesOfTheStep()
    {
        QFETCH(int, maximum);
        QFETCH(QList<int>, bar);
        dialog->beginStage(4, maximum);
        for (int position = 1; position <= bar.size(); ++position) {
            dialog->setProgressPosition(position);
            QCOMPARE(posPos->text(), QString::number(position));
            QCOMPARE(this->bar->value(), bar[position - 1]);
        }
        QCOMPARE(posCnt->text(), QStringLiteral("/%1").arg(maximum));
    }

    void endMarks_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<int>("mark");
        QTest::addColumn<QString>("shown");
        QTest::newRow("2 is done") << 1 << 2 << QStringLiteral("b");
        QTest::newRow("1 is skipped") << 2 << 1 << QStringLiteral("s");
        QTest::newRow("7 is other") << 3 << 7 << QStringLiteral("r");
        QTest::newRow("0 is other") << 4 << 0 << QStringLiteral("r");
        QTest::newRow("-1 is other") << 5 << -1 << QStringLiteral("r");
    }

    void endMarks()
    {
        QFETCH(int, stage);
        QFETCH(int, mark);
        QFETCH(QString, shown);
        dialog->showProgress();
        dialog->beginStage(stage, 10);
        dialog->setProgressPosition(4);
        dialog->endStage(stage, static_cast<StageMark>(mark));
        QCOMPARE(markOf(*dialog, stage), shown);
        QVERIFY(markShown(*dialog, stage));
        QVERIFY(!captionBold(*dialog, stage));
        QCOMPARE(posPos->text(), QString());
        QCOMPARE(posCnt->text(), QString());
        QCOMPARE(child<QLabel>(dialog.get(), qPrintable(QStringLiteral("ptr%1").arg(stage)))->text(),
                 TPleaseWait::markGlyph(shown.at(0).toLatin1()));
    }

    void stagesZeroAndSixOnlyClearTheCounter_data()
    {
        QTest::addColumn<int>("stage");
        QTest::newRow("0") << 0;
        QTest::newRow("6") << 6;
    }

    void stagesZeroAndSixOnlyClearTheCounter()
    {
        QFETCH(int, stage);
        dialog->showProgress();
        dialog->beginStage(2, 50);
        dialog->setProgressPosition(7);
        dialog->endStage(stage, StageMark::Done);
        QCOMPARE(posPos->text(), QString());
        QCOMPARE(posCnt->text(), QString());
        QCOMPARE(markOf(*dialog, 2), QStringLiteral("4"));
        QVERIFY(captionBold(*dialog, 2));
        for (int s : {1, 3, 4, 5})
            QVERIFY(!markShown(*dialog, s));
        QCOMPARE(bar->value(), 7);
    }

    void finishProgressShowsZeroWaitsAndHides()
    {
        dialog->showProgress();
        dialog->beginStage(5, 300);
        dialog->setProgressPosition(300);
        dialog->endStage(5, StageMark::Skipped);
        dialog->finishProgress();
        QVERIFY(dialog->isHidden());
        QCOMPARE(posPos->text(), QStringLiteral("0"));
        QCOMPARE(posCnt->text(), QStringLiteral("/0"));
        QCOMPARE(bar->value(), 0);
        for (int s = 1; s <= 5; ++s)
            QVERIFY(!captionBold(*dialog, s));
        QCOMPARE(markOf(*dialog, 5), QStringLiteral("s"));
        QCOMPARE(waits.waits, (std::vector<int>{100, 1000}));
    }

    void pauseIsARealWaitThroughTheSeam()
    {
        dialog->pause(500);
        QCOMPARE(waits.waits, std::vector<int>{500});
    }

    void secondRunResetsMarksAndCaptions()
    {
        dialog->showProgress();
        for (int s = 1; s <= 5; ++s) {
            dialog->beginStage(s, 3);
            dialog->endStage(s, s == 3 ? static_cast<StageMark>(7) : StageMark::Done);
        }
        dialog->beginStage(4, 3); // left running
        dialog->finishProgress();

        dialog->showProgress();
        for (int s = 1; s <= 5; ++s) {
            QVERIFY(!markShown(*dialog, s));
            QVERIFY(!captionBold(*dialog, s));
        }
        QCOMPARE(posPos->text(), QStringLiteral("0"));
        QCOMPARE(posCnt->text(), QStringLiteral("/0"));
        dialog->beginStage(1, 19);
        QCOMPARE(markOf(*dialog, 1), QStringLiteral("4"));
        QVERIFY(!markShown(*dialog, 3));
    }

    void pumpingWaitLastsItsTime()
    {
        QElapsedTimer timer;
        timer.start();
        pumpingWait(30);
        QVERIFY(timer.elapsed() >= 29);
    }

    void closingIsRefused()
    {
        dialog->showProgress();
        QVERIFY(!dialog->close());
        QVERIFY(dialog->isVisible());
        QTest::keyClick(dialog.get(), Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
    }
};

QTEST_MAIN(ProgressDialogTest)
#include "progressDialogTest.moc"
