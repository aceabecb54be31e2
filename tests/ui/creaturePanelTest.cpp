// SPDX-License-Identifier: GPL-3.0-or-later
// The population window's workbench: the table taking a change of the
// folder row by row, the creature panel, the filtered export and Reload.
#include "ui/population/populationModel.h"
#include "ui/population/populationSession.h"
#include "uiTestSupport.h"

#include <QAbstractItemModelTester>
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

// Variants of one gene from their bodies, one carrier row each.
GeneVariants variantsOf(const std::vector<std::uint64_t>& bodies)
{
    GeneVariants variants;
    variants.geneKey = 7;
    for (const std::uint64_t body : bodies) {
        variants.ofRow.push_back(static_cast<int>(variants.variants.size()));
        variants.variants.push_back({body, std::nullopt, variants.ofRow.size() - 1, 1});
    }
    variants.ofRow.push_back(-1); // a genome without the gene
    return variants;
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

private Q_SLOTS:
    void initTestCase() { testing::pinCLocale(); }

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

    void keepsTheNumbersOfSurvivingVariants_data()
    {
        QTest::addColumn<std::vector<std::uint64_t>>("before");
        QTest::addColumn<std::vector<std::uint64_t>>("after");
        // Per variant of after, its number; -1 for the genome without it.
        QTest::addColumn<std::vector<int>>("numbers");
        QTest::addColumn<int>("count");
        QTest::newRow("the same") << std::vector<std::uint64_t>{10, 20} << std::vector<std::uint64_t>{10, 20}
                                  << std::vector<int>{0, 1, -1} << 2;
        // The founder whose version came first is gone: the others keep theirs.
        QTest::newRow("the first gone") << std::vector<std::uint64_t>{10, 20, 30} << std::vector<std::uint64_t>{20, 30}
                                        << std::vector<int>{1, 2, -1} << 3;
        QTest::newRow("a new one comes last")
            << std::vector<std::uint64_t>{10, 20} << std::vector<std::uint64_t>{30, 10, 20}
            << std::vector<int>{2, 0, 1, -1} << 3;
        QTest::newRow("the last gone leaves no gap")
            << std::vector<std::uint64_t>{10, 20} << std::vector<std::uint64_t>{10} << std::vector<int>{0, -1} << 1;
    }

    void keepsTheNumbersOfSurvivingVariants()
    {
        QFETCH(std::vector<std::uint64_t>, before);
        QFETCH(std::vector<std::uint64_t>, after);
        QFETCH(std::vector<int>, numbers);
        QFETCH(int, count);
        GeneVariants next = variantsOf(after);
        keepVariantNumbers(variantsOf(before), next);
        QCOMPARE(next.ofRow, numbers);
        QCOMPARE(int(next.variants.size()), count);
        for (std::size_t row = 0; row < after.size(); ++row)
            QCOMPARE(next.variants[std::size_t(next.ofRow[row])].body, after[row]);
    }
};

QTEST_MAIN(CreaturePanelTest)
#include "creaturePanelTest.moc"
