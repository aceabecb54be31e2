// SPDX-License-Identifier: GPL-3.0-or-later
#include "pedigreeLayout.h"

#include "census.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <numeric>
#include <span>
#include <unordered_map>
#include <utility>

namespace helixplot {

namespace {

constexpr std::size_t None = static_cast<std::size_t>(-1);
constexpr std::size_t MatesInARow = 2;

class DisjointSets {
public:
    explicit DisjointSets(std::size_t n) : parent_(n), size_(n, 1)
    {
        std::iota(parent_.begin(), parent_.end(), std::size_t{0});
    }
    std::size_t find(std::size_t v)
    {
        while (parent_[v] != v)
            v = parent_[v] = parent_[parent_[v]];
        return v;
    }
    bool join(std::size_t a, std::size_t b)
    {
        a = find(a);
        b = find(b);
        if (a == b)
            return false;
        parent_[std::max(a, b)] = std::min(a, b);
        size_[std::min(a, b)] += size_[std::max(a, b)];
        return true;
    }
    std::size_t size(std::size_t v) { return size_[find(v)]; }

private:
    std::vector<std::size_t> parent_;
    std::vector<std::size_t> size_;
};

// A vertex of one lineage's layered graph: a creature, or a bend of a line
// that passes a generation.
struct Vertex {
    std::size_t node = None; // None for a bend
    int layer = 0;
    double width = 0;
    std::vector<std::size_t> up, down; // neighbouring vertices
    std::size_t matePrev = None, mateNext = None;
    double x = 0;        // left edge
    std::size_t row = 0; // row of its wrapped generation
    double y = 0;
};

// A line of the lineage, with the bends it passes.
struct Line {
    std::size_t parent, child;     // nodes
    std::vector<std::size_t> path; // vertices from parent to child
};

// The vertices' neighbours above or below, all in one array: the sweeps read
// them once per vertex, and a large lineage's vertices do not fit the
// processor's caches.
class Adjacency {
public:
    void fill(const std::vector<Vertex>& vertices, bool up)
    {
        start_.assign(vertices.size() + 1, 0);
        list_.clear();
        for (std::size_t v = 0; v < vertices.size(); ++v) {
            const auto& others = up ? vertices[v].up : vertices[v].down;
            list_.insert(list_.end(), others.begin(), others.end());
            start_[v + 1] = list_.size();
        }
    }
    std::span<const std::size_t> operator[](std::size_t v) const
    {
        return {list_.data() + start_[v], start_[v + 1] - start_[v]};
    }

private:
    std::vector<std::size_t> start_, list_;
};

// Crossings between two neighbouring layers: inversions among the lower ends
// of the lines sorted by their upper ends.
std::size_t crossingsBelow(const Adjacency& down, const std::vector<std::size_t>& pos,
                           const std::vector<std::size_t>& upper, std::size_t lowerSize)
{
    std::vector<std::size_t> ends;
    for (std::size_t v : upper) {
        std::size_t first = ends.size();
        for (std::size_t w : down[v])
            ends.push_back(pos[w]);
        std::sort(ends.begin() + static_cast<std::ptrdiff_t>(first), ends.end());
    }
    std::vector<std::size_t> tree(lowerSize + 1, 0); // Fenwick tree of ends seen
    std::size_t crossings = 0, seen = 0;
    for (std::size_t end : ends) {
        std::size_t atMost = 0;
        for (std::size_t i = end + 1; i > 0; i -= i & (~i + 1))
            atMost += tree[i];
        crossings += seen - atMost;
        ++seen;
        for (std::size_t i = end + 1; i <= lowerSize; i += i & (~i + 1))
            ++tree[i];
    }
    return crossings;
}

void placeRow(std::vector<Vertex>& vertices, const std::vector<std::size_t>& order, const std::vector<double>& wanted,
              double gap)
{
    std::vector<double> offset(order.size());
    double at = 0;
    for (std::size_t i = 0; i < order.size(); ++i) {
        offset[i] = at;
        at += vertices[order[i]].width + gap;
    }
    const std::vector<double> lefts = placeInOrder(wanted, offset);
    for (std::size_t i = 0; i < order.size(); ++i)
        vertices[order[i]].x = lefts[i];
}

class LineageLayout {
public:
    explicit LineageLayout(const PedigreeOptions& options) : options_(options) {}

