// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <functional>
#include <memory>

namespace helixplot {

// What the desktop program reads, which none of its writers may replace:
// the settings (the game's and Helixplot's own), the chemical names, the
// genomes the selection dialog holds and the files of every open
// population. One list for every export and dump, as the command line
// refuses the files it reads.
QStringList programFilesRead();

// Adds the files a part of the program reads to programFilesRead() for as
// long as the returned handle lives. On the window's thread only.
using FilesReadSource = std::function<QStringList()>;
[[nodiscard]] std::shared_ptr<void> addFilesRead(FilesReadSource source);

} // namespace helixplot
