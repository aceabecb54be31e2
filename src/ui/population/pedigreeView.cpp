// SPDX-License-Identifier: GPL-3.0-or-later
#include "pedigreeView.h"

#include "backgroundTask.h"
#include "genetics/textEncoding.h"
#include "mapping/mutatedColours.h"
#include "writers/captions.h"

#include <QAccessible>
#include <QFile>
#include <QGraphicsItem>
#include <QGraphicsScene>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionGraphicsItem>
#include <QWheelEvent>

#include <array>
#include <cmath>
#include <deque>

namespace helixplot {

namespace {

// Counts of mutated genes by colour, on the report's scale: bucket 0 for a
// count not known, then one per shade.
constexpr int BucketCount = static_cast<int>(MutatedShades.size()) + 1;
const std::array<QRgb, BucketCount> BucketColours = [] {
    std::array<QRgb, BucketCount> colours{NotCountedColour};
    for (std::size_t i = 0; i < MutatedShades.size(); ++i)
        colours[i + 1] = MutatedShades[i].rgb;
    return colours;
}();

QString bucketName(int bucket)
{
    if (bucket == 0)
        return QStringLiteral("not counted");
    const auto shade = static_cast<std::size_t>(bucket - 1);
    const std::size_t from = MutatedShades[shade].from;
    const std::optional<std::size_t> end = mutatedShadeEnd(shade);
    if (!end)
        return QStringLiteral("%1+").arg(from);
    return *end == from ? QString::number(from) : QStringLiteral("%1\u2013%2").arg(from).arg(*end);
}

int bucketOf(std::optional<std::size_t> mutated)
{
    const std::optional<std::size_t> shade = mutatedShade(mutated);
    return shade ? static_cast<int>(*shade) + 1 : 0;
}

// Distinct enough side by side, light enough for black text; the first
// colour is the grey of an absent key.
constexpr QRgb GeneColours[PedigreeView::VariantColours + 1] = {0xc4c4c4, 0x8dd3c7, 0xffffb3, 0xbebada, 0xfb8072,
                                                                0x80b1d3, 0xfdb462, 0xb3de69, 0xfccde5, 0xe5c494,
                                                                0xbc80bd, 0xccebc5, 0xffed6f};
constexpr int GeneColourCount = PedigreeView::VariantColours + 1;

int geneColourOf(int variant)
{
    return variant < 0 ? 0 : 1 + variant % PedigreeView::VariantColours;
}

// Below this height on screen a box is a plain rectangle, below the second
// it also has no text.
constexpr double OutlineFrom = 6;
constexpr double TextFrom = 18;

enum class Mark : unsigned char { Plain, Dim, Kin, Chosen };

} // namespace

// The whole pedigree as one item: one pass over the boxes in view beats ten
// thousand items, each painted on its own.
class PedigreeItem : public QGraphicsItem {
public:
    struct Creature {
        QRectF box;
        QString name;
        QString count;
        int bucket = 0;
        int geneColour = 0; // when coloured by a gene
        bool origin = false;
        std::optional<std::size_t> mother;
        std::optional<std::size_t> father;
        std::vector<std::size_t> children;
    };
    struct Segment {
        QLineF line;
        std::size_t parent;
        std::size_t child;
    };

    std::vector<Creature> creatures;
    std::vector<Segment> segments;
    std::vector<Mark> marks; // empty: nothing selected
    QRectF bounds;
    bool byGene = false;

    // Only then does exposedRect say what is in view.
    PedigreeItem() { setFlag(QGraphicsItem::ItemUsesExtendedStyleOption); }

