// SPDX-License-Identifier: GPL-3.0-or-later
#include "populationSession.h"

#include "genetics/textEncoding.h"
#include "mapping/censusUpdate.h"
#include "ui/pageExport.h"
#include "writers/censusReport.h"
#include "writers/censusTables.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <new>
#include <unordered_map>
#include <utility>

namespace helixplot {

namespace {

// Often enough for the table to fill smoothly, seldom enough to cost nothing.
constexpr int PollMs = 40;
// The game writes a genome in a moment; a burst of changes is read once.
constexpr int RescanMs = 300;
// The lineage is traced again once the folder has been still for a moment.
constexpr int LineageMs = 1500;

QString messageOf(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& e) {
        return QString::fromLocal8Bit(e.what());
    } catch (...) {
        return QStringLiteral("Unknown error");
    }
}

bool isCancel(const std::exception_ptr& error)
{
    try {
        std::rethrow_exception(error);
    } catch (const CensusCancelled&) {
        return true;
    } catch (...) {
        return false;
    }
}

} // namespace

PopulationSession::PopulationSession(const QString& folder, bool recursive, QObject* parent)
    : QObject(parent), folder_(folder), recursive_(recursive)
{
    pollTimer_.setInterval(PollMs);
    connect(&pollTimer_, &QTimer::timeout, this, &PopulationSession::poll);
    rescanTimer_.setSingleShot(true);
    rescanTimer_.setInterval(RescanMs);
    connect(&rescanTimer_, &QTimer::timeout, this, &PopulationSession::rescan);
    // Timed from the first change, not the last: a long burst (a copy of
    // thousands of genomes) is taken in batches while it goes on.
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!rescanTimer_.isActive())
            rescanTimer_.start(RescanMs);
    });
    lineageTimer_.setSingleShot(true);
    lineageTimer_.setInterval(LineageMs);
    connect(&lineageTimer_, &QTimer::timeout, this, &PopulationSession::traceLineageAgain);
    // Its results come from the event loop: whoever made the session is
    // connected by then.
    startCensus();
}

PopulationSession::~PopulationSession()
{
    stop();
}

std::string PopulationSession::folderName() const
{
    return QFile::encodeName(folder_).toStdString();
}

void PopulationSession::stop()
{
    pollTimer_.stop();
    lineageTimer_.stop();
    rescanTimer_.stop();
    rescanAfterUpdate_ = false;
    if (cancel_)
        *cancel_ = true;
    if (exportCancel_)
        *exportCancel_ = true;
    job_.reset();
    tracingJob_.reset();
    censusLineage_ = {};
    update_.abandon();
    layout_.abandon();
    lineage_.abandon();
    variantsTask_.abandon();
    changes_.abandon();
    changesNext_.reset();
    export_.abandon();
}

void PopulationSession::setRecursive(bool on)
{
    recursive_ = on;
    startCensus();
}

void PopulationSession::startCensus()
{
    stop();
    cancel_ = std::make_shared<std::atomic<bool>>(false);
    ++version_;
    if (!watcher_.directories().isEmpty())
        watcher_.removePaths(watcher_.directories());
    seen_.clear();
    model_.clear();
    events_.clear();
    genes_.clear();
    variants_.reset();
    lineageTimer_.stop();
    rescanTimer_.stop();
    layOutAgain_ = false;
    job_ = std::make_unique<CensusJob>(folderName(), recursive_, cancel_);
    pollTimer_.start();
}

void PopulationSession::cancel()
{
    if (job_)
        job_->cancel();
    if (exportCancel_)
        *exportCancel_ = true;
}

void PopulationSession::harvest()
{
    CensusJob::Harvest harvest = job_->take();
    model_.appendReadRows(std::move(harvest.rows));
    if (harvest.total > 0)
        Q_EMIT progress(harvest.done, harvest.total);
    if (!harvest.finished)
        return;
    if (harvest.error) {
        job_.reset();
        Q_EMIT censusFinished(messageOf(harvest.error), isCancel(harvest.error));
        return;
    }
    // Its threads go on tracing the lineage, which follows when done.
    censusLineage_ = job_->lineage();
    tracingJob_ = std::move(job_);
    model_.setCensus(std::make_shared<const Census>(std::move(harvest.census)));
    ++version_;
    layOut();
    watchFolder();
    Q_EMIT censusFinished(QString(), false);
}

