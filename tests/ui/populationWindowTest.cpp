// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/population/populationWindow.h"
#include "genetics/chemicalNames.h"
#include "genetics/geneKinds.h"
#include "genetics/settings.h"
#include "mapping/geneMatching.h"
#include "populationGenerator.h"
#include "ui/appSettings.h"
#include "ui/population/focusedPedigreeView.h"
#include "ui/population/pedigreeView.h"
#include "ui/unitGeneMainWindow.h"
#include "ui/unitLoadGenome.h"
#include "uiTestSupport.h"
#include "writers/pedigreeSvg.h"

#include <QComboBox>
#include <QCompleter>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <map>
#include <numeric>
#include <set>
#include <thread>

using namespace helixplot;

namespace {

struct Opened {
    QString mode;
    QStringList files;
};

} // namespace

class PopulationWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString folder_;
    std::vector<samples::PopulationMember> members_;
    std::vector<Opened> opened_;
    testing::ErrorLog errors_;

    std::unique_ptr<PopulationWindow> openWindow(MappingOpener opener = {})
    {
        if (!opener)
            opener = [this](const QString& mode, const QStringList& files) {
                opened_.push_back({mode, files});
                return true;
            };
        auto window = std::make_unique<PopulationWindow>(folder_, false, std::move(opener),
                                                         PopulationHooks{errors_.reporter(), {}, {}});
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        QSignalSpy finished(window.get(), &PopulationWindow::censusFinished);
        QSignalSpy pedigree(window.get(), &PopulationWindow::pedigreeShown);
        QSignalSpy lineage(window.get(), &PopulationWindow::lineageUpdated);
        if (window->censusRunning())
            finished.wait(30000);
        if (pedigree.isEmpty())
            pedigree.wait(30000);
        // The lineage follows the table.
        if (lineage.isEmpty())
            lineage.wait(30000);
        return window;
    }

    // The source row of the creature named name.
#ifdef HELIXPLOT_CLI
    // Exports the window's report to exported and compares it with the
    // tool's report of the same folder.
    void expectTheToolsReport(PopulationWindow& window, const QString& exported)
    {
        const QString expected = exported + QStringLiteral(".tool");
        window.exportTo(exported);
        QCOMPARE(QProcess::execute(QStringLiteral(HELIXPLOT_CLI),
                                   {QStringLiteral("report"), QStringLiteral("-o"), expected, folder_}),
                 0);
        QFile html(exported), tool(expected);
        QVERIFY(html.open(QIODevice::ReadOnly) && tool.open(QIODevice::ReadOnly));
        QCOMPARE(html.readAll(), tool.readAll());
    }
#endif

    static int rowOf(PopulationWindow& window, const std::string& name)
    {
        return window.model().rowOfFile(name + ".gen");
    }

