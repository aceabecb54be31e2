// SPDX-License-Identifier: GPL-3.0-or-later
#include "focusedPedigree.h"

#include <algorithm>
#include <limits>
#include <string_view>
#include <unordered_map>

namespace helixplot {

namespace {

constexpr std::size_t None = static_cast<std::size_t>(-1);

void placeRow(std::vector<FocusedBox>& boxes, const std::vector<std::size_t>& row, const std::vector<double>& wanted,
              double step)
{
    std::vector<double> offset(row.size());
    for (std::size_t i = 0; i < row.size(); ++i)
        offset[i] = static_cast<double>(i) * step;
    const std::vector<double> lefts = placeInOrder(wanted, offset);
    for (std::size_t i = 0; i < row.size(); ++i)
        boxes[row[i]].x = lefts[i];
}

class Builder {
public:
    Builder(const FamilyLinks& links, const FocusedOptions& options) : links_(links), options_(options) {}

    FocusedPedigree build(std::size_t focus)
    {
        FocusedPedigree out;
        if (!links_.shown(focus))
            return out;
        const int above = std::max(options_.above, 0), below = std::max(options_.below, 0);
        rows_.assign(static_cast<std::size_t>(above + below + 1), {});
        origin_ = static_cast<std::size_t>(above);
        row(0).push_back(add(focus, 0, FocusedRole::Focus, None));
        collectAncestors(above);
        collectDescendants(below);
        place(above, below);

        out.focus = focus;
        std::vector<std::size_t> renumber(boxes_.size());
        for (const auto& row : rows_)
            for (std::size_t b : row) {
                renumber[b] = out.boxes.size();
                out.boxes.push_back(boxes_[b]);
            }
        // Every parent link between two creatures shown, however they were reached.
        std::unordered_map<std::size_t, std::size_t> boxOfNode;
        boxOfNode.reserve(out.boxes.size());
        for (std::size_t b = 0; b < out.boxes.size(); ++b)
            boxOfNode.emplace(out.boxes[b].node, b);
        for (std::size_t b = 0; b < out.boxes.size(); ++b) {
            const std::size_t node = out.boxes[b].node;
            const auto mother = links_.mother(node), father = links_.father(node);
            for (const auto& parent : {mother, father}) {
                if (!parent || (parent == father && father == mother))
                    continue;
                if (const auto at = boxOfNode.find(*parent); at != boxOfNode.end())
                    out.lines.push_back({at->second, b});
            }
        }
        bounds(out, options_);
        return out;
    }

    static void bounds(FocusedPedigree& out, const FocusedOptions& options)
    {
        if (out.boxes.empty())
            return;
        out.left = out.top = std::numeric_limits<double>::max();
        out.right = out.bottom = std::numeric_limits<double>::lowest();
        for (const FocusedBox& box : out.boxes) {
            out.left = std::min(out.left, box.x);
            out.top = std::min(out.top, box.y);
            out.right = std::max(out.right, box.x + options.boxWidth);
            out.bottom = std::max(out.bottom, box.y + options.boxHeight);
        }
    }

private:
    std::vector<std::size_t>& row(int generation) { return rows_[origin_ + static_cast<std::size_t>(generation)]; }

    std::size_t add(std::size_t node, int generation, FocusedRole role, std::size_t anchor)
    {
        const std::size_t box = boxes_.size();
        boxes_.push_back({node, generation, role, 0, 0});
        anchor_.push_back(anchor);
        partner_.push_back(None);
        boxOf_.emplace(node, box);
        return box;
    }

    bool seen(std::size_t node) const { return boxOf_.contains(node); }

    void collectAncestors(int above)
    {
        for (int g = 1; g <= above; ++g)
            for (std::size_t child : row(-(g - 1)))
                for (const auto& parent : {links_.mother(boxes_[child].node), links_.father(boxes_[child].node)})
                    if (parent && !seen(*parent))
                        row(-g).push_back(add(*parent, -g, FocusedRole::Ancestor, child));
    }

