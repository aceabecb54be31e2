// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/editor/genomeEditor.h"
#include "genetics/chemicalNames.h"
#include "genometext/geneLayout.h"
#include "genometext/genomeText.h"
#include "ui/commandLine.h"
#include "uiTestSupport.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QUndoStack>
#include <QtTest>

#include <memory>

using namespace helixplot;
using helixplot::testing::child;
using helixplot::testing::ErrorLog;

namespace {

const QString SamplesDir = QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/");

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The offsets at which two files differ (a length difference counts as one).
QList<qsizetype> differingBytes(const QByteArray& a, const QByteArray& b)
{
    QList<qsizetype> at;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        if (a[i] != b[i])
            at << i;
    if (a.size() != b.size())
        at << std::min(a.size(), b.size());
    return at;
}

// Where a gene's byte lies in the genome file.
qsizetype fileOffset(const GenomeEdit& genome, std::size_t gene, std::size_t offset)
{
    qsizetype at = 4;
    for (std::size_t i = 0; i < gene; ++i)
        at += 4 + HeaderBytes + bodyLength(genome.gene(i).header.type, genome.gene(i).header.subtype);
    return at + 4 + static_cast<qsizetype>(offset);
}

int firstGeneOf(const GenomeEdit& genome, GeneKind kind)
{
    for (std::size_t i = 0; i < genome.size(); ++i)
        if (genome.gene(i).is(kind) && (genome.gene(i).header.flags & GeneFlags::Mutable))
            return static_cast<int>(i);
    return -1;
}

// The genes of a genome text as blocks, the first line before them apart.
QStringList geneBlocks(const QString& text)
{
    QStringList blocks = text.split(QStringLiteral("\ngene "));
    for (qsizetype i = 1; i < blocks.size(); ++i)
        blocks[i].prepend(QStringLiteral("gene "));
    return blocks;
}

} // namespace

class GenomeEditorTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    ErrorLog errors_;
    QStringList compared_;

    std::unique_ptr<GenomeEditor> open(const QString& path)
    {
        EditorHooks hooks;
        hooks.reportError = errors_.reporter();
        hooks.compare = [this](const QString& genome, const QString& original) { compared_ = {genome, original}; };
        hooks.confirm = [](const QString&) { return true; };
        hooks.askSave = [](const QString&) { return int(GenomeEditor::Discard); };
        return std::unique_ptr<GenomeEditor>(GenomeEditor::open(path, hooks));
    }
    QString newFile(const QString& name) const { return dir_.filePath(name); }

