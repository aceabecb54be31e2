// SPDX-License-Identifier: GPL-3.0-or-later
// The population window on 10,000 generated genomes: the census in the
// window (until the table is whole) against the command line's, the longest the event loop waits while
// the window fills, and a full repaint of the pedigree at several zooms.
// HELIXPLOT_POPULATION names a folder to use instead of a generated one.

#include "populationGenerator.h"
#include "ui/population/focusedPedigreeView.h"
#include "ui/population/pedigreeView.h"
#include "ui/population/populationWindow.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QSignalSpy>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <thread>

namespace helixplot {
namespace {

// 6 founders and 50 rounds of 200 births: 10,006 genomes.
const QString& populationFolder()
{
    static QTemporaryDir dir;
    static const QString folder = [] {
        if (qEnvironmentVariableIsSet("HELIXPLOT_POPULATION"))
            return qEnvironmentVariable("HELIXPLOT_POPULATION");
        const QString path = dir.path() + QStringLiteral("/population");
        samples::PopulationOptions options;
        options.rounds = 50;
        options.perRound = 200;
        samples::writePopulation(QFile::encodeName(path).toStdString(), options);
        // Read once, so that every measurement finds the files cached.
        takeCensus(QFile::encodeName(path).toStdString());
        return path;
    }();
    return folder;
}

// The user-interface thread's processor time: unlike the clock, it does
// not count the time the system gave to other programs.
qint64 threadNanoseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return qint64(now.tv_sec) * 1'000'000'000 + now.tv_nsec;
}

// How late a 5 ms timer fires, at worst, while the event loop runs; and the
// most processor time the thread spent between two of its ticks, which is
// the stall the window's own work causes on a machine that is not busy.
class StallProbe {
public:
    StallProbe()
    {
        timer_.setInterval(5);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const qint64 now = clock_.nsecsElapsed();
            const qint64 busy = threadNanoseconds();
            worst_ = std::max(worst_, now - last_ - 5'000'000);
            busiest_ = std::max(busiest_, busy - lastBusy_);
            last_ = now;
            lastBusy_ = busy;
        });
        clock_.start();
        lastBusy_ = threadNanoseconds();
        timer_.start();
    }
    double worstMs() const { return static_cast<double>(worst_) / 1e6; }
    double busiestMs() const { return static_cast<double>(busiest_) / 1e6; }

private:
    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 worst_ = 0;
    qint64 lastBusy_ = 0;
    qint64 busiest_ = 0;
};

} // namespace

// Each event the window's thread handles at the top of its loop, timed by
// the thread's processor time: names the slot or paint behind a long hold.
class HoldTracer : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        if (!tracing_ || depth_ > 0)
            return QApplication::notify(receiver, event);
        ++depth_;
        const qint64 start = threadNanoseconds();
        const bool handled = QApplication::notify(receiver, event);
        const qint64 spent = threadNanoseconds() - start;
        --depth_;
        if (spent > 4'000'000) {
            // A timer's or a queued call's owner says more than the timer.
            const QObject* owner = receiver->parent() && !receiver->isWidgetType() ? receiver->parent() : receiver;
            auto& worst = worst_[QByteArray(owner->metaObject()->className()) + " " +
                                 QByteArray::number(int(event->type())) + " " + owner->objectName().toUtf8()];
            worst = std::max(worst, spent);
        }
        return handled;
    }

    static HoldTracer* instance() { return static_cast<HoldTracer*>(QCoreApplication::instance()); }
    // From now on, forgetting what was seen before.
    void start()
    {
        worst_.clear();
        tracing_ = qEnvironmentVariableIsSet("HELIXPLOT_TRACE_HOLDS");
    }
    // The events that took longer than 4 ms, on stderr, longest first.
    void report(const char* what)
    {
        tracing_ = false;
        std::vector<std::pair<qint64, QByteArray>> held;
        for (const auto& [name, spent] : worst_)
            held.emplace_back(spent, name);
        std::sort(held.rbegin(), held.rend());
        for (const auto& [spent, name] : held)
            std::fprintf(stderr, "%s: %.1f ms cpu  %s (receiver, event type, name)\n", what, spent / 1e6,
                         name.constData());
    }

