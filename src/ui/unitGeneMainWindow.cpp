#include "unitGeneMainWindow.h"

#include "breakdownDump.h"
#include "designFont.h"
#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "mapping/statistics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>

namespace helixplot {

namespace {

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString defaultDumpFilePath()
{
#ifdef _WIN32
    return QStringLiteral("c:\\moop.txt");
#else
    return QDir::homePath() + QStringLiteral("/moop.txt");
#endif
}

TGeneMainWindow::TGeneMainWindow(MainWindowHooks hooks)
    : QWidget(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint), hooks_(std::move(hooks))
{
    if (!hooks_.reportError)
        hooks_.reportError = errorBoxReporter([this]() -> QWidget* {
            if (loadGenome_ && loadGenome_->isVisible())
                return loadGenome_.get();
            return this;
        });
    if (hooks_.dumpFilePath.isEmpty())
        hooks_.dumpFilePath = defaultDumpFilePath();

    setObjectName(QStringLiteral("GeneMainWindow"));
    setFont(designFont());
    setWindowTitle(QString::fromLatin1(ApplicationTitle));
    setFixedSize(521, 425);
    move(255, 131);

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl1"));
    pages_->setGeometry(0, 0, 521, 425);

    statisticsPage_ = new QWidget;
    statisticsPage_->setObjectName(QStringLiteral("TabSheet1"));
    generalInfo_ = new QTreeWidget(statisticsPage_);
    generalInfo_->setObjectName(QStringLiteral("GeneralInfo"));
    generalInfo_->setGeometry(16, 24, 473, 337);
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
    for (std::string_view caption : StatisticsCaptions)
        new QTreeWidgetItem(generalInfo_, QStringList{latin1(caption)});
    fitStatisticsColumns();
    pages_->addTab(statisticsPage_, QStringLiteral("General Genome Information"));

    const struct {
        const char* page;
        const char* caption;
        const char* tree;
        DisplayTreeModel** model;
        const DisplayTree* source;
    } treePages[4] = {
        {"MutatedTab", "Mutated genes", "MutatedGenes", &mutatedModel_, &result_.mutatedGenes},
        {"Missings", "Missing Genes", "MissingGenes", &missingModel_, &result_.missingGenes},
        {"Additional", "Additional Genes", "AdditionalGenes", &additionalModel_, &result_.additionalGenes},
        {"TabSheet2", "Genome Breakdown", "Breakdown", &breakdownModel_, &result_.breakdown},
    };
    for (int i = 0; i < 4; ++i) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromLatin1(treePages[i].page));
        *treePages[i].model = new DisplayTreeModel(treePages[i].source, this);
        QTreeView* view = makeTree(page, treePages[i].tree, *treePages[i].model);
        pages_->addTab(page, QString::fromLatin1(treePages[i].caption));
        if (i < 3)
            comparisonPages_[i] = page;
        else
            breakdownView_ = view;
    }
    QFont breakdownFont = breakdownView_->font();
    breakdownFont.setPixelSize(13);
    breakdownView_->setFont(breakdownFont);
    breakdownView_->setExpandsOnDoubleClick(false);
    breakdownView_->viewport()->installEventFilter(this);
    pages_->setCurrentWidget(statisticsPage_);

    // The buttons lie over the bottom edge of the pages, whichever is active.
    auto* close = new QPushButton(QStringLiteral("Close Helixplot"), this);
    close->setObjectName(QStringLiteral("Button1"));
    close->setGeometry(400, 392, 89, 25);
    close->setAutoDefault(true); // Enter presses it while it has the focus
    connect(close, &QPushButton::clicked, this, [this] { guarded(hooks_.reportError, [&] { Button1Click(); }); });
    auto* load = new QPushButton(QStringLiteral("Load New Genome"), this);
    load->setObjectName(QStringLiteral("Button2"));
    load->setGeometry(272, 392, 115, 25);
    load->setDefault(true);
    load->setAutoDefault(true);
    loadButton_ = load;
    connect(load, &QPushButton::clicked, this, [this] { guarded(hooks_.reportError, [&] { Button2Click(); }); });

