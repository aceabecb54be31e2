// SPDX-License-Identifier: GPL-3.0-or-later
// make-samples OUTPUT_DIR: writes the sample genomes, the chemical names and
// the settings file into OUTPUT_DIR, the same bytes on every run.
// make-samples --genes N FILE: writes one generated genome of N genes, for
// measuring large runs (not one of the committed samples).
#include "genomeBuilder.h"
#include "sampleGenerator.h"

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    const char* const usage = "usage: make-samples OUTPUT_DIR\n       make-samples --genes N FILE\n";
    if (argc == 2 && (std::string(argv[1]) == "--help" || std::string(argv[1]) == "-h")) {
        std::cout << usage;
        return 0;
    }
    const bool generated = argc == 4 && std::string(argv[1]) == "--genes";
    // Any other option is a mistake, not a folder to fill.
    if ((argc != 2 && !generated) || (argc == 2 && argv[1][0] == '-')) {
        std::cerr << usage;
        return 2;
    }
    try {
        if (generated) {
            const std::string bytes = helixplot::samples::generatedGenomeBytes(std::stoul(argv[2]));
            helixplot::testing::writeFile(argv[3], bytes);
            std::cout << argv[3] << ' ' << bytes.size() << " bytes\n";
            return 0;
        }
        for (const auto& file : helixplot::samples::writeSamples(argv[1]))
            std::cout << file.name << ' ' << file.bytes.size() << " bytes\n";
    } catch (const std::exception& error) {
        std::cerr << "make-samples: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
