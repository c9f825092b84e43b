#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "design.h"
#include "export/annotation.h"

// What an exported KiCad project draws, and how it keeps the design's
// connectivity. KiCad joins by other rules than dovla32: every point where
// items end joins them, a label joins every wire it lies on, names join
// wherever they stand. So the plan
//   - names every net with a text no other net has, and draws a label, tag
//     or power symbol with its own name only where no other net carries
//     that name (else with the net's name);
//   - draws a wire end a hair short of a point where items of another net
//     end, and leaves out junctions, labels and bus entries that would touch
//     two nets;
//   - and gives every piece of a net that KiCad would see apart (joined in
//     dovla32 by a tag, a bus, a power name or a label across sheets) a
//     label or power symbol with the net's name.
namespace dovla::sheettool::kicad {

struct KPoint {
    std::int64_t x = 0; // KiCad internal units, y downward
    std::int64_t y = 0;
    bool operator==(const KPoint&) const = default;
    auto operator<=>(const KPoint&) const = default;
};

KPoint kpoint(model::Point at);

enum class LabelKind { Local, Global, Text };

struct DrawnLine {
    int sheet = 0;
    KPoint from, to;
    bool bus = false;
    bool connecting = true; // false: drawn as a plain line that joins nothing
    std::string what;       // names it for its identifier
};

struct DrawnEntry {
    int sheet = 0;
    KPoint at, to;
    bool connecting = true;
    std::string what;
};

struct DrawnLabel {
    int sheet = 0;
    KPoint at;
    std::string text;
    LabelKind kind = LabelKind::Local;
    int angle = 0;      // 0, 90, 180, 270
    bool added = false; // not in the design: joins what KiCad would see apart
    std::string what;
};

// Where a symbol's reference and value stand on the sheet. They read
// across whichever way the symbol is turned.
struct Fields {
    enum Justify { Centre, Left, Right };
    KPoint ref, value;
    Justify justify = Centre;
};

// Where a field's text begins and ends across the sheet, as it is
// justified: about 1.27 mm a character, as wide as KiCad's letters get.
std::pair<std::int64_t, std::int64_t> fieldSpan(const std::string& text, KPoint at,
                                                Fields::Justify justify);

// A part, or a power symbol the plan adds (part then -1).
struct PlacedSymbol {
    std::int64_t part = -1;
    int sheet = 0;
    int symbol = 0; // into Plan::symbols
    int unit = 1;
    KPoint anchor;
    int angle = 0;
    bool mirror = false;
    std::string ref;         // as KiCad shows it: "#PWR03" for a power symbol
    std::string originalRef; // the design's, where KiCad shows another
    std::string value;       // the part name, or the power name it joins by
    Fields fields;
};

// A library symbol that the project holds.
struct SymbolUse {
    // PowerPart: a power part of several pins, drawn as its library draws
    // it; PowerConnector: a power symbol as KiCad draws its own; PowerFlag:
    // KiCad's PWR_FLAG, one on each net of power symbols.
    enum Kind { Library, PowerPart, Box, PowerConnector, PowerFlag };
    Kind kind = Library;
    int symbol = -1;     // into Design::symbols, for a library part
    std::string name;    // unique in the project's library
    std::string libName; // the library part's name, shown in a box
    // For a power symbol, the name it joins by: KiCad 6 joins power
    // symbols by the name of their pin, so each name has its own symbol.
    std::string powerName;
};

// A sheet's paper, and how far everything the sheet draws is moved to lie
// inside its frame.
struct Page {
    std::string paper = "(paper \"A4\")";
    KPoint offset;
};

// A net that KiCad knows by a name changed a little: the name it carries
// in the design is another net's.
struct NetRename {
    int net = 0;
    std::string from, to;
};

struct Plan {
    Annotation annotation;
    std::vector<std::string> netNames; // per net of the design: a text that only it has
    std::vector<NetRename> renamedNets;
    std::vector<int> sheets;   // the sheets drawn, in order
    std::map<int, Page> pages; // by sheet
    std::vector<SymbolUse> symbols;
    std::vector<PlacedSymbol> placed;
    std::vector<DrawnLine> lines;
    std::vector<DrawnEntry> entries;
    std::vector<KPoint> junctionPoints;
    std::vector<int> junctionSheets;
    std::vector<DrawnLabel> labels;
    int shortenedEnds = 0;
    int partsMoved = 0;
    int labelsMadeGlobal = 0;
    int junctionsLeftOut = 0;
    int powerFlags = 0;
};

Plan planKicad(const model::Design& design);

// What the export says of a part that its library does not draw (no library
// holds it, or its block is not there), with what that means for the file.
std::string undrawnPartWarning(const model::Part& part, const std::string& consequence);

} // namespace dovla::sheettool::kicad
