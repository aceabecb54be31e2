// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/geneChangeView.h"
#include "mapping/geneChange.h"
#include "mapping/genomeDigest.h"
#include "ui/displayTreeModel.h"
#include "ui/treePage.h"
#include "ui/unitGeneMainWindow.h"
#include "uiTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSplitter>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QtTest>

#include <memory>

using namespace helixplot;
using helixplot::testing::child;

namespace {

const QString SamplesDir = QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/");

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QStringList linesOf(const GeneLines& lines)
{
    QStringList out;
    for (std::size_t i = 0; i < lines.size(); ++i)
        out << latin1(lines[i]);
    return out;
}

// One column of a side-by-side table, gaps left out.
QStringList column(const QAbstractItemModel& model, int column)
{
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QString text = model.index(row, column).data().toString();
        if (model.index(row, column).data(Qt::BackgroundRole) != QVariant(gapLineColor(QApplication::palette())))
            out << text;
    }
    return out;
}

} // namespace

class GeneChangeViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TGeneMainWindow> window;
    QTemporaryDir exportDir;

    void start(const QString& mode, const QStringList& comparators,
               const QString& examined = SamplesDir + QStringLiteral("tibb.gen"))
    {
        MainWindowHooks hooks;
        hooks.reportError = [](const QString& text) { qWarning("error box: %s", qPrintable(text)); };
        hooks.wait = [](int) { QCoreApplication::processEvents(); };
        hooks.chooseSaveFile = [this](QWidget*, const QString&, const QString&, QString*) {
            return exportDir.filePath(QStringLiteral("mutated.txt"));
        };
        hooks.confirmReplace = [](QWidget*, const QString&) { return true; };
        hooks.showSelectionDialog = [mode, comparators, examined](TLoadGenome& dialog) {
            dialog.show();
            child<QRadioButton>(&dialog, mode == u"parental" ? "Parents" : "Dual")->click();
            const char* edits[] = {"MotherFile", "FatherFile"};
            for (qsizetype i = 0; i < comparators.size(); ++i)
                child<QLineEdit>(&dialog, edits[i])->setText(SamplesDir + comparators[i]);
            child<QLineEdit>(&dialog, "GenomeFileName")->setText(examined);
            child<QPushButton>(&dialog, "Button1")->click();
            return dialog.result();
        };
        window = std::make_unique<TGeneMainWindow>(hooks);
        window->show();
    }

