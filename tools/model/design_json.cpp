#include "design_json.h"

#include "json_writer.h"

namespace dovla::model {

std::string jsonString(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (unsigned char byte : bytes) {
        if (byte < 0x80) {
            text += static_cast<char>(byte);
        } else {
            text += static_cast<char>(0xC0 | byte >> 6);
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string bytesOf(const std::string& jsonString) {
    std::string bytes;
    for (std::size_t i = 0; i < jsonString.size(); ++i) {
        auto byte = static_cast<unsigned char>(jsonString[i]);
        if ((byte == 0xC2 || byte == 0xC3) && i + 1 < jsonString.size()) {
            bytes += static_cast<char>((byte & 0x03) << 6 | (jsonString[++i] & 0x3F));
        } else {
            bytes += static_cast<char>(byte);
        }
    }
    return bytes;
}

const char* kindName(ItemKind kind) {
    switch (kind) {
    case ItemKind::Pin:
        return "pin";
    case ItemKind::Wire:
        return "wire";
    case ItemKind::Bus:
        return "bus";
    case ItemKind::BusEntry:
        return "busEntry";
    case ItemKind::Junction:
        return "junction";
    case ItemKind::Label:
        return "label";
    case ItemKind::Tag:
        return "tag";
    }
    return "";
}

Json pointJson(Point point) {
    return Json::array_t{Json(point.x), Json(point.y)};
}

namespace {

// The group fields of an item: its net and its bus group, each an index or
// null.
void writeGroup(JsonWriter& json, GroupRef group) {
    json.key("net");
    group.kind == GroupRef::Net ? json.value(group.index) : json.null();
    json.key("busGroup");
    group.kind == GroupRef::BusGroup ? json.value(group.index) : json.null();
}

void writeMembers(JsonWriter& json, const std::vector<ItemRef>& members) {
    json.open('[');
    for (const ItemRef& member : members)
        json.open('[').bytes(kindName(member.kind)).value(member.index).close(']');
    json.close(']');
}

void writeLine(JsonWriter& json, const Line& line) {
    json.open('{').number("sheet", line.sheet).point("from", line.from);
    json.point("to", line.to);
    writeGroup(json, line.group);
    json.close('}');
}

void writePart(JsonWriter& json, const Part& part) {
    json.open('{')
        .text("ref", part.ref)
        .text("name", part.name)
        .text("libName", part.libName)
        .number("block", part.block)
        .number("blockCount", part.blockCount)
        .flag("found", part.found)
        .flag("pinsPlaced", part.pinsPlaced)
        .number("sheet", part.sheet)
        .point("origin", part.origin)
        .number("placement", part.placement)
        .key("body")
        .open('[')
        .point(part.bodyMin)
        .point(part.bodyMax)
        .close(']')
        .key("pins")
        .open('[');
    for (std::uint32_t pin : part.pins)
        json.value(pin);
    json.close(']').close('}');
}

void writePin(JsonWriter& json, const Design& design, const Pin& pin) {
    json.open('{')
        .number("part", pin.part)
        .text("key", pinKey(design, pin))
        .number("number", pin.number)
        .text("letter", pin.letter != 0 ? std::string(1, pin.letter) : std::string())
        .text("name", pin.name)
        .text("text", pin.text)
        .number("sheet", pin.sheet)
        .point("end", pin.end)
        .point("root", pin.root)
        .flag("listed", pin.listed);
    writeGroup(json, pin.group);
    json.close('}');
}

void writeNet(JsonWriter& json, const Design& design, const Net& net) {
    json.open('{').text("key", net.key).key("names").open('[');
    for (const NetName& name : net.names)
        json.open('{')
            .text("text", name.text)
            .text("kind", kindName(name.source.kind))
            .number("index", name.source.index)
            .flag("power", name.power)
            .close('}');
    json.close(']')
        .text("nameLine", net.nameLine)
        .flag("written", net.written)
        .text("packageName", net.packageName)
        .key("pins")
        .open('[');
    for (const ItemRef& member : net.members) {
        if (member.kind == ItemKind::Pin && design.pins[member.index].listed)
            json.value(member.index);
    }
    json.close(']').key("members");
    writeMembers(json, net.members);
    json.close('}');
}

void writeFinding(JsonWriter& json, const Finding& finding) {
    json.open('{')
        .text("kind", findingName(finding.kind))
        .text("severity", severityName(checkType(finding.kind).severity))
        .number("sheet", finding.sheet)
        .point("at", finding.at)
        .text("message", finding.message)
        .key("subjects")
        .open('[');
    for (const std::string& subject : finding.subjects)
        json.bytes(subject);
    json.close(']').close('}');
}

// ,"key":[...] with each element written by write(json, element).
template <typename List, typename Write>
void writeList(JsonWriter& json, JsonWriter::Key key, const List& list, Write write) {
    json.key(key).open('[');
    for (const auto& element : list)
        write(json, element);
    json.close(']');
}

} // namespace

Json configurationJson(const Design& design) {
    return design.configuration.empty() ? Json(nullptr) : Json(jsonString(design.configuration));
}

Json librariesJson(const Design& design) {
    Json libraries = Json::array();
    for (const std::string& library : design.libraries)
        libraries.push_back(jsonString(library));
    return libraries;
}

namespace {

void writeDesign(JsonWriter& json, const Design& design, const std::vector<Finding>& findings) {
    json.open('{').number("format", jsonFormat).text("sheetFile", design.sheetPath);
    json.key("options").open('{').flag("implicitPowerNames", design.options.implicitPowerNames);
    json.key("powerNames").open('[');
    for (const std::string& name : design.options.powerNames)
        json.bytes(name);
    json.close(']').number("scanStep", design.options.scanStep).close('}');
    json.key("configuration");
    design.configuration.empty() ? json.null() : json.bytes(design.configuration);
    json.key("libraries").open('[');
    for (const std::string& library : design.libraries)
        json.bytes(library);
    json.close(']');

    writeList(json, "sheets", design.sheets, [](JsonWriter& json, const Sheet& sheet) {
        json.open('{')
            .number("number", sheet.number)
            .number("sizeCode", sheet.sizeCode)
            .number("width", sheet.width)
            .number("height", sheet.height)
            .close('}');
    });
    writeList(json, "parts", design.parts, writePart);
    writeList(json, "pins", design.pins,
              [&](JsonWriter& json, const Pin& pin) { writePin(json, design, pin); });
    writeList(json, "wires", design.wires, writeLine);
    // Only a design of wires crowded along a line leaves pieces out; every
    // other design's JSON reads as it did before pieces could be.
    if (design.wirePiecesLeftOut > 0)
        json.number("wirePiecesLeftOut", design.wirePiecesLeftOut);
    writeList(json, "buses", design.buses, writeLine);
    writeList(json, "busEntries", design.busEntries, [](JsonWriter& json, const BusEntry& entry) {
        json.open('{')
            .number("sheet", entry.sheet)
            .point("at", entry.at)
            .point("to", entry.to)
            .flag("wireEntry", entry.wireEntry)
            .flag("joinedAt", entry.joinedAt)
            .flag("joinedTo", entry.joinedTo);
        writeGroup(json, entry.group);
        json.close('}');
    });
    writeList(json, "junctions", design.junctions, [](JsonWriter& json, const Junction& junction) {
        json.open('{').number("sheet", junction.sheet).point("at", junction.at).close('}');
    });
    writeList(json, "labels", design.labels, [](JsonWriter& json, const Label& label) {
        json.open('{')
            .number("sheet", label.sheet)
            .point("at", label.at)
            .text("name", label.name)
            .flag("vertical", label.vertical);
        writeGroup(json, label.group);
        json.close('}');
    });
    writeList(json, "tags", design.tags, [](JsonWriter& json, const Tag& tag) {
        json.open('{')
            .number("sheet", tag.sheet)
            .point("from", tag.from)
            .point("to", tag.to)
            .text("name", tag.name);
        writeGroup(json, tag.group);
        json.close('}');
    });
    writeList(json, "nets", design.nets,
              [&](JsonWriter& json, const Net& net) { writeNet(json, design, net); });
    writeList(json, "busGroups", design.busGroups, [](JsonWriter& json, const BusGroup& group) {
        json.open('{').key("members");
        writeMembers(json, group.members);
        json.close('}');
    });
    writeList(json, "findings", findings, writeFinding);
    json.close('}');
}

} // namespace

void appendDesignJson(const Design& design, const std::vector<Finding>& findings,
                      std::string& out) {
    JsonWriter json(out);
    writeDesign(json, design, findings);
    out += '\n';
}

bool writeDesignJson(std::FILE* file, const Design& design, const std::vector<Finding>& findings) {
    std::string piece;
    JsonWriter json(piece, file);
    writeDesign(json, design, findings);
    piece += '\n';
    return json.finish();
}

Json findingJson(const Finding& finding) {
    Json subjects = Json::array();
    for (const std::string& subject : finding.subjects)
        subjects.push_back(jsonString(subject));
    return Json{{"kind", findingName(finding.kind)},
                {"severity", severityName(checkType(finding.kind).severity)},
                {"sheet", finding.sheet},
                {"at", pointJson(finding.at)},
                {"message", jsonString(finding.message)},
                {"subjects", std::move(subjects)}};
}

Json findingsJson(const std::vector<Finding>& findings) {
    Json list = Json::array();
    for (const Finding& finding : findings)
        list.push_back(findingJson(finding));
    return list;
}

} // namespace dovla::model
