// SPDX-License-Identifier: GPL-3.0-or-later
#include "creaturePanel.h"

#include "populationSession.h"

#include "genetics/textEncoding.h"
#include "writers/captions.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace helixplot {

namespace {

const QString RowScheme = QStringLiteral("row");
constexpr qsizetype MostChildren = 100;

QString shownName(const std::string& file)
{
    return QString::fromStdString(utf8Text(creatureName(file)));
}

QString link(const Census& census, std::size_t row)
{
    return QStringLiteral("<a href=\"row:%1\">%2</a>").arg(row).arg(shownName(census.rows[row].file).toHtmlEscaped());
}

QString plural(std::size_t n, const char* one, const char* many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

} // namespace

CreaturePanel::CreaturePanel(PopulationSession& session, QWidget* parent) : QWidget(parent), session_(session)
{
    setObjectName(QStringLiteral("CreaturePanel"));
    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("CreatureText"));
    browser_->setOpenLinks(false);
    browser_->setAccessibleName(QStringLiteral("Creature"));
    browser_->setAccessibleDescription(
        QStringLiteral("All about the current creature; its parents and children are links, the text can be copied."));
    mapping_ = new QPushButton(QStringLiteral("Open mapping"));
    mapping_->setObjectName(QStringLiteral("OpenMapping"));
    mapping_->setToolTip(QStringLiteral("The creature's mapping in the main window, against its parents when both are "
                                        "in the folder (Enter)"));
    mapping_->setAccessibleName(mapping_->text());
    breakdown_ = new QPushButton(QStringLiteral("Open breakdown"));
    breakdown_->setObjectName(QStringLiteral("OpenBreakdown"));
    breakdown_->setToolTip(QStringLiteral("The creature's gene breakdown in the main window"));
    breakdown_->setAccessibleName(breakdown_->text());
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(mapping_);
    buttons->addWidget(breakdown_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_, 1);
    layout->addLayout(buttons);

    connect(browser_, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        bool number = false;
        const qulonglong row = url.path().toULongLong(&number);
        if (url.scheme() == RowScheme && number && row < session_.model().census().rows.size())
            Q_EMIT creatureChosen(static_cast<std::size_t>(row));
    });
    connect(mapping_, &QPushButton::clicked, this, &CreaturePanel::mappingAsked);
    connect(breakdown_, &QPushButton::clicked, this, &CreaturePanel::breakdownAsked);
    connect(&session_, &PopulationSession::changesTraced, this, &CreaturePanel::changesTraced);
    render();
}

void CreaturePanel::showCreature(std::optional<std::size_t> row)
{
    if (row && (!session_.model().linked() || *row >= session_.model().census().rows.size()))
        row.reset();
    // The same creature after a change of the folder keeps its changes
    // shown until read again: most often they are the same text.
    const std::string file = row ? session_.model().census().rows[*row].file : std::string();
    if (file != file_) {
        changes_.reset();
        changesError_.clear();
    }
    row_ = row;
    file_ = file;
    if (row_ && session_.model().census().rows[*row_].loaded())
        session_.traceChanges(*row_);
    render();
}

void CreaturePanel::changesTraced(std::size_t row, const QString& text, const QString& error)
{
    if (row != row_)
        return;
    changes_ = text;
    changesError_ = error;
    render();
}

QString CreaturePanel::text() const
{
    return browser_->toPlainText();
}

void CreaturePanel::show(const QString& html)
{
    // The folder changing elsewhere leaves most creatures as they were:
    // laying the same text out again would only cost the window's thread.
    if (html == shown_)
        return;
    shown_ = html;
    browser_->setHtml(html);
}

