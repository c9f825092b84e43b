#pragma once

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The design as dovla32 connects it, as plain values: what every sheettool
// command reads. Texts are the files' bytes; coordinates are sheet
// coordinates (the sheet's offset of 3000 · n in x and 2000 · n in y taken
// off; sheet 0 holds what comes before the first sheet header).
namespace dovla::model {

struct Point {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool operator==(const Point&) const = default;
};

struct Sheet {
    int number = 0; // 1 to 32
    int sizeCode = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

enum class ItemKind { Pin, Wire, Bus, BusEntry, Junction, Label, Tag };

// An item of one of the design's lists.
struct ItemRef {
    ItemKind kind = ItemKind::Pin;
    std::uint32_t index = 0;
    bool operator==(const ItemRef&) const = default;
};

// The group an item belongs to: a net, a bus group, or none.
struct GroupRef {
    enum Kind { None, Net, BusGroup };
    Kind kind = None;
    std::uint32_t index = 0;
    bool operator==(const GroupRef&) const = default;
};

// A library part as its library draws it, for commands that redraw parts
// elsewhere: the body runs from (-10 · width, -10 · height) to (0, 0) in
// the part's own coordinates, unrotated, and each pin sits on a side at
// 10 · offset from the body's top (left, right) or left (top, bottom) edge.
struct SymbolPin {
    enum Side { Left, Top, Right, Bottom };
    Side side = Left;
    int offset = 0;
    std::string name;                 // may be empty
    std::vector<std::string> numbers; // per block, as the package format writes them: "12", "B3"
};

struct Symbol {
    std::string libName;
    int width = 0;  // units of 10
    int height = 0; // units of 10
    int blockCount = 0;
    std::vector<SymbolPin> pins;
    int library = -1; // into Design::libraries: the library that holds it
};

struct Part {
    std::string ref;         // may be empty
    std::string name;        // the part name shown, may be empty
    std::string libName;     // the library part
    int block = 0;           // zero-based
    int blockCount = 0;      // 0 when no library holds the part
    bool found = false;      // a library holds it
    bool pinsPlaced = false; // found, and its block is one the part has
    int sheet = 0;
    Point origin;            // the body's corner of greatest x and y
    int placement = 0;       // bits 0-1 rotation, bit 2 mirror
    std::int64_t record = 0; // the byte offset of the record that places it
    Point bodyMin, bodyMax;
    std::vector<std::uint32_t> pins;
    int symbol = -1; // into Design::symbols; -1 when no library holds the part
};

struct Pin {
    std::uint32_t part = 0;
    int number = 0;   // 0 to 511
    char letter = 0;  // 'A' to '_', or 0
    std::string name; // the library's pin name, may be empty
    std::string text; // as the default net list shows it
    int sheet = 0;
    Point end;           // where it connects, 10 units outside the body
    Point root;          // on the body's edge
    bool listed = false; // not a power pin: written as a net member
    GroupRef group;
};

struct Line {
    int sheet = 0;
    Point from, to; // in dovla32's end order
    GroupRef group;
    std::int64_t record = 0; // the byte offset of the record that draws it
};

struct BusEntry {
    int sheet = 0;
    Point at; // on the bus side
    Point to; // the end toward the wire
    bool wireEntry = false;
    bool joinedAt = false; // the end at `at` was joined to a bus
    bool joinedTo = false; // the end at `to` was joined to a bus
    GroupRef group;
    std::int64_t record = 0; // the byte offset of the record that draws it
};

struct Junction {
    int sheet = 0;
    Point at;
    std::int64_t record = 0; // the byte offset of the record that draws it
};

struct Label {
    int sheet = 0;
    Point at;
    std::string name;
    bool vertical = false; // belongs to vertical wires
    GroupRef group;
    std::int64_t record = 0; // the byte offset of the record that draws it
};

struct Tag {
    int sheet = 0;
    Point from, to;
    std::string name;
    GroupRef group;
    std::int64_t record = 0; // the byte offset of the record that draws it
};

// A name a net carries: of a label, a tag or a power pin.
struct NetName {
    std::string text;
    ItemRef source;
    bool power = false;
};

struct Net {
    // The names, each as the net list writes it, in member order with
    // adjacent repeats left out: the default format's name line.
    std::vector<NetName> names;
    std::string nameLine;         // the names joined as the default format joins them
    bool written = false;         // dovla32 lists it: it holds a listed pin
    std::string packageName;      // the package format's name; empty when not written
    std::string key;              // stable across unrelated edits; see net_keys.h
    std::vector<ItemRef> members; // in joining order
};

struct BusGroup {
    std::vector<ItemRef> members;
};

struct Options {
    bool implicitPowerNames = true;      // no -p
    std::vector<std::string> powerNames; // -w
    std::int32_t scanStep = 10;          // 1 with -s
    // The TAVEL.INI to read; empty for the one dovla32 finds (in the
    // current directory, else beside the program). Relative library paths
    // in a named one are taken from its directory.
    std::string configuration;
    // No TAVEL.INI and no library at all: every part is drawn without pins.
    bool noLibraries = false;
    // Wires that overlap along a line are cut at one another's ends into
    // as many pieces as the square of their number. Up to this many pieces
    // the design lists every one; beyond, of the pieces that lie alike
    // between the same two points only the first two, which join all that
    // the others join, so that every net stays as it is.
    std::uint64_t wirePiecesListed = 1'000'000;
};

struct Design {
    std::string sheetPath;
    Options options;
    std::string configuration;             // the TAVEL.INI read; empty: none
    bool configurationCutShort = false;    // read only up to the reader's bound
    std::vector<std::string> libraries;    // the paths it names, as they were read
    std::vector<std::string> libraryNames; // the same, as the configuration writes them
    std::vector<Sheet> sheets;
    std::vector<Part> parts;
    std::vector<Symbol> symbols; // the library parts placed, in order of first placing
    std::vector<Pin> pins;
    std::vector<Line> wires; // as the net builder cut them
    // The pieces alike to two listed ones that wires are not listed with
    // (Options::wirePiecesListed); 0 when every piece is listed.
    std::uint64_t wirePiecesLeftOut = 0;
    std::vector<Line> buses;
    std::vector<BusEntry> busEntries;
    std::vector<Junction> junctions;
    std::vector<Label> labels;
    std::vector<Tag> tags;
    std::vector<Net> nets;           // in the net list's order; empty groups left out
    std::vector<BusGroup> busGroups; // in creation order; empty groups left out
    std::vector<ItemRef> items;      // every item, in the order dovla32 made them
};

// The offset of a sheet's coordinates in the plane that dovla32 joins in.
inline Point sheetOffset(int sheet) {
    return {3000 * sheet, 2000 * sheet};
}
inline Point absolute(int sheet, Point at) {
    return {at.x + sheetOffset(sheet).x, at.y + sheetOffset(sheet).y};
}

// Where an item is drawn in the sheet file: the offset and length of its
// record (a wire piece the joining cut: of the wire as drawn; a pin: of
// its part's).
struct RecordSpan {
    std::int64_t offset = 0;
    std::int64_t length = 0;
};
RecordSpan recordOf(const Design& design, ItemRef item);
RecordSpan recordOf(const Part& part);

// A pin as the package format names it: R1.2, or .B3 without a reference.
std::string pinKey(const Design& design, const Pin& pin);
// A pin as the default net list shows it, without its tabs: "R1 RES [2]".
std::string shownPin(const Pin& pin);
void appendShownPin(std::string& out, const Pin& pin);

// One line of a text report, its line feed added: control bytes in names
// and paths are written as \xHH, as dump writes them, so that no name can
// end a line or forge one.
std::string reportLine(std::string_view text);
void appendReportLine(std::string& out, std::string_view text);

// A number in decimal, behind the text: reports of tens of thousands of
// rows make their numbers without a string of their own.
inline void appendNumber(std::string& out, std::int64_t number) {
    char digits[24];
    const char* end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, static_cast<std::size_t>(end - digits));
}

// The sheet of an item, and its end points (one or two; a point item's
// one), visit(sheet, point) for each.
int sheetOf(const Design& design, ItemRef item);
template <typename Visit> void forEachEnd(const Design& design, ItemRef item, Visit visit) {
    switch (item.kind) {
    case ItemKind::Pin:
        visit(design.pins[item.index].sheet, design.pins[item.index].end);
        break;
    case ItemKind::Wire:
    case ItemKind::Bus: {
        const Line& line =
            item.kind == ItemKind::Wire ? design.wires[item.index] : design.buses[item.index];
        visit(line.sheet, line.from);
        visit(line.sheet, line.to);
        break;
    }
    case ItemKind::BusEntry:
        visit(design.busEntries[item.index].sheet, design.busEntries[item.index].at);
        visit(design.busEntries[item.index].sheet, design.busEntries[item.index].to);
        break;
    case ItemKind::Junction:
        visit(design.junctions[item.index].sheet, design.junctions[item.index].at);
        break;
    case ItemKind::Label:
        visit(design.labels[item.index].sheet, design.labels[item.index].at);
        break;
    case ItemKind::Tag:
        visit(design.tags[item.index].sheet, design.tags[item.index].from);
        visit(design.tags[item.index].sheet, design.tags[item.index].to);
        break;
    }
}
// The group an item belongs to; junctions belong to none.
GroupRef groupOf(const Design& design, ItemRef item);

// References in natural order: runs of digits compare by their value
// ("R2" before "R10").
bool naturalLess(const std::string& a, const std::string& b);

} // namespace dovla::model
