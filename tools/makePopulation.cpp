// make-population OUTPUT_DIR [FOUNDERS ROUNDS PER_ROUND]: breeds a population
// from the samples and writes one genome file per creature into OUTPUT_DIR.
#include "populationGenerator.h"

#include <exception>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 5) {
        std::cerr << "usage: make-population OUTPUT_DIR [FOUNDERS ROUNDS PER_ROUND]\n";
        return 2;
    }
    try {
        helixplot::samples::PopulationOptions options;
        if (argc == 5) {
            options.founders = std::stoi(argv[2]);
            options.rounds = std::stoi(argv[3]);
            options.perRound = std::stoi(argv[4]);
        }
        if (options.founders < 2 || options.rounds < 0 || options.perRound < 0) {
            std::cerr << "make-population: at least 2 founders, no negative counts\n";
            return 2;
        }
        const auto members = helixplot::samples::writePopulation(argv[1], options);
        std::cout << members.size() << " genomes\n";
    } catch (const std::exception& error) {
        std::cerr << "make-population: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
