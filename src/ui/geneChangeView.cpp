// SPDX-License-Identifier: GPL-3.0-or-later
#include "geneChangeView.h"

#include "anchor.h"
#include "appSettings.h"
#include "displayTreeModel.h"
#include "treePage.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSettings>
#include <QSplitter>
#include <QStyledItemDelegate>
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

// Draws a changed line with the characters that differ from the other
// side's line on a stronger tint, as side-by-side diff viewers do.
class ChangedLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QPoint span = index.data(GeneChangeModel::DifferingCharactersRole).toPoint();
        if (span.y() <= 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        const QString text = opt.text;
        opt.text.clear();
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget);
        const QRect area = style->subElementRect(QStyle::SE_ItemViewItemText, &opt, widget).adjusted(3, 0, -3, 0);
        const QFontMetrics metrics(opt.font);
        const int left = area.left() + metrics.horizontalAdvance(text.left(span.x()));
        const int width = metrics.horizontalAdvance(text.mid(span.x(), span.y()));
        painter->save();
        painter->fillRect(QRect(left, area.top() + 1, width, area.height() - 2),
                          mixed(opt.palette.color(QPalette::Base), opt.palette.color(QPalette::Highlight), 0.65));
        painter->setFont(opt.font);
        painter->setPen(opt.palette.color(QPalette::Text));
        painter->drawText(area, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        painter->restore();
    }
};

} // namespace

QPoint differingCharacters(std::string_view line, std::string_view other)
{
    std::size_t prefix = 0;
    while (prefix < line.size() && prefix < other.size() && line[prefix] == other[prefix])
        ++prefix;
    std::size_t suffix = 0;
    const std::size_t room = std::min(line.size(), other.size()) - prefix;
    while (suffix < room && line[line.size() - 1 - suffix] == other[other.size() - 1 - suffix])
        ++suffix;
    return {static_cast<int>(prefix), static_cast<int>(line.size() - prefix - suffix)};
}

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
    case DifferingCharactersRole: {
        const std::size_t otherLine = comparator ? row.examinedLine : row.comparatorLine;
        if (!row.changed || line == NoLine || otherLine == NoLine)
            return QPoint();
        return comparator ? differingCharacters(diff_.comparatorLines[line], diff_.examinedLines[otherLine])
                          : differingCharacters(diff_.examinedLines[line], diff_.comparatorLines[otherLine]);
    }
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
        table->setAccessibleName(i == 0 ? QStringLiteral("Change against the first comparator")
                                        : QStringLiteral("Change against the second comparator"));
        table->setItemDelegate(new ChangedLineDelegate(table));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->setSelectionMode(QAbstractItemView::NoSelection);
        // Ctrl+C in the view copies the whole change, not a cell.
        table->setFocusPolicy(Qt::NoFocus);
        table->setShowGrid(false);
        table->setWordWrap(false);
        table->verticalHeader()->hide();
        table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
        table->horizontalHeader()->setHighlightSections(false);
        table->hide();
        layout->addWidget(table, 1);
        models_[i] = model;
        tables_[i] = table;
    }
    fitRows();
    bytes_ = new QPlainTextEdit(this);
    bytes_->setObjectName(QStringLiteral("DifferingBytes"));
    bytes_->setReadOnly(true);
    bytes_->setAccessibleName(QStringLiteral("Differing bytes"));
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

void GeneChangeView::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::FontChange)
        return;
    fitRows();
    fitBytesHeight();
}

void GeneChangeView::fitRows()
{
    // A table may shrink to its header and one line, so that the view fits
    // in half the design's page.
    for (QTableView* table : tables_) {
        const int row = table->fontMetrics().height() + 2;
        table->verticalHeader()->setDefaultSectionSize(row);
        table->setMinimumHeight(table->horizontalHeader()->sizeHint().height() + row + 2 * table->frameWidth());
    }
}

void GeneChangeView::fitBytesHeight()
{
    const auto byteLines = static_cast<int>(std::min(3, bytes_->document()->blockCount()));
    bytes_->setFixedHeight(bytes_->fontMetrics().lineSpacing() * byteLines + 2 * bytes_->frameWidth() +
                           static_cast<int>(2 * bytes_->document()->documentMargin()) + 2);
}

int GeneChangeView::contentHeight() const
{
    const QMargins margins = layout()->contentsMargins();
    int height = margins.top() + margins.bottom() + summary_->sizeHint().height();
    for (const QTableView* table : tables_) {
        if (table->isHidden())
            continue;
        height += layout()->spacing() + table->horizontalHeader()->sizeHint().height() + 2 * table->frameWidth() +
                  table->verticalHeader()->defaultSectionSize() * table->model()->rowCount() + 2;
    }
    if (!bytes_->isHidden())
        height += layout()->spacing() + bytes_->height();
    return height;
}

