// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeBuilder.h"
#include "ui/geneChangeView.h"
#include "ui/treePage.h"
#include "ui/unitGeneMainWindow.h"
#include "uiTestSupport.h"

#include <QAccessible>
#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <memory>

using namespace helixplot;
using helixplot::testing::child;

namespace {

const QString SamplesDir = QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/");

QString S(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

QString sample(const char* name)
{
    return SamplesDir + QString::fromLatin1(name);
}

// What a screen reader hears: each event's kind and what it says.
QStringList heard;

void listen(QAccessibleEvent* event)
{
    if (event->type() == QAccessible::StateChanged) {
        QAccessibleInterface* cell = event->accessibleInterface();
        if (cell)
            heard << cell->text(QAccessible::Name) + (cell->state().expanded ? S(": expanded") : S(": collapsed"));
    } else if (event->type() == QAccessible::DescriptionChanged) {
        heard << event->accessibleInterface()->text(QAccessible::Description);
    }
}

} // namespace

class ErrorsKeysAndZoomTest : public QObject {
    Q_OBJECT

    std::unique_ptr<helixplot::testing::TempDir> dir;
    QList<ErrorBox> boxes;
    std::unique_ptr<TGeneMainWindow> window;

    QString file(const char* name) const { return QString::fromStdString(dir->file(name)); }

    // Starts the program; step handles the selection dialog at start-up
    // (none: cancelled).
    void start(std::function<int(TLoadGenome&)> step = {})
    {
        MainWindowHooks hooks;
        hooks.reportError = [this](const ErrorBox& box) { boxes << box; };
        hooks.showSelectionDialog = [step](TLoadGenome& dialog) {
            if (!step)
                return int(QDialog::Rejected);
            dialog.show();
            const int result = step(dialog);
            dialog.hide();
            return result;
        };
        hooks.wait = [](int) {};
        hooks.dumpFilePath = file("moop.txt");
        window = std::make_unique<TGeneMainWindow>(hooks);
    }

    // Fills the dialog (mode radio, then the names), records what Accept
    // says, and accepts when it can.
    static std::function<int(TLoadGenome&)> fill(const char* mode, const QStringList& names, QString* hint = nullptr)
    {
        return [=](TLoadGenome& dialog) {
            child<QRadioButton>(&dialog, mode)->click();
            const char* edits[] = {"GenomeFileName", "MotherFile", "FatherFile"};
            for (int i = 0; i < names.size(); ++i)
                child<QLineEdit>(&dialog, edits[i])->setText(names[i]);
            if (hint)
                *hint = dialog.acceptHint();
            auto* accept = child<QPushButton>(&dialog, "Button1");
            if (!accept->isEnabled())
                return int(QDialog::Rejected);
            accept->click();
            return dialog.result();
        };
    }

private Q_SLOTS:
    void initTestCase()
    {
        helixplot::testing::pinCLocale();
        qputenv("HELIXPLOT_SETTINGS", sample("settings.ini").toLocal8Bit());
    }

    void init()
    {
        dir = std::make_unique<helixplot::testing::TempDir>();
        QSettings(QStringLiteral("Helixplot"), QStringLiteral("Helixplot")).clear();
        boxes.clear();
    }

    void cleanup() { window.reset(); }

    void acceptSaysWhatIsMissing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("hint"); // %1: the temporary folder, %2: the samples
        QTest::addColumn<QString>("line"); // what the line beside "Basic Gene Data:" shows, whole
        QTest::newRow("parents beside the child missing")
            << S("Parents") << QStringList{S("%1tibb.gen")}
            << S("Mother's file nela.gen not found in %1; Father's file orvo.gen not found in %1")
            << S("nela.gen, orvo.gen not found");
        QTest::newRow("bare name in neither folder")
            << S("Single") << QStringList{sample("tibb.gen"), S("nix.gen")}
            << S("Comparator's file nix.gen not found in the working folder or %2") << S("nix.gen not found");
        QTest::newRow("bare name found in the genetics folder")
            << S("Dual") << QStringList{sample("tibb.gen"), S("quin.gen"), S("yeva.gen")} << QString() << QString();
        QTest::newRow("unreadable file") << S("Single") << QStringList{sample("tibb.gen"), S("%1bad.gen")}
                                         << S("Comparator's file bad.gen could not be read")
                                         << S("bad.gen could not be read");
        QTest::newRow("nothing named") << S("Breakdown") << QStringList{QString()}
                                       << S("Examined genome's file not named")
                                       << S("Examined genome's file not named");
    }

