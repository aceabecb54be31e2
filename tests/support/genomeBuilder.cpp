// SPDX-License-Identifier: GPL-3.0-or-later
#include "genomeBuilder.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace helixplot::testing {

GeneRecord makeGene(std::uint8_t type, std::uint8_t subtype, GeneFields fields, const std::vector<std::uint8_t>& body)
{
    GeneRecord gene{};
    gene.setMarker("gene");
    gene.header = {type, subtype, fields.id, fields.reserved, fields.lifeStage, fields.flags, fields.headerValue};
    const std::size_t length = bodyLength(type, subtype);
    for (std::size_t i = 0; i < body.size() && i < length; ++i)
        gene.body[i] = body[i];
    return gene;
}

GeneRecord makeGene(std::uint8_t type, std::uint8_t subtype, std::uint8_t id, const std::vector<std::uint8_t>& body)
{
    GeneFields fields;
    fields.id = id;
    return makeGene(type, subtype, fields, body);
}

GeneRecord makeGene(GeneKind kind, GeneFields fields, const std::vector<std::uint8_t>& body)
{
    return makeGene(infoOf(kind).type, infoOf(kind).subtype, fields, body);
}

GeneRecord makeGene(GeneKind kind, std::uint8_t id, const std::vector<std::uint8_t>& body)
{
    return makeGene(infoOf(kind).type, infoOf(kind).subtype, id, body);
}

GeneRecord genusGene(std::string_view mother, std::string_view father, GeneFields fields)
{
    std::vector<std::uint8_t> body(9, 0);
    for (std::size_t i = 0; i < 4 && i < mother.size(); ++i)
        body[1 + i] = static_cast<std::uint8_t>(mother[i]);
    for (std::size_t i = 0; i < 4 && i < father.size(); ++i)
        body[5 + i] = static_cast<std::uint8_t>(father[i]);
    return makeGene(GeneKind::Genus, fields, body);
}

GenomeBuilder::GenomeBuilder() : bytes_("dna2") {}

GenomeBuilder::GenomeBuilder(std::initializer_list<GeneRecord> genes) : GenomeBuilder()
{
    for (const auto& g : genes)
        add(g);
}

GenomeBuilder& GenomeBuilder::add(const GeneRecord& gene)
{
    const auto* p = reinterpret_cast<const char*>(&gene);
    bytes_.append(p, 11 + bodyLength(gene.header.type, gene.header.subtype));
    return *this;
}

GenomeBuilder& GenomeBuilder::add(const std::vector<GeneRecord>& genes)
{
    for (const auto& g : genes)
        add(g);
    return *this;
}

GenomeBuilder& GenomeBuilder::raw(std::string_view bytes)
{
    bytes_.append(bytes);
    return *this;
}

GenomeBuilder& GenomeBuilder::end()
{
    bytes_.append("gend");
    return *this;
}

void GenomeBuilder::writeTo(const std::string& path) const
{
    writeFile(path, bytes_);
}

void writeFile(const std::string& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

TempDir::TempDir()
{
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto dir = std::filesystem::temp_directory_path() /
                     ("helixplot-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(dir);
    path_ = dir.string();
}

TempDir::~TempDir()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::string TempDir::file(std::string_view name) const
{
    return path_ + "/" + std::string(name);
}

} // namespace helixplot::testing
