// SPDX-License-Identifier: GPL-3.0-or-later
#include "populationWindow.h"

#include "writers/censusTables.h"
#include "writers/censusReport.h"
#include "pedigreeView.h"
#include "ui/accessibleNames.h"
#include "ui/appSettings.h"
#include "ui/errorReport.h"
#include "ui/screenFit.h"

#include "genetics/geneKinds.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
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
#include <QRegularExpression>
#include <QSettings>
#include <QShortcut>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <stdexcept>

namespace helixplot {

namespace {

// Often enough for the table to fill smoothly, seldom enough to cost nothing.
constexpr int HarvestMs = 40;
// The game writes a genome in a moment; a burst of changes is read once.
constexpr int RescanMs = 300;
// The lineage is traced again once the folder has been still for a moment.
constexpr int LineageMs = 1500;

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
    legend_ = new PedigreeLegend;
    auto* pedigreeBar = new QHBoxLayout;
    pedigreeBar->addWidget(legend_);
    pedigreeBar->addStretch(1);
    pedigreeBar->addWidget(fit);
    auto* pedigreePane = new QWidget;
    auto* pedigreeLayout = new QVBoxLayout(pedigreePane);
    pedigreeLayout->setContentsMargins(0, 0, 0, 0);
    geneBox_ = new QComboBox;
    geneBox_->setObjectName(QStringLiteral("GeneBox"));
    geneBox_->setEditable(true);
    geneBox_->setInsertPolicy(QComboBox::NoInsert);
    geneBox_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    geneBox_->setMinimumContentsLength(28);
    geneBox_->lineEdit()->setPlaceholderText(QStringLiteral("none: coloured by mutated genes; or type T:S:ID"));
    geneBox_->lineEdit()->setClearButtonEnabled(true);
    geneBox_->setToolTip(QStringLiteral("Colours the pedigree by this gene's version"));
    auto* geneLabel = new QLabel(QStringLiteral("Gene:"));
    geneLabel->setBuddy(geneBox_);
    auto* geneBar = new QHBoxLayout;
    geneBar->addWidget(geneLabel);
    geneBar->addWidget(geneBox_, 1);
    variantList_ = new QTreeWidget;
    variantList_->setObjectName(QStringLiteral("VariantList"));
    variantList_->setHeaderLabels({QStringLiteral("Variant"), QStringLiteral("Origin"), QStringLiteral("Carriers")});
    variantList_->setRootIsDecorated(false);
    variantList_->setUniformRowHeights(true);
    variantList_->setMaximumHeight(variantList_->fontMetrics().height() * 7);
    variantList_->hide();
    pedigreeLayout->addLayout(geneBar);
    pedigreeLayout->addWidget(variantList_);
    pedigreeLayout->addLayout(pedigreeBar);
    pedigreeLayout->addWidget(pedigree_, 1);
    connect(pedigree_, &PedigreeView::creatureClicked, this, &PopulationWindow::selectRow);
    connect(geneBox_, &QComboBox::activated, this, [this] { geneBoxEntered(); });
    connect(geneBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] { geneBoxEntered(); });
    connect(geneBox_->lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty() && gene_)
            showGene(std::nullopt);
    });
    connect(variantList_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QVariant origin = item->data(1, Qt::UserRole);
        if (origin.isValid() && origin.toULongLong() < static_cast<qulonglong>(model_.rowCount()))
            selectRow(static_cast<std::size_t>(origin.toULongLong()), false);
    });

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
    fitToScreen(this);
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
    lineageTimer_.setSingleShot(true);
    lineageTimer_.setInterval(LineageMs);
    connect(&lineageTimer_, &QTimer::timeout, this, &PopulationWindow::traceLineageAgain);

    nameControls();
    table_->setFocus(Qt::OtherFocusReason);
    startCensus();
}

PopulationWindow::~PopulationWindow()
{
    *stop_ = true;
}