    void collectDescendants(int below)
    {
        // Who is a descendant, at its nearest generation, comes first: a
        // child of the family is never taken for a mate.
        std::unordered_map<std::size_t, int> descendant;
        std::vector<std::size_t> level{boxes_[row(0).front()].node};
        for (int g = 1; g <= below; ++g) {
            std::vector<std::size_t> next;
            for (std::size_t node : level)
                for (std::size_t child : links_.children(node))
                    if (!seen(child) && descendant.try_emplace(child, g).second)
                        next.push_back(child);
            level = std::move(next);
        }
        for (int g = 0; g < below; ++g) {
            std::vector<std::size_t> withMates;
            for (std::size_t parent : row(g)) {
                withMates.push_back(parent);
                if (boxes_[parent].role == FocusedRole::Mate)
                    continue;
                const std::size_t node = boxes_[parent].node;
                // The children grouped by their other parent, in the order met.
                std::vector<std::pair<std::size_t, std::vector<std::size_t>>> couples;
                for (std::size_t child : links_.children(node)) {
                    const auto at = descendant.find(child);
                    if (seen(child) || at == descendant.end() || at->second != g + 1)
                        continue;
                    const auto mother = links_.mother(child), father = links_.father(child);
                    const auto other = mother == node ? father : mother;
                    const std::size_t mate = other && *other != node ? *other : None;
                    auto couple =
                        std::find_if(couples.begin(), couples.end(), [&](const auto& c) { return c.first == mate; });
                    if (couple == couples.end()) {
                        couples.push_back({mate, {}});
                        couple = couples.end() - 1;
                    }
                    couple->second.push_back(child);
                }
                for (auto& [mate, children] : couples) {
                    std::size_t mateBox = None;
                    if (mate != None && !seen(mate) && !descendant.contains(mate)) {
                        mateBox = add(mate, g, FocusedRole::Mate, parent);
                        withMates.push_back(mateBox);
                    } else if (mate != None && seen(mate)) {
                        mateBox = boxOf_.at(mate);
                    }
                    for (std::size_t child : children) {
                        // A child of two shown parents comes up twice.
                        if (seen(child))
                            continue;
                        const std::size_t box = add(child, g + 1, FocusedRole::Descendant, parent);
                        partner_[box] = mateBox;
                        row(g + 1).push_back(box);
                    }
                }
            }
            row(g) = std::move(withMates);
        }
    }

    double centre(std::size_t box) const { return boxes_[box].x + options_.boxWidth / 2; }

    // The focus's generation packed around it, then each generation outwards
    // drawn under or over the boxes it was reached from.
    void place(int above, int below)
    {
        const double step = options_.boxWidth + options_.boxGap;
        const double height = options_.boxHeight + options_.layerGap;
        const auto& middle = row(0);
        for (std::size_t i = 0; i < middle.size(); ++i)
            boxes_[middle[i]].x = static_cast<double>(i) * step - options_.boxWidth / 2;
        std::vector<double> wanted;
        auto placeGeneration = [&](int g) {
            const auto& boxes = row(g);
            wanted.assign(boxes.size(), 0);
            for (std::size_t i = 0; i < boxes.size();) {
                // A run reached from the same box (and mate) is centred on it.
                const std::size_t anchor = anchor_[boxes[i]], partner = partner_[boxes[i]];
                std::size_t run = 1;
                while (i + run < boxes.size() && anchor_[boxes[i + run]] == anchor &&
                       partner_[boxes[i + run]] == partner)
                    ++run;
                double mid = centre(anchor);
                if (partner != None && boxes_[partner].generation == boxes_[anchor].generation)
                    mid = (mid + centre(partner)) / 2;
                for (std::size_t k = 0; k < run; ++k)
                    wanted[i + k] = mid + (static_cast<double>(k) - static_cast<double>(run - 1) / 2) * step -
                                    options_.boxWidth / 2;
                i += run;
            }
            placeRow(boxes_, boxes, wanted, step);
            for (std::size_t b : boxes)
                boxes_[b].y = g * height;
        };
        for (int g = 1; g <= above; ++g)
            placeGeneration(-g);
        for (int g = 1; g <= below; ++g)
            placeGeneration(g);
    }

