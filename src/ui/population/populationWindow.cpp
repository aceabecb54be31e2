// SPDX-License-Identifier: GPL-3.0-or-later
#include "populationWindow.h"

#include "creaturePanel.h"
#include "focusedPedigreeView.h"
#include "pedigreeView.h"
#include "ui/accessibleNames.h"
#include "ui/appSettings.h"
#include "ui/errorReport.h"
#include "ui/filesRead.h"
#include "ui/screenFit.h"

#include "genetics/geneKinds.h"
#include "genetics/textEncoding.h"
#include "mapping/genomeSummary.h"
#include "writers/captions.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCompleter>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEventLoop>
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
#include <QScrollBar>
#include <QSettings>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QStringListModel>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <stdexcept>

namespace helixplot {

namespace {

QString localNumber(std::size_t n)
{
    return QLocale().toString(static_cast<qulonglong>(n));
}

} // namespace

PopulationWindow::PopulationWindow(const QString& folder, bool recursive, MappingOpener openMapping,
                                   PopulationHooks hooks)
    : QWidget(nullptr, Qt::Window), openMapping_(std::move(openMapping)), hooks_(std::move(hooks)),
      session_(folder, recursive), filter_(&session_.model())
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
    subfolders_->setChecked(recursive);
    auto* reloadButton = new QPushButton(QStringLiteral("Reload"));
    reloadButton->setObjectName(QStringLiteral("Reload"));
    reloadButton->setToolTip(QStringLiteral("Reads the folder again, as after a cancelled census (F5)"));
    reloadButton->setAccessibleName(reloadButton->text());
    connect(reloadButton, &QPushButton::clicked, this, &PopulationWindow::reload);
    auto* top = new QHBoxLayout;
    top->addWidget(filterEdit_, 1);
    top->addWidget(subfolders_);
    top->addWidget(reloadButton);

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
    // Every column in view at the window's starting size: names of four
    // characters (and the file's ending), counts as wide as their titles.
    const int widths[PopulationModel::ColumnCount] = {9, 7, 5, 5, 4, 4, 4, 4, 4};
    int tableWidth = 2 * table_->frameWidth() + table_->verticalScrollBar()->sizeHint().width();
    for (int column = 0; column < PopulationModel::ColumnCount; ++column) {
        const int title = metrics.horizontalAdvance(model().headerData(column, Qt::Horizontal).toString()) + 14;
        table_->setColumnWidth(column, std::max(title, metrics.horizontalAdvance(u'0') * widths[column] + 12));
        tableWidth += table_->columnWidth(column);
    }