void PopulationWindow::nameControls()
{
    // What a screen reader says of each control.
    filterEdit_->setAccessibleName(QStringLiteral("Filter"));
    filterEdit_->setAccessibleDescription(filterEdit_->placeholderText() + QStringLiteral("; Ctrl+F comes here."));
    table_->setAccessibleName(QStringLiteral("Creatures"));
    table_->setAccessibleDescription(
        QStringLiteral("The census of the folder, a row per genome; Enter opens the creature's mapping."));
    geneBox_->setAccessibleName(QStringLiteral("Gene"));
    geneBox_->setAccessibleDescription(geneBox_->toolTip());
    geneBox_->lineEdit()->setAccessibleName(QStringLiteral("Gene"));
    variantList_->setAccessibleName(QStringLiteral("Variants"));
    variantList_->setAccessibleDescription(QStringLiteral("The gene's versions; a click chooses the origin."));
    legend_->setAccessibleName(QStringLiteral("Colour key"));
    progress_->setAccessibleName(QStringLiteral("Census progress"));
    status_->setAccessibleName(QStringLiteral("Status"));
    nameClearButton(filterEdit_);
    nameClearButton(geneBox_->lineEdit());
}

std::string PopulationWindow::pathOf(const std::string& file) const
{
    return QFile::encodeName(QDir(folder_).filePath(QFile::decodeName(QByteArray::fromStdString(file)))).toStdString();
}

