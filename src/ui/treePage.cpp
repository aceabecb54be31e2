// SPDX-License-Identifier: GPL-3.0-or-later
#include "treePage.h"

#include "accessibleNames.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QTimer>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace helixplot {

TreePage::TreePage(const QString& pageName, const QString& treeName, DisplayTreeModel* model, QWidget* parent)
    : QWidget(parent), model_(model)
{
    setObjectName(pageName);
    auto* layout = new QVBoxLayout(this);
    // The design's tree lies 16, 24 into its page and leaves room below for
    // the window's buttons.
    layout->setContentsMargins(16, 24, 24, 36);
    layout->setSpacing(4);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName(pageName + QStringLiteral("Splitter"));
    splitter_->setChildrenCollapsible(false);
    view_ = new QTreeView(splitter_);
    view_->setObjectName(treeName);
    view_->setModel(model);
    view_->setHeaderHidden(true);
    view_->setIndentation(19);
    view_->setUniformRowHeights(true);
    view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view_->setSelectionMode(QAbstractItemView::SingleSelection);
    view_->setTextElideMode(Qt::ElideNone);
    view_->header()->setStretchLastSection(false);
    layout->addWidget(splitter_, 1);

    // Fits the column to the rows shown, not to the whole tree: a fit is
    // asked for on every expansion and done once the events settle.
    auto* fit = new QTimer(view_);
    fit->setSingleShot(true);
    fit->setInterval(0);
    connect(fit, &QTimer::timeout, this, &TreePage::fitColumn);
    fitTimer_ = fit;
    // The column (and so the selection bar) spans the view at least.
    view_->viewport()->installEventFilter(this);
    const auto askFit = [fit] { fit->start(); };
    connect(view_, &QTreeView::expanded, fit, askFit);
    connect(view_, &QTreeView::collapsed, fit, askFit);
    connect(view_, &QTreeView::expanded, this, &TreePage::announceExpansion);
    connect(view_, &QTreeView::collapsed, this, &TreePage::announceExpansion);
    connect(model, &QAbstractItemModel::modelReset, fit, askFit);
    // A new run makes old matches meaningless.
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        if (findOpen())
            search();
    });

    findBar_ = new QWidget(this);
    findBar_->setObjectName(QStringLiteral("FindBar"));
    auto* bar = new QHBoxLayout(findBar_);
    bar->setContentsMargins(0, 0, 0, 0);
    auto* label = new QLabel(QStringLiteral("Find:"), findBar_);
    findText_ = new QLineEdit(findBar_);
    findText_->setObjectName(QStringLiteral("FindText"));
    findText_->setClearButtonEnabled(true);
    label->setBuddy(findText_);
    findCount_ = new QLabel(findBar_);
    findCount_->setObjectName(QStringLiteral("FindCount"));
    findCount_->setMinimumWidth(findCount_->fontMetrics().horizontalAdvance(QStringLiteral("00000 of 00000")));
    auto* close = new QToolButton(findBar_);
    close->setObjectName(QStringLiteral("FindClose"));
    close->setAutoRaise(true);
    close->setText(QStringLiteral("x"));
    close->setToolTip(QStringLiteral("Close the find bar (Escape)"));
    bar->addWidget(label);
    bar->addWidget(findText_, 1);
    bar->addWidget(findCount_);
    bar->addWidget(close);
    layout->addWidget(findBar_);
    findBar_->hide();
    connect(findText_, &QLineEdit::textChanged, this, [this] {
        search();
        goToMatch(matches_.empty() ? -1 : 0);
    });
    // Enter must not reach the window, where it presses "Load New Genome".
    findText_->installEventFilter(this);
    connect(close, &QToolButton::clicked, this, &TreePage::closeFind);
    // Wherever the focus is on the page, the tree included; only while the
    // bar is open, so that Escape means nothing else then.
    closeFind_ = new QAction(QStringLiteral("Close the find bar"), this);
    closeFind_->setShortcut(QKeySequence(Qt::Key_Escape));
    closeFind_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    closeFind_->setEnabled(false);
    connect(closeFind_, &QAction::triggered, this, &TreePage::closeFind);
    addAction(closeFind_);
    findText_->setAccessibleName(QStringLiteral("Find in the tree"));
    nameClearButton(findText_);
    findText_->setAccessibleDescription(QStringLiteral("Enter or F3: next match; Shift+F3: previous; Escape: close."));
    findCount_->setAccessibleName(QStringLiteral("Matches"));
    close->setAccessibleName(QStringLiteral("Close the find bar"));

    copy_ = new QAction(QStringLiteral("Copy"), this);
    copy_->setShortcut(QKeySequence::Copy);
    connect(copy_, &QAction::triggered, this, &TreePage::copySelection);
    expand_ = new QAction(QStringLiteral("Expand all below"), this);
    connect(expand_, &QAction::triggered, this, &TreePage::expandAllBelow);
    collapse_ = new QAction(QStringLiteral("Collapse all"), this);
    connect(collapse_, &QAction::triggered, this, &TreePage::collapseAll);
    export_ = new QAction(QStringLiteral("Export page..."), this);
    // The window's Ctrl+S does it; the menu says so.
    export_->setShortcut(QKeySequence::Save);
    export_->setShortcutContext(Qt::WidgetShortcut);
    export_->setShortcutVisibleInContextMenu(true);
    connect(export_, &QAction::triggered, this, &TreePage::exportRequested);

    view_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        const QModelIndex under = view_->indexAt(at);
        if (under.isValid())
            view_->setCurrentIndex(under);
        const bool selected = view_->currentIndex().isValid();
        copy_->setEnabled(selected);
        expand_->setEnabled(selected);
        Q_EMIT menuOpening();
        QMenu menu(this);
        menu.addActions({copy_, expand_, collapse_});
        menu.addSeparator();
        menu.addAction(export_);
        if (!extraActions_.isEmpty()) {
            menu.addSeparator();
            menu.addActions(extraActions_);
        }
        menu.exec(view_->viewport()->mapToGlobal(at));
    });
}

