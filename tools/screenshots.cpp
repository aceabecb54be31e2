// SPDX-License-Identifier: GPL-3.0-or-later
// Renders the desktop program's windows on the bundled samples into PNG
// files, without a display: the selection dialog, the progress dialog in the
// middle of a run, each page of the main window after a parental mapping, and
// a large main window with the find bar open (also zoomed in), the change
// view of the mutated page, the population window on a bred population (also
// coloured by a gene's versions), the genome editor with a changed field,
// and
// the selection dialog and the main window at a large desktop font.
//
//   helixplot-screenshots [OUTPUT_FOLDER]   (default: docs/screenshots)

#include "populationGenerator.h"
#include "ui/editor/genomeEditor.h"
#include "ui/population/pedigreeView.h"
#include "ui/population/populationWindow.h"
#include "ui/treePage.h"
#include "ui/unitGeneMainWindow.h"

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QUndoStack>

#include <cstdio>
#include <memory>

using namespace helixplot;

namespace {

QString outputFolder;
int failures = 0;

void save(QWidget& widget, const char* name)
{
    const QString path = outputFolder + u'/' + QString::fromLatin1(name) + QStringLiteral(".png");
    if (widget.grab().save(path)) {
        std::printf("%s\n", qPrintable(QDir::toNativeSeparators(path)));
    } else {
        std::fprintf(stderr, "helixplot-screenshots: cannot write %s\n", qPrintable(path));
        ++failures;
    }
}

template <typename T> T& child(const QObject& parent, const char* name)
{
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return *found;
}

// Grabs the progress dialog once the breakdown stage is half done. The
// counter's repaint tells when a position was shown; the grab itself waits
// for the next round of events, outside any painting.
class MidRunGrabber : public QObject {
public:
    explicit MidRunGrabber(TPleaseWait& dialog) : dialog_(dialog)
    {
        child<QLabel>(dialog, "PosPos").installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (!done_ && event->type() == QEvent::Paint && child<QLabel>(dialog_, "Stage5").font().bold()) {
            const int position = static_cast<QLabel*>(watched)->text().toInt();
            const int maximum = child<QLabel>(dialog_, "PosCnt").text().mid(1).toInt();
            if (maximum > 0 && position * 2 >= maximum) {
                done_ = true;
                QTimer::singleShot(0, &dialog_, [this] { save(dialog_, "progress-dialog"); });
            }
        }
        return false;
    }

private:
    TPleaseWait& dialog_;
    bool done_ = false;
};

// Opens the first levels of a tree so that the picture shows some content.
void openSome(QTreeView& view)
{
    QAbstractItemModel& model = *view.model();
    int opened = 0;
    for (int row = 0; row < model.rowCount() && opened < 2; ++row) {
        const QModelIndex top = model.index(row, 0);
        if (!model.hasChildren(top))
            continue;
        view.expand(top);
        const QModelIndex first = model.index(0, 0, top);
        if (model.hasChildren(first))
            view.expand(first);
        ++opened;
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString samples = QStringLiteral(HELIXPLOT_SOURCE_DIR "/samples/");
    qputenv("HELIXPLOT_SETTINGS", QFile::encodeName(samples + QStringLiteral("settings.ini")));
    // The windows at their design sizes, whatever the user's own settings
    // remember.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    QApplication app(argc, argv);
    outputFolder =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(HELIXPLOT_SOURCE_DIR "/docs/screenshots");
    if (!QDir().mkpath(outputFolder)) {
        std::fprintf(stderr, "helixplot-screenshots: cannot create %s\n", qPrintable(outputFolder));
        return 1;
    }

    std::unique_ptr<MidRunGrabber> grabber;
    MainWindowHooks hooks;
    hooks.reportError = [](const QString& text) {
        std::fprintf(stderr, "helixplot-screenshots: %s\n", qPrintable(text));
        ++failures;
    };
    // The fixed waits are kept short: nobody watches.
    hooks.wait = [](int) { QCoreApplication::processEvents(); };
    // A frame passes at every report, so the dialog paints each position
    // and the grab below finds the middle of a stage, however fast it runs.
    hooks.paintClock = [now = qint64(0)]() mutable { return now += FrameMs; };
    const char* dialogShot = "selection-dialog";
    hooks.showSelectionDialog = [&](TLoadGenome& dialog) {
        dialog.show();
        child<QRadioButton>(dialog, "Parents").click();
        child<QLineEdit>(dialog, "GenomeFileName").setText(samples + QStringLiteral("tibb.gen"));
        QCoreApplication::processEvents();
        save(dialog, dialogShot);
        // The main window is still being made: its progress dialog is found
        // among the top-level windows (the first one's only).
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* progress = qobject_cast<TPleaseWait*>(top); progress && !grabber)
                grabber = std::make_unique<MidRunGrabber>(*progress);
        }
        child<QPushButton>(dialog, "Button1").click();
        return dialog.result();
    };
    TGeneMainWindow main(hooks);
    if (main.programEnded())
        return 1;
    main.show();

    auto& pages = child<QTabWidget>(main, "PageControl1");
    const char* names[] = {"main-statistics", "main-mutated", "main-missing", "main-additional", "main-breakdown"};
    for (int page = 0; page < pages.count(); ++page) {
        pages.setCurrentIndex(page);
        if (auto* tree = pages.widget(page)->findChild<QTreeView*>())
            openSome(*tree);
        QCoreApplication::processEvents();
        save(main, names[page]);
    }

