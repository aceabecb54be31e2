// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mapping/census.h"
#include "mapping/pedigreeLayout.h"

#include "backgroundTask.h"

#include <QGraphicsView>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace helixplot {

class PedigreeItem;

// The boxes, names and lines of a census's pedigree, made on any thread
// (ten thousand names take milliseconds) and then handed to setPedigree.
struct PedigreeScene;
std::shared_ptr<PedigreeScene> preparePedigree(const Census& census, const PedigreeLayout& layout);

// Ctrl+wheel of a pedigree: zooms by zoomBy about the point under the
// pointer (a view's own anchor knows the pointer only when it tracks the
// mouse). False for a wheel without Ctrl, which the view scrolls with.
bool zoomAtPointer(QGraphicsView& view, QWheelEvent* event, const std::function<void(double)>& zoomBy);

// The census's family tree from the core's layout: a box per creature with
// its name and mutated genes, coloured by their count. Ctrl+wheel zooms
// (the window's Ctrl+plus and minus too), dragging pans, a click selects (with Ctrl a second
// creature). Far out the boxes are drawn as plain rectangles, so that ten
// thousand creatures repaint within a frame.
class PedigreeView : public QGraphicsView {
    Q_OBJECT
public:
    explicit PedigreeView(QWidget* parent = nullptr);
    ~PedigreeView() override;

    void setPedigree(const Census& census, const PedigreeLayout& layout);
    // Takes a prepared scene over; what it replaces is freed beside the window.
    void setPedigree(std::shared_ptr<PedigreeScene> scene);
    // The first creature's ancestors and descendants stand out, the rest
    // dims; with a second creature, the line of descent between the two.
    // The view centres on the creature chosen last.
    void select(std::optional<std::size_t> first, std::optional<std::size_t> second = std::nullopt);
    std::optional<std::size_t> selected() const { return first_; }
    // The rows highlighted by the selection (the creature itself included).
    std::vector<std::size_t> highlighted() const;
    void fit();
    void zoomBy(double factor);
    // The creature chosen last back in the middle.
    void centreOnSelected();
    // Drawn into an image beside the window and shown when it is done (the
    // image before it meanwhile), so that ten thousand creatures never hold
    // the window's thread: for the overview.
    void setDrawnAside(bool on);
    // Whether the image shown is of the view as it is now.
    bool frameCurrent() const;
    // The creature whose box is under a point of the viewport.
    std::optional<std::size_t> creatureAt(const QPoint& point) const;
    PedigreeItem* item() const { return item_; }

    // Colours the boxes by a gene's version instead of the count: variants
    // per row (-1: the key is absent; rows beyond it count as absent), the
    // origins outlined. Kept when the pedigree is set again, until cleared.
    void setGeneColouring(const std::vector<int>& variants, const std::vector<std::size_t>& origins);
    void clearGeneColouring();
    // The fill of a row's box as drawn undimmed, and whether it is outlined
    // as an origin.
    QColor boxColour(std::size_t row) const;
    bool isOrigin(std::size_t row) const;

    // The colour of a box for a count of mutated genes (none: no parents).
    static QColor countColour(std::optional<std::size_t> mutated);
    // The colour of a variant (-1: absent); beyond the palette's colours
    // variants share them.
    static QColor variantColour(int variant);
    static constexpr int VariantColours = 12;

Q_SIGNALS:
    void creatureClicked(std::size_t row, bool second);
    // A frame drawn aside is shown.
    void frameShown();

protected:
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyGeneColouring();
    void describeSelection();
    void changed(bool boxes);
    void requestFrame();
    void takeFrame();

    PedigreeItem* item_;
    bool byGene_ = false;
    std::vector<int> geneVariants_;
    std::vector<std::size_t> geneOrigins_;
    std::optional<std::size_t> first_;
    std::optional<std::size_t> second_;
    QPoint pressedAt_;

    bool aside_ = false;
    unsigned version_ = 0; // bumped as the boxes, colours or marks change
    struct Frame {
        QImage image;
        QTransform transform; // the scene to the viewport, as drawn
        unsigned version = 0;
    };
    Frame frame_;
    BackgroundTask<Frame> frameTask_;
    QTimer framePoll_;
    // The boxes and lines as drawn last, shared with the frames being drawn.
    std::shared_ptr<const PedigreeScene> drawn_;
};

// The colours' key, drawn above the pedigree: the counts of mutated genes,
// or a gene's variants.
class PedigreeLegend : public QWidget {
    Q_OBJECT
public:
    explicit PedigreeLegend(QWidget* parent = nullptr);
    QSize sizeHint() const override;

    struct Entry {
        QColor colour; // invalid: text alone
        QString text;
    };
    // No title: the counts again.
    void setEntries(const QString& title, const std::vector<Entry>& entries);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString title_;
    std::vector<Entry> entries_;
    std::vector<Entry> shown() const;
};

} // namespace helixplot
