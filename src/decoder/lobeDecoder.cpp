// PLACEHOLDER: replaced by the full brain lobe decoder.
#include "unitGeneDecoder.h"

namespace helixplot {

NodeId decodeLobe(const GeneRecord& gene, DisplayTree& tree, NodeId parent)
{
    return tree.addChild(parent, geneHeaderLine(gene));
}

} // namespace helixplot
