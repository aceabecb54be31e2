// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "populationSession.h"
#include "ui/errorReport.h"
#include "ui/pageExport.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSpinBox;
class QSplitter;
class QTableView;
class QTreeWidget;

namespace helixplot {

class FocusedPedigreeView;
class CreaturePanel;
class PedigreeLegend;
class PedigreeView;

// The one thing the window asks of the rest of the program: a creature's
// mapping in the main window, as the selection dialog would have it (mode
// "parental", "dual" or "breakdown", then the examined genome's file and
// the comparators' files). False when it is refused because another mapping
// is being chosen or run.
using MappingOpener = std::function<bool(const QString& mode, const QStringList& files)>;

struct PopulationHooks {
    ErrorReporter reportError;      // the error box
    SaveFileChooser chooseSaveFile; // Ctrl+S's save dialog
    ReplaceQuestion confirmReplace; // replaceQuestionBox()
};

// A folder of genomes at once: the census's table, filled as the census
// reads the files, and the pedigree beside it; both follow the folder as
// the game writes into it. The window only shows: its session reads and
// computes.
class PopulationWindow : public QWidget {
    Q_OBJECT
public:
    PopulationWindow(const QString& folder, bool recursive, MappingOpener openMapping, PopulationHooks hooks = {});
    ~PopulationWindow() override;

    QString folder() const { return session_.folder(); }
    PopulationSession& session() { return session_; }
    PopulationModel& model() { return session_.model(); }
    const PopulationModel& model() const { return session_.model(); }
    PopulationFilter& filter() { return filter_; }
    QTableView* table() const { return table_; }
    QLineEdit* filterEdit() const { return filterEdit_; }
    // The whole population's pedigree, the overview.
    PedigreeView* pedigree() const { return pedigree_; }
    FocusedPedigreeView* focusedPedigree() const { return focused_; }
    QLineEdit* searchEdit() const { return searchEdit_; }
    QSpinBox* ancestorsBox() const { return aboveBox_; }
    QSpinBox* descendantsBox() const { return belowBox_; }
    QComboBox* geneBox() const { return geneBox_; }
    QTreeWidget* variantList() const { return variantList_; }
    CreaturePanel* creaturePanel() const { return panel_; }
    bool censusRunning() const { return session_.censusRunning(); }

    // The mutation events and hotspots of the census shown (or of the one
    // before a change of the folder, until traced again).
    const std::vector<MutationEvent>& events() const { return session_.events(); }
    const std::vector<GeneHotspot>& hotspots() const { return session_.hotspots(); }
    // The pedigree coloured by a gene's version (as GenePrint::geneKey()),
    // once the genomes are read for it; none: by the mutated genes again.
    void showGene(std::optional<std::uint16_t> geneKey);
    // The variants shown, when a gene is.
    const std::optional<GeneVariants>& variants() const { return session_.variants(); }
    // "Kind caption ID" of a key, the id in hex as on a gene's header line.
    static QString geneCaption(std::uint16_t geneKey);

    // The current row's mapping: parental when both parents are in the
    // census, else the breakdown.
    void openCurrentMapping();
    // The current row's gene breakdown, whatever its parents.
    void openCurrentBreakdown();
    // How openCurrentMapping() maps a row: the mode and the files.
    std::pair<QString, QStringList> mappingOf(int row) const;
    // Ctrl+S: the table as helixplot-cli census --format csv prints it, or
    // the report that helixplot-cli report writes, by the name's ending;
    // written on a worker (Esc cancels).
    void exportTable();
    // The same without the dialogs, waiting for the file to be written
    // (a table of the filtered rows alone when asked); throws what refuses
    // or fails it.
    void exportTo(const QString& path, bool onlyFiltered = false);
    // F5: the census taken again, as after a cancel.
    void reload();
    // Escape: the census or the export under way stops.
    void cancelCensus();
    // Looks at the folder again now rather than when the watcher says.
    void rescanFolder() { session_.rescan(); }
    // Makes the creature of a file (a path in the folder, or below it)
    // current once the census has it; false when the census has no such file.
    bool showCreature(const QString& path);

public Q_SLOTS:
    // Makes a census row the current creature (the table's current row, the
    // focused pedigree's focus, marked in the overview) and brings it into view.
    void setCurrentCreature(int row);

Q_SIGNALS:
    // A folder dropped on the window.
    void populationRequested(const QString& folder);
    // The table holds the finished census (the pedigree follows).
    void censusFinished();
    // The pedigree shows the census as it is now.
    void pedigreeShown();
    // A file of the folder was read again, added or dropped.
    void folderUpdated();
    // The lineage was traced, after the census or again after the folder
    // changed.
    void lineageUpdated();
    // The pedigree shows the chosen gene's variants.
    void geneShown();
    // An export was written (error empty) or failed.
    void exported(const QString& path, const QString& error);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void nameControls();
    void censusStarted();
    void showProgress(std::size_t done, std::size_t total);
    void finishCensus(const QString& message, bool cancelled);
    void showPedigree(std::shared_ptr<PedigreeScene> scene);
    void folderChanged();
    void selectionChanged();
    void selectRow(std::size_t row, bool second);
    void findCreature(const QString& text);
    void fillNames();
    void recentre();
    void zoomWith(double factor);
    std::optional<std::size_t> currentRow() const;
    // The rows the filter lets through, in census order.
    std::vector<std::size_t> filteredRows() const;
    void openMappingOf(bool breakdown);
    void showCount();
    void fillGeneBox();
    void geneBoxEntered();
    void showVariants();
    void finishExport(const QString& path, const QString& error);
    std::string pathOf(const std::string& file) const;

    MappingOpener openMapping_;
    PopulationHooks hooks_;
    PopulationSession session_;
    PopulationFilter filter_;
    std::shared_ptr<void> filesRead_; // the census's files in programFilesRead()
    bool fitPedigree_ = false;
    bool opening_ = false;
    bool reportExportErrors_ = false;

    QLineEdit* filterEdit_ = nullptr;
    QCheckBox* subfolders_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTableView* table_ = nullptr;
    PedigreeView* pedigree_ = nullptr;
    PedigreeLegend* legend_ = nullptr;
    QComboBox* geneBox_ = nullptr;
    QTreeWidget* variantList_ = nullptr;
    FocusedPedigreeView* focused_ = nullptr;
    QLineEdit* searchEdit_ = nullptr;
    QSpinBox* aboveBox_ = nullptr;
    QSpinBox* belowBox_ = nullptr;
    QSplitter* pedigreeSplit_ = nullptr;
    QString pendingCreature_; // made current once the census is in
    CreaturePanel* panel_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace helixplot