void GeneChangeView::showChange(const GeneChange* change, const std::array<QString, 2>& comparatorNames,
                                const QString& examinedName)
{
    showing_ = change != nullptr;
    change_ = change ? *change : GeneChange{};
    for (std::size_t i = 0; i < 2; ++i)
        names_[i] = comparatorNames[i].toLatin1().toStdString();
    QStringList summaries;
    QStringList bytes;
    std::size_t shown = 0;
    QStringList announced;
    if (change) {
        std::vector<GeneDiff> diffs = diffChange(*change);
        std::vector<QString> names;
        for (const ComparatorGene& comparator : change->comparators)
            names.push_back(shortName(comparatorNames.at(comparator.comparator)));
        // Two comparators with the same gene have the same change: shown once.
        const auto sameBytes = [](const std::vector<ByteChange>& a, const std::vector<ByteChange>& b) {
            return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const ByteChange& x, const ByteChange& y) {
                return x.offset == y.offset && x.comparatorValue == y.comparatorValue &&
                       x.examinedValue == y.examinedValue;
            });
        };
        if (diffs.size() == 2 && diffs[0].comparatorLines == diffs[1].comparatorLines &&
            sameBytes(diffs[0].bytes, diffs[1].bytes)) {
            diffs.pop_back();
            names[0] = QStringLiteral("%1 and %2").arg(names[0], names[1]);
        }
        const QString examinedTitle =
            examinedName.isEmpty() ? QStringLiteral("Examined genome") : shortName(examinedName);
        for (std::size_t i = 0; i < diffs.size(); ++i) {
            const QString name = names[i];
            GeneDiff& diff = diffs[i];
            for (const SideBySideRow& row : sideBySideRows(diff.lines)) {
                if (!row.changed)
                    continue;
                const QString before = row.comparatorLine == NoLine ? QStringLiteral("nothing")
                                                                    : latin1(diff.comparatorLines[row.comparatorLine]);
                const QString after = row.examinedLine == NoLine ? QStringLiteral("nothing")
                                                                 : latin1(diff.examinedLines[row.examinedLine]);
                announced << QStringLiteral("%1: %2, now %3").arg(name, before.trimmed(), after.trimmed());
            }
            summaries << name + QStringLiteral(": ") + latin1(changeSummary(diff));
            for (const ByteChange& b : diff.bytes)
                bytes << name + QStringLiteral(": byte %1: %2 -> %3")
                                    .arg(b.offset)
                                    .arg(b.comparatorValue)
                                    .arg(b.examinedValue);
            models_[shown]->setDiff(std::move(diff), name, examinedTitle);
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
    fitBytesHeight();
    // A screen reader hears which lines changed, not only the summary.
    const QString description = announced.isEmpty()
                                    ? summary_->text()
                                    : QStringLiteral("Changed lines: ") + announced.join(QStringLiteral("; "));
    if (description != accessibleDescription()) {
        setAccessibleDescription(description);
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    }
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
                              const std::array<QString, 2>& comparatorNames, const QString& examinedName)
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
    // Raised, so that it reads as a button with a pressed state, not a label.
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setAccessibleName(QStringLiteral("Show Changes"));
    button->setAccessibleDescription(
        QStringLiteral("Shows below the tree what changed in the selected mutated gene (Ctrl+D)."));
    view->setAccessibleName(QStringLiteral("Gene changes"));
    const QMargins margins = mutatedPage.layout()->contentsMargins();
    const int width = button->sizeHint().width();
    button->setGeometry(mutatedPage.width() - margins.right() - width, 2, width, margins.top() - 4);
    anchorToParent(button, -1, 2, margins.right(), -1);

    // Also while the window is hidden for a run: the view must not keep
    // showing a gene of the previous one.
    auto update = [view, toggle, mutatedTree, &result, &comparatorNames, &examinedName] {
        if (!toggle->isChecked())
            return;
        view->showChange(
            result.mutatedChanges.of(result.mutatedGenes, DisplayTreeModel::nodeOf(mutatedTree->currentIndex())),
            comparatorNames, examinedName);
    };
    QObject::connect(toggle, &QAction::toggled, view, [view, splitter, update](bool on) {
        view->setVisible(on);
        if (!on)
            return;
        update();
        // The first opening fits the view to its change, up to half the
        // page, unless the user placed the splitter in an earlier session;
        // after that it stays where the user puts it.
        if (!splitter->property("opened").toBool()) {
            splitter->setProperty("opened", true);
            const QByteArray state = helixplotSettings().value(QStringLiteral("mutated/changeSplitter")).toByteArray();
            if (state.isEmpty() || !splitter->restoreState(state)) {
                const int height = splitter->height();
                const int shown = std::min(view->contentHeight(), height / 2);
                splitter->setSizes({height - shown, shown});
            }
        }
    });
    QObject::connect(splitter, &QSplitter::splitterMoved, view, [splitter] {
        helixplotSettings().setValue(QStringLiteral("mutated/changeSplitter"), splitter->saveState());
    });
    QObject::connect(mutatedTree->selectionModel(), &QItemSelectionModel::currentChanged, view, update);
    // A new run replaces the genes the view was showing.
    QObject::connect(mutatedTree->model(), &QAbstractItemModel::modelReset, view, update);
    return toggle;
}

} // namespace helixplot
