// SPDX-License-Identifier: GPL-3.0-or-later
#include "unitGenetics.h"

#include "binaryFile.h"
#include "genomeScan.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>

namespace helixplot {

TGeneticsFile::TGeneticsFile(const std::string& path)
{
    BinaryFile file(path);
    try {
        read(file);
    } catch (const std::bad_alloc&) {
        // What was read is freed by now; the message fits.
        organs_ = {};
        genes_ = {};
        throw InOutError(InOutError::Failure::OutOfMemory);
    }
}

TGeneticsFile TGeneticsFile::fromBytes(std::string_view bytes)
{
    MemorySource source(bytes);
    TGeneticsFile genome;
    genome.read(source);
    return genome;
}

void TGeneticsFile::read(ByteSource& source)
{
    // Room for a creature's loose genes from the start: growing the list
    // would copy every record several times over.
    constexpr std::size_t LooseGenesReserved = 1024;
    genes_.reserve(LooseGenesReserved);
    scanGenome(source, [this](const GeneRecord& gene, GeneSlot slot) {
        switch (slot.place) {
        case GenePlace::Loose:
            genes_.push_back(gene);
            break;
        case GenePlace::NewOrgan:
            organs_.emplace_back(gene);
            break;
        case GenePlace::Attached:
            organs_[slot.organ].GeneList.push_back(gene);
            break;
        }
    });
}

std::size_t TGeneticsFile::attachedGeneCount() const
{
    std::size_t n = 0;
    for (const TCOrgan& organ : organs_)
        n += organ.GeneList.size();
    return n;
}

std::size_t TGeneticsFile::geneCount() const
{
    return genes_.size() + organs_.size() + attachedGeneCount();
}

bool fileExists(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

std::string directoryOf(const std::string& path)
{
#ifdef _WIN32
    const auto cut = path.find_last_of("\\/:");
#else
    const auto cut = path.find_last_of('/');
#endif
    return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

} // namespace helixplot
