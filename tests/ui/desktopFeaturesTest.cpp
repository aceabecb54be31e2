// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeBuilder.h"
#include "helixplotVersion.h"
#include "ui/commandLine.h"
#include "ui/treePage.h"
#include "ui/unitGeneMainWindow.h"
#include "uiTestSupport.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTabWidget>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>
#include <QtTest>

#include <sys/stat.h>

#include <deque>
#include <memory>

using namespace helixplot;
using helixplot::testing::child;

namespace {

const QString SamplesDir = QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/");

QString sample(const char* name)
{
    return SamplesDir + QString::fromLatin1(name);
}

QString cli(const QStringList& arguments)
{
#ifdef HELIXPLOT_CLI
    QProcess process;
    process.start(QStringLiteral(HELIXPLOT_CLI), arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        qFatal("helixplot-cli failed");
    return QString::fromLatin1(process.readAllStandardOutput());
#else
    Q_UNUSED(arguments);
    return {};
#endif
}

// A dropped file as the edits show it: with the system's separators.
QString shown(const QString& path)
{
    return QDir::toNativeSeparators(path);
}

QString readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.readAll()) : QStringLiteral("<no file>");
}

// Sends a drag of files over widget and drops it there, then lets the window
// act on it; returns whether the drag was accepted.
bool dropFiles(QWidget* widget, const QStringList& files)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& file : files)
        urls << QUrl::fromLocalFile(file);
    data.setUrls(urls);
    const QPoint at = widget->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &drop);
    // What the drop asks is done once it has returned.
    QCoreApplication::processEvents();
    return true;
}

} // namespace

class DesktopFeaturesTest : public QObject {
    Q_OBJECT

    std::unique_ptr<helixplot::testing::TempDir> dir;
    helixplot::testing::ErrorLog errors;
    std::deque<std::function<int(TLoadGenome&)>> script;
    std::unique_ptr<TGeneMainWindow> window;
    QString saveAs;       // what the save dialog answers
    QStringList asked;    // the files the export asked to replace
    bool replace = false; // the answer
    QString openAs;       // what the genome file dialog answers
    QString folderStart;  // where the folder dialog started
    QString openedIn;     // the folder the genome file dialog opened in
    QString breakdownText;

    QString file(const char* name) const { return QString::fromStdString(dir->file(name)); }

    void start(std::initializer_list<std::function<int(TLoadGenome&)>> steps, const QString& mode = {},
               const QStringList& genomes = {})
    {
        script.assign(steps);
        MainWindowHooks hooks;
        hooks.reportError = errors.reporter();
        hooks.showSelectionDialog = [this](TLoadGenome& dialog) {
            if (script.empty())
                return int(QDialog::Rejected);
            auto step = std::move(script.front());
            script.pop_front();
            dialog.show();
            return step(dialog);
        };
        hooks.wait = [](int) {};
        hooks.dumpFilePath = file("moop.txt");
        hooks.chooseFile = [this](QFileDialog& dialog) {
            openedIn = dialog.directory().absolutePath();
            return openAs;
        };
        hooks.chooseSaveFile = [this](QWidget*, const QString&, const QString&, QString* filter) {
            if (saveAs.endsWith(u'/')) // no suffix given: the CSV filter was chosen
                *filter = QStringLiteral("CSV files (*.csv)");
            return saveAs.endsWith(u'/') ? saveAs.chopped(1) : saveAs;
        };
        hooks.confirmReplace = [this](QWidget*, const QString& path) {
            asked << path;
            return replace;
        };
        hooks.chooseFolder = [this](QWidget*, const QString& start) {
            folderStart = start;
            return QString::fromStdString(dir->path());
        };
        window = std::make_unique<TGeneMainWindow>(hooks, mode, genomes);
    }