private:
    bool tracing_ = false;
    int depth_ = 0;
    std::map<QByteArray, qint64> worst_;
};

namespace {

void BM_CensusInWindow(benchmark::State& state)
{
    const QString folder = populationFolder();
    double worst = 0;
    double busiest = 0;
    double pedigreeMs = 0;
    double lineageMs = 0;
    int rows = 0;
    for (auto _ : state) {
        // The census starts as the window is made; the probe from the moment
        // the window can take input.
        PopulationWindow window(folder, false, MappingOpener{});
        window.setAttribute(Qt::WA_DeleteOnClose, false);
        window.show();
        QSignalSpy finished(&window, &PopulationWindow::censusFinished);
        QSignalSpy pedigree(&window, &PopulationWindow::pedigreeShown);
        QSignalSpy lineage(&window, &PopulationWindow::lineageUpdated);
        StallProbe probe;
        finished.wait(600'000);
        // Then the pedigree, laid out beside the window, and the lineage,
        // traced on the census's threads.
        state.PauseTiming();
        QElapsedTimer layout;
        layout.start();
        if (pedigree.isEmpty())
            pedigree.wait(600'000);
        pedigreeMs = std::max(pedigreeMs, static_cast<double>(layout.elapsed()));
        if (lineage.isEmpty())
            lineage.wait(600'000);
        lineageMs = std::max(lineageMs, static_cast<double>(layout.elapsed()));
        worst = std::max(worst, probe.worstMs());
        busiest = std::max(busiest, probe.busiestMs());
        rows = window.model().rowCount();
        state.ResumeTiming();
    }
    state.counters["pedigree_after_ms"] = pedigreeMs;
    state.counters["lineage_after_ms"] = lineageMs;
    state.counters["genomes"] = rows;
    state.counters["worst_stall_ms"] = worst;
    state.counters["busiest_gap_cpu_ms"] = busiest;
}
BENCHMARK(BM_CensusInWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// From a genome written into the watched folder to its row in the table;
// the pedigree is laid out again beside the window afterwards.
void BM_LiveAddition(benchmark::State& state)
{
    const QString folder = populationFolder();
    PopulationWindow window(folder, false, MappingOpener{});
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.show();
    QSignalSpy finished(&window, &PopulationWindow::censusFinished);
    finished.wait(600'000);
    QSignalSpy updated(&window, &PopulationWindow::folderUpdated);
    updated.wait(2000); // the first listing after the census
    const QDir dir(folder);
    const QString source = dir.filePath(dir.entryList({QStringLiteral("*.gen")}, QDir::Files).last());
    const QString copy = dir.filePath(QStringLiteral("zzzz-live.gen"));
    const int before = window.model().rowCount();
    for (auto _ : state) {
        QFile::copy(source, copy);
        while (window.model().rowCount() == before)
            updated.wait(5000);
        state.PauseTiming();
        QFile::remove(copy);
        while (window.model().rowCount() != before)
            updated.wait(5000);
        QTest::qWait(1500); // the look again after a change
        state.ResumeTiming();
    }
    state.counters["genomes"] = before;
}
BENCHMARK(BM_LiveAddition)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The window open on the population, its census, pedigree and lineage in.
std::unique_ptr<PopulationWindow> openPopulation(const QString& folder)
{
    auto window = std::make_unique<PopulationWindow>(folder, false, MappingOpener{});
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->show();
    QSignalSpy finished(window.get(), &PopulationWindow::censusFinished);
    QSignalSpy lineage(window.get(), &PopulationWindow::lineageUpdated);
    finished.wait(600'000);
    if (lineage.isEmpty())
        lineage.wait(600'000);
    return window;
}

// Until the pedigree has been laid out again for the last batch (a second
// without another), so that its hand-over and paint count among the holds.
void settle(QSignalSpy& laidOut)
{
    if (laidOut.isEmpty())
        laidOut.wait(10'000);
    while (laidOut.wait(1000))
        ;
}

// range(0) genomes copied into the open folder at once (as a file manager
// copies them), then removed: the longest the window's thread is held
// (processor time between two ticks of a 5 ms timer) and how late the
// timer fires at worst, while the table takes them in and lets them go.
void BM_LiveBurst(benchmark::State& state)
{
    const QString folder = populationFolder();
    const auto count = static_cast<int>(state.range(0));
    const QDir dir(folder);
    const QStringList sources = dir.entryList({QStringLiteral("*.gen")}, QDir::Files);
    const auto window = openPopulation(folder);
    const int before = window->model().rowCount();
    double addMs = 0, afterCopyMs = 0, removeMs = 0, addHold = 0, removeHold = 0, addStall = 0, removeStall = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        // The files are copied and removed by another thread, as by another
        // program: the window's thread only answers.
        const auto name = [&dir](int i) {
            return dir.filePath(QStringLiteral("burst-%1.gen").arg(i, 5, 10, QLatin1Char('0')));
        };
        {
            HoldTracer::instance()->start();
            StallProbe probe;
            clock.start();
            std::atomic<qint64> copied{0};
            std::thread copier([&] {
                for (int i = 0; i < count; ++i)
                    QFile::copy(dir.filePath(sources[i % sources.size()]), name(i));
                copied = clock.elapsed();
            });
            QSignalSpy laidOut(window.get(), &PopulationWindow::pedigreeShown);
            while (window->model().rowCount() != before + count)
                QTest::qWait(5);
            copier.join();
            addMs = std::max(addMs, static_cast<double>(clock.elapsed()));
            afterCopyMs = std::max(afterCopyMs, static_cast<double>(clock.elapsed() - copied));
            // The holds include the pedigree's hand-over of the last batch.
            settle(laidOut);
            addHold = std::max(addHold, probe.busiestMs());
            addStall = std::max(addStall, probe.worstMs());
            HoldTracer::instance()->report("add");
        }
        {
            HoldTracer::instance()->start();
            StallProbe probe;
            clock.restart();
            std::thread remover([&] {
                for (int i = 0; i < count; ++i)
                    QFile::remove(name(i));
            });
            QSignalSpy laidOut(window.get(), &PopulationWindow::pedigreeShown);
            while (window->model().rowCount() != before)
                QTest::qWait(5);
            remover.join();
            removeMs = std::max(removeMs, static_cast<double>(clock.elapsed()));
            settle(laidOut);
            removeHold = std::max(removeHold, probe.busiestMs());
            removeStall = std::max(removeStall, probe.worstMs());
            HoldTracer::instance()->report("remove");
        }
    }
    state.counters["genomes"] = before;
    state.counters["add_complete_ms"] = addMs;
    state.counters["add_complete_after_copy_ms"] = afterCopyMs;
    state.counters["add_longest_hold_cpu_ms"] = addHold;
    state.counters["add_worst_stall_ms"] = addStall;
    state.counters["remove_complete_ms"] = removeMs;
    state.counters["remove_longest_hold_cpu_ms"] = removeHold;
    state.counters["remove_worst_stall_ms"] = removeStall;
}
BENCHMARK(BM_LiveBurst)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

// Closing the window while its session works, at each stage: the census
// reading (0), the lineage's pass after the table is whole (1), a gene's
// variants (2), an export of the report (3). The time close() and the
// window's destruction take on the window's thread.
void BM_CancelOnClose(benchmark::State& state)
{
    const QString folder = populationFolder();
    const int stage = static_cast<int>(state.range(0));
    double worst = 0;
    QTemporaryDir out;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<PopulationWindow> window;
        if (stage == 0) {
            window = std::make_unique<PopulationWindow>(folder, false, MappingOpener{});
            QSignalSpy rows(&window->model(), &QAbstractItemModel::rowsInserted);
            rows.wait(60'000);
        } else if (stage == 1) {
            window = std::make_unique<PopulationWindow>(folder, false, MappingOpener{});
            QSignalSpy finished(window.get(), &PopulationWindow::censusFinished);
            finished.wait(600'000);
        } else {
            window = openPopulation(folder);
            if (stage == 2)
                window->showGene(window->hotspots().front().geneKey);
            else
                window->session().startExport(out.filePath(QStringLiteral("report.html")), {});
        }
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        QElapsedTimer clock;
        clock.start();
        state.ResumeTiming();
        window->close();
        window.reset();
        worst = std::max(worst, static_cast<double>(clock.nsecsElapsed()) / 1e6);
    }
    state.counters["close_ms"] = worst;
    state.counters["threads_left"] = static_cast<double>(backgroundThreads());
    waitForBackgroundWork();
}
BENCHMARK(BM_CancelOnClose)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The report of the whole population (helixplot-cli report's), built and
// written on a worker: from Ctrl+S's choice to the file written.
void BM_ExportReport(benchmark::State& state)
{
    const auto window = openPopulation(populationFolder());
    QTemporaryDir out;
    const QString path = out.filePath(QStringLiteral("report.html"));
    for (auto _ : state)
        window->exportTo(path);
    state.counters["bytes"] = static_cast<double>(QFileInfo(path).size());
}
BENCHMARK(BM_ExportReport)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// helixplot-cli census --format csv, the whole program.
void BM_CensusCommandLine(benchmark::State& state)
{
    const QString folder = populationFolder();
    for (auto _ : state) {
        QProcess cli;
        cli.start(QStringLiteral(HELIXPLOT_CLI),
                  {QStringLiteral("census"), QStringLiteral("--format"), QStringLiteral("csv"), folder});
        cli.waitForFinished(600'000);
        benchmark::DoNotOptimize(cli.readAllStandardOutput());
    }
}
BENCHMARK(BM_CensusCommandLine)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The population's lineage, traced once.
const Lineage& populationLineage()
{
    static const auto lineage =
        std::make_unique<Lineage>(traceLineage(QFile::encodeName(populationFolder()).toStdString()));
    return *lineage;
}

// Choosing a gene in the window: every genome's version of the key with
// most events, read again from the files.
void BM_GeneVariants(benchmark::State& state)
{
    const std::string folder = QFile::encodeName(populationFolder()).toStdString();
    const Lineage& lineage = populationLineage();
    std::size_t variants = 0;
    for (auto _ : state)
        variants =
            traceGeneVariants(folder, lineage.census, lineage.events, lineage.genes.front().geneKey).variants.size();
    state.counters["variants"] = static_cast<double>(variants);
}
BENCHMARK(BM_GeneVariants)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// The whole pedigree's view, 1600 by 1000 pixels, rendered at a zoom of
// range(0) / 100 of life size (0: the whole pedigree fitted); with range(1)
// set, coloured by the versions of the gene with most mutation events.
void BM_PedigreeRepaint(benchmark::State& state)
{
    static const std::string folder = QFile::encodeName(populationFolder()).toStdString();
    const Lineage* const lineage = &populationLineage();
    const Census* const census = &lineage->census;
    static const auto layout = std::make_unique<PedigreeLayout>(layoutPedigree(pedigreeNodes(*census)));
    PedigreeView view;
    view.resize(1600, 1000);
    view.setPedigree(*census, *layout);
    if (state.range(1) && !lineage->genes.empty()) {
        static const GeneVariants variants =
            traceGeneVariants(folder, *census, lineage->events, lineage->genes.front().geneKey);
        std::vector<std::size_t> origins;
        for (const MutationEvent& event : lineage->events)
            if (event.gene.geneKey() == variants.geneKey)
                origins.push_back(event.row);
        view.setGeneColouring(variants.ofRow, origins);
        state.counters["variants"] = static_cast<double>(variants.variants.size());
    }
    view.show();
    view.fit();
    if (state.range(0) > 0) {
        view.resetTransform();
        view.scale(state.range(0) / 100.0, state.range(0) / 100.0);
        view.select(census->rows.size() / 2); // centred on a creature in the middle
    }
    QImage image(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        view.render(&painter, QRectF(), view.viewport()->rect());
    }
    state.counters["creatures"] = static_cast<double>(census->rows.size());
    state.counters["zoom"] = view.transform().m11();
}
BENCHMARK(BM_PedigreeRepaint)
    ->Args({0, 0})
    ->Args({10, 0})
    ->Args({25, 0})
    ->Args({100, 0})
    ->Args({400, 0})
    ->Args({0, 1})
    ->Args({25, 1})
    ->Unit(benchmark::kMillisecond);

// Making a creature current (as a click, the search or the table does) and
// drawing its family at life size, for creatures across the population: the
// window's thread from the choice to the family's pixels. Then a full
// repaint of the focused pedigree alone. HELIXPLOT_SCREENSHOT names a PNG
// that gets the window as it stands after the last choice.
void BM_FocusCreature(benchmark::State& state)
{
    const auto window = openPopulation(populationFolder());
    window->resize(1100, 700);
    FocusedPedigreeView& focused = *window->focusedPedigree();
    QImage image(focused.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    const int rows = window->model().rowCount();
    int next = 0;
    double cpu = 0, boxes = 0;
    for (auto _ : state) {
        // A creature of the middle generations, with a family both ways.
        const int row = rows / 4 + (next++ * 997) % (rows / 2);
        const qint64 before = threadNanoseconds();
        window->setCurrentCreature(row);
        QPainter painter(&image);
        focused.render(&painter, QRectF(), focused.viewport()->rect());
        painter.end();
        cpu = std::max(cpu, static_cast<double>(threadNanoseconds() - before) / 1e6);
        boxes = std::max(boxes, static_cast<double>(focused.layout().boxes.size()));
    }
    state.counters["longest_cpu_ms"] = cpu;
    state.counters["most_boxes"] = boxes;
    state.counters["genomes"] = rows;
    if (qEnvironmentVariableIsSet("HELIXPLOT_SCREENSHOT")) {
        window->resize(1400, 900);
        for (QSplitter* splitter : window->findChildren<QSplitter*>())
            splitter->setSizes(splitter->orientation() == Qt::Vertical ? QList<int>{600, 160} : QList<int>{470, 930});
        focused.zoomToCurrent();
        QTest::qWait(50);
        window->grab().save(qEnvironmentVariable("HELIXPLOT_SCREENSHOT"));
    }
}
BENCHMARK(BM_FocusCreature)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(50);

void BM_FocusedRepaint(benchmark::State& state)
{
    const auto window = openPopulation(populationFolder());
    FocusedPedigreeView& focused = *window->focusedPedigree();
    focused.resize(1000, 700);
    window->setCurrentCreature(window->model().rowCount() / 2);
    QImage image(focused.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        QPainter painter(&image);
        focused.render(&painter, QRectF(), focused.viewport()->rect());
    }
    state.counters["boxes"] = static_cast<double>(focused.layout().boxes.size());
}
BENCHMARK(BM_FocusedRepaint)->Unit(benchmark::kMillisecond);

// The overview (the whole population, fitted into its pane) as the current
// creature changes: the window's thread paints it with the frame it has
// (the longest such paint's processor time, the overview alone, rendered
// into an image) while the new frame is drawn beside it; then the time
// until the new frame is shown.
void BM_OverviewFrame(benchmark::State& state)
{
    const auto window = openPopulation(populationFolder());
    window->resize(1100, 700);
    PedigreeView& overview = *window->pedigree();
    overview.fit();
    QSignalSpy shown(&overview, &PedigreeView::frameShown);
    QImage image(overview.size(), QImage::Format_ARGB32_Premultiplied);
    const auto paint = [&] {
        const qint64 before = threadNanoseconds();
        QPainter painter(&image);
        overview.render(&painter);
        return static_cast<double>(threadNanoseconds() - before) / 1e6;
    };
    const int rows = window->model().rowCount();
    int next = 0;
    double hold = 0, ready = 0;
    for (auto _ : state) {
        const int row = (next++ * 1009) % rows;
        window->setCurrentCreature(row);
        QElapsedTimer clock;
        clock.start();
        hold = std::max(hold, paint());
        while (!overview.frameCurrent())
            shown.wait(1000);
        ready = std::max(ready, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        hold = std::max(hold, paint());
    }
    state.counters["longest_hold_cpu_ms"] = hold;
    state.counters["frame_ready_ms"] = ready;
    state.counters["genomes"] = rows;
}
BENCHMARK(BM_OverviewFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

} // namespace
} // namespace helixplot

int main(int argc, char** argv)
{
    helixplot::HoldTracer app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
