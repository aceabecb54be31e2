// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/breakdownDump.h"
#include "writers/safeOutput.h"
#include "genomeBuilder.h"
#include "uiTestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <cstdio>
#include <filesystem>
#include <memory>

using namespace helixplot;

namespace {

QByteArray readAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

// Builds a tree from lines with one leading space per level.
void buildTree(DisplayTree& tree, const QStringList& lines)
{
    std::vector<NodeId> path;
    for (const QString& line : lines) {
        qsizetype depth = 0;
        while (depth < line.size() && line[depth] == u' ')
            ++depth;
        path.resize(static_cast<std::size_t>(depth));
        const std::string text = line.mid(depth).toStdString();
        path.push_back(depth == 0 ? tree.appendTopLevel(text) : tree.addChild(path.back(), text));
    }
}

QString textOf(const QModelIndex& index)
{
    return index.isValid() ? index.data().toString() : QStringLiteral("(none)");
}

} // namespace

class BreakdownDumpTest : public QObject {
    Q_OBJECT

    std::unique_ptr<helixplot::testing::TempDir> dir;
    QString path;
    DisplayTree tree;
    std::unique_ptr<DisplayTreeModel> model;
    std::unique_ptr<QTreeView> view;

    void show(const QStringList& lines)
    {
        tree.clear();
        buildTree(tree, lines);
        model = std::make_unique<DisplayTreeModel>(&tree);
        view = std::make_unique<QTreeView>();
        view->setModel(model.get());
        view->show();
    }

private Q_SLOTS:
    void initTestCase()
    {
        helixplot::testing::pinCLocale();
        dir = std::make_unique<helixplot::testing::TempDir>();
        path = QString::fromStdString(dir->file("moop.txt"));
    }

    void cleanup()
    {
        view.reset();
        model.reset();
    }

    void dumps_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("five nodes") << QStringList{"A", " B", "  D", " C", "E"}
                                    << QByteArray("A\r\n B\r\n  D\r\n C\r\nE\r\n");
        QTest::newRow("empty tree") << QStringList{} << QByteArray();
        QTest::newRow("empty text keeps its indentation")
            << QStringList{"A", " ", "  D"} << QByteArray("A\r\n \r\n  D\r\n");
        QTest::newRow("one leaf") << QStringList{"only"} << QByteArray("only\r\n");
    }

    void dumps()
    {
        QFETCH(QStringList, lines);
        QFETCH(QByteArray, file);
        show(lines);
        dumpBreakdown(*view, *model, path);
        QCOMPARE(readAll(path), file);
    }

    void walksWithExpandSelectAndCollapse()
    {
        show({"A", " B", "  D", " C", "E"});
        QStringList current;
        QStringList expanded;
        QStringList collapsed;
        connect(view->selectionModel(), &QItemSelectionModel::currentChanged, this,
                [&](const QModelIndex& index) { current << textOf(index); });
        connect(view.get(), &QTreeView::expanded, this, [&](const QModelIndex& index) { expanded << textOf(index); });
        connect(view.get(), &QTreeView::collapsed, this, [&](const QModelIndex& index) { collapsed << textOf(index); });
        dumpBreakdown(*view, *model, path);
        QCOMPARE(current, (QStringList{"A", "B", "D", "B", "C", "A", "E", "(none)"}));
        QCOMPARE(expanded, (QStringList{"A", "B"}));
        QCOMPARE(collapsed, (QStringList{"B", "A"}));
        QVERIFY(!view->selectionModel()->hasSelection());
        QVERIFY(!view->isExpanded(model->index(0, 0)));
    }

    void leavesEverythingCollapsedThatWasOpen()
    {
        show({"A", " B", "  D", " C", "E", " F"});
        view->expandAll();
        dumpBreakdown(*view, *model, path);
        QVERIFY(!view->isExpanded(model->index(0, 0)));
        QVERIFY(!view->isExpanded(model->index(0, 0, model->index(0, 0))));
        QVERIFY(!view->isExpanded(model->index(1, 0)));
    }

    void aSecondDumpRewritesTheFile()
    {
        show({"A long first tree", " with children", "and more"});
        dumpBreakdown(*view, *model, path);
        show({"E"});
        dumpBreakdown(*view, *model, path);
        QCOMPARE(readAll(path), QByteArray("E\r\n"));
    }

    void singleByteTextIsWrittenAsIs()
    {
        tree.clear();
        tree.appendTopLevel("Caf\xE9");
        model = std::make_unique<DisplayTreeModel>(&tree);
        view = std::make_unique<QTreeView>();
        view->setModel(model.get());
        dumpBreakdown(*view, *model, path);
        QCOMPARE(readAll(path), QByteArray("Caf\xE9\r\n"));
    }

    void fileErrors_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("message");
        QTest::newRow("folder in the way") << "folder"
                                           << "File access denied";
        QTest::newRow("missing folder") << "missing/moop.txt"
                                        << "Path not found";
    }

    void fileErrors()
    {
        QFETCH(QString, target);
        QFETCH(QString, message);
        std::filesystem::create_directories(dir->file("folder"));
        show({"A"});
        try {
            dumpBreakdown(*view, *model, QString::fromStdString(dir->file(target.toStdString())));
            QFAIL("no error");
        } catch (const InOutError& error) {
            QCOMPARE(QString::fromLatin1(error.what()), message);
        }
        QVERIFY(!QApplication::overrideCursor());
    }

    // The dump passes the checks of every output: Helixplot's own refusal
    // names the file, and the genome stays as it was.
    void aLinkToAGenomeIsRefused()
    {
#ifdef _WIN32
        QSKIP("symbolic links need privileges on Windows");
#else
        const std::string genome = dir->file("kid.gen");
        const std::string link = dir->file("genome-link.txt");
        helixplot::testing::writeFile(genome, "dna2gene");
        std::filesystem::create_symlink(genome, link);
        show({"A"});
        try {
            dumpBreakdown(*view, *model, QString::fromStdString(link));
            QFAIL("no error");
        } catch (const OutputError& error) {
            QCOMPARE(QString::fromLatin1(error.what()),
                     QString::fromStdString(link + ": Helixplot never writes a genome file"));
        }
        QCOMPARE(readAll(QString::fromStdString(genome)), QByteArray("dna2gene"));
#endif
    }

    void aFileWithoutWritePermission()
    {
        const std::string locked = dir->file("locked.txt");
        helixplot::testing::writeFile(locked, "old");
        std::filesystem::permissions(locked, std::filesystem::perms::owner_read);
        // The superuser may write anywhere, and so may Wine run as root.
        if (std::FILE* writable = std::fopen(locked.c_str(), "r+")) {
            std::fclose(writable);
            QSKIP("this user may write a read-only file");
        }
        show({"A"});
        QVERIFY_THROWS_EXCEPTION(InOutError, dumpBreakdown(*view, *model, QString::fromStdString(locked)));
    }
};

QTEST_MAIN(BreakdownDumpTest)
#include "breakdownDumpTest.moc"
