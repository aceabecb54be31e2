// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeTextCommands.h"

#include "genetics/binaryFile.h"
#include "genetics/chemicalNames.h"
#include "writers/safeOutput.h"
#include "genometext/genomeText.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

namespace helixplot::cli {

namespace {

constexpr int ExitDone = 0;
constexpr int ExitFailed = 1;

bool isStandardStream(const std::string& path)
{
    return path == "-";
}

// The whole of a file or of standard input, up to limit bytes.
std::string readInput(const std::string& path, std::uint64_t limit)
{
    try {
        if (!isStandardStream(path)) {
            BinaryFile file(path, limit);
            return file.readUpTo(limit);
        }
        std::string bytes;
        char block[64 * 1024];
        for (;;) {
            const std::size_t n = std::fread(block, 1, sizeof block, stdin);
            bytes.append(block, n);
            if (bytes.size() > limit)
                throw InOutError(InOutError::Failure::FileTooLarge);
            if (n < sizeof block) {
                if (std::ferror(stdin))
                    throw InOutError::onRead(errno);
                return bytes;
            }
        }
    } catch (const HelixplotError& e) {
        throw FileError(path, e.what());
    } catch (const std::bad_alloc&) {
        throw FileError(path, InOutError(InOutError::Failure::OutOfMemory).what());
    }
}

int writeStandardOutput(std::string_view bytes)
{
    if ((!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size()) ||
        std::fflush(stdout) != 0)
        throw HelixplotError(std::string("cannot write the output: ") + std::strerror(errno));
    return ExitDone;
}

} // namespace

int decompileCommand(const std::string& genomePath, const std::string& outputPath,
                     const std::vector<std::string>& readFiles, const std::function<void()>& loadChemicals)
{
    const bool toFile = !outputPath.empty() && !isStandardStream(outputPath);
    std::vector<std::string> inputs = readFiles;
    if (!isStandardStream(genomePath))
        inputs.push_back(genomePath);
    // Refused before any work, as every output is.
    if (toFile)
        checkOutputTarget(outputPath, inputs);
    const std::string bytes = readInput(genomePath, MaxInputBytes);
    loadChemicals();
    std::string text;
    try {
        text = decompileGenome(bytes, ChemicalNames);
    } catch (const HelixplotError& e) {
        throw FileError(genomePath, e.what());
    }
    if (!toFile)
        return writeStandardOutput(text);
    writeOutputFile(outputPath, text, inputs);
    return ExitDone;
}

int compileCommand(const std::string& textPath, const std::string& outputPath,
                   const std::function<void()>& loadChemicals)
{
    const bool toFile = !isStandardStream(outputPath);
    if (toFile)
        checkNewGenomeTarget(outputPath);
    const std::string text = readInput(textPath, MaxGenomeTextBytes);
    loadChemicals();
    const CompiledGenome genome = compileGenomeText(text, ChemicalNames);
    if (!genome.errors.empty()) {
        const std::string lines = genomeTextErrorLines(textPath, genome.errors);
        std::fwrite(lines.data(), 1, lines.size(), stderr);
        std::fflush(stderr);
        return ExitFailed;
    }
    if (!toFile)
        return writeStandardOutput(genome.bytes);
    writeNewGenomeFile(outputPath, genome.bytes);
    return ExitDone;
}

} // namespace helixplot::cli
