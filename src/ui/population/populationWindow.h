// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "censusJob.h"
#include "mapping/pedigreeLayout.h"
#include "populationModel.h"
#include "ui/errorReport.h"
#include "ui/pageExport.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <functional>
#include <future>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSplitter;
class QTableView;
class QTreeWidget;

namespace helixplot {

class PedigreeLegend;
class PedigreeView;

// The one thing the window asks of the rest of the program: a creature's
// mapping in the main window, as the selection dialog would have it (mode
// "parental", "dual" or "breakdown", then the examined genome's file and
// the comparators' files).
using MappingOpener = std::function<void(const QString& mode, const QStringList& files)>;

struct PopulationHooks {
    ErrorReporter reportError;      // the error box
    SaveFileChooser chooseSaveFile; // Ctrl+S's save dialog
    ReplaceQuestion confirmReplace; // replaceQuestionBox()
};

// A folder of genomes at once: the census's table, filled as the census
// reads the files, and the pedigree beside it; both follow the folder as
// the game writes into it.
class PopulationWindow : public QWidget {
    Q_OBJECT
public:
    PopulationWindow(const QString& folder, bool recursive, MappingOpener openMapping, PopulationHooks hooks = {});
    ~PopulationWindow() override;

    QString folder() const { return folder_; }
    PopulationModel& model() { return model_; }
    PopulationFilter& filter() { return filter_; }
    QTableView* table() const { return table_; }
    QLineEdit* filterEdit() const { return filterEdit_; }
    PedigreeView* pedigree() const { return pedigree_; }
    QComboBox* geneBox() const { return geneBox_; }
    QTreeWidget* variantList() const { return variantList_; }
    bool censusRunning() const { return job_ != nullptr; }

    // The mutation events and hotspots of the census shown (or of the one
    // before a change of the folder, until traced again).
    const std::vector<MutationEvent>& events() const { return events_; }
    const std::vector<GeneHotspot>& hotspots() const { return genes_; }
    // The pedigree coloured by a gene's version (as GenePrint::geneKey()),
    // once the genomes are read for it; none: by the mutated genes again.
    void showGene(std::optional<std::uint16_t> geneKey);
    // The variants shown, when a gene is.
    const std::optional<GeneVariants>& variants() const { return variants_; }
    // "Kind caption ID" of a key, the id in hex as on a gene's header line.
    static QString geneCaption(std::uint16_t geneKey);

    // The genome files of the folder as last listed.
    struct Listing {
        QHash<QString, QPair<qint64, qint64>> files; // size and change time
        QStringList folders;                         // below the folder, when recursive
    };

    // The current row's mapping: parental when both parents are in the
    // census, else the breakdown.
    void openCurrentMapping();
    // How openCurrentMapping() maps a row: the mode and the files.
    std::pair<QString, QStringList> mappingOf(int row) const;
    // Ctrl+S: the table as helixplot-cli census --format csv prints it, or
    // the report that helixplot-cli report writes, by the name's ending.
    void exportTable();
    void exportTo(const QString& path);
    // Escape while the census runs.
    void cancelCensus();
    // Looks at the folder again now rather than when the watcher says.
    void rescanFolder();

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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void nameControls();
    void startCensus();
    void harvest();
    void finishCensus(CensusJob::Harvest& harvest);
    void watchFolder();
    void pickUpBackgroundWork();
    void applyListing(const Listing& listing);
    void layOutPedigree();
    void selectionChanged();
    void selectRow(std::size_t row, bool second);
    void showCount();
    void fillGeneBox();
    void geneBoxEntered();
    void traceVariants();
    void traceLineageAgain();
    void adoptVariants(GeneVariants variants);
    std::string pathOf(const std::string& file) const;

    QString folder_;
    bool recursive_;
    MappingOpener openMapping_;
    PopulationHooks hooks_;
    PopulationModel model_;
    PopulationFilter filter_;
    std::unique_ptr<CensusJob> job_;
    // The finished census's job while it traces the lineage.
    std::unique_ptr<CensusJob> tracingJob_;
    std::future<Lineage> censusLineage_;
    // The census version events_ and genes_ were traced on.
    unsigned lineageOf_ = 0;
    QTimer harvestTimer_;
    QFileSystemWatcher watcher_;
    QTimer rescanTimer_;
    // Size and change time of each genome file as last read.
    QHash<QString, QPair<qint64, qint64>> seen_;
    // Listing the folder and laying out the pedigree anew after a change
    // run beside the window; the timer picks their results up.
    std::future<Listing> listing_;
    std::future<PedigreeLayout> layout_;
    QTimer backgroundTimer_;
    // Counts the census's changes, so that a layout of an older one is
    // not shown.
    unsigned censusVersion_ = 0;
    unsigned layoutOf_ = 0;
    // The lineage, traced with the census and again (debounced) after the
    // folder changes; adopted only for the rows the table shows.
    std::vector<MutationEvent> events_;
    std::vector<GeneHotspot> genes_;
    std::future<Lineage> lineage_;
    QTimer lineageTimer_;
    // The chosen gene's variants, read beside the window for the census of
    // variantsOf_.
    std::optional<std::uint16_t> gene_;
    std::optional<GeneVariants> variants_;
    std::future<GeneVariants> variantsJob_;
    unsigned variantsOf_ = 0;
    // Set when the window goes: the background work stops early.
    std::shared_ptr<std::atomic<bool>> stop_ = std::make_shared<std::atomic<bool>>(false);
    bool fitPedigree_ = false;
    bool opening_ = false;

    QLineEdit* filterEdit_ = nullptr;
    QCheckBox* subfolders_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTableView* table_ = nullptr;
    PedigreeView* pedigree_ = nullptr;
    PedigreeLegend* legend_ = nullptr;
    QComboBox* geneBox_ = nullptr;
    QTreeWidget* variantList_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace helixplot
