// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/chemicalNames.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

// The first line of every genome text: the format's name and version.
inline constexpr std::string_view GenomeTextFormat = "helixplot-genome";
inline constexpr int GenomeTextVersion = 1;

// A text larger than this is refused before it is read. The largest genome
// the reader takes decompiles to under it: 2 MiB of half-lives genes with
// the longest chemical names the text writes make about 190 MiB.
inline constexpr std::size_t MaxGenomeTextBytes = std::size_t{256} << 20;
// Errors reported for one text; past them compiling stops.
inline constexpr std::size_t MaxGenomeTextErrors = 25;

// The chemical names as genome texts write and read them: which chemicals go
// by name, and the way back from a name. Made from a table once, for as many
// genomes and texts as use it; it keeps its own copy of the table.
class GenomeTextChemicals {
public:
    explicit GenomeTextChemicals(const ChemicalNameTable& table);
    ~GenomeTextChemicals();
    GenomeTextChemicals(GenomeTextChemicals&&) noexcept;
    GenomeTextChemicals& operator=(GenomeTextChemicals&&) noexcept;

    class Words;
    const Words& words() const { return *words_; }

private:
    std::unique_ptr<Words> words_;
};

// The text of a genome, from the bytes of its file. Throws the reader's
// errors (GeneticsError, InOutError) for bytes the reader refuses. Chemicals
// are written by their name in chemicals where that name is set, no other
// chemical has it and it is at most 64 bytes written, otherwise by number.
std::string decompileGenome(std::string_view genomeBytes, const GenomeTextChemicals& chemicals);
std::string decompileGenome(std::string_view genomeBytes, const ChemicalNameTable& chemicals);

struct GenomeTextError {
    std::size_t line = 0;   // from 1
    std::size_t column = 0; // from 1, in bytes
    std::string message;
};

struct CompiledGenome {
    std::string bytes; // the genome file; empty when there are errors
    std::vector<GenomeTextError> errors;
};

// The genome a text describes. Every error of the text is reported, in line
// order, up to MaxGenomeTextErrors; a text above maxTextBytes is refused
// unread.
CompiledGenome compileGenomeText(std::string_view text, const GenomeTextChemicals& chemicals,
                                 std::size_t maxTextBytes = MaxGenomeTextBytes);
CompiledGenome compileGenomeText(std::string_view text, const ChemicalNameTable& chemicals,
                                 std::size_t maxTextBytes = MaxGenomeTextBytes);

// The errors as "FILE:LINE:COLUMN: message" lines.
std::string genomeTextErrorLines(std::string_view file, const std::vector<GenomeTextError>& errors);

} // namespace helixplot