    QRectF boundingRect() const override { return bounds; }
    void setBounds(const QRectF& rect)
    {
        prepareGeometryChange();
        bounds = rect;
    }

    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*) override
    {
        const double lod = QStyleOptionGraphicsItem::levelOfDetailFromTransform(painter->worldTransform());
        // Rendered into an image the whole item counts as exposed: what the
        // device shows is all that needs drawing.
        const QRectF exposed = option->exposedRect.intersected(painter->worldTransform().inverted().mapRect(
            QRectF(0, 0, painter->device()->width(), painter->device()->height())));
        const bool marked = !marks.empty();
        auto markOf = [&](std::size_t i) { return marked ? marks[i] : Mark::Plain; };

        // Lines first, under the boxes; those of the highlighted family on top.
        std::vector<QLineF> plain, strong;
        for (const Segment& segment : segments) {
            const QLineF& line = segment.line;
            if (std::max(line.x1(), line.x2()) < exposed.left() || std::min(line.x1(), line.x2()) > exposed.right() ||
                std::max(line.y1(), line.y2()) < exposed.top() || std::min(line.y1(), line.y2()) > exposed.bottom())
                continue;
            const bool kin = marked && markOf(segment.parent) >= Mark::Kin && markOf(segment.child) >= Mark::Kin;
            (kin ? strong : plain).push_back(line);
        }
        painter->setPen(QPen(QColor(marked ? 0xcfcfd6 : 0x9a9aaa), 0));
        painter->drawLines(plain.data(), static_cast<int>(plain.size()));
        QPen strongPen(QColor(0x2a5d9f), 2);
        strongPen.setCosmetic(true);
        painter->setPen(strongPen);
        painter->drawLines(strong.data(), static_cast<int>(strong.size()));

        // Boxes by colour, so that each colour is one call.
        const QRgb* colours = byGene ? GeneColours : BucketColours.data();
        const int colourCount = byGene ? GeneColourCount : BucketCount;
        std::array<std::vector<QRectF>, GeneColourCount * 2> byColour;
        std::vector<std::size_t> shown;
        std::vector<QRectF> origins;
        for (std::size_t i = 0; i < creatures.size(); ++i) {
            const Creature& creature = creatures[i];
            if (!creature.box.intersects(exposed))
                continue;
            const bool dim = markOf(i) == Mark::Dim;
            const int colour = byGene ? creature.geneColour : creature.bucket;
            byColour[static_cast<std::size_t>(colour * 2 + (dim ? 1 : 0))].push_back(creature.box);
            shown.push_back(i);
            if (byGene && creature.origin)
                origins.push_back(creature.box.adjusted(1, 1, -1, -1));
        }
        const double onScreen = lod * (creatures.empty() ? 0 : creatures.front().box.height());
        const QColor border(0x5a6a80);
        painter->setPen(onScreen < OutlineFrom ? QPen(Qt::NoPen) : QPen(border, 0));
        for (int colour = 0; colour < colourCount * 2; ++colour) {
            const auto& rects = byColour[static_cast<std::size_t>(colour)];
            if (rects.empty())
                continue;
            QColor fill = QColor(colours[colour / 2]);
            if (colour % 2)
                fill = QColor::fromRgbF(0.35f * fill.redF() + 0.65f, 0.35f * fill.greenF() + 0.65f,
                                        0.35f * fill.blueF() + 0.65f);
            painter->setBrush(fill);
            painter->drawRects(rects.data(), static_cast<int>(rects.size()));
        }
        // An origin keeps its thick outline at any zoom: the few that matter.
        if (!origins.empty()) {
            QPen originPen(QColor(0x202020), 3);
            originPen.setCosmetic(true);
            painter->setPen(originPen);
            painter->setBrush(Qt::NoBrush);
            painter->drawRects(origins.data(), static_cast<int>(origins.size()));
        }
        if (marked) {
            painter->setBrush(Qt::NoBrush);
            for (std::size_t i : shown) {
                if (marks[i] == Mark::Chosen) {
                    painter->setPen(QPen(QColor(0xd04010), onScreen < OutlineFrom ? 0 : 3));
                    painter->drawRect(creatures[i].box.adjusted(-2, -2, 2, 2));
                } else if (marks[i] == Mark::Kin && onScreen >= OutlineFrom) {
                    painter->setPen(QPen(QColor(0x2a5d9f), 2));
                    painter->drawRect(creatures[i].box);
                }
            }
        }
        if (onScreen < TextFrom)
            return;
        QFont font = painter->font();
        font.setPixelSize(11);
        painter->setFont(font);
        for (std::size_t i : shown) {
            const Creature& creature = creatures[i];
            painter->setPen(markOf(i) == Mark::Dim ? QColor(0x9a9a9a) : QColor(0x1a1a1a));
            const QRectF box = creature.box.adjusted(2, 1, -2, -1);
            painter->drawText(QRectF(box.left(), box.top(), box.width(), box.height() / 2),
                              Qt::AlignHCenter | Qt::AlignBottom, creature.name);
            painter->drawText(QRectF(box.left(), box.center().y(), box.width(), box.height() / 2),
                              Qt::AlignHCenter | Qt::AlignTop, creature.count);
        }
    }