    static std::function<int(TLoadGenome&)> accept(const QString& genome = sample("tibb.gen"))
    {
        return [genome](TLoadGenome& dialog) {
            child<QLineEdit>(&dialog, "GenomeFileName")->setText(genome);
            child<QPushButton>(&dialog, "Button1")->click();
            return dialog.result();
        };
    }

    // Runs check on the dialog as it shows, then accepts it as it is.
    static std::function<int(TLoadGenome&)> inspect(std::function<void(TLoadGenome&)> check)
    {
        return [check](TLoadGenome& dialog) {
            check(dialog);
            child<QPushButton>(&dialog, "Button1")->click();
            if (dialog.isVisible())
                dialog.reject();
            return dialog.result();
        };
    }

    TreePage* breakdownPage() const { return window->treePage(ResultPage::Breakdown); }

private Q_SLOTS:
    void initTestCase()
    {
        helixplot::testing::pinCLocale();
#ifndef HELIXPLOT_CLI
        QSKIP("helixplot-cli is not built");
#endif
        qputenv("HELIXPLOT_SETTINGS", sample("settings.ini").toLocal8Bit());
        breakdownText = cli({QStringLiteral("breakdown"), QStringLiteral("--chemicals"), sample("allchemicals.str"),
                             sample("tibb.gen")});
    }

    void init()
    {
        dir = std::make_unique<helixplot::testing::TempDir>();
        QSettings(QStringLiteral("Helixplot"), QStringLiteral("Helixplot")).clear();
        errors.texts.clear();
        script.clear();
        saveAs.clear();
        asked.clear();
    }

    void cleanup()
    {
        window.reset();
    }