    // The change view of a short gene that both parents hold.
    pages.setCurrentIndex(1);
    auto& mutated = child<QTreeView>(main, "MutatedGenes");
    const MappingResult& result = main.result();
    for (NodeId family = result.mutatedGenes.firstTopLevel(); family != NoNode;
         family = result.mutatedGenes.nextSibling(family)) {
        bool chosen = false;
        for (NodeId gene = result.mutatedGenes.firstChild(family); gene != NoNode && !chosen;
             gene = result.mutatedGenes.nextSibling(gene)) {
            const GeneChange& change = *result.mutatedChanges.of(result.mutatedGenes, gene);
            const GeneLines lines = decodedLines(change.examined);
            if (change.comparators.size() == 2 && lines.size() > 3 && lines.size() < 12) {
                auto& model = static_cast<DisplayTreeModel&>(*mutated.model());
                mutated.collapseAll();
                mutated.setCurrentIndex(model.indexOf(gene));
                chosen = true;
            }
        }
        if (chosen)
            break;
    }
    main.showChangesAction()->setChecked(true);
    QCoreApplication::processEvents();
    save(main, "main-changes");

    // Grown windows grow their trees; the find bar under the breakdown.
    main.resize(1000, 680);
    pages.setCurrentIndex(pages.count() - 1);
    TreePage* breakdown = main.treePage(ResultPage::Breakdown);
    breakdown->collapseAll();
    breakdown->openFind();
    breakdown->findText()->setText(QStringLiteral("receptor"));
    for (int i = 0; i < 2; ++i)
        breakdown->findNext();
    QCoreApplication::processEvents();
    save(main, "main-find");

    // The same, zoomed in five steps (Ctrl++), as for a large screen.
    main.setZoom(5);
    QCoreApplication::processEvents();
    save(main, "main-zoomed");
    main.setZoom(0);

    pages.setCurrentIndex(0);

    // The population window on a bred population, one creature's family
    // picked out in the pedigree.
    QTemporaryDir populationDir;
    const QString folder = populationDir.path() + QStringLiteral("/genetics");
    samples::PopulationOptions options;
    options.rounds = 5;
    options.perRound = 10;
    const auto members = samples::writePopulation(QFile::encodeName(folder).toStdString(), options);
    PopulationWindow population(folder, false, {});
    population.setAttribute(Qt::WA_DeleteOnClose, false);
    population.resize(1280, 760);
    population.show();
    // The lineage follows the table, before or after the pedigree.
    bool traced = false;
    QObject::connect(&population, &PopulationWindow::lineageUpdated, [&traced] { traced = true; });
    QEventLoop census;
    QObject::connect(&population, &PopulationWindow::pedigreeShown, &census, &QEventLoop::quit);
    census.exec();
    while (!traced)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    population.table()->sortByColumn(PopulationModel::Mutated, Qt::DescendingOrder);
    const std::string& chosen = members[members.size() - 2 * options.perRound / 3].name;
    const int row = population.model().rowOfFile(chosen + ".gen");
    population.table()->setCurrentIndex(population.filter().mapFromSource(population.model().index(row, 0)));
    population.pedigree()->resetTransform();
    population.pedigree()->zoomBy(0.8);
    population.pedigree()->select(static_cast<std::size_t>(row));
    QCoreApplication::processEvents();
    save(population, "population-window");

    // The same pedigree coloured by the gene that mutated most often.
    if (!population.hotspots().empty()) {
        QEventLoop variants;
        QObject::connect(&population, &PopulationWindow::geneShown, &variants, &QEventLoop::quit);
        population.showGene(population.hotspots().front().geneKey);
        variants.exec();
        QCoreApplication::processEvents();
        save(population, "population-lineage");
    }

    // The genome editor with one receptor's threshold changed.
    {
        std::unique_ptr<GenomeEditor> editor(GenomeEditor::open(samples + QStringLiteral("tibb.gen"), {}));
        if (!editor)
            return 1;
        editor->setAttribute(Qt::WA_DeleteOnClose, false);
        int gene = 0;
        while (!editor->genome().gene(static_cast<std::size_t>(gene)).is(GeneKind::Receptor))
            ++gene;
        editor->selectGene(gene);
        editor->setGeneByte(gene, HeaderBytes + 4, 200);
        editor->resize(1100, 720);
        QCoreApplication::processEvents();
        save(*editor, "genome-editor");
        editor->undoStack().undo(); // closes without the question
    }

    // A desktop font half as large again as the usual one scales the
    // design's windows with it.
    QFont large = QApplication::font();
    large.setPointSizeF(large.pointSizeF() * 1.5);
    QApplication::setFont(large);
    dialogShot = "selection-dialog-large-font";
    TGeneMainWindow largeMain(hooks);
    if (largeMain.programEnded())
        return 1;
    largeMain.show();
    auto& largePages = child<QTabWidget>(largeMain, "PageControl1");
    largePages.setCurrentIndex(1);
    openSome(child<QTreeView>(largeMain, "MutatedGenes"));
    QCoreApplication::processEvents();
    save(largeMain, "main-large-font");
    return failures == 0 ? 0 : 1;
}