    pedigree_ = new PedigreeView;
    pedigree_->setDrawnAside(true);
    focused_ = new FocusedPedigreeView;
    auto* fit = new QPushButton(QStringLiteral("Fit"));
    fit->setToolTip(QStringLiteral("The whole population in the overview (Ctrl+wheel, Ctrl+plus and Ctrl+minus zoom)"));
    connect(fit, &QPushButton::clicked, pedigree_, &PedigreeView::fit);
    searchEdit_ = new QLineEdit;
    searchEdit_->setObjectName(QStringLiteral("CreatureSearch"));
    searchEdit_->setPlaceholderText(QStringLiteral("Find a creature by name"));
    searchEdit_->setClearButtonEnabled(true);
    auto* completer = new QCompleter(new QStringListModel(this), this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setModelSorting(QCompleter::CaseSensitivelySortedModel);
    searchEdit_->setCompleter(completer);
    auto* searchLabel = new QLabel(QStringLiteral("&Find:"));
    searchLabel->setBuddy(searchEdit_);
    QSettings generations = helixplotSettings();
    aboveBox_ = new QSpinBox;
    aboveBox_->setObjectName(QStringLiteral("AncestorGenerations"));
    belowBox_ = new QSpinBox;
    belowBox_->setObjectName(QStringLiteral("DescendantGenerations"));
    for (auto [box, key, fallback] : {std::tuple{aboveBox_, "populationWindow/ancestors", 3},
                                      std::tuple{belowBox_, "populationWindow/descendants", 2}}) {
        box->setRange(0, 20);
        box->setValue(generations.value(QLatin1String(key), fallback).toInt());
    }
    focused_->setGenerations(aboveBox_->value(), belowBox_->value());
    auto* aboveLabel = new QLabel(QStringLiteral("Ancestors:"));
    aboveLabel->setBuddy(aboveBox_);
    auto* belowLabel = new QLabel(QStringLiteral("Descendants:"));
    belowLabel->setBuddy(belowBox_);
    auto* zoomCurrent = new QPushButton(QStringLiteral("Zoom to Current"));
    zoomCurrent->setObjectName(QStringLiteral("ZoomToCurrent"));
    zoomCurrent->setToolTip(QStringLiteral("The current creature's family at life size (Ctrl+0)"));
    connect(zoomCurrent, &QPushButton::clicked, focused_, &FocusedPedigreeView::zoomToCurrent);
    auto* searchBar = new QHBoxLayout;
    searchBar->addWidget(searchLabel);
    searchBar->addWidget(searchEdit_, 1);
    // A row of their own, so that a narrow pane cuts none of them.
    auto* generationsBar = new QHBoxLayout;
    generationsBar->addWidget(aboveLabel);
    generationsBar->addWidget(aboveBox_);
    generationsBar->addWidget(belowLabel);
    generationsBar->addWidget(belowBox_);
    generationsBar->addStretch(1);
    legend_ = new PedigreeLegend;
    auto* pedigreeBar = new QHBoxLayout;
    // A narrow pane cuts the legend's end, never the buttons.
    legend_->setSizePolicy(QSizePolicy::Ignored, legend_->sizePolicy().verticalPolicy());
    pedigreeBar->addWidget(legend_, 1);
    pedigreeBar->addWidget(zoomCurrent);
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
    pedigreeLayout->addLayout(searchBar);
    pedigreeLayout->addLayout(generationsBar);
    pedigreeLayout->addLayout(pedigreeBar);
    // The family of the current creature, readable; the whole population
    // below it as the overview.
    pedigreeSplit_ = new QSplitter(Qt::Vertical);
    pedigreeSplit_->addWidget(focused_);
    pedigreeSplit_->addWidget(pedigree_);
    pedigreeSplit_->setStretchFactor(0, 3);
    pedigreeSplit_->setStretchFactor(1, 1);
    pedigreeSplit_->setSizes({400, 170});
    pedigreeLayout->addWidget(pedigreeSplit_, 1);
    connect(pedigree_, &PedigreeView::creatureClicked, this, &PopulationWindow::selectRow);
    connect(focused_, &FocusedPedigreeView::creatureClicked, this, &PopulationWindow::selectRow);
    connect(focused_, &FocusedPedigreeView::creatureActivated, this, [this](std::size_t row) {
        selectRow(row, false);
        openCurrentMapping();
    });
    connect(searchEdit_, &QLineEdit::returnPressed, this, [this] { findCreature(searchEdit_->text()); });
    connect(completer, qOverload<const QString&>(&QCompleter::activated), this, &PopulationWindow::findCreature);
    for (QSpinBox* box : {aboveBox_, belowBox_})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            focused_->setGenerations(aboveBox_->value(), belowBox_->value());
            QSettings settings = helixplotSettings();
            settings.setValue(QStringLiteral("populationWindow/ancestors"), aboveBox_->value());
            settings.setValue(QStringLiteral("populationWindow/descendants"), belowBox_->value());
        });
    connect(geneBox_, &QComboBox::activated, this, [this] { geneBoxEntered(); });
    connect(geneBox_->lineEdit(), &QLineEdit::returnPressed, this, [this] { geneBoxEntered(); });
    connect(geneBox_->lineEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
        if (text.isEmpty() && session_.gene())
            showGene(std::nullopt);
    });
    connect(variantList_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const QVariant origin = item->data(1, Qt::UserRole);
        if (origin.isValid() && origin.toULongLong() < static_cast<qulonglong>(model().rowCount()))
            selectRow(static_cast<std::size_t>(origin.toULongLong()), false);
    });

    // The current creature's panel under the table.
    panel_ = new CreaturePanel(session_);
    auto* tableSide = new QSplitter(Qt::Vertical);
    tableSide->setObjectName(QStringLiteral("TableSide"));
    tableSide->addWidget(table_);
    tableSide->addWidget(panel_);
    tableSide->setStretchFactor(0, 3);
    tableSide->setStretchFactor(1, 2);
    connect(panel_, &CreaturePanel::creatureChosen, this, [this](std::size_t row) { selectRow(row, false); });
    connect(panel_, &CreaturePanel::mappingAsked, this, [this] { openMappingOf(false); });
    connect(panel_, &CreaturePanel::breakdownAsked, this, [this] { openMappingOf(true); });

    splitter_ = new QSplitter(Qt::Horizontal);
    splitter_->addWidget(tableSide);
    splitter_->addWidget(pedigreePane);
    // The table keeps its columns' width; the pedigree takes what is left.
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    const int pedigreeWidth =
        1100 - tableWidth - splitter_->handleWidth() - 2 * style()->pixelMetric(QStyle::PM_LayoutLeftMargin);
    // The legend's whole row would take the table's room: it may be cut at its end.
    pedigreePane->setMinimumWidth(std::min(pedigreePane->minimumSizeHint().width(), std::max(pedigreeWidth, 300)));
    splitter_->setSizes({tableWidth, pedigreeWidth});

    progress_ = new QProgressBar;
    progress_->setTextVisible(true);
    status_ = new QLabel;
    status_->setObjectName(QStringLiteral("PopulationStatus"));
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
        if (model().linked() && !censusRunning())
            showCount();
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
        session_.setRecursive(on);
        censusStarted();
    });

    const struct {
        QKeySequence keys;
        std::function<void()> run;
    } shortcuts[] = {
        {QKeySequence::Save, [this] { exportTable(); }},
        {QKeySequence(Qt::Key_Escape), [this] { cancelCensus(); }},
        {QKeySequence::Find, [this] { filterEdit_->setFocus(Qt::ShortcutFocusReason); }},
        {QKeySequence::Close, [this] { close(); }},
        // Zoom keys anywhere in the window: the overview when it has the
        // focus, else the family.
        {QKeySequence::ZoomIn, [this] { zoomWith(1.25); }},
        {QKeySequence(Qt::CTRL | Qt::Key_Equal), [this] { zoomWith(1.25); }},
        {QKeySequence::ZoomOut, [this] { zoomWith(0.8); }},
        {QKeySequence(Qt::CTRL | Qt::Key_0), [this] { focused_->zoomToCurrent(); }},
        {QKeySequence::Refresh, [this] { reload(); }},
    };
    for (const auto& shortcut : shortcuts) {
        auto* s = new QShortcut(shortcut.keys, this);
        connect(s, &QShortcut::activated, this,
                [this, run = shortcut.run] { guarded(hooks_.reportError, [&] { run(); }); });
    }

    // The current creature stays current when the census is replaced (the
    // finished census, a batch of changes), unless the user has not moved
    // from the first row, which stays current.
    auto current = std::make_shared<std::pair<std::string, bool>>();
    // Before the current row is restored: the family keeps its focus by file.
    connect(&model(), &QAbstractItemModel::modelReset, this, [this] {
        focused_->setCensus(model().shared());
        // The names for completion a moment later: not in the same hold as
        // the census's hand-over.
        QTimer::singleShot(0, this, &PopulationWindow::fillNames);
    });
    // Choosing the current row again brings it back into view.
    connect(table_, &QTableView::clicked, this, [this] { recentre(); });
    connect(&model(), &QAbstractItemModel::modelAboutToBeReset, this, [this, current] {
        const QModelIndex index = table_->currentIndex();
        current->second = !index.isValid() || index.row() == 0;
        current->first = index.isValid() ? model().row(filter_.mapToSource(index).row()).file : std::string();
    });
    connect(&model(), &QAbstractItemModel::modelReset, this, [this, current] {
        if (filter_.rowCount() == 0)
            return;
        const int row = current->second ? -1 : model().rowOfFile(current->first);
        table_->setCurrentIndex(row < 0 ? filter_.index(0, 0) : filter_.mapFromSource(model().index(row, 0)));
    });
    connect(&session_, &PopulationSession::progress, this, &PopulationWindow::showProgress);
    connect(&session_, &PopulationSession::censusFinished, this, &PopulationWindow::finishCensus);
    connect(&session_, &PopulationSession::pedigreeLaidOut, this, &PopulationWindow::showPedigree);
    connect(&session_, &PopulationSession::folderUpdated, this, &PopulationWindow::folderChanged);
    connect(&session_, &PopulationSession::lineageTraced, this, [this] {
        fillGeneBox();
        panel_->refresh();
        Q_EMIT lineageUpdated();
    });
    connect(&session_, &PopulationSession::variantsTraced, this, &PopulationWindow::showVariants);
    connect(&session_, &PopulationSession::exportProgress, this, [this](int done, int total) {
        progress_->setRange(0, total);
        progress_->setValue(done);
    });
    connect(&session_, &PopulationSession::exportFinished, this, &PopulationWindow::finishExport);
    connect(&session_, &PopulationSession::failed, this, [this](const QString& message) {
        status_->setText(message);
        reportError(hooks_.reportError, std::runtime_error(message.toLocal8Bit().toStdString()));
    });

    // The population's genomes are files the program reads.
    filesRead_ = addFilesRead([this] {
        QStringList files;
        for (const CensusRow& row : model().census().rows)
            files << QFile::decodeName(QByteArray::fromStdString(pathOf(row.file)));
        return files;
    });
    nameControls();
    table_->setFocus(Qt::OtherFocusReason);
    censusStarted();
}