    void setMarks(std::optional<std::size_t> first, std::optional<std::size_t> second)
    {
        marks.clear();
        if (!first || *first >= creatures.size())
            return;
        marks.assign(creatures.size(), Mark::Dim);
        if (second && *second < creatures.size()) {
            markPath(*first, *second);
        } else {
            markLine(*first, true);
            markLine(*first, false);
        }
        marks[*first] = Mark::Chosen;
        if (second && *second < creatures.size())
            marks[*second] = Mark::Chosen;
    }

private:
    // Ancestors (up) or descendants, breadth first.
    void markLine(std::size_t from, bool up)
    {
        std::deque<std::size_t> queue{from};
        while (!queue.empty()) {
            const std::size_t i = queue.front();
            queue.pop_front();
            auto visit = [&](std::size_t next) {
                if (marks[next] == Mark::Dim) {
                    marks[next] = Mark::Kin;
                    queue.push_back(next);
                }
            };
            if (up) {
                for (const auto& parent : {creatures[i].mother, creatures[i].father})
                    if (parent)
                        visit(*parent);
            } else {
                for (std::size_t child : creatures[i].children)
                    visit(child);
            }
        }
    }

    // The shortest line through parents and children from one to the other.
    void markPath(std::size_t from, std::size_t to)
    {
        constexpr std::size_t None = static_cast<std::size_t>(-1);
        std::vector<std::size_t> cameFrom(creatures.size(), None);
        cameFrom[from] = from;
        std::deque<std::size_t> queue{from};
        while (!queue.empty() && cameFrom[to] == None) {
            const std::size_t i = queue.front();
            queue.pop_front();
            auto visit = [&](std::size_t next) {
                if (cameFrom[next] == None) {
                    cameFrom[next] = i;
                    queue.push_back(next);
                }
            };
            for (const auto& parent : {creatures[i].mother, creatures[i].father})
                if (parent)
                    visit(*parent);
            for (std::size_t child : creatures[i].children)
                visit(child);
        }
        if (cameFrom[to] == None)
            return;
        for (std::size_t i = to; i != from; i = cameFrom[i])
            marks[i] = Mark::Kin;
    }
};

bool zoomAtPointer(QGraphicsView& view, QWheelEvent* event, const std::function<void(double)>& zoomBy)
{
    if (!(event->modifiers() & Qt::ControlModifier))
        return false;
    const QPoint pointer = event->position().toPoint();
    const QPointF before = view.mapToScene(pointer);
    zoomBy(std::pow(1.0015, event->angleDelta().y()));
    view.centerOn(view.mapToScene(view.viewport()->rect().center()) + before - view.mapToScene(pointer));
    event->accept();
    return true;
}

PedigreeView::PedigreeView(QWidget* parent) : QGraphicsView(parent), item_(new PedigreeItem)
{
    setObjectName(QStringLiteral("Pedigree"));
    setAccessibleName(QStringLiteral("Pedigree"));
    // The viewport takes the focus and the clicks: a screen reader names it.
    viewport()->setAccessibleName(QStringLiteral("Pedigree"));
    auto* scene = new QGraphicsScene(this);
    scene->setItemIndexMethod(QGraphicsScene::NoIndex);
    scene->addItem(item_);
    setScene(scene);
    // Drops are the window's (a folder opens its population): the scene
    // would take them and refuse them.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setDragMode(QGraphicsView::ScrollHandDrag);
    setTransformationAnchor(QGraphicsView::AnchorViewCenter);
    setOptimizationFlags(QGraphicsView::DontSavePainterState | QGraphicsView::DontAdjustForAntialiasing);
    setViewportUpdateMode(QGraphicsView::MinimalViewportUpdate);
    setBackgroundBrush(palette().base());
    // The zoom keys are the window's, which has two pedigrees.
}

struct PedigreeScene {
    std::vector<PedigreeItem::Creature> creatures;
    std::vector<PedigreeItem::Segment> segments;
    QRectF bounds;
};

PedigreeView::~PedigreeView()
{
    // Ten thousand creatures take milliseconds to free: beside the window.
    auto old = std::make_shared<PedigreeScene>();
    std::swap(old->creatures, item_->creatures);
    std::swap(old->segments, item_->segments);
    startBackgroundThread([old = std::move(old), drawn = std::move(drawn_)]() mutable {
        old.reset();
        drawn.reset();
    });
}