private Q_SLOTS:
    void initTestCase()
    {
        helixplot::testing::pinCLocale();
        if (!QFile::exists(SamplesDir + QStringLiteral("tibb.gen")))
            QSKIP("the samples are missing");
        qputenv("HELIXPLOT_SETTINGS", (SamplesDir + QStringLiteral("settings.ini")).toLocal8Bit());
    }

    void cleanup() { window.reset(); }

    // "Show lineage" in the tree's menu names the examined genome's folder and
    // the gene's key, from the gene or a line under it; a family has none.
    void showLineageNamesTheFolderAndTheGene_data()
    {
        QTest::addColumn<int>("depth"); // 0 the family, 1 the gene, 2 a line under it
        QTest::addColumn<bool>("offered");
        QTest::addColumn<QString>("examined"); // as typed
        const QString path = SamplesDir + QStringLiteral("tibb.gen");
        QTest::newRow("a gene") << 1 << true << path;
        QTest::newRow("a line under a gene") << 2 << true << path;
        QTest::newRow("a family") << 0 << false << path;
        // Not in the working folder: the genetics folder's.
        QTest::newRow("a bare name") << 1 << true << QStringLiteral("tibb.gen");
    }

    void showLineageNamesTheFolderAndTheGene()
    {
        QFETCH(int, depth);
        QFETCH(bool, offered);
        QFETCH(QString, examined);
        start(QStringLiteral("parental"), {}, examined);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        const MappingResult& result = window->result();
        auto* tree = child<QTreeView>(window.get(), "MutatedGenes");
        window->findChild<QTabWidget*>()->setCurrentWidget(window->treePage(ResultPage::Mutated));
        const NodeId family = result.mutatedGenes.firstTopLevel();
        const NodeId gene = result.mutatedGenes.firstChild(family);
        const NodeId line = result.mutatedGenes.firstChild(gene);
        const NodeId node = depth == 0 ? family : depth == 1 ? gene : line;
        QVERIFY(node != NoNode);
        auto& model = static_cast<DisplayTreeModel&>(*tree->model());
        const QModelIndex index = model.indexOf(node);
        tree->scrollTo(index);

        QSignalSpy asked(window.get(), &TGeneMainWindow::lineageRequested);
        QAction* action = window->showLineageAction();
        bool listed = false, enabled = false;
        QTimer::singleShot(100, window.get(), [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            listed = menu && menu->actions().contains(action);
            enabled = action->isEnabled();
            if (menu)
                menu->close();
            if (enabled)
                action->trigger();
        });
        Q_EMIT tree->customContextMenuRequested(tree->visualRect(index).center());
        QVERIFY(listed);
        QCOMPARE(enabled, offered);
        QCOMPARE(asked.size(), offered ? 1 : 0);
        if (!offered)
            return;
        const GeneChange* change = result.mutatedChanges.of(result.mutatedGenes, gene);
        QCOMPARE(asked[0][0].toString(), QDir::toNativeSeparators(QFileInfo(SamplesDir + "tibb.gen").absolutePath()));
        QCOMPARE(asked[0][1].value<quint16>(), genePrint(change->examined)->geneKey());
    }

    void selectedGeneShowsItsChange_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QStringList>("comparators"); // as entered; parental derives them
        QTest::addColumn<QStringList>("names");       // the comparators' file names
        QTest::newRow("parental") << "parental" << QStringList{} << QStringList{"nela.gen", "orvo.gen"};
        QTest::newRow("dual") << "dual" << QStringList{"yeva.gen", "quin.gen"} << QStringList{"yeva.gen", "quin.gen"};
    }

    void selectedGeneShowsItsChange()
    {
        QFETCH(QString, mode);
        QFETCH(QStringList, comparators);
        QFETCH(QStringList, names);
        start(mode, comparators);
        auto* pages = child<QTabWidget>(window.get(), "PageControl1");
        auto* tree = child<QTreeView>(window.get(), "MutatedGenes");
        auto* view = child<GeneChangeView>(window.get(), "GeneChangeView");
        auto* splitter = child<QSplitter>(window.get(), "MutatedTabSplitter");
        QAction* toggle = window->showChangesAction();
        pages->setCurrentIndex(1);

        // As designed until opened: the tree fills the tree's place.
        QVERIFY(!toggle->isChecked());
        QVERIFY(view->isHidden());
        QCOMPARE(splitter->geometry().topLeft(), QPoint(16, 24));
        const int treeHeight = splitter->height();
        QCOMPARE(tree->height(), treeHeight);
        QCOMPARE(toggle->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_D));
        QCOMPARE(window->treePage(ResultPage::Mutated)->menuActions().last(), toggle);

        // The first listed gene that both comparators hold, each a gene of
        // its own (the same gene in both is one change, shown once).
        const MappingResult& result = window->result();
        const auto twoChanges = [&](std::size_t i) {
            const auto& comparators = result.mutatedChanges[i].comparators;
            return comparators.size() == 2 && !(decodedLines(comparators[0].gene) == decodedLines(comparators[1].gene));
        };
        std::size_t index = 0;
        while (index < result.mutatedChanges.size() && !twoChanges(index))
            ++index;
        QVERIFY(index < result.mutatedChanges.size());
        const GeneChange& change = result.mutatedChanges[index];
        NodeId gene = NoNode;
        for (NodeId family = result.mutatedGenes.firstTopLevel(); family != NoNode && gene == NoNode;
             family = result.mutatedGenes.nextSibling(family))
            for (NodeId n = result.mutatedGenes.firstChild(family); n != NoNode; n = result.mutatedGenes.nextSibling(n))
                if (result.mutatedChanges.of(result.mutatedGenes, n) == &change)
                    gene = n;
        QVERIFY(gene != NoNode);

        // A line under the gene will do; the small toggle opens the view.
        auto& model = static_cast<DisplayTreeModel&>(*tree->model());
        const NodeId line = result.mutatedGenes.firstChild(gene);
        tree->setCurrentIndex(model.indexOf(line == NoNode ? gene : line));
        child<QToolButton>(window.get(), "ChangesToggle")->click();
        QVERIFY(toggle->isChecked());
        QVERIFY(view->isVisible());
        // As tall as its change, up to half the page.
        const int fitted = std::max(view->minimumSizeHint().height(), std::min(view->contentHeight(), treeHeight / 2));
        QVERIFY(qAbs(view->height() - fitted) <= splitter->handleWidth());
        QVERIFY(view->height() <= treeHeight / 2 + splitter->handleWidth());

        const std::array<QTableView*, 2> tables{child<QTableView>(view, "FirstComparatorChange"),
                                                child<QTableView>(view, "SecondComparatorChange")};
        const GeneLines examined = decodedLines(change.examined);
        QStringList summaries;
        QString bytes;
        bool highlighted = false;
        for (std::size_t i = 0; i < 2; ++i) {
            QVERIFY(tables[i]->isVisible());
            const QAbstractItemModel& side = *tables[i]->model();
            const ComparatorGene& c = change.comparators[i];
            QCOMPARE(side.headerData(0, Qt::Horizontal).toString(), names[static_cast<qsizetype>(c.comparator)]);
            QCOMPARE(column(side, 0), linesOf(decodedLines(c.gene)));
            QCOMPARE(column(side, 1), linesOf(examined));
            const GeneDiff diff = diffGenes(c.gene, change.examined);
            summaries << names[static_cast<qsizetype>(c.comparator)] + QStringLiteral(": ") +
                             latin1(changeSummary(diff));
            for (const ByteChange& b : diff.bytes)
                bytes +=
                    names[static_cast<qsizetype>(c.comparator)] +
                    QStringLiteral(": byte %1: %2 -> %3\n").arg(b.offset).arg(b.comparatorValue).arg(b.examinedValue);
            for (int row = 0; row < side.rowCount(); ++row) {
                if (!side.index(row, 0).data(GeneChangeModel::ChangedRole).toBool())
                    continue;
                highlighted = true;
                QCOMPARE(side.index(row, 1).data(Qt::BackgroundRole).value<QColor>(),
                         changedLineColor(QApplication::palette()));
                QVERIFY(side.index(row, 0).data() != side.index(row, 1).data());
                // The characters that differ are marked on a side that has them.
                const auto marked = [&](int column) {
                    return side.index(row, column).data(GeneChangeModel::DifferingCharactersRole).toPoint().y();
                };
                if (!side.index(row, 0).data().toString().isEmpty() && !side.index(row, 1).data().toString().isEmpty())
                    QVERIFY(marked(0) > 0 || marked(1) > 0);
            }
        }
        QVERIFY(highlighted);
        QCOMPARE(view->summary(), summaries.join(QStringLiteral("; ")));
        QCOMPARE(child<QPlainTextEdit>(view, "DifferingBytes")->toPlainText() + u'\n', bytes);
        QVERIFY(!bytes.isEmpty());

