#pragma once

#include "design.h"

// Stable net keys: a name for every net that does not change when the
// design changes elsewhere, so that two revisions can be matched by it.
//
// The rule, in this order:
//   1. A net that carries a name (of a label, a tag or a power pin) is
//      keyed by its first name in member order that is not empty: "D0".
//   2. Otherwise by its smallest listed pin, pins ordered by reference, then
//      pin letter, then pin number, written as the package format writes a
//      pin: "R1.2", "U3.B12", ".4" for a part without reference.
//   3. Otherwise (a net of wires, buses and the like alone) by the smallest
//      end point of its members, ordered by sheet, then y, then x:
//      "@2:1200,350" (sheet 2, sheet coordinates 1200,350).
// When several nets come to one key, each of them that is keyed by a name
// takes its smallest listed pin (or, without one, its smallest point) in
// brackets behind it: "A[R1.2]", "A[@1:100,40]". Should a net still come to
// a key that an earlier net in net list order has (the same reference and
// pin on two nets can do that), it takes the first of "#2", "#3", ...
// behind its key that no earlier net has: "R5.2#2".
namespace dovla::model {

void assignNetKeys(Design& design);

} // namespace dovla::model
