// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoder/displayTree.h"
#include "genetics/inOutError.h"

#include <gtest/gtest.h>

namespace helixplot {
namespace {

std::string dumped(const DisplayTree& tree)
{
    std::string out;
    dumpTree(tree, out);
    return out;
}

TEST(DisplayTree, DumpsDepthFirstWithOneSpacePerLevel)
{
    DisplayTree tree;
    const NodeId a = tree.appendTopLevel("A");
    const NodeId b = tree.addChild(a, "B");
    tree.addChild(b, "D");
    tree.addChild(a, "C");
    tree.appendTopLevel("E");
    tree.appendTopLevel("");
    EXPECT_EQ(dumped(tree), "A\n B\n  D\n C\nE\n\n");
    std::string crlf;
    dumpTree(tree, crlf, "\r\n");
    EXPECT_EQ(crlf, "A\r\n B\r\n  D\r\n C\r\nE\r\n\r\n");
    EXPECT_EQ(tree.nodeCount(), 6u);
}

TEST(DisplayTree, EmptyTreeDumpsNothing)
{
    DisplayTree tree;
    EXPECT_TRUE(tree.empty());
    EXPECT_EQ(tree.firstTopLevel(), NoNode);
    EXPECT_EQ(dumped(tree), "");
}

TEST(DisplayTree, NavigatesChildrenSiblingsAndParents)
{
    DisplayTree tree;
    const NodeId top = tree.appendTopLevel("top");
    std::vector<NodeId> children;
    for (int i = 0; i < 300; ++i)
        children.push_back(tree.addChild(top, "child " + std::to_string(i)));
    EXPECT_EQ(tree.childCount(top), 300u);
    for (std::size_t i = 0; i < children.size(); ++i) {
        ASSERT_EQ(tree.childAt(top, i), children[i]);
        ASSERT_EQ(tree.row(children[i]), i);
        ASSERT_EQ(tree.parent(children[i]), top);
    }
    EXPECT_EQ(tree.childAt(top, 300), NoNode);
    EXPECT_EQ(tree.parent(top), NoNode);
    EXPECT_EQ(tree.firstChild(top), children[0]);
    EXPECT_EQ(tree.nextSibling(children[0]), children[1]);
    EXPECT_EQ(tree.nextSibling(children[299]), NoNode);
    EXPECT_EQ(tree.text(children[42]), "child 42");
    // Appending after random access keeps the index right.
    const NodeId extra = tree.addChild(top, "extra");
    EXPECT_EQ(tree.childAt(top, 150), children[150]);
    EXPECT_EQ(tree.childAt(top, 300), extra);
}

TEST(DisplayTree, DeletesANodeWithItsSubtree)
{
    const struct {
        const char* name;
        int victim; // index among the top-level nodes
        const char* remaining;
        std::size_t count;
    } cases[] = {
        {"first", 0, "B\n b1\nC\n", 3},
        {"middle", 1, "A\n a1\n  a2\nC\n", 4},
        {"last", 2, "A\n a1\n  a2\nB\n b1\n", 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DisplayTree tree;
        const NodeId a = tree.appendTopLevel("A");
        tree.addChild(tree.addChild(a, "a1"), "a2");
        tree.addChild(tree.appendTopLevel("B"), "b1");
        tree.appendTopLevel("C");
        tree.childAt(tree.root(), 1); // build the child index first
        tree.deleteNode(tree.childAt(tree.root(), c.victim));
        EXPECT_EQ(dumped(tree), c.remaining);
        EXPECT_EQ(tree.nodeCount(), c.count);
        EXPECT_EQ(tree.childCount(tree.root()), 2u);
        for (std::size_t i = 0; i < 2; ++i)
            EXPECT_EQ(tree.row(tree.childAt(tree.root(), i)), i);
    }
}

TEST(DisplayTree, DeletingEverythingLeavesAnEmptyTree)
{
    DisplayTree tree;
    tree.addChild(tree.appendTopLevel("A"), "a");
    tree.appendTopLevel("B");
    while (tree.firstTopLevel() != NoNode)
        tree.deleteNode(tree.firstTopLevel());
    EXPECT_TRUE(tree.empty());
    tree.appendTopLevel("again");
    EXPECT_EQ(dumped(tree), "again\n");
}

TEST(DisplayTree, ClearStartsAfresh)
{
    DisplayTree tree;
    tree.addChild(tree.appendTopLevel("old"), "line");
    tree.clear();
    EXPECT_EQ(tree.nodeCount(), 0u);
    tree.appendTopLevel("new");
    EXPECT_EQ(dumped(tree), "new\n");
}

TEST(DisplayTree, WalkEndsEachSubtreeAfterItsLastDescendant)
{
    DisplayTree tree;
    const NodeId a = tree.appendTopLevel("A");
    const NodeId b = tree.addChild(a, "B");
    tree.addChild(tree.addChild(b, "C"), "D");
    tree.addChild(a, "E");
    tree.appendTopLevel("F");
    std::string walk;
    walkTree(
        tree,
        [&](NodeId n, std::size_t depth) { walk += "+" + std::string(tree.text(n)) + std::to_string(depth) + " "; },
        [&](NodeId n) { walk += "-" + std::string(tree.text(n)) + " "; });
    EXPECT_EQ(walk, "+A0 +B1 +C2 +D3 -D -C -B +E1 -E -A +F0 -F ");

    walk.clear();
    walkTree(
        DisplayTree(), [&](NodeId, std::size_t) { walk += "+"; }, [&](NodeId) { walk += "-"; });
    EXPECT_EQ(walk, "");
}

} // namespace
} // namespace helixplot

namespace helixplot {
namespace {

// Offsets into the text pool are 32 bits; a tree with a lower bound shows
// what a full one does without 4 GiB of text.
TEST(DisplayTree, AFullTreeRefusesMoreTextAndKeepsWhatItHas)
{
    DisplayTree tree(10);
    const NodeId a = tree.appendTopLevel("12345");
    tree.addChild(a, "6789");
    try {
        tree.addChild(a, "ab");
        ADD_FAILURE() << "no error";
    } catch (const HelixplotError& e) {
        EXPECT_STREQ(e.what(), "Tree too large: over 10 bytes of text");
    }
    EXPECT_EQ(tree.nodeCount(), 2u);
    EXPECT_EQ(tree.childCount(a), 1u);
    tree.addChild(a, "0"); // exactly full
    EXPECT_EQ(dumped(tree), "12345\n 6789\n 0\n");
    EXPECT_THROW(tree.appendTopLevel("x"), HelixplotError);
    tree.clear();
    EXPECT_NO_THROW(tree.appendTopLevel("0123456789"));
}

} // namespace
} // namespace helixplot
