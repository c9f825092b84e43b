#include "design_diff.h"

#include <map>
#include <string>
#include <vector>

namespace dovla::model {

namespace {

std::string placeText(const DiffPlace& place, bool gone = false) {
    return std::string(gone ? " (was on sheet " : " (sheet ") + std::to_string(place.sheet) +
           " at " + std::to_string(place.at.x) + "," + std::to_string(place.at.y) + ")";
}

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string text;
    for (const std::string& item : items)
        text += (text.empty() ? "" : separator) + item;
    return text;
}

std::string partText(const PartChange& part) {
    std::string text = part.ref.empty() ? "(without reference)" : part.ref;
    if (part.block != 0)
        text += " block " + std::to_string(part.block + 1);
    return text + " " + (part.name.empty() ? part.libName : part.name);
}

std::string changedText(const PartChange& part) {
    std::vector<std::string> changes;
    if (part.oldName != part.name)
        changes.push_back("name " + part.oldName + " -> " + part.name);
    if (part.oldLibName != part.libName)
        changes.push_back("library part " + part.oldLibName + " -> " + part.libName);
    if (part.oldBlockCount != part.blockCount)
        changes.push_back("blocks " + std::to_string(part.oldBlockCount) + " -> " +
                          std::to_string(part.blockCount));
    return partText(part) + ": " + joined(changes, ", ");
}

std::string pinsText(const std::vector<std::string>& pins) {
    return pins.size() == 2 ? "pins " + pins[0] + " and " + pins[1] : "pin " + pins[0];
}

std::string nameText(const std::string& name) {
    return name.empty() ? "(no name)" : name;
}

std::string libraryChangeText(const LibraryChange& change) {
    const std::string part = "library part " + change.libName;
    switch (change.kind) {
    case LibraryChange::PartAdded:
        return "library part added: " + change.libName;
    case LibraryChange::PartRemoved:
        return "library part removed: " + change.libName;
    case LibraryChange::Source:
        return part + ": now from " + change.to + " (was " + change.from + ")";
    case LibraryChange::Blocks:
        return part + ": blocks " + change.from + " -> " + change.to;
    case LibraryChange::Body:
        return part + ": body " + change.from + " -> " + change.to;
    case LibraryChange::PinAdded:
        return part + ": " + pinsText(change.pins) + " added (" + change.to + ")";
    case LibraryChange::PinRemoved:
        return part + ": " + pinsText(change.pins) + " removed (was " + change.from + ")";
    case LibraryChange::PinMoved:
        return part + ": " + pinsText(change.pins) + " moved " + change.from + " -> " + change.to;
    case LibraryChange::PinsSwapped:
        return part + ": " + pinsText(change.pins) + " swapped";
    case LibraryChange::PinRenumbered:
        return part + ": " + pinsText(change.pins) + " numbers " + change.from + " -> " + change.to;
    case LibraryChange::PinRenamed:
        return part + ": " + pinsText(change.pins) + " renamed " + nameText(change.from) + " -> " +
               nameText(change.to);
    }
    return part;
}

// A renamed part's pin under the reference the old revision gives it.
std::string oldPinKey(const std::map<std::string, std::string>& oldRefs, const std::string& pin) {
    const std::size_t dot = pin.rfind('.');
    if (dot == std::string::npos)
        return pin;
    auto renamed = oldRefs.find(pin.substr(0, dot));
    return renamed == oldRefs.end() ? pin : renamed->second + pin.substr(dot);
}

// The lines in the order of the report, each made with what it names.
class LineWriter {
  public:
    explicit LineWriter(const DesignDiff& diff) {
        for (const PartChange& part : diff.partsRenamed)
            oldRefs_[part.ref] = part.oldRef;
    }

    // A new line, to be filled in before the next is added (which may move
    // it).
    DiffLine& add(DiffLine::Group group, DiffLine::Kind kind, std::string text) {
        DiffLine& line = lines_.emplace_back();
        line.group = group;
        line.kind = kind;
        line.text = std::move(text);
        return line;
    }

    DiffLine& add(DiffLine::Group group, DiffLine::Kind kind, std::string text,
                  const DiffPlace& place) {
        DiffLine& line = add(group, kind, std::move(text));
        line.placed = true;
        line.place = place;
        return line;
    }

    // A pin named in both revisions, each under its own reference.
    void pin(DiffLine& line, const std::string& key) const {
        line.before.pins.push_back(oldPinKey(oldRefs_, key));
        line.after.pins.push_back(key);
    }

