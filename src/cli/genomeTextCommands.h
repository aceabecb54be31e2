// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace helixplot::cli {

// decompile GENOME [-o FILE]: the genome's text to FILE, or to standard
// output for an empty outputPath or "-". genomePath "-" reads standard
// input. readFiles are the other files the run reads (no output replaces
// one); loadChemicals fills the chemical-name table. Returns the exit
// status; a genome or output that fails throws, as every command does.
int decompileCommand(const std::string& genomePath, const std::string& outputPath,
                     const std::vector<std::string>& readFiles, const std::function<void()>& loadChemicals);

// compile TEXT -o NEW.gen: the genome the text describes, written as a new
// file ("-" for standard output). A text with errors gets every error as
// "TEXT:LINE:COLUMN: message" on standard error, status 1, and nothing is
// written.
int compileCommand(const std::string& textPath, const std::string& outputPath,
                   const std::function<void()>& loadChemicals);

} // namespace helixplot::cli
