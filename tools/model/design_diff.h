#pragma once

#include <string>
#include <vector>

#include "design.h"
#include "design_json.h"

// What changed in the connectivity between two revisions of a design.
//
// Parts at the same sheet, place, library part and block under another
// reference were renamed (re-annotated): their pins are compared under the
// new reference. The others are matched by reference and block (parts of
// one reference and block in their order); parts without a reference by
// their sheet, name, library part and block, those at the same place
// first, then the nearest pairs. A matched part has changed when its name,
// library part or block count has. Power symbols that change no net are
// counted, not listed.
//
// The nets compared are those the net list writes. A pin is known by its
// part's reference and its number (R1.2); pins of parts without a
// reference take no part. Nets are matched by their stable keys; then an
// old and a new net left over that share pins with each other and with no
// other net left over (the same pins, or its pins changed); then two left
// over drawn with the same wires, labels or tags. A matched net is renamed
// only when its key and the names it carries (labels, tags, power names)
// have changed: a key taken from a pin, or told apart from another net of
// the same name, is no name of its own. A pin whose new net is not the
// match of its old one changed net, and every such pin is listed: under a
// merge (an old net gone with all its pins into a net that was there, or
// two or more into a new net), under a split (an old net whose pins went
// into new nets of its pins alone, or a net gone into several), or else as
// a move of its own. So moving wires without changing what they connect
// changes nothing, and pins that trade nets are moves.
namespace dovla::model {

struct DiffPlace {
    int sheet = 0;
    Point at; // in the new revision, or in the old one for what is gone
};

// A pin of an added or removed part, and the key of its net in that
// revision (empty: on no net).
struct PartPin {
    std::string pin;
    std::string net;
};

struct PartChange {
    std::string ref;
    int block = 0;
    std::string name, libName; // the new ones, or the old for a removed part
    int blockCount = 0;
    std::string oldName, oldLibName; // changed parts
    int oldBlockCount = 0;
    DiffPlace place;
    std::vector<PartPin> pins; // added and removed parts: what they connect
    std::string oldRef;        // renamed parts
};

struct NetChange {
    std::string key;               // the net's key (the new one when renamed)
    std::string oldKey;            // renamed nets
    std::vector<std::string> pins; // added and removed nets: their pins
    DiffPlace place;
};

struct PinChange {
    std::string pin;
    std::string from; // empty for a pin connected
    std::string to;   // empty for a pin disconnected
    DiffPlace place;
};

struct NetFlow {
    std::vector<std::string> from; // merged: the old nets; split: the one old net
    std::vector<std::string> into; // merged: the one new net; split: the new nets
    bool newNet = false;           // merged into a net that did not exist
    bool gone = false;             // split: the old net is gone
    DiffPlace place;
    std::vector<PinChange> pins; // the pins that went from one side to the other
};

// A difference in a library part that both revisions use, or between two
// library files.
struct LibraryChange {
    enum Kind {
        PartAdded,     // library files: a part only the new one holds
        PartRemoved,   // library files: a part only the old one holds
        Source,        // from: the old library, to: the new one
        Blocks,        // from, to: the block counts
        Body,          // from, to: width x height, in units of 10
        PinAdded,      // to: where it is
        PinRemoved,    // from: where it was
        PinMoved,      // from, to: where it was and is
        PinsSwapped,   // pins: the two that took each other's places
        PinRenamed,    // from, to: the names
        PinRenumbered, // from, to: its numbers in every block both have, "1/4/9/12"
    };
    std::string libName;
    Kind kind = PartAdded;
    std::vector<std::string> pins; // by their first block's number
    std::string from, to;
};

// What the two revisions were read with.
// Power symbols of one name added and removed on a sheet: parts without a
// reference whose pins are all power pins, on nets that carry that power
// name through another power pin as well, so that they change no net.
struct PowerSymbols {
    int sheet = 0;
    std::string name;
    int added = 0, removed = 0;
};

struct Configuration {
    std::vector<std::string> oldLibraries, newLibraries; // as the configurations name them
    bool configurationsDiffer = false;                   // the TAVEL.INI files' contents
    bool sheetsIdentical = false; // byte for byte: a change came from the libraries
};

struct DesignDiff {
    Configuration configuration;
    // Library parts by name, each one's changes in a fixed order.
    std::vector<LibraryChange> libraryChanges;
    std::vector<PartChange> partsAdded, partsRemoved, partsChanged;
    // Parts whose reference alone changed (same sheet, place, library part
    // and block): re-annotated.
    std::vector<PartChange> partsRenamed;
    std::vector<PowerSymbols> powerSymbols; // by sheet and name
    std::vector<NetChange> netsAdded, netsRemoved, netsRenamed;
    std::vector<NetFlow> netsMerged, netsSplit;
    std::vector<PinChange> pinsMoved, pinsConnected, pinsDisconnected;
    // What could not be compared: the parts of each revision whose library
    // part no library holds (they have no pins), and those library parts'
    // names, sorted.
    int oldPartsNotCompared = 0;
    int newPartsNotCompared = 0;
    std::vector<std::string> libraryPartsNotFound;

    // No change found, and nothing that could hide one. What the revisions
    // were read with changes nothing by itself.
    bool empty() const;
};

// A part that a line of the report names: by its reference and block, or,
// without a reference, by its sheet and place.
struct PartMention {
    std::string ref;
    int block = 0;
    DiffPlace place;
};

// What a line of the report names in one revision, in that revision's own
// terms: a renamed part's pins under its old reference in the old one.
struct DiffMentions {
    std::vector<PartMention> parts;
    std::vector<std::string> nets;        // keys
    std::vector<std::string> pins;        // R1.2
    std::string libName;                  // every part placed of this library part
    std::vector<std::string> libraryPins; // and these pins of it, by their numbers
};

// A line of the text report and what it names, for a reader that shows
// each change on the drawings of both revisions.
struct DiffLine {
    enum Group { ConfigurationLines, LibraryParts, Parts, Nets, Pins };
    // Added: only the new revision has what it names; Removed: only the old.
    enum Kind { Changed, Added, Removed };
    Group group = ConfigurationLines;
    Kind kind = Changed;
    std::string text; // without its line end
    DiffMentions before, after;
    bool placed = false; // where it is, in the new revision or, gone, the old
    DiffPlace place;
};

DesignDiff diffDesigns(const Design& oldDesign, const Design& newDesign);

// Two library files part by part: parts added, removed and changed.
DesignDiff diffLibraries(const std::vector<Symbol>& oldParts, const std::vector<Symbol>& newParts);

// The changes as text, a line each in a fixed order, and as JSON. The
// text is the lines' texts, each ended.
std::vector<DiffLine> diffLines(const DesignDiff& diff);
std::string diffText(const DesignDiff& diff);
Json diffJson(const DesignDiff& diff, const std::string& oldPath, const std::string& newPath);

} // namespace dovla::model