PopulationWindow::~PopulationWindow() = default;

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
    searchEdit_->setAccessibleName(QStringLiteral("Find a creature"));
    searchEdit_->setAccessibleDescription(QStringLiteral("A name makes that creature current; names are completed."));
    aboveBox_->setAccessibleName(QStringLiteral("Ancestor generations"));
    belowBox_->setAccessibleName(QStringLiteral("Descendant generations"));
    nameClearButton(filterEdit_);
    nameClearButton(geneBox_->lineEdit());
    nameClearButton(searchEdit_);
}

std::string PopulationWindow::pathOf(const std::string& file) const
{
    return QFile::encodeName(QDir(folder()).filePath(QFile::decodeName(QByteArray::fromStdString(file)))).toStdString();
}

void PopulationWindow::censusStarted()
{
    filterEdit_->clear();
    panel_->showCreature(std::nullopt);
    pedigree_->setPedigree({}, {});
    variantList_->clear();
    variantList_->hide();
    progress_->setRange(0, 0);
    progress_->show();
    status_->setText(QStringLiteral("Reading the genomes... (Esc cancels)"));
}

void PopulationWindow::showProgress(std::size_t done, std::size_t total)
{
    // The first row is current as soon as there is one, and stays so
    // while rows that sort before it arrive, until the user moves on.
    const QModelIndex current = table_->currentIndex();
    if ((!current.isValid() || current.row() == 0) && filter_.rowCount() > 0)
        table_->setCurrentIndex(filter_.index(0, 0));
    progress_->setRange(0, static_cast<int>(total));
    progress_->setValue(static_cast<int>(done));
    status_->setText(
        QStringLiteral("Reading the genomes: %1 of %2 (Esc cancels)").arg(localNumber(done), localNumber(total)));
}

