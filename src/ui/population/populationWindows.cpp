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
    auto* window = new PopulationWindow(folder, recursive, openMapping_);
    connect(window, &PopulationWindow::populationRequested, this, [this](const QString& other) { open(other); });
    windows_.emplace_back(window);
    window->show();
    return window;
}

PopulationWindow* PopulationWindows::showLineage(const QString& folder, std::uint16_t geneKey)
{
    // The same folder however it is named.
    const auto canonical = [](const QString& path) {
        const QString real = QFileInfo(path).canonicalFilePath();
        return real.isEmpty() ? QDir::cleanPath(QFileInfo(path).absoluteFilePath()) : real;
    };
    PopulationWindow* window = nullptr;
    for (const QPointer<PopulationWindow>& open : windows_)
        if (open && canonical(open->folder()) == canonical(folder))
            window = open.data();
    if (window) {
        window->showNormal();
        window->raise();
        window->activateWindow();
    } else {
        window = open(folder);
    }
    window->showGene(geneKey);
    return window;
}

} // namespace helixplot
