// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/geneChange.h"
#include "mapping/mappingRun.h"

#include <QAbstractTableModel>
#include <QPalette>
#include <QWidget>

#include <array>

class QAction;
class QLabel;
class QPlainTextEdit;
class QSplitter;
class QTableView;
class QTreeView;

namespace helixplot {
class TreePage;
}

namespace helixplot {

// The tints of the change view, from the palette so that a dark theme still
// reads: a changed line, and the gap where one side has no line.
QColor changedLineColor(const QPalette& palette);
QColor gapLineColor(const QPalette& palette);

// The characters of line that differ from other: the part between their
// common beginning and common end, as (first, count).
QPoint differingCharacters(std::string_view line, std::string_view other);

// One comparator's gene beside the examined gene, row by row: column 0 the
// comparator's lines, column 1 the examined gene's.
class GeneChangeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // True on a row that differs.
    static constexpr int ChangedRole = Qt::UserRole + 1;
    // On a changed row with a line on both sides: the characters of this
    // side's line that differ from the other's, as (first, count).
    static constexpr int DifferingCharactersRole = Qt::UserRole + 2;

    explicit GeneChangeModel(QObject* parent = nullptr);

    void setDiff(GeneDiff diff, const QString& comparatorTitle, const QString& examinedTitle);
    void clear();
    const GeneDiff& diff() const { return diff_; }
    // The first row that differs, or -1.
    int firstChangedRow() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    GeneDiff diff_;
    std::vector<SideBySideRow> rows_;
    std::array<QString, 2> titles_;
};

// What changed in one mutated gene: a one-line summary, then for each
// comparator that holds the gene's key its gene and the examined gene side by
// side with the changed lines tinted, and below them every body byte that
// differs.
class GeneChangeView : public QWidget {
    Q_OBJECT
public:
    explicit GeneChangeView(QWidget* parent = nullptr);

    // Shows change (a copy is kept); comparatorNames are the comparators'
    // file names, examinedName the examined genome's. Null shows nothing but
    // a hint. Comparators whose change is the same are shown once.
    void showChange(const GeneChange* change, const std::array<QString, 2>& comparatorNames,
                    const QString& examinedName = {});
    // The height that shows the whole change.
    int contentHeight() const;

    QString summary() const;
    // The change in helixplot-cli diff's format; empty when none is shown.
    QString changeText() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void fitBytesHeight();
    void fitRows();

    QLabel* summary_ = nullptr;
    std::array<QTableView*, 2> tables_{};
    std::array<GeneChangeModel*, 2> models_{};
    QPlainTextEdit* bytes_ = nullptr;
    GeneChange change_;
    bool showing_ = false;
    std::array<std::string, 2> names_;
};

// Puts a change view below the mutated page's tree, in the page's splitter,
// so the page looks as designed until the view is opened: by the returned
// action (checkable, Ctrl+D, in the tree's context menu) or by a small toggle
// above the tree. The view follows the tree's current gene through result's
// mutatedChanges; comparatorNames are read when a gene is shown.
QAction* attachGeneChangeView(TreePage& mutatedPage, const MappingResult& result,
                              const std::array<QString, 2>& comparatorNames, const QString& examinedName);

} // namespace helixplot
