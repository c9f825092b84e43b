#include "design_diff.h"

#include <string>
#include <vector>

namespace dovla::model {

std::string diffText(const DesignDiff& diff) {
    std::string out;
    for (const DiffLine& line : diffLines(diff))
        out += reportLine(line.text);
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