private Q_SLOTS:
    void initTestCase() { loadChemicalNames((SamplesDir + QStringLiteral("allchemicals.str")).toStdString()); }
    void init()
    {
        errors_.texts.clear();
        compared_.clear();
    }

    void savingUnchangedGivesTheOriginalBytes_data()
    {
        QTest::addColumn<QString>("sample");
        for (const char* sample : {"tibb.gen", "nela.gen", "orvo.gen"})
            QTest::newRow(sample) << QString::fromLatin1(sample);
    }
    void savingUnchangedGivesTheOriginalBytes()
    {
        QFETCH(QString, sample);
        auto editor = open(SamplesDir + sample);
        QVERIFY(editor);
        QCOMPARE(editor->windowTitle(), sample + QStringLiteral("[*] - Genome Editor"));
        const QString saved = newFile(QStringLiteral("same-") + sample);
        child<QAction>(editor.get(), "CompareWithOriginal");
        QVERIFY(editor->saveAs(saved));
        QCOMPARE(readAll(saved), readAll(SamplesDir + sample));
        child<QAction>(editor.get(), "CompareWithOriginal")->trigger();
        QCOMPARE(compared_, QStringList({saved, SamplesDir + sample}));
    }

    // A field set through its control: the new genome differs in exactly
    // that byte, the gene's changed line is marked, and the comparison
    // lists exactly that gene.
    void oneFieldChangesExactlyItsByte_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("field");
        QTest::addColumn<std::size_t>("offset");
        QTest::addColumn<int>("value");
        QTest::addColumn<QStringList>("changedLines");
        QTest::newRow("receptor threshold typed")
            << int(GeneKind::Receptor) << QStringLiteral("threshold") << HeaderBytes + 4 << 200
            << QStringList{QStringLiteral(" Threshold Value is: 200")};
        QTest::newRow("stimulus significance typed")
            << int(GeneKind::Stimulus) << QStringLiteral("significance") << HeaderBytes + 1 << 77
            << QStringList{QStringLiteral(" Significance of 77")};
        // The chemical shows in the gene's own line and its binding line.
        QTest::newRow("emitter chemical chosen")
            << int(GeneKind::Emitter) << QStringLiteral("chemical") << HeaderBytes + 3 << 7 << QStringList();
    }
    void oneFieldChangesExactlyItsByte()
    {
        QFETCH(int, kind);
        QFETCH(QString, field);
        QFETCH(std::size_t, offset);
        QFETCH(int, value);
        QFETCH(QStringList, changedLines);
        const QString original = SamplesDir + QStringLiteral("tibb.gen");
        auto editor = open(original);
        const int gene = firstGeneOf(editor->genome(), GeneKind(kind));
        QVERIFY(gene >= 0);
        editor->selectGene(gene);
        QVERIFY(editor->changedLines().empty());
        const QByteArray name = field.toLatin1();
        if (auto* spin = editor->findChild<QSpinBox*>(field)) {
            spin->selectAll();
            QTest::keyClicks(spin, QString::number(value));
        } else
            child<QComboBox>(editor.get(), name.constData())->setCurrentIndex(value);
        QVERIFY(editor->isWindowModified());
        QStringList changed;
        for (int line : editor->changedLines())
            changed << editor->shownLines()[line];
        if (changedLines.isEmpty())
            QCOMPARE(changed.size(), 2);
        else
            QCOMPARE(changed, changedLines);

        const QString saved = newFile(QStringLiteral("one-%1.gen").arg(QTest::currentDataTag()).replace(u' ', u'-'));
        QVERIFY(editor->saveAs(saved));
        QVERIFY(!editor->isWindowModified());
        const QByteArray after = readAll(saved);
        const qsizetype at = fileOffset(editor->genome(), std::size_t(gene), offset);
        QCOMPARE(differingBytes(after, readAll(original)), QList<qsizetype>{at});
        QCOMPARE(int(static_cast<unsigned char>(after[at])), value);

        QProcess cli;
        cli.start(QStringLiteral(HELIXPLOT_CLI), {QStringLiteral("diff"), QStringLiteral("--chemicals"),
                                                  SamplesDir + QStringLiteral("allchemicals.str"), saved, original});
        QVERIFY(cli.waitForFinished(30000));
        const QString diff = QString::fromUtf8(cli.readAllStandardOutput());
        QCOMPARE(diff.count(QStringLiteral("@@ ")), 1);
        // Undone to the start, the genome has its bytes again.
        while (editor->undoStack().canUndo())
            editor->undoStack().undo();
        QCOMPARE(QByteArray::fromStdString(editor->genome().bytes()), readAll(original));
        QVERIFY(errors_.texts.isEmpty());
    }

    // Each edit of the gene list gives the genome whose text is the
    // original text with the same edit of its gene blocks.
    void geneListEditsGiveTheGenomeTheTextDescribes_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<int>("gene");
        for (const char* edit : {"duplicate", "delete", "up", "down"})
            for (int gene : {0, 5, 40})
                QTest::newRow(QStringLiteral("%1 %2").arg(QLatin1String(edit)).arg(gene).toLatin1().constData())
                    << QString::fromLatin1(edit) << gene;
    }
    void geneListEditsGiveTheGenomeTheTextDescribes()
    {
        QFETCH(QString, edit);
        QFETCH(int, gene);
        const QString original = SamplesDir + QStringLiteral("tibb.gen");
        auto editor = open(original);
        const std::string before = editor->genome().bytes();
        QStringList blocks = geneBlocks(QString::fromStdString(decompileGenome(before, ChemicalNames)));
        const int block = gene + 1;
        editor->selectGene(gene);
        if (edit == QStringLiteral("duplicate")) {
            child<QAction>(editor.get(), "Duplicate")->trigger();
            blocks.insert(block + 1, blocks[block]);
        } else if (edit == QStringLiteral("delete")) {
            child<QAction>(editor.get(), "Delete")->trigger();
            blocks.removeAt(block);
        } else {
            const int step = edit == QStringLiteral("up") ? -1 : 1;
            child<QAction>(editor.get(), edit == QStringLiteral("up") ? "MoveUp" : "MoveDown")->trigger();
            if (block + step >= 1)
                blocks.swapItemsAt(block, block + step);
        }
        // The text's comments say where a gene goes, which a move changes:
        // compare what the texts compile to.
        const CompiledGenome expected = compileGenomeText(blocks.join(u'\n').toStdString(), ChemicalNames);
        QVERIFY(expected.errors.empty());
        QCOMPARE(QByteArray::fromStdString(editor->genome().bytes()), QByteArray::fromStdString(expected.bytes));
        editor->undoStack().undo();
        QCOMPARE(editor->genome().bytes(), before);
    }

    void anAddedGeneTakesTheNextFreeIdOfItsKind_data()
    {
        QTest::addColumn<int>("kind");
        for (GeneKind kind : {GeneKind::Receptor, GeneKind::Stimulus, GeneKind::Organ})
            QTest::newRow(bodyLayout(kind).word.c_str()) << int(kind);
    }
    void anAddedGeneTakesTheNextFreeIdOfItsKind()
    {
        QFETCH(int, kind);
        auto editor = open(SamplesDir + QStringLiteral("tibb.gen"));
        std::array<bool, 256> taken{};
        for (const auto& gene : editor->genome().genes())
            if (gene.record.is(GeneKind(kind)))
                taken[gene.record.header.id] = true;
        const auto free = std::size_t(std::find(taken.begin(), taken.end(), false) - taken.begin());
        const std::size_t count = editor->genome().size();
        editor->selectGene(3);
        editor->addGene(GeneKind(kind));
        QCOMPARE(editor->genome().size(), count + 1);
        QCOMPARE(editor->currentGene(), 4);
        const GeneRecord& added = editor->genome().gene(4);
        QVERIFY(added.is(GeneKind(kind)));
        QCOMPARE(std::size_t(added.header.id), free);
        // A new gene is all changed lines, and the genome still reads.
        QCOMPARE(editor->changedLines().size(), std::size_t(editor->shownLines().size()));
        QVERIFY(
            compileGenomeText(decompileGenome(editor->genome().bytes(), ChemicalNames), ChemicalNames).errors.empty());
    }

    // Nothing is ever written over a file, the original least of all; a
    // genome that does not load opens no editor.
    void refusals_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QString>("error");
        QTest::newRow("save over the original") << SamplesDir + QStringLiteral("tibb.gen") << true
                                                << QStringLiteral("a genome is only written as a new file");
        QTest::newRow("open a file that is no genome")
            << SamplesDir + QStringLiteral("allchemicals.str") << false << QStringLiteral("Bad Gene File");
        QTest::newRow("open a missing file") << SamplesDir + QStringLiteral("none.gen") << false << QString();
    }
    void refusals()
    {
        QFETCH(QString, file);
        QFETCH(bool, opens);
        QFETCH(QString, error);
        const QByteArray bytes = readAll(file);
        auto editor = open(file);
        QCOMPARE(bool(editor), opens);
        if (editor)
            QVERIFY(!editor->saveAs(file));
        QCOMPARE(errors_.texts.size(), 1);
        QVERIFY2(errors_.texts[0].contains(error), qPrintable(errors_.texts[0]));
        QCOMPARE(readAll(file), bytes);
    }

    // The text view: an edit that compiles is the genome's, one that does
    // not is marked at its line and cannot be saved; a change in the form
    // shows in the text.
    void theTextViewKeepsInStepWithTheGenome_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<bool>("compiles");
        QTest::newRow("threshold") << QStringLiteral("  threshold ") << QStringLiteral("  threshold 201") << true;
        QTest::newRow("unknown chemical")
            << QStringLiteral("  chemical ") << QStringLiteral("  chemical \"No such\"") << false;
        QTest::newRow("value out of range") << QStringLiteral("  gain ") << QStringLiteral("  gain 256") << false;
    }
    void theTextViewKeepsInStepWithTheGenome()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(bool, compiles);
        auto editor = open(SamplesDir + QStringLiteral("tibb.gen"));
        const std::string before = editor->genome().bytes();
        child<QTabWidget>(editor.get(), "Views")->setCurrentIndex(1);
        QStringList lines = editor->textView().toPlainText().split(u'\n');
        const qsizetype line = lines.indexOf(
            QRegularExpression(QLatin1Char('^') + QRegularExpression::escape(from) + QStringLiteral(".*")));
        QVERIFY(line > 0);
        lines[line] = to;
        editor->textView().setPlainText(lines.join(u'\n'));
        editor->applyText();
        if (compiles) {
            QVERIFY(editor->textErrors().isEmpty());
            QCOMPARE(editor->genome().bytes(), compileGenomeText(lines.join(u'\n').toStdString(), ChemicalNames).bytes);
            QVERIFY(editor->genome().bytes() != before);
        } else {
            QCOMPARE(editor->textErrors().size(), 1);
            QVERIFY2(editor->textErrors()[0].startsWith(QStringLiteral("%1:").arg(line + 1)),
                     qPrintable(editor->textErrors()[0]));
            QVERIFY(!editor->saveAs(newFile(QStringLiteral("bad-text.gen"))));
            QVERIFY(!QFile::exists(newFile(QStringLiteral("bad-text.gen"))));
            QCOMPARE(editor->genome().bytes(), before);
            return;
        }
        // A change in the form is in the text at once.
        editor->setGeneByte(0, 2, 0x42);
        QVERIFY(editor->textView().toPlainText().contains(QStringLiteral("\n  id 66\n")));
        editor->undoStack().undo();
        editor->undoStack().undo();
        QCOMPARE(editor->genome().bytes(), before);
    }

    void editOnTheCommandLine_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("edit");
        QTest::addColumn<QString>("error");
        QTest::newRow("a genome") << QStringList{QStringLiteral("--edit"), QStringLiteral("a.gen")}
                                  << QStringLiteral("a.gen") << QString();
        QTest::newRow("with a comparator")
            << QStringList{QStringLiteral("--edit"), QStringLiteral("a.gen"), QStringLiteral("b.gen")} << QString()
            << QStringLiteral("--edit opens one genome in the editor: no other files, mode or folder with it.\n");
        QTest::newRow("without a genome")
            << QStringList{QStringLiteral("--edit")} << QString() << QStringLiteral("Missing value after '--edit'.\n");
    }
    void editOnTheCommandLine()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, edit);
        QFETCH(QString, error);
        const CommandLine line = parseCommandLine(QStringList{QStringLiteral("helixplot")} + arguments);
        QCOMPARE(line.edit, edit);
        QCOMPARE(int(line.action), error.isEmpty() ? int(CommandLine::Run) : int(CommandLine::Error));
        QVERIFY2(line.output.startsWith(error), qPrintable(line.output));
    }

    // Ending the program (the main window's "Close Helixplot") first asks
    // an editor with unsaved changes; Cancel keeps it and the program.
    void endingTheProgramAsksAboutUnsavedChanges()
    {
        EditorHooks hooks;
        hooks.reportError = errors_.reporter();
        QStringList asked;
        hooks.askSave = [&asked](const QString& question) {
            asked << question;
            return int(GenomeEditor::Cancel);
        };
        std::unique_ptr<GenomeEditor> editor(GenomeEditor::open(SamplesDir + QStringLiteral("tibb.gen"), hooks));
        editor->setGeneByte(0, 2, 0x42);
        QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });
        QTimer::singleShot(200, qApp, [] { QCoreApplication::exit(7); });
        QCOMPARE(QCoreApplication::exec(), 7);
        QCOMPARE(asked,
                 QStringList{QStringLiteral("tibb.gen has changes that are not saved. Save them as a new genome?")});
        QVERIFY(editor->isVisible());
    }

    // The list groups genes as the breakdown does; the filter keeps a kind's
    // genes and the organs they hang under.
    void theGeneListGroupsAndFilters_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<int>("kind");
        QTest::newRow("receptors") << QStringLiteral("receptor") << int(GeneKind::Receptor);
        QTest::newRow("lobes") << QStringLiteral("BRAIN-LOBE") << int(GeneKind::BrainLobe);
        QTest::newRow("stimuli") << QStringLiteral("stimulus:") << int(GeneKind::Stimulus);
    }
    void theGeneListGroupsAndFilters()
    {
        QFETCH(QString, filter);
        QFETCH(int, kind);
        auto editor = open(SamplesDir + QStringLiteral("tibb.gen"));
        auto* list = child<QTreeWidget>(editor.get(), "Genes");
        child<QLineEdit>(editor.get(), "Filter")->setText(filter);
        int shown = 0;
        int kindCount = 0;
        for (std::size_t i = 0; i < editor->genome().size(); ++i)
            kindCount += editor->genome().gene(i).is(GeneKind(kind));
        for (QTreeWidgetItemIterator it(list, QTreeWidgetItemIterator::NotHidden); *it; ++it) {
            const GeneRecord& gene = editor->genome().gene(std::size_t((*it)->data(0, Qt::UserRole).toInt()));
            const bool organ = gene.is(GeneKind::Organ) || gene.is(GeneKind::BrainOrgan);
            QVERIFY(gene.is(GeneKind(kind)) || (organ && (*it)->childCount() > 0));
            // An attached gene lies under its organ, a loose one at the top.
            QCOMPARE(bool((*it)->parent()),
                     editor->genome().slots()[std::size_t((*it)->data(0, Qt::UserRole).toInt())].place ==
                         GenePlace::Attached);
            shown += gene.is(GeneKind(kind));
        }
        QCOMPARE(shown, kindCount);
        QVERIFY(kindCount > 0);
    }

    // A dropped genome opens in an editor of its own once the drop has
    // returned; other files are not taken.
    void aDroppedGenomeOpensItsOwnEditor_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("opened");
        QTest::newRow("genome") << QStringLiteral("nela.gen") << 1;
        QTest::newRow("chemical names") << QStringLiteral("allchemicals.str") << 0;
    }
    void aDroppedGenomeOpensItsOwnEditor()
    {
        QFETCH(QString, file);
        QFETCH(int, opened);
        auto editor = open(SamplesDir + QStringLiteral("tibb.gen"));
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(SamplesDir + file)});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(editor.get(), &enter);
        QCOMPARE(enter.isAccepted(), opened == 1);
        if (opened == 1) {
            QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(editor.get(), &drop);
        }
        auto editors = [] {
            QList<GenomeEditor*> found;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (auto* e = qobject_cast<GenomeEditor*>(top); e && e->isVisible())
                    found << e;
            return found;
        };
        QCOMPARE(editors().size(), 1); // nothing yet while the drop runs
        QCoreApplication::processEvents();
        const QList<GenomeEditor*> now = editors();
        QCOMPARE(now.size(), 1 + opened);
        for (GenomeEditor* other : now)
            if (other != editor.get()) {
                QCOMPARE(other->windowTitle(), file + QStringLiteral("[*] - Genome Editor"));
                other->close();
            }
        QCoreApplication::processEvents();
    }

    // Moving the gene right after an organ up takes it off that organ: the
    // editor asks first, and No leaves the genome as it was.
    void aMoveThatChangesTheOrganAsksFirst_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("no") << false;
        QTest::newRow("yes") << true;
    }
    void aMoveThatChangesTheOrganAsksFirst()
    {
        QFETCH(bool, answer);
        EditorHooks hooks;
        hooks.reportError = errors_.reporter();
        QStringList asked;
        hooks.confirm = [&](const QString& question) {
            asked << question;
            return answer;
        };
        std::unique_ptr<GenomeEditor> editor(GenomeEditor::open(SamplesDir + QStringLiteral("tibb.gen"), hooks));
        const GenomeEdit& genome = editor->genome();
        std::size_t gene = 1;
        while (gene < genome.size() && genome.organGeneOf(gene) != gene - 1)
            ++gene;
        QVERIFY(gene < genome.size());
        const std::string before = genome.bytes();
        editor->selectGene(int(gene));
        child<QAction>(editor.get(), "MoveUp")->trigger();
        QCOMPARE(asked.size(), 1);
        QVERIFY2(asked[0].startsWith(QStringLiteral("After this move, gene %1 attaches to ").arg(gene)),
                 qPrintable(asked[0]));
        QCOMPARE(genome.bytes() == before, !answer);
        // A move within an organ's genes asks nothing.
        asked.clear();
        editor->selectGene(int(gene) + (answer ? 1 : 2));
        if (genome.organGeneOf(std::size_t(editor->currentGene())) ==
            genome.organGeneOf(std::size_t(editor->currentGene()) - 1)) {
            child<QAction>(editor.get(), "MoveUp")->trigger();
            QVERIFY(asked.isEmpty());
        }
    }

    void everyControlHasAnAccessibleName()
    {
        auto editor = open(SamplesDir + QStringLiteral("tibb.gen"));
        for (GeneKind kind : {GeneKind::Receptor, GeneKind::Stimulus, GeneKind::HalfLives, GeneKind::Genus}) {
            editor->selectGene(firstGeneOf(editor->genome(), kind));
            for (QWidget* control : editor->findChildren<QWidget*>())
                if (control->focusPolicy() != Qt::NoFocus && control->isVisibleTo(editor.get()) &&
                    !qobject_cast<QAbstractScrollArea*>(control->parentWidget()))
                    QVERIFY2(!control->accessibleName().isEmpty() || !control->property("text").toString().isEmpty(),
                             control->metaObject()->className());
        }
    }
};

QTEST_MAIN(GenomeEditorTest)
#include "genomeEditorTest.moc"