    std::vector<DiffLine> lines() { return std::move(lines_); }

  private:
    std::map<std::string, std::string> oldRefs_; // new reference to old
    std::vector<DiffLine> lines_;
};

PartMention mention(const PartChange& part, const std::string& ref) {
    return {ref, part.block, part.place};
}

// What the revisions were read with, where it differs or explains.
void configurationLines(const DesignDiff& diff, LineWriter& out) {
    const Configuration& configuration = diff.configuration;
    const auto group = DiffLine::ConfigurationLines;
    if (configuration.oldLibraries != configuration.newLibraries)
        out.add(group, DiffLine::Changed,
                "libraries: old " + joined(configuration.oldLibraries, ", ") + "; new " +
                    joined(configuration.newLibraries, ", "));
    else if (configuration.configurationsDiffer)
        out.add(group, DiffLine::Changed, "configuration: TAVEL.INI changed, the same libraries");
    const bool librariesChanged = configuration.oldLibraries != configuration.newLibraries ||
                                  configuration.configurationsDiffer ||
                                  !diff.libraryChanges.empty();
    if (configuration.sheetsIdentical && librariesChanged)
        out.add(group, DiffLine::Changed,
                "sheets: identical, every change comes from the libraries");
}

// Added, removed, renamed and changed parts; an added or removed part's
// pins follow it, each with its net.
void partLines(const DesignDiff& diff, LineWriter& out) {
    const auto group = DiffLine::Parts;
    // An added part is named in the new revision, a removed one in the old.
    auto oneSide = [&](const std::vector<PartChange>& parts, bool gone) {
        const auto kind = gone ? DiffLine::Removed : DiffLine::Added;
        DiffMentions DiffLine::*side = gone ? &DiffLine::before : &DiffLine::after;
        for (const PartChange& part : parts) {
            DiffLine& line = out.add(group, kind,
                                     (gone ? "part removed: " : "part added: ") + partText(part) +
                                         placeText(part.place, gone),
                                     part.place);
            (line.*side).parts.push_back(mention(part, part.ref));
            for (const PartPin& pin : part.pins) {
                DiffLine& pinLine = out.add(group, kind,
                                            "    " + pin.pin + (gone ? " was on " : " on ") +
                                                (pin.net.empty() ? "no net" : pin.net),
                                            part.place);
                (pinLine.*side).pins.push_back(pin.pin);
                if (!pin.net.empty())
                    (pinLine.*side).nets.push_back(pin.net);
            }
        }
    };
    oneSide(diff.partsAdded, false);
    oneSide(diff.partsRemoved, true);
    for (std::size_t i = 0; i < diff.powerSymbols.size();) {
        const int sheet = diff.powerSymbols[i].sheet;
        std::string counts;
        for (; i < diff.powerSymbols.size() && diff.powerSymbols[i].sheet == sheet; ++i) {
            const PowerSymbols& symbols = diff.powerSymbols[i];
            if (symbols.added > 0)
                counts += (counts.empty() ? "+" : ", +") + std::to_string(symbols.added) + " " +
                          symbols.name;
            if (symbols.removed > 0)
                counts += (counts.empty() ? "-" : ", -") + std::to_string(symbols.removed) + " " +
                          symbols.name;
        }
        out.add(group, DiffLine::Changed,
                "power symbols: " + counts + " on sheet " + std::to_string(sheet),
                DiffPlace{sheet, {}});
    }
    for (const PartChange& part : diff.partsRenamed) {
        DiffLine& line = out.add(group, DiffLine::Changed,
                                 "part renamed: " + part.oldRef + " -> " + partText(part) +
                                     placeText(part.place),
                                 part.place);
        line.before.parts.push_back(mention(part, part.oldRef));
        line.after.parts.push_back(mention(part, part.ref));
    }
    for (const PartChange& part : diff.partsChanged) {
        DiffLine& line =
            out.add(group, DiffLine::Changed,
                    "part changed: " + changedText(part) + placeText(part.place), part.place);
        line.before.parts.push_back(mention(part, part.ref));
        line.after.parts.push_back(mention(part, part.ref));
    }
}

// Nets added, removed, renamed, merged and split; a merge's or split's pins
// follow it, each with its old and new net.
void netLines(const DesignDiff& diff, LineWriter& out) {
    const auto group = DiffLine::Nets;
    for (const NetChange& net : diff.netsAdded) {
        DiffLine& line = out.add(group, DiffLine::Added,
                                 "net added: " + net.key + " with " + joined(net.pins, ", ") +
                                     placeText(net.place),
                                 net.place);
        line.after.nets.push_back(net.key);
        line.after.pins = net.pins;
    }
    for (const NetChange& net : diff.netsRemoved) {
        DiffLine& line = out.add(group, DiffLine::Removed,
                                 "net removed: " + net.key + " with " + joined(net.pins, ", ") +
                                     placeText(net.place, true),
                                 net.place);
        line.before.nets.push_back(net.key);
        line.before.pins = net.pins;
    }
    for (const NetChange& net : diff.netsRenamed) {
        DiffLine& line = out.add(
            group, DiffLine::Changed,
            "net renamed: " + net.oldKey + " -> " + net.key + placeText(net.place), net.place);
        line.before.nets.push_back(net.oldKey);
        line.after.nets.push_back(net.key);
    }
    auto flow = [&](const NetFlow& flow, std::string text) {
        // The line is filled in before the next is added: a line added
        // may move the ones before it.
        DiffLine& line = out.add(group, DiffLine::Changed, std::move(text), flow.place);
        line.before.nets = flow.from;
        line.after.nets = flow.into;
        for (const PinChange& pin : flow.pins)
            out.pin(line, pin.pin);
        for (const PinChange& pin : flow.pins) {
            DiffLine& pinLine =
                out.add(group, DiffLine::Changed,
                        "    " + pin.pin + " from " + pin.from + " to " + pin.to, pin.place);
            out.pin(pinLine, pin.pin);
            pinLine.before.nets.push_back(pin.from);
            pinLine.after.nets.push_back(pin.to);
        }
    };
    for (const NetFlow& merged : diff.netsMerged)
        flow(merged, "nets merged: " + joined(merged.from, ", ") + " into " +
                         (merged.newNet ? "new net " : "") + merged.into[0] +
                         placeText(merged.place));
    for (const NetFlow& split : diff.netsSplit)
        flow(split, "net split: " + split.from[0] + " into " + joined(split.into, ", ") +
                        placeText(split.place));
}

void pinLines(const DesignDiff& diff, LineWriter& out) {
    const auto group = DiffLine::Pins;
    for (const PinChange& pin : diff.pinsMoved) {
        DiffLine& line = out.add(group, DiffLine::Changed,
                                 "pin moved: " + pin.pin + " from " + pin.from + " to " + pin.to +
                                     placeText(pin.place),
                                 pin.place);
        out.pin(line, pin.pin);
        line.before.nets.push_back(pin.from);
        line.after.nets.push_back(pin.to);
    }
    for (const PinChange& pin : diff.pinsConnected) {
        DiffLine& line = out.add(
            group, DiffLine::Added,
            "pin connected: " + pin.pin + " to " + pin.to + placeText(pin.place), pin.place);
        out.pin(line, pin.pin);
        line.after.nets.push_back(pin.to);
    }
    for (const PinChange& pin : diff.pinsDisconnected) {
        DiffLine& line = out.add(
            group, DiffLine::Removed,
            "pin disconnected: " + pin.pin + " from " + pin.from + placeText(pin.place), pin.place);
        out.pin(line, pin.pin);
        line.before.nets.push_back(pin.from);
    }
    if (diff.oldPartsNotCompared > 0 || diff.newPartsNotCompared > 0)
        out.add(group, DiffLine::Changed,
                "pins not compared: " + std::to_string(diff.oldPartsNotCompared) + " old and " +
                    std::to_string(diff.newPartsNotCompared) +
                    " new parts have no library part (no library holds " +
                    joined(diff.libraryPartsNotFound, ", ") + ")");
}

} // namespace

std::vector<DiffLine> diffLines(const DesignDiff& diff) {
    LineWriter out(diff);
    configurationLines(diff, out);
    for (const LibraryChange& change : diff.libraryChanges) {
        DiffLine& line = out.add(DiffLine::LibraryParts,
                                 change.kind == LibraryChange::PartAdded     ? DiffLine::Added
                                 : change.kind == LibraryChange::PartRemoved ? DiffLine::Removed
                                                                             : DiffLine::Changed,
                                 libraryChangeText(change));
        for (DiffMentions* side : {&line.before, &line.after}) {
            side->libName = change.libName;
            side->libraryPins = change.pins;
        }
    }
    partLines(diff, out);
    netLines(diff, out);
    pinLines(diff, out);
    return out.lines();
}

} // namespace dovla::model
