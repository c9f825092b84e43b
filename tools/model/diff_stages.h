#pragma once

#include <map>
#include <string>

#include "design_diff.h"

// The stages of comparing two revisions, each filling its part of the
// DesignDiff: pairing parts, pairing nets, comparing the library parts both
// use. diffDesigns runs them and sorts what they found.
namespace dovla::model {

// References of the old revision as the new one has them: the parts that
// were only renamed.
using References = std::map<std::string, std::string>;

// Parts added, removed, renamed and changed; fills renamed.
void diffParts(const Design& oldDesign, const Design& newDesign, References& renamed,
               DesignDiff& diff);

// Nets added, removed, renamed, merged and split, and pins that changed net.
void diffNets(const Design& oldDesign, const Design& newDesign, const References& renamed,
              DesignDiff& diff);

// Differences in the library parts that both revisions use.
void diffLibraryParts(const Design& oldDesign, const Design& newDesign, DesignDiff& diff);

} // namespace dovla::model
