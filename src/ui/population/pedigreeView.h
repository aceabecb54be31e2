// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/census.h"
#include "mapping/pedigreeLayout.h"

#include <QGraphicsView>
#include <QWidget>

#include <optional>
#include <vector>

namespace helixplot {

class PedigreeItem;

// The census's family tree from the core's layout: a box per creature with
// its name and mutated genes, coloured by their count. Ctrl+wheel and
// Ctrl+plus/minus zoom, dragging pans, a click selects (with Ctrl a second
// creature). Far out the boxes are drawn as plain rectangles, so that ten
// thousand creatures repaint within a frame.
class PedigreeView : public QGraphicsView {
    Q_OBJECT
public:
    explicit PedigreeView(QWidget* parent = nullptr);
    ~PedigreeView() override;

    void setPedigree(const Census& census, const PedigreeLayout& layout);
    // The first creature's ancestors and descendants stand out, the rest
    // dims; with a second creature, the line of descent between the two.
    // The view centres on the creature chosen last.
    void select(std::optional<std::size_t> first, std::optional<std::size_t> second = std::nullopt);
    std::optional<std::size_t> selected() const { return first_; }
    // The rows highlighted by the selection (the creature itself included).
    std::vector<std::size_t> highlighted() const;
    void fit();
    void zoomBy(double factor);
    // The creature whose box is under a point of the viewport.
    std::optional<std::size_t> creatureAt(const QPoint& point) const;
    PedigreeItem* item() const { return item_; }

    // The colour of a box for a count of mutated genes (none: no parents).
    static QColor countColour(std::optional<std::size_t> mutated);

Q_SIGNALS:
    void creatureClicked(std::size_t row, bool second);

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    PedigreeItem* item_;
    std::optional<std::size_t> first_;
    std::optional<std::size_t> second_;
    QPoint pressedAt_;
};

// The colours' key, drawn above the pedigree.
class PedigreeLegend : public QWidget {
    Q_OBJECT
public:
    explicit PedigreeLegend(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace helixplot
