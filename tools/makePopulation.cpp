// SPDX-License-Identifier: GPL-3.0-or-later
// make-population OUTPUT_DIR [FOUNDERS ROUNDS PER_ROUND]: breeds a population
// from the samples and writes one genome file per creature into OUTPUT_DIR.
#include "populationGenerator.h"

#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 5) {
        std::cerr << "usage: make-population OUTPUT_DIR [FOUNDERS ROUNDS PER_ROUND]\n";
        return 2;
    }
    try {
        helixplot::samples::PopulationOptions options;
        auto count = [](const std::string& text) {
            std::size_t end = 0;
            int n = -1;
            try {
                n = std::stoi(text, &end);
            } catch (const std::exception&) {
            }
            if (n < 0 || end != text.size())
                throw std::invalid_argument("not a count: " + text);
            return n;
        };
        if (argc == 5) {
            options.founders = count(argv[2]);
            options.rounds = count(argv[3]);
            options.perRound = count(argv[4]);
        }
        const auto members = helixplot::samples::writePopulation(argv[1], options);
        std::cout << members.size() << " genomes\n";
    } catch (const std::invalid_argument& error) {
        std::cerr << "make-population: " << error.what() << '\n';
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "make-population: " << error.what() << '\n';
        return 1;
    }
    return 0;
}
