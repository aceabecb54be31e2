// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeBuilder.h"
#include "ui/unitLoadGenome.h"
#include "uiTestSupport.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>

#include <sys/stat.h>

using namespace helixplot;
using helixplot::testing::child;
using helixplot::testing::GenomeBuilder;
using helixplot::testing::genusGene;
using helixplot::testing::makeGene;

namespace {

// Genus, one organ with two receptors, and a few loose genes; two carried.
GenomeBuilder family(std::string_view mother, std::string_view father)
{
    GenomeBuilder builder;
    builder.add(genusGene(mother, father))
        .add(makeGene(2, 2, {.id = 1, .flags = GeneFlags::Carried}))
        .add(makeGene(3, 0, 1))
        .add(makeGene(1, 0, {.id = 2, .flags = GeneFlags::Carried}))
        .add(makeGene(1, 0, 3))
        .add(makeGene(1, 3, 4))
        .end();
    return builder;
}

QString q(const std::string& path)
{
    return QString::fromStdString(path);
}

// A folder as Qt names it: '/' between the names, on every system.
QString folder(const QString& path)
{
    return QDir(path).absolutePath();
}

constexpr const char* InvalidLine = " -- Invalid Filename or Bad gene file --";

} // namespace

class LoadGenomeTest : public QObject {
    Q_OBJECT

    std::unique_ptr<helixplot::testing::TempDir> dir;
    helixplot::testing::ErrorLog errors;
    QStringList chosenFiles;                            // what the file dialog "returns", one per click
    QList<QStringList> fileDialogs;                     // how the file dialog was set up, one per click
    std::function<void(QFileDialog&)> userInFileDialog; // what the user does there, if anything
    std::unique_ptr<TLoadGenome> dialog;

    QString file(const char* name) const { return q(dir->file(name)); }
    QLineEdit* edit(int tag) const
    {
        static const char* names[] = {"GenomeFileName", "MotherFile", "FatherFile"};
        return child<QLineEdit>(dialog.get(), names[tag]);
    }
    QRadioButton* radio(const char* name) const { return child<QRadioButton>(dialog.get(), name); }
    QPushButton* acceptButton() const { return child<QPushButton>(dialog.get(), "Button1"); }
    QTabWidget* pages() const { return child<QTabWidget>(dialog.get(), "GenePages"); }
    QStringList summary() const
    {
        QStringList lines;
        auto* list = child<QListWidget>(dialog.get(), "GeneInfo");
        for (int i = 0; i < list->count(); ++i)
            lines << list->item(i)->text();
        return lines;
    }
    QList<bool> visiblePages() const
    {
        return {pages()->isTabVisible(0), pages()->isTabVisible(1), pages()->isTabVisible(2)};
    }
    bool grey(int tag) const
    {
        const QPalette standard = QApplication::palette(edit(tag));
        return edit(tag)->palette().color(QPalette::Base) == standard.color(QPalette::Button);
    }
    bool white(int tag) const
    {
        const QPalette standard = QApplication::palette(edit(tag));
        return edit(tag)->palette().color(QPalette::Base) == standard.color(QPalette::Base);
    }

private Q_SLOTS:
    void initTestCase()
    {
        helixplot::testing::pinCLocale();
        dir = std::make_unique<helixplot::testing::TempDir>();
        family("ABCD", "EFGH").writeTo(dir->file("child.gen"));
        family("MUMM", "DADD").writeTo(dir->file("ABCD.gen"));
        family("GRAN", "PAPA").writeTo(dir->file("EFGH.gen"));
        family(std::string_view("A\0CD", 4), "EFGH").writeTo(dir->file("zero.gen"));
        family("ABCD", "NONE").writeTo(dir->file("orphan.gen"));
        GenomeBuilder().end().writeTo(dir->file("empty.gen"));
        helixplot::testing::writeFile(dir->file("magic.gen"), "dnax");
        helixplot::testing::writeFile(dir->file("marker.gen"), "dna2genx1234567");
        helixplot::testing::writeFile(dir->file("short.gen"), "dn");
        helixplot::testing::writeFile(dir->file("zerobytes.gen"), "");
        helixplot::testing::writeFile(dir->file("header.gen"), std::string("dna2gene\x02\x00\x01", 11));
        const std::string stimulus = GenomeBuilder{helixplot::testing::makeGene(2, 0, 1, {5, 5})}.bytes();
        helixplot::testing::writeFile(dir->file("body.gen"), stimulus.substr(0, stimulus.size() - 1));
        // A kind with no known body: its real body is then read as a marker.
        helixplot::testing::writeFile(dir->file("unknown.gen"),
                                      std::string("dna2gene\x04\x00\x01\x00\x00\x00\x00", 15) + "BODYBYTES" +
                                          stimulus.substr(4));
        std::filesystem::create_directory(dir->file("folder.gen"));
        // Parents' names that are no plain file names, and a parent that is
        // a FIFO nobody writes to.
        family("../E", "EFGH").writeTo(dir->file("updir.gen"));
        family("\x1b[2J", "EFGH").writeTo(dir->file("escape.gen"));
        family("FIFO", "EFGH").writeTo(dir->file("fifomum.gen"));
#ifndef _WIN32 // no FIFOs on Windows
        QCOMPARE(::mkfifo(dir->file("FIFO.gen").c_str(), 0600), 0);
#endif
    }

