// SPDX-License-Identifier: GPL-3.0-or-later
#include "unitGeneMainWindow.h"

#include "anchor.h"
#include "appSettings.h"
#include "breakdownDump.h"
#include "designFont.h"
#include "filesRead.h"
#include "focusReturn.h"
#include "geneChangeView.h"
#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "mapping/geneChange.h"
#include "mapping/genomeDigest.h"
#include "mapping/statistics.h"
#include "screenFit.h"
#include "treePage.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QShowEvent>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace helixplot {

namespace {

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString gameFolderHelp(const Settings& settings)
{
#ifdef _WIN32
    Q_UNUSED(settings);
    return QStringLiteral("Helixplot reads the game's folders from the registry key HKEY_LOCAL_MACHINE\\%1, "
                          "values \"Main Directory\" and \"Genetics Directory\", which the game's installer sets.")
        .arg(QString::fromLatin1(SettingsKey));
#else
    const QString file = QFile::decodeName(QByteArray::fromStdString(settingsFilePath()));
    QString help = QStringLiteral("To point Helixplot at the game, write its folders into %1:\n[%2]\nMain "
                                  "Directory=FOLDER/\nGenetics Directory=FOLDER/\n(or set HELIXPLOT_SETTINGS to such "
                                  "a file). Without them Helixplot looks for the game installed under Wine.")
                       .arg(QDir::toNativeSeparators(file), QString::fromLatin1(SettingsKey));
    if (!settings.mainDirectory.empty() || !settings.geneticsDirectory.empty())
        help += QStringLiteral(" The folders in use came from there or from Wine.");
    return help;
#endif
}

QString chemicalFileDetails(const Settings& settings)
{
    QString details = fileDetails(QFile::decodeName(QByteArray::fromStdString(settings.chemicalFilePath())));
    if (settings.mainDirectory.empty())
        details += QStringLiteral(" (the working folder: no game folder is set)");
    return details + u'\n' + gameFolderHelp(settings);
}

QString defaultDumpFilePath()
{
#ifdef _WIN32
    return QStringLiteral("c:\\moop.txt");
#else
    return QDir::homePath() + QStringLiteral("/moop.txt");
#endif
}

TGeneMainWindow::TGeneMainWindow(MainWindowHooks hooks, const QString& presetMode, const QStringList& presetGenomes,
                                 bool askAtStartup)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint),
      hooks_(std::move(hooks))
{
    installFocusReturn();
    if (!hooks_.reportError)
        hooks_.reportError = errorBoxReporter([this]() -> QWidget* {
            if (loadGenome_ && loadGenome_->isVisible())
                return loadGenome_.get();
            return this;
        });
    if (hooks_.dumpFilePath.isEmpty())
        hooks_.dumpFilePath = defaultDumpFilePath();
    if (!hooks_.chooseSaveFile)
        hooks_.chooseSaveFile = saveDialogChooser();
    if (!hooks_.confirmReplace)
        hooks_.confirmReplace = replaceQuestionBox();

    setObjectName(QStringLiteral("GeneMainWindow"));
    setFont(designFont());
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    resize(px(521), px(425));
    move(255, 131);
    setAcceptDrops(true);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setGeometry(0, 0, px(521), px(425));
    anchorToParent(pages_, 0, 0, 0, 0);

    statisticsPage_ = new QWidget;
    statisticsPage_->setObjectName(QStringLiteral("TabSheet1"));
    auto* statisticsLayout = new QVBoxLayout(statisticsPage_);
    statisticsLayout->setContentsMargins(px(16), px(24), px(24), px(36));
    generalInfo_ = new QTreeWidget(statisticsPage_);
    generalInfo_->setObjectName(QStringLiteral("GeneralInfo"));
    statisticsLayout->addWidget(generalInfo_);
    generalInfo_->setColumnCount(4);
    QStringList titles;
    for (std::string_view title : StatisticsColumnTitles)
        titles << latin1(title);
    generalInfo_->setHeaderLabels(titles);
    generalInfo_->header()->setSectionsClickable(false);
    generalInfo_->header()->setStretchLastSection(false);
    generalInfo_->setRootIsDecorated(false);
    generalInfo_->setItemsExpandable(false);
    generalInfo_->setUniformRowHeights(true);
    generalInfo_->setSelectionBehavior(QAbstractItemView::SelectRows);
    generalInfo_->setSelectionMode(QAbstractItemView::SingleSelection);
    generalInfo_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    generalInfo_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(generalInfo_, &QWidget::customContextMenuRequested, this, &TGeneMainWindow::showStatisticsMenu);
    for (std::string_view caption : StatisticsCaptions)
        new QTreeWidgetItem(generalInfo_, QStringList{latin1(caption)});
    generalInfo_->setAccessibleName(QStringLiteral("General Genome Information"));
    generalInfo_->setAccessibleDescription(
        QStringLiteral("Gene counts by kind: mutated genes out of all, and the comparators' counts."));
    generalInfo_->viewport()->installEventFilter(this);
    measureStatisticsColumns();
    pages_->addTab(statisticsPage_, QStringLiteral("General Genome Information"));

    const struct {
        const char* page;
        const char* caption;
        const char* tree;
        DisplayTreeModel** model;
        const DisplayTree* source;
        ResultPage exported;
    } treePages[4] = {
        {"MutatedTab", "Mutated genes", "MutatedGenes", &mutatedModel_, &result_.mutatedGenes, ResultPage::Mutated},
        {"Missings", "Missing Genes", "MissingGenes", &missingModel_, &result_.missingGenes, ResultPage::Missing},
        {"Additional", "Additional Genes", "AdditionalGenes", &additionalModel_, &result_.additionalGenes,
         ResultPage::Additional},
        {"TabSheet2", "Genome Breakdown", "Breakdown", &breakdownModel_, &result_.breakdown, ResultPage::Breakdown},
    };
    for (int i = 0; i < 4; ++i) {
        *treePages[i].model = new DisplayTreeModel(treePages[i].source, this);
        auto* page = new TreePage(QString::fromLatin1(treePages[i].page), QString::fromLatin1(treePages[i].tree),
                                  *treePages[i].model);
        const ResultPage exported = treePages[i].exported;
        connect(page, &TreePage::exportRequested, this,
                [this, exported] { guarded(hooks_.reportError, [&] { exportPage(exported); }); });
        pages_->addTab(page, QString::fromLatin1(treePages[i].caption));
        page->view()->setAccessibleName(QString::fromLatin1(treePages[i].caption));
        page->view()->setAccessibleDescription(
            QStringLiteral("A tree of genes; Right expands a node, Left collapses it, Ctrl+F finds."));
        treePages_[i] = page;
        if (i < 3)
            comparisonPages_[i] = page;
        else
            breakdownView_ = page->view();
    }
    QFont breakdownFont = breakdownView_->font();
    breakdownFont.setPixelSize(px(13));
    breakdownView_->setFont(breakdownFont);
    breakdownView_->setExpandsOnDoubleClick(false);
    breakdownView_->viewport()->installEventFilter(this);
    pages_->setCurrentWidget(statisticsPage_);
    // Ctrl+Tab and Ctrl+Shift+Tab step onto hidden pages too (the comparison
    // pages after a breakdown run): carry on to the next shown page.
    connect(pages_, &QTabWidget::currentChanged, this, [this, previous = 0](int index) mutable {
        if (index >= 0 && !pages_->isTabVisible(index)) {
            const int step = index > previous || (previous == pages_->count() - 1 && index == 0) ? 1 : -1;
            int next = index;
            do
                next = (next + step + pages_->count()) % pages_->count();
            while (next != index && !pages_->isTabVisible(next));
            pages_->setCurrentIndex(next);
            return;
        }
        previous = index;
    });

    // The buttons lie over the bottom edge of the pages, whichever is
    // active, and keep to the window's bottom right.
    auto* close = new QPushButton(QStringLiteral("Close Helixplot"), this);
    close->setObjectName(QStringLiteral("Button1"));
    close->setGeometry(px(400), px(392), px(89), px(25));
    close->setAutoDefault(true); // Enter presses it while it has the focus
    connect(close, &QPushButton::clicked, this, [this] { guarded(hooks_.reportError, [&] { Button1Click(); }); });
    auto* load = new QPushButton(QStringLiteral("Load New Genome"), this);
    load->setObjectName(QStringLiteral("Button2"));
    load->setGeometry(px(272), px(392), px(115), px(25));
    load->setDefault(true);
    load->setAutoDefault(true);
    loadButton_ = load;
    connect(load, &QPushButton::clicked, this, [this] { guarded(hooks_.reportError, [&] { Button2Click(); }); });
    anchorToParent(close, -1, -1, px(521 - 489), px(425 - 417));
    anchorToParent(load, -1, -1, px(521 - 387), px(425 - 417));
    // Beside the design's two, in the room to their left.
    auto* population = new QPushButton(QStringLiteral("Open Population..."), this);
    population->setObjectName(QStringLiteral("OpenPopulation"));
    population->setGeometry(px(145), px(392), px(115), px(25));
    connect(population, &QPushButton::clicked, this,
            [this] { guarded(hooks_.reportError, [&] { OpenPopulationClick(); }); });
    anchorToParent(population, -1, -1, px(521 - 260), px(425 - 417));
    population->setAccessibleDescription(QStringLiteral("Opens a folder of genomes in a population window."));

    // Tab goes as the eye does: the tabs, the page, then the buttons left
    // to right.
    setTabOrder(pages_, population);
    setTabOrder(population, load);
    setTabOrder(load, close);
    close->setAccessibleDescription(QStringLiteral("Ends Helixplot."));
    load->setAccessibleDescription(QStringLiteral("Chooses genomes for a new mapping."));
    pages_->setAccessibleName(QStringLiteral("Mapping results"));

    // Left of the buttons: what the last double-click on the breakdown did.
    statusLine_ = new QLabel(this);
    statusLine_->setObjectName(QStringLiteral("StatusLine"));
    statusLine_->setGeometry(px(16), px(392), px(145 - 16 - 8), px(25));
    statusLine_->setAccessibleName(QStringLiteral("Status"));
    anchorToParent(statusLine_, px(16), -1, px(521 - 137), px(425 - 417));

    // The design's pixel widths fit its font; a wider font widens the
    // window until every page's tab fits. The design size is the least.
    const int extra = std::max(0, pages_->tabBar()->sizeHint().width() + 4 - width());
    setMinimumSize(width() + extra, height());
    resize(minimumSize());
    const QByteArray geometry = helixplotSettings().value(QStringLiteral("mainWindow/geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    // A large font on a small screen: the pages shrink, the buttons keep to
    // the bottom right, the tabs scroll.
    fitToScreen(this);

    // Before the change view's toggle, which stays the menu's last entry.
    showLineage_ = new QAction(QStringLiteral("Show lineage"), this);
    showLineage_->setObjectName(QStringLiteral("ShowLineage"));
    showLineage_->setToolTip(
        QStringLiteral("Colours the population of the examined genome's folder by this gene's version"));
    treePages_[0]->addMenuAction(showLineage_);
    connect(treePages_[0], &TreePage::menuOpening, this,
            [this] { showLineage_->setEnabled(currentMutatedGene().has_value()); });
    connect(showLineage_, &QAction::triggered, this, [this] {
        if (const std::optional<quint16> key = currentMutatedGene())
            Q_EMIT lineageRequested(QDir::toNativeSeparators(QFileInfo(examinedPath_).absolutePath()), *key,
                                    QDir::toNativeSeparators(QFileInfo(examinedPath_).absoluteFilePath()));
    });
    showChanges_ = attachGeneChangeView(*treePages_[0], result_, comparatorNames_, examinedName_);
    changeView_ = treePages_[0]->findChild<GeneChangeView*>();

    addShortcuts();
    zoom_ = std::clamp(helixplotSettings().value(QStringLiteral("view/zoom"), 0).toInt(), MinZoom, MaxZoom);
    applyZoom();
    guarded(hooks_.reportError, [&] { FormCreate(presetMode, presetGenomes, askAtStartup); });
}

TGeneMainWindow::~TGeneMainWindow()
{
    // The views go before the trees they show.
    delete pages_;
}

void TGeneMainWindow::addShortcuts()
{
    // Window-wide, so that they work wherever the focus is on a tree page.
    const auto onTreePage = [this](void (TreePage::*action)()) {
        return [this, action] {
            if (TreePage* page = treePage(currentPage()))
                (page->*action)();
        };
    };
    const auto stepPage = [this](int step) {
        return [this, step] {
            int next = pages_->currentIndex();
            do
                next = (next + step + pages_->count()) % pages_->count();
            while (next != pages_->currentIndex() && !pages_->isTabVisible(next));
            pages_->setCurrentIndex(next);
        };
    };
    // In the order the shortcut overview lists them.
    const struct {
        const char* name;
        const char* text;
        QList<QKeySequence> keys;
        std::function<void()> run;
    } shortcuts[] = {
        {"NextPage", "Next page", {QKeySequence(Qt::CTRL | Qt::Key_Tab)}, stepPage(1)},
        {"PreviousPage", "Previous page", {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab)}, stepPage(-1)},
        {"Find", "Find...", {QKeySequence::Find}, onTreePage(&TreePage::openFind)},
        {"FindNext", "Find next", {QKeySequence(Qt::Key_F3)}, onTreePage(&TreePage::findNext)},
        {"FindPrevious", "Find previous", {QKeySequence(Qt::SHIFT | Qt::Key_F3)}, onTreePage(&TreePage::findPrevious)},
        {"Copy",
         "Copy",
         {QKeySequence::Copy},
         [this] {
             if (TreePage* page = treePage(currentPage())) {
                 page->copySelection();
                 // With the change view open, the shown change goes along.
                 if (page == treePages_[0] && showChanges_->isChecked() && !changeView_->changeText().isEmpty())
                     QApplication::clipboard()->setText(QApplication::clipboard()->text() + changeView_->changeText());
             } else
                 QApplication::clipboard()->setText(statisticsSelectionText());
         }},
        {"ExportPage",
         "Export page...",
         {QKeySequence::Save},
         [this] { guarded(hooks_.reportError, [&] { exportPage(currentPage()); }); }},
        {"EditGenome",
         "Edit Genome...",
         {QKeySequence(Qt::CTRL | Qt::Key_E)},
         [this] {
             if (!examinedPath_.isEmpty())
                 Q_EMIT editRequested(examinedPath_);
         }},
        {"ZoomIn",
         "Zoom in",
         {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)},
         [this] { setZoom(zoom_ + 1); }},
        {"ZoomOut", "Zoom out", {QKeySequence(Qt::CTRL | Qt::Key_Minus)}, [this] { setZoom(zoom_ - 1); }},
        {"ZoomReset", "Original size", {QKeySequence(Qt::CTRL | Qt::Key_0)}, [this] { setZoom(0); }},
        {"ShortcutOverview", "Keyboard shortcuts", {QKeySequence(Qt::Key_F1)}, [this] { showShortcutOverview(); }},
    };
    for (const auto& shortcut : shortcuts) {
        auto* action = new QAction(QString::fromLatin1(shortcut.text), this);
        action->setObjectName(QString::fromLatin1(shortcut.name));
        action->setShortcuts(shortcut.keys);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, shortcut.run);
        addAction(action);
    }
    // The editor is offered in every page's menu too, first of the page's
    // own entries, so that the change view's toggle stays the last.
    editGenome_ = findChild<QAction*>(QStringLiteral("EditGenome"), Qt::FindDirectChildrenOnly);
    editGenome_->setShortcutVisibleInContextMenu(true);
    for (TreePage* page : treePages_)
        page->addMenuAction(editGenome_, true);
}

