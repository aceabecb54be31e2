// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "displayTreeModel.h"
#include "errorReport.h"
#include "genetics/settings.h"
#include "mapping/mappingRun.h"
#include "mapping/resultText.h"
#include "pageExport.h"
#include "unitLoadGenome.h"
#include "unitPleaseWait.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QDialog;
class QLabel;
class QPushButton;
class QTabWidget;
class QTreeView;
class QTreeWidget;

namespace helixplot {

class GeneChangeView;

// Where a double-click on the breakdown writes it: "c:\moop.txt" on Windows,
// elsewhere moop.txt in the user's home folder.
QString defaultDumpFilePath();

// How to point Helixplot at the game's folders, for the error boxes of a
// start-up without them.
QString gameFolderHelp(const Settings& settings);

// What the windows do that tests must watch or replace. Every empty member
// means the program's own behaviour.
struct MainWindowHooks {
    ErrorReporter reportError;                                                  // the error box
    std::function<int(TLoadGenome&)> showSelectionDialog;                       // exec()
    FileDialogRunner chooseFile;                                                // the genome file dialog's exec()
    Waiter wait;                                                                // the progress dialog's fixed waits
    PaintClock paintClock;                                                      // the progress dialog's paint pacing
    QString dumpFilePath;                                                       // defaultDumpFilePath()
    SaveFileChooser chooseSaveFile;                                             // the export's save dialog
    ReplaceQuestion confirmReplace;                                             // replaceQuestionBox()
    std::function<QString(QWidget* parent, const QString& start)> chooseFolder; // "Open Population..."'s folder dialog
};

class TreePage;

// The program's main window: five pages filled by each mapping run, "Close
// Helixplot" and "Load New Genome". Creating it runs the start-up: the
// selection dialog is shown, and on acceptance the first mapping is run,
// before the window is ever seen.
class TGeneMainWindow : public QWidget {
    Q_OBJECT
public:
    // presetMode and presetGenomes (from the command line) fill the
    // selection dialog at its first showing.
    // askAtStartup false leaves out the selection dialog and the first
    // mapping: the window stays hidden until openMapping().
    explicit TGeneMainWindow(MainWindowHooks hooks = {}, const QString& presetMode = {},
                             const QStringList& presetGenomes = {}, bool askAtStartup = true);
    ~TGeneMainWindow() override;

    // True once the user has ended the program (or cancelled the start-up):
    // the program entry then does not show the window.
    bool programEnded() const { return programEnded_; }
    bool StartupRun() const { return startupRun_; }
    // The folder dropped on the selection dialog at start-up, which the
    // program entry opens as a population instead of showing this window.
    QString startupPopulation() const { return startupPopulation_; }
    helixplot::MappingMode MappingMode() const { return mappingMode_; }

    TLoadGenome& loadGenome() { return *loadGenome_; }
    TPleaseWait& pleaseWait() { return *pleaseWait_; }
    const MappingResult& result() const { return result_; }
    // Opens and closes the change view of the "Mutated genes" page.
    QAction* showChangesAction() const { return showChanges_; }
    // "Show lineage" in the "Mutated genes" page's context menu.
    QAction* showLineageAction() const { return showLineage_; }

    void Button1Click();
    void Button2Click();
    void BreakdownDblClick();

    // "Load New Genome" with files dropped on the window: the dialog shows
    // with them filled in.
    void loadDroppedGenomes(const QStringList& files);
    // A mapping of the given choices (as presetChoices() takes them) run
    // at once, without the selection dialog; then the window shows. False,
    // doing nothing, while another mapping is chosen or runs.
    bool openMapping(const QString& mode, const QStringList& files);
    bool mappingBusy() const { return mapping_; }
    // "Open Population...": asks for a folder.
    void OpenPopulationClick();

Q_SIGNALS:
    // A population folder to open: chosen with "Open Population..." or
    // dropped on the window or the selection dialog.
    void populationRequested(const QString& folder);
    // "Show lineage" on a gene of the "Mutated genes" page: the population
    // of the folder the examined genome lies in, coloured by the gene's key
    // (as GenePrint::geneKey()).
    void lineageRequested(const QString& folder, quint16 geneKey, const QString& examined);
    // "Edit Genome..." (Ctrl+E): the examined genome in the genome editor.
    void editRequested(const QString& genome);

public:
    // The tree page of a page that shows a tree (not the statistics).
    TreePage* treePage(ResultPage page) const;
    ResultPage currentPage() const;
    // The page's context menu "Export page...": asks for a file and writes
    // the page as helixplot-cli map prints it (the statistics also as CSV).
    void exportPage(ResultPage page);
    // The statistics page's Copy: the selected row as helixplot-cli prints
    // it, or the whole table when no row is selected.
    QString statisticsSelectionText() const;

