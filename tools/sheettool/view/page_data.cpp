#include "page_data.h"

#include <array>
#include <charconv>
#include <cstdint>

#include "design_json.h"
#include "view_geometry.h"

namespace dovla::sheettool::view {

namespace {

using model::Json;

// The rows that make up most of a large design's page are written straight
// into the text, numbers by std::to_chars and texts escaped by the JSON
// library: a tree of values for each row would cost more than the writing.
void put(std::string& out, std::int64_t value) {
    char digits[24];
    out.append(digits, std::to_chars(digits, digits + sizeof digits, value).ptr);
}

void put(std::string& out, const std::string& bytes) {
    out += Json(model::jsonString(bytes)).dump();
}

void put(std::string& out, const std::vector<std::int64_t>& values) {
    out += '[';
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0)
            out += ',';
        put(out, values[i]);
    }
    out += ']';
}

// One row, [a,b,...], behind the rows already in `rows`.
template <typename... Values> void row(std::string& rows, const Values&... values) {
    rows += rows.empty() ? '[' : ',';
    bool first = true;
    auto each = [&](const auto& value) {
        rows += first ? '[' : ',';
        first = false;
        put(rows, value);
    };
    (each(values), ...);
    rows += ']';
}

std::int64_t netOf(model::GroupRef group) {
    return group.kind == model::GroupRef::Net ? std::int64_t{group.index} : -1;
}

// The rows of one sheet, each list a JSON array in the making.
struct SheetRows {
    std::string wires, buses, entries, junctions, labels, tags, parts, pins;
};

void addLine(std::string& rows, const model::Line& line) {
    row(rows, line.from.x, line.from.y, line.to.x, line.to.y, netOf(line.group));
}

void addItem(const model::Design& design, model::ItemRef item, SheetRows& rows) {
    switch (item.kind) {
    case model::ItemKind::Pin: {
        const model::Pin& pin = design.pins[item.index];
        model::Point number = pinNumberAt(pin);
        row(rows.pins, item.index, pin.root.x, pin.root.y, pin.end.x, pin.end.y, number.x, number.y,
            netOf(pin.group));
        break;
    }
    case model::ItemKind::Wire:
        addLine(rows.wires, design.wires[item.index]);
        break;
    case model::ItemKind::Bus:
        addLine(rows.buses, design.buses[item.index]);
        break;
    case model::ItemKind::BusEntry: {
        const model::BusEntry& entry = design.busEntries[item.index];
        row(rows.entries, entry.at.x, entry.at.y, entry.to.x, entry.to.y, netOf(entry.group));
        break;
    }
    case model::ItemKind::Junction: {
        const model::Junction& junction = design.junctions[item.index];
        row(rows.junctions, junction.at.x, junction.at.y);
        break;
    }
    case model::ItemKind::Label: {
        const model::Label& label = design.labels[item.index];
        row(rows.labels, label.at.x, label.at.y, label.name, netOf(label.group),
            label.vertical ? 1 : 0);
        break;
    }
    case model::ItemKind::Tag: {
        const model::Tag& tag = design.tags[item.index];
        std::int64_t middle = std::int64_t{tag.from.x} + (std::int64_t{tag.to.x} - tag.from.x) / 2;
        row(rows.tags, tagOutline(tag), middle, std::int64_t{tag.from.y} + 4, tag.name,
            netOf(tag.group));
        break;
    }
    }
}

void appendRows(std::string& out, const char* key, const std::string& rows) {
    out += ",\"";
    out += key;
    out += "\":";
    out += rows.empty() ? "[" : rows;
    out += ']';
}

void appendBox(std::string& out, const char* key, const Box& box) {
    out += ",\"";
    out += key;
    out += "\":";
    put(out, std::vector<std::int64_t>{box.minX, box.minY, box.maxX, box.maxY});
}

