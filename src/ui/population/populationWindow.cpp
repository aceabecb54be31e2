// SPDX-License-Identifier: GPL-3.0-or-later
#include "populationWindow.h"

#include "cli/censusCommands.h"
#include "cli/censusReport.h"
#include "pedigreeView.h"
#include "ui/appSettings.h"
#include "ui/errorReport.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>

#include <stdexcept>

namespace helixplot {

namespace {

// Often enough for the table to fill smoothly, seldom enough to cost nothing.
constexpr int HarvestMs = 40;
// The game writes a genome in a moment; a burst of changes is read once.
constexpr int RescanMs = 300;

QString localNumber(std::size_t n)
{
    return QLocale().toString(static_cast<qulonglong>(n));
}

} // namespace

PopulationWindow::PopulationWindow(const QString& folder, bool recursive, MappingOpener openMapping,
                                   PopulationHooks hooks)
    : QWidget(nullptr, Qt::Window), folder_(folder), recursive_(recursive), openMapping_(std::move(openMapping)),
      hooks_(std::move(hooks)), filter_(&model_)
{
    if (!hooks_.reportError)
        hooks_.reportError = errorBoxReporter([this] { return this; });
    if (!hooks_.confirmReplace)
        hooks_.confirmReplace = replaceQuestionBox();
    if (!hooks_.chooseSaveFile)
        hooks_.chooseSaveFile = [](QWidget* parent, const QString& suggested, const QString& filters, QString* filter) {
            // Asked after the target's checks, as the main window's export does.
            return QFileDialog::getSaveFileName(parent, QStringLiteral("Export Population"), suggested, filters, filter,
                                                QFileDialog::DontConfirmOverwrite);
        };
    setObjectName(QStringLiteral("PopulationWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAcceptDrops(true);
    const QString name = QFileInfo(folder).fileName();
    setWindowTitle(QStringLiteral("Population - ") + (name.isEmpty() ? QDir::toNativeSeparators(folder) : name));

    filterEdit_ = new QLineEdit;
    filterEdit_->setObjectName(QStringLiteral("PopulationFilter"));
    filterEdit_->setPlaceholderText(QStringLiteral("Filter by file, genus or parent"));
    filterEdit_->setClearButtonEnabled(true);
    subfolders_ = new QCheckBox(QStringLiteral("Include subfolders"));
    subfolders_->setChecked(recursive_);
    auto* top = new QHBoxLayout;
    top->addWidget(filterEdit_, 1);
    top->addWidget(subfolders_);

    table_ = new QTableView;
    table_->setObjectName(QStringLiteral("PopulationTable"));
    table_->setModel(&filter_);
    table_->setSortingEnabled(true);
    table_->sortByColumn(-1, Qt::AscendingOrder); // census order until a header is clicked
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    // Fixed heights and widths: nothing reads every cell to size them.
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    const QFontMetrics metrics(table_->font());
    const int widths[PopulationModel::ColumnCount] = {14, 10, 8, 8, 5, 5, 6, 5, 5};
    for (int column = 0; column < PopulationModel::ColumnCount; ++column) {
        const int title = metrics.horizontalAdvance(model_.headerData(column, Qt::Horizontal).toString()) + 28;
        table_->setColumnWidth(column, std::max(title, metrics.horizontalAdvance(u'0') * widths[column] + 12));
    }

    pedigree_ = new PedigreeView;
    auto* fit = new QPushButton(QStringLiteral("Fit"));
    fit->setToolTip(QStringLiteral("The whole pedigree in view (Ctrl+wheel, Ctrl+plus and Ctrl+minus zoom)"));
    connect(fit, &QPushButton::clicked, pedigree_, &PedigreeView::fit);
    auto* pedigreeBar = new QHBoxLayout;
    pedigreeBar->addWidget(new PedigreeLegend);
    pedigreeBar->addStretch(1);
    pedigreeBar->addWidget(fit);
    auto* pedigreePane = new QWidget;
    auto* pedigreeLayout = new QVBoxLayout(pedigreePane);
    pedigreeLayout->setContentsMargins(0, 0, 0, 0);
    pedigreeLayout->addLayout(pedigreeBar);
    pedigreeLayout->addWidget(pedigree_, 1);
    connect(pedigree_, &PedigreeView::creatureClicked, this, &PopulationWindow::selectRow);

    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->addWidget(table_);
    splitter_->addWidget(pedigreePane);
    splitter_->setStretchFactor(0, 2);
    splitter_->setStretchFactor(1, 3);
    splitter_->setSizes({460, 640});

    progress_ = new QProgressBar;
    progress_->setTextVisible(true);
    status_ = new QLabel;
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(status_, 1);
    bottom->addWidget(progress_);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(splitter_, 1);
    layout->addLayout(bottom);
    resize(1100, 700);
    const QByteArray geometry = helixplotSettings().value(QStringLiteral("populationWindow/geometry")).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    splitter_->restoreState(helixplotSettings().value(QStringLiteral("populationWindow/splitter")).toByteArray());

    connect(filterEdit_, &QLineEdit::textChanged, this, [this](const QString& text) {
        filter_.setFilterText(text);
        // Typing a name picks the first creature that holds it.
        if (filter_.rowCount() > 0 && !text.trimmed().isEmpty())
            table_->setCurrentIndex(filter_.index(0, 0));
    });
    // Enter reaches the window from the table and the filter alike (both
    // pass it on); a double-click opens as well.
    connect(table_, &QTableView::doubleClicked, this, &PopulationWindow::openCurrentMapping);
    connect(table_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &PopulationWindow::selectionChanged);
    connect(table_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &PopulationWindow::selectionChanged);
    connect(subfolders_, &QCheckBox::toggled, this, [this](bool on) {
        recursive_ = on;
        startCensus();
    });

    const struct {
        QKeySequence keys;
        std::function<void()> run;
    } shortcuts[] = {
        {QKeySequence::Save, [this] { exportTable(); }},
        {QKeySequence(Qt::Key_Escape), [this] { cancelCensus(); }},
        {QKeySequence::Find, [this] { filterEdit_->setFocus(Qt::ShortcutFocusReason); }},
        {QKeySequence::Close, [this] { close(); }},
    };
    for (const auto& shortcut : shortcuts) {
        auto* s = new QShortcut(shortcut.keys, this);
        connect(s, &QShortcut::activated, this,
                [this, run = shortcut.run] { guarded(hooks_.reportError, [&] { run(); }); });
    }

    harvestTimer_.setInterval(HarvestMs);
    connect(&harvestTimer_, &QTimer::timeout, this, &PopulationWindow::harvest);
    rescanTimer_.setSingleShot(true);
    rescanTimer_.setInterval(RescanMs);
    connect(&rescanTimer_, &QTimer::timeout, this, &PopulationWindow::rescanFolder);
    backgroundTimer_.setInterval(HarvestMs);
    connect(&backgroundTimer_, &QTimer::timeout, this, &PopulationWindow::pickUpBackgroundWork);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { rescanTimer_.start(RescanMs); });

    table_->setFocus(Qt::OtherFocusReason);
    startCensus();
}

PopulationWindow::~PopulationWindow() = default;

std::string PopulationWindow::pathOf(const std::string& file) const
{
    return QFile::encodeName(QDir(folder_).filePath(QFile::decodeName(QByteArray::fromStdString(file)))).toStdString();
}

void PopulationWindow::startCensus()
{
    job_.reset();
    ++censusVersion_;
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    seen_.clear();
    filterEdit_->clear();
    model_.clear();
    pedigree_->setPedigree({}, {});
    progress_->setRange(0, 0);
    progress_->show();
    status_->setText(QStringLiteral("Reading the genomes... (Esc cancels)"));
    job_ = std::make_unique<CensusJob>(QFile::encodeName(folder_).toStdString(), recursive_);
    harvestTimer_.start();
}

void PopulationWindow::harvest()
{
    if (!job_)
        return;
    CensusJob::Harvest harvest = job_->take();
    if (!harvest.rows.empty()) {
        // The first row is current as soon as there is one, and stays so
        // while rows that sort before it arrive, until the user moves on.
        const QModelIndex current = table_->currentIndex();
        const bool atTop = !current.isValid() || current.row() == 0;
        model_.appendReadRows(std::move(harvest.rows));
        if (atTop && filter_.rowCount() > 0)
            table_->setCurrentIndex(filter_.index(0, 0));
    }
    if (harvest.total > 0) {
        progress_->setRange(0, static_cast<int>(harvest.total));
        progress_->setValue(static_cast<int>(harvest.done));
        status_->setText(QStringLiteral("Reading the genomes: %1 of %2 (Esc cancels)")
                             .arg(localNumber(harvest.done), localNumber(harvest.total)));
    }
    if (harvest.finished)
        finishCensus(harvest);
}

void PopulationWindow::finishCensus(CensusJob::Harvest& harvest)
{
    harvestTimer_.stop();
    job_.reset();
    progress_->hide();
    if (harvest.error) {
        try {
            std::rethrow_exception(harvest.error);
        } catch (const CensusCancelled&) {
            status_->setText(QStringLiteral("Census cancelled: %1 of %2 genomes read")
                                 .arg(localNumber(harvest.done), localNumber(harvest.total)));
        } catch (const std::exception& error) {
            status_->setText(QDir::toNativeSeparators(folder_) + QStringLiteral(": ") +
                             QString::fromLocal8Bit(error.what()));
            reportError(hooks_.reportError,
                        std::runtime_error(QDir::toNativeSeparators(folder_).toLocal8Bit().toStdString() + ": " +
                                           error.what()));
        }
        Q_EMIT censusFinished();
        return;
    }
    // The current creature stays current in the finished census, unless the
    // user has not moved from the first row, which stays current: rows came
    // in as they were read, not in the census's order.
    const QModelIndex current = table_->currentIndex();
    const bool atTop = !current.isValid() || current.row() == 0;
    const std::string currentFile =
        current.isValid() ? model_.row(filter_.mapToSource(current).row()).file : std::string();
    model_.setCensus(std::move(harvest.census));
    ++censusVersion_;
    // The table is whole now; the pedigree follows once laid out.
    fitPedigree_ = true;
    layOutPedigree();
    if (atTop && filter_.rowCount() > 0) {
        table_->setCurrentIndex(filter_.index(0, 0));
    } else if (model_.rowCount() > 0) {
        const int row = currentFile.empty() ? 0 : std::max(0, model_.rowOfFile(currentFile));
        table_->setCurrentIndex(filter_.mapFromSource(model_.index(row, 0)));
    }
    showCount();
    watchFolder();
    Q_EMIT censusFinished();
}

void PopulationWindow::showCount()
{
    const std::size_t count = model_.census().rows.size();
    status_->setText(count == 1 ? QStringLiteral("1 genome") : localNumber(count) + QStringLiteral(" genomes"));
}

void PopulationWindow::cancelCensus()
{
    if (job_)
        job_->cancel();
}

void PopulationWindow::watchFolder()
{
    watcher_.addPath(folder_);
    // Files the census never saw (written while it ran) or saw and are gone.
    for (const CensusRow& row : model_.census().rows)
        if (row.file.ends_with(".gen")) // not the rows of unread subfolders
            seen_.insert(QFile::decodeName(QByteArray::fromStdString(row.file)), {-1, -1});
    rescanFolder();
}

namespace {

// Every "*.gen" file below folder (relative, '/'-separated) with its size
// and change time; the subfolders when recursive.
PopulationWindow::Listing listGenomes(const QString& folder, bool recursive)
{
    PopulationWindow::Listing listing;
    const QDir root(folder);
    QDirIterator it(folder, {QStringLiteral("*.gen")}, QDir::Files | QDir::System | QDir::Hidden,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        // The census takes "*.gen" exactly: no other case.
        if (info.fileName().endsWith(QStringLiteral(".gen")))
            listing.files.insert(root.relativeFilePath(info.filePath()),
                                 {info.size(), info.lastModified().toMSecsSinceEpoch()});
    }
    if (recursive) {
        QDirIterator dirs(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (dirs.hasNext())
            listing.folders << dirs.next();
    }
    return listing;
}

template <typename T> bool ready(const std::future<T>& future)
{
    return future.valid() && future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

} // namespace

void PopulationWindow::rescanFolder()
{
    if (job_ || !model_.linked() || listing_.valid())
        return;
    // Ten thousand files take a while to list: on a thread of its own.
    listing_ = std::async(std::launch::async, listGenomes, folder_, recursive_);
    backgroundTimer_.start();
}

void PopulationWindow::pickUpBackgroundWork()
{
    if (ready(listing_))
        applyListing(listing_.get());
    if (ready(layout_)) {
        PedigreeLayout layout = layout_.get();
        // Laid out for the census as it is now, or laid out again.
        if (layoutOf_ == censusVersion_) {
            pedigree_->setPedigree(model_.census(), layout);
            if (fitPedigree_)
                pedigree_->fit();
            fitPedigree_ = false;
            selectionChanged();
            Q_EMIT pedigreeShown();
        } else {
            layOutPedigree();
        }
    }
    if (!listing_.valid() && !layout_.valid())
        backgroundTimer_.stop();
}

void PopulationWindow::layOutPedigree()
{
    if (layout_.valid())
        return; // picked up, then laid out again
    layoutOf_ = censusVersion_;
    layout_ =
        std::async(std::launch::async, [nodes = pedigreeNodes(model_.census())] { return layoutPedigree(nodes); });
    backgroundTimer_.start();
}

void PopulationWindow::applyListing(const Listing& listing)
{
    QStringList changed;
    for (auto at = listing.files.cbegin(); at != listing.files.cend(); ++at) {
        const auto was = seen_.constFind(at.key());
        // A file the census read is taken as it is now the first time.
        if (was == seen_.cend() || (was->first >= 0 && *was != at.value()))
            changed << at.key();
    }
    for (auto at = seen_.cbegin(); at != seen_.cend(); ++at)
        if (!listing.files.contains(at.key()))
            changed << at.key();
    seen_ = listing.files;
    for (const QString& folder : listing.folders)
        if (!watcher_.directories().contains(folder))
            watcher_.addPath(folder);
    if (changed.isEmpty())
        return;
    changed.sort();
    for (const QString& file : changed)
        model_.updateFile(QFile::encodeName(folder_).toStdString(), QFile::encodeName(file).toStdString());
    ++censusVersion_;
    layOutPedigree();
    showCount();
    // A file still being written is read again once it settles.
    QTimer::singleShot(1000, this, &PopulationWindow::rescanFolder);
    Q_EMIT folderUpdated();
}

std::pair<QString, QStringList> PopulationWindow::mappingOf(int row) const
{
    const CensusRow& creature = model_.row(row);
    const QString examined = QDir::toNativeSeparators(QString::fromStdString(pathOf(creature.file)));
    if (!creature.motherRow || !creature.fatherRow)
        return {QStringLiteral("breakdown"), {examined}};
    const std::string& motherFile = model_.row(static_cast<int>(*creature.motherRow)).file;
    const std::string& fatherFile = model_.row(static_cast<int>(*creature.fatherRow)).file;
    // The selection dialog finds parents beside the child; elsewhere in the
    // folder they are named as comparators.
    const std::string beside = creature.file.substr(0, creature.file.rfind('/') + 1);
    if (creature.mother && creature.father && motherFile == beside + *creature.mother + ".gen" &&
        fatherFile == beside + *creature.father + ".gen")
        return {QStringLiteral("parental"), {examined}};
    return {QStringLiteral("dual"),
            {examined, QDir::toNativeSeparators(QString::fromStdString(pathOf(motherFile))),
             QDir::toNativeSeparators(QString::fromStdString(pathOf(fatherFile)))}};
}

void PopulationWindow::openCurrentMapping()
{
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid() || opening_ || !openMapping_)
        return;
    const int row = filter_.mapToSource(current).row();
    if (!model_.row(row).loaded())
        return;
    const auto [mode, files] = mappingOf(row);
    opening_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{opening_};
    guarded(hooks_.reportError, [&] { openMapping_(mode, files); });
}

void PopulationWindow::exportTable()
{
    if (!model_.linked() || job_)
        throw std::runtime_error("The census is not finished: there is nothing to export yet");
    const QString csvFilter = QStringLiteral("CSV files (*.csv)");
    const QString htmlFilter = QStringLiteral("HTML report (*.html)");
    QString filter = csvFilter;
    QSettings settings = helixplotSettings();
    const QString folder = settings.value(QStringLiteral("export/folder"), QDir::homePath()).toString();
    QString path = hooks_.chooseSaveFile(this, QDir(folder).filePath(QStringLiteral("census.csv")),
                                         csvFilter + QStringLiteral(";;") + htmlFilter, &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter == htmlFilter ? QStringLiteral(".html") : QStringLiteral(".csv");
    refuseExportTarget(path, {});
    if (QFileInfo::exists(path) && !hooks_.confirmReplace(this, path))
        return;
    exportTo(path);
    settings.setValue(QStringLiteral("export/folder"), QFileInfo(path).absolutePath());
}

void PopulationWindow::exportTo(const QString& path)
{
    // Refused before the work: a genome (by name or by its first bytes),
    // anything but a regular file.
    refuseExportTarget(path, {});
    const QString suffix = QFileInfo(path).suffix().toLower();
    const std::string bytes = suffix == QStringLiteral("html") || suffix == QStringLiteral("htm")
                                  ? cli::censusReportHtml(model_.census(), QFile::encodeName(folder_).toStdString())
                                  : cli::censusCsv(model_.census());
    writeExportFile(path, bytes, {});
}

void PopulationWindow::selectionChanged()
{
    if (!model_.linked())
        return;
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid()) {
        pedigree_->select(std::nullopt);
        return;
    }
    const auto row = static_cast<std::size_t>(filter_.mapToSource(current).row());
    // Two rows chosen (Ctrl): the line between the other one and this.
    std::optional<std::size_t> other;
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.size() == 2)
        for (const QModelIndex& index : rows)
            if (index.row() != current.row())
                other = static_cast<std::size_t>(filter_.mapToSource(index).row());
    if (other)
        pedigree_->select(other, row);
    else
        pedigree_->select(row);
}

void PopulationWindow::selectRow(std::size_t row, bool second)
{
    QModelIndex index = filter_.mapFromSource(model_.index(static_cast<int>(row), 0));
    if (!index.isValid()) {
        // Filtered out: the whole table again.
        filterEdit_->clear();
        index = filter_.mapFromSource(model_.index(static_cast<int>(row), 0));
    }
    QItemSelectionModel* selection = table_->selectionModel();
    if (second && selection->selectedRows().size() == 1)
        selection->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    else
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(index);
}

void PopulationWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        openCurrentMapping();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopulationWindow::closeEvent(QCloseEvent* event)
{
    helixplotSettings().setValue(QStringLiteral("populationWindow/geometry"), saveGeometry());
    helixplotSettings().setValue(QStringLiteral("populationWindow/splitter"), splitter_->saveState());
    job_.reset();
    event->accept();
    if (lastProgramWindow(this))
        QCoreApplication::quit();
}

void PopulationWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!populationFolderOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void PopulationWindow::dropEvent(QDropEvent* event)
{
    const QString folder = populationFolderOf(event->mimeData());
    if (folder.isEmpty())
        return;
    event->acceptProposedAction();
    Q_EMIT populationRequested(folder);
}

} // namespace helixplot