    const FamilyLinks& links_;
    const FocusedOptions& options_;
    std::vector<FocusedBox> boxes_;
    std::vector<std::size_t> anchor_;  // the box each was reached from
    std::vector<std::size_t> partner_; // a descendant's other parent's box
    std::unordered_map<std::size_t, std::size_t> boxOf_;
    std::vector<std::vector<std::size_t>> rows_;
    std::size_t origin_ = 0;
};

} // namespace

FamilyLinks::FamilyLinks(std::vector<PedigreeNode> nodes) : nodes_(std::move(nodes)), start_(nodes_.size() + 1, 0)
{
    // Counted, then filled: children in node order, a parent named twice once.
    auto each = [this](auto visit) {
        for (std::size_t child = 0; child < nodes_.size(); ++child) {
            if (!nodes_[child].shown)
                continue;
            const auto m = mother(child), f = father(child);
            if (m)
                visit(*m, child);
            if (f && f != m)
                visit(*f, child);
        }
    };
    each([this](std::size_t parent, std::size_t) { ++start_[parent + 1]; });
    for (std::size_t i = 0; i < nodes_.size(); ++i)
        start_[i + 1] += start_[i];
    children_.resize(start_.back());
    std::vector<std::size_t> next(start_.begin(), start_.end() - 1);
    each([&](std::size_t parent, std::size_t child) { children_[next[parent]++] = child; });
}

std::optional<std::size_t> FocusedPedigree::boxOf(std::size_t node) const
{
    for (std::size_t b = 0; b < boxes.size(); ++b)
        if (boxes[b].node == node)
            return b;
    return std::nullopt;
}

FocusedPedigree focusedPedigree(const FamilyLinks& links, std::size_t focus, const FocusedOptions& options)
{
    return Builder(links, options).build(focus);
}

void keepPlaces(FocusedPedigree& now, const FocusedPedigree& before,
                const std::vector<std::optional<std::size_t>>& nodeNow, const FocusedOptions& options)
{
    if (!now.focus || !before.focus || *before.focus >= nodeNow.size() || nodeNow[*before.focus] != now.focus)
        return;
    std::unordered_map<std::size_t, const FocusedBox*> was;
    was.reserve(before.boxes.size());
    for (const FocusedBox& box : before.boxes)
        if (box.node < nodeNow.size() && nodeNow[box.node])
            was.emplace(*nodeNow[box.node], &box);
    // The right end of each generation's kept boxes, where new ones go.
    std::unordered_map<int, double> rightEnd;
    std::vector<bool> kept(now.boxes.size(), false);
    for (std::size_t b = 0; b < now.boxes.size(); ++b) {
        FocusedBox& box = now.boxes[b];
        const auto at = was.find(box.node);
        if (at == was.end() || at->second->generation != box.generation)
            continue;
        box.x = at->second->x;
        box.y = at->second->y;
        kept[b] = true;
        auto [end, added] = rightEnd.try_emplace(box.generation, box.x + options.boxWidth);
        end->second = std::max(end->second, box.x + options.boxWidth);
    }
    for (std::size_t b = 0; b < now.boxes.size(); ++b) {
        if (kept[b])
            continue;
        FocusedBox& box = now.boxes[b];
        const auto end = rightEnd.find(box.generation);
        if (end == rightEnd.end())
            continue; // a generation with nothing kept keeps its fresh layout
        box.x = end->second + options.boxGap;
        end->second = box.x + options.boxWidth;
    }
    Builder::bounds(now, options);
}

std::vector<std::optional<std::size_t>> rowsCarriedOver(const std::vector<std::string>& before,
                                                        const std::vector<std::string>& now)
{
    std::unordered_map<std::string_view, std::size_t> rowOf;
    rowOf.reserve(now.size());
    for (std::size_t i = 0; i < now.size(); ++i)
        rowOf.emplace(now[i], i);
    std::vector<std::optional<std::size_t>> out(before.size());
    for (std::size_t i = 0; i < before.size(); ++i)
        if (const auto at = rowOf.find(before[i]); at != rowOf.end())
            out[i] = at->second;
    return out;
}

} // namespace helixplot