    void commandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("genomes");
        QTest::addColumn<QString>("outputStart");
        const QString usage = QStringLiteral("Usage: helixplot [options] [GENOME [COMPARATOR [COMPARATOR]]]\n");
        QTest::newRow("nothing") << QStringList{} << int(CommandLine::Run) << QString() << QStringList{} << QString();
        QTest::newRow("names") << QStringList{QStringLiteral("a.gen"), QStringLiteral("b.gen")} << int(CommandLine::Run)
                               << QString() << QStringList{QStringLiteral("a.gen"), QStringLiteral("b.gen")}
                               << QString();
        QTest::newRow("mode") << QStringList{QStringLiteral("--mode"), QStringLiteral("parental"), QStringLiteral("a")}
                              << int(CommandLine::Run) << QStringLiteral("parental") << QStringList{QStringLiteral("a")}
                              << QString();
        QTest::newRow("mode=") << QStringList{QStringLiteral("--mode=dual")} << int(CommandLine::Run)
                               << QStringLiteral("dual") << QStringList{} << QString();
        QTest::newRow("help") << QStringList{QStringLiteral("--help")} << int(CommandLine::Help) << QString()
                              << QStringList{} << usage;
        QTest::newRow("-h") << QStringList{QStringLiteral("-h")} << int(CommandLine::Help) << QString() << QStringList{}
                            << usage;
        QTest::newRow("version") << QStringList{QStringLiteral("--version")} << int(CommandLine::Version) << QString()
                                 << QStringList{}
                                 << QStringLiteral("helixplot %1\n").arg(QLatin1String(helixplot::HelixplotVersion));
        QTest::newRow("bad option") << QStringList{QStringLiteral("--bogus")} << int(CommandLine::Error) << QString()
                                    << QStringList{} << QStringLiteral("Unknown option 'bogus'.\n") + usage;
        QTest::newRow("bad mode") << QStringList{QStringLiteral("--mode"), QStringLiteral("triple")}
                                  << int(CommandLine::Error) << QString() << QStringList{}
                                  << QStringLiteral("Unknown mode 'triple': use breakdown, single, parental or "
                                                    "dual.\n") +
                                         usage;
        QTest::newRow("mode without value")
            << QStringList{QStringLiteral("--mode")} << int(CommandLine::Error) << QString() << QStringList{}
            << QStringLiteral("Missing value after '--mode'.\n") + usage;
        QTest::newRow("four names") << QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"),
                                                   QStringLiteral("d")}
                                    << int(CommandLine::Error) << QString() << QStringList{}
                                    << QStringLiteral("At most three genome files: the genome and two "
                                                      "comparators.\n") +
                                           usage;
    }

    void commandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, action);
        QFETCH(QString, mode);
        QFETCH(QStringList, genomes);
        QFETCH(QString, outputStart);
        const CommandLine line = parseCommandLine(QStringList{QStringLiteral("helixplot")} + arguments);
        QCOMPARE(int(line.action), action);
        QCOMPARE(line.exitCode(), action == CommandLine::Error ? 2 : 0);
        if (action == CommandLine::Run) {
            QCOMPARE(line.mode, mode);
            QCOMPARE(line.genomes, genomes);
        } else {
            QVERIFY2(line.output.startsWith(outputStart), qPrintable(line.output));
        }
    }

    void presetFillsTheDialogAtItsFirstShowing_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("genomes");
        QTest::addColumn<QString>("radio");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("parental derives the parents")
            << QStringLiteral("parental") << QStringList{sample("tibb.gen")} << QStringLiteral("Parents")
            << QStringList{sample("tibb.gen"), sample("nela.gen"), sample("orvo.gen")};
        QTest::newRow("two names need one comparator")
            << QString() << QStringList{sample("tibb.gen"), sample("quin.gen")} << QStringLiteral("Single")
            << QStringList{sample("tibb.gen"), sample("quin.gen")};
        QTest::newRow("three names need two")
            << QString() << QStringList{sample("tibb.gen"), sample("quin.gen"), sample("yeva.gen")}
            << QStringLiteral("Dual") << QStringList{sample("tibb.gen"), sample("quin.gen"), sample("yeva.gen")};
        QTest::newRow("mode only") << QStringLiteral("single") << QStringList{} << QStringLiteral("Single")
                                   << QStringList{QString()};
    }

    void presetFillsTheDialogAtItsFirstShowing()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, genomes);
        QFETCH(QString, radio);
        QFETCH(QStringList, names);
        bool acceptEnabled = false;
        bool inspected = false;
        start({inspect([&](TLoadGenome& dialog) {
                  inspected = true;
                  QVERIFY(child<QRadioButton>(&dialog, radio.toLatin1().constData())->isChecked());
                  const char* edits[] = {"GenomeFileName", "MotherFile", "FatherFile"};
                  for (int i = 0; i < names.size(); ++i)
                      QCOMPARE(child<QLineEdit>(&dialog, edits[i])->text(), names[i]);
                  QCOMPARE(dialog.genomeSlots().get(GenomeSlot::Examined) != nullptr, !genomes.isEmpty());
                  acceptEnabled = child<QPushButton>(&dialog, "Button1")->isEnabled();
                  // The focus waits in the examined genome's name.
                  QCOMPARE(dialog.focusWidget(), child<QLineEdit>(&dialog, "GenomeFileName"));
              })},
              mode, genomes);
        QVERIFY(inspected);
        QCOMPARE(acceptEnabled, !genomes.isEmpty());
        QCOMPARE(window->programEnded(), genomes.isEmpty());
    }

    void dropsFillThePageOrTheSlotsInOrder()
    {
        start({[&](TLoadGenome& dialog) {
            auto* examined = child<QLineEdit>(&dialog, "GenomeFileName");
            auto* mother = child<QLineEdit>(&dialog, "MotherFile");
            auto* father = child<QLineEdit>(&dialog, "FatherFile");
            auto* pages = child<QTabWidget>(&dialog, "GenePages");
            // Anything but .gen files is refused as a whole.
            const QString text = file("notes.txt");
            helixplot::testing::writeFile(text.toStdString(), "x");
            if (dropFiles(&dialog, {sample("tibb.gen"), text}))
                qWarning("a drag with a text file was accepted");
            if (!examined->text().isEmpty())
                qWarning("a refused drop filled the examined name");
            // One file fills the page it is dropped on.
            child<QRadioButton>(&dialog, "Single")->click();
            pages->setCurrentIndex(1);
            dropFiles(&dialog, {sample("quin.gen")});
            if (mother->text() != shown(sample("quin.gen")) || !examined->text().isEmpty())
                qWarning("one file did not go to the mother page");
            // Several: the examined genome, then the comparators, in dual mode.
            dropFiles(&dialog, {sample("tibb.gen"), sample("nela.gen"), sample("yeva.gen")});
            if (!child<QRadioButton>(&dialog, "Dual")->isChecked() || examined->text() != shown(sample("tibb.gen")) ||
                mother->text() != shown(sample("nela.gen")) || father->text() != shown(sample("yeva.gen")))
                qWarning("three files did not fill the three slots");
            child<QPushButton>(&dialog, "Button1")->click();
            return dialog.result();
        }});
        QVERIFY(!window->programEnded());
        QCOMPARE(window->MappingMode(), MappingMode::Dual);
        QVERIFY(errors.texts.isEmpty());
    }

    void aDropOnTheMainWindowOpensLoadNewGenomeWithTheFiles()
    {
        start({accept()});
        QVERIFY(!dropFiles(window.get(), {file("notes.txt")}));
        QString seen;
        script.push_back([&](TLoadGenome& dialog) {
            seen = child<QLineEdit>(&dialog, "GenomeFileName")->text() + u'|' +
                   child<QLineEdit>(&dialog, "MotherFile")->text();
            child<QPushButton>(&dialog, "Button1")->click();
            return dialog.result();
        });
        QVERIFY(dropFiles(window.get(), {sample("nela.gen"), sample("orvo.gen")}));
        QTRY_VERIFY(script.empty());
        QCOMPARE(seen, shown(sample("nela.gen")) + u'|' + shown(sample("orvo.gen")));
        QCOMPARE(window->MappingMode(), MappingMode::Single);
    }

    // The dialog is modal: a folder dropped on it ends its loop, and the
    // population opens instead, at start-up without ending the program.
    void aFolderDroppedOnTheSelectionDialogOpensItsPopulation()
    {
        const QString folder = QString::fromStdString(dir->path());
        const auto dropFolder = [folder](TLoadGenome& dialog) {
            QTimer::singleShot(0, &dialog, [&dialog, folder] { dropFiles(&dialog, {folder}); });
            return dialog.exec();
        };
        start({dropFolder});
        QVERIFY(!window->programEnded());
        QVERIFY(!window->isVisible());
        QCOMPARE(window->startupPopulation(), shown(folder));

        start({accept()});
        QSignalSpy requested(window.get(), &TGeneMainWindow::populationRequested);
        script.push_back(dropFolder);
        window->Button2Click();
        QCOMPARE(requested.size(), 1);
        QCOMPARE(requested.front().front().toString(), shown(folder));
        QVERIFY(window->isVisible());
        QCOMPARE(window->MappingMode(), MappingMode::Breakdown);
        QVERIFY(errors.texts.isEmpty());
    }

    void findBarWalksEveryMatchCollapsedOnesIncluded()
    {
        start({accept()});
        TreePage* page = breakdownPage();
        const QStringList lines = breakdownText.split(u'\n', Qt::SkipEmptyParts);
        QStringList matching;
        for (const QString& line : lines)
            if (line.contains(QStringLiteral("receptors"), Qt::CaseInsensitive))
                matching << line.trimmed();
        QVERIFY(matching.size() >= 3);
        const QString total = QString::number(matching.size());

        page->openFind();
        QVERIFY(page->findOpen());
        QCOMPARE(page->findCount(), QString());
        page->findText()->setText(QStringLiteral("rEcEpToRs"));
        const struct {
            void (TreePage::*step)();
            int expected; // 1-based
        } steps[] = {
            {nullptr, 1},
            {&TreePage::findNext, 2},
            {&TreePage::findNext, 3},
            {&TreePage::findPrevious, 2},
            {&TreePage::findPrevious, 1},
            {&TreePage::findPrevious, int(matching.size())},
            {&TreePage::findNext, 1},
        };
        for (const auto& step : steps) {
            if (step.step)
                (page->*step.step)();
            QCOMPARE(page->findCount(), QStringLiteral("%1 of %2").arg(step.expected).arg(total));
            const QModelIndex current = page->view()->currentIndex();
            QCOMPARE(current.data().toString(), matching[step.expected - 1]);
            for (QModelIndex up = current.parent(); up.isValid(); up = up.parent())
                QVERIFY(page->view()->isExpanded(up));
        }
        page->findText()->setText(QStringLiteral("no such text anywhere"));
        QCOMPARE(page->findCount(), QStringLiteral("0 of 0"));
        page->closeFind();
        QVERIFY(!page->findOpen());
    }

    void copyGivesTheSubtreeAsTheDumpIndentsIt()
    {
        start({accept()});
        TreePage* page = breakdownPage();
        QCOMPARE(page->selectionText(), QString());
        // The second top-level node and its whole subtree, from the tool's text.
        const QStringList lines = breakdownText.split(u'\n');
        qsizetype from = 1;
        while (lines[from].startsWith(u' '))
            ++from;
        qsizetype to = from + 1;
        while (to < lines.size() && lines[to].startsWith(u' '))
            ++to;
        const QString expected = lines.mid(from, to - from).join(u'\n') + u'\n';
        page->view()->setCurrentIndex(page->model()->index(1, 0));
        QCOMPARE(page->selectionText(), expected);
        page->copySelection();
        QCOMPARE(QGuiApplication::clipboard()->text(), expected);
        QCOMPARE(window->statisticsSelectionText().count(u'\n'), 20);
    }

    void contextMenusOfferTheirActions()
    {
        start({accept()});
        QStringList texts;
        for (QAction* action : breakdownPage()->menuActions())
            texts << action->text();
        QCOMPARE(texts, (QStringList{QStringLiteral("Copy"), QStringLiteral("Expand all below"),
                                     QStringLiteral("Collapse all"), QStringLiteral("Export page..."),
                                     QStringLiteral("Edit Genome...")}));
        // The menu's entry asks for the editor of the examined genome.
        QSignalSpy edit(window.get(), &TGeneMainWindow::editRequested);
        breakdownPage()->menuActions().last()->trigger();
        QCOMPARE(edit.count(), 1);
        QVERIFY(edit.first().first().toString().endsWith(QStringLiteral(".gen")));
        TreePage* page = breakdownPage();
        const QModelIndex top = page->model()->index(2, 0);
        page->view()->setCurrentIndex(top);
        page->expandAllBelow();
        const QModelIndex deep = page->model()->index(0, 0, top);
        QVERIFY(page->view()->isExpanded(top));
        QCOMPARE(page->view()->isExpanded(deep), page->model()->hasChildren(deep));
        page->collapseAll();
        QVERIFY(!page->view()->isExpanded(top));
    }

    void exportWritesThePageAsTheToolPrintsIt()
    {
        start({accept()});
        const QString map =
            cli({QStringLiteral("map"), QStringLiteral("--chemicals"), sample("allchemicals.str"), sample("tibb.gen")});
        const qsizetype breakdownAt = map.indexOf(QStringLiteral("== Genome Breakdown\n"));
        const struct {
            ResultPage page;
            const char* name;
            QString expected;
        } cases[] = {
            {ResultPage::Breakdown, "breakdown.txt", map.mid(breakdownAt)},
            {ResultPage::Statistics, "statistics.txt", map.left(breakdownAt)},
        };
        for (const auto& c : cases) {
            saveAs = file(c.name);
            window->exportPage(c.page);
            QCOMPARE(readAll(saveAs), c.expected);
        }
        // No suffix with the CSV filter: CSV, header and 19 rows.
        saveAs = file("table") + u'/';
        window->exportPage(ResultPage::Statistics);
        const QString csv = readAll(file("table.csv"));
        QCOMPARE(csv.count(QStringLiteral("\r\n")), 20);
        QVERIFY(csv.startsWith(QStringLiteral("Type of Gene,Mutated Genes (Out Of),Maternal Comparator,")));
        QVERIFY(errors.texts.isEmpty());
        // Cancelled: nothing happens.
        saveAs.clear();
        window->exportPage(ResultPage::Breakdown);
        QVERIFY(errors.texts.isEmpty());
    }

    void exportNeverWritesAGenomeAndReportsFailures()
    {
        start({accept()});
        const QString genomeBytes = readAll(sample("tibb.gen"));
        QVERIFY(QFile::link(sample("tibb.gen"), file("genome-link.txt")));
        QVERIFY(QDir().mkdir(file("folder.txt")));
#ifndef _WIN32 // no FIFOs on Windows
        QCOMPARE(mkfifo(file("fifo.txt").toLocal8Bit().constData(), 0600), 0);
#endif
        const struct {
            QString target;
            QString message;
        } cases[] = {
            {sample("tibb.gen"), sample("tibb.gen") + QStringLiteral(": Helixplot never writes a genome file.")},
            {file("new.GEN"), file("new.GEN") + QStringLiteral(": Helixplot never writes a genome file.")},
#ifndef _WIN32 // there QFile::link makes a shortcut file, no link the system follows
            {file("genome-link.txt"),
             file("genome-link.txt") + QStringLiteral(": Helixplot never writes a genome file.")},
#endif
            {file("folder.txt"), file("folder.txt") + QStringLiteral(": not a regular file.")},
#ifndef _WIN32
            {file("fifo.txt"), file("fifo.txt") + QStringLiteral(": not a regular file.")},
#endif
            {file("missing/out.txt"), file("missing/out.txt") + QStringLiteral(": No such file or directory.")},
            {sample("allchemicals.str"),
             sample("allchemicals.str") + QStringLiteral(": Helixplot never writes a file it reads.")},
#ifndef _WIN32 // there the settings are the registry's
            {sample("settings.ini"),
             sample("settings.ini") + QStringLiteral(": Helixplot never writes a file it reads.")},
#endif
        };
        for (const auto& c : cases) {
            errors.texts.clear();
            saveAs = c.target;
            guarded(errors.reporter(), [&] { window->exportPage(ResultPage::Breakdown); });
            QVERIFY2(errors.texts.size() == 1, qPrintable(c.target + u'|' + errors.texts.join(u'|')));
            QVERIFY2(errors.texts[0].startsWith(c.message), qPrintable(errors.texts[0]));
        }
        // Refused before the question whether to replace it.
        QCOMPARE(asked, QStringList{});
        QCOMPARE(readAll(sample("tibb.gen")), genomeBytes);
        QVERIFY(!QFile::exists(file("new.GEN")));
        QVERIFY(QFileInfo(file("folder.txt")).isDir());
    }

    void anExistingFileIsReplacedOnlyWhenTheUserSaysSo()
    {
        start({accept()});
        saveAs = file("old.txt");
        helixplot::testing::writeFile(saveAs.toStdString(), "old");
        window->exportPage(ResultPage::Breakdown);
        QCOMPARE(asked, QStringList{saveAs});
        QCOMPARE(readAll(saveAs), QStringLiteral("old"));
        replace = true;
        window->exportPage(ResultPage::Breakdown);
        QVERIFY(readAll(saveAs).startsWith(QStringLiteral("== Genome Breakdown\n")));
        // Nothing is left beside it.
        QCOMPARE(QDir(QString::fromStdString(dir->path())).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"old.txt"});
        QVERIFY(errors.texts.isEmpty());
    }

    void windowsGrowFromTheirDesignSizeAndKeepStableColumns()
    {
        QList<int> widths[2];
        auto columnWidths = [this] {
            QList<int> w;
            auto* table = child<QTreeWidget>(window.get(), "GeneralInfo");
            for (int column = 0; column < 4; ++column)
                w << table->columnWidth(column);
            return w;
        };
        QGroupBox* caption = nullptr;
        QSize dialogMinimum;
        start({[&](TLoadGenome& dialog) {
            caption = child<QGroupBox>(&dialog, "GroupBox1");
            dialogMinimum = dialog.minimumSize();
            return accept()(dialog);
        }});
        QVERIFY(caption->x() > 0 && caption->y() > 0);
        QVERIFY(dialogMinimum.width() >= 331 && dialogMinimum.height() == 295);

        const QSize design = window->minimumSize();
        QVERIFY(design.width() >= 521 && design.height() == 425);
        QCOMPARE(window->size(), design);
        window->show();
        auto* table = child<QTreeWidget>(window.get(), "GeneralInfo");
        QTRY_VERIFY(table->width() > 400);
        const QSize tableAtDesign = table->size();
        window->resize(design + QSize(300, 200));
        QTRY_COMPARE(table->size(), tableAtDesign + QSize(300, 200));
        auto* close = child<QPushButton>(window.get(), "Button1");
        QCOMPARE(window->width() - close->geometry().right() - 1, 32);
        // A wider window shares its width among the columns; a run keeps them.
        // (Some styles take the scroll bar away only after the resize.)
        QTRY_VERIFY(!table->verticalScrollBar()->isVisible());
        widths[0] = columnWidths();
        QVERIFY(widths[0][0] + widths[0][1] + widths[0][2] + widths[0][3] >= table->viewport()->width() - 1);

        script.push_back([](TLoadGenome& dialog) {
            child<QRadioButton>(&dialog, "Dual")->click();
            child<QLineEdit>(&dialog, "MotherFile")->setText(sample("quin.gen"));
            child<QLineEdit>(&dialog, "FatherFile")->setText(sample("yeva.gen"));
            return accept()(dialog);
        });
        window->Button2Click();
        widths[1] = columnWidths();
        QCOMPARE(widths[1], widths[0]);
    }

    void aLargerDesktopFontScalesTheDesign_data()
    {
        QTest::addColumn<double>("desktopPoints");
        QTest::addColumn<double>("scale");
        QTest::newRow("usual") << 9.0 << 1.0;
        QTest::newRow("smaller") << 7.0 << 1.0;
        QTest::newRow("large") << 13.5 << 1.5;
        QTest::newRow("twice") << 18.0 << 2.0;
    }

    // A larger desktop font scales the design's font and pixels alike, and
    // every caption still fits its control.
    void aLargerDesktopFontScalesTheDesign()
    {
        QFETCH(double, desktopPoints);
        QFETCH(double, scale);
        const QFont desktop = QApplication::font();
        QFont larger = desktop;
        larger.setPointSizeF(desktopPoints);
        QApplication::setFont(larger);
        const auto restore = qScopeGuard([&] { QApplication::setFont(desktop); });

        QStringList clipped;
        const auto checkCaptions = [&](QWidget* top) {
            for (auto* button : top->findChildren<QAbstractButton*>()) {
                // A push button's own margins may shrink; its text may not.
                const int least = qobject_cast<QPushButton*>(button)
                                      ? button->fontMetrics().horizontalAdvance(button->text()) + 6
                                      : button->sizeHint().width();
                if (!button->text().isEmpty() && button->isVisibleTo(top) && button->width() < least)
                    clipped << button->text();
            }
            for (auto* label : top->findChildren<QLabel*>())
                if (!label->text().isEmpty() && label->isVisibleTo(top) && !label->wordWrap() &&
                    label->width() < label->sizeHint().width())
                    clipped << label->text();
        };
        QSize dialogSize;
        double dialogPoints = 0;
        start({[&](TLoadGenome& dialog) {
            dialogPoints = dialog.font().pointSizeF();
            dialogSize = dialog.size();
            checkCaptions(&dialog);
            return accept()(dialog);
        }});
        QCOMPARE(dialogPoints, 8 * scale);
        QCOMPARE(dialogSize.height(), qRound(295 * scale));
        QVERIFY(dialogSize.width() >= qRound(331 * scale));
        // The design's size is the least where the screen holds it with a
        // frame (the offscreen screen is 800x600; screenFitTest covers the
        // rest).
        if (qRound(425 * scale) + 64 <= window->screen()->availableGeometry().height()) {
            QCOMPARE(window->minimumSize().height(), qRound(425 * scale));
            QVERIFY(window->minimumSize().width() >= qRound(521 * scale));
        }
        window->show();
        auto* close = child<QPushButton>(window.get(), "Button1");
        QTRY_COMPARE(window->width() - close->geometry().right() - 1, qRound(32 * scale));
        checkCaptions(window.get());
        QCOMPARE(window->pleaseWait().size(), QSize(qRound(440 * scale), qRound(163 * scale)));
        checkCaptions(&window->pleaseWait());
        QCOMPARE(clipped.join(u'|'), QString());
    }

    // "Open Population..." starts in the game's genetics folder, then in the
    // folder opened last.
    void openPopulationStartsInTheGeneticsFolder()
    {
        start({accept()});
        QSignalSpy requested(window.get(), &TGeneMainWindow::populationRequested);
        child<QPushButton>(window.get(), "OpenPopulation")->click();
        QCOMPARE(QDir(folderStart).canonicalPath(), QDir(SamplesDir).canonicalPath());
        child<QPushButton>(window.get(), "OpenPopulation")->click();
        QCOMPARE(folderStart, QString::fromStdString(dir->path()));
        QCOMPARE(requested.size(), 2);
    }

    void lastModeFolderAndGeometryComeBackInTheNextSession()
    {
        QVERIFY(QDir().mkdir(file("genomes")));
        QVERIFY(QFile::copy(sample("tibb.gen"), file("genomes/tibb.gen")));
        openAs = file("genomes/tibb.gen");
        start({[](TLoadGenome& dialog) {
            child<QRadioButton>(&dialog, "Parents")->click();
            child<QToolButton>(&dialog, "LoadGenome")->click();
            return accept()(dialog);
        }});
        // The game's "Genetics Directory" (with its drive on Windows).
        QCOMPARE(QDir(openedIn).canonicalPath(), QDir(SamplesDir).canonicalPath());
        window->show();
        window->resize(window->minimumSize() + QSize(111, 77));
        const QSize size = window->size();
        window->Button1Click();
        window.reset();

        QStringList checked;
        const auto recordMode = [&](TLoadGenome& dialog) {
            for (const char* name : {"Breakdown", "Parents", "Single", "Dual"})
                if (child<QRadioButton>(&dialog, name)->isChecked())
                    checked << QString::fromLatin1(name);
            return accept()(dialog);
        };
        start({[&](TLoadGenome& dialog) {
            child<QToolButton>(&dialog, "LoadGenome")->click();
            return recordMode(dialog);
        }});
        QCOMPARE(QDir(openedIn).canonicalPath(), QDir(file("genomes")).canonicalPath());
        QCOMPARE(window->size(), size);
        script.push_back(recordMode);
        window->Button2Click();
        // The next session starts in the last mode; later showings in breakdown mode, as always.
        QCOMPARE(checked, (QStringList{QStringLiteral("Parents"), QStringLiteral("Breakdown")}));
    }
};

QTEST_MAIN(DesktopFeaturesTest)
#include "desktopFeaturesTest.moc"