    // Adds a creature of the lineage at its generation.
    void addNode(std::size_t node, int layer)
    {
        vertexOf_[node] = vertices_.size();
        Vertex v;
        v.node = node;
        v.layer = layer;
        v.width = options_.boxWidth;
        vertices_.push_back(v);
    }

    void addLine(std::size_t parent, std::size_t child)
    {
        Line line{parent, child, {vertexOf_.at(parent)}};
        const int to = vertices_[vertexOf_.at(child)].layer;
        for (int layer = vertices_[line.path.back()].layer + 1; layer < to; ++layer) {
            Vertex bend;
            bend.layer = layer;
            line.path.push_back(vertices_.size());
            vertices_.push_back(bend);
        }
        line.path.push_back(vertexOf_.at(child));
        for (std::size_t i = 0; i + 1 < line.path.size(); ++i) {
            vertices_[line.path[i]].down.push_back(line.path[i + 1]);
            vertices_[line.path[i + 1]].up.push_back(line.path[i]);
        }
        lines_.push_back(std::move(line));
    }

    // Parents of the same children in one generation become neighbours, the
    // pairs with the most children first, each creature beside one mate at
    // most: in a crowded generation longer chains of mates cost more
    // crossings than they save looking.
    void pairMates(const std::vector<std::pair<std::size_t, std::size_t>>& couples)
    {
        std::map<std::pair<std::size_t, std::size_t>, std::size_t> children;
        for (auto [a, b] : couples) {
            const std::size_t va = vertexOf_.at(a), vb = vertexOf_.at(b);
            if (vertices_[va].layer == vertices_[vb].layer)
                ++children[{std::min(va, vb), std::max(va, vb)}];
        }
        std::vector<std::pair<std::pair<std::size_t, std::size_t>, std::size_t>> pairs(children.begin(),
                                                                                       children.end());
        std::stable_sort(pairs.begin(), pairs.end(), [](const auto& p, const auto& q) { return p.second > q.second; });
        DisjointSets chains(vertices_.size());
        auto freeEnd = [&](std::size_t v) { return vertices_[v].matePrev == None || vertices_[v].mateNext == None; };
        for (const auto& [pair, count] : pairs) {
            auto [a, b] = pair;
            if (!freeEnd(a) || !freeEnd(b) || chains.find(a) == chains.find(b) ||
                chains.size(a) + chains.size(b) > MatesInARow)
                continue;
            chains.join(a, b);
            // Turn each chain so that a is its last and b its first.
            if (vertices_[a].mateNext != None)
                reverseChain(a);
            if (vertices_[b].matePrev != None)
                reverseChain(b);
            vertices_[a].mateNext = b;
            vertices_[b].matePrev = a;
        }
    }

    void arrange()
    {
        int layers = 0;
        for (const Vertex& v : vertices_)
            layers = std::max(layers, v.layer + 1);
        order_.assign(static_cast<std::size_t>(layers), {});
        for (std::size_t v = 0; v < vertices_.size(); ++v)
            if (vertices_[v].matePrev == None)
                for (std::size_t m = v; m != None; m = vertices_[m].mateNext)
                    order_[static_cast<std::size_t>(vertices_[m].layer)].push_back(m);
        up_.fill(vertices_, true);
        down_.fill(vertices_, false);
        numberPositions();
        std::size_t best = crossings();
        std::vector<std::vector<std::size_t>> bestOrder = order_;
        for (int pass = 0; pass < options_.sweeps && best > 0; ++pass) {
            const bool down = pass % 2 == 0;
            for (std::size_t k = 1; k < order_.size(); ++k)
                reorder(down ? k : order_.size() - 1 - k, down);
            const std::size_t now = crossings();
            if (now < best) {
                best = now;
                bestOrder = order_;
            }
        }
        order_ = std::move(bestOrder);
        numberPositions();
        if (options_.exchanges > 0 && best > 0) {
            exchange();
            best = crossings();
        }
        crossings_ = best;
        assignX();
        wrapAndStack();
    }

