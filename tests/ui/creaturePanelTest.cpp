// SPDX-License-Identifier: GPL-3.0-or-later
// The population window's workbench: the table taking a change of the
// folder row by row, the creature panel, the filtered export and Reload.
#include "ui/population/creaturePanel.h"
#include "populationGenerator.h"
#include "ui/population/populationModel.h"
#include "ui/population/populationSession.h"
#include "ui/population/populationWindow.h"
#include "uiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

using namespace helixplot;

namespace {

// A linked census of the files named, each with a number of children
// (what a change of the folder recounts).
std::shared_ptr<const Census> censusOf(const QStringList& files)
{
    auto census = std::make_shared<Census>();
    for (const QString& file : files) {
        CensusRow row;
        const QStringList parts = file.split(u'=');
        row.file = parts[0].toStdString() + ".gen";
        row.genus = "Norn";
        row.children = parts.size() > 1 ? parts[1].toULongLong() : 0;
        census->rows.push_back(row);
    }
    return census;
}

QString ranges(const std::vector<CensusChange::Range>& list)
{
    QStringList text;
    for (const auto& range : list)
        text << QStringLiteral("%1-%2").arg(range.first).arg(range.last);
    return text.join(u' ');
}

} // namespace

class CreaturePanelTest : public QObject {
    Q_OBJECT

    // The sample genomes: tibb, the child of nela and orvo; quin and yeva
    // without kin. And a file that is no genome.
    QTemporaryDir dir_;
    QString folder_;
    std::vector<std::pair<QString, QStringList>> opened_;
    testing::ErrorLog errors_;

    std::unique_ptr<PopulationWindow> openWindow()
    {
        auto window = std::make_unique<PopulationWindow>(
            folder_, false,
            [this](const QString& mode, const QStringList& files) {
                opened_.emplace_back(mode, files);
                return true;
            },
            PopulationHooks{errors_.reporter(), {}, {}});
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        QSignalSpy lineage(window.get(), &PopulationWindow::lineageUpdated);
        if (!lineage.wait(30000))
            qWarning("no lineage");
        window->show();
        return window;
    }

    static void makeCurrent(PopulationWindow& window, const char* file)
    {
        const int row = window.model().rowOfFile(file);
        window.table()->setCurrentIndex(window.filter().mapFromSource(window.model().index(row, 0)));
    }

    // The panel's text once the changes are read.
    static QString panelText(PopulationWindow& window)
    {
        CreaturePanel* panel = window.creaturePanel();
        for (int waited = 0; panel->text().contains(QStringLiteral("Reading the changes")) && waited < 20000;
             waited += 20)
            QTest::qWait(20);
        return panel->text();
    }

    // Clicks the link with this text in the panel.
    static void clickLink(CreaturePanel& panel, const QString& text)
    {
        QTextBrowser* browser = panel.browser();
        for (QTextBlock block = browser->document()->begin(); block.isValid(); block = block.next())
            for (auto it = block.begin(); !it.atEnd(); ++it)
                if (it.fragment().charFormat().isAnchor() && it.fragment().text() == text) {
                    QTextCursor cursor(browser->document());
                    cursor.setPosition(it.fragment().position() + 1);
                    const QRect at = browser->cursorRect(cursor);
                    QTest::mouseClick(browser->viewport(), Qt::LeftButton, {}, at.center() - QPoint(2, 0));
                    return;
                }
        QFAIL(qPrintable(QStringLiteral("no link ") + text));
    }

private Q_SLOTS:
    // A closed window's settings are written beside it: done before exit.
    void cleanupTestCase() { waitForBackgroundWork(); }

    void initTestCase()
    {
        testing::pinCLocale();
        folder_ = dir_.path() + QStringLiteral("/samples");
        QDir().mkpath(folder_);
        for (const char* name : {"nela", "orvo", "quin", "tibb", "yeva"})
            QVERIFY(QFile::copy(QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/%1.gen").arg(QLatin1String(name)),
                                folder_ + QStringLiteral("/%1.gen").arg(QLatin1String(name))));
        testing::writeFile((folder_ + QStringLiteral("/bad.gen")).toStdString(), std::string(40, 'x'));
    }

