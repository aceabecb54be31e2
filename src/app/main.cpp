// SPDX-License-Identifier: GPL-3.0-or-later
#include "genetics/chemicalNames.h"
#include "genetics/settings.h"
#include "ui/commandLine.h"
#include "ui/editor/genomeEditor.h"
#include "ui/errorReport.h"
#include "ui/population/populationWindows.h"
#include "ui/unitGeneMainWindow.h"

#include <QApplication>
#include <QIcon>

#include <memory>

#include <cstdio>

namespace {

int finish(const helixplot::CommandLine& line)
{
    std::FILE* out = line.action == helixplot::CommandLine::Error ? stderr : stdout;
    std::fputs(line.output.toLocal8Bit().constData(), out);
    return line.exitCode();
}

// Qt's own options (-platform, -display, ...) are only known once the
// application has taken them out of the arguments.
bool hasQtOption(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument.startsWith('-') && !argument.startsWith("--") && argument.size() > 2)
            return true;
    }
    return false;
}

} // namespace

int main(int argc, char* argv[])
{
    // --help, --version and a bad option need no display.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    helixplot::CommandLine line = helixplot::parseCommandLine(raw);
    if (line.action != helixplot::CommandLine::Run &&
        !(line.action == helixplot::CommandLine::Error && hasQtOption(argc, argv)))
        return finish(line);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromLatin1(helixplot::ApplicationTitle));
    // The window system matches the windows to the installed desktop file
    // (dock, task switcher) by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(HELIXPLOT_APP_ID));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/helixplot-%1.png").arg(size));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(HELIXPLOT_APP_ID), icon));
    // The main window is hidden while the selection dialog is up, so the last
    // visible window closing (an error box, say) says nothing: the program
    // ends only through "Close Helixplot", closing the main window, or
    // cancelling the selection at start-up.
    QApplication::setQuitOnLastWindowClosed(false);
    line = helixplot::parseCommandLine(QApplication::arguments());
    if (line.action != helixplot::CommandLine::Run)
        return finish(line);

    // The editor alone: the program ends with its last window, and a
    // comparison asked for from it opens the main window then.
    if (!line.edit.isEmpty()) {
        QApplication::setQuitOnLastWindowClosed(true);
        // Without the game's chemical names the editor names chemicals by number.
        try {
            helixplot::loadChemicalNames(helixplot::readSettings().chemicalFilePath());
        } catch (const std::exception&) {
        }
        std::unique_ptr<helixplot::TGeneMainWindow> main;
        helixplot::EditorHooks hooks;
        hooks.compare = [&main](const QString& genome, const QString& original) {
            if (!main)
                main = std::make_unique<helixplot::TGeneMainWindow>(helixplot::MainWindowHooks{}, QString{},
                                                                    QStringList{}, false);
            main->openMapping(QStringLiteral("single"), {genome, original});
        };
        if (!helixplot::GenomeEditor::open(line.edit, hooks))
            return 1;
        return app.exec();
    }

    // Creating the window runs the start-up: the selection dialog (filled
    // from the command line) and, when the user accepts it, the first mapping.
    // With a population, the main window waits hidden for a creature's
    // mapping and the population window is the one shown.
    QString population = line.population;
    helixplot::TGeneMainWindow window({}, line.mode, line.genomes, population.isEmpty());
    if (window.programEnded())
        return 0;
    if (population.isEmpty())
        population = window.startupPopulation();
    // Destroyed after the population windows: their workers, cancelled with
    // them, end in a moment and are waited for before the program's data goes.
    struct WaitForWorkers {
        ~WaitForWorkers() { helixplot::waitForBackgroundWork(); }
    } waitForWorkers;
    helixplot::PopulationWindows populations(
        [&window](const QString& mode, const QStringList& files) { return window.openMapping(mode, files); });
    QObject::connect(&window, &helixplot::TGeneMainWindow::populationRequested, &populations,
                     [&populations](const QString& folder) { populations.open(folder); });
    QObject::connect(&window, &helixplot::TGeneMainWindow::lineageRequested, &populations,
                     [&populations](const QString& folder, quint16 geneKey, const QString& examined) {
                         populations.showLineage(folder, geneKey, examined);
                     });
    QObject::connect(&window, &helixplot::TGeneMainWindow::editRequested, &window, [&window](const QString& genome) {
        helixplot::EditorHooks hooks;
        hooks.compare = [&window](const QString& edited, const QString& original) {
            window.openMapping(QStringLiteral("single"), {edited, original});
        };
        helixplot::GenomeEditor::open(genome, hooks);
    });
    if (!population.isEmpty())
        populations.open(population, line.recursive);
    else
        window.show();
    return app.exec();
}
