// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/census.h"
#include "mapping/focusedPedigree.h"

#include <QGraphicsView>

#include <memory>
#include <optional>
#include <vector>

namespace helixplot {

class FocusedItem;

// The family of the current creature at a readable size: its ancestors
// above, its descendants below, mates beside, in the colours of the whole
// pedigree. It follows the current creature without animation; after a
// change of the folder the creatures still there stay where they were.
// Ctrl+wheel zooms at the pointer, dragging pans, a click chooses a
// creature, a double-click opens its mapping.
class FocusedPedigreeView : public QGraphicsView {
    Q_OBJECT
public:
    explicit FocusedPedigreeView(QWidget* parent = nullptr);
    ~FocusedPedigreeView() override;

    // The census shown; the focus stays on the same file while it is in it.
    void setCensus(std::shared_ptr<const Census> census);
    // Lays the family of a row out and centres it; the same row again
    // changes nothing. A second row is outlined too when it is in view.
    void focusOn(std::optional<std::size_t> row, std::optional<std::size_t> second = std::nullopt);
    std::optional<std::size_t> focusRow() const { return layout_.focus; }
    void setGenerations(int above, int below);
    int above() const { return options_.above; }
    int below() const { return options_.below; }

    // Per row the number of its gene's variant (-1: absent), the origins
    // outlined; kept until cleared, rows beyond count as absent.
    void setGeneColouring(const std::vector<int>& numbers, const std::vector<std::size_t>& origins);
    void clearGeneColouring();

    const FocusedPedigree& layout() const { return layout_; }
    // The box of a row in the scene; empty when it is not shown.
    QRectF boxRect(std::size_t row) const;
    std::optional<std::size_t> creatureAt(const QPoint& point) const;
    // Life size, the focus in the middle.
    void zoomToCurrent();
    void centreOnFocus();
    void zoomBy(double factor);

Q_SIGNALS:
    void creatureClicked(std::size_t row, bool second);
    // Double-clicked: its mapping is wanted.
    void creatureActivated(std::size_t row);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void layOut(std::optional<std::size_t> focus, const std::vector<std::optional<std::size_t>>* carried);
    void describe();

    std::shared_ptr<const Census> census_;
    FamilyLinks links_;
    FocusedOptions options_;
    FocusedPedigree layout_;
    std::optional<std::size_t> second_;
    bool byGene_ = false;
    std::vector<int> geneNumbers_;
    std::vector<std::size_t> geneOrigins_;
    FocusedItem* item_;
    QPoint pressedAt_;
};

} // namespace helixplot