    std::size_t crossingCount() const { return crossings_; }
    double width() const { return width_; }
    double height() const { return height_; }

    // Moves the lineage to (left, top) of the whole drawing and writes out
    // its boxes and lines.
    void emit(double left, double top, std::size_t lineage, PedigreeLayout& out) const
    {
        for (const Vertex& v : vertices_) {
            if (v.node == None)
                continue;
            PedigreeBox& box = out.boxes[v.node];
            box.x = left + v.x;
            box.y = top + v.y;
            box.layer = v.layer;
            box.lineage = lineage;
        }
        for (const Line& line : lines_) {
            PedigreeEdge edge{line.parent, line.child, {}};
            const Vertex& from = vertices_[line.path.front()];
            edge.points.push_back({left + from.x + from.width / 2, top + from.y + options_.boxHeight});
            for (std::size_t i = 1; i + 1 < line.path.size(); ++i) {
                const Vertex& bend = vertices_[line.path[i]];
                edge.points.push_back({left + bend.x, top + bend.y});
                edge.points.push_back({left + bend.x, top + bend.y + options_.boxHeight});
            }
            const Vertex& to = vertices_[line.path.back()];
            edge.points.push_back({left + to.x + to.width / 2, top + to.y});
            out.edges.push_back(std::move(edge));
        }
    }

private:
    void reverseChain(std::size_t v)
    {
        while (vertices_[v].matePrev != None)
            v = vertices_[v].matePrev;
        while (v != None) {
            const std::size_t next = vertices_[v].mateNext;
            std::swap(vertices_[v].matePrev, vertices_[v].mateNext);
            v = next;
        }
    }

    void numberPositions()
    {
        pos_.resize(vertices_.size());
        for (const auto& layer : order_)
            for (std::size_t i = 0; i < layer.size(); ++i)
                pos_[layer[i]] = i;
    }

    std::size_t crossings() const
    {
        std::size_t sum = 0;
        for (std::size_t k = 0; k + 1 < order_.size(); ++k)
            sum += crossingsBelow(down_, pos_, order_[k], order_[k + 1].size());
        return sum;
    }

    // One layer sorted by the barycentres of its mate chains towards the
    // layer above (down) or below; a chain without lines there stays put.
    void reorder(std::size_t layer, bool down)
    {
        auto barycentre = [&](std::size_t v, double& sum, std::size_t& count) {
            for (std::size_t w : down ? up_[v] : down_[v]) {
                sum += static_cast<double>(pos_[w]);
                ++count;
            }
        };
        auto mates = [&](std::size_t a, std::size_t b) {
            return vertices_[a].mateNext == b || vertices_[a].matePrev == b;
        };
        std::vector<std::size_t>& row = order_[layer];
        // Scaled so that a chain without lines keeps its place among the others.
        const double scale = static_cast<double>(order_[down ? layer - 1 : layer + 1].size()) /
                             static_cast<double>(std::max<std::size_t>(row.size(), 1));
        units_.clear();
        for (std::size_t i = 0; i < row.size();) {
            Unit unit{0, i, 0, false};
            double sum = 0;
            std::size_t count = 0;
            do
                barycentre(row[i + unit.count++], sum, count);
            while (i + unit.count < row.size() && mates(row[i + unit.count - 1], row[i + unit.count]));
            unit.key = count ? sum / static_cast<double>(count) : static_cast<double>(i) * scale;
            if (unit.count > 1) {
                double s0 = 0, s1 = 0;
                std::size_t c0 = 0, c1 = 0;
                barycentre(row[i], s0, c0);
                barycentre(row[i + unit.count - 1], s1, c1);
                unit.reversed = c0 && c1 && s0 / static_cast<double>(c0) > s1 / static_cast<double>(c1);
            }
            units_.push_back(unit);
            i += unit.count;
        }
        std::stable_sort(units_.begin(), units_.end(), [](const Unit& a, const Unit& b) { return a.key < b.key; });
        scratch_.clear();
        for (const Unit& unit : units_)
            for (std::size_t k = 0; k < unit.count; ++k)
                scratch_.push_back(row[unit.reversed ? unit.first + unit.count - 1 - k : unit.first + k]);
        row.swap(scratch_);
        for (std::size_t i = 0; i < row.size(); ++i)
            pos_[row[i]] = i;
    }

