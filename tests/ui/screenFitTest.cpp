// SPDX-License-Identifier: GPL-3.0-or-later
// Every window opens inside the screen's available area, whatever the
// desktop font and whatever geometry the last session left, with no visible
// button cut. The screen comes from HELIXPLOT_TEST_SCREEN (WIDTHxHEIGHT) on
// the offscreen platform; ctest runs this once per screen size.
#include "ui/appSettings.h"
#include "ui/population/populationWindow.h"
#include "ui/unitGeneMainWindow.h"
#include "ui/unitLoadGenome.h"
#include "ui/unitPleaseWait.h"
#include "uiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>

using namespace helixplot;

namespace {

const QString SamplesDir = QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/");

// The visible buttons of window that are cut by its edge or a parent's, or
// too narrow for their captions.
QStringList clippedButtons(const QWidget* window)
{
    QStringList clipped;
    for (const QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(window))
            continue;
        QRect shown = button->rect();
        for (const QWidget* widget = button; widget != window; widget = widget->parentWidget())
            shown = shown.translated(widget->pos()) & widget->parentWidget()->rect();
        const int least = button->text().isEmpty() ? 0 : button->fontMetrics().horizontalAdvance(button->text()) + 6;
        if (shown.size() != button->size() || button->width() < least)
            clipped << button->objectName() + u'/' + button->text();
    }
    return clipped;
}

} // namespace

class ScreenFitTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;

    QString fitFault(QWidget* window)
    {
        window->show();
        QCoreApplication::processEvents();
        const QRect area = window->screen()->availableGeometry();
        if (!area.contains(window->frameGeometry()))
            return QStringLiteral("%1 at %2,%3 %4x%5 leaves %6x%7")
                .arg(window->objectName())
                .arg(window->frameGeometry().x())
                .arg(window->frameGeometry().y())
                .arg(window->frameGeometry().width())
                .arg(window->frameGeometry().height())
                .arg(area.width())
                .arg(area.height());
        const QStringList clipped = clippedButtons(window);
        return clipped.isEmpty() ? QString() : window->objectName() + QStringLiteral(" cuts ") + clipped.join(u',');
    }

private Q_SLOTS:
    // A closed window's settings are written beside it: done before exit.
    void cleanupTestCase() { waitForBackgroundWork(); }

    void initTestCase()
    {
        if (!QFile::exists(SamplesDir + QStringLiteral("settings.ini")))
            QSKIP("the samples are missing");
        qputenv("HELIXPLOT_SETTINGS", (SamplesDir + QStringLiteral("settings.ini")).toLocal8Bit());
    }

    void everyWindowFitsTheScreen_data()
    {
        QTest::addColumn<double>("points");
        QTest::addColumn<QPoint>("remembered"); // the last session's main window (none: null)
        QTest::newRow("9 pt") << 9.0 << QPoint();
        QTest::newRow("12 pt") << 12.0 << QPoint();
        QTest::newRow("14 pt, far right") << 14.0 << QPoint(900, 500);
        QTest::newRow("18 pt") << 18.0 << QPoint();
        QTest::newRow("18 pt, on a screen that is gone") << 18.0 << QPoint(4000, 3000);
    }

    void everyWindowFitsTheScreen()
    {
        QFETCH(double, points);
        QFETCH(QPoint, remembered);
        const QFont desktop = QApplication::font();
        QFont font = desktop;
        font.setPointSizeF(points);
        QApplication::setFont(font);
        const auto restore = qScopeGuard([&] {
            QApplication::setFont(desktop);
            helixplotSettings().clear();
        });
        if (!remembered.isNull()) {
            QWidget last;
            last.setGeometry(QRect(remembered, QSize(700, 500)));
            helixplotSettings().setValue(QStringLiteral("mainWindow/geometry"), last.saveGeometry());
            helixplotSettings().setValue(QStringLiteral("populationWindow/geometry"), last.saveGeometry());
        }

        testing::ErrorLog errors;
        MainWindowHooks hooks;
        hooks.reportError = [&errors](const ErrorBox& box) { errors.texts << box.text; };
        TGeneMainWindow main(hooks, {}, {}, false);
        TLoadGenome dialog(hooks.reportError);
        dialog.setObjectName(QStringLiteral("LoadGenome"));
        TPleaseWait progress([](int) {});
        PopulationWindow population(folder.path(), false, {}, {hooks.reportError, {}, {}});
        QStringList faults;
        for (QWidget* window : std::initializer_list<QWidget*>{&main, &dialog, &progress, &population})
            if (const QString fault = fitFault(window); !fault.isEmpty())
                faults << fault;
        dialog.hide();
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QVERIFY(errors.texts.isEmpty());
    }
};

int main(int argc, char* argv[])
{
    // One screen of the size asked for, with frames around the windows.
    const QByteArray size = qgetenv("HELIXPLOT_TEST_SCREEN").isEmpty() ? "1024x768" : qgetenv("HELIXPLOT_TEST_SCREEN");
    const QList<QByteArray> sides = size.split('x');
    QTemporaryDir config;
    if (sides.size() != 2)
        return 2;
    testing::useOffscreenScreen(config.path(), sides[0], sides[1], true);
    QApplication app(argc, argv);
    testing::pinCLocale();
    ScreenFitTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "screenFitTest.moc"
