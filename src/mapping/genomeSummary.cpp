#include "genomeSummary.h"

namespace helixplot {

std::string parentName(const TGeneticsFile& genome, bool father)
{
    if (genome.GeneList().empty())
        return {};
    const GeneRecord& first = genome.GeneList().front();
    std::string name;
    const std::size_t start = father ? 5 : 1;
    for (std::size_t i = start; i < start + 4 && first.body[i] != 0; ++i)
        name += static_cast<char>(first.body[i]);
    return name;
}

std::string parentFilePath(const std::string& examinedPath, const TGeneticsFile& genome, bool father)
{
    return directoryOf(examinedPath) + parentName(genome, father) + ".gen";
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