    // The positions of the vertices a run of a layer has lines to, above or
    // below, sorted.
    void linePositions(const std::vector<std::size_t>& row, std::size_t first, std::size_t count, bool up,
                       std::vector<std::size_t>& out) const
    {
        out.clear();
        for (std::size_t i = first; i < first + count; ++i)
            for (std::size_t w : up ? up_[row[i]] : down_[row[i]])
                out.push_back(pos_[w]);
        std::sort(out.begin(), out.end());
    }

    // Neighbouring mate chains swapped wherever that removes crossings with
    // the layers above and below, a few rounds over every layer.
    void exchange()
    {
        std::vector<std::pair<std::size_t, std::size_t>> runs; // first, count
        std::vector<std::size_t> left, right;
        for (int round = 0; round < options_.exchanges; ++round) {
            bool swapped = false;
            for (std::vector<std::size_t>& row : order_) {
                runs.clear();
                for (std::size_t i = 0; i < row.size();) {
                    std::size_t count = 1;
                    while (i + count < row.size() && (vertices_[row[i + count - 1]].mateNext == row[i + count] ||
                                                      vertices_[row[i + count - 1]].matePrev == row[i + count]))
                        ++count;
                    runs.emplace_back(i, count);
                    i += count;
                }
                for (std::size_t r = 0; r + 1 < runs.size(); ++r) {
                    // Crossings as they stand (kept) and swapped, lines of the
                    // left run against lines of the right one.
                    std::size_t kept = 0, swappedCost = 0;
                    for (bool up : {true, false}) {
                        linePositions(row, runs[r].first, runs[r].second, up, left);
                        linePositions(row, runs[r + 1].first, runs[r + 1].second, up, right);
                        std::size_t j = 0, k = 0;
                        for (std::size_t a : left) {
                            while (j < right.size() && right[j] < a)
                                ++j;
                            while (k < right.size() && right[k] <= a)
                                ++k;
                            kept += j;
                            swappedCost += right.size() - k;
                        }
                    }
                    if (swappedCost >= kept)
                        continue;
                    const std::size_t first = runs[r].first;
                    std::rotate(row.begin() + static_cast<std::ptrdiff_t>(first),
                                row.begin() + static_cast<std::ptrdiff_t>(runs[r + 1].first),
                                row.begin() + static_cast<std::ptrdiff_t>(runs[r + 1].first + runs[r + 1].second));
                    for (std::size_t i = first; i < first + runs[r].second + runs[r + 1].second; ++i)
                        pos_[row[i]] = i;
                    runs[r + 1] = {first + runs[r + 1].second, runs[r].second};
                    runs[r].second = runs[r + 1].first - first;
                    swapped = true;
                }
            }
            if (!swapped)
                break;
        }
    }

