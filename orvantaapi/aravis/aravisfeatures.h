// The standard feature names the C interface uses, mapped onto the nodes real cameras have:
// the standard name first, then the usual older or raw variants.
#ifndef ORVANTA_ARAVISFEATURES_H
#define ORVANTA_ARAVISFEATURES_H

#include <string>
#include <utility>
#include <vector>

namespace orvanta {

struct FeatureAlias
{
    FeatureAlias(std::string n, double scale = 1, std::string sel = {}, std::string entry = {})
        : node(std::move(n)), floatScale(scale), selector(std::move(sel)),
          selectorEntry(std::move(entry))
    {}

    std::string node;
    // Integer feature calls on a float node read value x scale and write value / scale
    // (gain in tenths of a dB, colour ratios with 1.0 as 1024).
    double floatScale = 1;
    // Set to selectorEntry before the node is touched (one colour of the balance ratio).
    std::string selector, selectorEntry;
};

// The candidates for a feature name, in order of preference; the name itself when the name
// has no known variants.
std::vector<FeatureAlias> featureAliases(const std::string& name);

// Nodes that size the stream's buffers and so cannot change while acquiring.
bool isStreamGeometryNode(const std::string& node);

} // namespace orvanta

#endif
