// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "decoder/displayTree.h"

#include <QAbstractItemModel>

namespace helixplot {

// Shows a core DisplayTree in a Qt view without copying it: an index carries
// its node's id, and every role is read from the node when asked for.
class DisplayTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit DisplayTreeModel(const DisplayTree* tree = nullptr, QObject* parent = nullptr);

    const DisplayTree* tree() const { return tree_; }

    // Brackets a rebuild of the tree (or a switch to another): while it
    // lasts the model shows nothing, so that a view never reads a node id of
    // a tree that is being cleared and refilled.
    void beginTreeChange();
    void endTreeChange(const DisplayTree* tree);
    void endTreeChange() { endTreeChange(tree_); }

    // The index of a node of the tree (the invalid index for the root).
    QModelIndex indexOf(NodeId node) const;
    static NodeId nodeOf(const QModelIndex& index);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    bool showing() const { return tree_ && !changing_; }
    NodeId nodeOrRoot(const QModelIndex& index) const;

    const DisplayTree* tree_;
    bool changing_ = false;
};

// Brackets a rebuild of every tree of a set of models, ending the change
// on every way out, an error included.
class TreeChangeGuard {
public:
    explicit TreeChangeGuard(std::initializer_list<DisplayTreeModel*> models);
    ~TreeChangeGuard();
    TreeChangeGuard(const TreeChangeGuard&) = delete;
    TreeChangeGuard& operator=(const TreeChangeGuard&) = delete;

private:
    std::vector<DisplayTreeModel*> models_;
};

} // namespace helixplot