void PopulationWindow::finishCensus(const QString& message, bool cancelled)
{
    progress_->hide();
    if (cancelled) {
        status_->setText(QStringLiteral("Census cancelled: %1 of %2 genomes read")
                             .arg(localNumber(static_cast<std::size_t>(model().rowCount())),
                                  localNumber(static_cast<std::size_t>(std::max(progress_->maximum(), 0)))));
        Q_EMIT censusFinished();
        return;
    }
    if (!message.isEmpty()) {
        const QString text = QDir::toNativeSeparators(folder()) + QStringLiteral(": ") + message;
        status_->setText(text);
        reportError(hooks_.reportError, std::runtime_error(text.toLocal8Bit().toStdString()));
        Q_EMIT censusFinished();
        return;
    }
    fitPedigree_ = true;
    showCount();
    if (!pendingCreature_.isEmpty())
        showCreature(std::exchange(pendingCreature_, QString()));
    Q_EMIT censusFinished();
}

void PopulationWindow::showCount()
{
    const std::size_t count = model().census().rows.size();
    const QString genomes = count == 1 ? QStringLiteral("1 genome") : localNumber(count) + QStringLiteral(" genomes");
    if (filterEdit_->text().trimmed().isEmpty())
        status_->setText(genomes);
    else
        status_->setText(localNumber(static_cast<std::size_t>(filter_.rowCount())) + QStringLiteral(" of ") + genomes);
}