void PopulationWindow::startCensus()
{
    job_.reset();
    tracingJob_.reset();
    censusLineage_ = {};
    ++censusVersion_;
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    seen_.clear();
    filterEdit_->clear();
    model_.clear();
    events_.clear();
    genes_.clear();
    variants_.reset();
    lineageTimer_.stop();
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
    // Its threads go on tracing the lineage, which follows when done.
    if (!harvest.error) {
        censusLineage_ = job_->lineage();
        tracingJob_ = std::move(job_);
        backgroundTimer_.start();
    }
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
    // The gene box fills when the lineage is in.
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
    // No name filter: it would compile a regular expression on this thread,
    // whose JIT stack MinGW's Qt then fails to free as the thread ends.
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden,
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
            // The gene colouring is kept, for the rows it knows, until read again.
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
    // The census job's lineage, or one traced again after a change.
    for (std::future<Lineage>* traced : {&censusLineage_, &lineage_}) {
        if (!ready(*traced))
            continue;
        Lineage lineage;
        try {
            lineage = traced->get();
        } catch (const std::exception&) {
            // Cancelled, or the folder went: the census says so when read.
        }
        // Traced while the folder changed again: the next trace follows.
        const auto& rows = model_.census().rows;
        const bool same = std::equal(rows.begin(), rows.end(), lineage.census.rows.begin(), lineage.census.rows.end(),
                                     [](const CensusRow& a, const CensusRow& b) { return a.file == b.file; });
        if (same && !lineageTimer_.isActive()) {
            events_ = std::move(lineage.events);
            genes_ = std::move(lineage.genes);
            lineageOf_ = censusVersion_;
            fillGeneBox();
            traceVariants();
            Q_EMIT lineageUpdated();
        }
        if (traced == &censusLineage_)
            tracingJob_.reset();
    }
    if (ready(variantsJob_)) {
        try {
            GeneVariants variants = variantsJob_.get();
            if (variantsOf_ == censusVersion_ && gene_ == variants.geneKey)
                adoptVariants(std::move(variants));
            else
                traceVariants();
        } catch (const std::exception&) {
            // Cancelled: the window is going.
        }
    }
    if (!listing_.valid() && !layout_.valid() && !lineage_.valid() && !censusLineage_.valid() && !variantsJob_.valid())
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
    lineageTimer_.start();
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
    const std::string bytes =
        suffix == QStringLiteral("html") || suffix == QStringLiteral("htm")
            // A lineage of the census before the folder changed names rows
            // that may have moved: left out until traced again.
            ? (lineageOf_ == censusVersion_
                   ? cli::censusReportHtml(model_.census(), QFile::encodeName(folder_).toStdString(), genes_, events_)
                   : cli::censusReportHtml(model_.census(), QFile::encodeName(folder_).toStdString()))
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

QString PopulationWindow::geneCaption(std::uint16_t geneKey)
{
    return QString::fromLatin1(GeneKinds[geneKey >> 8 & 0x0F].statisticsCaption) + QStringLiteral(" ") +
           QStringLiteral("%1").arg(geneKey & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
}

void PopulationWindow::fillGeneBox()
{
    const QString text = geneBox_->currentText();
    const QSignalBlocker block(geneBox_), blockEdit(geneBox_->lineEdit());
    geneBox_->clear();
    for (const GeneHotspot& gene : genes_)
        geneBox_->addItem(geneCaption(gene.geneKey) + (gene.events == 1
                                                           ? QStringLiteral(" (1 event)")
                                                           : QStringLiteral(" (%1 events)").arg(gene.events)),
                          static_cast<uint>(gene.geneKey));
    // The gene chosen stays chosen, whatever its events now.
    int at = -1;
    if (gene_)
        at = geneBox_->findData(static_cast<uint>(*gene_));
    geneBox_->setCurrentIndex(at);
    geneBox_->setEditText(at >= 0 ? geneBox_->itemText(at) : gene_ ? text : QString());
}

void PopulationWindow::geneBoxEntered()
{
    const QString text = geneBox_->currentText().trimmed();
    if (text.isEmpty()) {
        showGene(std::nullopt);
        return;
    }
    const int item = geneBox_->findText(text);
    if (item >= 0) {
        showGene(static_cast<std::uint16_t>(geneBox_->itemData(item).toUInt()));
        return;
    }
    // As helixplot-cli lineage --gene takes it.
    static const QRegularExpression typed(QStringLiteral("^(\\d{1,3}):(\\d{1,3}):(\\d{1,3})$"));
    const QRegularExpressionMatch match = typed.match(text);
    std::optional<std::uint16_t> key;
    if (match.hasMatch() && match.captured(1).toInt() < 256 && match.captured(2).toInt() < 256 &&
        match.captured(3).toInt() < 256)
        key = packedGeneKey(static_cast<std::uint8_t>(match.captured(1).toInt()),
                            static_cast<std::uint8_t>(match.captured(2).toInt()),
                            static_cast<std::uint8_t>(match.captured(3).toInt()));
    if (!key) {
        status_->setText(
            QStringLiteral("Gene '%1' is not TYPE:SUBTYPE:ID, three numbers from 0 to 255 naming a gene kind")
                .arg(text));
        return;
    }
    showGene(key);
}

void PopulationWindow::showGene(std::optional<std::uint16_t> geneKey)
{
    gene_ = geneKey;
    variants_.reset();
    if (!gene_) {
        const QSignalBlocker block(geneBox_), blockEdit(geneBox_->lineEdit());
        geneBox_->setCurrentIndex(-1);
        geneBox_->setEditText(QString());
        pedigree_->clearGeneColouring();
        legend_->setEntries({}, {});
        variantList_->clear();
        variantList_->hide();
        return;
    }
    {
        const QSignalBlocker block(geneBox_), blockEdit(geneBox_->lineEdit());
        const int at = geneBox_->findData(static_cast<uint>(*gene_));
        geneBox_->setCurrentIndex(at);
        geneBox_->setEditText(at >= 0 ? geneBox_->itemText(at) : geneCaption(*gene_));
    }
    traceVariants();
}

void PopulationWindow::traceVariants()
{
    if (!gene_ || job_ || !model_.linked())
        return;
    if (variantsJob_.valid())
        return; // picked up, then read again
    variantsOf_ = censusVersion_;
    std::vector<MutationEvent> events;
    for (const MutationEvent& event : events_)
        if (event.gene.geneKey() == *gene_)
            events.push_back(event);
    variantsJob_ =
        std::async(std::launch::async, [folder = QFile::encodeName(folder_).toStdString(), census = model_.census(),
                                        events = std::move(events), key = *gene_, stop = stop_] {
            return traceGeneVariants(folder, census, events, key, stop.get());
        });
    backgroundTimer_.start();
}

void PopulationWindow::adoptVariants(GeneVariants variants)
{
    std::vector<std::size_t> origins;
    for (const MutationEvent& event : events_)
        if (event.gene.geneKey() == variants.geneKey)
            origins.push_back(event.row);
    pedigree_->setGeneColouring(variants.ofRow, origins);

    const auto nameOf = [this](std::size_t row) {
        QString name = QFile::decodeName(QByteArray::fromStdString(model_.row(static_cast<int>(row)).file));
        if (name.endsWith(QStringLiteral(".gen")))
            name.chop(4);
        return name;
    };
    variantList_->clear();
    std::vector<PedigreeLegend::Entry> entries{{PedigreeView::variantColour(-1), QStringLiteral("absent")}};
    for (std::size_t v = 0; v < variants.variants.size(); ++v) {
        const GeneVariant& variant = variants.variants[v];
        auto* item = new QTreeWidgetItem(variantList_);
        const QColor colour = PedigreeView::variantColour(static_cast<int>(v));
        QPixmap swatch(12, 12);
        swatch.fill(colour);
        item->setIcon(0, QIcon(swatch));
        item->setText(0, QString::number(v + 1));
        item->setText(1, nameOf(variant.origin) + (variant.event ? QString() : QStringLiteral(" (no event)")));
        item->setData(1, Qt::UserRole, static_cast<qulonglong>(variant.origin));
        item->setText(2, localNumber(variant.carriers));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        if (static_cast<int>(v) < PedigreeView::VariantColours)
            entries.push_back({colour, QString::number(v + 1)});
    }
    if (variants.variants.size() > static_cast<std::size_t>(PedigreeView::VariantColours))
        entries.push_back({{}, QStringLiteral("(%1 variants: colours repeat)").arg(variants.variants.size())});
    entries.push_back({{}, QStringLiteral("thick outline: origin")});
    legend_->setEntries(QStringLiteral("Gene %1:").arg(geneCaption(variants.geneKey)), entries);
    variantList_->resizeColumnToContents(0);
    variantList_->resizeColumnToContents(1);
    // Whole rows, at most five, never a row cut in half.
    const int rows = std::min(variantList_->topLevelItemCount(), 5);
    variantList_->setMaximumHeight(variantList_->header()->sizeHint().height() +
                                   rows * variantList_->sizeHintForRow(0) + 2 * variantList_->frameWidth());
    variantList_->show();
    variants_ = std::move(variants);
    Q_EMIT geneShown();
}

void PopulationWindow::traceLineageAgain()
{
    if (job_ || !model_.linked())
        return;
    if (lineage_.valid()) {
        lineageTimer_.start(); // once this trace is in
        return;
    }
    lineage_ = std::async(std::launch::async,
                          [folder = QFile::encodeName(folder_).toStdString(), recursive = recursive_, stop = stop_] {
                              LineageOptions options;
                              options.census.recursive = recursive;
                              options.census.cancel = stop.get();
                              return traceLineage(folder, options);
                          });
    backgroundTimer_.start();
}

void PopulationWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter in the gene box chooses the gene, nothing else.
        if (geneBox_->isAncestorOf(focusWidget()) || focusWidget() == geneBox_)
            return;
        openCurrentMapping();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopulationWindow::closeEvent(QCloseEvent* event)
{
    helixplotSettings().setValue(QStringLiteral("populationWindow/geometry"), saveGeometry());
    helixplotSettings().setValue(QStringLiteral("populationWindow/splitter"), splitter_->saveState());
    *stop_ = true;
    job_.reset();
    tracingJob_.reset();
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
    // After the drop has returned: the window that opens (or is raised)
    // must not come and go under the window system's drag handling.
    QTimer::singleShot(0, this, [this, folder] { Q_EMIT populationRequested(folder); });
}

} // namespace helixplot