#ifdef HELIXPLOT_CLI
        // The view's text is the command-line tool's block for this gene.
        QProcess cli;
        QStringList arguments{QStringLiteral("diff"),
                              QStringLiteral("--mode"),
                              mode,
                              QStringLiteral("--chemicals"),
                              SamplesDir + QStringLiteral("allchemicals.str"),
                              SamplesDir + QStringLiteral("tibb.gen")};
        for (const QString& file : comparators)
            arguments << SamplesDir + file;
        cli.start(QStringLiteral(HELIXPLOT_CLI), arguments);
        QVERIFY(cli.waitForFinished(30000));
        const QString printed = QString::fromLatin1(cli.readAllStandardOutput());
        QVERIFY(view->changeText().startsWith(QStringLiteral("@@ ")));
        QVERIFY2(printed.contains(view->changeText()), qPrintable(view->changeText()));
#endif
        child<QAction>(view, "CopyChanges")->trigger();
        QCOMPARE(QApplication::clipboard()->text(), view->changeText());
        // The page's copy: the selected line, then the change.
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 window->treePage(ResultPage::Mutated)->selectionText() + view->changeText());

        // Both comparators with the same gene: one table, headed with both names.
        bool sameShown = false;
        for (NodeId family = result.mutatedGenes.firstTopLevel(); family != NoNode && !sameShown;
             family = result.mutatedGenes.nextSibling(family))
            for (NodeId n = result.mutatedGenes.firstChild(family); n != NoNode && !sameShown;
                 n = result.mutatedGenes.nextSibling(n)) {
                const GeneChange* shown = result.mutatedChanges.of(result.mutatedGenes, n);
                if (!shown || shown->comparators.size() < 2 ||
                    twoChanges(static_cast<std::size_t>(shown - result.mutatedChanges.list().data())))
                    continue;
                tree->setCurrentIndex(model.indexOf(n));
                QCOMPARE(tables[0]->model()->headerData(0, Qt::Horizontal).toString(),
                         names[0] + QStringLiteral(" and ") + names[1]);
                QVERIFY(tables[1]->isHidden());
                sameShown = true;
            }

        // A family node is no gene; the view says how to get one.
        tree->setCurrentIndex(model.indexOf(result.mutatedGenes.parent(gene)));
        QCOMPARE(view->summary(), QStringLiteral("Select a mutated gene to see what changed."));
        QVERIFY(tables[0]->isHidden() && tables[1]->isHidden());
        QVERIFY(view->changeText().isEmpty());

        toggle->trigger();
        QVERIFY(view->isHidden());
    }

    // Closed, the export is the tool's page; open, every change follows it
    // as the tool's diff prints them.
    void exportCarriesTheChangesWhileTheViewIsOpen()
    {
#ifdef HELIXPLOT_CLI
        start(QStringLiteral("parental"), {});
        const QString genome = SamplesDir + QStringLiteral("tibb.gen");
        const QString chemicals = SamplesDir + QStringLiteral("allchemicals.str");
        auto run = [&](const QString& command) {
            QProcess cli;
            cli.start(QStringLiteral(HELIXPLOT_CLI), {command, QStringLiteral("--mode"), QStringLiteral("parental"),
                                                      QStringLiteral("--chemicals"), chemicals, genome});
            if (!cli.waitForFinished(30000) || cli.exitCode() != 0)
                qFatal("helixplot-cli failed");
            return cli.readAllStandardOutput();
        };
        const QByteArray map = run(QStringLiteral("map"));
        const qsizetype from = map.indexOf("== Mutated genes\n");
        const qsizetype to = map.indexOf("== Missing Genes\n");
        QVERIFY(from >= 0 && to > from);
        const QByteArray page = map.mid(from, to - from);
        const QString exported = exportDir.filePath(QStringLiteral("mutated.txt"));
        auto written = [&] {
            QFile file(exported);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        };

        window->exportPage(ResultPage::Mutated);
        QCOMPARE(written(), page);
        window->showChangesAction()->trigger();
        window->exportPage(ResultPage::Mutated);
        const QByteArray diff = run(QStringLiteral("diff"));
        QVERIFY(diff.startsWith("@@ "));
        QCOMPARE(written(), page + diff);
#else
        QSKIP("needs helixplot-cli");
#endif
    }

    void aNewRunClearsTheView()
    {
        start(QStringLiteral("parental"), {});
        auto* tree = child<QTreeView>(window.get(), "MutatedGenes");
        auto* view = child<GeneChangeView>(window.get(), "GeneChangeView");
        child<QTabWidget>(window.get(), "PageControl1")->setCurrentIndex(1);
        // Ctrl+D on the tree opens the view.
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_D, Qt::ControlModifier);
        QVERIFY(window->showChangesAction()->isChecked());
        auto& model = static_cast<DisplayTreeModel&>(*tree->model());
        const NodeId first = window->result().mutatedGenes.firstChild(window->result().mutatedGenes.firstTopLevel());
        tree->setCurrentIndex(model.indexOf(first));
        QVERIFY(!view->changeText().isEmpty());

        // The same run again: the genes the view showed are gone with the old
        // result.
        child<QPushButton>(window.get(), "Button2")->click();
        QVERIFY(window->isVisible());
        child<QTabWidget>(window.get(), "PageControl1")->setCurrentIndex(1);
        QVERIFY(view->changeText().isEmpty());
        tree->setCurrentIndex(model.indexOf(first));
        QVERIFY(view->changeText().startsWith(QStringLiteral("@@ ")));
    }
};

QTEST_MAIN(GeneChangeViewTest)
#include "geneChangeViewTest.moc"