void PopulationWindow::reload()
{
    session_.setRecursive(subfolders_->isChecked());
    censusStarted();
}

void PopulationWindow::cancelCensus()
{
    session_.cancel();
}

void PopulationWindow::showPedigree(std::shared_ptr<PedigreeScene> scene)
{
    // The gene colouring is kept, for the rows it knows, until read again.
    pedigree_->setPedigree(std::move(scene));
    if (fitPedigree_)
        pedigree_->fit();
    fitPedigree_ = false;
    selectionChanged();
    Q_EMIT pedigreeShown();
}

void PopulationWindow::folderChanged()
{
    showCount();
    // The creature stays current; its row may have moved. Shown after the
    // table has taken the change, not in the same turn of the event loop.
    QTimer::singleShot(0, panel_, [this] { panel_->showCreature(currentRow()); });
    Q_EMIT folderUpdated();
}

std::pair<QString, QStringList> PopulationWindow::mappingOf(int row) const
{
    const CensusRow& creature = model().row(row);
    const QString examined = QDir::toNativeSeparators(QString::fromStdString(pathOf(creature.file)));
    if (!creature.motherRow || !creature.fatherRow)
        return {QStringLiteral("breakdown"), {examined}};
    const std::string& motherFile = model().row(static_cast<int>(*creature.motherRow)).file;
    const std::string& fatherFile = model().row(static_cast<int>(*creature.fatherRow)).file;
    // The selection dialog finds parents beside the child; elsewhere in the
    // folder they are named as comparators.
    if (creature.mother && creature.father && motherFile == parentFileNamed(creature.file, *creature.mother) &&
        fatherFile == parentFileNamed(creature.file, *creature.father))
        return {QStringLiteral("parental"), {examined}};
    return {QStringLiteral("dual"),
            {examined, QDir::toNativeSeparators(QString::fromStdString(pathOf(motherFile))),
             QDir::toNativeSeparators(QString::fromStdString(pathOf(fatherFile)))}};
}

std::optional<std::size_t> PopulationWindow::currentRow() const
{
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid() || !model().linked())
        return std::nullopt;
    return static_cast<std::size_t>(filter_.mapToSource(current).row());
}

void PopulationWindow::openCurrentMapping()
{
    openMappingOf(false);
}

void PopulationWindow::openCurrentBreakdown()
{
    openMappingOf(true);
}

void PopulationWindow::openMappingOf(bool breakdown)
{
    const QModelIndex current = table_->currentIndex();
    if (!current.isValid() || opening_ || !openMapping_)
        return;
    const int row = filter_.mapToSource(current).row();
    if (!model().row(row).loaded())
        return;
    auto [mode, files] = mappingOf(row);
    if (breakdown) {
        mode = QStringLiteral("breakdown");
        files = files.mid(0, 1);
    }
    opening_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{opening_};
    guarded(hooks_.reportError, [&] {
        if (!openMapping_(mode, files))
            status_->setText(
                QStringLiteral("A mapping is under way in the main window: open this one when it is done"));
    });
}

