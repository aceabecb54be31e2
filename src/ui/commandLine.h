// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

namespace helixplot {

// What the desktop program's command line asks for:
//   helixplot [--mode breakdown|single|parental|dual] [GENOME [COMPARATOR [COMPARATOR]]]
//   helixplot --population DIR [--recursive]
//   helixplot --edit GENOME
struct CommandLine {
    enum Action { Run, Help, Version, Error };
    Action action = Run;
    QString mode;        // empty when not given
    QStringList genomes; // at most three
    // --population DIR (with --recursive): the folder's population window
    // alone, instead of the selection dialog.
    QString population;
    bool recursive = false;
    // --edit GENOME: the genome editor on that file alone.
    QString edit;
    // Help and Version: what to print on standard output; Error: the
    // message and the usage for standard error.
    QString output;
    // The exit status for everything but Run.
    int exitCode() const { return action == Error ? 2 : 0; }
};

// arguments starts with the program's name.
CommandLine parseCommandLine(const QStringList& arguments);

} // namespace helixplot