    // Each generation packed and centred, then pulled towards the parents'
    // and the children's centres a few times.
    void assignX()
    {
        for (const auto& layer : order_) {
            double at = 0;
            for (std::size_t v : layer) {
                vertices_[v].x = at;
                at += vertices_[v].width + options_.boxGap;
            }
            for (std::size_t v : layer)
                vertices_[v].x -= at / 2;
        }
        auto centre = [&](std::size_t v) { return vertices_[v].x + vertices_[v].width / 2; };
        auto pull = [&](std::size_t layer, bool down) {
            const std::vector<std::size_t>& row = order_[layer];
            std::vector<double> wanted(row.size());
            for (std::size_t i = 0; i < row.size(); ++i) {
                const Vertex& v = vertices_[row[i]];
                const std::span<const std::size_t> others = down ? up_[row[i]] : down_[row[i]];
                double sum = 0;
                for (std::size_t w : others)
                    sum += centre(w);
                wanted[i] = others.empty() ? v.x : sum / static_cast<double>(others.size()) - v.width / 2;
            }
            placeRow(vertices_, row, wanted, options_.boxGap);
        };
        for (int round = 0; round < 3; ++round) {
            for (std::size_t k = 1; k < order_.size(); ++k)
                pull(k, true);
            for (std::size_t k = order_.size() - 1; k-- > 0;)
                pull(k, false);
        }
        for (std::size_t k = 1; k < order_.size(); ++k)
            pull(k, true);
        double left = 0;
        bool first = true;
        for (const Vertex& v : vertices_) {
            left = first ? v.x : std::min(left, v.x);
            first = false;
        }
        for (Vertex& v : vertices_)
            v.x -= left;
    }

    double centre(const Vertex& v) const { return v.x + v.width / 2; }

    // Where a lineage wider than the target is cut into strips: in the last
    // part of each strip, where the fewest lines pass.
    std::vector<double> cuts(double right) const
    {
        std::vector<double> starts, ends, places;
        for (const Vertex& v : vertices_) {
            places.push_back(centre(v));
            for (std::size_t w : v.down) {
                starts.push_back(std::min(centre(v), centre(vertices_[w])));
                ends.push_back(std::max(centre(v), centre(vertices_[w])));
            }
        }
        std::sort(starts.begin(), starts.end());
        std::sort(ends.begin(), ends.end());
        std::sort(places.begin(), places.end());
        // Lines passing just before x: begun before it and not ended.
        auto passing = [&](double x) {
            return std::lower_bound(starts.begin(), starts.end(), x) - starts.begin() -
                   (std::lower_bound(ends.begin(), ends.end(), x) - ends.begin());
        };
        const double strip = options_.targetWidth;
        std::vector<double> out;
        for (double start = 0; right - start > strip;) {
            double best = start + strip;
            auto fewest = passing(best);
            for (auto at = std::upper_bound(places.begin(), places.end(), start + strip * 0.6);
                 at != places.end() && *at <= start + strip; ++at)
                if (const auto n = passing(*at); n <= fewest) {
                    fewest = n;
                    best = *at;
                }
            out.push_back(best);
            start = best;
        }
        return out;
    }

    // A lineage wider than the target has each generation cut where the
    // drawing is cut into strips, the strips of one generation stacked:
    // parents stay above their children and lines run roughly straight down.
    void wrapAndStack()
    {
        double right = 0;
        for (const Vertex& v : vertices_)
            right = std::max(right, v.x + v.width);
        const std::vector<double> strips = options_.targetWidth > 0 ? cuts(right) : std::vector<double>{};
        double top = 0, left = 0;
        width_ = 0;
        for (auto& layer : order_) {
            std::size_t last = None, row = 0;
            for (std::size_t v : layer) {
                const auto strip = static_cast<std::size_t>(
                    std::upper_bound(strips.begin(), strips.end(), centre(vertices_[v])) - strips.begin());
                if (last != None && strip != last)
                    ++row;
                last = strip;
                vertices_[v].row = row;
                vertices_[v].x -= strip == 0 ? 0 : strips[strip - 1];
                left = std::min(left, vertices_[v].x);
            }
            for (std::size_t v : layer)
                vertices_[v].y = top + static_cast<double>(vertices_[v].row) * (options_.boxHeight + options_.rowGap);
            top += static_cast<double>(row + 1) * (options_.boxHeight + options_.rowGap) - options_.rowGap +
                   options_.layerGap;
        }
        for (Vertex& v : vertices_) {
            v.x -= left;
            width_ = std::max(width_, v.x + v.width);
        }
        height_ = order_.empty() ? 0 : top - options_.layerGap;
    }