void PopulationWindow::exportTable()
{
    if (!model().linked() || censusRunning())
        throw std::runtime_error("The census is not finished: there is nothing to export yet");
    const QString csvFilter = QStringLiteral("CSV files (*.csv)");
    const QString htmlFilter = QStringLiteral("HTML report (*.html)");
    // Offered under a filter; the whole census stays the default.
    const QString shownFilter = QStringLiteral("CSV files, the filtered rows only (*.csv)");
    const bool filtered = filter_.rowCount() < model().rowCount();
    QString filter = csvFilter;
    QSettings settings = helixplotSettings();
    const QString folder = settings.value(QStringLiteral("export/folder"), QDir::homePath()).toString();
    QString path = hooks_.chooseSaveFile(this, QDir(folder).filePath(QStringLiteral("census.csv")),
                                         csvFilter + QStringLiteral(";;") + htmlFilter +
                                             (filtered ? QStringLiteral(";;") + shownFilter : QString()),
                                         &filter);
    if (path.isEmpty())
        return;
    if (QFileInfo(path).suffix().isEmpty())
        path += filter == htmlFilter ? QStringLiteral(".html") : QStringLiteral(".csv");
    const QStringList readFiles = programFilesRead();
    refuseExportTarget(path, readFiles);
    if (QFileInfo::exists(path) && !hooks_.confirmReplace(this, path))
        return;
    const bool onlyShown = filtered && filter == shownFilter && !path.endsWith(QStringLiteral(".html"));
    session_.startExport(path, readFiles, onlyShown ? std::optional(filteredRows()) : std::nullopt);
    reportExportErrors_ = true;
    settings.setValue(QStringLiteral("export/folder"), QFileInfo(path).absolutePath());
    progress_->setRange(0, 0);
    progress_->show();
    status_->setText(QStringLiteral("Exporting to %1... (Esc cancels)").arg(QDir::toNativeSeparators(path)));
}

void PopulationWindow::finishExport(const QString& path, const QString& error)
{
    progress_->hide();
    if (error.isEmpty()) {
        status_->setText(QStringLiteral("Exported to %1").arg(QDir::toNativeSeparators(path)));
    } else {
        status_->setText(error);
        // Only exportTable() leaves the window to report it: exportTo() throws.
        if (reportExportErrors_ && error != QLatin1String(ExportCancelled))
            reportError(hooks_.reportError, std::runtime_error(error.toLocal8Bit().toStdString()));
    }
    Q_EMIT exported(path, error);
}

