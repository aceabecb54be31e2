// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "displayTree.h"
#include "genetics/unitGenetics.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace helixplot {

// Decodes one gene into a subtree appended as the last child of parent and
// returns the gene's top node; for a kind outside the sixteen known ones it
// appends nothing and returns NoNode. Never fails.
NodeId decodeGene(const GeneRecord& gene, DisplayTree& tree, NodeId parent);

// The text every decoded gene's top line begins with, ending in one blank:
// id in hex, sex, life stage, flags, header value.
std::string geneHeaderLine(const GeneRecord& gene);

// Brain lobes.
NodeId decodeLobe(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
void decodeCellBody(const GeneRecord& gene, DisplayTree& tree, NodeId node);
// block points at the 87 bytes of one dendrite type.
void decodeDendrites(const std::uint8_t* block, DisplayTree& tree, NodeId node);
// rule points at the 12 token bytes of an SV rule.
std::string svRuleText(const std::uint8_t* rule);

// Organs and the brain organ. An organ's top node has "Receptors",
// "Emitters" and "Reactions" as children 0 to 2; a brain organ's has "Lobes"
// as child 0.
NodeId decodeOrgan(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
std::string organName(std::uint8_t id);

// Biochemistry.
NodeId decodeReceptor(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodeEmitter(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodeReaction(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodeHalfLives(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodeInitialConcentration(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
std::string locusName(std::uint8_t organ, std::uint8_t tissue, std::uint8_t locus, bool isEmitter);
std::string_view halfLifeName(std::uint8_t value);

// Creature genes.
NodeId decodeStimulus(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodeGenus(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
// The genus the genus line names ("Tarrin" for 0); empty for 4 and more.
std::string_view genusName(std::uint8_t genus);
NodeId decodeAppearance(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodePose(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodeGait(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodeInstinct(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodePigment(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
NodeId decodePigmentBleed(const GeneRecord& gene, DisplayTree& tree, NodeId parent);
std::string neuronName(std::uint8_t lobe, std::uint8_t neuron);

} // namespace helixplot
