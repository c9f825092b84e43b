#include "design_json.h"

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

// An object of fields given once each, built without searching its keys
// and without growing: the design's JSON holds some hundred thousand.
class Fields {
  public:
    explicit Fields(std::size_t count) : json_(Json::value_t::object) { object().reserve(count); }
    template <typename Value> Fields& add(const char* key, Value&& value) {
        object().emplace_back(key, Json(std::forward<Value>(value)));
        return *this;
    }
    Json take() { return std::move(json_); }

  private:
    Json::object_t& object() { return json_.get_ref<Json::object_t&>(); }
    Json json_;
};

// The group fields of an item: its net and its bus group, each an index or
// null.
void addGroup(Fields& fields, GroupRef group) {
    fields.add("net", group.kind == GroupRef::Net ? Json(group.index) : Json(nullptr));
    fields.add("busGroup", group.kind == GroupRef::BusGroup ? Json(group.index) : Json(nullptr));
}

Json membersJson(const std::vector<ItemRef>& members) {
    Json::array_t list;
    list.reserve(members.size());
    for (const ItemRef& member : members)
        list.emplace_back(Json::array_t{Json(kindName(member.kind)), Json(member.index)});
    return list;
}

Json lineJson(const Line& line) {
    Fields fields(5);
    fields.add("sheet", line.sheet).add("from", pointJson(line.from)).add("to", pointJson(line.to));
    addGroup(fields, line.group);
    return fields.take();
}

Json partJson(const Part& part) {
    return Fields(12)
        .add("ref", jsonString(part.ref))
        .add("name", jsonString(part.name))
        .add("libName", jsonString(part.libName))
        .add("block", part.block)
        .add("blockCount", part.blockCount)
        .add("found", part.found)
        .add("pinsPlaced", part.pinsPlaced)
        .add("sheet", part.sheet)
        .add("origin", pointJson(part.origin))
        .add("placement", part.placement)
        .add("body", Json::array_t{pointJson(part.bodyMin), pointJson(part.bodyMax)})
        .add("pins", part.pins)
        .take();
}

Json pinJson(const Design& design, const Pin& pin) {
    Fields fields(12);
    fields.add("part", pin.part)
        .add("key", jsonString(pinKey(design, pin)))
        .add("number", pin.number)
        .add("letter", pin.letter != 0 ? std::string(1, pin.letter) : std::string())
        .add("name", jsonString(pin.name))
        .add("text", jsonString(pin.text))
        .add("sheet", pin.sheet)
        .add("end", pointJson(pin.end))
        .add("root", pointJson(pin.root))
        .add("listed", pin.listed);
    addGroup(fields, pin.group);
    return fields.take();
}

Json netJson(const Design& design, const Net& net) {
    Json::array_t names;
    for (const NetName& name : net.names)
        names.emplace_back(Fields(4)
                               .add("text", jsonString(name.text))
                               .add("kind", kindName(name.source.kind))
                               .add("index", name.source.index)
                               .add("power", name.power)
                               .take());
    Json::array_t pins;
    for (const ItemRef& member : net.members) {
        if (member.kind == ItemKind::Pin && design.pins[member.index].listed)
            pins.emplace_back(member.index);
    }
    return Fields(7)
        .add("key", jsonString(net.key))
        .add("names", std::move(names))
        .add("nameLine", jsonString(net.nameLine))
        .add("written", net.written)
        .add("packageName", jsonString(net.packageName))
        .add("pins", std::move(pins))
        .add("members", membersJson(net.members))
        .take();
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

void appendDesignJson(const Design& design, const std::vector<Finding>& findings,
                      std::string& out) {
    Json head;
    head["format"] = jsonFormat;
    head["sheetFile"] = jsonString(design.sheetPath);
    Json powerNames = Json::array();
    for (const std::string& name : design.options.powerNames)
        powerNames.push_back(jsonString(name));
    head["options"] = Json{{"implicitPowerNames", design.options.implicitPowerNames},
                           {"powerNames", powerNames},
                           {"scanStep", design.options.scanStep}};
    head["configuration"] = configurationJson(design);
    head["libraries"] = librariesJson(design);
    std::string opening = head.dump();
    opening.pop_back(); // the lists follow inside the same object
    out += opening;

    appendJsonList(out, "sheets", design.sheets, [](const Sheet& sheet) {
        return Json{{"number", sheet.number},
                    {"sizeCode", sheet.sizeCode},
                    {"width", sheet.width},
                    {"height", sheet.height}};
    });
    appendJsonList(out, "parts", design.parts, partJson);
    appendJsonList(out, "pins", design.pins, [&](const Pin& pin) { return pinJson(design, pin); });
    appendJsonList(out, "wires", design.wires, lineJson);
    appendJsonList(out, "buses", design.buses, lineJson);
    appendJsonList(out, "busEntries", design.busEntries, [](const BusEntry& entry) {
        Fields fields(8);
        fields.add("sheet", entry.sheet)
            .add("at", pointJson(entry.at))
            .add("to", pointJson(entry.to))
            .add("wireEntry", entry.wireEntry)
            .add("joinedAt", entry.joinedAt)
            .add("joinedTo", entry.joinedTo);
        addGroup(fields, entry.group);
        return fields.take();
    });
    appendJsonList(out, "junctions", design.junctions, [](const Junction& junction) {
        return Json{{"sheet", junction.sheet}, {"at", pointJson(junction.at)}};
    });
    appendJsonList(out, "labels", design.labels, [](const Label& label) {
        Fields fields(6);
        fields.add("sheet", label.sheet)
            .add("at", pointJson(label.at))
            .add("name", jsonString(label.name))
            .add("vertical", label.vertical);
        addGroup(fields, label.group);
        return fields.take();
    });
    appendJsonList(out, "tags", design.tags, [](const Tag& tag) {
        Fields fields(6);
        fields.add("sheet", tag.sheet)
            .add("from", pointJson(tag.from))
            .add("to", pointJson(tag.to))
            .add("name", jsonString(tag.name));
        addGroup(fields, tag.group);
        return fields.take();
    });
    appendJsonList(out, "nets", design.nets, [&](const Net& net) { return netJson(design, net); });
    appendJsonList(out, "busGroups", design.busGroups, [](const BusGroup& group) {
        return Json{{"members", membersJson(group.members)}};
    });
    appendJsonList(out, "findings", findings, findingJson);
    out += "}\n";
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