private Q_SLOTS:
    // A closed window's settings are written beside it: done before exit.
    void cleanupTestCase()
    {
        waitForBackgroundWork();
    }

    void initTestCase()
    {
        testing::pinCLocale();
        // The chemicals' names as the program loads them at start-up, and the
        // tool for its report: none where no game is found.
        try {
            loadChemicalNames(readSettings().chemicalFilePath());
        } catch (const HelixplotError&) {
        }
        folder_ = dir_.path() + QStringLiteral("/population");
        samples::PopulationOptions options;
        options.rounds = 3;
        options.perRound = 6;
        members_ = samples::writePopulation(QFile::encodeName(folder_).toStdString(), options);
    }

    void sortsEveryColumnInItsOwnOrder_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("file") << int(PopulationModel::File) << false;
        QTest::newRow("genus") << int(PopulationModel::Genus) << false;
        QTest::newRow("mother") << int(PopulationModel::Mother) << false;
        QTest::newRow("genes") << int(PopulationModel::Genes) << true;
        QTest::newRow("generation") << int(PopulationModel::Generation) << true;
        QTest::newRow("children") << int(PopulationModel::Children) << true;
        QTest::newRow("mutated") << int(PopulationModel::Mutated) << true;
    }

    // Numbers as numbers (9 before 10), blanks last, both directions.
    void sortsEveryColumnInItsOwnOrder()
    {
        QFETCH(int, column);
        QFETCH(bool, numeric);
        const auto window = openWindow();
        PopulationFilter& filter = window->filter();
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            filter.sort(column, order);
            QCOMPARE(filter.rowCount(), int(members_.size()));
            QStringList cells;
            for (int row = 0; row < filter.rowCount(); ++row)
                cells << filter.index(row, column).data().toString();
            // Blanks (none) come after every value whichever the direction.
            const auto firstBlank = std::find(cells.begin(), cells.end(), QString());
            QVERIFY(std::all_of(firstBlank, cells.end(), [](const QString& cell) { return cell.isEmpty(); }));
            for (auto cell = cells.begin(); cell + 1 < firstBlank; ++cell) {
                const bool inOrder = numeric
                                         ? (order == Qt::AscendingOrder ? cell->toInt() <= (cell + 1)->toInt()
                                                                        : cell->toInt() >= (cell + 1)->toInt())
                                         : (order == Qt::AscendingOrder ? *cell <= *(cell + 1) : *cell >= *(cell + 1));
                QVERIFY2(inOrder, qPrintable(*cell + QStringLiteral(" before ") + *(cell + 1)));
            }
        }
    }

    void filtersByFileGenusAndParents_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        // Counted from what the generator wrote, not from the census.
        const samples::PopulationMember& parent = members_.front();
        int kin = 0;
        for (const auto& member : members_)
            kin += member.name.find(parent.name) != std::string::npos || member.mother == parent.name ||
                   member.father == parent.name;
        QTest::newRow("nothing") << QString() << int(members_.size());
        QTest::newRow("a founder's name") << QString::fromStdString(parent.name) << kin;
        QTest::newRow("in capitals") << QString::fromStdString(parent.name).toUpper() << kin;
        QTest::newRow("no such creature") << QStringLiteral("qqqqqq") << 0;
        QTest::newRow("the file's ending") << QStringLiteral(".gen") << int(members_.size());
    }

    void filtersByFileGenusAndParents()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        const auto window = openWindow();
        window->filterEdit()->setText(text);
        QCOMPARE(window->filter().rowCount(), expected);
        // Typing picks the first match, and the pedigree follows.
        if (expected > 0 && !text.isEmpty()) {
            const QModelIndex current = window->table()->currentIndex();
            QCOMPARE(current.row(), 0);
            QCOMPARE(window->pedigree()->selected(),
                     std::optional<std::size_t>(window->filter().mapToSource(current).row()));
        }
    }

    // A child with both parents opens as a parental mapping, a founder as
    // its breakdown; Enter and a double-click go the same way.
    void opensTheMappingThatFits_data()
    {
        QTest::addColumn<bool>("founder");
        QTest::addColumn<QString>("mode");
        QTest::newRow("founder") << true << QStringLiteral("breakdown");
        QTest::newRow("child of two parents") << false << QStringLiteral("parental");
    }

    void opensTheMappingThatFits()
    {
        QFETCH(bool, founder);
        QFETCH(QString, mode);
        const auto member = std::find_if(members_.begin(), members_.end(), [&](const auto& m) {
            return founder ? m.founder : !m.founder && !m.fatherMissing && !m.mother.empty();
        });
        QVERIFY(member != members_.end());
        const auto window = openWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->table()->currentIndex().row(), 0); // the first row is current from the start
        const int row = rowOf(*window, member->name);
        window->table()->setCurrentIndex(window->filter().mapFromSource(window->model().index(row, 0)));
        opened_.clear();
        QTest::keyClick(window->table(), Qt::Key_Return);
        QCOMPARE(opened_.size(), std::size_t(1));
        QCOMPARE(opened_[0].mode, mode);
        QCOMPARE(opened_[0].files,
                 QStringList{QDir::toNativeSeparators(folder_ + QStringLiteral("/") +
                                                      QString::fromStdString(member->name) + QStringLiteral(".gen"))});
    }

    // Enter in a population window while "Load New Genome" maps (the run's
    // waits let input through) is refused with a word in the status line:
    // a second run over the same genome slots once ended the program.
    void oneMappingAtATime()
    {
        // The main window loads the samples' chemical names: the later tests
        // compare reports with the tool's, which has none.
        qputenv("HELIXPLOT_SETTINGS", HELIXPLOT_SOURCE_DIR "/samples/settings.ini");
        const auto restore = qScopeGuard([names = ChemicalNames] {
            qunsetenv("HELIXPLOT_SETTINGS");
            ChemicalNames = names;
        });
        errors_.texts.clear();
        const QString examined =
            folder_ + QStringLiteral("/") + QString::fromStdString(members_[0].name) + QStringLiteral(".gen");
        std::unique_ptr<TGeneMainWindow> main;
        const auto population = openWindow(
            [&main](const QString& mode, const QStringList& files) { return main->openMapping(mode, files); });
        population->show();
        QVERIFY(QTest::qWaitForWindowExposed(population.get()));
        int waits = 0, nested = 0;
        bool pressing = false;
        MainWindowHooks hooks;
        hooks.reportError = errors_.reporter();
        hooks.showSelectionDialog = [&](TLoadGenome& dialog) {
            return dialog.applyChoices(QStringLiteral("breakdown"), {examined}) ? int(QDialog::Accepted)
                                                                                : int(QDialog::Rejected);
        };
        hooks.wait = [&](int) {
            nested += pressing;
            if (waits++ > 0)
                return;
            pressing = true;
            population->table()->setCurrentIndex(population->filter().index(1, 0));
            QTest::keyClick(population->table(), Qt::Key_Return);
            QCoreApplication::processEvents();
            pressing = false;
        };
        main = std::make_unique<TGeneMainWindow>(hooks, QString(), QStringList(), false);
        guarded(errors_.reporter(), [&] { main->Button2Click(); });
        QCOMPARE(nested, 0);
        QVERIFY(waits > 0);
        QVERIFY(!main->mappingBusy());
        QCOMPARE(QFileInfo(main->loadGenome().genomeFilePath(GenomeSlot::Examined)).fileName(),
                 QFileInfo(examined).fileName());
        QVERIFY(
            testing::child<QLabel>(population.get(), "PopulationStatus")->text().contains(QStringLiteral("under way")));
        QCOMPARE(errors_.texts, QStringList());
        // Once the run is over, a mapping opens again.
        QVERIFY(main->openMapping(QStringLiteral("breakdown"), {examined}));
    }

    // Names as the writers show them: UTF-8 when they are, else Latin-1.
    void showsNamesAsTheWritersDo_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("ASCII") << QByteArray("Nela") << QStringLiteral("Nela");
        QTest::newRow("UTF-8") << QByteArray("J\xc3\xb6rg") << QStringLiteral("J\u00f6rg");
        QTest::newRow("Latin-1") << QByteArray("J\xf6rg") << QStringLiteral("J\u00f6rg");
        QTest::newRow("not UTF-8 past its first bytes")
            << QByteArray("\xc3\xb6\xff") << QStringLiteral("\u00c3\u00b6\u00ff");
    }

    void showsNamesAsTheWritersDo()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        auto census = std::make_shared<Census>();
        census->rows.resize(1);
        census->rows[0].file = "a.gen";
        census->rows[0].genus = census->rows[0].mother = census->rows[0].father = bytes.toStdString();
        PopulationModel model;
        model.setCensus(census);
        for (const int column : {PopulationModel::Genus, PopulationModel::Mother, PopulationModel::Father})
            QCOMPARE(model.text(0, column), shown);
    }

    // Whatever a worker throws, running out of memory included, comes back
    // to the window's thread as the error it was, never as an abort.
    void workersHandBackTheirFailures_data()
    {
        QTest::addColumn<int>("failure");
        QTest::newRow("none") << 0;
        QTest::newRow("out of memory") << 1;
        QTest::newRow("an error") << 2;
    }

    void workersHandBackTheirFailures()
    {
        QFETCH(int, failure);
        BackgroundTask<int> task;
        task.start([failure] {
            if (failure == 1)
                throw std::bad_alloc();
            if (failure == 2)
                throw std::runtime_error("disk gone");
            return 7;
        });
        QTRY_VERIFY(task.ready());
        try {
            QCOMPARE(task.take(), 7);
            QCOMPARE(failure, 0);
        } catch (const std::bad_alloc&) {
            QCOMPARE(failure, 1);
        } catch (const std::runtime_error& error) {
            QCOMPARE(failure, 2);
            QCOMPARE(QByteArray(error.what()), QByteArray("disk gone"));
        }
        QVERIFY(!task.running());
        QTRY_COMPARE(backgroundThreads(), std::size_t(0));
    }

    // Ancestors and descendants of one creature; with a second, the line
    // between them and nothing else.
    void pedigreeHighlightsTheFamily()
    {
        const auto window = openWindow();
        PedigreeView& pedigree = *window->pedigree();
        std::map<std::string, const samples::PopulationMember*> byName;
        for (const auto& member : members_)
            byName[member.name] = &member;
        const auto child = std::find_if(members_.rbegin(), members_.rend(),
                                        [](const auto& m) { return !m.founder && !m.fatherMissing; });
        std::set<std::string> ancestors;
        std::vector<std::string> queue{child->name};
        while (!queue.empty()) {
            const auto* member = byName.at(queue.back());
            queue.pop_back();
            for (const std::string& parent : {member->mother, member->father})
                if (byName.count(parent) && ancestors.insert(parent).second)
                    queue.push_back(parent);
        }
        pedigree.select(std::size_t(rowOf(*window, child->name)));
        std::set<std::string> highlighted;
        for (std::size_t row : pedigree.highlighted()) {
            const std::string& file = window->model().row(int(row)).file;
            highlighted.insert(file.substr(0, file.size() - 4));
        }
        ancestors.insert(child->name); // the youngest has no descendants
        QCOMPARE(highlighted, ancestors);
        // A screen reader reads the creature with its parents and children.
        const QString said = pedigree.accessibleDescription();
        QVERIFY2(said.startsWith(QString::fromStdString(child->name) + QStringLiteral(", ")) &&
                     said.endsWith(QString::fromStdString("; mother: " + child->mother + "; father: " + child->father +
                                                          "; children: none.")),
                 qPrintable(said));
        pedigree.select(std::size_t(rowOf(*window, child->mother)));
        QVERIFY2(pedigree.accessibleDescription().contains(QString::fromStdString(child->name)),
                 qPrintable(pedigree.accessibleDescription()));

        // Child and mother: just the two.
        pedigree.select(std::size_t(rowOf(*window, child->name)), std::size_t(rowOf(*window, child->mother)));
        QCOMPARE(pedigree.highlighted().size(), std::size_t(2));
    }

    // The pedigree and the report's family tree colour a count alike (a
    // creature with 9 mutated genes once was orange in one, red in the other).
    void theWindowAndTheReportShareOneColourScale()
    {
        const struct {
            std::optional<std::size_t> mutated;
            const char* reportClass;
            QRgb colour;
        } counts[] = {{std::nullopt, ".mn{fill:#eceff2", 0xeceff2},
                      {0, ".m0{fill:#ffffcc", 0xffffcc},
                      {2, ".m2{fill:#fed976", 0xfed976},
                      {4, ".m3{fill:#feb24c", 0xfeb24c},
                      {8, ".m4{fill:#fd8d3c", 0xfd8d3c},
                      {9, ".m5{fill:#f0603a", 0xf0603a},
                      {40, ".m5{fill:#f0603a", 0xf0603a}};
        const QString style = QString::fromLatin1(cli::PedigreeStyle);
        for (const auto& count : counts) {
            QCOMPARE(PedigreeView::countColour(count.mutated).rgb() & 0xffffff, count.colour);
            QVERIFY2(style.contains(QLatin1String(count.reportClass)), count.reportClass);
        }
    }

    // The search box makes a creature current everywhere: the table, the
    // family and the overview; an unknown name says so and moves nothing.
    void searchMakesACreatureCurrent_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("found"); // empty: nothing found
        const std::string& last = members_.back().name;
        const QString name = QString::fromStdString(last);
        QTest::newRow("the name") << name << name;
        QTest::newRow("in capitals") << name.toUpper() << name;
        QTest::newRow("with spaces") << QStringLiteral("  ") + name + QStringLiteral(" ") << name;
        QTest::newRow("no such creature") << QStringLiteral("zzzzz") << QString();
    }

    void searchMakesACreatureCurrent()
    {
        QFETCH(QString, typed);
        QFETCH(QString, found);
        const auto window = openWindow();
        window->show();
        const int before = window->filter().mapToSource(window->table()->currentIndex()).row();
        window->searchEdit()->setFocus();
        QTest::keyClicks(window->searchEdit(), typed);
        opened_.clear();
        QTest::keyClick(window->searchEdit(), Qt::Key_Return);
        QVERIFY(opened_.empty()); // Enter in the search box finds, and opens nothing
        const int row = found.isEmpty() ? before : rowOf(*window, found.toStdString());
        QCOMPARE(window->filter().mapToSource(window->table()->currentIndex()).row(), row);
        QCOMPARE(window->focusedPedigree()->focusRow(), std::optional<std::size_t>(row));
        QCOMPARE(window->pedigree()->selected(), std::optional<std::size_t>(row));
        if (found.isEmpty())
            QCOMPARE(window->findChild<QLabel*>(QStringLiteral("PopulationStatus"))->text(),
                     QStringLiteral("No creature is named like 'zzzzz'"));
        // Every name is offered for completion (filled a moment after the census).
        QTRY_COMPARE(window->searchEdit()->completer()->model()->rowCount(), window->model().rowCount());
    }

    // From the family: a click on the father's box makes him current, Enter
    // and a double-click open the mapping, the zoom keys work from the table,
    // the generations shown follow the boxes and are kept.
    void navigatesThroughTheFamily()
    {
        const auto window = openWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const auto child = std::find_if(members_.rbegin(), members_.rend(),
                                        [](const auto& m) { return !m.founder && !m.fatherMissing; });
        window->setCurrentCreature(rowOf(*window, child->name));
        FocusedPedigreeView& family = *window->focusedPedigree();
        const auto father = std::size_t(rowOf(*window, child->father));
        const QRectF box = family.boxRect(father);
        QVERIFY(!box.isEmpty());
        family.centerOn(box.center());
        QTest::mouseClick(family.viewport(), Qt::LeftButton, {}, family.mapFromScene(box.center()));
        QCOMPARE(window->filter().mapToSource(window->table()->currentIndex()).row(), int(father));
        QCOMPARE(family.focusRow(), std::optional<std::size_t>(father));

        opened_.clear();
        family.setFocus();
        QTest::keyClick(family.viewport(), Qt::Key_Return);
        QCOMPARE(opened_.size(), std::size_t(1));
        QVERIFY(opened_[0].files.front().endsWith(QString::fromStdString(child->father + ".gen")));
        const QRectF own = family.boxRect(std::size_t(rowOf(*window, child->name)));
        family.centerOn(own.center());
        QTest::mouseDClick(family.viewport(), Qt::LeftButton, {}, family.mapFromScene(own.center()));
        QCOMPARE(opened_.size(), std::size_t(2));
        QVERIFY(opened_[1].files.front().endsWith(QString::fromStdString(child->name + ".gen")));

        // Shortcuts answer in the active window only.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        const struct {
            Qt::Key key;
            double zoom;
        } zooms[] = {{Qt::Key_Plus, 1.25}, {Qt::Key_Equal, 1.5625}, {Qt::Key_Minus, 1.25}, {Qt::Key_0, 1.0}};
        window->table()->setFocus();
        for (const auto& zoom : zooms) {
            QTest::keyClick(window->table(), zoom.key, Qt::ControlModifier);
            QCOMPARE(family.transform().m11(), zoom.zoom);
        }

        // Ctrl+wheel zooms at the pointer (to a pixel or so of scrolling), in
        // the family and the overview alike.
        for (QGraphicsView* view :
             {static_cast<QGraphicsView*>(&family), static_cast<QGraphicsView*>(window->pedigree())}) {
            // Large enough to scroll both ways: a drawing smaller than its
            // view stays centred whatever the zoom keeps.
            view->setTransform(QTransform::fromScale(3, 3));
            view->centerOn(view->sceneRect().center());
            const QPoint pointer(view->viewport()->width() / 4, view->viewport()->height() / 3);
            const QPointF under = view->mapToScene(pointer);
            QWheelEvent wheel(pointer, view->viewport()->mapToGlobal(pointer), {}, {0, 240}, Qt::NoButton,
                              Qt::ControlModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(view->viewport(), &wheel);
            QVERIFY(view->transform().m11() > 3.9);
            QVERIFY2(QLineF(view->mapToScene(pointer), under).length() < 3 / view->transform().m11(),
                     qPrintable(view->objectName()));
        }

        window->ancestorsBox()->setValue(1);
        window->descendantsBox()->setValue(0);
        int lowest = 0, highest = 0;
        for (const FocusedBox& b : family.layout().boxes) {
            lowest = std::min(lowest, b.generation);
            highest = std::max(highest, b.generation);
        }
        QCOMPARE(std::pair(lowest, highest), std::pair(-1, 0));
        QCOMPARE(helixplotSettings().value(QStringLiteral("populationWindow/ancestors")).toInt(), 1);
        const auto again = openWindow();
        QCOMPARE(std::pair(again->ancestorsBox()->value(), again->descendantsBox()->value()), std::pair(1, 0));
        window->ancestorsBox()->setValue(3);
        window->descendantsBox()->setValue(2);

        // "Show lineage" of a genome: that creature current.
        QVERIFY(window->showCreature(folder_ + QStringLiteral("/") + QString::fromStdString(child->mother) +
                                     QStringLiteral(".gen")));
        QCOMPARE(family.focusRow(), std::optional<std::size_t>(rowOf(*window, child->mother)));
    }

    void everyControlHasAnAccessibleName()
    {
        const auto window = openWindow();
        window->show();
        QStringList unnamed;
        testing::collectUnnamed(QAccessible::queryAccessibleInterface(window.get()), unnamed);
        QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
        QCOMPARE(window->pedigree()->accessibleName(), QStringLiteral("Pedigree"));
    }

    // A genome the game writes appears, linked to its parents and counted,
    // and goes when its file goes; the lineage and the chosen gene's colours
    // follow, and the export then still equals the tool's.
    void followsTheFolder()
    {
        const auto window = openWindow();
        const auto child = std::find_if(members_.begin(), members_.end(),
                                        [](const auto& m) { return !m.founder && !m.fatherMissing; });
        QSignalSpy shown(window.get(), &PopulationWindow::geneShown);
        QSignalSpy traced(window.get(), &PopulationWindow::lineageUpdated);
        window->showGene(window->hotspots().front().geneKey);
        QVERIFY(shown.wait(30000));
        const QString copy = folder_ + QStringLiteral("/zzzz.gen");
        QVERIFY(QFile::copy(
            folder_ + QStringLiteral("/") + QString::fromStdString(child->name) + QStringLiteral(".gen"), copy));
        // The later tests read the same folder.
        const auto removeCopy = qScopeGuard([&copy] { QFile::remove(copy); });
        QTRY_COMPARE_WITH_TIMEOUT(window->model().rowCount(), int(members_.size()) + 1, 10000);
        const CensusRow& added = window->model().row(rowOf(*window, "zzzz"));
        const CensusRow& original = window->model().row(rowOf(*window, child->name));
        QCOMPARE(added.mutatedTotal(), original.mutatedTotal());
        QCOMPARE(added.generation, original.generation);
        QCOMPARE(window->model().row(int(*added.motherRow)).children,
                 window->model().row(int(*original.motherRow)).children);
        // The lineage is traced again, and the gene's colouring with it.
        QTRY_VERIFY_WITH_TIMEOUT(!traced.isEmpty() && shown.size() > 1, 20000);
        const GeneVariants& variants = *window->variants();
        QCOMPARE(variants.ofRow.size(), std::size_t(window->model().rowCount()));
        QCOMPARE(variants.ofRow[std::size_t(rowOf(*window, "zzzz"))],
                 variants.ofRow[std::size_t(rowOf(*window, child->name))]);

#ifdef HELIXPLOT_CLI
        const QString exported = dir_.path() + QStringLiteral("/census.csv");
        window->exportTo(exported);
        QProcess cli;
        cli.start(QStringLiteral(HELIXPLOT_CLI),
                  {QStringLiteral("census"), QStringLiteral("--format"), QStringLiteral("csv"), folder_});
        QVERIFY(cli.waitForFinished(30000));
        QFile file(exported);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), cli.readAllStandardOutput());
        const QString report = dir_.path() + QStringLiteral("/census.html");
        expectTheToolsReport(*window, report);
        if (QTest::currentTestFailed())
            return;