    void cleanupTestCase()
    {
        dir.reset();
    }

    void init()
    {
        errors.texts.clear();
        chosenFiles.clear();
        fileDialogs.clear();
        userInFileDialog = {};
        dialog = std::make_unique<TLoadGenome>(errors.reporter(), [this](QFileDialog& d) {
            fileDialogs << QStringList{d.objectName(), d.nameFilters().join(u'|'), d.defaultSuffix(),
                                       d.fileMode() == QFileDialog::ExistingFile ? QStringLiteral("existing file")
                                                                                 : QStringLiteral("other mode"),
                                       d.directory().absolutePath()};
            if (userInFileDialog)
                userInFileDialog(d);
            return chosenFiles.isEmpty() ? QString() : chosenFiles.takeFirst();
        });
        dialog->setInitialDirectory(q(dir->path()));
        dialog->show();
    }

    void cleanup()
    {
        dialog.reset();
        QVERIFY2(errors.texts.isEmpty() || QTest::currentTestFailed(), qPrintable(errors.texts.join(u'|')));
    }

    void firstShowing()
    {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("Load Genome into Helixplot"));
        QVERIFY(radio("Breakdown")->isChecked());
        QCOMPARE(edit(0)->text(), QString());
        QCOMPARE(edit(1)->text(), QStringLiteral("Mother File"));
        QCOMPARE(edit(2)->text(), QStringLiteral("Father File"));
        QVERIFY(!acceptButton()->isEnabled());
        QVERIFY(acceptButton()->isDefault());
        QCOMPARE(summary(), QStringList{InvalidLine});
        QCOMPARE(visiblePages(), (QList<bool>{true, false, false}));
        QCOMPARE(pages()->currentIndex(), 0);
        QCOMPARE(pages()->tabText(0), QStringLiteral("Genome under examination"));
        QCOMPARE(pages()->tabText(1), QStringLiteral("Mother Genome"));
        QCOMPARE(pages()->tabText(2), QStringLiteral("Father Genome"));
        QVERIFY(dialog->mappingMode() == MappingMode::Breakdown);
        QVERIFY(dialog->genomeSlots().ExaminedGenome == nullptr);
    }

    void modePages_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QList<bool>>("shown");
        // Mother and father edits: 'e' editable white, 'r' read-only grey.
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QList<bool>>("buttons"); // LoadMother, LoadFather enabled
        QTest::addColumn<int>("mode");
        QTest::newRow("parental") << "Breakdown"
                                  << "Parents" << QList<bool>{true, true, true} << "rr" << QList<bool>{false, false}
                                  << 2;
        QTest::newRow("single") << "Breakdown"
                                << "Single" << QList<bool>{true, true, false} << "ee" << QList<bool>{true, false} << 1;
        QTest::newRow("dual") << "Breakdown"
                              << "Dual" << QList<bool>{true, true, true} << "ee" << QList<bool>{true, true} << 2;
        QTest::newRow("parental to breakdown keeps edits")
            << "Parents"
            << "Breakdown" << QList<bool>{true, false, false} << "rr" << QList<bool>{false, false} << 0;
        QTest::newRow("parental to single leaves the father")
            << "Parents"
            << "Single" << QList<bool>{true, true, false} << "er" << QList<bool>{true, false} << 1;
        QTest::newRow("parental to dual")
            << "Parents"
            << "Dual" << QList<bool>{true, true, true} << "ee" << QList<bool>{true, true} << 2;
        QTest::newRow("dual to single disables the father's button")
            << "Dual"
            << "Single" << QList<bool>{true, true, false} << "ee" << QList<bool>{true, false} << 1;
    }

    void modePages()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QList<bool>, shown);
        QFETCH(QString, edits);
        QFETCH(QList<bool>, buttons);
        QFETCH(int, mode);
        radio(qPrintable(from))->click();
        pages()->setCurrentIndex(pages()->isTabVisible(2) ? 2 : 0);
        radio(qPrintable(to))->click();
        QCOMPARE(visiblePages(), shown);
        QCOMPARE(pages()->currentIndex(), 0);
        for (int tag : {1, 2}) {
            const bool editable = edits[tag - 1] == u'e';
            QCOMPARE(edit(tag)->isReadOnly(), !editable);
            QVERIFY(editable ? white(tag) : grey(tag));
        }
        QCOMPARE(child<QToolButton>(dialog.get(), "LoadMother")->isEnabled(), buttons[0]);
        QCOMPARE(child<QToolButton>(dialog.get(), "LoadFather")->isEnabled(), buttons[1]);
        QVERIFY(child<QToolButton>(dialog.get(), "LoadGenome")->isEnabled());
        QVERIFY(child<QToolButton>(dialog.get(), "LoadGenome")->autoRaise());
        QCOMPARE(static_cast<int>(dialog->mappingMode()), mode);
        QVERIFY(radio(qPrintable(to))->isChecked());
        QVERIFY(!radio(qPrintable(from))->isChecked());
    }

    void breakdownAcceptsAnExistingGenome()
    {
        edit(0)->setText(file("child.gen"));
        QVERIFY(acceptButton()->isEnabled());
        QCOMPARE(summary(), (QStringList{"Mother: ABCD, Father: EFGH", "Total Genes: 6", "Organ Count: 1 (2 genes)",
                                         "Carried Genes: 2"}));
        QVERIFY(dialog->genomeSlots().ExaminedGenome != nullptr);
        edit(0)->setText(file("nothing.gen"));
        QVERIFY(!acceptButton()->isEnabled());
        QVERIFY(dialog->genomeSlots().ExaminedGenome == nullptr);
        QCOMPARE(summary(), QStringList{InvalidLine});
    }

    void geneTotalIsTheNumberOfGenesInTheFile()
    {
        GenomeBuilder big;
        big.add(genusGene("ABCD", "EFGH"));
        for (int organ = 0; organ < 3; ++organ) {
            big.add(makeGene(3, 0, static_cast<std::uint8_t>(organ)));
            for (int r = 0; r < 13; ++r)
                big.add(makeGene(1, static_cast<std::uint8_t>(r % 3), static_cast<std::uint8_t>(r)));
        }
        for (int g = 0; g < 199; ++g)
            big.add(makeGene(2, 0,
                             {.id = static_cast<std::uint8_t>(g),
                              .flags = static_cast<std::uint8_t>(g < 5 ? GeneFlags::Carried : 0)}));
        big.end().writeTo(dir->file("big.gen"));
        edit(0)->setText(file("big.gen"));
        QCOMPARE(summary(), (QStringList{"Mother: ABCD, Father: EFGH", "Total Genes: 242", "Organ Count: 3 (39 genes)",
                                         "Carried Genes: 5"}));
    }

    void parentalDerivation_data()
    {
        QTest::addColumn<QString>("examined");
        QTest::addColumn<QString>("mother");
        QTest::addColumn<QString>("father");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("both parents exist") << "child.gen"
                                            << "ABCD.gen"
                                            << "EFGH.gen" << true;
        QTest::newRow("father missing") << "orphan.gen"
                                        << "ABCD.gen"
                                        << "NONE.gen" << false;
        QTest::newRow("zero byte in the mother's name") << "zero.gen"
                                                        << "A.gen"
                                                        << "EFGH.gen" << false;
        QTest::newRow("no loose gene: no names") << "empty.gen"
                                                 << ""
                                                 << "" << false;
        QTest::newRow("a parent's name leading out of the folder") << "updir.gen"
                                                                   << ""
                                                                   << "EFGH.gen" << false;
        QTest::newRow("an escape sequence as a parent's name") << "escape.gen"
                                                               << ""
                                                               << "EFGH.gen" << false;
        QTest::newRow("a parent that is a FIFO") << "fifomum.gen"
                                                 << "FIFO.gen"
                                                 << "EFGH.gen" << false;
    }

    void parentalDerivation()
    {
        QFETCH(QString, examined);
        QFETCH(QString, mother);
        QFETCH(QString, father);
        QFETCH(bool, accepted);
        radio("Parents")->click();
        edit(0)->setText(file(qPrintable(examined)));
        const QString folder = q(dir->path()) + u'/';
        QCOMPARE(edit(1)->text(), mother.isEmpty() ? QString() : folder + mother);
        QCOMPARE(edit(2)->text(), father.isEmpty() ? QString() : folder + father);
        QCOMPARE(acceptButton()->isEnabled(), accepted);
        QCOMPARE(dialog->genomeSlots().MotherGenome != nullptr,
                 std::filesystem::is_regular_file(edit(1)->text().toStdString()));
        QCOMPARE(dialog->genomeSlots().FatherGenome != nullptr,
                 std::filesystem::is_regular_file(edit(2)->text().toStdString()));
    }

    void switchingToParentalDerivesFromTheExaminedName()
    {
        edit(0)->setText(file("child.gen"));
        radio("Parents")->click();
        QCOMPARE(edit(0)->text(), file("child.gen"));
        QCOMPARE(edit(1)->text(), file("ABCD.gen"));
        QCOMPARE(edit(2)->text(), file("EFGH.gen"));
        QVERIFY(acceptButton()->isEnabled());
        QVERIFY(dialog->genomeSlots().ExaminedGenome && dialog->genomeSlots().MotherGenome &&
                dialog->genomeSlots().FatherGenome);
    }

    void acceptRule_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("examined");
        QTest::addColumn<QString>("mother");
        QTest::addColumn<QString>("father");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("breakdown ignores comparators") << "Breakdown"
                                                       << "child.gen"
                                                       << "x.gen"
                                                       << "y.gen" << true;
        QTest::newRow("single, mother names no file") << "Single"
                                                      << "child.gen"
                                                      << "x.gen"
                                                      << "EFGH.gen" << false;
        QTest::newRow("single ignores the father") << "Single"
                                                   << "child.gen"
                                                   << "ABCD.gen"
                                                   << "y.gen" << true;
        QTest::newRow("single, examined missing") << "Single"
                                                  << "x.gen"
                                                  << "ABCD.gen"
                                                  << "EFGH.gen" << false;
        QTest::newRow("dual, all three") << "Dual"
                                         << "child.gen"
                                         << "ABCD.gen"
                                         << "EFGH.gen" << true;
        QTest::newRow("dual, father missing") << "Dual"
                                              << "child.gen"
                                              << "ABCD.gen"
                                              << "y.gen" << false;
        QTest::newRow("dual, mother missing") << "Dual"
                                              << "child.gen"
                                              << "x.gen"
                                              << "EFGH.gen" << false;
        QTest::newRow("dual, a folder is no file") << "Dual"
                                                   << "child.gen"
                                                   << "folder.gen"
                                                   << "EFGH.gen" << false;
    }

    void acceptRule()
    {
        QFETCH(QString, mode);
        QFETCH(QString, examined);
        QFETCH(QString, mother);
        QFETCH(QString, father);
        QFETCH(bool, accepted);
        radio("Dual")->click();
        edit(1)->setText(file(qPrintable(mother)));
        edit(2)->setText(file(qPrintable(father)));
        radio(qPrintable(mode))->click();
        edit(0)->setText(file(qPrintable(examined)));
        QCOMPARE(acceptButton()->isEnabled(), accepted);
        // Whatever the order of the changes, the last one decides.
        edit(0)->setText(QString());
        edit(0)->setText(file(qPrintable(examined)));
        QCOMPARE(acceptButton()->isEnabled(), accepted);
    }

    void parentalToDualKeepsTheDerivedNames()
    {
        radio("Parents")->click();
        edit(0)->setText(file("child.gen"));
        radio("Dual")->click();
        QCOMPARE(edit(1)->text(), file("ABCD.gen"));
        QCOMPARE(edit(2)->text(), file("EFGH.gen"));
        QVERIFY(!edit(1)->isReadOnly());
        QVERIFY(!edit(2)->isReadOnly());
        QVERIFY(white(1) && white(2));
        QVERIFY(acceptButton()->isEnabled());
    }

    void switchingPagesRefreshesTheSummary()
    {
        radio("Dual")->click();
        edit(0)->setText(file("child.gen"));
        edit(1)->setText(file("missing.gen"));
        edit(2)->setText(file("EFGH.gen"));
        pages()->setCurrentIndex(1);
        QCOMPARE(summary(), QStringList{InvalidLine});
        pages()->setCurrentIndex(2);
        QCOMPARE(summary().value(0), QStringLiteral("Mother: GRAN, Father: PAPA"));
        pages()->setCurrentIndex(0);
        QCOMPARE(summary().value(0), QStringLiteral("Mother: ABCD, Father: EFGH"));
    }

    void aLoadOnAnotherPageLeavesTheSummary()
    {
        radio("Dual")->click();
        edit(0)->setText(file("child.gen"));
        pages()->setCurrentIndex(1);
        QCOMPARE(summary(), QStringList{InvalidLine});
        edit(2)->setText(file("EFGH.gen")); // the father's page is not active
        QCOMPARE(summary(), QStringList{InvalidLine});
    }

    void aBadFileGivesTheErrorAndAnEmptySlot_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("error");
        QTest::newRow("wrong magic") << "magic.gen"
                                     << "Bad Gene File.";
        QTest::newRow("bad marker") << "marker.gen"
                                    << "Bad gene Error!";
        QTest::newRow("truncated") << "short.gen"
                                   << "Read beyond end of file.";
        QTest::newRow("empty") << "zerobytes.gen"
                               << "Read beyond end of file.";
        QTest::newRow("cut in a header") << "header.gen"
                                         << "Read beyond end of file.";
        QTest::newRow("cut in a body") << "body.gen"
                                       << "Read beyond end of file.";
        QTest::newRow("unknown kind") << "unknown.gen"
                                      << "Bad gene Error!";
    }

    void aBadFileGivesTheErrorAndAnEmptySlot()
    {
        QFETCH(QString, name);
        QFETCH(QString, error);
        radio("Single")->click();
        edit(1)->setText(file("ABCD.gen"));
        edit(0)->setText(file("child.gen"));
        QVERIFY(acceptButton()->isEnabled());
        edit(0)->setText(file(qPrintable(name)));
        QCOMPARE(errors.texts, QStringList{error});
        errors.texts.clear();
        QVERIFY(dialog->genomeSlots().ExaminedGenome == nullptr);
        QVERIFY(dialog->genomeSlots().MotherGenome != nullptr);
        QVERIFY(!acceptButton()->isEnabled());
        QCOMPARE(summary(), QStringList{InvalidLine});
        // The file exists, but a change elsewhere must not let a run start
        // on the empty slot.
        edit(1)->setText(file("EFGH.gen"));
        QVERIFY(!acceptButton()->isEnabled());
    }

    void aBadParentStillLetsTheOtherLoad()
    {
        GenomeBuilder mixed;
        mixed.add(genusGene("BADM", "EFGH")).end();
        mixed.writeTo(dir->file("badmum.gen"));
        std::filesystem::copy_file(dir->file("magic.gen"), dir->file("BADM.gen"));
        radio("Parents")->click();
        edit(0)->setText(file("badmum.gen"));
        QCOMPARE(errors.texts, QStringList{QStringLiteral("Bad Gene File.")});
        errors.texts.clear();
        QVERIFY(dialog->genomeSlots().MotherGenome == nullptr);
        QVERIFY(dialog->genomeSlots().FatherGenome != nullptr);
        QVERIFY(!acceptButton()->isEnabled());
    }

    void aFolderIsNoFileAndNoError()
    {
        edit(0)->setText(file("folder.gen"));
        QVERIFY(errors.texts.isEmpty());
        QVERIFY(!acceptButton()->isEnabled());
        QCOMPARE(summary(), QStringList{InvalidLine});
    }

    void cancelKeepsTheSlots()
    {
        radio("Dual")->click();
        edit(0)->setText(file("child.gen"));
        edit(1)->setText(file("ABCD.gen"));
        edit(2)->setText(file("EFGH.gen"));
        const TGeneticsFile* mother = dialog->genomeSlots().MotherGenome.get();
        const TGeneticsFile* father = dialog->genomeSlots().FatherGenome.get();
        child<QPushButton>(dialog.get(), "Button2")->click();
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(dialog->isHidden());
        QVERIFY(dialog->genomeSlots().ExaminedGenome != nullptr);
        QCOMPARE(dialog->genomeSlots().MotherGenome.get(), mother);
        QCOMPARE(dialog->genomeSlots().FatherGenome.get(), father);

        // The next showing starts over in breakdown mode, without the
        // examined genome, but keeps the comparators and their names.
        dialog->show();
        QVERIFY(radio("Breakdown")->isChecked());
        QCOMPARE(edit(0)->text(), QString());
        QVERIFY(dialog->genomeSlots().ExaminedGenome == nullptr);
        QCOMPARE(edit(1)->text(), file("ABCD.gen"));
        QCOMPARE(edit(2)->text(), file("EFGH.gen"));
        QVERIFY(dialog->genomeSlots().MotherGenome != nullptr);
        QVERIFY(dialog->genomeSlots().FatherGenome != nullptr);
        QVERIFY(!acceptButton()->isEnabled());
    }

    void acceptGivesTheModeAndTheSlots()
    {
        radio("Single")->click();
        edit(1)->setText(file("ABCD.gen"));
        edit(0)->setText(file("child.gen"));
        acceptButton()->click();
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        const MappingInput input = dialog->mappingInput();
        QVERIFY(input.mode == MappingMode::Single);
        QCOMPARE(input.examined, dialog->genomeSlots().ExaminedGenome.get());
        QCOMPARE(input.mother, dialog->genomeSlots().MotherGenome.get());
        QVERIFY(input.examined && input.mother);
    }

    void loadButtonsSetTheirOwnEdit_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("tag");
        QTest::newRow("genome") << "LoadGenome" << 0;
        QTest::newRow("mother") << "LoadMother" << 1;
        QTest::newRow("father") << "LoadFather" << 2;
    }

    void loadButtonsSetTheirOwnEdit()
    {
        QFETCH(QString, button);
        QFETCH(int, tag);
        radio("Dual")->click();
        pages()->setCurrentIndex(tag);
        chosenFiles << QDir::fromNativeSeparators(file("EFGH.gen")); // as Qt's file dialog answers
        child<QToolButton>(dialog.get(), qPrintable(button))->click();
        const QStringList setup{QStringLiteral("OpenGEN"), QStringLiteral("Digital DNA files (*.gen)"),
                                QStringLiteral("gen"), QStringLiteral("existing file"), folder(q(dir->path()))};
        QCOMPARE(fileDialogs, QList<QStringList>{setup});
        QCOMPARE(edit(tag)->text(), QDir::toNativeSeparators(file("EFGH.gen")));
        QVERIFY(dialog->genomeSlots().get(static_cast<GenomeSlot>(tag)) != nullptr);
        QCOMPARE(summary().value(0), QStringLiteral("Mother: GRAN, Father: PAPA"));

        // Cancelling the file dialog changes nothing.
        child<QToolButton>(dialog.get(), qPrintable(button))->click();
        QCOMPARE(edit(tag)->text(), QDir::toNativeSeparators(file("EFGH.gen")));
        QVERIFY(dialog->genomeSlots().get(static_cast<GenomeSlot>(tag)) != nullptr);
    }

    void choosingTheSameFileAgainReadsItAgain()
    {
        family("OLDM", "OLDF").writeTo(dir->file("again.gen"));
        chosenFiles << file("again.gen") << file("again.gen");
        child<QToolButton>(dialog.get(), "LoadGenome")->click();
        QCOMPARE(summary().value(0), QStringLiteral("Mother: OLDM, Father: OLDF"));
        family("NEWM", "NEWF").writeTo(dir->file("again.gen"));
        child<QToolButton>(dialog.get(), "LoadGenome")->click();
        QCOMPARE(summary().value(0), QStringLiteral("Mother: NEWM, Father: NEWF"));
    }

    void fileDialogExistsOnlyWhileUpAndReopensWhereLeft()
    {
        // A file dialog reads and watches its folder while it exists.
        QVERIFY(dialog->findChildren<QFileDialog*>().isEmpty());
        const QString elsewhere = q(dir->path()) + QStringLiteral("/folder.gen");
        QSize size;
        userInFileDialog = [&](QFileDialog& d) {
            QCOMPARE(dialog->findChildren<QFileDialog*>(), QList<QFileDialog*>{&d});
            d.setDirectory(elsewhere);
            d.resize(d.size() + QSize(37, 23));
            size = d.size();
        };
        child<QToolButton>(dialog.get(), "LoadGenome")->click(); // and cancelled
        QVERIFY(dialog->findChildren<QFileDialog*>().isEmpty());

        QSize sizeAgain;
        userInFileDialog = [&](QFileDialog& d) { sizeAgain = d.size(); };
        child<QToolButton>(dialog.get(), "LoadGenome")->click();
        QCOMPARE(fileDialogs.size(), 2);
        QCOMPARE(fileDialogs[0].value(4), folder(q(dir->path())));
        QCOMPARE(fileDialogs[1].value(4), folder(elsewhere));
        QCOMPARE(sizeAgain, size);
        QCOMPARE(edit(0)->text(), QString());
        QVERIFY(dialog->findChildren<QFileDialog*>().isEmpty());
    }

    void everyControlHasItsName()
    {
        for (const char* name : {"GroupBox1",  "Breakdown",  "Parents",    "Single",         "Dual",       "GenePages",
                                 "Genome",     "Mother",     "Father",     "Label1",         "Label2",     "Label3",
                                 "Label4",     "Panel1",     "GeneInfo",   "GenomeFileName", "MotherFile", "FatherFile",
                                 "LoadGenome", "LoadMother", "LoadFather", "Button1",        "Button2"})
            QVERIFY2(dialog->findChild<QObject*>(QString::fromLatin1(name)), name);
        QCOMPARE(child<QPushButton>(dialog.get(), "Button1")->text(), QStringLiteral("Accept Mapping Choices"));
        QCOMPARE(child<QPushButton>(dialog.get(), "Button2")->text(), QStringLiteral("Cancel Mapping Choices"));
        QCOMPARE(edit(0)->property("tag").toInt(), 0);
        QCOMPARE(edit(2)->property("tag").toInt(), 2);
    }
};

QTEST_MAIN(LoadGenomeTest)
#include "loadGenomeTest.moc"
