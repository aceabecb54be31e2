#include "geneChangeView.h"

#include "anchor.h"
#include "displayTreeModel.h"
#include "treePage.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>
#include <QTextDocument>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace helixplot {

namespace {

QString latin1(std::string_view text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QColor mixed(const QColor& base, const QColor& tint, double share)
{
    return QColor::fromRgbF(static_cast<float>(base.redF() * (1 - share) + tint.redF() * share),
                            static_cast<float>(base.greenF() * (1 - share) + tint.greenF() * share),
                            static_cast<float>(base.blueF() * (1 - share) + tint.blueF() * share));
}

QString shortName(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    return name.isEmpty() ? path : name;
}

} // namespace

QColor changedLineColor(const QPalette& palette)
{
    return mixed(palette.color(QPalette::Base), palette.color(QPalette::Highlight), 0.3);
}

QColor gapLineColor(const QPalette& palette)
{
    return mixed(palette.color(QPalette::Base), palette.color(QPalette::Mid), 0.35);
}

GeneChangeModel::GeneChangeModel(QObject* parent) : QAbstractTableModel(parent) {}

void GeneChangeModel::setDiff(GeneDiff diff, const QString& comparatorTitle, const QString& examinedTitle)
{
    beginResetModel();
    diff_ = std::move(diff);
    rows_ = sideBySideRows(diff_.lines);
    titles_ = {comparatorTitle, examinedTitle};
    endResetModel();
}

void GeneChangeModel::clear()
{
    beginResetModel();
    diff_ = {};
    rows_.clear();
    titles_ = {};
    endResetModel();
}

int GeneChangeModel::firstChangedRow() const
{
    for (std::size_t row = 0; row < rows_.size(); ++row)
        if (rows_[row].changed)
            return static_cast<int>(row);
    return -1;
}

int GeneChangeModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int GeneChangeModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant GeneChangeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const SideBySideRow& row = rows_[static_cast<std::size_t>(index.row())];
    const bool comparator = index.column() == 0;
    const std::size_t line = comparator ? row.comparatorLine : row.examinedLine;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        if (line == NoLine)
            return QString();
        return latin1(comparator ? diff_.comparatorLines[line] : diff_.examinedLines[line]);
    case Qt::BackgroundRole:
        if (line == NoLine)
            return gapLineColor(QApplication::palette());
        if (row.changed)
            return changedLineColor(QApplication::palette());
        return {};
    case ChangedRole:
        return row.changed;
    default:
        return {};
    }
}

QVariant GeneChangeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 2)
        return titles_[static_cast<std::size_t>(section)];
    return QAbstractTableModel::headerData(section, orientation, role);
}

GeneChangeView::GeneChangeView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("GeneChangeView"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 2, 0, 0);
    layout->setSpacing(2);
    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("ChangeSummary"));
    layout->addWidget(summary_);
    for (std::size_t i = 0; i < 2; ++i) {
        auto* model = new GeneChangeModel(this);
        auto* table = new QTableView(this);
        table->setObjectName(i == 0 ? QStringLiteral("FirstComparatorChange")
                                    : QStringLiteral("SecondComparatorChange"));
        table->setModel(model);
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        // Ctrl+C in the view copies the whole change, not a cell.
        table->setFocusPolicy(Qt::NoFocus);
        table->setShowGrid(false);
        table->setWordWrap(false);
        table->verticalHeader()->hide();
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 2);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->horizontalHeader()->setHighlightSections(false);
        table->hide();
        layout->addWidget(table, 1);
        models_[i] = model;
        tables_[i] = table;
    }
    bytes_ = new QPlainTextEdit(this);
    bytes_->setObjectName(QStringLiteral("DifferingBytes"));
    bytes_->setReadOnly(true);
    bytes_->setLineWrapMode(QPlainTextEdit::NoWrap);
    layout->addWidget(bytes_);

    auto* copy = new QAction(QStringLiteral("Copy Changes"), this);
    copy->setObjectName(QStringLiteral("CopyChanges"));
    // No shortcut of its own: the window's Ctrl+C copies the page with the
    // change.
    connect(copy, &QAction::triggered, this, [this] { QApplication::clipboard()->setText(changeText()); });
    addAction(copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    showChange(nullptr, {});
}

