// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/census.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <memory>
#include <vector>

namespace helixplot {

// How a census differs from the one before it, row by row, worked out
// beside the window so that the table takes a change of the folder as rows
// removed, inserted and changed rather than as a new table. Both censuses
// are in file order.
struct CensusChange {
    struct Range {
        int first = 0;
        int last = 0; // inclusive
    };
    std::vector<Range> removed;  // rows of the census before, ascending
    std::vector<Range> inserted; // rows of the census after, ascending
    std::vector<Range> changed;  // rows of the census after whose cells differ
};
CensusChange censusChange(const Census& before, const Census& after);

// The census as a table, one row per genome file, read from the census's
// rows when asked (nothing is copied into items). Rows come in as the census
// reads them, then the finished census replaces them, then live changes
// keep it up to date.
class PopulationModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { File, Genus, Mother, Father, Genes, Organs, Generation, Children, Mutated, ColumnCount };

    explicit PopulationModel(QObject* parent = nullptr);
    // Ten thousand rows take milliseconds to free: beside the window.
    ~PopulationModel() override;

    // No rows, ready for a census's rows.
    void clear();
    // Rows read so far by a census under way, not yet linked to parents.
    void appendReadRows(std::vector<CensusRow> rows);
    // The finished census, in its own order, or the census after a change
    // of the folder: never changed afterwards, so that workers may read it.
    void setCensus(std::shared_ptr<const Census> census);
    // The census after a change of the folder, taken row by row as change
    // says (censusChange of the census shown and this one): the rows that
    // stay keep their selection and their place in a sorted table. A
    // change scattered over many places is taken as a new table.
    void updateCensus(std::shared_ptr<const Census> census, const CensusChange& change);

    const Census& census() const { return *census_; }
    // The finished census, for workers; none while the census reads.
    std::shared_ptr<const Census> shared() const { return linked_ ? census_ : nullptr; }
    // True once the census is finished: rows are in census order and linked.
    bool linked() const { return linked_; }
    const CensusRow& row(int row) const
    {
        return bridging_ ? *bridge_[static_cast<std::size_t>(row)] : census_->rows[static_cast<std::size_t>(row)];
    }
    // The row of a file ('/'-separated below the folder), -1 when none.
    int rowOfFile(const std::string& file) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The cell's text as the table shows it.
    QString text(int row, int column) const;
    // Whether a row has no value in a column (a file that did not load has
    // none but its name).
    bool blank(int row, int column) const;
    // Orders two rows by a column: numbers as numbers, ties by file.
    bool lessThan(int left, int right, int column) const;

private:
    std::optional<std::size_t> number(int row, int column) const;
    const std::optional<std::string>& name(int row, int column) const;

    std::shared_ptr<const Census> census_;
    // The same census while the census reads, rows added as they come.
    std::shared_ptr<Census> growing_;
    bool linked_ = false;
    // While updateCensus removes and inserts: the rows as the table has
    // them at that moment, some of the census before, some of the next.
    std::vector<const CensusRow*> bridge_;
    bool bridging_ = false;
};

// Sorting by any column and a filter over the file, the genus and the
// parents' names (a case-insensitive part of any of them).
class PopulationFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit PopulationFilter(PopulationModel* source, QObject* parent = nullptr);
    void setFilterText(const QString& text);

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    PopulationModel* source_;
    QString text_;
};

} // namespace helixplot
