// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include <cstddef>
#include <optional>
#include <string>

class QPushButton;
class QTextBrowser;

namespace helixplot {

class PopulationSession;

// Everything known about the current creature in one place: its file,
// genus and generation, its parents and children as links, its mutated
// genes with each change as the main window's change view writes it, the
// mutation events it is the origin of, and its version of the chosen gene.
// The text can be selected and copied; the changes are read on the
// session's worker.
class CreaturePanel : public QWidget {
    Q_OBJECT
public:
    explicit CreaturePanel(PopulationSession& session, QWidget* parent = nullptr);

    // The creature of a row of the census shown; none: nothing chosen.
    void showCreature(std::optional<std::size_t> row);
    // The same creature again, as the census, the lineage or the gene
    // changed.
    void refresh() { showCreature(row_); }
    std::optional<std::size_t> creature() const { return row_; }
    // What the panel shows, as plain text.
    QString text() const;
    QTextBrowser* browser() const { return browser_; }
    QPushButton* mappingButton() const { return mapping_; }
    QPushButton* breakdownButton() const { return breakdown_; }

Q_SIGNALS:
    // A parent's or a child's link: that creature becomes current.
    void creatureChosen(std::size_t row);
    void mappingAsked();
    void breakdownAsked();

private:
    void changesTraced(std::size_t row, const QString& text, const QString& error);
    void render();
    void show(const QString& html);

    PopulationSession& session_;
    std::optional<std::size_t> row_;
    std::string file_; // row_'s, which a change of the folder may move
    // The changes read for row_; empty until they are in.
    std::optional<QString> changes_;
    QString changesError_;
    QString shown_;
    QTextBrowser* browser_ = nullptr;
    QPushButton* mapping_ = nullptr;
    QPushButton* breakdown_ = nullptr;
};

} // namespace helixplot
