// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeSummary.h"

namespace helixplot {

std::string parentName(const TGeneticsFile& genome, bool father)
{
    if (genome.GeneList().empty())
        return {};
    return parentName(genome.GeneList().front(), father);
}

std::string parentName(const GeneRecord& first, bool father)
{
    std::string name;
    const std::size_t start = father ? 5 : 1;
    for (std::size_t i = start; i < start + 4 && first.body[i] != 0; ++i)
        name += static_cast<char>(first.body[i]);
    return name;
}

bool isPlainFileName(std::string_view name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F)
            return false;
#ifdef _WIN32
        // A drive or an alternate data stream.
        if (c == ':')
            return false;
#endif
    }
    return true;
}

std::string parentFilePath(const std::string& examinedPath, const TGeneticsFile& genome, bool father)
{
    if (genome.GeneList().empty())
        return {};
    return parentFilePath(examinedPath, genome.GeneList().front(), father);
}

std::string parentFilePath(const std::string& examinedPath, const GeneRecord& firstLooseGene, bool father)
{
    return parentFileNamed(examinedPath, parentName(firstLooseGene, father));
}

std::string parentFileNamed(const std::string& examinedPath, std::string_view name)
{
    return isPlainFileName(name) ? directoryOf(examinedPath) + std::string(name) + ".gen" : std::string();
}

std::vector<std::string> genomeSummary(const TGeneticsFile* genome)
{
    if (!genome)
        return {InvalidGenomeLine};
    std::size_t carried = 0;
    genome->forEachGene([&](const GeneRecord& g) {
        if (g.header.flags & GeneFlags::Carried)
            ++carried;
    });
    const std::size_t attached = genome->attachedGeneCount();
    return {
        "Mother: " + parentName(*genome, false) + ", Father: " + parentName(*genome, true),
        "Total Genes: " + std::to_string(genome->geneCount()),
        "Organ Count: " + std::to_string(genome->OrganList().size()) + " (" + std::to_string(attached) + " genes)",
        "Carried Genes: " + std::to_string(carried),
    };
}

} // namespace helixplot
