// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeBuilder.h"
#include "mapping/mappingRun.h"
#include "mapping/statistics.h"
#include "ui/unitGeneMainWindow.h"
#include "uiTestSupport.h"

#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTabWidget>
#include <QTreeView>
#include <QTreeWidget>
#include <QtTest>

#include <deque>
#include <filesystem>
#include <memory>
#include <new>

using namespace helixplot;
using helixplot::testing::child;

namespace {

const QString SamplesDir = QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/");

// The sample family and two comparators that are no kin of it.
const QMap<QString, QStringList> SampleFiles{
    {QStringLiteral("breakdown"), {QStringLiteral("tibb.gen")}},
    {QStringLiteral("single"), {QStringLiteral("tibb.gen"), QStringLiteral("quin.gen")}},
    {QStringLiteral("parental"), {QStringLiteral("tibb.gen")}},
    {QStringLiteral("dual"), {QStringLiteral("tibb.gen"), QStringLiteral("quin.gen"), QStringLiteral("yeva.gen")}},
};

const char* radioFor(const QString& mode)
{
    return mode == u"breakdown" ? "Breakdown" : mode == u"single" ? "Single" : mode == u"parental" ? "Parents" : "Dual";
}

// The reviewed text of a whole mapping of the same files, as helixplot-cli
// prints it.
QString expectedMap(const QString& mode)
{
    QFile file(QStringLiteral(HELIXPLOT_SOURCE_DIR "/tests/expected/map-%1.txt").arg(mode));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing %s", qPrintable(file.fileName()));
    return QString::fromLatin1(file.readAll());
}

void appendTree(const QAbstractItemModel& model, const QModelIndex& parent, const QString& indent, QString& out)
{
    for (int row = 0; row < model.rowCount(parent); ++row) {
        const QModelIndex index = model.index(row, 0, parent);
        out += indent + index.data().toString() + u'\n';
        appendTree(model, index, indent + u' ', out);
    }
}

// Every page the window shows, in the command-line tool's form.
QString pagesText(const TGeneMainWindow& window)
{
    auto* pages = child<QTabWidget>(&window, "PageControl1");
    auto* table = child<QTreeWidget>(&window, "GeneralInfo");
    QString out;
    for (int page = 0; page < pages->count(); ++page) {
        if (!pages->isTabVisible(page))
            continue;
        out += QStringLiteral("== ") + pages->tabText(page) + u'\n';
        if (pages->widget(page) == table->parentWidget()) {
            QStringList titles;
            for (int column = 0; column < table->columnCount(); ++column)
                titles << table->headerItem()->text(column);
            out += titles.join(u'\t') + u'\n';
            for (int row = 0; row < table->topLevelItemCount(); ++row) {
                QStringList cells;
                for (int column = 0; column < table->columnCount(); ++column)
                    cells << table->topLevelItem(row)->text(column);
                out += cells.join(u'\t') + u'\n';
            }
        } else {
            appendTree(*pages->widget(page)->findChild<QTreeView*>()->model(), {}, {}, out);
        }
    }
    return out;
}

// Compares line by line, naming the first line that differs.
bool sameText(const QString& actual, const QString& expected, QByteArray& why)
{
    const QStringList a = actual.split(u'\n');
    const QStringList e = expected.split(u'\n');
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
        if (a.value(i) != e.value(i) || i >= a.size() || i >= e.size()) {
            why = QStringLiteral("line %1: shown \"%2\", printed \"%3\"")
                      .arg(i + 1)
                      .arg(a.value(i, QStringLiteral("<end>")), e.value(i, QStringLiteral("<end>")))
                      .toLatin1();
            return false;
        }
    }
    return true;
}