void CreaturePanel::render()
{
    mapping_->setEnabled(false);
    breakdown_->setEnabled(false);
    if (!row_) {
        show(QStringLiteral("<p>No creature chosen.</p>"));
        return;
    }
    const Census& census = session_.model().census();
    const CensusRow& creature = census.rows[*row_];
    const QString file = QString::fromStdString(utf8Path(creature.file)).toHtmlEscaped();
    QString html;
    QStringList lines; // of the paragraph being written
    const auto line = [&lines](const QString& label, const QString& value) {
        lines << QStringLiteral("<b>%1:</b> %2").arg(label, value);
    };
    const auto paragraph = [&html, &lines] {
        html += QStringLiteral("<p>") + lines.join(QStringLiteral("<br>")) + QStringLiteral("</p>");
        lines.clear();
    };
    if (!creature.loaded()) {
        line(QStringLiteral("File"), file);
        // The reader's message in full: the table's cell has room for its start only.
        line(QStringLiteral("Error"), QString::fromStdString(utf8Text(creature.error)).toHtmlEscaped());
        paragraph();
        show(html);
        return;
    }
    mapping_->setEnabled(true);
    breakdown_->setEnabled(true);
    const auto parent = [&](const std::optional<std::string>& name, std::optional<std::size_t> row) {
        if (row)
            return link(census, *row);
        if (name && !name->empty())
            return QString::fromStdString(utf8Text(*name)).toHtmlEscaped() + QStringLiteral(" (not in the folder)");
        return QStringLiteral("unknown");
    };
    // A founder of ten thousand may have thousands: the first of them.
    QStringList children;
    std::size_t more = 0;
    for (std::size_t row = 0; row < census.rows.size(); ++row)
        if (census.rows[row].motherRow == row_ || census.rows[row].fatherRow == row_) {
            if (children.size() < MostChildren)
                children << link(census, row);
            else
                ++more;
        }
    if (more > 0)
        children << QStringLiteral("and %1 more").arg(more);
    line(QStringLiteral("File"), file);
    line(QStringLiteral("Genus"),
         creature.genus ? QString::fromStdString(utf8Text(*creature.genus)).toHtmlEscaped() : QString());
    line(QStringLiteral("Generation"), QString::number(creature.generation));
    line(QStringLiteral("Mother"), parent(creature.mother, creature.motherRow));
    line(QStringLiteral("Father"), parent(creature.father, creature.fatherRow));
    line(QStringLiteral("Children"), children.isEmpty() ? QStringLiteral("none") : children.join(QStringLiteral(", ")));
    const auto mutated = creature.mutatedTotal();
    line(QStringLiteral("Mutated genes"),
         mutated ? QString::number(*mutated) : QStringLiteral("not counted (parents not both in the folder)"));
    paragraph();
    if (mutated && *mutated > 0) {
        if (!changesError_.isEmpty())
            html += QStringLiteral("<p>The genomes could not be read again: %1</p>").arg(changesError_.toHtmlEscaped());
        else if (!changes_)
            html += QStringLiteral("<p>Reading the changes...</p>");
        else
            html += QStringLiteral("<pre>%1</pre>").arg(changes_->toHtmlEscaped());
    }
    // The lineage names rows of the census it was traced with.
    if (session_.lineageCurrent()) {
        QStringList events;
        for (const MutationEvent& event : session_.events())
            if (event.row == *row_)
                events << QString::fromStdString(geneKeyCaption(event.gene.geneKey())).toHtmlEscaped() +
                              QStringLiteral(": ") + plural(event.carriers.size(), "carrier", "carriers");
        if (!events.isEmpty())
            html += QStringLiteral("<p><b>Origin of the mutation events:</b><br>%1</p>")
                        .arg(events.join(QStringLiteral("<br>")));
    }
    if (const auto& variants = session_.variants(); variants && variants->ofRow.size() == census.rows.size()) {
        const int variant = variants->ofRow[*row_];
        const std::vector<int>& numbers = session_.variantNumbers();
        QString value = QStringLiteral("absent");
        if (variant >= 0) {
            const GeneVariant& carried = variants->variants[static_cast<std::size_t>(variant)];
            value = QStringLiteral("variant %1, origin %2%3, %4")
                        .arg(numbers[static_cast<std::size_t>(variant)] + 1)
                        .arg(link(census, carried.origin))
                        .arg(carried.event ? QString() : QStringLiteral(" (no event)"))
                        .arg(plural(carried.carriers, "carrier", "carriers"));
        }
        line(QStringLiteral("Gene %1").arg(QString::fromStdString(geneKeyCaption(variants->geneKey)).toHtmlEscaped()),
             value);
        paragraph();
    }
    show(html);
}

} // namespace helixplot