std::vector<std::size_t> PopulationWindow::filteredRows() const
{
    std::vector<std::size_t> rows;
    for (int row = 0; row < filter_.rowCount(); ++row)
        rows.push_back(static_cast<std::size_t>(filter_.mapToSource(filter_.index(row, 0)).row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void PopulationWindow::exportTo(const QString& path, bool onlyFiltered)
{
    session_.startExport(path, programFilesRead(), onlyFiltered ? std::optional(filteredRows()) : std::nullopt);
    reportExportErrors_ = false;
    QEventLoop loop;
    QString error;
    connect(this, &PopulationWindow::exported, &loop, [&](const QString&, const QString& failure) {
        error = failure;
        loop.quit();
    });
    loop.exec();
    if (!error.isEmpty())
        throw std::runtime_error(error.toStdString());
}

void PopulationWindow::selectionChanged()
{
    if (!model().linked())
        return;
    const QModelIndex current = table_->currentIndex();
    panel_->showCreature(currentRow());
    if (!current.isValid()) {
        pedigree_->select(std::nullopt);
        return;
    }
    const auto row = static_cast<std::size_t>(filter_.mapToSource(current).row());
    focused_->focusOn(row);
    // Two rows chosen (Ctrl): the line between the other one and this.
    std::optional<std::size_t> other;
    const QModelIndexList rows = table_->selectionModel()->selectedRows();
    if (rows.size() == 2)
        for (const QModelIndex& index : rows)
            if (index.row() != current.row())
                other = static_cast<std::size_t>(filter_.mapToSource(index).row());
    if (other) {
        focused_->focusOn(row, other);
        pedigree_->select(other, row);
    } else
        pedigree_->select(row);
}

void PopulationWindow::selectRow(std::size_t row, bool second)
{
    QModelIndex index = filter_.mapFromSource(model().index(static_cast<int>(row), 0));
    if (!index.isValid()) {
        // Filtered out: the whole table again.
        filterEdit_->clear();
        index = filter_.mapFromSource(model().index(static_cast<int>(row), 0));
    }
    QItemSelectionModel* selection = table_->selectionModel();
    if (second && selection->selectedRows().size() == 1)
        selection->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    else
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    table_->scrollTo(index);
}

void PopulationWindow::setCurrentCreature(int row)
{
    if (row < 0 || row >= model().rowCount())
        return;
    selectRow(static_cast<std::size_t>(row), false);
    recentre();
}

void PopulationWindow::recentre()
{
    focused_->centreOnFocus();
    pedigree_->centreOnSelected();
}

void PopulationWindow::zoomWith(double factor)
{
    if (pedigree_->isAncestorOf(focusWidget()) || focusWidget() == pedigree_)
        pedigree_->zoomBy(factor);
    else
        focused_->zoomBy(factor);
}

void PopulationWindow::fillNames()
{
    QStringList names;
    if (model().linked()) {
        names.reserve(model().rowCount());
        for (const CensusRow& row : model().census().rows)
            names << QString::fromStdString(utf8Text(creatureName(row.file)));
        names.sort(Qt::CaseSensitive);
        names.removeDuplicates();
    }
    static_cast<QStringListModel*>(searchEdit_->completer()->model())->setStringList(names);
}

void PopulationWindow::findCreature(const QString& text)
{
    const QString wanted = text.trimmed();
    if (wanted.isEmpty() || !model().linked())
        return;
    // The name itself first, then the first name that holds the text.
    int partly = -1;
    for (int row = 0; row < model().rowCount(); ++row) {
        const QString name = QString::fromStdString(utf8Text(creatureName(model().row(row).file)));
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
            partly = row;
            break;
        }
        if (partly < 0 && name.contains(wanted, Qt::CaseInsensitive))
            partly = row;
    }
    if (partly < 0) {
        status_->setText(QStringLiteral("No creature is named like '%1'").arg(wanted));
        return;
    }
    setCurrentCreature(partly);
    // The keyboard goes on in the family (Enter opens the mapping, Alt+F
    // finds the next), once the Enter that found has gone by.
    QTimer::singleShot(0, focused_, [this] { focused_->setFocus(Qt::OtherFocusReason); });
}

bool PopulationWindow::showCreature(const QString& path)
{
    if (censusRunning() || !model().linked()) {
        pendingCreature_ = path;
        return true;
    }
    const QString file = QDir(folder()).relativeFilePath(QDir::fromNativeSeparators(path));
    const int row = model().rowOfFile(QFile::encodeName(file).toStdString());
    if (row >= 0)
        setCurrentCreature(row);
    return row >= 0;
}

QString PopulationWindow::geneCaption(std::uint16_t geneKey)
{
    return QString::fromStdString(geneKeyCaption(geneKey));
}

void PopulationWindow::fillGeneBox()
{
    const QString text = geneBox_->currentText();
    const QSignalBlocker block(geneBox_), blockEdit(geneBox_->lineEdit());
    geneBox_->clear();
    const std::optional<std::uint16_t> gene = session_.gene();
    for (const GeneHotspot& gene : hotspots())
        geneBox_->addItem(geneCaption(gene.geneKey) + (gene.events == 1
                                                           ? QStringLiteral(" (1 event)")
                                                           : QStringLiteral(" (%1 events)").arg(gene.events)),
                          static_cast<uint>(gene.geneKey));
    // The gene chosen stays chosen, whatever its events now.
    int at = -1;
    if (gene)
        at = geneBox_->findData(static_cast<uint>(*gene));
    geneBox_->setCurrentIndex(at);
    geneBox_->setEditText(at >= 0 ? geneBox_->itemText(at) : gene ? text : QString());
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
    // As --gene takes it: decimal, or hexadecimal as the captions show ids.
    std::optional<std::uint16_t> key;
    if (const auto numbers = geneNumbersFromText(text.toStdString()))
        key = packedGeneKey((*numbers)[0], (*numbers)[1], (*numbers)[2]);
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
    session_.setGene(geneKey);
    if (!geneKey) {
        const QSignalBlocker block(geneBox_), blockEdit(geneBox_->lineEdit());
        geneBox_->setCurrentIndex(-1);
        geneBox_->setEditText(QString());
        pedigree_->clearGeneColouring();
        focused_->clearGeneColouring();
        legend_->setEntries({}, {});
        variantList_->clear();
        variantList_->hide();
        panel_->refresh();
        return;
    }
    const QSignalBlocker block(geneBox_), blockEdit(geneBox_->lineEdit());
    const int at = geneBox_->findData(static_cast<uint>(*geneKey));
    geneBox_->setCurrentIndex(at);
    geneBox_->setEditText(at >= 0 ? geneBox_->itemText(at) : geneCaption(*geneKey));
}

void PopulationWindow::showVariants()
{
    const GeneVariants& variants = *session_.variants();
    std::vector<std::size_t> origins;
    for (const MutationEvent& event : events())
        if (event.gene.geneKey() == variants.geneKey)
            origins.push_back(event.row);
    // Numbered as before the folder changed, as far as the versions are still there.
    const std::vector<int>& numbers = session_.variantNumbers();
    std::vector<int> numberOfRow(variants.ofRow.size(), -1);
    for (std::size_t row = 0; row < numberOfRow.size(); ++row)
        if (variants.ofRow[row] >= 0)
            numberOfRow[row] = numbers[static_cast<std::size_t>(variants.ofRow[row])];
    pedigree_->setGeneColouring(numberOfRow, origins);
    focused_->setGeneColouring(numberOfRow, origins);

    const auto nameOf = [this](std::size_t row) {
        return QString::fromStdString(utf8Text(creatureName(model().row(static_cast<int>(row)).file)));
    };
    variantList_->clear();
    std::vector<PedigreeLegend::Entry> entries{{PedigreeView::variantColour(-1), QStringLiteral("absent")}};
    for (std::size_t v = 0; v < variants.variants.size(); ++v) {
        const GeneVariant& variant = variants.variants[v];
        auto* item = new QTreeWidgetItem(variantList_);
        const QColor colour = PedigreeView::variantColour(numbers[v]);
        QPixmap swatch(12, 12);
        swatch.fill(colour);
        item->setIcon(0, QIcon(swatch));
        item->setText(0, QString::number(numbers[v] + 1));
        item->setText(1, nameOf(variant.origin) + (variant.event ? QString() : QStringLiteral(" (no event)")));
        item->setData(1, Qt::UserRole, static_cast<qulonglong>(variant.origin));
        item->setText(2, localNumber(variant.carriers));
        item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        if (numbers[v] < PedigreeView::VariantColours)
            entries.push_back({colour, QString::number(numbers[v] + 1)});
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
    panel_->refresh();
    Q_EMIT geneShown();
}

void PopulationWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        // Enter in the gene box chooses the gene, nothing else.
        if (geneBox_->isAncestorOf(focusWidget()) || focusWidget() == geneBox_)
            return;
        // Enter in the search box finds, nothing else.
        if (focusWidget() == searchEdit_)
            return;
        openCurrentMapping();
        return;
    }
    QWidget::keyPressEvent(event);
}

void PopulationWindow::closeEvent(QCloseEvent* event)
{
    // Written beside the window: the settings file is synced to the disk,
    // which on a busy disk takes longer than closing may.
    startBackgroundThread([geometry = saveGeometry(), splitter = splitter_->saveState()] {
        QSettings settings = helixplotSettings();
        settings.setValue(QStringLiteral("populationWindow/geometry"), geometry);
        settings.setValue(QStringLiteral("populationWindow/splitter"), splitter);
    });
    // Whatever runs stops; the window does not wait for it.
    session_.stop();
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
