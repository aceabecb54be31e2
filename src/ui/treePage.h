// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "displayTreeModel.h"

#include <QWidget>

#include <vector>

class QAction;
class QLabel;
class QLineEdit;
class QSplitter;
class QTimer;
class QTreeView;

namespace helixplot {

// One tree page of the main window: the tree (in a splitter, so that a
// side view can join it), a find bar under it and the tree's context menu.
// The find bar searches the core's tree, so collapsed nodes are found too.
class TreePage : public QWidget {
    Q_OBJECT
public:
    TreePage(const QString& pageName, const QString& treeName, DisplayTreeModel* model, QWidget* parent = nullptr);

    QTreeView* view() const { return view_; }
    QSplitter* splitter() const { return splitter_; }
    DisplayTreeModel* model() const { return model_; }

    // Ctrl+F: shows the bar and puts the focus in its text.
    void openFind();
    // Enter or F3, and Shift+F3: the next and the previous match, wrapping.
    void findNext();
    void findPrevious();
    // Escape: hides the bar; the focus goes back to the tree.
    void closeFind();
    bool findOpen() const;
    QLineEdit* findText() const { return findText_; }
    // "3 of 17"; "0 of 0" when nothing matches; empty without a search.
    QString findCount() const;

    // The selected node and its whole subtree, one leading space per level;
    // empty when nothing is selected.
    QString selectionText() const;
    // Ctrl+C: the selection's text to the clipboard.
    void copySelection();
    void expandAllBelow();
    void collapseAll();
    // Fits the tree's column to the rows shown, and to the view's width at
    // least (after a font change, say).
    void fitColumn();
    // Escape's action, enabled while the find bar is open.
    QAction* closeFindAction() const { return closeFind_; }

    // The context menu's actions, in its order: Copy, Expand all below,
    // Collapse all, Export page..., then those a page adds.
    QList<QAction*> menuActions() const;
    // Adds action at the end of the tree's context menu, or first among
    // the page's own.
    void addMenuAction(QAction* action, bool first = false)
    {
        first ? extraActions_.prepend(action) : extraActions_.append(action);
    }

Q_SIGNALS:
    void exportRequested();
    // The tree's context menu is about to open, its current row set.
    void menuOpening();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void search();
    void goToMatch(int match);
    void showCount();
    // Tells a screen reader that a node opened or closed.
    void announceExpansion(const QModelIndex& index);

    DisplayTreeModel* model_;
    QSplitter* splitter_ = nullptr;
    QTreeView* view_ = nullptr;
    QWidget* findBar_ = nullptr;
    QLineEdit* findText_ = nullptr;
    QLabel* findCount_ = nullptr;
    QAction* copy_ = nullptr;
    QAction* expand_ = nullptr;
    QAction* collapse_ = nullptr;
    QAction* export_ = nullptr;
    QAction* closeFind_ = nullptr;
    QTimer* fitTimer_ = nullptr;
    QList<QAction*> extraActions_;
    std::vector<NodeId> matches_;
    int current_ = -1;
    bool searched_ = false;
};

} // namespace helixplot