QString section(const QString& text, const QString& title)
{
    const QString head = QStringLiteral("== ") + title + u'\n';
    const qsizetype start = text.indexOf(head);
    if (start < 0)
        return {};
    const qsizetype from = start + head.size();
    const qsizetype end = text.indexOf(QStringLiteral("\n== "), from);
    return end < 0 ? text.mid(from) : text.mid(from, end + 1 - from);
}

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT

    // One fixture for every test: the samples' mappings as reviewed.
    QMap<QString, QString> printed;
    std::unique_ptr<helixplot::testing::TempDir> dir;
    helixplot::testing::ErrorLog errors;
    helixplot::testing::WaitLog waits;
    std::deque<std::function<int(TLoadGenome&)>> script;
    int showings = 0;
    std::function<void(int)> onWait;
    QString dumpTarget; // empty: moop.txt in the test's folder
    std::unique_ptr<TGeneMainWindow> window;

    QString dumpPath() const { return QString::fromStdString(dir->file("moop.txt")); }

    // The user picks mode and files and accepts.
    std::function<int(TLoadGenome&)> choose(const QString& mode)
    {
        return [this, mode](TLoadGenome& dialog) {
            ++showings;
            visibleAtShowing = window && window->isVisible();
            dialog.show();
            child<QRadioButton>(&dialog, radioFor(mode))->click();
            const QStringList files = SampleFiles[mode];
            if (mode != u"parental") {
                const char* comparators[] = {"MotherFile", "FatherFile"};
                for (qsizetype i = 1; i < files.size(); ++i)
                    child<QLineEdit>(&dialog, comparators[i - 1])->setText(SamplesDir + files[i]);
            }
            child<QLineEdit>(&dialog, "GenomeFileName")->setText(SamplesDir + files[0]);
            child<QPushButton>(&dialog, "Button1")->click();
            if (dialog.isVisible()) {
                qWarning("accept was disabled");
                dialog.reject();
            }
            return dialog.result();
        };
    }

    std::function<int(TLoadGenome&)> cancel()
    {
        return [this](TLoadGenome& dialog) {
            ++showings;
            visibleAtShowing = window && window->isVisible();
            dialog.show();
            child<QPushButton>(&dialog, "Button2")->click();
            return dialog.result();
        };
    }

    void start(std::initializer_list<std::function<int(TLoadGenome&)>> steps)
    {
        script.assign(steps);
        MainWindowHooks hooks;
        hooks.reportError = errors.reporter();
        hooks.showSelectionDialog = [this](TLoadGenome& dialog) {
            if (script.empty()) {
                qWarning("the selection dialog was shown once too often");
                return int(QDialog::Rejected);
            }
            auto step = std::move(script.front());
            script.pop_front();
            return step(dialog);
        };
        hooks.wait = [this](int ms) {
            waits.waiter()(ms);
            if (onWait)
                onWait(ms);
        };
        hooks.dumpFilePath = dumpTarget.isEmpty() ? dumpPath() : dumpTarget;
        window = std::make_unique<TGeneMainWindow>(hooks);
    }

    void clickLoadNewGenome(std::function<int(TLoadGenome&)> step)
    {
        script.push_back(std::move(step));
        child<QPushButton>(window.get(), "Button2")->click();
    }

    QTabWidget* pages() const { return child<QTabWidget>(window.get(), "PageControl1"); }
    QList<bool> visiblePages() const
    {
        QList<bool> shown;
        for (int i = 0; i < pages()->count(); ++i)
            shown << pages()->isTabVisible(i);
        return shown;
    }

    void verifyPages(const QString& mode)
    {
        QByteArray why;
        QVERIFY2(sameText(pagesText(*window), printed[mode], why), why.constData());
    }

    bool visibleAtShowing = false;

