// SPDX-License-Identifier: GPL-3.0-or-later
// The genome editor on a generated 4,000-gene genome: opening it (read,
// grouped, the first gene's form and lines shown), and one field change
// through to the repainted window. The targets: under 0.5 s to open, a
// change within a frame (16 ms).

#include "genomeBuilder.h"
#include "sampleGenerator.h"
#include "ui/editor/genomeEditor.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace helixplot {
namespace {

constexpr std::size_t GeneCount = 4000;

const QString& genomeFile()
{
    static QTemporaryDir dir;
    static const QString path = [] {
        const QString file = dir.filePath(QStringLiteral("large.gen"));
        testing::writeFile(file.toStdString(), samples::generatedGenomeBytes(GeneCount));
        return file;
    }();
    return path;
}

EditorHooks quietHooks()
{
    EditorHooks hooks;
    hooks.reportError = [](const ErrorBox& box) { qFatal("%s", qPrintable(box.text)); };
    hooks.askSave = [](const QString&) { return int(GenomeEditor::Discard); };
    return hooks;
}

void BM_EditorOpen(benchmark::State& state)
{
    const QString& path = genomeFile();
    for (auto _ : state) {
        std::unique_ptr<GenomeEditor> editor(GenomeEditor::open(path, quietHooks()));
        QApplication::processEvents(); // laid out and painted
        state.PauseTiming();
        state.counters["genes"] = static_cast<double>(editor->genome().size());
        editor.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EditorOpen)->Unit(benchmark::kMillisecond);

void BM_EditorFieldChange(benchmark::State& state)
{
    std::unique_ptr<GenomeEditor> editor(GenomeEditor::open(genomeFile(), quietHooks()));
    int gene = 0;
    while (!editor->genome().gene(static_cast<std::size_t>(gene)).is(GeneKind::Receptor))
        ++gene;
    editor->selectGene(gene);
    QApplication::processEvents();
    std::uint8_t value = 0;
    for (auto _ : state) {
        // The receptor's threshold, through the undo stack as the form sets it.
        editor->setGeneByte(gene, HeaderBytes + 4, ++value);
        editor->repaint();
        QApplication::processEvents();
    }
}
BENCHMARK(BM_EditorFieldChange)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace helixplot

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