void appendSheets(const model::Design& design, std::string& out) {
    std::vector<DrawnSheet> sheets = drawnSheets(design);
    std::array<int, sheetSlots> slot;
    slot.fill(-1);
    for (std::size_t i = 0; i < sheets.size(); ++i)
        slot[sheets[i].number] = static_cast<int>(i);
    std::vector<SheetRows> rows(sheets.size());
    auto rowsOf = [&](int sheet) -> SheetRows* {
        int index = sheet >= 0 && sheet < sheetSlots ? slot[sheet] : -1;
        return index >= 0 ? &rows[index] : nullptr;
    };
    for (const model::ItemRef& item : design.items) {
        if (SheetRows* sheet = rowsOf(model::sheetOf(design, item)))
            addItem(design, item, *sheet);
    }
    for (std::uint32_t i = 0; i < design.parts.size(); ++i) {
        const model::Part& part = design.parts[i];
        Box body = bodyOf(part);
        if (SheetRows* sheet = rowsOf(part.sheet))
            row(sheet->parts, i, body.minX, body.minY, body.maxX, body.maxY, part.found ? 1 : 0);
    }
    out += "\"sheets\":[";
    for (std::size_t i = 0; i < sheets.size(); ++i) {
        SheetRows& sheet = rows[i];
        if (i > 0)
            out += ',';
        out += "{\"number\":";
        put(out, sheets[i].number);
        appendBox(out, "paper", sheets[i].paper);
        appendBox(out, "extent", sheets[i].extent);
        appendRows(out, "wires", sheet.wires);
        appendRows(out, "buses", sheet.buses);
        appendRows(out, "entries", sheet.entries);
        appendRows(out, "junctions", sheet.junctions);
        appendRows(out, "labels", sheet.labels);
        appendRows(out, "tags", sheet.tags);
        appendRows(out, "parts", sheet.parts);
        appendRows(out, "pins", sheet.pins);
        out += '}';
        sheet = SheetRows();
    }
    out += ']';
}

// The sheets on which a net has members, in ascending order.
Json::array_t sheetsOf(const model::Design& design, const model::Net& net) {
    std::uint64_t seen = 0;
    for (const model::ItemRef& member : net.members) {
        int sheet = model::sheetOf(design, member);
        if (sheet >= 0 && sheet < sheetSlots)
            seen |= std::uint64_t{1} << sheet;
    }
    Json::array_t sheets;
    for (int sheet = 0; sheet < sheetSlots; ++sheet) {
        if (seen >> sheet & 1)
            sheets.emplace_back(sheet);
    }
    return sheets;
}

Json text(const std::string& bytes) {
    return model::jsonString(bytes);
}

} // namespace

std::string pageData(const model::Design& design, const std::vector<model::Finding>& findings,
                     const std::string& title) {
    std::string out = "{\"title\":";
    put(out, title);
    out += ',';
    appendSheets(design, out);
    model::appendJsonList(out, "nets", design.nets, [&](const model::Net& net) {
        Json::array_t pins;
        for (const model::ItemRef& member : net.members) {
            if (member.kind == model::ItemKind::Pin && design.pins[member.index].listed)
                pins.emplace_back(member.index);
        }
        return Json{{"key", text(net.key)},
                    {"names", text(net.nameLine)},
                    {"color", netColor(net.key)},
                    {"pins", std::move(pins)},
                    {"sheets", sheetsOf(design, net)}};
    });
    model::appendJsonList(out, "parts", design.parts, [](const model::Part& part) {
        return Json{{"ref", text(part.ref)},     {"name", text(part.name)},
                    {"lib", text(part.libName)}, {"found", part.found},
                    {"sheet", part.sheet},       {"block", part.block},
                    {"blocks", part.blockCount}, {"pins", part.pins}};
    });
    std::string pins;
    for (const model::Pin& pin : design.pins)
        row(pins, model::pinKey(design, pin), model::shownPin(pin), pin.number, pin.sheet, pin.part,
            netOf(pin.group));
    appendRows(out, "pins", pins);
    model::appendJsonList(out, "findings", findings, [](const model::Finding& finding) {
        return Json{{"sheet", finding.sheet},
                    {"at", model::pointJson(finding.at)},
                    {"kind", model::findingName(finding.kind)},
                    {"severity", model::severityName(model::checkType(finding.kind).severity)},
                    {"message", text(finding.message)}};
    });
    out += '}';
    return out;
}

} // namespace dovla::sheettool::view