    // Every action the keyboard reaches, as the shortcut overview (F1)
    // lists them.
    QList<QAction*> keyboardActions() const;
    void showShortcutOverview();
    // Ctrl+plus, Ctrl+minus and Ctrl+0: the trees, the statistics and the
    // change view grow or shrink together, a tenth of their font per step;
    // remembered between sessions.
    int zoom() const { return zoom_; }
    void setZoom(int steps);
    static constexpr int MinZoom = -3;
    static constexpr int MaxZoom = 20;
    // The status line's full text ("Breakdown written to ...").
    QString statusText() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void FormCreate(const QString& presetMode, const QStringList& presetGenomes, bool askAtStartup);
    void runMapping();
    void restoreAfterFailedRun();
    void showResult();
    // The statistics columns' least widths, for the font; then their share
    // of the table's width.
    void measureStatisticsColumns();
    void fitStatisticsColumns();
    int showSelectionDialog();
    void endProgram();
    void addShortcuts();
    void showStatisticsMenu(const QPoint& at);
    void applyZoom();
    // The key of the gene at the mutated page's current row, if it is one.
    std::optional<quint16> currentMutatedGene() const;
    // What the program reads, which no output may replace: the genomes named
    // in the selection dialog, the settings and the chemical names.
    QStringList filesRead() const;

    MainWindowHooks hooks_;
    std::unique_ptr<TPleaseWait> pleaseWait_;
    std::unique_ptr<TLoadGenome> loadGenome_;
    MappingResult result_;
    // The comparators' file names of the last comparative run.
    std::array<QString, 2> comparatorNames_;
    QString examinedName_;
    QString examinedPath_;   // the file examinedName_ was read from
    QString geneticsFolder_; // the game's, from the settings
    // The settings file and the chemical-name file read at start-up.
    QStringList configurationFiles_;
    std::shared_ptr<void> genomesRead_; // the dialog's genomes in programFilesRead()
    helixplot::MappingMode mappingMode_ = helixplot::MappingMode::Breakdown;
    bool startupRun_ = false;
    bool programEnded_ = false;
    QString startupPopulation_;

    QTabWidget* pages_ = nullptr;
    QWidget* statisticsPage_ = nullptr;
    QTreeWidget* generalInfo_ = nullptr;
    std::array<QWidget*, 3> comparisonPages_{};
    DisplayTreeModel* mutatedModel_ = nullptr;
    DisplayTreeModel* missingModel_ = nullptr;
    DisplayTreeModel* additionalModel_ = nullptr;
    DisplayTreeModel* breakdownModel_ = nullptr;
    QTreeView* breakdownView_ = nullptr;
    std::array<TreePage*, 4> treePages_{};
    QAction* showChanges_ = nullptr;
    QAction* showLineage_ = nullptr;
    QAction* editGenome_ = nullptr;
    GeneChangeView* changeView_ = nullptr;
    QPushButton* loadButton_ = nullptr;
    QLabel* statusLine_ = nullptr;
    QDialog* shortcutOverview_ = nullptr;
    std::array<int, 4> statisticsWidths_{};
    int zoom_ = 0;
    // Set while "Load New Genome" or openMapping() chooses or runs a mapping.
    bool mapping_ = false;
    struct MappingTurn {
        bool& flag;
        explicit MappingTurn(bool& busy) : flag(busy) { flag = true; }
        ~MappingTurn() { flag = false; }
    };
};

} // namespace helixplot
