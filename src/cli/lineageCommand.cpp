// SPDX-License-Identifier: GPL-3.0-or-later
#include "censusCommand.h"

#include "genetics/chemicalNames.h"
#include "writers/censusTables.h"

#include <stdexcept>

namespace helixplot::cli {

std::string lineageCommand(const CliOptions& options, bool terminal)
{
    if (options.chemicalsPath) {
        try {
            loadChemicalNames(*options.chemicalsPath);
        } catch (const HelixplotError& e) {
            throw std::runtime_error(*options.chemicalsPath + ": " + e.what());
        }
    }
    const std::string& folder = options.files[0];
    LineageOptions lineageOptions;
    lineageOptions.census.recursive = options.recursive;
    if (options.gene)
        lineageOptions.gene = packedGeneKey((*options.gene)[0], (*options.gene)[1], (*options.gene)[2]);
    const Lineage lineage = traceLineageWithProgress(folder, lineageOptions);
    switch (options.format) {
    case CensusFormat::Csv:
        return linesForTerminal(lineageCsv(lineage), terminal);
    case CensusFormat::Json:
        writeLineageJson(lineage);
        return {};
    default:
        return lineageText(lineage, folder, terminal);
    }
}

} // namespace helixplot::cli
