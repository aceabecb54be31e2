// SPDX-License-Identifier: GPL-3.0-or-later
#include "populationModel.h"

#include "backgroundTask.h"
#include "genetics/textEncoding.h"

#include <QFile>

#include <algorithm>

namespace helixplot {

namespace {

const char* const Titles[PopulationModel::ColumnCount] = {"File",   "Genus",      "Mother",   "Father", "Genes",
                                                          "Organs", "Generation", "Children", "Mutated"};

// As the writers show names: UTF-8 when it is, else Latin-1.
QString nameText(const std::optional<std::string>& text)
{
    return text ? QString::fromStdString(utf8Text(*text)) : QString();
}

} // namespace

PopulationModel::PopulationModel(QObject* parent) : QAbstractTableModel(parent)
{
    census_ = growing_ = std::make_shared<Census>();
}

PopulationModel::~PopulationModel()
{
    startBackgroundThread([census = std::move(census_), growing = std::move(growing_)]() mutable {
        census.reset();
        growing.reset();
    });
}

void PopulationModel::clear()
{
    beginResetModel();
    census_ = growing_ = std::make_shared<Census>();
    linked_ = false;
    endResetModel();
}

void PopulationModel::appendReadRows(std::vector<CensusRow> rows)
{
    if (rows.empty() || !growing_)
        return;
    const int first = rowCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    for (CensusRow& row : rows)
        growing_->rows.push_back(std::move(row));
    endInsertRows();
}

void PopulationModel::setCensus(std::shared_ptr<const Census> census)
{
    beginResetModel();
    census_ = std::move(census);
    growing_.reset();
    linked_ = true;
    endResetModel();
}

namespace {

// The cells the table shows, apart from the file: parents' rows move with
// every insertion and are not shown.
bool sameCells(const CensusRow& a, const CensusRow& b)
{
    return a.error == b.error && a.genus == b.genus && a.mother == b.mother && a.father == b.father &&
           a.genes == b.genes && a.organs == b.organs && a.generation == b.generation && a.children == b.children &&
           a.mutatedTotal() == b.mutatedTotal();
}

void addToRanges(std::vector<CensusChange::Range>& ranges, int row)
{
    if (!ranges.empty() && ranges.back().last + 1 == row)
        ranges.back().last = row;
    else
        ranges.push_back({row, row});
}

// Beyond this many places the table is taken whole: each removal or
// insertion costs the proxy a pass over all its rows (0.1 ms at 20,000
// rows), a new table about 10 ms.
constexpr std::size_t MostRanges = 64;

} // namespace

CensusChange censusChange(const Census& before, const Census& after)
{
    CensusChange change;
    const auto& old = before.rows;
    const auto& now = after.rows;
    std::size_t i = 0, j = 0;
    while (i < old.size() || j < now.size()) {
        if (j == now.size() || (i < old.size() && old[i].file < now[j].file)) {
            addToRanges(change.removed, static_cast<int>(i++));
        } else if (i == old.size() || now[j].file < old[i].file) {
            addToRanges(change.inserted, static_cast<int>(j++));
        } else {
            if (!sameCells(old[i], now[j]))
                addToRanges(change.changed, static_cast<int>(j));
            ++i;
            ++j;
        }
    }
    return change;
}

void PopulationModel::updateCensus(std::shared_ptr<const Census> census, const CensusChange& change)
{
    if (!linked_ || change.removed.size() + change.inserted.size() > MostRanges) {
        setCensus(std::move(census));
        return;
    }
    const auto& next = census->rows;
    bridge_.reserve(std::max(census_->rows.size(), next.size()));
    for (const CensusRow& row : census_->rows)
        bridge_.push_back(&row);
    bridging_ = true;
    // From the end, so that the ranges' rows stay where they were.
    for (auto range = change.removed.rbegin(); range != change.removed.rend(); ++range) {
        beginRemoveRows({}, range->first, range->last);
        bridge_.erase(bridge_.begin() + range->first, bridge_.begin() + range->last + 1);
        endRemoveRows();
    }
    // From the start: each range's rows are then where the next census has them.
    for (const CensusChange::Range& range : change.inserted) {
        beginInsertRows({}, range.first, range.last);
        std::vector<const CensusRow*> rows;
        for (int row = range.first; row <= range.last; ++row)
            rows.push_back(&next[static_cast<std::size_t>(row)]);
        bridge_.insert(bridge_.begin() + range.first, rows.begin(), rows.end());
        endInsertRows();
    }
    census_ = std::move(census);
    bridging_ = false;
    std::vector<const CensusRow*>().swap(bridge_);
    if (change.changed.size() > MostRanges) {
        Q_EMIT dataChanged(index(change.changed.front().first, 0), index(change.changed.back().last, ColumnCount - 1));
        return;
    }
    for (const CensusChange::Range& range : change.changed)
        Q_EMIT dataChanged(index(range.first, 0), index(range.last, ColumnCount - 1));
}

int PopulationModel::rowOfFile(const std::string& file) const
{
    if (linked_) {
        const auto at = std::lower_bound(census_->rows.begin(), census_->rows.end(), file,
                                         [](const CensusRow& row, const std::string& name) { return row.file < name; });
        return at != census_->rows.end() && at->file == file ? static_cast<int>(at - census_->rows.begin()) : -1;
    }
    for (std::size_t i = 0; i < census_->rows.size(); ++i)
        if (census_->rows[i].file == file)
            return static_cast<int>(i);
    return -1;
}

int PopulationModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(bridging_ ? bridge_.size() : census_->rows.size());
}

int PopulationModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString PopulationModel::text(int r, int column) const
{
    const CensusRow& cells = row(r);
    if (column == File)
        return QString::fromStdString(utf8Path(cells.file));
    if (!cells.loaded())
        return column == Genus ? QStringLiteral("error: ") + QString::fromStdString(utf8Text(cells.error)) : QString();
    switch (column) {
    case Genus:
        return nameText(cells.genus);
    case Mother:
        return nameText(cells.mother);
    case Father:
        return nameText(cells.father);
    case Genes:
        return QString::number(cells.genes);
    case Organs:
        return QString::number(cells.organs);
    case Generation:
        return linked_ ? QString::number(cells.generation) : QString();
    case Children:
        return linked_ ? QString::number(cells.children) : QString();
    case Mutated:
        return cells.mutatedTotal() ? QString::number(*cells.mutatedTotal()) : QString();
    default:
        return {};
    }
}

QVariant PopulationModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    // The cell has room for the start of a reader's message only.
    if (role == Qt::ToolTipRole && !row(index.row()).loaded())
        return text(index.row(), Genus);
    if (role == Qt::TextAlignmentRole && index.column() >= Genes)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant PopulationModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromLatin1(Titles[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}

std::optional<std::size_t> PopulationModel::number(int r, int column) const
{
    const CensusRow& cells = row(r);
    if (!cells.loaded())
        return std::nullopt;
    switch (column) {
    case Genes:
        return cells.genes;
    case Organs:
        return cells.organs;
    case Generation:
        return linked_ ? std::optional<std::size_t>(static_cast<std::size_t>(cells.generation)) : std::nullopt;
    case Children:
        return linked_ ? std::optional<std::size_t>(cells.children) : std::nullopt;
    case Mutated:
        return cells.mutatedTotal();
    default:
        return std::nullopt;
    }
}

const std::optional<std::string>& PopulationModel::name(int r, int column) const
{
    static const std::optional<std::string> none;
    const CensusRow& cells = row(r);
    if (!cells.loaded())
        return none;
    return column == Genus ? cells.genus : column == Mother ? cells.mother : column == Father ? cells.father : none;
}

bool PopulationModel::blank(int r, int column) const
{
    if (column == File)
        return false;
    return column < Genes ? !name(r, column) || name(r, column)->empty() : !number(r, column);
}

bool PopulationModel::lessThan(int left, int right, int column) const
{
    if (column > File && column < Genes) {
        const auto& x = name(left, column);
        const auto& y = name(right, column);
        if (x.value_or("") != y.value_or(""))
            return x.value_or("") < y.value_or("");
    } else if (column >= Genes) {
        const auto x = number(left, column);
        const auto y = number(right, column);
        if (x != y)
            return x < y;
    }
    return row(left).file < row(right).file;
}

PopulationFilter::PopulationFilter(PopulationModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), source_(source)
{
    setSourceModel(source);
}

void PopulationFilter::setFilterText(const QString& text)
{
    text_ = text.trimmed();
    invalidateFilter();
}

bool PopulationFilter::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    // Rows without a value stay at the bottom, whichever way the sort goes.
    const bool leftBlank = source_->blank(left.row(), left.column());
    const bool rightBlank = source_->blank(right.row(), right.column());
    if (leftBlank != rightBlank)
        return sortOrder() == Qt::AscendingOrder ? rightBlank : leftBlank;
    return source_->lessThan(left.row(), right.row(), left.column());
}

bool PopulationFilter::filterAcceptsRow(int sourceRow, const QModelIndex&) const
{
    if (text_.isEmpty())
        return true;
    for (int column : {PopulationModel::File, PopulationModel::Genus, PopulationModel::Mother, PopulationModel::Father})
        if (source_->text(sourceRow, column).contains(text_, Qt::CaseInsensitive))
            return true;
    return false;
}

} // namespace helixplot
