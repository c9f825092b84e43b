#pragma once

#include <cstdint>

namespace dovla {

class ObjectStore;

namespace bench {

// Fills a fresh store (its point grid already created) with a design that
// loads the two name joins of the net builder:
// - `taggedNets` nets of one short wire and a tag at its end, laid out in
//   rows over the plane; every two of them carry one tag name, so joining
//   by tag name merges half of them;
// - `powerPins` single pins named VCC or GND at scattered points where
//   nothing else lies, which joining the power pins gathers into two nets;
// - one ordinary part pin at the start of every fourth wire, so that the
//   power pins are not the only pins of the object ring.
// The same seed gives the same design.
void addTaggedNetsAndPowerPins(ObjectStore& store, std::int32_t taggedNets, std::int32_t powerPins,
                               std::uint32_t seed = 1);

} // namespace bench
} // namespace dovla