    void acceptSaysWhatIsMissing()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, names);
        QFETCH(QString, hint);
        QFETCH(QString, line);
        const QString folder = QDir::toNativeSeparators(QString::fromStdString(dir->path()) + u'/');
        QVERIFY(QFile::copy(sample("tibb.gen"), file("tibb.gen")));
        helixplot::testing::writeFile(dir->file("bad.gen"), "not a genome");
        for (QString& name : names)
            name.replace(QLatin1String("%1"), folder);
        QString shown;
        start(fill(mode.toLatin1().constData(), names, &shown));
        QCOMPARE(shown,
                 hint.replace(QLatin1String("%1"), folder)
                     .replace(QLatin1String("%2"), QDir::toNativeSeparators(QDir(SamplesDir).canonicalPath() + u'/')));
        QCOMPARE(child<QLabel>(&window->loadGenome(), "AcceptHint")->text(), line);
        // Only a genome that does not load is an error; its box names the file.
        QCOMPARE(boxes.size(), hint.contains(QLatin1String("could not be read")) ? 1 : 0);
        if (!boxes.isEmpty())
            QCOMPARE(boxes[0].details,
                     QStringLiteral("Comparator's file: ") + QDir::toNativeSeparators(file("bad.gen")));
    }

    void startUpWithoutTheGameSaysWhichFileAndWhere()
    {
#ifdef _WIN32
        QSKIP("there the game's settings are the registry's, which a test leaves alone");
#endif
        const QString settings = file("settings.ini");
        helixplot::testing::writeFile(settings.toStdString(),
                                      "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\nMain Directory=./game/\n");
        qputenv("HELIXPLOT_SETTINGS", settings.toLocal8Bit());
        start();
        qputenv("HELIXPLOT_SETTINGS", sample("settings.ini").toLocal8Bit());
        QCOMPARE(boxes.size(), 1);
        QCOMPARE(boxes[0].text, QStringLiteral("File not found."));
        const QStringList lines = boxes[0].details.split(u'\n');
        QCOMPARE(lines.value(0), QStringLiteral("File: ") + file("game/allchemicals.str"));
        QCOMPARE(lines.value(1), QStringLiteral("Looked for in: ") + file("game"));
        QVERIFY2(boxes[0].details.contains(settings), qPrintable(boxes[0].details));
    }

    void keyboardReachesEverythingInVisualOrder()
    {
        start(fill("Single", {sample("tibb.gen"), sample("quin.gen")}));
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        // After a run the keys go to the page: Ctrl+Tab turns it at once.
        auto* statistics = child<QTreeWidget>(window.get(), "GeneralInfo");
        QCOMPARE(QApplication::focusWidget(), statistics);
        auto* pages = child<QTabWidget>(window.get(), "PageControl1");
        QTest::keyClick(statistics, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(pages->currentIndex(), 1);

        auto* load = child<QPushButton>(window.get(), "Button2");
        load->setFocus();
        QCOMPARE(load->nextInFocusChain(), child<QPushButton>(window.get(), "Button1"));

        // Escape closes the find bar with the focus in the tree.
        TreePage* page = window->treePage(ResultPage::Mutated);
        page->openFind();
        page->view()->setFocus();
        QTest::keyClick(page->view(), Qt::Key_Escape);
        QVERIFY(!page->findOpen());

        // F1 lists every action with its keys, from the actions themselves.
        QTest::keyClick(page->view(), Qt::Key_F1);
        auto* list = child<QTreeWidget>(window.get(), "ShortcutList");
        QCOMPARE(list->topLevelItemCount(), window->keyboardActions().size() + 1);
        const QList<QTreeWidgetItem*> zoomIn = list->findItems(QStringLiteral("Zoom in"), Qt::MatchExactly);
        QCOMPARE(zoomIn.size(), 1);
        QCOMPARE(zoomIn[0]->text(1), QKeySequence(Qt::CTRL | Qt::Key_Plus).toString(QKeySequence::NativeText) +
                                         QStringLiteral(", ") +
                                         QKeySequence(Qt::CTRL | Qt::Key_Equal).toString(QKeySequence::NativeText));
    }

    void zoomGrowsEveryViewTogetherAndIsRemembered_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("zoom");
        QTest::newRow("in twice") << QList<int>{Qt::Key_Plus, Qt::Key_Plus} << 2;
        QTest::newRow("in and out") << QList<int>{Qt::Key_Equal, Qt::Key_Minus} << 0;
        QTest::newRow("out") << QList<int>{Qt::Key_Minus} << -1;
        QTest::newRow("reset") << QList<int>{Qt::Key_Plus, Qt::Key_0} << 0;
        QTest::newRow("no further than the least") << QList<int>(8, Qt::Key_Minus) << TGeneMainWindow::MinZoom;
    }

    void zoomGrowsEveryViewTogetherAndIsRemembered()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, zoom);
        start(fill("Breakdown", {sample("tibb.gen")}));
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const auto sizes = [this] {
            return QList<double>{child<QTreeWidget>(window.get(), "GeneralInfo")->font().pointSizeF(),
                                 child<QTreeView>(window.get(), "MutatedGenes")->font().pointSizeF(),
                                 window->findChild<GeneChangeView*>()->font().pointSizeF(),
                                 double(child<QTreeView>(window.get(), "Breakdown")->font().pixelSize())};
        };
        const QList<double> before = sizes();
        for (int key : keys)
            QTest::keyClick(window.get(), Qt::Key(key), Qt::ControlModifier);
        QCOMPARE(window->zoom(), zoom);
        const QList<double> after = sizes();
        for (int i = 0; i < 3; ++i)
            QCOMPARE(after[i], before[i] * (1 + 0.1 * zoom));
        QCOMPARE(after[3], double(qRound(before[3] * (1 + 0.1 * zoom))));

        window.reset();
        start();
        QCOMPARE(window->zoom(), zoom);
        QCOMPARE(sizes(), after);
    }

    void dumpSaysWhereItWroteAndKeepsTheExpansion()
    {
        start(fill("Breakdown", {sample("tibb.gen")}));
        auto* tree = child<QTreeView>(window.get(), "Breakdown");
        const QModelIndex first = tree->model()->index(0, 0);
        const QModelIndex third = tree->model()->index(2, 0);
        tree->expand(first);
        tree->setCurrentIndex(tree->model()->index(0, 0, first));
        window->BreakdownDblClick();
        QCOMPARE(window->statusText(),
                 QStringLiteral("Breakdown written to ") + QDir::toNativeSeparators(file("moop.txt")));
        QVERIFY(tree->isExpanded(first));
        QVERIFY(!tree->isExpanded(third));
        QCOMPARE(tree->currentIndex(), tree->model()->index(0, 0, first));
        // The line shows the file's name whole or cut at its end, never in
        // the middle of the path; a new mapping clears it.
        const QString shown = child<QLabel>(window.get(), "StatusLine")->text();
        QVERIFY2(shown.startsWith(S("Breakdown written to moop.txt").left(shown.size() - 1)), qPrintable(shown));
        window->Button2Click();
        QCOMPARE(window->statusText(), QString());
        QCOMPARE(child<QLabel>(window.get(), "StatusLine")->text(), QString());
    }

    // A screen reader follows the trees' nodes opening and closing and the
    // change view's changed lines.
    void screenReadersHearExpansionAndChangedLines()
    {
        if (QGuiApplication::platformName() != S("xcb"))
            QSKIP("needs the accessibility bridge of an X display (the .atspi run)");
        start(fill("Single", {sample("tibb.gen"), sample("quin.gen")}));
        window->show();
        QTRY_VERIFY(QAccessible::isActive());
        QAccessible::installUpdateHandler(listen);
        heard.clear();
        const auto restore = qScopeGuard([] { QAccessible::installUpdateHandler(nullptr); });
        child<QTabWidget>(window.get(), "PageControl1")->setCurrentIndex(1);
        QTreeView* tree = window->treePage(ResultPage::Mutated)->view();
        const QModelIndex family = tree->model()->index(0, 0);
        const QString name = family.data().toString();
        tree->expand(family);
        tree->collapse(family);
        QCOMPARE(heard, (QStringList{name + S(": expanded"), name + S(": collapsed")}));

        // A gene that the comparator holds too has lines that changed.
        window->showChangesAction()->setChecked(true);
        bool changedLines = false;
        for (int row = 0; row < tree->model()->rowCount(family) && !changedLines; ++row) {
            heard.clear();
            tree->setCurrentIndex(tree->model()->index(row, 0, family));
            QTRY_VERIFY(!heard.isEmpty());
            changedLines = heard.last().startsWith(S("Changed lines: "));
        }
        QVERIFY(changedLines);
    }

    void everyControlHasAnAccessibleName()
    {
        start(fill("Dual", {sample("tibb.gen"), sample("quin.gen"), sample("yeva.gen")}));
        window->show();
        window->findChild<QAction*>(QStringLiteral("ShortcutOverview"))->trigger();
        TLoadGenome& dialog = window->loadGenome();
        dialog.show();
        child<QRadioButton>(&dialog, "Dual")->click();
        window->showChangesAction()->setChecked(true);
        QStringList unnamed;
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->isVisible())
                helixplot::testing::collectUnnamed(QAccessible::queryAccessibleInterface(top), unnamed);
        dialog.hide();
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
    }
};

QTEST_MAIN(ErrorsKeysAndZoomTest)
#include "errorsKeysAndZoomTest.moc"
