// SPDX-License-Identifier: GPL-3.0-or-later
#include "breakdownDump.h"

#include "genetics/inOutError.h"
#include "writers/safeOutput.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTreeView>

#include <memory>
#include <string>

namespace helixplot {

namespace {

// Lets the windows repaint during the walk, about as often as a screen
// shows a new frame: repainting the tree after every node would make the
// walk of a large breakdown last many seconds, and the user sees it go by
// all the same. The user's input is held back until the walk is over: a
// click on "Load New Genome" must not rebuild the tree that is being walked.
class Pump {
public:
    void operator()()
    {
        if (sinceLast_.isValid() && sinceLast_.elapsed() < FrameMs)
            return;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceLast_.start();
    }

private:
    static constexpr qint64 FrameMs = 16;
    QElapsedTimer sinceLast_;
};

class Dump {
public:
    Dump(QTreeView& view, const DisplayTreeModel& model, std::string& text)
        : view_(view), model_(model), tree_(*model.tree()), text_(text)
    {
    }

    // Each node is expanded and selected as it is written, and collapsed
    // once its subtree is done, so that the user sees the walk go by.
    void walk()
    {
        walkTree(
            tree_,
            [&](NodeId node, std::size_t depth) {
                if (tree_.firstChild(node) != NoNode)
                    view_.expand(model_.indexOf(node));
                select(node);
                writeLine(depth, tree_.text(node));
            },
            [&](NodeId node) {
                const NodeId next = tree_.nextSibling(node);
                view_.collapse(model_.indexOf(node));
                select(next != NoNode ? next : tree_.parent(node));
                pump_();
            });
    }

private:
    void select(NodeId node)
    {
        if (node == NoNode)
            view_.selectionModel()->clear();
        else
            view_.setCurrentIndex(model_.indexOf(node));
    }

    void writeLine(std::size_t depth, std::string_view text)
    {
        text_.append(depth, ' ');
        text_ += text;
        text_ += "\r\n";
    }

    QTreeView& view_;
    const DisplayTreeModel& model_;
    const DisplayTree& tree_;
    std::string& text_;
    Pump pump_;
};

} // namespace

// The design's messages for what the system refused; Helixplot's own
// refusals name the file.
template <typename Step> void withDesignMessages(Step step)
{
    try {
        step();
    } catch (const OutputError& error) {
        if (error.systemError() != 0)
            throw InOutError::onWrite(error.systemError());
        throw;
    }
}

void dumpBreakdown(QTreeView& view, const DisplayTreeModel& model, const QString& path,
                   const std::vector<std::string>& readFiles)
{
    // Made whole in memory and written at the end, so that a failed walk
    // leaves an earlier dump as it was.
    std::unique_ptr<OutputFile> file;
    withDesignMessages([&] { file = std::make_unique<OutputFile>(QFile::encodeName(path).toStdString(), readFiles); });

    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restoreCursor;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    std::string text;
    if (model.tree()) {
        Dump dump(view, model, text);
        dump.walk();
    }
    withDesignMessages([&] {
        file->write(text);
        file->commit();
    });
}

} // namespace helixplot
