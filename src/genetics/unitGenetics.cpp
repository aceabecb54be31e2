#include "unitGenetics.h"

#include "binaryFile.h"

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
    std::uint8_t magic[4];
    source.readExact(magic, 4);
    if (std::memcmp(magic, "dna2", 4) != 0)
        throw GeneticsError(BadGeneFileMessage);

    // Indexes into organs_, not pointers: organs_ grows while we read.
    constexpr std::size_t none = SIZE_MAX;
    std::size_t currentOrgan = none;
    std::size_t currentBrainOrgan = none;

    while (!source.atEnd()) {
        GeneRecord gene{};
        source.readExact(gene.marker.data(), 4);
        if (gene.hasMarker("gend"))
            break;
        source.readExact(reinterpret_cast<std::uint8_t*>(&gene.header), sizeof gene.header);
        if (!gene.isGene())
            throw GeneticsError(BadGeneMessage);
        source.readExact(gene.body.data(), bodyLength(gene.header.type, gene.header.subtype));

        const std::optional<GeneKind> kind = gene.kind();
        if (kind == GeneKind::Organ) {
            organs_.emplace_back(gene);
            currentOrgan = organs_.size() - 1;
        } else if (kind == GeneKind::BrainOrgan) {
            organs_.emplace_back(gene);
            currentOrgan = currentBrainOrgan = organs_.size() - 1;
        } else if (kind == GeneKind::BrainLobe) {
            (currentBrainOrgan == none ? genes_ : organs_[currentBrainOrgan].GeneList).push_back(gene);
        } else if (kind == GeneKind::Receptor || kind == GeneKind::Emitter || kind == GeneKind::Reaction) {
            (currentOrgan == none ? genes_ : organs_[currentOrgan].GeneList).push_back(gene);
        } else {
            genes_.push_back(gene);
        }
    }
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