    const PedigreeOptions& options_;
    std::vector<Vertex> vertices_;
    // Each vertex's index in its layer, apart from the vertices: the sweeps
    // read it once per line end, and a large lineage's vertices do not fit
    // the processor's caches.
    std::vector<std::size_t> pos_;
    Adjacency up_, down_;
    std::unordered_map<std::size_t, std::size_t> vertexOf_;
    std::vector<Line> lines_;
    std::vector<std::vector<std::size_t>> order_;
    // A mate chain (or a single vertex) of a layer being reordered.
    struct Unit {
        double key;
        std::size_t first, count; // its members in the layer's current order
        bool reversed;
    };
    std::vector<Unit> units_;
    std::vector<std::size_t> scratch_;
    std::size_t crossings_ = 0;
    double width_ = 0, height_ = 0;
};

} // namespace

PedigreeLayout layoutPedigree(const std::vector<PedigreeNode>& nodes, const PedigreeOptions& options)
{
    const std::size_t n = nodes.size();
    // The parents that count: shown, in the list, not the creature itself.
    std::vector<std::vector<std::size_t>> parents(n), children(n);
    for (std::size_t v = 0; v < n; ++v) {
        if (!nodes[v].shown)
            continue;
        for (const auto& p : {nodes[v].mother, nodes[v].father})
            if (p && *p < n && *p != v && nodes[*p].shown &&
                std::find(parents[v].begin(), parents[v].end(), *p) == parents[v].end()) {
                parents[v].push_back(*p);
                children[*p].push_back(v);
            }
    }

    // Generations in a topological order; where a loop of parents stops it,
    // the first creature left goes on as if its remaining parents were not
    // there, and the lines from them are dropped.
    std::vector<std::size_t> waiting(n), rank(n, None);
    std::deque<std::size_t> ready;
    for (std::size_t v = 0; v < n; ++v) {
        waiting[v] = parents[v].size();
        if (nodes[v].shown && waiting[v] == 0)
            ready.push_back(v);
    }
    std::vector<int> layer(n, -1);
    std::size_t ranked = 0, scan = 0;
    for (;;) {
        if (ready.empty()) {
            while (scan < n && (!nodes[scan].shown || rank[scan] != None))
                ++scan;
            if (scan == n)
                break;
            ready.push_back(scan);
        }
        const std::size_t v = ready.front();
        ready.pop_front();
        if (rank[v] != None)
            continue;
        rank[v] = ranked++;
        layer[v] = 0;
        for (std::size_t p : parents[v])
            if (rank[p] != None)
                layer[v] = std::max(layer[v], layer[p] + 1);
        for (std::size_t c : children[v])
            if (rank[c] == None && --waiting[c] == 0)
                ready.push_back(c);
    }
    auto kept = [&](std::size_t parent, std::size_t child) { return rank[parent] < rank[child]; };

    // Lineages: the connected families, numbered by their first creature.
    DisjointSets families(n);
    for (std::size_t v = 0; v < n; ++v)
        for (std::size_t p : parents[v])
            if (kept(p, v))
                families.join(p, v);
    std::vector<std::size_t> lineageOf(n, None), firsts;
    for (std::size_t v = 0; v < n; ++v) {
        if (!nodes[v].shown)
            continue;
        const std::size_t root = families.find(v);
        if (lineageOf[root] == None) {
            lineageOf[root] = firsts.size();
            firsts.push_back(root);
        }
        lineageOf[v] = lineageOf[root];
    }

    std::vector<LineageLayout> lineages(firsts.size(), LineageLayout(options));
    for (std::size_t v = 0; v < n; ++v)
        if (nodes[v].shown)
            lineages[lineageOf[v]].addNode(v, layer[v]);
    std::vector<std::vector<std::pair<std::size_t, std::size_t>>> couples(firsts.size());
    for (std::size_t v = 0; v < n; ++v) {
        if (!nodes[v].shown)
            continue;
        std::vector<std::size_t> keptParents;
        for (std::size_t p : parents[v])
            if (kept(p, v)) {
                lineages[lineageOf[v]].addLine(p, v);
                keptParents.push_back(p);
            }
        if (keptParents.size() == 2)
            couples[lineageOf[v]].emplace_back(keptParents[0], keptParents[1]);
    }

    PedigreeLayout out;
    out.boxes.assign(n, PedigreeBox{});
    out.lineages = lineages.size();
    for (std::size_t i = 0; i < lineages.size(); ++i) {
        if (options.matesAdjacent)
            lineages[i].pairMates(couples[i]);
        lineages[i].arrange();
        out.crossings += lineages[i].crossingCount();
    }

    // Shelves: the tallest lineages first, each shelf filled up to the target
    // width.
    std::vector<std::size_t> shelfOrder(lineages.size());
    std::iota(shelfOrder.begin(), shelfOrder.end(), std::size_t{0});
    std::stable_sort(shelfOrder.begin(), shelfOrder.end(), [&](std::size_t a, std::size_t b) {
        if (lineages[a].height() != lineages[b].height())
            return lineages[a].height() > lineages[b].height();
        return lineages[a].width() > lineages[b].width();
    });
    double x = 0, y = 0, shelfHeight = 0;
    for (std::size_t i : shelfOrder) {
        const LineageLayout& lineage = lineages[i];
        if (x > 0 && x + lineage.width() > options.targetWidth) {
            y += shelfHeight + options.lineageGap;
            x = 0;
            shelfHeight = 0;
        }
        lineage.emit(x, y, i, out);
        out.width = std::max(out.width, x + lineage.width());
        shelfHeight = std::max(shelfHeight, lineage.height());
        x += lineage.width() + options.lineageGap;
    }
    out.height = lineages.empty() ? 0 : y + shelfHeight;
    return out;
}

std::vector<PedigreeNode> pedigreeNodes(const Census& census)
{
    std::vector<PedigreeNode> nodes(census.rows.size());
    for (std::size_t i = 0; i < census.rows.size(); ++i) {
        const CensusRow& row = census.rows[i];
        nodes[i].shown = row.loaded();
        nodes[i].mother = row.motherRow;
        nodes[i].father = row.fatherRow;
    }
    return nodes;
}

std::vector<double> placeInOrder(const std::vector<double>& wanted, const std::vector<double>& offset)
{
    // Least squares: pooled adjacent violators on the wanted places less
    // their packed offsets.
    struct Block {
        double sum;
        std::size_t count;
        double mean() const { return sum / static_cast<double>(count); }
    };
    std::vector<Block> blocks;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        blocks.push_back({wanted[i] - offset[i], 1});
        while (blocks.size() > 1 && blocks[blocks.size() - 2].mean() > blocks.back().mean()) {
            blocks[blocks.size() - 2].sum += blocks.back().sum;
            blocks[blocks.size() - 2].count += blocks.back().count;
            blocks.pop_back();
        }
    }
    std::vector<double> lefts;
    lefts.reserve(wanted.size());
    for (const Block& block : blocks)
        for (std::size_t k = 0; k < block.count; ++k)
            lefts.push_back(block.mean() + offset[lefts.size()]);
    return lefts;
}

} // namespace helixplot