QList<QAction*> TGeneMainWindow::keyboardActions() const
{
    QList<QAction*> listed = actions();
    // The pages' own: the change view's toggle and closing the find bar.
    listed << showChanges_ << treePages_[0]->closeFindAction();
    return listed;
}

void TGeneMainWindow::showShortcutOverview()
{
    if (!shortcutOverview_) {
        shortcutOverview_ =
            new QDialog(this, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
        shortcutOverview_->setObjectName(QStringLiteral("ShortcutOverview"));
        shortcutOverview_->setWindowTitle(QStringLiteral("Keyboard shortcuts"));
        auto* layout = new QVBoxLayout(shortcutOverview_);
        auto* list = new QTreeWidget(shortcutOverview_);
        list->setObjectName(QStringLiteral("ShortcutList"));
        list->setAccessibleName(QStringLiteral("Keyboard shortcuts"));
        list->setRootIsDecorated(false);
        list->setHeaderLabels({QStringLiteral("Action"), QStringLiteral("Keys")});
        for (const QAction* action : keyboardActions()) {
            QStringList keys;
            for (const QKeySequence& key : action->shortcuts())
                keys << key.toString(QKeySequence::NativeText);
            new QTreeWidgetItem(list, {action->text().remove(u'&'), keys.join(QStringLiteral(", "))});
        }
        new QTreeWidgetItem(list, {loadButton_->text(), QStringLiteral("Enter")});
        list->resizeColumnToContents(0);
        layout->addWidget(list);
        auto* close = new QPushButton(QStringLiteral("Close"), shortcutOverview_);
        close->setDefault(true);
        connect(close, &QPushButton::clicked, shortcutOverview_, &QDialog::close);
        layout->addWidget(close, 0, Qt::AlignRight);
        shortcutOverview_->resize(list->columnWidth(0) * 2 + 80, 360);
    }
    shortcutOverview_->show();
    shortcutOverview_->raise();
    shortcutOverview_->activateWindow();
}

void TGeneMainWindow::setZoom(int steps)
{
    const int zoom = std::clamp(steps, MinZoom, MaxZoom);
    if (zoom == zoom_)
        return;
    zoom_ = zoom;
    helixplotSettings().setValue(QStringLiteral("view/zoom"), zoom_);
    applyZoom();
}

void TGeneMainWindow::applyZoom()
{
    // A tenth of each view's own font per step, so the breakdown keeps its
    // larger font beside the other trees.
    const double factor = 1.0 + 0.1 * zoom_;
    QList<QWidget*> views{generalInfo_, changeView_};
    for (const TreePage* page : treePages_)
        views << page->view();
    for (QWidget* view : views) {
        if (!view)
            continue;
        if (!view->property("unzoomedFont").isValid())
            view->setProperty("unzoomedFont", view->font());
        QFont font = view->property("unzoomedFont").value<QFont>();
        if (font.pixelSize() > 0)
            font.setPixelSize(qRound(font.pixelSize() * factor));
        else
            font.setPointSizeF(font.pointSizeF() * factor);
        view->setFont(font);
    }
    measureStatisticsColumns();
    for (TreePage* page : treePages_)
        page->fitColumn();
}

ResultPage TGeneMainWindow::currentPage() const
{
    return static_cast<ResultPage>(std::max(0, pages_->currentIndex()));
}

TreePage* TGeneMainWindow::treePage(ResultPage page) const
{
    return page == ResultPage::Statistics ? nullptr : treePages_[static_cast<std::size_t>(page) - 1];
}

QString TGeneMainWindow::statisticsSelectionText() const
{
    std::string text;
    appendStatisticsText(result_, text);
    const QString table = latin1(text);
    const QModelIndex selected = generalInfo_->currentIndex();
    if (!selected.isValid() || generalInfo_->selectedItems().isEmpty())
        return table;
    // Line 0 holds the column titles.
    return table.section(u'\n', selected.row() + 1, selected.row() + 1) + u'\n';
}

void TGeneMainWindow::showStatisticsMenu(const QPoint& at)
{
    QMenu menu(this);
    menu.addAction(QStringLiteral("Copy"), this,
                   [this] { QApplication::clipboard()->setText(statisticsSelectionText()); });
    menu.addSeparator();
    QAction* exportAction = menu.addAction(QStringLiteral("Export page..."), this, [this] {
        guarded(hooks_.reportError, [&] { exportPage(ResultPage::Statistics); });
    });
    // The window's Ctrl+S does it; the menu says so.
    exportAction->setShortcut(QKeySequence::Save);
    exportAction->setShortcutContext(Qt::WidgetShortcut);
    exportAction->setShortcutVisibleInContextMenu(true);
    menu.addSeparator();
    menu.addAction(editGenome_);
    menu.exec(generalInfo_->viewport()->mapToGlobal(at));
}

void TGeneMainWindow::exportPage(ResultPage page)
{
    static const char* const suggestions[] = {"statistics.csv", "mutated-genes.txt", "missing-genes.txt",
                                              "additional-genes.txt", "breakdown.txt"};
    const bool statistics = page == ResultPage::Statistics;
    const QString csvFilter = QStringLiteral("CSV files (*.csv)");
    const QString textFilter = QStringLiteral("Text files (*.txt)");
    QString filter = statistics ? csvFilter : textFilter;
    QSettings settings = helixplotSettings();
    const QString folder = settings.value(QStringLiteral("export/folder"), QDir::homePath()).toString();
    QString path =
        hooks_.chooseSaveFile(this, QDir(folder).filePath(QString::fromLatin1(suggestions[int(page)])),
                              statistics ? csvFilter + QStringLiteral(";;") + textFilter : textFilter, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter == csvFilter ? QStringLiteral(".csv") : QStringLiteral(".txt");
    const QStringList readFiles = filesRead();
    try {
        refuseExportTarget(path, readFiles);
    } catch (...) {
        rethrowWithDetails(fileDetails(path));
    }
    if (QFileInfo::exists(path) && !hooks_.confirmReplace(this, path))
        return;
    const bool csv = statistics && QFileInfo(path).suffix().compare(QStringLiteral("csv"), Qt::CaseInsensitive) == 0;
    std::string bytes = csv ? statisticsCsv(result_) : pageText(result_, page);
    // With the change view open, the mutated page carries every listed
    // gene's change as well, as helixplot-cli diff prints them.
    if (page == ResultPage::Mutated && showChanges_ && showChanges_->isChecked()) {
        const std::array<std::string, 2> names{comparatorNames_[0].toLatin1().toStdString(),
                                               comparatorNames_[1].toLatin1().toStdString()};
        for (const GeneChange& change : result_.mutatedChanges)
            appendChangeText(change, names, bytes);
    }
    try {
        writeExportFile(path, bytes, readFiles);
    } catch (...) {
        rethrowWithDetails(fileDetails(path));
    }
    settings.setValue(QStringLiteral("export/folder"), QFileInfo(path).absolutePath());
}

QStringList TGeneMainWindow::filesRead() const
{
    // The dialog's genomes are in it, added at start-up.
    return configurationFiles_ + programFilesRead();
}

void TGeneMainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!genomeFilesOf(event->mimeData()).isEmpty() || !populationFolderOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TGeneMainWindow::dropEvent(QDropEvent* event)
{
    const QString folder = populationFolderOf(event->mimeData());
    if (!folder.isEmpty()) {
        event->acceptProposedAction();
        // Opened after the drop has returned, as the files are below.
        QTimer::singleShot(0, this, [this, folder] { Q_EMIT populationRequested(folder); });
        return;
    }
    const QStringList files = genomeFilesOf(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Not from inside the drop: the dialog's modal loop would hold the
    // dragging application until it closes, and this window hides.
    QTimer::singleShot(0, this, [this, files] { loadDroppedGenomes(files); });
}

void TGeneMainWindow::loadDroppedGenomes(const QStringList& files)
{
    loadGenome_->presetChoices(QString(), files);
    guarded(hooks_.reportError, [&] { Button2Click(); });
}

void TGeneMainWindow::OpenPopulationClick()
{
    QSettings settings = helixplotSettings();
    // The last folder opened, else the game's genetics folder, where its
    // creatures are.
    QString last = settings.value(QStringLiteral("population/lastFolder")).toString();
    if (last.isEmpty())
        last = geneticsFolder_.isEmpty() ? QDir::homePath() : geneticsFolder_;
    const QString folder = hooks_.chooseFolder
                               ? hooks_.chooseFolder(this, last)
                               : QFileDialog::getExistingDirectory(this, QStringLiteral("Open Population"), last);
    if (folder.isEmpty())
        return;
    settings.setValue(QStringLiteral("population/lastFolder"), folder);
    Q_EMIT populationRequested(QDir::toNativeSeparators(folder));
}

std::optional<quint16> TGeneMainWindow::currentMutatedGene() const
{
    const GeneChange* change = result_.mutatedChanges.of(
        result_.mutatedGenes, DisplayTreeModel::nodeOf(treePages_[0]->view()->currentIndex()));
    if (!change)
        return std::nullopt;
    const std::optional<GenePrint> print = genePrint(change->examined);
    if (!print)
        return std::nullopt;
    return print->geneKey();
}

bool TGeneMainWindow::openMapping(const QString& mode, const QStringList& files)
{
    // One mapping at a time: the population window stays usable while
    // genomes are chosen or mapped, and the slots must not change under a run.
    if (mapping_ || !loadGenome_ || !pleaseWait_)
        return false;
    const MappingTurn turn(mapping_);
    if (!loadGenome_->applyChoices(mode, files))
        return true; // the dialog has reported why the genomes did not load
    // As "Load New Genome" does, the pages are not seen while they fill.
    hide();
    runMapping();
    show();
    raise();
    activateWindow();
    return true;
}

void TGeneMainWindow::FormCreate(const QString& presetMode, const QStringList& presetGenomes, bool askAtStartup)
{
    pleaseWait_ = std::make_unique<TPleaseWait>(hooks_.wait, hooks_.paintClock);
    loadGenome_ = std::make_unique<TLoadGenome>(hooks_.reportError, hooks_.chooseFile);
    genomesRead_ = addFilesRead([this] {
        QStringList files;
        for (const GenomeSlot slot : {GenomeSlot::Examined, GenomeSlot::Mother, GenomeSlot::Father})
            files << loadGenome_->genomeFilePath(slot);
        return files;
    });
    if (!presetMode.isEmpty() || !presetGenomes.isEmpty())
        loadGenome_->presetChoices(presetMode, presetGenomes);
    // The dialogs come and go while this window is hidden; that must not
    // end the program (the program entry also turns off ending with the last
    // window: only endProgram() ends it).
    pleaseWait_->setAttribute(Qt::WA_QuitOnClose, false);
    loadGenome_->setAttribute(Qt::WA_QuitOnClose, false);

#ifndef _WIN32
    configurationFiles_ << QFile::decodeName(QByteArray::fromStdString(settingsFilePath()));
#endif
    Settings settings;
    try {
        settings = readSettings();
    } catch (...) {
        rethrowWithDetails(gameFolderHelp(settings));
    }
    configurationFiles_ << QFile::decodeName(QByteArray::fromStdString(settings.chemicalFilePath()));
    geneticsFolder_ = QFile::decodeName(QByteArray::fromStdString(settings.geneticsDirectory));
    loadGenome_->setInitialDirectory(geneticsFolder_);
    try {
        loadChemicalNames(settings.chemicalFilePath());
    } catch (...) {
        rethrowWithDetails(chemicalFileDetails(settings));
    }

    if (!askAtStartup)
        return;
    if (showSelectionDialog() != QDialog::Accepted) {
        // A folder dropped on the dialog: the program goes on with its
        // population window, as if started with it.
        startupPopulation_ = loadGenome_->takeDroppedFolder();
        if (startupPopulation_.isEmpty())
            endProgram();
        return;
    }
    startupRun_ = true;
    struct ClearStartup {
        bool& flag;
        ~ClearStartup() { flag = false; }
    } clearStartup{startupRun_};
    Button2Click();
}

int TGeneMainWindow::showSelectionDialog()
{
    return hooks_.showSelectionDialog ? hooks_.showSelectionDialog(*loadGenome_) : loadGenome_->exec();
}

void TGeneMainWindow::endProgram()
{
    if (!programEnded_ && isVisible())
        helixplotSettings().setValue(QStringLiteral("mainWindow/geometry"), saveGeometry());
    programEnded_ = true;
    // Ends the message loop if it runs; before it runs, the program entry
    // asks programEnded().
    QCoreApplication::quit();
}

void TGeneMainWindow::Button1Click()
{
    endProgram();
}

void TGeneMainWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Without a window manager nothing else gives the shown window the
    // keyboard (after the selection dialog, a run or a cancelled choice).
    if (!event->spontaneous())
        activateWindow();
}

void TGeneMainWindow::closeEvent(QCloseEvent* event)
{
    // The window has no close button, but the window system may close it
    // all the same: that ends the program as "Close Helixplot" does, unless
    // a population window is still open.
    event->accept();
    if (!lastProgramWindow(this)) {
        helixplotSettings().setValue(QStringLiteral("mainWindow/geometry"), saveGeometry());
        return;
    }
    endProgram();
}

void TGeneMainWindow::Button2Click()
{
    if (mapping_)
        return;
    const MappingTurn turn(mapping_);
    if (!startupRun_) {
        const QPointer<QWidget> focus = focusWidget();
        hide();
        pumpEvents();
        if (showSelectionDialog() != QDialog::Accepted) {
            show();
            returnFocus(this, focus);
            const QString folder = loadGenome_->takeDroppedFolder();
            if (!folder.isEmpty())
                Q_EMIT populationRequested(folder);
            return;
        }
    }
    runMapping();
    if (!startupRun_)
        show();
}

void TGeneMainWindow::runMapping()
{
    // What the line said belongs to the pages that this run replaces.
    statusLine_->clear();
    statusLine_->setToolTip(QString());
    statusLine_->setAccessibleDescription(QString());
    const MappingInput input = loadGenome_->mappingInput();
    mappingMode_ = input.mode;
    // Kept with the pages: the dialog's names may change before the next run.
    if (input.mode != MappingMode::Breakdown)
        comparatorNames_ = {loadGenome_->genomeFileName(GenomeSlot::Mother),
                            loadGenome_->genomeFileName(GenomeSlot::Father)};
    examinedName_ = loadGenome_->genomeFileName(GenomeSlot::Examined);
    examinedPath_ = loadGenome_->genomeFilePath(GenomeSlot::Examined);
    try {
        {
            TreeChangeGuard change{mutatedModel_, missingModel_, additionalModel_, breakdownModel_};
            MappingRun(input, result_, *pleaseWait_);
        }
        showResult();
    } catch (...) {
        restoreAfterFailedRun();
        throw;
    }
    pages_->setCurrentWidget(statisticsPage_);
    if (!startupRun_)
        show();
    // The keys go to the pages at once: Ctrl+Tab, arrows, Ctrl+F.
    if (TreePage* page = treePage(currentPage()))
        page->view()->setFocus(Qt::OtherFocusReason);
    else
        generalInfo_->setFocus(Qt::OtherFocusReason);
}

void TGeneMainWindow::restoreAfterFailedRun()
{
    // The pages keep what the run had put there; the user gets the windows
    // back to try again.
    showResult();
    pleaseWait_->hide();
    if (!startupRun_)
        show();
}

void TGeneMainWindow::measureStatisticsColumns()
{
    // The designed widths, widened where a wider font needs it, measured
    // once per font: the columns keep their widths whatever a run writes
    // into them (the widest count, "(9999) 9999", fits every column; the
    // captions never change).
    const int widths[4] = {px(114), px(125), px(110), px(120)};
    const QFontMetrics metrics(generalInfo_->font());
    const int widestCount = metrics.horizontalAdvance(QStringLiteral("(9999) 9999")) + 12;
    generalInfo_->resizeColumnToContents(0);
    const int widestCaption = generalInfo_->columnWidth(0);
    for (int column = 0; column < 4; ++column) {
        const int title = generalInfo_->header()->sectionSizeHint(column);
        statisticsWidths_[column] = std::max({widths[column], title, column > 0 ? widestCount : widestCaption});
    }
    fitStatisticsColumns();
}

void TGeneMainWindow::fitStatisticsColumns()
{
    int total = 0;
    for (int column = 0; column < 4; ++column)
        total += statisticsWidths_[column];
    // A wider window (maximised, say) shares its width out in the same
    // proportions.
    const int room = generalInfo_->viewport()->width();
    int used = 0;
    for (int column = 0; column < 4; ++column) {
        int width = statisticsWidths_[column];
        if (room > total)
            width = column < 3 ? statisticsWidths_[column] * room / total : room - used;
        generalInfo_->setColumnWidth(column, width);
        used += width;
    }
}

void TGeneMainWindow::showResult()
{
    for (std::size_t row = 0; row < StatisticsRowCount; ++row) {
        QTreeWidgetItem* item = generalInfo_->topLevelItem(static_cast<int>(row));
        const StatisticsRow& counts = result_.statistics[row];
        item->setText(1, latin1(counts.mutated));
        item->setText(2, latin1(counts.maternal));
        item->setText(3, latin1(counts.paternal));
    }
    for (QWidget* page : comparisonPages_)
        pages_->setTabVisible(pages_->indexOf(page), result_.comparisonPagesVisible);
}

void TGeneMainWindow::keyPressEvent(QKeyEvent* event)
{
    // Only dialogs give Enter to their default button by themselves.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        loadButton_->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool TGeneMainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize && watched == generalInfo_->viewport())
        fitStatisticsColumns();
    if (event->type() == QEvent::MouseButtonDblClick && watched == breakdownView_->viewport()) {
        // The dump takes the place of the view's own double-click handling,
        // which would select a node again after the walk.
        guarded(hooks_.reportError, [&] { BreakdownDblClick(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

namespace {

// The nodes shown expanded, parents before their children.
void collectExpanded(const QTreeView& view, const QModelIndex& parent, std::vector<QPersistentModelIndex>& expanded)
{
    const QAbstractItemModel& model = *view.model();
    for (int row = 0, rows = model.rowCount(parent); row < rows; ++row) {
        const QModelIndex child = model.index(row, 0, parent);
        if (view.isExpanded(child)) {
            expanded.emplace_back(child);
            collectExpanded(view, child, expanded);
        }
    }
}

} // namespace

void TGeneMainWindow::BreakdownDblClick()
{
    // The walk collapses every node as it goes; the player's view comes back.
    std::vector<QPersistentModelIndex> expanded;
    collectExpanded(*breakdownView_, {}, expanded);
    const QPersistentModelIndex current = breakdownView_->currentIndex();
    const auto restore = [&] {
        for (const QPersistentModelIndex& index : expanded)
            breakdownView_->expand(index);
        if (current.isValid())
            breakdownView_->setCurrentIndex(current);
    };
    std::vector<std::string> readFiles;
    for (const QString& file : filesRead())
        readFiles.push_back(QFile::encodeName(file).toStdString());
    const QString path = QDir::toNativeSeparators(QFileInfo(hooks_.dumpFilePath).absoluteFilePath());
    try {
        dumpBreakdown(*breakdownView_, *breakdownModel_, hooks_.dumpFilePath, readFiles);
    } catch (...) {
        restore();
        statusLine_->clear();
        rethrowWithDetails(fileDetails(hooks_.dumpFilePath));
    }
    restore();
    // The file's name where the line has room for it, the whole path in the
    // tooltip and for a screen reader.
    statusLine_->setToolTip(QStringLiteral("Breakdown written to %1").arg(path));
    statusLine_->setAccessibleDescription(statusLine_->toolTip());
    statusLine_->setText(
        statusLine_->fontMetrics().elidedText(QStringLiteral("Breakdown written to %1").arg(QFileInfo(path).fileName()),
                                              Qt::ElideRight, statusLine_->width()));
}

QString TGeneMainWindow::statusText() const
{
    return statusLine_->toolTip();
}

} // namespace helixplot
