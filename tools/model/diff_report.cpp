#include "design_diff.h"

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

// What the revisions were read with, where it differs or explains.
void configurationText(const DesignDiff& diff, std::string& out) {
    const Configuration& configuration = diff.configuration;
    if (configuration.oldLibraries != configuration.newLibraries)
        out += reportLine("libraries: old " + joined(configuration.oldLibraries, ", ") + "; new " +
                          joined(configuration.newLibraries, ", "));
    else if (configuration.configurationsDiffer)
        out += reportLine("configuration: TAVEL.INI changed, the same libraries");
    const bool librariesChanged = configuration.oldLibraries != configuration.newLibraries ||
                                  configuration.configurationsDiffer ||
                                  !diff.libraryChanges.empty();
    if (configuration.sheetsIdentical && librariesChanged)
        out += reportLine("sheets: identical, every change comes from the libraries");
}

} // namespace

std::string diffText(const DesignDiff& diff) {
    std::string out;
    auto line = [&](const std::string& text) { out += reportLine(text); };
    configurationText(diff, out);
    for (const LibraryChange& change : diff.libraryChanges)
        line(libraryChangeText(change));
    // An added or removed part's pins follow it, each with its net.
    auto pins = [&](const PartChange& part, const std::string& on) {
        for (const PartPin& pin : part.pins)
            line("    " + pin.pin + on + (pin.net.empty() ? "no net" : pin.net));
    };
    for (const PartChange& part : diff.partsAdded) {
        line("part added: " + partText(part) + placeText(part.place));
        pins(part, " on ");
    }
    for (const PartChange& part : diff.partsRemoved) {
        line("part removed: " + partText(part) + placeText(part.place, true));
        pins(part, " was on ");
    }
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
        line("power symbols: " + counts + " on sheet " + std::to_string(sheet));
    }
    for (const PartChange& part : diff.partsRenamed)
        line("part renamed: " + part.oldRef + " -> " + partText(part) + placeText(part.place));
    for (const PartChange& part : diff.partsChanged)
        line("part changed: " + changedText(part) + placeText(part.place));
    for (const NetChange& net : diff.netsAdded)
        line("net added: " + net.key + " with " + joined(net.pins, ", ") + placeText(net.place));
    for (const NetChange& net : diff.netsRemoved)
        line("net removed: " + net.key + " with " + joined(net.pins, ", ") +
             placeText(net.place, true));
    for (const NetChange& net : diff.netsRenamed)
        line("net renamed: " + net.oldKey + " -> " + net.key + placeText(net.place));
    // A merge's or split's pins follow it, each with its old and new net.
    auto flowPins = [&](const NetFlow& flow) {
        for (const PinChange& pin : flow.pins)
            line("    " + pin.pin + " from " + pin.from + " to " + pin.to);
    };
    for (const NetFlow& flow : diff.netsMerged) {
        line("nets merged: " + joined(flow.from, ", ") + " into " +
             (flow.newNet ? "new net " : "") + flow.into[0] + placeText(flow.place));
        flowPins(flow);
    }
    for (const NetFlow& flow : diff.netsSplit) {
        line("net split: " + flow.from[0] + " into " + joined(flow.into, ", ") +
             placeText(flow.place));
        flowPins(flow);
    }
    for (const PinChange& pin : diff.pinsMoved)
        line("pin moved: " + pin.pin + " from " + pin.from + " to " + pin.to +
             placeText(pin.place));
    for (const PinChange& pin : diff.pinsConnected)
        line("pin connected: " + pin.pin + " to " + pin.to + placeText(pin.place));
    for (const PinChange& pin : diff.pinsDisconnected)
        line("pin disconnected: " + pin.pin + " from " + pin.from + placeText(pin.place));
    if (diff.oldPartsNotCompared > 0 || diff.newPartsNotCompared > 0)
        line("pins not compared: " + std::to_string(diff.oldPartsNotCompared) + " old and " +
             std::to_string(diff.newPartsNotCompared) +
             " new parts have no library part (no library holds " +
             joined(diff.libraryPartsNotFound, ", ") + ")");
    return out;
}

