// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "geneKinds.h"
#include "inOutError.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot {

class ByteSource;

// A genome or gene that is not what the file format says.
class GeneticsError : public HelixplotError {
public:
    using HelixplotError::HelixplotError;
};

inline constexpr const char* BadGeneFileMessage = "Bad Gene File";
inline constexpr const char* BadGeneMessage = "Bad gene Error!";
// The four bytes every genome file starts with.
inline constexpr std::string_view GenomeMagic = "dna2";

struct GeneHeader {
    std::uint8_t type;
    std::uint8_t subtype;
    std::uint8_t id;
    std::uint8_t reserved;
    std::uint8_t lifeStage;
    std::uint8_t flags;
    std::uint8_t headerValue;
};
static_assert(sizeof(GeneHeader) == 7);

namespace GeneFlags {
inline constexpr std::uint8_t Mutable = 0x01;
inline constexpr std::uint8_t Deletable = 0x02;
inline constexpr std::uint8_t Duplicable = 0x04;
inline constexpr std::uint8_t MaleOnly = 0x08;
inline constexpr std::uint8_t FemaleOnly = 0x10;
inline constexpr std::uint8_t Carried = 0x20;
} // namespace GeneFlags

inline constexpr std::size_t MaxBodyLength = 256;

// One gene as read: marker, header, body, the rest of the body zero.
struct GeneRecord {
    std::array<std::uint8_t, 4> marker;
    GeneHeader header;
    std::array<std::uint8_t, MaxBodyLength> body;

    bool hasMarker(std::string_view m) const
    {
        return m.size() == 4 && std::equal(marker.begin(), marker.end(), m.begin(),
                                           [](std::uint8_t a, char b) { return a == static_cast<std::uint8_t>(b); });
    }
    bool isGene() const { return hasMarker("gene"); }
    // None for a (type, subtype) pair outside the sixteen kinds.
    std::optional<GeneKind> kind() const { return kindOf(header.type, header.subtype); }
    bool is(GeneKind k) const { return kind() == k; }
    void setMarker(std::string_view m)
    {
        for (std::size_t i = 0; i < 4; ++i)
            marker[i] = static_cast<std::uint8_t>(i < m.size() ? m[i] : 0);
    }
};
static_assert(sizeof(GeneRecord) == 267, "a gene record is exactly 267 bytes");

// Body length of a (type, subtype) kind; 0 for any unknown kind.
constexpr std::size_t bodyLength(std::uint8_t type, std::uint8_t subtype)
{
    const std::optional<GeneKind> kind = kindOf(type, subtype);
    return kind ? infoOf(*kind).bodyLength : 0;
}

class TCOrgan {
public:
    explicit TCOrgan(const GeneRecord& organGene) : OrganGene(organGene) {}

    GeneRecord OrganGene;
    // Genes attached to this organ, in file order.
    std::vector<GeneRecord> GeneList;
};

class TGeneticsFile {
public:
    // Reads the whole genome file at path (used unchanged); throws
    // GeneticsError or InOutError (out of memory included), after which no
    // genome exists.
    explicit TGeneticsFile(const std::string& path);
    // Reads a genome from bytes already in memory, with the same rules.
    static TGeneticsFile fromBytes(std::string_view bytes);

    const std::vector<TCOrgan>& OrganList() const { return organs_; }
    const std::vector<GeneRecord>& GeneList() const { return genes_; }

    // Organ genes, attached genes and loose genes together.
    std::size_t geneCount() const;
    std::size_t attachedGeneCount() const;

    // Visits every gene: organ by organ (the organ gene, then its attached
    // genes), then the loose genes.
    template <typename Visit> void forEachGene(Visit&& visit) const
    {
        for (const TCOrgan& organ : organs_) {
            visit(organ.OrganGene);
            for (const GeneRecord& g : organ.GeneList)
                visit(g);
        }
        for (const GeneRecord& g : genes_)
            visit(g);
    }

private:
    TGeneticsFile() = default;
    void read(ByteSource& source);

    std::vector<TCOrgan> organs_;
    std::vector<GeneRecord> genes_;
};

// True when path names an existing regular file (a directory is no file).
bool fileExists(const std::string& path);

// The directory part of path, with its trailing separator; empty if none.
std::string directoryOf(const std::string& path);

} // namespace helixplot
