// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

using NodeId = std::uint32_t;
inline constexpr NodeId NoNode = UINT32_MAX;

// An ordered tree of text lines: every result of the program is one. Nodes
// live in one vector and their texts in one character pool, so building a
// tree of 100,000 lines costs a few reallocations, not one allocation a node.
// The hidden root (root()) is the parent of the top-level nodes; parent() of
// a top-level node is NoNode.
class DisplayTree {
public:
    // Texts are found by 32-bit offsets into the pool, so the pool never
    // grows past this; nodes are likewise counted in 32 bits.
    static constexpr std::size_t MaxTextBytes = UINT32_MAX;

    // textLimit lowers the pool's bound, for tests of a full tree.
    explicit DisplayTree(std::size_t textLimit = MaxTextBytes);

    void clear();
    // Room for about this many more nodes and bytes of text, so that a tree
    // of known size is not copied while it grows.
    void reserve(std::size_t nodes, std::size_t textBytes);

    NodeId root() const { return 0; }
    NodeId appendTopLevel(std::string_view text) { return addChild(root(), text); }
    // Appends a node carrying text as the last child of parent. A tree that
    // would outgrow its bounds raises HelixplotError and stays as it was.
    NodeId addChild(NodeId parent, std::string_view text);

    std::size_t childCount(NodeId node) const { return nodes_[node].childCount; }
    NodeId childAt(NodeId node, std::size_t index) const;
    NodeId firstChild(NodeId node) const { return nodes_[node].firstChild; }
    NodeId firstTopLevel() const { return nodes_[0].firstChild; }
    NodeId nextSibling(NodeId node) const { return nodes_[node].nextSibling; }
    NodeId parent(NodeId node) const;
    // Index of node among its parent's children.
    std::size_t row(NodeId node) const { return nodes_[node].row; }
    std::string_view text(NodeId node) const;

    // Removes node and its whole subtree; node must not be the root.
    void deleteNode(NodeId node);
    // Number of nodes, the root not counted.
    std::size_t nodeCount() const { return liveCount_; }
    bool empty() const { return liveCount_ == 0; }

private:
    struct Node {
        std::uint32_t textOffset = 0;
        std::uint32_t textLength = 0;
        NodeId parent = NoNode;
        NodeId firstChild = NoNode;
        NodeId lastChild = NoNode;
        NodeId nextSibling = NoNode;
        NodeId prevSibling = NoNode;
        std::uint32_t row = 0;
        std::uint32_t childCount = 0;
    };

    const std::vector<NodeId>& childIndex(NodeId node) const;

    std::vector<Node> nodes_;
    std::string texts_;
    std::size_t textLimit_;
    std::size_t liveCount_ = 0;
    // Random access to children is only wanted by views, after building; the
    // index of a node's children is made on first request and dropped when
    // that node's children change.
    mutable std::vector<std::vector<NodeId>> childIndexes_;
};

// Walks root's subtree, or with NoNode the whole tree, depth first in display
// order: before(node, depth) ahead of the node's children, after(node) once
// they are done; root has depth 0. Iterative, so that a deep tree cannot
// exhaust the stack.
template <typename Before, typename After>
void walkTree(const DisplayTree& tree, NodeId root, Before&& before, After&& after)
{
    std::vector<NodeId> open; // ancestors whose after() is still due
    NodeId node = root == NoNode ? tree.firstTopLevel() : root;
    while (node != NoNode) {
        before(node, open.size());
        if (tree.firstChild(node) != NoNode) {
            open.push_back(node);
            node = tree.firstChild(node);
            continue;
        }
        after(node);
        while (tree.nextSibling(node) == NoNode && !open.empty()) {
            node = open.back();
            open.pop_back();
            after(node);
        }
        if (node == root)
            return;
        node = tree.nextSibling(node);
    }
}

template <typename Before, typename After> void walkTree(const DisplayTree& tree, Before&& before, After&& after)
{
    walkTree(tree, NoNode, before, after);
}

// Writes the tree depth first in display order, one line per node, one
// leading space per level of depth, each line ended by lineEnd. With
// escapeControls, control characters in the texts are written as \xNN (for
// a terminal).
void dumpTree(const DisplayTree& tree, std::string& out, std::string_view lineEnd = "\n", bool escapeControls = false);

} // namespace helixplot

namespace helixplot {

// Every node whose text contains needle, ignoring the case of ASCII letters,
// in display order (depth first), collapsed subtrees included. An empty
// needle matches nothing.
std::vector<NodeId> findNodes(const DisplayTree& tree, std::string_view needle);

// Writes node and its whole subtree as dumpTree writes a tree, node itself
// without indentation.
void dumpSubtree(const DisplayTree& tree, NodeId node, std::string& out, std::string_view lineEnd = "\n");

} // namespace helixplot