bool TreePage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == view_->viewport() && event->type() == QEvent::Resize)
        fitTimer_->start();
    if (watched == findText_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & Qt::ShiftModifier)
                findPrevious();
            else
                findNext();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QList<QAction*> TreePage::menuActions() const
{
    return QList<QAction*>{copy_, expand_, collapse_, export_} + extraActions_;
}

void TreePage::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // A tree filled while its page was hidden was fitted to no rows.
    fitColumn();
}

void TreePage::announceExpansion(const QModelIndex& index)
{
    // Only for a screen reader: finding the node's row walks the rows above.
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* tree = QAccessible::queryAccessibleInterface(view_);
    QAccessibleTableInterface* table = tree ? tree->tableInterface() : nullptr;
    if (!table)
        return;
    int row = 0;
    for (QModelIndex above = view_->indexAbove(index); above.isValid(); above = view_->indexAbove(above))
        ++row;
    if (QAccessibleInterface* cell = table->cellAt(row, 0)) {
        QAccessible::State changed;
        changed.expanded = true;
        changed.collapsed = true;
        QAccessibleStateChangeEvent event(cell, changed);
        // The cell's own state says which way it went.
        QAccessible::updateAccessibility(&event);
    }
}

void TreePage::fitColumn()
{
    view_->resizeColumnToContents(0);
    if (view_->columnWidth(0) < view_->viewport()->width())
        view_->setColumnWidth(0, view_->viewport()->width());
}

void TreePage::openFind()
{
    findBar_->show();
    closeFind_->setEnabled(true);
    findText_->setFocus(Qt::ShortcutFocusReason);
    findText_->selectAll();
    if (!searched_)
        search();
    showCount();
}

bool TreePage::findOpen() const
{
    return !findBar_->isHidden();
}

void TreePage::closeFind()
{
    findBar_->hide();
    closeFind_->setEnabled(false);
    view_->setFocus(Qt::OtherFocusReason);
}

void TreePage::search()
{
    matches_.clear();
    current_ = -1;
    searched_ = !findText_->text().isEmpty();
    if (searched_ && model_->tree()) {
        // Texts are single-byte: the needle goes to the core as Latin-1.
        const QByteArray needle = findText_->text().toLatin1();
        matches_ = findNodes(*model_->tree(), std::string_view(needle.constData(), std::size_t(needle.size())));
    }
    showCount();
}

void TreePage::findNext()
{
    if (!searched_)
        search();
    if (!matches_.empty())
        goToMatch((current_ + 1) % int(matches_.size()));
}

void TreePage::findPrevious()
{
    if (!searched_)
        search();
    if (!matches_.empty())
        goToMatch((current_ <= 0 ? int(matches_.size()) : current_) - 1);
}

void TreePage::goToMatch(int match)
{
    current_ = match;
    if (match >= 0) {
        const QModelIndex index = model_->indexOf(matches_[std::size_t(match)]);
        for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
            view_->expand(up);
        view_->setCurrentIndex(index);
        view_->scrollTo(index, QAbstractItemView::PositionAtCenter);
    }
    showCount();
}

void TreePage::showCount()
{
    findCount_->setText(findCount());
}

QString TreePage::findCount() const
{
    if (!searched_)
        return {};
    return QStringLiteral("%1 of %2").arg(current_ + 1).arg(matches_.size());
}

QString TreePage::selectionText() const
{
    const QModelIndex index = view_->currentIndex();
    if (!index.isValid() || !model_->tree())
        return {};
    std::string out;
    dumpSubtree(*model_->tree(), DisplayTreeModel::nodeOf(index), out);
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

void TreePage::copySelection()
{
    const QString text = selectionText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

void TreePage::expandAllBelow()
{
    const QModelIndex index = view_->currentIndex();
    if (index.isValid())
        view_->expandRecursively(index);
}

void TreePage::collapseAll()
{
    view_->collapseAll();
}

} // namespace helixplot