std::shared_ptr<PedigreeScene> preparePedigree(const Census& census, const PedigreeLayout& layout)
{
    auto scene = std::make_shared<PedigreeScene>();
    const PedigreeOptions sizes;
    std::vector<PedigreeItem::Creature> creatures(census.rows.size());
    for (std::size_t i = 0; i < census.rows.size() && i < layout.boxes.size(); ++i) {
        const CensusRow& row = census.rows[i];
        PedigreeItem::Creature& creature = creatures[i];
        const PedigreeBox& box = layout.boxes[i];
        if (box.layer >= 0)
            creature.box = QRectF(box.x, box.y, sizes.boxWidth, sizes.boxHeight);
        creature.name = QString::fromStdString(utf8Text(creatureName(row.file)));
        const auto mutated = row.mutatedTotal();
        creature.count = mutated ? QStringLiteral("%1 mutated").arg(*mutated) : QStringLiteral("-");
        creature.bucket = bucketOf(mutated);
        creature.mother = row.motherRow;
        creature.father = row.fatherRow;
    }
    for (std::size_t i = 0; i < creatures.size(); ++i) {
        if (creatures[i].mother)
            creatures[*creatures[i].mother].children.push_back(i);
        if (creatures[i].father && creatures[i].father != creatures[i].mother)
            creatures[*creatures[i].father].children.push_back(i);
    }
    for (const PedigreeEdge& edge : layout.edges)
        for (std::size_t p = 1; p < edge.points.size(); ++p)
            scene->segments.push_back(
                {QLineF(edge.points[p - 1].x, edge.points[p - 1].y, edge.points[p].x, edge.points[p].y), edge.parent,
                 edge.child});
    scene->creatures = std::move(creatures);
    scene->bounds = QRectF(-20, -20, layout.width + 40, layout.height + 40);
    return scene;
}

void PedigreeView::setPedigree(const Census& census, const PedigreeLayout& layout)
{
    setPedigree(preparePedigree(census, layout));
}

void PedigreeView::setPedigree(std::shared_ptr<PedigreeScene> prepared)
{
    std::swap(item_->creatures, prepared->creatures);
    std::swap(item_->segments, prepared->segments);
    item_->setBounds(prepared->bounds);
    item_->marks.clear();
    applyGeneColouring();
    changed(true);
    scene()->setSceneRect(item_->bounds);
    item_->update();
    first_.reset();
    second_.reset();
    // Moved out: whoever else holds the prepared scene may let go of it here.
    startBackgroundThread([old = std::make_shared<PedigreeScene>(std::move(*prepared))]() mutable { old.reset(); });
    describeSelection();
}

