// SPDX-License-Identifier: GPL-3.0-or-later
#include "populationWindows.h"

#include <QDir>
#include <QFileInfo>

namespace helixplot {

PopulationWindows::PopulationWindows(MappingOpener openMapping, QObject* parent)
    : QObject(parent), openMapping_(std::move(openMapping))
{
}

PopulationWindows::~PopulationWindows()
{
    // Those still open when the program ends (the others deleted
    // themselves as they closed).
    for (const QPointer<PopulationWindow>& window : windows_)
        delete window.data();
}

PopulationWindow* PopulationWindows::open(const QString& folder, bool recursive)
{
    std::erase_if(windows_, [](const QPointer<PopulationWindow>& window) { return window.isNull(); });
    // A folder asked for again (dropped twice) raises its window.
    if (PopulationWindow* shown = windowOf(folder)) {
        raiseWindow(shown);
        return shown;
    }
    auto* window = new PopulationWindow(folder, recursive, openMapping_);
    connect(window, &PopulationWindow::populationRequested, this, [this](const QString& other) { open(other); });
    windows_.emplace_back(window);
    window->show();
    return window;
}

PopulationWindow* PopulationWindows::showLineage(const QString& folder, std::uint16_t geneKey, const QString& examined)
{
    PopulationWindow* window = open(folder);
    window->showGene(geneKey);
    if (!examined.isEmpty())
        window->showCreature(examined);
    return window;
}

PopulationWindow* PopulationWindows::windowOf(const QString& folder) const
{
    // The same folder however it is named.
    const auto canonical = [](const QString& path) {
        const QString real = QFileInfo(path).canonicalFilePath();
        return real.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : real;
    };
    for (const QPointer<PopulationWindow>& open : windows_)
        if (open && canonical(open->folder()) == canonical(folder))
            return open.data();
    return nullptr;
}

void PopulationWindows::raiseWindow(PopulationWindow* window)
{
    window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace helixplot