#endif

        const auto tracedBefore = traced.size();
        QVERIFY(QFile::remove(copy));
        QTRY_COMPARE_WITH_TIMEOUT(window->model().rowCount(), int(members_.size()), 10000);
        QCOMPARE(rowOf(*window, "zzzz"), -1);
#ifdef HELIXPLOT_CLI
        // Until traced again, the old lineage, which counts the removed
        // genome among the carriers, stays out of the report.
        window->exportTo(report);
        QFile stale(report);
        QVERIFY(stale.open(QIODevice::ReadOnly));
        if (traced.size() == tracedBefore)
            QVERIFY(!stale.readAll().contains("carried by"));
#endif
    }

    // A thousand genomes copied into the open folder at once, then removed:
    // read and linked in batches beside the window, each copy linked as its
    // original is, until the table is as it was.
    void followsABurstOfAThousandGenomes()
    {
        const auto window = openWindow();
        const int before = window->model().rowCount();
        QStringList copies;
        for (int i = 0; i < 1000; ++i) {
            copies << folder_ + QStringLiteral("/burst%1.gen").arg(i, 4, 10, QLatin1Char('0'));
            QVERIFY(QFile::copy(folder_ + QStringLiteral("/") +
                                    QString::fromStdString(members_[std::size_t(i) % members_.size()].name) +
                                    QStringLiteral(".gen"),
                                copies.back()));
        }
        const auto removeCopies = qScopeGuard([&copies] {
            for (const QString& copy : copies)
                QFile::remove(copy);
        });
        QTRY_COMPARE_WITH_TIMEOUT(window->model().rowCount(), before + 1000, 60000);
        for (int i : {0, 1, 999}) {
            const auto& member = members_[std::size_t(i) % members_.size()];
            const CensusRow& copy = window->model().row(
                rowOf(*window, QStringLiteral("burst%1").arg(i, 4, 10, QLatin1Char('0')).toStdString()));
            const CensusRow& original = window->model().row(rowOf(*window, member.name));
            QCOMPARE(copy.mutatedTotal(), original.mutatedTotal());
            QCOMPARE(copy.generation, original.generation);
        }
        for (const QString& copy : copies)
            QVERIFY(QFile::remove(copy));
        QTRY_COMPARE_WITH_TIMEOUT(window->model().rowCount(), before, 60000);
        QCOMPARE(errors_.texts, QStringList());
    }