void PedigreeView::describeSelection()
{
    // What a screen reader says of the drawing: the current creature with
    // its parents and children.
    const auto& creatures = item_->creatures;
    QString text = QStringLiteral("The family tree; no creature chosen.");
    if (first_ && *first_ < creatures.size()) {
        const auto nameOf = [&creatures](std::optional<std::size_t> row) {
            return row && *row < creatures.size() ? creatures[*row].name : QStringLiteral("unknown");
        };
        const PedigreeItem::Creature& creature = creatures[*first_];
        QStringList children;
        for (std::size_t child : creature.children)
            children << nameOf(child);
        text = QStringLiteral("%1, %2; mother: %3; father: %4; children: %5.")
                   .arg(creature.name,
                        creature.count == u'-' ? QStringLiteral("mutated genes not counted") : creature.count,
                        nameOf(creature.mother), nameOf(creature.father),
                        children.isEmpty() ? QStringLiteral("none") : children.join(QStringLiteral(", ")));
    }
    if (text == accessibleDescription())
        return;
    setAccessibleDescription(text);
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

void PedigreeView::setGeneColouring(const std::vector<int>& variants, const std::vector<std::size_t>& origins)
{
    geneVariants_ = variants;
    geneOrigins_ = origins;
    byGene_ = true;
    applyGeneColouring();
    changed(true);
    item_->update();
}

void PedigreeView::clearGeneColouring()
{
    byGene_ = false;
    geneVariants_.clear();
    geneOrigins_.clear();
    applyGeneColouring();
    changed(true);
    item_->update();
}

void PedigreeView::applyGeneColouring()
{
    // The colouring may be of an older census than the boxes: rows it does
    // not know are absent.
    std::vector<PedigreeItem::Creature>& creatures = item_->creatures;
    item_->byGene = byGene_;
    for (std::size_t i = 0; i < creatures.size(); ++i) {
        creatures[i].geneColour = geneColourOf(i < geneVariants_.size() ? geneVariants_[i] : -1);
        creatures[i].origin = false;
    }
    for (std::size_t row : geneOrigins_)
        if (row < creatures.size())
            creatures[row].origin = true;
}

QColor PedigreeView::boxColour(std::size_t row) const
{
    if (row >= item_->creatures.size())
        return {};
    const PedigreeItem::Creature& creature = item_->creatures[row];
    return QColor(item_->byGene ? GeneColours[creature.geneColour] : BucketColours[creature.bucket]);
}

bool PedigreeView::isOrigin(std::size_t row) const
{
    return item_->byGene && row < item_->creatures.size() && item_->creatures[row].origin;
}

QColor PedigreeView::variantColour(int variant)
{
    return QColor(GeneColours[geneColourOf(variant)]);
}

void PedigreeView::select(std::optional<std::size_t> first, std::optional<std::size_t> second)
{
    first_ = first;
    second_ = second;
    item_->setMarks(first, second);
    changed(false);
    item_->update();
    describeSelection();
    centreOnSelected();
}

void PedigreeView::centreOnSelected()
{
    const auto last = second_ ? second_ : first_;
    if (last && *last < item_->creatures.size() && !item_->creatures[*last].box.isEmpty())
        centerOn(item_->creatures[*last].box.center());
}

std::vector<std::size_t> PedigreeView::highlighted() const
{
    std::vector<std::size_t> rows;
    for (std::size_t i = 0; i < item_->marks.size(); ++i)
        if (item_->marks[i] >= Mark::Kin)
            rows.push_back(i);
    return rows;
}

void PedigreeView::fit()
{
    fitInView(item_->bounds, Qt::KeepAspectRatio);
}

void PedigreeView::zoomBy(double factor)
{
    // No further out than the whole, no further in than a few times life size.
    const double now = transform().m11();
    const double whole = std::min(viewport()->width() / std::max(1.0, item_->bounds.width()),
                                  viewport()->height() / std::max(1.0, item_->bounds.height()));
    const double wanted = std::clamp(now * factor, std::min(whole, 1.0) / 2, 8.0);
    scale(wanted / now, wanted / now);
}

std::optional<std::size_t> PedigreeView::creatureAt(const QPoint& point) const
{
    const QPointF at = mapToScene(point);
    for (std::size_t i = 0; i < item_->creatures.size(); ++i)
        if (item_->creatures[i].box.contains(at))
            return i;
    return std::nullopt;
}

void PedigreeView::wheelEvent(QWheelEvent* event)
{
    if (!zoomAtPointer(*this, event, [this](double factor) { zoomBy(factor); }))
        QGraphicsView::wheelEvent(event);
}

void PedigreeView::mousePressEvent(QMouseEvent* event)
{
    pressedAt_ = event->position().toPoint();
    QGraphicsView::mousePressEvent(event);
}

void PedigreeView::mouseReleaseEvent(QMouseEvent* event)
{
    QGraphicsView::mouseReleaseEvent(event);
    // A click, not the end of a drag.
    if (event->button() != Qt::LeftButton || (event->position().toPoint() - pressedAt_).manhattanLength() > 4)
        return;
    if (const auto row = creatureAt(event->position().toPoint()))
        Q_EMIT creatureClicked(*row, event->modifiers() & Qt::ControlModifier);
}

void PedigreeView::setDrawnAside(bool on)
{
    aside_ = on;
    item_->setVisible(!on);
    framePoll_.setInterval(5);
    connect(&framePoll_, &QTimer::timeout, this, &PedigreeView::takeFrame, Qt::UniqueConnection);
    viewport()->update();
}

void PedigreeView::changed(bool boxes)
{
    ++version_;
    if (boxes)
        drawn_.reset();
    if (aside_)
        viewport()->update();
}

bool PedigreeView::frameCurrent() const
{
    return !aside_ || (frame_.version == version_ && frame_.transform == viewportTransform() &&
                       frame_.image.size() == viewport()->size() * viewport()->devicePixelRatio());
}

void PedigreeView::drawForeground(QPainter* painter, const QRectF&)
{
    if (!aside_)
        return;
    // The last frame where its scene now stands (moved or scaled until the
    // next one is in).
    if (!frame_.image.isNull()) {
        painter->save();
        painter->setTransform(frame_.transform.inverted() * viewportTransform());
        painter->drawImage(QPointF(0, 0), frame_.image);
        painter->restore();
    }
    if (!frameCurrent())
        requestFrame();
}

void PedigreeView::requestFrame()
{
    if (frameTask_.running())
        return; // taken, then asked again if still not current
    if (!drawn_) {
        // Copied once per census or colouring, not per frame.
        auto drawn = std::make_shared<PedigreeScene>();
        drawn->creatures = item_->creatures;
        drawn->segments = item_->segments;
        drawn->bounds = item_->bounds;
        drawn_ = std::move(drawn);
    }
    const qreal ratio = viewport()->devicePixelRatio();
    frameTask_.start([drawn = drawn_, marks = item_->marks, byGene = item_->byGene, version = version_,
                      transform = viewportTransform(), size = viewport()->size(), ratio,
                      base = backgroundBrush().color()]() mutable {
        PedigreeItem item;
        item.creatures = drawn->creatures;
        item.segments = drawn->segments;
        item.bounds = drawn->bounds;
        item.marks = std::move(marks);
        item.byGene = byGene;
        Frame frame;
        frame.image = QImage(size * ratio, QImage::Format_ARGB32_Premultiplied);
        frame.image.setDevicePixelRatio(ratio);
        frame.image.fill(base);
        frame.transform = transform;
        frame.version = version;
        QPainter painter(&frame.image);
        painter.setTransform(transform);
        QStyleOptionGraphicsItem option;
        option.exposedRect = transform.inverted().mapRect(QRectF(QPointF(0, 0), QSizeF(size)));
        item.paint(&painter, &option, nullptr);
        painter.end();
        // The copies go here, not on the window's thread.
        item.creatures.clear();
        item.segments.clear();
        drawn.reset();
        return frame;
    });
    framePoll_.start();
}

void PedigreeView::takeFrame()
{
    if (!frameTask_.ready())
        return;
    framePoll_.stop();
    frame_ = frameTask_.take();
    viewport()->update();
    Q_EMIT frameShown();
}

QColor PedigreeView::countColour(std::optional<std::size_t> mutated)
{
    return QColor(BucketColours[bucketOf(mutated)]);
}

PedigreeLegend::PedigreeLegend(QWidget* parent) : QWidget(parent)
{
    // Never narrower than its entries: Fit beside it once cut "11+" to "1".
    setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
}

void PedigreeLegend::setEntries(const QString& title, const std::vector<Entry>& entries)
{
    title_ = title;
    entries_ = entries;
    updateGeometry();
    update();
}

std::vector<PedigreeLegend::Entry> PedigreeLegend::shown() const
{
    if (!title_.isEmpty())
        return entries_;
    std::vector<Entry> counts;
    for (int bucket = 0; bucket < BucketCount; ++bucket)
        counts.push_back({QColor(BucketColours[bucket]), bucketName(bucket)});
    return counts;
}

QSize PedigreeLegend::sizeHint() const
{
    const QString title = title_.isEmpty() ? QStringLiteral("Mutated genes:") : title_;
    int width = fontMetrics().horizontalAdvance(title) + 8;
    for (const Entry& entry : shown())
        width += (entry.colour.isValid() ? fontMetrics().height() + 6 : 0) +
                 fontMetrics().horizontalAdvance(entry.text) + 10;
    return {width, fontMetrics().height() + 6};
}

void PedigreeLegend::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int h = fontMetrics().height();
    const QString title = title_.isEmpty() ? QStringLiteral("Mutated genes:") : title_;
    painter.drawText(QRect(0, 0, width(), height()), Qt::AlignVCenter, title);
    int x = fontMetrics().horizontalAdvance(title) + 8;
    for (const Entry& entry : shown()) {
        if (entry.colour.isValid()) {
            painter.setPen(QColor(0x5a6a80));
            painter.setBrush(entry.colour);
            painter.drawRect(x, (height() - h) / 2, h, h - 1);
            x += h + 6;
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(QRect(x, 0, width() - x, height()), Qt::AlignVCenter, entry.text);
        x += fontMetrics().horizontalAdvance(entry.text) + 10;
    }
}

} // namespace helixplot
