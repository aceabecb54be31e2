// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "genetics/unitGenetics.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace helixplot::testing {

struct GeneFields {
    std::uint8_t id = 0;
    std::uint8_t flags = 0;
    std::uint8_t lifeStage = 0;
    std::uint8_t headerValue = 0;
    std::uint8_t reserved = 0;
};

// A gene as the reader would hold it: marker "gene", the header, body bytes
// from body (as many as the kind has; missing ones zero).
GeneRecord makeGene(std::uint8_t type, std::uint8_t subtype, GeneFields fields = {},
                    const std::vector<std::uint8_t>& body = {});
GeneRecord makeGene(std::uint8_t type, std::uint8_t subtype, std::uint8_t id,
                    const std::vector<std::uint8_t>& body = {});
// The same by kind name, for the sixteen kinds.
GeneRecord makeGene(GeneKind kind, GeneFields fields = {}, const std::vector<std::uint8_t>& body = {});
GeneRecord makeGene(GeneKind kind, std::uint8_t id, const std::vector<std::uint8_t>& body = {});
// A genus gene naming the parents: body bytes 1-4 the mother, 5-8 the father
// (longer names are cut, shorter ones end in zero bytes), genus 0.
GeneRecord genusGene(std::string_view mother, std::string_view father, GeneFields fields = {});

// Writes the bytes of a genome file: "dna2", the genes, optionally "gend".
class GenomeBuilder {
public:
    GenomeBuilder();
    GenomeBuilder(std::initializer_list<GeneRecord> genes);

    // Writes marker, header and the kind's body length of body bytes.
    GenomeBuilder& add(const GeneRecord& gene);
    GenomeBuilder& add(const std::vector<GeneRecord>& genes);
    GenomeBuilder& raw(std::string_view bytes);
    GenomeBuilder& end();

    const std::string& bytes() const { return bytes_; }
    TGeneticsFile genome() const { return TGeneticsFile::fromBytes(bytes_); }
    void writeTo(const std::string& path) const;

private:
    std::string bytes_;
};

// Writes bytes to path, replacing the file.
void writeFile(const std::string& path, std::string_view bytes);

// A fresh folder under the system's temporary folder, removed with its
// content when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // path() joined with name.
    std::string file(std::string_view name) const;

private:
    std::string path_;
};

} // namespace helixplot::testing
