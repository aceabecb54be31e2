// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/displayTreeModel.h"
#include "uiTestSupport.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include <stdexcept>
#include <string>

using namespace helixplot;

namespace {

// A tree shaped like a large breakdown: sixteen families, one of them with
// thousands of children (a half-lives gene), nesting six levels deep.
void buildLargeTree(DisplayTree& tree)
{
    for (int family = 0; family < 16; ++family) {
        const NodeId top = tree.appendTopLevel("Family " + std::to_string(family));
        const int genes = family == 5 ? 4000 : 60;
        for (int gene = 0; gene < genes; ++gene) {
            const NodeId g = tree.addChild(top, "Gene " + std::to_string(gene));
            if (gene % 7 != 0)
                continue;
            NodeId deeper = g;
            for (int depth = 0; depth < 4; ++depth) {
                tree.addChild(deeper, "value");
                deeper = tree.addChild(deeper, "level " + std::to_string(depth));
            }
        }
    }
}

} // namespace

class DisplayTreeModelTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { helixplot::testing::pinCLocale(); }

    void passesTheModelTesterOnALargeTree()
    {
        DisplayTree tree;
        buildLargeTree(tree);
        QVERIFY(tree.nodeCount() > 10000);
        DisplayTreeModel model(&tree);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(model.rowCount(), 16);
        QCOMPARE(model.rowCount(model.index(5, 0)), 4000);

        // A rebuild seen by the tester: it checks the reset signals too.
        model.beginTreeChange();
        tree.clear();
        tree.appendTopLevel("only");
        model.endTreeChange();
        QCOMPARE(model.rowCount(), 1);
    }

    void indexesRoundTripThroughParents_data()
    {
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("top level") << QList<int>{3} << QStringLiteral("Family 3");
        QTest::newRow("last child of a wide node") << QList<int>{5, 3999} << QStringLiteral("Gene 3999");
        QTest::newRow("middle child of a wide node") << QList<int>{5, 2001} << QStringLiteral("Gene 2001");
        QTest::newRow("deep") << QList<int>{0, 7, 1, 1, 1, 1} << QStringLiteral("level 3");
    }

    void indexesRoundTripThroughParents()
    {
        QFETCH(QList<int>, path);
        QFETCH(QString, text);
        DisplayTree tree;
        buildLargeTree(tree);
        DisplayTreeModel model(&tree);
        QModelIndex index;
        for (int row : path) {
            const QModelIndex parent = index;
            index = model.index(row, 0, parent);
            QVERIFY(index.isValid());
            QCOMPARE(index.row(), row);
            QCOMPARE(model.parent(index), parent);
        }
        QCOMPARE(model.data(index).toString(), text);
        const NodeId node = DisplayTreeModel::nodeOf(index);
        QCOMPARE(model.indexOf(node), index);
        QCOMPARE(QString::fromLatin1(tree.text(node).data(), tree.text(node).size()), text);
    }

    void leavesNeverHaveChildren()
    {
        DisplayTree tree;
        const NodeId a = tree.appendTopLevel("A");
        tree.addChild(a, "B");
        tree.appendTopLevel("E");
        DisplayTreeModel model(&tree);
        const QModelIndex ia = model.index(0, 0);
        const QModelIndex ib = model.index(0, 0, ia);
        const QModelIndex ie = model.index(1, 0);
        QVERIFY(!(model.flags(ia) & Qt::ItemNeverHasChildren));
        QVERIFY(model.flags(ib) & Qt::ItemNeverHasChildren);
        QVERIFY(model.flags(ie) & Qt::ItemNeverHasChildren);
        QVERIFY(model.hasChildren(ia));
        QVERIFY(!model.hasChildren(ib));
        QVERIFY(!(model.flags(ia) & Qt::ItemIsEditable));
        QVERIFY(!model.index(2, 0).isValid());
        QVERIFY(!model.index(0, 1).isValid());
        QCOMPARE(model.data(ia, Qt::ToolTipRole), QVariant());
    }

    void textIsSingleByte()
    {
        DisplayTree tree;
        tree.appendTopLevel("Caf\xE9 \xB5");
        DisplayTreeModel model(&tree);
        QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("Caf\u00E9 \u00B5"));
    }

    void showsNothingWhileTheTreeChanges()
    {
        DisplayTree tree;
        tree.appendTopLevel("old");
        DisplayTreeModel model(&tree);
        QSignalSpy aboutToReset(&model, &QAbstractItemModel::modelAboutToBeReset);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

        model.beginTreeChange();
        model.beginTreeChange(); // nested: still one reset
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.index(0, 0).isValid());
        tree.clear();
        tree.appendTopLevel("new 1");
        tree.appendTopLevel("new 2");
        QCOMPARE(reset.count(), 0);
        model.endTreeChange();
        QCOMPARE(aboutToReset.count(), 1);
        QCOMPARE(reset.count(), 1);
        QCOMPARE(model.rowCount(), 2);
        QCOMPARE(model.data(model.index(1, 0)).toString(), QStringLiteral("new 2"));
    }

    void guardEndsTheChangeWhenTheBuildFails()
    {
        DisplayTree first;
        DisplayTree second;
        first.appendTopLevel("1");
        second.appendTopLevel("2");
        DisplayTreeModel a(&first);
        DisplayTreeModel b(&second);
        QSignalSpy resetA(&a, &QAbstractItemModel::modelReset);
        try {
            TreeChangeGuard guard{&a, &b};
            QCOMPARE(a.rowCount(), 0);
            QCOMPARE(b.rowCount(), 0);
            throw std::runtime_error("fails");
        } catch (const std::runtime_error&) {
        }
        QCOMPARE(resetA.count(), 1);
        QCOMPARE(a.rowCount(), 1);
        QCOMPARE(b.rowCount(), 1);
    }

    void switchesToAnotherTree()
    {
        DisplayTree first;
        first.appendTopLevel("1");
        DisplayTreeModel model(nullptr);
        QCOMPARE(model.rowCount(), 0);
        model.endTreeChange(&first);
        QCOMPARE(model.rowCount(), 1);
        QCOMPARE(model.tree(), &first);
    }

    void aViewExpandsAWideNode()
    {
        DisplayTree tree;
        buildLargeTree(tree);
        DisplayTreeModel model(&tree);
        QTreeView view;
        view.setUniformRowHeights(true);
        view.setModel(&model);
        view.resize(400, 300);
        view.show();
        const QModelIndex wide = model.index(5, 0);
        view.expand(wide);
        view.scrollTo(model.index(3999, 0, wide));
        QCoreApplication::processEvents();
        QVERIFY(view.isExpanded(wide));
        QCOMPARE(view.indexAt(view.visualRect(model.index(3999, 0, wide)).center()), model.index(3999, 0, wide));
    }
};

QTEST_MAIN(DisplayTreeModelTest)
#include "displayTreeModelTest.moc"
