// PLACEHOLDER: replaced by the full biochemistry decoders.
#include "unitGeneDecoder.h"

namespace helixplot {

NodeId decodeReceptor(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeEmitter(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeReaction(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeHalfLives(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}
NodeId decodeInitialConcentration(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}

} // namespace helixplot