namespace {

Json placeJson(const DiffPlace& place) {
    return Json{{"sheet", place.sheet}, {"at", pointJson(place.at)}};
}

Json stringsJson(const std::vector<std::string>& items) {
    Json list = Json::array();
    for (const std::string& item : items)
        list.push_back(jsonString(item));
    return list;
}

Json partJson(const PartChange& part, bool changed) {
    Json out{{"ref", jsonString(part.ref)},
             {"block", part.block},
             {"name", jsonString(part.name)},
             {"libName", jsonString(part.libName)},
             {"blockCount", part.blockCount}};
    if (changed)
        out["was"] = Json{{"name", jsonString(part.oldName)},
                          {"libName", jsonString(part.oldLibName)},
                          {"blockCount", part.oldBlockCount}};
    out["place"] = placeJson(part.place);
    if (!changed) {
        Json pins = Json::array();
        for (const PartPin& pin : part.pins)
            pins.push_back(
                Json{{"pin", jsonString(pin.pin)},
                     {"net", pin.net.empty() ? Json(nullptr) : Json(jsonString(pin.net))}});
        out["pins"] = pins;
    }
    return out;
}

Json pinJson(const PinChange& pin) {
    Json out{{"pin", jsonString(pin.pin)}};
    out["from"] = pin.from.empty() ? Json(nullptr) : Json(jsonString(pin.from));
    out["to"] = pin.to.empty() ? Json(nullptr) : Json(jsonString(pin.to));
    out["place"] = placeJson(pin.place);
    return out;
}

Json flowJson(const NetFlow& flow) {
    Json pins = Json::array();
    for (const PinChange& pin : flow.pins)
        pins.push_back(pinJson(pin));
    return Json{{"from", stringsJson(flow.from)}, {"into", stringsJson(flow.into)},
                {"newNet", flow.newNet},          {"gone", flow.gone},
                {"place", placeJson(flow.place)}, {"pins", pins}};
}

const char* const libraryChangeKinds[] = {"partAdded",   "partRemoved", "source",       "blocks",
                                          "body",        "pinAdded",    "pinRemoved",   "pinMoved",
                                          "pinsSwapped", "pinRenamed",  "pinRenumbered"};

Json libraryChangeJson(const LibraryChange& change) {
    Json out{{"libName", jsonString(change.libName)},
             {"kind", libraryChangeKinds[change.kind]},
             {"pins", stringsJson(change.pins)}};
    out["from"] = change.from.empty() ? Json(nullptr) : Json(jsonString(change.from));
    out["to"] = change.to.empty() ? Json(nullptr) : Json(jsonString(change.to));
    return out;
}

Json configurationJson(const Configuration& configuration) {
    return Json{{"oldLibraries", stringsJson(configuration.oldLibraries)},
                {"newLibraries", stringsJson(configuration.newLibraries)},
                {"configurationsDiffer", configuration.configurationsDiffer},
                {"sheetsIdentical", configuration.sheetsIdentical}};
}

template <typename List, typename ToJson> Json listJson(const List& list, ToJson toJson) {
    Json out = Json::array();
    for (const auto& element : list)
        out.push_back(toJson(element));
    return out;
}

} // namespace

Json diffJson(const DesignDiff& diff, const std::string& oldPath, const std::string& newPath) {
    auto part = [](bool changed) {
        return [changed](const PartChange& c) { return partJson(c, changed); };
    };
    auto net = [](const NetChange& c) {
        return Json{{"key", jsonString(c.key)},
                    {"pins", stringsJson(c.pins)},
                    {"place", placeJson(c.place)}};
    };
    auto renamed = [](const NetChange& c) {
        return Json{{"from", jsonString(c.oldKey)},
                    {"to", jsonString(c.key)},
                    {"place", placeJson(c.place)}};
    };
    return Json{{"format", jsonFormat},
                {"old", jsonString(oldPath)},
                {"new", jsonString(newPath)},
                {"changed", !diff.empty()},
                {"configuration", configurationJson(diff.configuration)},
                {"libraryChanges", listJson(diff.libraryChanges, libraryChangeJson)},
                {"partsNotCompared",
                 Json{{"old", diff.oldPartsNotCompared},
                      {"new", diff.newPartsNotCompared},
                      {"libraryPartsNotFound", stringsJson(diff.libraryPartsNotFound)}}},
                {"partsAdded", listJson(diff.partsAdded, part(false))},
                {"partsRemoved", listJson(diff.partsRemoved, part(false))},
                {"partsChanged", listJson(diff.partsChanged, part(true))},
                {"partsRenamed", listJson(diff.partsRenamed,
                                          [](const PartChange& c) {
                                              Json out = partJson(c, false);
                                              out.erase("pins");
                                              out["was"] = Json{{"ref", jsonString(c.oldRef)}};
                                              return out;
                                          })},
                {"powerSymbols", listJson(diff.powerSymbols,
                                          [](const PowerSymbols& symbols) {
                                              return Json{{"sheet", symbols.sheet},
                                                          {"name", jsonString(symbols.name)},
                                                          {"added", symbols.added},
                                                          {"removed", symbols.removed}};
                                          })},
                {"netsAdded", listJson(diff.netsAdded, net)},
                {"netsRemoved", listJson(diff.netsRemoved, net)},
                {"netsRenamed", listJson(diff.netsRenamed, renamed)},
                {"netsMerged", listJson(diff.netsMerged, flowJson)},
                {"netsSplit", listJson(diff.netsSplit, flowJson)},
                {"pinsMoved", listJson(diff.pinsMoved, pinJson)},
                {"pinsConnected", listJson(diff.pinsConnected, pinJson)},
                {"pinsDisconnected", listJson(diff.pinsDisconnected, pinJson)}};
}

} // namespace dovla::model
