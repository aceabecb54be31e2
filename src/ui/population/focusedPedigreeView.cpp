// SPDX-License-Identifier: GPL-3.0-or-later
#include "focusedPedigreeView.h"

#include "pedigreeView.h"

#include "genetics/textEncoding.h"
#include "writers/captions.h"

#include <QAccessible>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>

#include <algorithm>

namespace helixplot {

// The few boxes of one family, drawn in one pass.
class FocusedItem : public QGraphicsItem {
public:
    struct Box {
        QRectF rect;
        QString name;
        QString count;
        QColor fill;
        FocusedRole role = FocusedRole::Focus;
        bool origin = false;
        bool second = false;
    };
    std::vector<Box> boxes;
    std::vector<QPainterPath> lines;
    QRectF bounds;

    QRectF boundingRect() const override { return bounds; }
    void setBounds(const QRectF& rect)
    {
        prepareGeometryChange();
        bounds = rect;
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) override
    {
        painter->setRenderHint(QPainter::Antialiasing);
        QPen linePen(QColor(0x6a7a90), 1.5);
        linePen.setCosmetic(true);
        painter->setPen(linePen);
        painter->setBrush(Qt::NoBrush);
        for (const QPainterPath& line : lines)
            painter->drawPath(line);
        QFont nameFont = painter->font();
        nameFont.setPixelSize(13);
        nameFont.setBold(true);
        QFont countFont = nameFont;
        countFont.setBold(false);
        countFont.setPixelSize(12);
        for (const Box& box : boxes) {
            QPen border(QColor(0x5a6a80), 1);
            if (box.role == FocusedRole::Mate)
                border.setStyle(Qt::DashLine);
            painter->setPen(border);
            painter->setBrush(box.fill);
            painter->drawRoundedRect(box.rect, 4, 4);
            if (box.origin) {
                painter->setPen(QPen(QColor(0x202020), 3));
                painter->setBrush(Qt::NoBrush);
                painter->drawRoundedRect(box.rect.adjusted(1.5, 1.5, -1.5, -1.5), 3, 3);
            }
            if (box.role == FocusedRole::Focus || box.second) {
                painter->setPen(QPen(QColor(0xd04010), 3));
                painter->setBrush(Qt::NoBrush);
                painter->drawRoundedRect(box.rect.adjusted(-3, -3, 3, 3), 6, 6);
            }
            const QRectF inner = box.rect.adjusted(4, 2, -4, -2);
            painter->setPen(QColor(0x1a1a1a));
            painter->setFont(nameFont);
            const QString name = QFontMetrics(nameFont).elidedText(box.name, Qt::ElideMiddle, int(inner.width()));
            painter->drawText(QRectF(inner.left(), inner.top(), inner.width(), inner.height() / 2),
                              Qt::AlignHCenter | Qt::AlignBottom, name);
            painter->setFont(countFont);
            painter->drawText(QRectF(inner.left(), inner.center().y() + 1, inner.width(), inner.height() / 2),
                              Qt::AlignHCenter | Qt::AlignTop, box.count);
        }
    }
};

FocusedPedigreeView::FocusedPedigreeView(QWidget* parent) : QGraphicsView(parent), item_(new FocusedItem)
{
    setObjectName(QStringLiteral("FocusedPedigree"));
    setAccessibleName(QStringLiteral("Family of the current creature"));
    viewport()->setAccessibleName(QStringLiteral("Family of the current creature"));
    auto* scene = new QGraphicsScene(this);
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    scene->addItem(item_);
    setScene(scene);
    // Drops are the window's (a folder opens its population).
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    setRenderHint(QPainter::Antialiasing);
    setBackgroundBrush(palette().base());
    describe();
}

FocusedPedigreeView::~FocusedPedigreeView() = default;

void FocusedPedigreeView::setCensus(std::shared_ptr<const Census> census)
{
    const std::shared_ptr<const Census> before = std::exchange(census_, std::move(census));
    links_ = census_ ? FamilyLinks(pedigreeNodes(*census_)) : FamilyLinks();
    if (!census_ || !before || !layout_.focus) {
        layOut(std::nullopt, nullptr);
        return;
    }
    // The same file stays in focus, and its family where it was.
    std::vector<std::string> was, now;
    was.reserve(before->rows.size());
    now.reserve(census_->rows.size());
    for (const CensusRow& row : before->rows)
        was.push_back(row.file);
    for (const CensusRow& row : census_->rows)
        now.push_back(row.file);
    const std::vector<std::optional<std::size_t>> carried = rowsCarriedOver(was, now);
    const std::optional<std::size_t> focus = *layout_.focus < carried.size() ? carried[*layout_.focus] : std::nullopt;
    if (second_)
        second_ = *second_ < carried.size() ? carried[*second_] : std::nullopt;
    layOut(focus, &carried);
}

void FocusedPedigreeView::focusOn(std::optional<std::size_t> row, std::optional<std::size_t> second)
{
    if (row == layout_.focus && second == second_)
        return; // the view stays where the user put it
    second_ = second;
    layOut(row, nullptr);
    centreOnFocus();
}

void FocusedPedigreeView::setGenerations(int above, int below)
{
    options_.above = std::clamp(above, 0, 20);
    options_.below = std::clamp(below, 0, 20);
    layOut(layout_.focus, nullptr);
    centreOnFocus();
}

void FocusedPedigreeView::setGeneColouring(const std::vector<int>& numbers, const std::vector<std::size_t>& origins)
{
    byGene_ = true;
    geneNumbers_ = numbers;
    geneOrigins_ = origins;
    std::sort(geneOrigins_.begin(), geneOrigins_.end());
    layOut(layout_.focus, nullptr);
}

void FocusedPedigreeView::clearGeneColouring()
{
    byGene_ = false;
    geneNumbers_.clear();
    geneOrigins_.clear();
    layOut(layout_.focus, nullptr);
}

void FocusedPedigreeView::layOut(std::optional<std::size_t> focus,
                                 const std::vector<std::optional<std::size_t>>* carried)
{
    FocusedPedigree fresh;
    if (focus && census_ && *focus < census_->rows.size())
        fresh = focusedPedigree(links_, *focus, options_);
    if (carried)
        keepPlaces(fresh, layout_, *carried, options_);
    layout_ = std::move(fresh);

    item_->boxes.clear();
    item_->lines.clear();
    for (const FocusedBox& box : layout_.boxes) {
        const CensusRow& row = census_->rows[box.node];
        FocusedItem::Box drawn;
        drawn.rect = QRectF(box.x, box.y, options_.boxWidth, options_.boxHeight);
        drawn.name = QString::fromStdString(utf8Text(creatureName(row.file)));
        const auto mutated = row.mutatedTotal();
        drawn.count = mutated ? QStringLiteral("%1 mutated").arg(*mutated) : QStringLiteral("-");
        if (byGene_) {
            drawn.fill = PedigreeView::variantColour(box.node < geneNumbers_.size() ? geneNumbers_[box.node] : -1);
            drawn.origin = std::binary_search(geneOrigins_.begin(), geneOrigins_.end(), box.node);
        } else {
            drawn.fill = PedigreeView::countColour(mutated);
        }
        drawn.role = box.role;
        drawn.second = second_ == box.node;
        item_->boxes.push_back(std::move(drawn));
    }
    // Down from the parent, across half-way, down to the child; a link
    // within a generation (an interbred family) arcs over the boxes.
    for (const FocusedLine& line : layout_.lines) {
        const QRectF& parent = item_->boxes[line.parent].rect;
        const QRectF& child = item_->boxes[line.child].rect;
        QPainterPath path;
        if (parent.bottom() <= child.top()) {
            const double middle = child.top() - options_.layerGap / 2;
            path.moveTo(parent.center().x(), parent.bottom());
            path.lineTo(parent.center().x(), middle);
            path.lineTo(child.center().x(), middle);
            path.lineTo(child.center().x(), child.top());
        } else {
            const double over = std::min(parent.top(), child.top()) - options_.layerGap / 3;
            path.moveTo(parent.center().x(), parent.top());
            path.cubicTo(parent.center().x(), over, child.center().x(), over, child.center().x(), child.top());
        }
        item_->lines.push_back(path);
    }
    const QRectF bounds =
        layout_.boxes.empty()
            ? QRectF(-100, -50, 200, 100)
            : QRectF(QPointF(layout_.left, layout_.top), QPointF(layout_.right, layout_.bottom))
                  .adjusted(-options_.boxGap * 3, -options_.layerGap, options_.boxGap * 3, options_.layerGap / 2);
    item_->setBounds(bounds);
    scene()->setSceneRect(bounds);
    item_->update();
    describe();
}

QRectF FocusedPedigreeView::boxRect(std::size_t row) const
{
    const auto box = layout_.boxOf(row);
    return box ? item_->boxes[*box].rect : QRectF();
}

void FocusedPedigreeView::centreOnFocus()
{
    if (layout_.focus)
        centerOn(boxRect(*layout_.focus).center());
}

void FocusedPedigreeView::zoomToCurrent()
{
    resetTransform();
    centreOnFocus();
}

void FocusedPedigreeView::zoomBy(double factor)
{
    const double now = transform().m11();
    const double wanted = std::clamp(now * factor, 0.2, 4.0);
    scale(wanted / now, wanted / now);
}

std::optional<std::size_t> FocusedPedigreeView::creatureAt(const QPoint& point) const
{
    const QPointF at = mapToScene(point);
    for (std::size_t b = 0; b < item_->boxes.size(); ++b)
        if (item_->boxes[b].rect.contains(at))
            return layout_.boxes[b].node;
    return std::nullopt;
}

void FocusedPedigreeView::describe()
{
    // What a screen reader says of the drawing.
    QString text = QStringLiteral("No creature chosen.");
    if (layout_.focus) {
        std::size_t ancestors = 0, descendants = 0, mates = 0;
        for (const FocusedBox& box : layout_.boxes) {
            ancestors += box.role == FocusedRole::Ancestor;
            descendants += box.role == FocusedRole::Descendant;
            mates += box.role == FocusedRole::Mate;
        }
        text = QStringLiteral("The family of %1: %2 ancestors, %3 descendants, %4 mates.")
                   .arg(QString::fromStdString(utf8Text(creatureName(census_->rows[*layout_.focus].file))))
                   .arg(ancestors)
                   .arg(descendants)
                   .arg(mates);
    }
    if (text == accessibleDescription())
        return;
    setAccessibleDescription(text);
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

void FocusedPedigreeView::wheelEvent(QWheelEvent* event)
{
    if (!zoomAtPointer(*this, event, [this](double factor) { zoomBy(factor); }))
        QGraphicsView::wheelEvent(event);
}

void FocusedPedigreeView::mousePressEvent(QMouseEvent* event)
{
    pressedAt_ = event->position().toPoint();
    QGraphicsView::mousePressEvent(event);
}

void FocusedPedigreeView::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    if (event->button() != Qt::LeftButton || (event->position().toPoint() - pressedAt_).manhattanLength() > 4)
        return;
    if (const auto row = creatureAt(event->position().toPoint()))
        Q_EMIT creatureClicked(*row, event->modifiers() & Qt::ControlModifier);
}

void FocusedPedigreeView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        if (const auto row = creatureAt(event->position().toPoint())) {
            event->accept();
            Q_EMIT creatureActivated(*row);
            return;
        }
    QGraphicsView::mouseDoubleClickEvent(event);
}

} // namespace helixplot
