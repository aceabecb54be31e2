#pragma once

#include "displayTreeModel.h"
#include "errorReport.h"
#include "mapping/mappingRun.h"
#include "unitLoadGenome.h"
#include "unitPleaseWait.h"

#include <QWidget>

#include <functional>
#include <memory>

class QPushButton;
class QTabWidget;
class QTreeView;
class QTreeWidget;

namespace helixplot {

// Where a double-click on the breakdown writes it: "c:\moop.txt" on Windows,
// elsewhere moop.txt in the user's home folder.
QString defaultDumpFilePath();

// What the windows do that tests must watch or replace. Every empty member
// means the program's own behaviour.
struct MainWindowHooks {
    ErrorReporter reportError;                            // the error box
    std::function<int(TLoadGenome&)> showSelectionDialog; // exec()
    FileDialogRunner chooseFile;                          // the genome file dialog's exec()
    Waiter wait;                                          // the progress dialog's fixed waits
    PaintClock paintClock;                                // the progress dialog's paint pacing
    QString dumpFilePath;                                 // defaultDumpFilePath()
};

// The program's main window: five pages filled by each mapping run, "Close
// Helixplot" and "Load New Genome". Creating it runs the start-up: the
// selection dialog is shown, and on acceptance the first mapping is run,
// before the window is ever seen.
class TGeneMainWindow : public QWidget {
    Q_OBJECT
public:
    explicit TGeneMainWindow(MainWindowHooks hooks = {});
    ~TGeneMainWindow() override;

    // True once the user has ended the program (or cancelled the start-up):
    // the program entry then does not show the window.
    bool programEnded() const { return programEnded_; }
    bool StartupRun() const { return startupRun_; }
    helixplot::MappingMode MappingMode() const { return mappingMode_; }

    TLoadGenome& loadGenome() { return *loadGenome_; }
    TPleaseWait& pleaseWait() { return *pleaseWait_; }
    const MappingResult& result() const { return result_; }

    void Button1Click();
    void Button2Click();
    void BreakdownDblClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void runMapping();
    void restoreAfterFailedRun();
    void showResult();
    void fitStatisticsColumns();
    int showSelectionDialog();
    void endProgram();
    QTreeView* makeTree(QWidget* page, const char* name, DisplayTreeModel* model);

    MainWindowHooks hooks_;
    std::unique_ptr<TPleaseWait> pleaseWait_;
    std::unique_ptr<TLoadGenome> loadGenome_;
    MappingResult result_;
    helixplot::MappingMode mappingMode_ = helixplot::MappingMode::Breakdown;
    bool startupRun_ = false;
    bool programEnded_ = false;

    QTabWidget* pages_ = nullptr;
    QWidget* statisticsPage_ = nullptr;
    QTreeWidget* generalInfo_ = nullptr;
    std::array<QWidget*, 3> comparisonPages_{};
    DisplayTreeModel* mutatedModel_ = nullptr;
    DisplayTreeModel* missingModel_ = nullptr;
    DisplayTreeModel* additionalModel_ = nullptr;
    DisplayTreeModel* breakdownModel_ = nullptr;
    QTreeView* breakdownView_ = nullptr;
    QPushButton* loadButton_ = nullptr;
};

} // namespace helixplot