    void showsAllAboutACreature_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("head");
        QTest::newRow("a child of two parents in the folder")
            << "tibb.gen"
            << "File: tibb.gen\nGenus: Tarrin\nGeneration: 1\nMother: nela\nFather: orvo\nChildren: none\n"
               "Mutated genes: 19\n";
        QTest::newRow("its mother, whose parents are not")
            << "nela.gen"
            << "File: nela.gen\nGenus: Tarrin\nGeneration: 0\nMother: asha (not in the folder)\n"
               "Father: bren (not in the folder)\nChildren: tibb\nMutated genes: not counted (parents not both in "
               "the folder)";
    }

    // Exact texts; the changes as the tool's diff prints them, the mutation
    // events as its lineage counts them.
    void showsAllAboutACreature()
    {
        QFETCH(QString, file);
        QFETCH(QString, head);
        const auto window = openWindow();
        makeCurrent(*window, file.toUtf8().constData());
        const QString text = panelText(*window);
        QVERIFY2(text.startsWith(head), qPrintable(text.left(400)));
        const bool child = file == QStringLiteral("tibb.gen");
        QCOMPARE(text.contains(QStringLiteral("Origin of the mutation events:")), child);
        QCOMPARE(window->creaturePanel()->breakdownButton()->isEnabled(), true);
        if (!child)
            return;
#ifdef HELIXPLOT_CLI
        QProcess diff;
        diff.setWorkingDirectory(folder_);
        diff.start(QStringLiteral(HELIXPLOT_CLI),
                   {QStringLiteral("diff"), QStringLiteral("--mode"), QStringLiteral("parental"), file});
        QVERIFY(diff.waitForFinished(30000));
        const QString changes = QString::fromUtf8(diff.readAllStandardOutput());
        QVERIFY(changes.startsWith(QStringLiteral("@@ ")));
        QVERIFY2(text.contains(head + changes), qPrintable(text.left(400)));
#endif
        // One line per event, each carried by the child alone.
        const QString events = text.section(QStringLiteral("Origin of the mutation events:\n"), 1);
        const QStringList lines = events.trimmed().split(u'\n');
        QCOMPARE(lines.size(), int(window->events().size()));
        for (const QString& line : lines)
            QVERIFY2(line.endsWith(QStringLiteral(": 1 carrier")), qPrintable(line));
        // Copied as shown.
        window->creaturePanel()->browser()->setFocus();
        QTest::keyClick(window->creaturePanel()->browser(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(window->creaturePanel()->browser(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
    }

    // At the window's starting size the table shows every column.
    void showsEveryColumnAtTheStartingSize()
    {
        const auto window = openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->size(), QSize(1100, 700));
        QTableView* table = window->table();
        const int last = PopulationModel::ColumnCount - 1;
        QVERIFY2(table->columnViewportPosition(last) + table->columnWidth(last) <= table->viewport()->width(),
                 qPrintable(QStringLiteral("%1 + %2 > %3")
                                .arg(table->columnViewportPosition(last))
                                .arg(table->columnWidth(last))
                                .arg(table->viewport()->width())));
    }

    void countsAndExportsTheFilteredRows_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("status");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("no filter") << ""
                                   << "6 genomes" << QStringList{"bad.gen",  "nela.gen", "orvo.gen",
                                                                 "quin.gen", "tibb.gen", "yeva.gen"};
        QTest::newRow("a parent's name") << "NELA"
                                         << "2 of 6 genomes" << QStringList{"nela.gen", "tibb.gen"};
        QTest::newRow("nothing") << "zzz"
                                 << "0 of 6 genomes" << QStringList{};
    }

    // The count says what the filter lets through; the filtered table is
    // the tool's census with only those rows, in its order.
    void countsAndExportsTheFilteredRows()
    {
        QFETCH(QString, text);
        QFETCH(QString, status);
        QFETCH(QStringList, files);
        const auto window = openWindow();
        window->filterEdit()->setText(text);
        QCOMPARE(testing::child<QLabel>(window.get(), "PopulationStatus")->text(), status);
#ifdef HELIXPLOT_CLI
        QProcess cli;
        cli.start(QStringLiteral(HELIXPLOT_CLI),
                  {QStringLiteral("census"), QStringLiteral("--format"), QStringLiteral("csv"), folder_});
        QVERIFY(cli.waitForFinished(30000));
        const QList<QByteArray> lines = cli.readAllStandardOutput().split('\n');
        QByteArray expected = lines[0] + '\n';
        for (const QByteArray& line : lines)
            if (files.contains(QString::fromUtf8(line.left(line.indexOf(',')))))
                expected += line + '\n';
        const QString path = dir_.path() + QStringLiteral("/filtered.csv");
        window->exportTo(path, true);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), expected);
#endif
    }

    // A census cancelled keeps what it read; F5 takes it whole again.
    void reloadRestartsACancelledCensus()
    {
        // Enough genomes for the census to be under way when cancelled.
        const QString folder = dir_.path() + QStringLiteral("/bred");
        samples::PopulationOptions options;
        options.rounds = 10;
        options.perRound = 30;
        const auto members = samples::writePopulation(QFile::encodeName(folder).toStdString(), options);
        auto window = std::make_unique<PopulationWindow>(folder, false, MappingOpener{},
                                                         PopulationHooks{errors_.reporter(), {}, {}});
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        QSignalSpy finished(window.get(), &PopulationWindow::censusFinished);
        window->cancelCensus();
        QVERIFY(finished.wait(30000));
        QVERIFY(!window->model().linked());
        QVERIFY(window->model().rowCount() < int(members.size()));
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QTest::keyClick(window->table(), Qt::Key_F5);
        QVERIFY(finished.wait(30000));
        QVERIFY(window->model().linked());
        QCOMPARE(window->model().rowCount(), int(members.size()));
        QCOMPARE(testing::child<QLabel>(window.get(), "PopulationStatus")->text(),
                 QStringLiteral("%1 genomes").arg(members.size()));
    }

    // The family's links make a creature current; the buttons open its
    // mapping or its breakdown; a file that did not load is told in full.
    void linksAndButtonsActOnTheCurrentCreature()
    {
        const auto window = openWindow();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        CreaturePanel& panel = *window->creaturePanel();
        makeCurrent(*window, "tibb.gen");
        panelText(*window);
        clickLink(panel, QStringLiteral("orvo"));
        QCOMPARE(panel.creature(), std::optional<std::size_t>(window->model().rowOfFile("orvo.gen")));
        QCOMPARE(window->model().row(window->filter().mapToSource(window->table()->currentIndex()).row()).file,
                 std::string("orvo.gen"));
        clickLink(panel, QStringLiteral("tibb"));
        QCOMPARE(panel.creature(), std::optional<std::size_t>(window->model().rowOfFile("tibb.gen")));

        const QString tibb = QDir::toNativeSeparators(folder_ + QStringLiteral("/tibb.gen"));
        opened_.clear();
        QTest::mouseClick(panel.mappingButton(), Qt::LeftButton);
        QTest::mouseClick(panel.breakdownButton(), Qt::LeftButton);
        const std::vector<std::pair<QString, QStringList>> expected{{"parental", {tibb}}, {"breakdown", {tibb}}};
        QCOMPARE(opened_, expected);

        makeCurrent(*window, "bad.gen");
        const CensusRow& bad = window->model().row(window->model().rowOfFile("bad.gen"));
        QVERIFY(!bad.loaded());
        QCOMPARE(panel.text(), QStringLiteral("File: bad.gen\nError: ") + QString::fromStdString(bad.error));
        QVERIFY(!panel.mappingButton()->isEnabled() && !panel.breakdownButton()->isEnabled());
        // The table's cell holds the start of the message, its tooltip all of it.
        const QModelIndex cell = window->table()->currentIndex().siblingAtColumn(PopulationModel::Genus);
        QCOMPARE(cell.data(Qt::ToolTipRole).toString(), QStringLiteral("error: ") + QString::fromStdString(bad.error));
        QCOMPARE(errors_.texts, QStringList());
    }

    void takesAChangeRowByRow_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<QString>("removed");
        QTest::addColumn<QString>("inserted");
        QTest::addColumn<QString>("changed");
        const QStringList abc{"a", "b=1", "c"};
        QTest::newRow("nothing") << abc << abc << ""
                                 << ""
                                 << "";
        QTest::newRow("a child added, its parent recounted") << abc << QStringList{"a", "b=2", "bb", "c"} << ""
                                                             << "2-2"
                                                             << "1-1";
        QTest::newRow("added first and last") << abc << QStringList{"0", "a", "b=1", "c", "d"} << ""
                                              << "0-0 4-4"
                                              << "";
        QTest::newRow("two removed together") << QStringList{"a", "b", "c", "d"} << QStringList{"a", "d"} << "1-2"
                                              << ""
                                              << "";
        QTest::newRow("every row replaced") << abc << QStringList{"x", "y"} << "0-2"
                                            << "0-1"
                                            << "";
        QTest::newRow("from none") << QStringList{} << abc << ""
                                   << "0-2"
                                   << "";
        QTest::newRow("to none") << abc << QStringList{} << "0-2"
                                 << ""
                                 << "";
    }

    // The rows that stay keep their place, their selection and a sorted
    // table's order; the table is never taken whole for a few changes.
    void takesAChangeRowByRow()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        QFETCH(QString, removed);
        QFETCH(QString, inserted);
        QFETCH(QString, changed);
        const auto old = censusOf(before), now = censusOf(after);
        const CensusChange change = censusChange(*old, *now);
        QCOMPARE(ranges(change.removed), removed);
        QCOMPARE(ranges(change.inserted), inserted);
        QCOMPARE(ranges(change.changed), changed);

        PopulationModel model;
        model.setCensus(old);
        PopulationFilter filter(&model);
        filter.sort(PopulationModel::File, Qt::DescendingOrder);
        QAbstractItemModelTester tester(&filter, QAbstractItemModelTester::FailureReportingMode::QtTest);
        std::vector<std::pair<QPersistentModelIndex, QString>> kept;
        for (int row = 0; row < filter.rowCount(); ++row)
            kept.emplace_back(filter.index(row, PopulationModel::File),
                              filter.index(row, PopulationModel::File).data().toString());
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        QSignalSpy cells(&model, &QAbstractItemModel::dataChanged);
        model.updateCensus(now, change);
        QCOMPARE(reset.size(), 0);
        QCOMPARE(cells.size(), int(change.changed.size()));
        QCOMPARE(model.rowCount(), int(after.size()));
        QStringList expected;
        for (const QString& file : after)
            expected << file.section(u'=', 0, 0);
        for (const auto& [index, file] : kept)
            if (expected.contains(file.chopped(4)))
                QCOMPARE(index.data().toString(), file);
            else
                QVERIFY(!index.isValid());
        QStringList shown;
        for (int row = 0; row < filter.rowCount(); ++row)
            shown << filter.index(row, PopulationModel::File).data().toString().chopped(4);
        std::sort(expected.rbegin(), expected.rend());
        QCOMPARE(shown, expected);
        // The recounted cells are those of the census after.
        for (const QString& file : after) {
            const int row = model.rowOfFile(file.section(u'=', 0, 0).toStdString() + ".gen");
            QCOMPARE(model.text(row, PopulationModel::Children), file.contains(u'=') ? file.section(u'=', 1) : "0");
        }
    }
};

int main(int argc, char* argv[])
{
    // A screen larger than the window's starting size, which is then kept.
    QTemporaryDir config;
    testing::useOffscreenScreen(config.path(), "1600", "1000");
    QApplication app(argc, argv);
    CreaturePanelTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "creaturePanelTest.moc"
