// PLACEHOLDER: replaced by the full creature-gene decoders.
#include "unitGeneDecoder.h"

namespace helixplot {

NodeId decodeStimulus(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeGenus(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeAppearance(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodePose(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeGait(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeInstinct(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodePigment(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodePigmentBleed(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}

} // namespace helixplot
