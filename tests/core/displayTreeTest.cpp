#include "decoder/displayTree.h"

#include <gtest/gtest.h>

namespace helixplot {
namespace {

TEST(DisplayTree, DumpsDepthFirstWithOneSpacePerLevel)
{
    DisplayTree tree;
    const NodeId a = tree.appendTopLevel("A");
    const NodeId b = tree.addChild(a, "B");
    tree.addChild(b, "D");
    tree.addChild(a, "C");
    tree.appendTopLevel("E");
    std::string out;
    dumpTree(tree, out);
    EXPECT_EQ(out, "A\n B\n  D\n C\nE\n");
    EXPECT_EQ(tree.nodeCount(), 5u);
}

} // namespace
} // namespace helixplot
