// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "populationWindow.h"

#include <QObject>
#include <QPointer>

#include <vector>

namespace helixplot {

// The program's population windows: opens one per folder asked for, all
// opening their mappings the same way.
class PopulationWindows : public QObject {
    Q_OBJECT
public:
    explicit PopulationWindows(MappingOpener openMapping, QObject* parent = nullptr);
    ~PopulationWindows() override;

    PopulationWindow* open(const QString& folder, bool recursive = false);
    // The folder's window (opened, or raised when open) coloured by a gene,
    // the examined genome (when given) its current creature.
    PopulationWindow* showLineage(const QString& folder, std::uint16_t geneKey, const QString& examined = {});

private:
    PopulationWindow* windowOf(const QString& folder) const;
    static void raiseWindow(PopulationWindow* window);

    MappingOpener openMapping_;
    std::vector<QPointer<PopulationWindow>> windows_;
};

} // namespace helixplot