void PopulationSession::watchFolder()
{
    watcher_.addPath(folder_);
    // Files the census never saw (written while it ran) or saw and are gone.
    for (const CensusRow& row : model_.census().rows)
        if (row.file.ends_with(".gen")) // not the rows of unread subfolders
            seen_.insert(QFile::decodeName(QByteArray::fromStdString(row.file)), {-1, -1});
    rescan();
}

namespace {

// Every "*.gen" file below folder (relative, '/'-separated) with its size
// and change time; the subfolders when recursive.
void listGenomes(const QString& folder, bool recursive, QHash<QString, QPair<qint64, qint64>>& files,
                 QStringList& folders)
{
    const QDir root(folder);
    // No name filter: it would compile a regular expression on this thread,
    // whose JIT stack MinGW's Qt then fails to free as the thread ends.
    QDirIterator it(folder, QDir::Files | QDir::System | QDir::Hidden,
                    recursive ? QDirIterator::Subdirectories : QDirIterator::NoIteratorFlags);
    while (it.hasNext()) {
        it.next();
        const QFileInfo info = it.fileInfo();
        // The census takes "*.gen" exactly: no other case.
        if (info.fileName().endsWith(QStringLiteral(".gen")))
            files.insert(root.relativeFilePath(info.filePath()),
                         {info.size(), info.lastModified().toMSecsSinceEpoch()});
    }
    if (recursive) {
        QDirIterator dirs(folder, QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
        while (dirs.hasNext())
            folders << dirs.next();
    }
}

} // namespace

void PopulationSession::rescan()
{
    if (job_ || !model_.linked() || !cancel_ || *cancel_)
        return;
    if (update_.running()) {
        rescanAfterUpdate_ = true; // as soon as this batch is in
        return;
    }
    rescanAfterUpdate_ = false;
    // Listing ten thousand files, reading the changed ones and linking them
    // all take a while: on a worker, over a copy of the census, the window
    // taking the result at once.
    updateOf_ = version_;
    update_.start([folder = folder_, recursive = recursive_, seen = seen_, census = model_.shared(), cancel = cancel_] {
        Update update;
        listGenomes(folder, recursive, update.listing.files, update.listing.folders);
        std::vector<std::string> changed;
        for (auto at = update.listing.files.cbegin(); at != update.listing.files.cend(); ++at) {
            const auto was = seen.constFind(at.key());
            // A file the census read is taken as it is now the first time.
            if (was == seen.cend() || (was->first >= 0 && *was != at.value()))
                changed.push_back(QFile::encodeName(at.key()).toStdString());
        }
        for (auto at = seen.cbegin(); at != seen.cend(); ++at)
            if (!update.listing.files.contains(at.key()))
                changed.push_back(QFile::encodeName(at.key()).toStdString());
        if (changed.empty())
            return update;
        update.census = std::make_shared<Census>(
            updatedCensus(*census, QFile::encodeName(folder).toStdString(), std::move(changed), cancel.get()));
        update.change = censusChange(*census, *update.census);
        return update;
    });
    pollAgainSoon();
}

void PopulationSession::layOut()
{
    if (layout_.running()) {
        layOutAgain_ = true; // picked up, then laid out again
        return;
    }
    layOutAgain_ = false;
    layoutOf_ = version_;
    layout_.start(
        [census = model_.shared()] { return preparePedigree(*census, layoutPedigree(pedigreeNodes(*census))); });
    pollAgainSoon();
}

void PopulationSession::pollAgainSoon()
{
    if (!pollTimer_.isActive())
        pollTimer_.start();
}

void PopulationSession::poll()
{
    // Each result is taken in a guard of its own: one that failed does not
    // keep the others from the window.
    const auto guarded = [this](auto take, auto adopt) {
        try {
            adopt(take());
        } catch (...) {
            const std::exception_ptr error = std::current_exception();
            if (!isCancel(error))
                Q_EMIT failed(messageOf(error));
        }
    };
    const auto guardedTake = [&guarded](auto& task, auto adopt) {
        if (task.ready())
            guarded([&task] { return task.take(); }, adopt);
    };
    if (job_)
        harvest();
    guardedTake(update_, [this](Update update) {
        if (updateOf_ != version_)
            return; // the census was taken again meanwhile
        // What is replaced is freed beside the window: the listing and the
        // census of ten thousand genomes take milliseconds to free.
        const bool changed = update.census != nullptr;
        auto listing = std::exchange(seen_, update.listing.files);
        std::shared_ptr<const Census> replaced;
        if (changed) {
            replaced = model_.shared();
            model_.updateCensus(std::move(update.census), update.change);
        }
        for (const QString& folder : update.listing.folders)
            if (!watcher_.directories().contains(folder))
                watcher_.addPath(folder);
        startBackgroundThread(
            [listing = std::move(listing), replaced = std::move(replaced), update = std::move(update)]() mutable {
                replaced.reset();
                listing.clear();
                update = {};
            });
        // Changes seen while this batch was read: the next batch at once.
        if (rescanAfterUpdate_)
            QTimer::singleShot(0, this, &PopulationSession::rescan);
        if (!changed)
            return;
        ++version_;
        layOut();
        lineageTimer_.start();
        // A file still being written is read again once it settles.
        QTimer::singleShot(1000, this, &PopulationSession::rescan);
        Q_EMIT folderUpdated();
    });
    guardedTake(layout_, [this](std::shared_ptr<PedigreeScene> scene) {
        // Laid out for the census as it is now, or laid out again.
        if (layoutOf_ == version_ && !layOutAgain_)
            Q_EMIT pedigreeLaidOut(std::move(scene));
        else
            layOut();
    });
    if (censusLineage_.valid() && censusLineage_.wait_for(std::chrono::seconds(0)) == std::future_status::ready) {
        tracingJob_.reset();
        guarded([this] { return censusLineage_.get(); }, [this](Lineage lineage) { adoptLineage(std::move(lineage)); });
    }
    guardedTake(lineage_, [this](Lineage lineage) { adoptLineage(std::move(lineage)); });
    guardedTake(variantsTask_, [this](GeneVariants variants) {
        if (variantsOf_ == version_ && gene_ == variants.geneKey) {
            variantNumbers_ = variantSlots_.assign(variants);
            variants_ = std::move(variants);
            Q_EMIT variantsTraced();
        } else {
            traceVariants();
        }
    });
    if (changes_.ready()) {
        const unsigned of = changesOf_;
        try {
            Changes changes = changes_.take();
            if (of == version_ && !changesNext_)
                Q_EMIT changesTraced(changes.row, QString::fromStdString(utf8Text(changes.text)), QString());
        } catch (...) {
            const std::exception_ptr error = std::current_exception();
            if (!isCancel(error) && of == version_ && !changesNext_)
                Q_EMIT changesTraced(changesRow_, QString(), messageOf(error));
        }
        // A census changed meanwhile is asked for again by the window.
        if (changesNext_)
            traceChanges(*changesNext_);
    }
    if (export_.running() && exportDone_ && *exportDone_ != exportShown_) {
        exportShown_ = *exportDone_;
        Q_EMIT exportProgress(exportShown_, exportTotal_);
    }
    if (export_.ready()) {
        const QString path = exportPath_;
        QString error;
        try {
            export_.take();
        } catch (...) {
            error = messageOf(std::current_exception());
        }
        exportCancel_.reset();
        Q_EMIT exportFinished(path, error);
    }
    if (!job_ && !update_.running() && !layout_.running() && !censusLineage_.valid() && !lineage_.running() &&
        !variantsTask_.running() && !changes_.running() && !export_.running())
        pollTimer_.stop();
}

void PopulationSession::adoptLineage(Lineage lineage)
{
    // Traced while the folder changed again: the next trace follows.
    const auto& rows = model_.census().rows;
    const bool same = std::equal(rows.begin(), rows.end(), lineage.census.rows.begin(), lineage.census.rows.end(),
                                 [](const CensusRow& a, const CensusRow& b) { return a.file == b.file; });
    if (!same || lineageTimer_.isActive())
        return;
    events_ = std::move(lineage.events);
    genes_ = std::move(lineage.genes);
    lineageOf_ = version_;
    Q_EMIT lineageTraced();
    traceVariants();
}

void PopulationSession::traceLineageAgain()
{
    if (job_ || !model_.linked())
        return;
    if (lineage_.running()) {
        lineageTimer_.start(); // once this trace is in
        return;
    }
    lineage_.start([folder = folderName(), recursive = recursive_, cancel = cancel_] {
        LineageOptions options;
        options.census.recursive = recursive;
        options.census.cancel = cancel.get();
        return traceLineage(folder, options);
    });
    pollAgainSoon();
}

void PopulationSession::setGene(std::optional<std::uint16_t> geneKey)
{
    gene_ = geneKey;
    variants_.reset();
    traceVariants();
}

void PopulationSession::traceVariants()
{
    if (!gene_ || job_ || !model_.linked() || variantsTask_.running())
        return; // a trace under way is picked up, then read again
    variantsOf_ = version_;
    std::vector<MutationEvent> events;
    for (const MutationEvent& event : events_)
        if (event.gene.geneKey() == *gene_)
            events.push_back(event);
    variantsTask_.start([folder = folderName(), census = model_.shared(), events = std::move(events), key = *gene_,
                         cancel = cancel_] { return traceGeneVariants(folder, *census, events, key, cancel.get()); });
    pollAgainSoon();
}

void PopulationSession::traceChanges(std::size_t row)
{
    if (!model_.linked() || row >= model_.census().rows.size())
        return;
    if (changes_.running()) {
        changesNext_ = row; // once this one is in
        return;
    }
    changesNext_.reset();
    changesOf_ = version_;
    changesRow_ = row;
    changes_.start([folder = folderName(), census = model_.shared(), row] {
        Changes changes{row, {}};
        const CensusRow& child = census->rows[row];
        if (!child.motherRow || !child.fatherRow)
            return changes;
        const std::array<std::string, 2> parents = {census->rows[*child.motherRow].file,
                                                    census->rows[*child.fatherRow].file};
        for (const GeneChange& change : mutatedChangesOf(folder, *census, row))
            appendChangeText(change, parents, changes.text);
        return changes;
    });
    pollAgainSoon();
}

void PopulationSession::startExport(const QString& path, const QStringList& readFiles,
                                    std::optional<std::vector<std::size_t>> rows)
{
    if (!model_.linked() || job_)
        throw std::runtime_error("The census is not finished: there is nothing to export yet");
    if (export_.running())
        throw std::runtime_error("An export is under way: wait for it or press Esc");
    // Refused before the work: a file the program reads, a genome (by name
    // or by its first bytes), anything but a regular file.
    refuseExportTarget(path, readFiles);
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool html = suffix == QStringLiteral("html") || suffix == QStringLiteral("htm");
    exportPath_ = path;
    exportCancel_ = std::make_shared<std::atomic<bool>>(false);
    // A lineage of the census before the folder changed names rows that may
    // have moved: left out until traced again.
    const bool lineage = html && lineageCurrent();
    std::vector<GeneHotspot> genes;
    std::vector<MutationEvent> events;
    if (lineage) {
        genes = genes_;
        events = events_;
    }
    exportDone_ = std::make_shared<std::atomic<int>>(0);
    exportTotal_ = html ? cli::ReportSteps : 1;
    exportShown_ = -1;
    // Esc is honoured between the report's steps, and last before writing.
    const auto step = [cancel = exportCancel_, done = exportDone_, hook = exportStepHook_](int at, int total) {
        if (hook)
            hook(at, total);
        if (*cancel)
            throw std::runtime_error(ExportCancelled);
        *done = at;
    };
    export_.start([path, readFiles, html, census = model_.shared(), folder = folderName(), genes = std::move(genes),
                   events = std::move(events), step, cancel = exportCancel_, rows = std::move(rows)] {
        std::string bytes;
        if (rows && !html) {
            // The rows as the whole table has them: only the parents' row
            // numbers, which the table does not write, would be wrong.
            Census shown;
            for (const std::size_t row : *rows)
                shown.rows.push_back(census->rows.at(row));
            step(0, 1);
            bytes = cli::censusCsv(shown);
            step(1, 1);
        } else if (html) {
            // Within the creatures' changes, Esc is honoured creature by
            // creature: they are most of a large report's time.
            try {
                bytes = cli::censusReportHtml(*census, folder, genes, events, step, cancel.get());
            } catch (const cli::ReportCancelled&) {
                throw std::runtime_error(ExportCancelled);
            }
        } else {
            step(0, 1);
            bytes = cli::censusCsv(*census);
            step(1, 1);
        }
        writeExportFile(path, bytes, readFiles);
        return true;
    });
    pollAgainSoon();
}

} // namespace helixplot
