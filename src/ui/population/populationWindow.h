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

#include <functional>
#include <future>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QSplitter;
class QTableView;

namespace helixplot {

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
    bool censusRunning() const { return job_ != nullptr; }

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

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
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
    std::string pathOf(const std::string& file) const;

    QString folder_;
    bool recursive_;
    MappingOpener openMapping_;
    PopulationHooks hooks_;
    PopulationModel model_;
    PopulationFilter filter_;
    std::unique_ptr<CensusJob> job_;
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
    bool fitPedigree_ = false;
    bool opening_ = false;

    QLineEdit* filterEdit_ = nullptr;
    QCheckBox* subfolders_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QTableView* table_ = nullptr;
    PedigreeView* pedigree_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* status_ = nullptr;
};

} // namespace helixplot
