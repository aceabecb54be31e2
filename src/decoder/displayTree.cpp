// SPDX-License-Identifier: GPL-3.0-or-later
#include "displayTree.h"

#include "genetics/inOutError.h"

#include <algorithm>
#include <cassert>
#include <string>

namespace helixplot {

DisplayTree::DisplayTree(std::size_t textLimit) : textLimit_(std::min(textLimit, MaxTextBytes))
{
    clear();
}

void DisplayTree::clear()
{
    nodes_.clear();
    nodes_.emplace_back(); // the root
    texts_.clear();
    liveCount_ = 0;
    childIndexes_.clear();
}

void DisplayTree::reserve(std::size_t nodes, std::size_t textBytes)
{
    nodes_.reserve(nodes_.size() + nodes);
    texts_.reserve(texts_.size() + std::min(textBytes, textLimit_ - texts_.size()));
}

NodeId DisplayTree::addChild(NodeId parent, std::string_view text)
{
    assert(parent < nodes_.size());
    if (text.size() > textLimit_ - texts_.size())
        throw HelixplotError("Tree too large: over " + std::to_string(textLimit_) + " bytes of text");
    if (nodes_.size() >= NoNode)
        throw HelixplotError("Tree too large: over " + std::to_string(NoNode - 1) + " lines");
    const auto id = static_cast<NodeId>(nodes_.size());
    Node node;
    node.textOffset = static_cast<std::uint32_t>(texts_.size());
    node.textLength = static_cast<std::uint32_t>(text.size());
    node.parent = parent;
    texts_.append(text);

    Node& p = nodes_[parent];
    node.prevSibling = p.lastChild;
    node.row = p.childCount;
    if (p.lastChild == NoNode)
        p.firstChild = id;
    else
        nodes_[p.lastChild].nextSibling = id;
    p.lastChild = id;
    ++p.childCount;
    if (parent < childIndexes_.size())
        childIndexes_[parent].clear();

    nodes_.push_back(node);
    ++liveCount_;
    return id;
}

NodeId DisplayTree::parent(NodeId node) const
{
    const NodeId p = nodes_[node].parent;
    return p == root() ? NoNode : p;
}

std::string_view DisplayTree::text(NodeId node) const
{
    const Node& n = nodes_[node];
    return std::string_view(texts_).substr(n.textOffset, n.textLength);
}

const std::vector<NodeId>& DisplayTree::childIndex(NodeId node) const
{
    if (childIndexes_.size() <= node)
        childIndexes_.resize(nodes_.size());
    auto& index = childIndexes_[node];
    if (index.size() != nodes_[node].childCount) {
        index.clear();
        index.reserve(nodes_[node].childCount);
        for (NodeId c = nodes_[node].firstChild; c != NoNode; c = nodes_[c].nextSibling)
            index.push_back(c);
    }
    return index;
}

NodeId DisplayTree::childAt(NodeId node, std::size_t index) const
{
    const Node& n = nodes_[node];
    if (index >= n.childCount)
        return NoNode;
    // The first and last children are the common cases while building.
    if (index == 0)
        return n.firstChild;
    if (index + 1 == n.childCount)
        return n.lastChild;
    return childIndex(node)[index];
}

void DisplayTree::deleteNode(NodeId node)
{
    assert(node != root() && node < nodes_.size());
    Node& n = nodes_[node];
    Node& p = nodes_[n.parent];
    if (n.prevSibling == NoNode)
        p.firstChild = n.nextSibling;
    else
        nodes_[n.prevSibling].nextSibling = n.nextSibling;
    if (n.nextSibling == NoNode)
        p.lastChild = n.prevSibling;
    else
        nodes_[n.nextSibling].prevSibling = n.prevSibling;
    for (NodeId s = n.nextSibling; s != NoNode; s = nodes_[s].nextSibling)
        --nodes_[s].row;
    --p.childCount;
    if (n.parent < childIndexes_.size())
        childIndexes_[n.parent].clear();

    // Count the subtree; its nodes stay in the vector, unreachable, until the
    // next clear().
    std::size_t removed = 0;
    std::vector<NodeId> stack{node};
    while (!stack.empty()) {
        const NodeId id = stack.back();
        stack.pop_back();
        ++removed;
        for (NodeId c = nodes_[id].firstChild; c != NoNode; c = nodes_[c].nextSibling)
            stack.push_back(c);
    }
    liveCount_ -= removed;
    n.parent = NoNode;
    n.prevSibling = n.nextSibling = NoNode;
}

void dumpTree(const DisplayTree& tree, std::string& out, std::string_view lineEnd, bool escapeControls)
{
    walkTree(
        tree,
        [&](NodeId node, std::size_t depth) {
            out.append(depth, ' ');
            if (escapeControls)
                out.append(escapedForMessage(tree.text(node)));
            else
                out.append(tree.text(node));
            out.append(lineEnd);
        },
        [](NodeId) {});
}

} // namespace helixplot

namespace helixplot {

namespace {

constexpr unsigned char foldCase(char c)
{
    const auto u = static_cast<unsigned char>(c);
    return u >= 'A' && u <= 'Z' ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

bool containsFolded(std::string_view text, std::string_view foldedNeedle)
{
    if (foldedNeedle.size() > text.size())
        return false;
    const unsigned char first = static_cast<unsigned char>(foldedNeedle[0]);
    const std::size_t last = text.size() - foldedNeedle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        if (foldCase(text[i]) != first)
            continue;
        std::size_t j = 1;
        while (j < foldedNeedle.size() && foldCase(text[i + j]) == static_cast<unsigned char>(foldedNeedle[j]))
            ++j;
        if (j == foldedNeedle.size())
            return true;
    }
    return false;
}

} // namespace

std::vector<NodeId> findNodes(const DisplayTree& tree, std::string_view needle)
{
    std::vector<NodeId> found;
    if (needle.empty())
        return found;
    std::string folded(needle);
    for (char& c : folded)
        c = static_cast<char>(foldCase(c));
    walkTree(
        tree,
        [&](NodeId node, std::size_t) {
            if (containsFolded(tree.text(node), folded))
                found.push_back(node);
        },
        [](NodeId) {});
    return found;
}

void dumpSubtree(const DisplayTree& tree, NodeId node, std::string& out, std::string_view lineEnd)
{
    walkTree(
        tree, node,
        [&](NodeId at, std::size_t depth) {
            out.append(depth, ' ');
            out.append(tree.text(at));
            out.append(lineEnd);
        },
        [](NodeId) {});
}

} // namespace helixplot
