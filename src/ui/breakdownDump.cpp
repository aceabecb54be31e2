#include "breakdownDump.h"

#include "genetics/inOutError.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTreeView>

#include <cerrno>
#include <cstdio>
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

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

class Dump {
public:
    Dump(QTreeView& view, const DisplayTreeModel& model, std::FILE* file)
        : view_(view), model_(model), tree_(*model.tree()), file_(file)
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
        prefix_.assign(depth, ' ');
        errno = 0;
        if (std::fwrite(prefix_.data(), 1, prefix_.size(), file_) != prefix_.size() ||
            std::fwrite(text.data(), 1, text.size(), file_) != text.size() || std::fwrite("\r\n", 1, 2, file_) != 2)
            throw InOutError::onWrite(errno);
    }

    QTreeView& view_;
    const DisplayTreeModel& model_;
    const DisplayTree& tree_;
    std::FILE* file_;
    std::string prefix_;
    Pump pump_;
};

} // namespace

void dumpBreakdown(QTreeView& view, const DisplayTreeModel& model, const QString& path)
{
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(QFile::encodeName(path).constData(), "wb"));
    if (!file)
        throw InOutError::onWrite(errno);

    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct RestoreCursor {
        ~RestoreCursor() { QApplication::restoreOverrideCursor(); }
    } restoreCursor;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    if (model.tree()) {
        Dump dump(view, model, file.get());
        dump.walk();
    }
    errno = 0;
    if (std::fclose(file.release()) != 0)
        throw InOutError::onWrite(errno);
}

} // namespace helixplot
