// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "backgroundTask.h"
#include "censusJob.h"
#include "mapping/pedigreeLayout.h"
#include "mapping/variantSlots.h"
#include "pedigreeView.h"
#include "populationModel.h"

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

namespace helixplot {

// exportFinished()'s error when Esc stopped the export.
inline constexpr const char* ExportCancelled = "Export cancelled";

// A folder of genomes as the population window shows it, kept apart from
// the widgets: the census, its live updates, the lineage, a gene's
// variants, the pedigree's layout and the exports, all read and computed on
// worker threads under one cancel token and one version; the window is
// handed finished results only, through the signals and the accessors.
// Whatever a worker throws becomes failed(), never an abort. Destroying the
// session, or changing the folder, cancels and returns at once.
class PopulationSession : public QObject {
    Q_OBJECT
public:
    PopulationSession(const QString& folder, bool recursive, QObject* parent = nullptr);
    ~PopulationSession() override;

    QString folder() const { return folder_; }
    bool recursive() const { return recursive_; }
    PopulationModel& model() { return model_; }
    const PopulationModel& model() const { return model_; }
    bool censusRunning() const { return job_ != nullptr; }
    // Bumped by each new census and each batch of changes merged.
    unsigned version() const { return version_; }

    // Takes the census again, of the folder with or without its subfolders.
    void setRecursive(bool on);
    // Esc: the census or the export under way stops.
    void cancel();
    // Everything under way stops and nothing it hands back is taken; the
    // threads end on their own, soon, without being waited for.
    void stop();
    // Looks at the folder again now rather than when the watcher says.
    void rescan();

    // The lineage of the census shown (or of the one before a change of the
    // folder, until traced again), and whether it is of this census.
    const std::vector<MutationEvent>& events() const { return events_; }
    const std::vector<GeneHotspot>& hotspots() const { return genes_; }
    bool lineageCurrent() const { return lineageOf_ == version_; }
    // The pedigree coloured by a gene's version: read for every genome on a
    // worker, then variantsTraced(). None: no gene.
    void setGene(std::optional<std::uint16_t> geneKey);
    std::optional<std::uint16_t> gene() const { return gene_; }
    const std::optional<GeneVariants>& variants() const { return variants_; }
    // Per variant of variants(): the number it is shown with, kept while
    // the folder changes as long as its version is still there.
    const std::vector<int>& variantNumbers() const { return variantNumbers_; }

    // A creature's mutated genes, each change as the main window's change
    // view gives it in text, its three genomes read on a worker:
    // changesTraced() follows (a newer request replaces an older one).
    void traceChanges(std::size_t row);

    // The table as helixplot-cli census --format csv prints it, or the
    // report of helixplot-cli report by the name's ending, built and
    // written on a worker; readFiles are refused as targets (before the
    // work too: refusals are thrown here). exportFinished() follows.
    // With rows (of the census, ascending), a table of those rows alone.
    void startExport(const QString& path, const QStringList& readFiles,
                     std::optional<std::vector<std::size_t>> rows = std::nullopt);
    bool exporting() const { return export_.running(); }
    // Called on the export's worker before each of its steps, before the
    // cancel token is looked at: tests cancel from it at a step of their
    // choosing.
    void setExportStepHook(std::function<void(int done, int total)> hook) { exportStepHook_ = std::move(hook); }

Q_SIGNALS:
    // The census's progress while it reads.
    void progress(std::size_t done, std::size_t total);
    // The census is whole in the model (message empty), or failed or was
    // cancelled (then the model holds what was read).
    void censusFinished(const QString& message, bool cancelled);
    // The model took a batch of changes of the folder.
    void folderUpdated();
    // The pedigree laid out and its scene made, for PedigreeView::setPedigree.
    void pedigreeLaidOut(std::shared_ptr<PedigreeScene> scene);
    void lineageTraced();
    void variantsTraced();
    // traceChanges()'s text for the row of the census shown, or the error
    // that kept its genomes from loading.
    void changesTraced(std::size_t row, const QString& text, const QString& error);
    // The export's steps done of total, while it builds.
    void exportProgress(int done, int total);
    void exportFinished(const QString& path, const QString& error);
    // A worker failed (out of memory, the folder gone): the message to show.
    void failed(const QString& message);

private:
    void startCensus();
    void harvest();
    void poll();
    void watchFolder();
    void layOut();
    void traceLineageAgain();
    void traceVariants();
    void adoptLineage(Lineage lineage);
    void pollAgainSoon();
    std::string folderName() const;

    QString folder_;
    bool recursive_;
    PopulationModel model_;
    unsigned version_ = 0;
    std::shared_ptr<std::atomic<bool>> cancel_;
    std::unique_ptr<CensusJob> job_;

    // A burst of changes: the folder listed, the changed files read and
    // merged into a copy of the census, on a worker.
    struct Listing {
        QHash<QString, QPair<qint64, qint64>> files; // size and change time
        QStringList folders;                         // below the folder, when recursive
    };
    struct Update {
        Listing listing;
        std::shared_ptr<Census> census; // none when nothing changed
        CensusChange change;            // from the census it was made from
    };
    BackgroundTask<Update> update_;
    unsigned updateOf_ = 0;
    QHash<QString, QPair<qint64, qint64>> seen_;
    QFileSystemWatcher watcher_;
    QTimer rescanTimer_;
    bool rescanAfterUpdate_ = false;

    BackgroundTask<std::shared_ptr<PedigreeScene>> layout_;
    unsigned layoutOf_ = 0;
    bool layOutAgain_ = false;
    std::future<Lineage> censusLineage_;
    std::unique_ptr<CensusJob> tracingJob_;
    BackgroundTask<Lineage> lineage_;
    QTimer lineageTimer_;
    std::vector<MutationEvent> events_;
    std::vector<GeneHotspot> genes_;
    unsigned lineageOf_ = 0;

    std::optional<std::uint16_t> gene_;
    std::optional<GeneVariants> variants_;
    VariantSlots variantSlots_;
    std::vector<int> variantNumbers_;
    BackgroundTask<GeneVariants> variantsTask_;
    unsigned variantsOf_ = 0;

    struct Changes {
        std::size_t row = 0;
        std::string text;
    };
    BackgroundTask<Changes> changes_;
    unsigned changesOf_ = 0;
    std::size_t changesRow_ = 0;
    std::optional<std::size_t> changesNext_;

    BackgroundTask<bool> export_;
    QString exportPath_;
    std::shared_ptr<std::atomic<bool>> exportCancel_;
    std::shared_ptr<std::atomic<int>> exportDone_;
    int exportTotal_ = 0;
    int exportShown_ = -1;
    std::function<void(int, int)> exportStepHook_;

    QTimer pollTimer_;
};

} // namespace helixplot