    // The design's pixel widths fit its font; a wider font widens the
    // window until every page's tab fits.
    const int extra = std::max(0, pages_->tabBar()->sizeHint().width() + 4 - width());
    if (extra > 0) {
        setFixedSize(width() + extra, height());
        pages_->resize(width(), height());
        generalInfo_->resize(generalInfo_->width() + extra, generalInfo_->height());
        for (int page = 1; page < pages_->count(); ++page) {
            QWidget* tree = pages_->widget(page)->findChild<QTreeView*>();
            tree->resize(tree->width() + extra, tree->height());
        }
        for (QPushButton* button : {close, load})
            button->move(button->x() + extra, button->y());
    }

    guarded(hooks_.reportError, [&] { FormCreate(); });
}

TGeneMainWindow::~TGeneMainWindow()
{
    // The views go before the trees they show.
    delete pages_;
}

QTreeView* TGeneMainWindow::makeTree(QWidget* page, const char* name, DisplayTreeModel* model)
{
    auto* view = new QTreeView(page);
    view->setObjectName(QString::fromLatin1(name));
    view->setGeometry(16, 24, 473, 337);
    view->setModel(model);
    view->setHeaderHidden(true);
    view->setIndentation(19);
    view->setUniformRowHeights(true);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setTextElideMode(Qt::ElideNone);
    view->header()->setStretchLastSection(false);
    // Fits the column to the rows shown, not to the whole tree: a fit is
    // asked for on every expansion and done once the events settle.
    auto* fit = new QTimer(view);
    fit->setSingleShot(true);
    fit->setInterval(0);
    connect(fit, &QTimer::timeout, view, [view] { view->resizeColumnToContents(0); });
    const auto askFit = [fit] { fit->start(); };
    connect(view, &QTreeView::expanded, fit, askFit);
    connect(view, &QTreeView::collapsed, fit, askFit);
    connect(model, &QAbstractItemModel::modelReset, fit, askFit);
    return view;
}

void TGeneMainWindow::FormCreate()
{
    pleaseWait_ = std::make_unique<TPleaseWait>(hooks_.wait, hooks_.paintClock);
    loadGenome_ = std::make_unique<TLoadGenome>(hooks_.reportError, hooks_.chooseFile);
    // The dialogs come and go while this window is hidden; that must not
    // end the program (the program entry also turns off ending with the last
    // window: only endProgram() ends it).
    pleaseWait_->setAttribute(Qt::WA_QuitOnClose, false);
    loadGenome_->setAttribute(Qt::WA_QuitOnClose, false);

    const Settings settings = readSettings();
    loadGenome_->setInitialDirectory(QFile::decodeName(QByteArray::fromStdString(settings.geneticsDirectory)));
    loadChemicalNames(settings.chemicalFilePath());

    if (showSelectionDialog() != QDialog::Accepted) {
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
    programEnded_ = true;
    // Ends the message loop if it runs; before it runs, the program entry
    // asks programEnded().
    QCoreApplication::quit();
}

void TGeneMainWindow::Button1Click()
{
    endProgram();
}

void TGeneMainWindow::closeEvent(QCloseEvent* event)
{
    // The window has no close button, but the window system may close it
    // all the same: that ends the program as "Close Helixplot" does.
    endProgram();
    event->accept();
}

void TGeneMainWindow::Button2Click()
{
    if (!startupRun_) {
        hide();
        pumpEvents();
        if (showSelectionDialog() != QDialog::Accepted) {
            show();
            return;
        }
    }
    runMapping();
    if (!startupRun_)
        show();
}

void TGeneMainWindow::runMapping()
{
    const MappingInput input = loadGenome_->mappingInput();
    mappingMode_ = input.mode;
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

void TGeneMainWindow::fitStatisticsColumns()
{
    // The designed widths, widened where a wider font needs it: the table
    // has 19 rows, so measuring them costs nothing.
    const int widths[4] = {114, 125, 110, 120};
    for (int column = 0; column < 4; ++column) {
        generalInfo_->resizeColumnToContents(column);
        generalInfo_->setColumnWidth(column, std::max(widths[column], generalInfo_->columnWidth(column)));
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
    fitStatisticsColumns();
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
    if (event->type() == QEvent::MouseButtonDblClick && watched == breakdownView_->viewport()) {
        // The dump takes the place of the view's own double-click handling,
        // which would select a node again after the walk.
        guarded(hooks_.reportError, [&] { BreakdownDblClick(); });
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TGeneMainWindow::BreakdownDblClick()
{
    dumpBreakdown(*breakdownView_, *breakdownModel_, hooks_.dumpFilePath);
}

} // namespace helixplot