void GeneChangeView::showChange(const GeneChange* change, const std::array<QString, 2>& comparatorNames)
{
    showing_ = change != nullptr;
    change_ = change ? *change : GeneChange{};
    for (std::size_t i = 0; i < 2; ++i)
        names_[i] = comparatorNames[i].toLatin1().toStdString();
    QStringList summaries;
    QStringList bytes;
    std::size_t shown = 0;
    if (change) {
        std::vector<GeneDiff> diffs = diffChange(*change);
        for (std::size_t i = 0; i < diffs.size(); ++i) {
            const QString name = shortName(comparatorNames.at(change->comparators[i].comparator));
            GeneDiff& diff = diffs[i];
            summaries << name + QStringLiteral(": ") + latin1(changeSummary(diff));
            for (const ByteChange& b : diff.bytes)
                bytes << name + QStringLiteral(": byte %1: %2 -> %3")
                                    .arg(b.offset)
                                    .arg(b.comparatorValue)
                                    .arg(b.examinedValue);
            models_[shown]->setDiff(std::move(diff), name, QStringLiteral("Examined genome"));
            tables_[shown]->show();
            ++shown;
        }
        if (change->comparators.empty())
            summaries << QStringLiteral("No comparator holds this gene: it is new.");
    } else {
        summaries << QStringLiteral("Select a mutated gene to see what changed.");
    }
    for (std::size_t i = shown; i < 2; ++i) {
        models_[i]->clear();
        tables_[i]->hide();
    }
    summary_->setText(summaries.join(QStringLiteral("; ")));
    bytes_->setPlainText(bytes.join(u'\n'));
    bytes_->setVisible(!bytes.isEmpty());
    const auto byteLines = static_cast<int>(std::min<qsizetype>(3, bytes.size()));
    bytes_->setFixedHeight(bytes_->fontMetrics().lineSpacing() * byteLines + 2 * bytes_->frameWidth() +
                           static_cast<int>(2 * bytes_->document()->documentMargin()) + 2);
    // The first changed line in sight, once the tables have their new size.
    QTimer::singleShot(0, this, [this] {
        for (std::size_t i = 0; i < 2; ++i)
            if (const int row = models_[i]->firstChangedRow(); row >= 0)
                tables_[i]->scrollTo(models_[i]->index(row, 0), QAbstractItemView::PositionAtCenter);
    });
}

QString GeneChangeView::summary() const
{
    return summary_->text();
}

QString GeneChangeView::changeText() const
{
    if (!showing_)
        return {};
    std::string out;
    appendChangeText(change_, names_, out);
    return latin1(out);
}

QAction* attachGeneChangeView(TreePage& mutatedPage, const MappingResult& result,
                              const std::array<QString, 2>& comparatorNames)
{
    QTreeView* mutatedTree = mutatedPage.view();
    QSplitter* splitter = mutatedPage.splitter();
    // Below the tree: the window's design is narrow.
    splitter->setOrientation(Qt::Vertical);
    auto* view = new GeneChangeView(splitter);
    splitter->addWidget(view);
    view->hide();

    auto* toggle = new QAction(QStringLiteral("Show Changes"), &mutatedPage);
    toggle->setObjectName(QStringLiteral("ShowChanges"));
    toggle->setCheckable(true);
    toggle->setIconText(QStringLiteral("Changes"));
    toggle->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    toggle->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    mutatedPage.addAction(toggle);
    mutatedPage.addMenuAction(toggle);

    // Small, above the tree's right end, where the page is empty; it keeps
    // to the right edge when the window grows.
    auto* button = new QToolButton(&mutatedPage);
    button->setObjectName(QStringLiteral("ChangesToggle"));
    button->setDefaultAction(toggle);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const QMargins margins = mutatedPage.layout()->contentsMargins();
    const int width = button->sizeHint().width();
    button->setGeometry(mutatedPage.width() - margins.right() - width, 2, width, margins.top() - 4);
    anchorToParent(button, -1, 2, margins.right(), -1);

    // Also while the window is hidden for a run: the view must not keep
    // showing a gene of the previous one.
    auto update = [view, toggle, mutatedTree, &result, &comparatorNames] {
        if (!toggle->isChecked())
            return;
        view->showChange(
            result.mutatedChanges.of(result.mutatedGenes, DisplayTreeModel::nodeOf(mutatedTree->currentIndex())),
            comparatorNames);
    };
    QObject::connect(toggle, &QAction::toggled, view, [view, splitter, update](bool on) {
        view->setVisible(on);
        if (!on)
            return;
        // The first opening gives the view most of the room; after that the
        // splitter stays where the user put it.
        if (!splitter->property("opened").toBool()) {
            splitter->setProperty("opened", true);
            const int height = splitter->height();
            splitter->setSizes({height * 3 / 10, height - height * 3 / 10});
        }
        update();
    });
    QObject::connect(mutatedTree->selectionModel(), &QItemSelectionModel::currentChanged, view, update);
    // A new run replaces the genes the view was showing.
    QObject::connect(mutatedTree->model(), &QAbstractItemModel::modelReset, view, update);
    return toggle;
}

} // namespace helixplot