#ifdef HELIXPLOT_CLI
    // The window's report is the tool's, mutation hotspots and all.
    void exportsTheToolsReport()
    {
        const auto window = openWindow();
        QVERIFY(!window->hotspots().empty());
        expectTheToolsReport(*window, dir_.path() + QStringLiteral("/window.html"));
    }
#endif

    // However the gene is chosen, each box takes its genome's version of it
    // (grey without the key), the planted mutations are outlined, and the
    // list gives each variant's origin and carriers.
    void coloursThePedigreeByAGene_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("picked from the list") << QStringLiteral("picked");
        QTest::newRow("typed as T:S:ID") << QStringLiteral("typed");
        QTest::newRow("asked for by the main window") << QStringLiteral("asked");
    }

    void coloursThePedigreeByAGene()
    {
        QFETCH(QString, how);
        const auto window = openWindow();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(!window->hotspots().empty());
        const std::uint16_t key = window->hotspots().front().geneKey;
        const GeneKindInfo& kind = GeneKinds[key >> 8];
        const std::uint32_t planted = std::uint32_t{kind.type} << 16 | std::uint32_t{kind.subtype} << 8 | (key & 0xFF);
        QSignalSpy shown(window.get(), &PopulationWindow::geneShown);
        QLineEdit* edit = window->geneBox()->lineEdit();
        if (how == QStringLiteral("asked")) {
            window->showGene(key);
        } else {
            edit->setText(how == QStringLiteral("picked")
                              ? window->geneBox()->itemText(0)
                              : QStringLiteral("%1:%2:%3").arg(kind.type).arg(kind.subtype).arg(key & 0xFF));
            QTest::keyClick(edit, Qt::Key_Return);
        }
        QVERIFY(shown.wait(30000));
        QCOMPARE(window->geneBox()->currentText(), window->geneBox()->itemText(0));

        // Who holds which body, read with the genome reader.
        const std::size_t rows = std::size_t(window->model().rowCount());
        std::vector<std::optional<std::vector<std::uint8_t>>> bodies(rows);
        std::set<std::size_t> origins;
        for (std::size_t row = 0; row < rows; ++row) {
            const std::string& file = window->model().row(int(row)).file;
            const TGeneticsFile genome(QFile::encodeName(folder_).toStdString() + "/" + file);
            if (const GeneRecord* gene = GeneIndex(&genome).findGene(kind.type, kind.subtype, key & 0xFF))
                bodies[row] = std::vector<std::uint8_t>(gene->body.begin(), gene->body.begin() + kind.bodyLength);
            const auto member =
                std::find_if(members_.begin(), members_.end(), [&](const auto& m) { return m.name + ".gen" == file; });
            if (!member->founder && !member->fatherMissing &&
                std::count(member->mutatedKeys.begin(), member->mutatedKeys.end(), planted))
                origins.insert(row);
        }
        const GeneVariants& variants = *window->variants();
        PedigreeView& pedigree = *window->pedigree();
        std::map<int, std::size_t> carriers;
        for (std::size_t row = 0; row < rows; ++row) {
            const int variant = variants.ofRow[row];
            QCOMPARE(variant < 0, !bodies[row].has_value());
            QCOMPARE(pedigree.boxColour(row), PedigreeView::variantColour(variant));
            QCOMPARE(pedigree.isOrigin(row), origins.count(row) == 1);
            for (std::size_t other = 0; other < row; ++other)
                if (bodies[row] && bodies[other])
                    QCOMPARE(variant == variants.ofRow[other], *bodies[row] == *bodies[other]);
            ++carriers[variant];
        }
        QVERIFY(!origins.empty());

        // A variant's line: its origin and carriers; a click selects the origin.
        QTreeWidget& list = *window->variantList();
        QCOMPARE(list.topLevelItemCount(), int(variants.variants.size()));
        for (int v = 0; v < list.topLevelItemCount(); ++v) {
            const GeneVariant& variant = variants.variants[std::size_t(v)];
            QCOMPARE(list.topLevelItem(v)->text(2).toULongLong(), qulonglong(carriers[v]));
            QCOMPARE(variant.event.has_value(), origins.count(variant.origin) == 1);
            QCOMPARE(std::size_t(variants.ofRow[variant.origin]), std::size_t(v));
        }
        // Whole rows only, five at most.
        window->show();
        QTRY_COMPARE(list.viewport()->height(), std::min(list.topLevelItemCount(), 5) * list.sizeHintForRow(0));
        const auto first = std::size_t(variants.variants.front().origin);
        const QRect line = list.visualItemRect(list.topLevelItem(0));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, line.center());
        QCOMPARE(window->filter().mapToSource(window->table()->currentIndex()).row(), int(first));
        QCOMPARE(pedigree.selected(), std::optional<std::size_t>(first));

        // Cleared: the counts' colours again.
        edit->clear();
        for (std::size_t row = 0; row < rows; ++row)
            QCOMPARE(pedigree.boxColour(row), PedigreeView::countColour(window->model().row(int(row)).mutatedTotal()));
        QVERIFY(list.isHidden());
    }

    // Nor on a file the program reads, as helixplot-cli report -o refuses it.
    void exportRefusesTheFilesTheProgramReads_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("settings") << QStringLiteral("settings.ini");
        QTest::newRow("chemical names") << QStringLiteral("allchemicals.str");
    }

    void exportRefusesTheFilesTheProgramReads()
    {
        QFETCH(QString, name);
        const QString game = dir_.path() + QStringLiteral("/game");
        QDir().mkpath(game);
        for (const char* file : {"settings.ini", "allchemicals.str"}) {
            QFile::remove(game + QStringLiteral("/") + QLatin1String(file));
            QVERIFY(QFile::copy(QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/") + QLatin1String(file),
                                game + QStringLiteral("/") + QLatin1String(file)));
        }
        qputenv("HELIXPLOT_SETTINGS", QFile::encodeName(game + QStringLiteral("/settings.ini")));
        const auto unset = qScopeGuard([] { qunsetenv("HELIXPLOT_SETTINGS"); });
        const auto window = openWindow();
        const QString target = game + QStringLiteral("/") + name;
        QFile original(target);
        QVERIFY(original.open(QIODevice::ReadOnly));
        const QByteArray before = original.readAll();
        original.close();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, window->exportTo(target));
        QVERIFY(original.open(QIODevice::ReadOnly));
        QCOMPARE(original.readAll(), before);
    }

    // The export never lands on a genome, whatever its name.
    void exportRefusesGenomes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow(".gen ending") << QStringLiteral("copy.gen");
        QTest::newRow("a genome named .csv") << QStringLiteral("genome.csv");
    }

    void exportRefusesGenomes()
    {
        QFETCH(QString, name);
        const auto window = openWindow();
        const QString target = dir_.path() + QStringLiteral("/") + name;
        QFile::remove(target);
        if (name.endsWith(QStringLiteral(".csv")))
            QVERIFY(QFile::copy(folder_ + QStringLiteral("/") + QString::fromStdString(members_[0].name) +
                                    QStringLiteral(".gen"),
                                target));
        const QByteArray before = QFile::exists(target) ? [&] {
            QFile f(target);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }()
                                                        : QByteArray();
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, window->exportTo(target));
        QFile after(target);
        QCOMPARE(after.open(QIODevice::ReadOnly) ? after.readAll() : QByteArray(), before);
    }

    // Esc during the export: the steps run up to the one cancelled at, the
    // export ends as cancelled and nothing is written; uncancelled, the
    // progress reaches its end before the file is there.
    void exportStopsAtTheStepCancelled_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("cancelAt"); // -1: not cancelled
        QTest::addColumn<int>("steps");
        QTest::newRow("report, before building") << QStringLiteral("stop.html") << 0 << 4;
        QTest::newRow("report, between its steps") << QStringLiteral("stop.html") << 2 << 4;
        QTest::newRow("report, built, before writing") << QStringLiteral("stop.html") << 4 << 4;
        QTest::newRow("table, built, before writing") << QStringLiteral("stop.csv") << 1 << 1;
        QTest::newRow("report, not cancelled") << QStringLiteral("stop.html") << -1 << 4;
    }

    void exportStopsAtTheStepCancelled()
    {
        QFETCH(QString, name);
        QFETCH(int, cancelAt);
        QFETCH(int, steps);
        const auto window = openWindow();
        PopulationSession& session = window->session();
        const QString target = dir_.path() + QStringLiteral("/") + name;
        QFile::remove(target);
        std::vector<int> seen;
        session.setExportStepHook([&](int done, int total) {
            seen.push_back(total == steps ? done : -100);
            if (done == cancelAt)
                session.cancel();
        });
        QSignalSpy progress(&session, &PopulationSession::exportProgress);
        QSignalSpy finished(&session, &PopulationSession::exportFinished);
        session.startExport(target, {});
        QVERIFY(finished.wait(30000));
        std::vector<int> expected(static_cast<std::size_t>(cancelAt < 0 ? steps + 1 : cancelAt + 1));
        std::iota(expected.begin(), expected.end(), 0);
        QCOMPARE(seen, expected);
        QCOMPARE(finished.front().at(1).toString(), cancelAt < 0 ? QString() : QString::fromLatin1(ExportCancelled));
        QCOMPARE(QFile::exists(target), cancelAt < 0);
        if (cancelAt < 0)
            QCOMPARE(progress.back(), (QList<QVariant>{steps, steps}));
    }

    // Closing the window (the session destroyed) or changing the folder at
    // each stage of the work: nothing of the old work is handed back, and
    // every worker ends. The export is held inside its building until then.
    void sessionStopsAtEachStage_data()
    {
        QTest::addColumn<int>("stage");
        QTest::addColumn<bool>("closed");
        const char* stages[] = {"census", "lineage", "variants", "export"};
        for (int stage = 0; stage < 4; ++stage) {
            QTest::addRow("%s, closed", stages[stage]) << stage << true;
            QTest::addRow("%s, folder changed", stages[stage]) << stage << false;
        }
    }

    void sessionStopsAtEachStage()
    {
        QFETCH(int, stage);
        QFETCH(bool, closed);
        auto session = std::make_unique<PopulationSession>(folder_, false);
        QSignalSpy finished(session.get(), &PopulationSession::censusFinished);
        QSignalSpy traced(session.get(), &PopulationSession::lineageTraced);
        QSignalSpy variants(session.get(), &PopulationSession::variantsTraced);
        QSignalSpy exported(session.get(), &PopulationSession::exportFinished);
        const QString target = dir_.path() + QStringLiteral("/held.csv");
        QFile::remove(target);
        std::atomic<bool> held{false};
        std::atomic<bool> release{false};
        if (stage >= 1)
            QVERIFY(finished.wait(30000));
        if (stage >= 2)
            QVERIFY(traced.count() > 0 || traced.wait(30000));
        if (stage == 2)
            session->setGene(session->hotspots().front().geneKey);
        if (stage == 3) {
            session->setExportStepHook([&](int, int) {
                held = true;
                while (!release)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            });
            session->startExport(target, {});
            QTRY_VERIFY(held);
        }
        const qsizetype census = finished.count();
        const qsizetype variantCount = variants.count();
        if (closed)
            session.reset();
        else
            session->setRecursive(true);
        release = true;
        if (!closed) {
            QTRY_COMPARE_WITH_TIMEOUT(finished.count(), census + 1, 30000);
            QCOMPARE(finished.back().at(0).toString(), QString());
            QCOMPARE(session->model().rowCount(), int(members_.size()));
        }
        QTRY_COMPARE_WITH_TIMEOUT(backgroundThreads(), std::size_t(0), 30000);
        QCOMPARE(exported.count(), 0);
        QVERIFY(!QFile::exists(target));
        // The chosen gene stays chosen: the new census may be traced for it
        // again, but nothing traced over the old one arrives.
        if (stage == 2 && closed)
            QCOMPARE(variants.count(), variantCount);
        if (stage == 2 && !closed && variants.count() > variantCount) {
            QVERIFY(session->variants());
            QCOMPARE(session->variants()->ofRow.size(), std::size_t(session->model().rowCount()));
        }
    }
};

QTEST_MAIN(PopulationWindowTest)
#include "populationWindowTest.moc"
