// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "errorReport.h"
#include "genetics/settings.h"
#include "genetics/unitGenetics.h"
#include "mapping/mappingRun.h"

#include <QDialog>
#include <QSize>

#include <array>
#include <functional>
#include <memory>
#include <utility>

class QFileDialog;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;

namespace helixplot {

// The three genomes a mapping reads. Only the selection dialog fills or
// empties them; everything else reads them.
struct GenomeSlots {
    std::unique_ptr<TGeneticsFile> ExaminedGenome;
    std::unique_ptr<TGeneticsFile> MotherGenome;
    std::unique_ptr<TGeneticsFile> FatherGenome;

    std::unique_ptr<TGeneticsFile>& slot(GenomeSlot which);
    const TGeneticsFile* get(GenomeSlot which) const;
};

// Shows the genome file dialog; returns the chosen path, or an empty text
// when the user cancelled.
using FileDialogRunner = std::function<QString(QFileDialog& dialog)>;

// The modal dialog in which the user picks the kind of mapping and the genome
// files. It loads each file as soon as its name changes and shows a summary.
class TLoadGenome : public QDialog {
    Q_OBJECT
public:
    // report shows errors; chooseFile runs the file dialog (empty: exec()).
    explicit TLoadGenome(ErrorReporter report, FileDialogRunner chooseFile = {}, QWidget* parent = nullptr);
    ~TLoadGenome() override;

    // The folder the file dialog first opens in, unless the user's last
    // folder (remembered between sessions) still exists.
    void setInitialDirectory(const QString& directory);

    // Choices made before the next showing (command line, dropped files),
    // applied once that showing's own steps are done: mode "breakdown",
    // "single", "parental" or "dual" (empty: the mode the files need, or as
    // the dialog has it), then the examined genome's file and the
    // comparators' files, each loaded as typing it would.
    void presetChoices(const QString& mode, const QStringList& files);
    // The same choices made at once on the hidden dialog, as its next
    // showing would; returns whether the dialog could now be accepted.
    bool applyChoices(const QString& mode, const QStringList& files);
    // Fills the edits from files as a drop on page does: one file the
    // page's edit (the examined one when that edit is read-only), several
    // the examined, then the comparators, switching to a comparative mode
    // when the files need one.
    void fillFromFiles(const QStringList& files, int page);

    const GenomeSlots& genomeSlots() const { return slots_; }
    // From the radio buttons: Gene Breakdown 0; Parental Mapping or Dual
    // Comparative 2; otherwise 1.
    MappingMode mappingMode() const;
    // What a mapping run reads after the dialog was accepted.
    MappingInput mappingInput() const;
    // The file name entered (or derived) for a slot.
    QString genomeFileName(GenomeSlot slot) const;
    // The file that name was read from: a bare name may be the genetics
    // folder's.
    QString genomeFilePath(GenomeSlot slot) const { return resolvedPath(static_cast<int>(slot)); }
    // While Accept is greyed: what is missing ("Mother's file nela.gen not
    // found in fam/"); empty otherwise.
    QString acceptHint() const;
    // A folder dropped on the dialog closes it (rejected) to open as a
    // population: the folder, once; empty otherwise.
    QString takeDroppedFolder() { return std::exchange(droppedFolder_, QString()); }

protected:
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void done(int result) override;

private:
    // The radio button of a choice; the buttons stand in MappingChoice order.
    QRadioButton* modeButton(MappingChoice choice) const { return modes_[static_cast<std::size_t>(choice)]; }
    void resetChoices();
    void fillPreset(const QString& mode, const QStringList& files);
    void modeChange(MappingChoice mode);
    void adjustPages(MappingChoice mode);
    void LoadButtonClick(int tag);
    QString chooseGenomeFile();
    void ChangeInGenomeFile(int tag);
    void deriveParentFiles();
    void updateAccept();
    void showAcceptState();
    // The edit's name, or, for a bare name not in the working folder that
    // the genetics folder holds, the name in that folder.
    QString resolvedPath(int tag) const;
    QString roleOf(int tag) const;
    QString missingFileText(int tag) const;
    void refreshSummary();
    bool modeNeeds(int tag) const;
    void setEditable(QLineEdit* edit, bool editable);

    ErrorReporter report_;
    FileDialogRunner chooseFile_;
    GenomeSlots slots_;

    std::array<QRadioButton*, 4> modes_{};
    QTabWidget* pages_ = nullptr;
    std::array<QLineEdit*, 3> edits_{};
    std::array<QToolButton*, 3> loadButtons_{};
    QListWidget* geneInfo_ = nullptr;
    QPushButton* accept_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QLabel* acceptHint_ = nullptr;
    QLabel* acceptHintIcon_ = nullptr;
    // The edit whose file failed last, while Accept stays greyed for it.
    int failedTag_ = -1;
    // The genome file dialog lives only while it is up; the folder and size
    // the user left it at carry over to the next.
    QString initialDirectory_;
    QString openGenFolder_;
    QString droppedFolder_;
    QSize openGenSize_;
    QString presetMode_;
    QStringList presetFiles_;
    bool preset_ = false;
    bool shownBefore_ = false;
};

} // namespace helixplot
