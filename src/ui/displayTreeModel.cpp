// SPDX-License-Identifier: GPL-3.0-or-later
#include "displayTreeModel.h"

namespace helixplot {

DisplayTreeModel::DisplayTreeModel(const DisplayTree* tree, QObject* parent) : QAbstractItemModel(parent), tree_(tree)
{
}

void DisplayTreeModel::beginTreeChange()
{
    if (changing_)
        return;
    beginResetModel();
    changing_ = true;
}

void DisplayTreeModel::endTreeChange(const DisplayTree* tree)
{
    if (!changing_)
        beginResetModel();
    tree_ = tree;
    changing_ = false;
    endResetModel();
}

QModelIndex DisplayTreeModel::indexOf(NodeId node) const
{
    if (!showing() || node == NoNode || node == tree_->root())
        return {};
    return createIndex(static_cast<int>(tree_->row(node)), 0, static_cast<quintptr>(node));
}

NodeId DisplayTreeModel::nodeOf(const QModelIndex& index)
{
    return index.isValid() ? static_cast<NodeId>(index.internalId()) : NoNode;
}

NodeId DisplayTreeModel::nodeOrRoot(const QModelIndex& index) const
{
    return index.isValid() ? static_cast<NodeId>(index.internalId()) : tree_->root();
}

QModelIndex DisplayTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (!showing() || row < 0 || column != 0 || parent.column() > 0)
        return {};
    const NodeId child = tree_->childAt(nodeOrRoot(parent), static_cast<std::size_t>(row));
    if (child == NoNode)
        return {};
    return createIndex(row, 0, static_cast<quintptr>(child));
}

QModelIndex DisplayTreeModel::parent(const QModelIndex& child) const
{
    if (!showing() || !child.isValid())
        return {};
    return indexOf(tree_->parent(nodeOf(child)));
}

int DisplayTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!showing() || parent.column() > 0)
        return 0;
    return static_cast<int>(tree_->childCount(nodeOrRoot(parent)));
}

int DisplayTreeModel::columnCount(const QModelIndex&) const
{
    return 1;
}

bool DisplayTreeModel::hasChildren(const QModelIndex& parent) const
{
    if (!showing() || parent.column() > 0)
        return false;
    return tree_->firstChild(nodeOrRoot(parent)) != NoNode;
}

QVariant DisplayTreeModel::data(const QModelIndex& index, int role) const
{
    if (!showing() || !index.isValid() || role != Qt::DisplayRole)
        return {};
    // Gene texts are single-byte.
    const std::string_view text = tree_->text(nodeOf(index));
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

Qt::ItemFlags DisplayTreeModel::flags(const QModelIndex& index) const
{
    if (!showing() || !index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // Spares the view a question per leaf when it lays out rows.
    if (tree_->firstChild(nodeOf(index)) == NoNode)
        result |= Qt::ItemNeverHasChildren;
    return result;
}

TreeChangeGuard::TreeChangeGuard(std::initializer_list<DisplayTreeModel*> models) : models_(models)
{
    for (DisplayTreeModel* model : models_)
        model->beginTreeChange();
}

TreeChangeGuard::~TreeChangeGuard()
{
    for (DisplayTreeModel* model : models_)
        model->endTreeChange();
}

} // namespace helixplot
