// make-samples OUTPUT_DIR: writes the sample genomes, the chemical names and
// the settings file into OUTPUT_DIR, the same bytes on every run.
#include "sampleGenerator.h"

#include <exception>
#include <iostream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: make-samples OUTPUT_DIR\n";
        return 2;
    }
    try {
        for (const auto& file : helixplot::samples::writeSamples(argv[1]))
            std::cout << file.name << ' ' << file.bytes.size() << " bytes\n";
    } catch (const std::exception& error) {
        std::cerr << "make-samples: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