private Q_SLOTS:
    void initTestCase()
    {
        helixplot::testing::pinCLocale();
        if (!QFile::exists(SamplesDir + QStringLiteral("tibb.gen")))
            QSKIP("the samples are missing");
        qputenv("HELIXPLOT_SETTINGS", (SamplesDir + QStringLiteral("settings.ini")).toLocal8Bit());
        for (auto it = SampleFiles.begin(); it != SampleFiles.end(); ++it)
            printed[it.key()] = expectedMap(it.key());
        dir = std::make_unique<helixplot::testing::TempDir>();
    }

    void init()
    {
        errors.texts.clear();
        waits.waits.clear();
        showings = 0;
        onWait = nullptr;
        dumpTarget.clear();
        visibleAtShowing = false;
    }

    void cleanup()
    {
        window.reset();
        qputenv("HELIXPLOT_SETTINGS", (SamplesDir + QStringLiteral("settings.ini")).toLocal8Bit());
        QVERIFY2(script.empty() || QTest::currentTestFailed(), "a planned showing of the dialog did not happen");
        script.clear();
    }

    void startupRunFillsEveryPage_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<int>("mappingMode");
        QTest::addColumn<QList<bool>>("shown");
        QTest::addColumn<QString>("comparisonMark"); // stages 2 to 4
        QTest::newRow("breakdown") << "breakdown" << 0 << QList<bool>{true, false, false, false, true} << "s";
        QTest::newRow("single") << "single" << 1 << QList<bool>{true, true, true, true, true} << "b";
        QTest::newRow("parental") << "parental" << 2 << QList<bool>{true, true, true, true, true} << "b";
        QTest::newRow("dual") << "dual" << 2 << QList<bool>{true, true, true, true, true} << "b";
    }

    void startupRunFillsEveryPage()
    {
        QFETCH(QString, mode);
        QFETCH(int, mappingMode);
        QFETCH(QList<bool>, shown);
        QFETCH(QString, comparisonMark);
        start({choose(mode)});
        QVERIFY(errors.texts.isEmpty());
        QCOMPARE(showings, 1);
        QVERIFY(!window->programEnded());
        QVERIFY(!window->StartupRun());
        // The program entry shows the window; the start-up run does not.
        QVERIFY(!window->isVisible());
        QCOMPARE(static_cast<int>(window->MappingMode()), mappingMode);
        QCOMPARE(waits.waits, (std::vector<int>{100, 500, 1000}));
        QVERIFY(window->pleaseWait().isHidden());
        QCOMPARE(pages()->currentWidget()->objectName(), QStringLiteral("TabSheet1"));
        QCOMPARE(visiblePages(), shown);
        verifyPages(mode);
        for (int stage = 1; stage <= 5; ++stage) {
            const QString mark = child<QLabel>(&window->pleaseWait(), qPrintable(QStringLiteral("ptr%1").arg(stage)))
                                     ->property("mark")
                                     .toString();
            QCOMPARE(mark, stage >= 2 && stage <= 4 ? comparisonMark : QStringLiteral("b"));
        }
    }

    void loadNewGenomeRunsAgainInEveryMode()
    {
        start({choose(QStringLiteral("breakdown"))});
        window->show();
        for (const QString& mode : QStringList{"dual", "single", "breakdown", "parental"}) {
            waits.waits.clear();
            pages()->setCurrentIndex(pages()->count() - 1);
            clickLoadNewGenome(choose(mode));
            QVERIFY(!visibleAtShowing);
            QVERIFY(window->isVisible());
            QVERIFY(window->pleaseWait().isHidden());
            QCOMPARE(waits.waits, (std::vector<int>{100, 500, 1000}));
            QCOMPARE(pages()->currentIndex(), 0);
            verifyPages(mode);
        }
        QVERIFY(errors.texts.isEmpty());
    }

    void breakdownRunKeepsTheHiddenComparisonTrees()
    {
        start({choose(QStringLiteral("dual"))});
        window->show();
        const QString mutated = section(printed[QStringLiteral("dual")], QStringLiteral("Mutated genes"));
        QVERIFY(!mutated.isEmpty());
        clickLoadNewGenome(choose(QStringLiteral("breakdown")));
        QCOMPARE(visiblePages(), (QList<bool>{true, false, false, false, true}));
        QString kept;
        appendTree(*child<QTreeView>(window.get(), "MutatedGenes")->model(), {}, {}, kept);
        QCOMPARE(kept, mutated);
        clickLoadNewGenome(choose(QStringLiteral("single")));
        QCOMPARE(visiblePages(), (QList<bool>{true, true, true, true, true}));
        verifyPages(QStringLiteral("single"));
    }

    void cancelAtStartupEndsTheProgram()
    {
        start({cancel()});
        QCOMPARE(showings, 1);
        QVERIFY(window->programEnded());
        QVERIFY(waits.waits.empty());
        QVERIFY(window->result().breakdown.empty());
        QVERIFY(errors.texts.isEmpty());
    }

    void cancelAfterLoadNewGenomeKeepsThePages()
    {
        start({choose(QStringLiteral("single"))});
        window->show();
        pages()->setCurrentIndex(4);
        const QString before = pagesText(*window);
        waits.waits.clear();
        clickLoadNewGenome(cancel());
        QVERIFY(!visibleAtShowing);
        QVERIFY(window->isVisible());
        QVERIFY(!window->programEnded());
        QVERIFY(waits.waits.empty());
        QCOMPARE(pages()->currentIndex(), 4);
        QCOMPARE(pagesText(*window), before);
        verifyPages(QStringLiteral("single"));
    }

    void enterLoadsANewGenome_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<bool>("loads");
        QTest::newRow("in the statistics table") << "GeneralInfo" << true;
        QTest::newRow("on Load New Genome") << "Button2" << true;
        QTest::newRow("on Close Helixplot") << "Button1" << false;
    }

    void enterLoadsANewGenome()
    {
        QFETCH(QString, focus);
        QFETCH(bool, loads);
        start({choose(QStringLiteral("breakdown"))});
        window->show();
        QWidget* target = child<QWidget>(window.get(), qPrintable(focus));
        target->setFocus();
        if (loads)
            script.push_back(cancel());
        QTest::keyClick(target, Qt::Key_Return);
        QCOMPARE(showings, loads ? 2 : 1);
        QCOMPARE(window->programEnded(), !loads);
    }

    void closeHelixplotEndsTheProgram()
    {
        start({choose(QStringLiteral("breakdown"))});
        window->show();
        auto* close = child<QPushButton>(window.get(), "Button1");
        QCOMPARE(close->text(), QStringLiteral("Close Helixplot"));
        close->click();
        QVERIFY(window->programEnded());
    }

    void aStartupErrorSkipsTheDialogAndLeavesTheInitialPages()
    {
#ifdef _WIN32
        // Windows reads the game's folders from the registry, never a file.
        QSettings game(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Brindlecove Technology\\Mirelings 2\\1.0"),
                       QSettings::NativeFormat);
        const QString name = QStringLiteral("Main Directory");
        const QVariant kept = game.value(name);
        game.setValue(name, QStringLiteral(".\\nowhere\\"));
        game.sync();
        const auto restore = qScopeGuard([&] {
            if (kept.isValid())
                game.setValue(name, kept);
            else
                game.remove(name);
        });
        if (game.status() != QSettings::NoError)
            QSKIP("the game's registry key cannot be written by this user");
#else
        const std::string settings = dir->file("settings.ini");
        helixplot::testing::writeFile(
            settings, "[Software\\Brindlecove Technology\\Mirelings 2\\1.0]\nMain Directory=./nowhere/\n");
        qputenv("HELIXPLOT_SETTINGS", QByteArray::fromStdString(settings));
#endif
        start({});
        QCOMPARE(errors.texts, QStringList{QStringLiteral("File not found.")});
        QCOMPARE(showings, 0);
        QVERIFY(!window->programEnded());
        QCOMPARE(visiblePages(), (QList<bool>{true, true, true, true, true}));
        auto* table = child<QTreeWidget>(window.get(), "GeneralInfo");
        QCOMPARE(table->topLevelItemCount(), 19);
        for (int row = 0; row < 19; ++row) {
            QCOMPARE(table->topLevelItem(row)->text(0),
                     QString::fromLatin1(StatisticsCaptions[row].data(), StatisticsCaptions[row].size()));
            for (int column = 1; column < 4; ++column)
                QCOMPARE(table->topLevelItem(row)->text(column), QString());
        }
        for (const char* tree : {"MutatedGenes", "MissingGenes", "AdditionalGenes", "Breakdown"})
            QCOMPARE(child<QTreeView>(window.get(), tree)->model()->rowCount(), 0);

        // A double-click on the empty breakdown writes an empty file.
        helixplot::testing::writeFile(dir->file("moop.txt"), "old content");
        window->BreakdownDblClick();
        QFile dump(dumpPath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        QCOMPARE(dump.readAll(), QByteArray());

        // "Load New Genome" works from there.
        errors.texts.clear();
        window->show();
        clickLoadNewGenome(choose(QStringLiteral("breakdown")));
        QVERIFY(errors.texts.isEmpty());
        QVERIFY(window->isVisible());
        QVERIFY(!window->result().breakdown.empty());
    }

    void anErrorInsideARunRestoresTheWindows_data()
    {
        QTest::addColumn<bool>("atStartup");
        QTest::newRow("start-up run") << true;
        QTest::newRow("run from the button") << false;
    }

    void anErrorInsideARunRestoresTheWindows()
    {
        QFETCH(bool, atStartup);
        // The run's pause after the statistics fails.
        const auto failAtPause = [](int ms) {
            if (ms == 500)
                throw HelixplotError("Stopped in the middle");
        };
        if (atStartup) {
            onWait = failAtPause;
            start({choose(QStringLiteral("single"))});
        } else {
            start({choose(QStringLiteral("breakdown"))});
            window->show();
            onWait = failAtPause;
            clickLoadNewGenome(choose(QStringLiteral("single")));
            QVERIFY(window->isVisible());
        }
        QCOMPARE(errors.texts, QStringList{QStringLiteral("Stopped in the middle.")});
        QVERIFY(window->pleaseWait().isHidden());
        QVERIFY(!window->StartupRun());
        // The statistics were done before the error and are shown; the trees
        // are shown as they stand, not frozen.
        auto* table = child<QTreeWidget>(window.get(), "GeneralInfo");
        QVERIFY(!table->topLevelItem(0)->text(1).isEmpty());
        auto* breakdown = child<QTreeView>(window.get(), "Breakdown")->model();
        QCOMPARE(breakdown->rowCount(), static_cast<int>(window->result().breakdown.childCount(0)));

        // The next run works.
        onWait = nullptr;
        errors.texts.clear();
        window->show();
        clickLoadNewGenome(choose(QStringLiteral("single")));
        QVERIFY(errors.texts.isEmpty());
        verifyPages(QStringLiteral("single"));
    }

    void aRunNeverStartsOnAnEmptySlot()
    {
        // Accepted behind the disabled button's back: the comparator's file
        // names nothing. The run refuses before the progress dialog shows.
        start({choose(QStringLiteral("breakdown"))});
        window->show();
        waits.waits.clear();
        clickLoadNewGenome([this](TLoadGenome& dialog) {
            ++showings;
            dialog.show();
            child<QRadioButton>(&dialog, "Single")->click();
            child<QLineEdit>(&dialog, "MotherFile")->setText(SamplesDir + QStringLiteral("nobody.gen"));
            child<QLineEdit>(&dialog, "GenomeFileName")->setText(SamplesDir + QStringLiteral("tibb.gen"));
            dialog.accept();
            return dialog.result();
        });
        QCOMPARE(errors.texts.size(), 1);
        QVERIFY(window->isVisible());
        QVERIFY(window->pleaseWait().isHidden());
        QVERIFY(waits.waits.empty());
        verifyPages(QStringLiteral("breakdown"));
    }

    void doubleClickOnTheBreakdownWritesTheDump()
    {
        start({choose(QStringLiteral("single"))});
        window->show();
        pages()->setCurrentIndex(4);
        auto* view = child<QTreeView>(window.get(), "Breakdown");
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, QPoint(40, 5));
        QVERIFY(errors.texts.isEmpty());
        QFile dump(dumpPath());
        QVERIFY(dump.open(QIODevice::ReadOnly));
        QString expected = section(printed[QStringLiteral("single")], QStringLiteral("Genome Breakdown"));
        expected.replace(u'\n', QStringLiteral("\r\n"));
        QCOMPARE(QString::fromLatin1(dump.readAll()), expected);
        QVERIFY(!view->selectionModel()->hasSelection());
        for (int row = 0; row < view->model()->rowCount(); ++row)
            QVERIFY(!view->isExpanded(view->model()->index(row, 0)));
    }

    void aDumpThatCannotBeWrittenGivesTheFileError()
    {
        std::filesystem::create_directories(dir->file("moop.txt.folder"));
        dumpTarget = QString::fromStdString(dir->file("moop.txt.folder"));
        start({choose(QStringLiteral("breakdown"))});
        window->show();
        QTest::mouseDClick(child<QTreeView>(window.get(), "Breakdown")->viewport(), Qt::LeftButton, {}, QPoint(5, 5));
        QCOMPARE(errors.texts, QStringList{QStringLiteral("File access denied.")});
        QVERIFY(!QApplication::overrideCursor());
    }

    void errorBoxText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("text");
        QTest::newRow("letter") << "Bad Gene File"
                                << "Bad Gene File.";
        QTest::newRow("exclamation mark") << "Bad gene Error!"
                                          << "Bad gene Error!";
        QTest::newRow("full stop") << "Done."
                                   << "Done.";
        QTest::newRow("digit") << "I/O error 13"
                               << "I/O error 13.";
        QTest::newRow("closing parenthesis") << "value (x)"
                                             << "value (x)";
        QTest::newRow("hyphen") << "cut-"
                                << "cut-";
        QTest::newRow("comma") << "and,"
                               << "and,";
        QTest::newRow("slash") << "path/"
                               << "path/.";
        QTest::newRow("quote") << "Invalid data type for 'Main Directory'"
                               << "Invalid data type for 'Main Directory'";
        QTest::newRow("accented letter") << "Caf\u00E9"
                                         << "Caf\u00E9.";
        QTest::newRow("empty") << ""
                               << "";
    }

    void errorBoxText()
    {
        QFETCH(QString, message);
        QFETCH(QString, text);
        QCOMPARE(helixplot::errorBoxText(message), text);
    }

    void outOfMemoryIsSaidInWords()
    {
        QStringList texts;
        const helixplot::ErrorReporter record = [&](const QString& text) { texts << text; };
        helixplot::reportError(record, std::bad_alloc());
        helixplot::reportError(record, helixplot::FileError("/g/\x1b.gen", "Out of memory"));
        QCOMPARE(texts, (QStringList{"Out of memory.", "/g/\\x1B.gen: Out of memory."}));
    }

    void controlsHaveTheirNamesAndCaptions()
    {
        start({cancel()});
        QCOMPARE(window->windowTitle(), QStringLiteral("Mirelings2 Helixplot"));
        QVERIFY(!(window->windowFlags() & Qt::WindowCloseButtonHint));
        for (const char* name :
             {"PageControl1", "TabSheet1", "GeneralInfo", "MutatedTab", "MutatedGenes", "Missings", "MissingGenes",
              "Additional", "AdditionalGenes", "TabSheet2", "Breakdown", "Button1", "Button2"})
            QVERIFY2(window->findChild<QWidget*>(QString::fromLatin1(name)), name);
        const QStringList captions{"General Genome Information", "Mutated genes", "Missing Genes", "Additional Genes",
                                   "Genome Breakdown"};
        for (int i = 0; i < captions.size(); ++i)
            QCOMPARE(pages()->tabText(i), captions[i]);
        QCOMPARE(pages()->currentIndex(), 0);

        auto* load = child<QPushButton>(window.get(), "Button2");
        QCOMPARE(load->text(), QStringLiteral("Load New Genome"));
        QVERIFY(load->isDefault());

        auto* table = child<QTreeWidget>(window.get(), "GeneralInfo");
        QCOMPARE(table->columnCount(), 4);
        const QStringList titles{"Type of Gene", "Mutated Genes (Out Of)", "Maternal Comparator",
                                 "Paternal Comparator"};
        const int widths[] = {114, 125, 110, 120};
        for (int column = 0; column < 4; ++column) {
            QCOMPARE(table->headerItem()->text(column), titles[column]);
            QVERIFY(table->columnWidth(column) >= widths[column]);
        }
        QCOMPARE(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(table->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!table->header()->sectionsClickable());
        QVERIFY(!table->isSortingEnabled());

        for (const char* name : {"MutatedGenes", "MissingGenes", "AdditionalGenes", "Breakdown"}) {
            auto* tree = child<QTreeView>(window.get(), name);
            QVERIFY(tree->uniformRowHeights());
            QCOMPARE(tree->indentation(), 19);
            QCOMPARE(tree->editTriggers(), QAbstractItemView::NoEditTriggers);
            QCOMPARE(tree->header()->sectionResizeMode(0), QHeaderView::Interactive);
        }
        QCOMPARE(child<QTreeView>(window.get(), "Breakdown")->font().pixelSize(), 13);
    }

    // From the statistics, Tab goes to the buttons left to right, then the
    // tabs, and round.
    void tabGoesAsTheEyeDoes()
    {
        start({choose(QStringLiteral("breakdown"))});
        window->show();
        QWidget* first = child<QWidget>(window.get(), "GeneralInfo");
        QStringList order;
        QWidget* widget = first;
        do {
            if (widget->isVisibleTo(window.get()) && widget->isEnabled() && !widget->focusProxy() &&
                (widget->focusPolicy() & Qt::TabFocus))
                order << widget->objectName();
            widget = widget->nextInFocusChain();
        } while (widget != first && order.size() < 20);
        QCOMPARE(order, (QStringList{"GeneralInfo", "OpenPopulation", "Button2", "Button1", "qt_tabwidget_tabbar"}));
    }

    void theDumpGoesToTheHomeFolder()
    {
#ifdef _WIN32
        QCOMPARE(defaultDumpFilePath(), QStringLiteral("c:\\moop.txt"));
#else
        QCOMPARE(defaultDumpFilePath(), QDir::homePath() + QStringLiteral("/moop.txt"));
#endif
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainWindowTest.moc"
