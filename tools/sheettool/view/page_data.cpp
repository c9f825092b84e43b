#include "page_data.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <set>
#include <type_traits>

#include "design_json.h"
#include "json_writer.h"
#include "net_colors.h"
#include "part_names.h"
#include "view_geometry.h"

namespace dovla::sheettool::view {

namespace {

// The rows that make up most of a large design's page are written straight
// into the text, numbers by std::to_chars and texts as the JSON writer
// escapes them: a tree of values for each row would cost more than the
// writing.
void put(std::string& out, std::int64_t value) {
    model::appendNumber(out, value);
}

void put(std::string& out, const std::string& bytes) {
    model::appendJsonText(out, bytes);
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

// One row, [a,b,...], behind the rows already in `rows`. A row of numbers
// alone, which most rows are, is written in a buffer of its own and added
// at once.
template <typename... Values> void row(std::string& rows, const Values&... values) {
    if constexpr ((std::is_integral_v<Values> && ...)) {
        constexpr std::size_t widest = 20; // -9223372036854775808
        char text[2 + sizeof...(Values) * (1 + widest)];
        char* end = text;
        *end++ = rows.empty() ? '[' : ',';
        char separator = '[';
        auto each = [&](std::int64_t value) {
            *end++ = separator;
            separator = ',';
            end = std::to_chars(end, end + widest, value).ptr;
        };
        (each(values), ...);
        *end++ = ']';
        rows.append(text, static_cast<std::size_t>(end - text));
    } else {
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
}

std::int64_t netOf(model::GroupRef group) {
    return group.kind == model::GroupRef::Net ? std::int64_t{group.index} : -1;
}

std::int64_t busGroupOf(model::GroupRef group) {
    return group.kind == model::GroupRef::BusGroup ? std::int64_t{group.index} : -1;
}

// The rows of one sheet, each list a JSON array in the making.
struct SheetRows {
    std::string wires, buses, entries, junctions, labels, tags, parts, pins;
};

// What the rows need beyond the design's own values.
struct Placing {
    std::vector<model::Point> numbers; // per pin
    const std::vector<std::int64_t>& junctionNets;
    std::vector<std::int32_t> tagHalves; // per tag
};

void addItem(const model::Design& design, const Placing& placing, model::ItemRef item,
             SheetRows& rows) {
    switch (item.kind) {
    case model::ItemKind::Pin: {
        const model::Pin& pin = design.pins[item.index];
        model::Point number = placing.numbers[item.index];
        row(rows.pins, item.index, pin.root.x, pin.root.y, pin.end.x, pin.end.y, number.x, number.y,
            netOf(pin.group));
        break;
    }
    case model::ItemKind::Wire: {
        const model::Line& wire = design.wires[item.index];
        row(rows.wires, wire.from.x, wire.from.y, wire.to.x, wire.to.y, netOf(wire.group));
        break;
    }
    case model::ItemKind::Bus: {
        const model::Line& bus = design.buses[item.index];
        row(rows.buses, bus.from.x, bus.from.y, bus.to.x, bus.to.y, busGroupOf(bus.group));
        break;
    }
    case model::ItemKind::BusEntry: {
        const model::BusEntry& entry = design.busEntries[item.index];
        row(rows.entries, entry.at.x, entry.at.y, entry.to.x, entry.to.y, netOf(entry.group),
            busGroupOf(entry.group));
        break;
    }
    case model::ItemKind::Junction: {
        const model::Junction& junction = design.junctions[item.index];
        row(rows.junctions, junction.at.x, junction.at.y, placing.junctionNets[item.index]);
        break;
    }
    case model::ItemKind::Label: {
        const model::Label& label = design.labels[item.index];
        row(rows.labels, label.at.x, label.at.y, label.name, netOf(label.group),
            label.vertical ? 1 : 0, busGroupOf(label.group));
        break;
    }
    case model::ItemKind::Tag: {
        const model::Tag& tag = design.tags[item.index];
        const std::int32_t half = placing.tagHalves[item.index];
        std::int64_t middle = std::int64_t{tag.from.x} + (std::int64_t{tag.to.x} - tag.from.x) / 2;
        row(rows.tags, tagOutline(tag, half), middle, std::int64_t{tag.from.y} + half / 2, tag.name,
            netOf(tag.group), busGroupOf(tag.group), half);
        break;
    }
    }
}

// A sheet's items go into the page as one JSON string: the page reads a
// sheet's items when it draws the sheet, not all of them when it opens.
// Its rows are written into the string as they are, the quotes and
// backslashes of their texts escaped. The texts hold no control bytes
// (their names were escaped) and their other bytes are UTF-8 that a JSON
// string keeps, so this is the string the JSON library would make of them,
// at a fraction of the cost on a sheet's thousands of rows.
void appendEscaped(std::string& out, std::string_view text) {
    std::size_t run = 0; // the start of the run not yet copied
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"' || text[i] == '\\') {
            out.append(text, run, i - run);
            out += '\\';
            run = i;
        }
    }
    out.append(text, run);
}

// One list of a sheet's items in its string, behind `separator`: its rows
// of numbers alone, or of texts too.
void appendItemRows(std::string& out, char separator, const char* key, const std::string& rows,
                    bool texts = false) {
    out += separator;
    out += "\\\"";
    out += key;
    out += "\\\":";
    if (rows.empty())
        out += '[';
    else if (texts)
        appendEscaped(out, rows);
    else
        out += rows;
    out += ']';
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

// Hands the text on once it holds a good piece.
void mayHandOn(std::string& out, const HandOn& handOn) {
    constexpr std::size_t piece = std::size_t{1} << 16;
    if (handOn && out.size() >= piece) {
        handOn(out);
        out.clear();
    }
}

void appendSheets(const model::Design& design, const std::vector<DrawnSheet>& sheets,
                  const std::vector<SheetColors>& colors, const EndNets& ends, std::string& out,
                  const HandOn& handOn) {
    Placing placing{pinNumberPlaces(design), ends.junctions, tagHalfHeights(design)};
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
            addItem(design, placing, item, *sheet);
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
        out += ",\"items\":\"";
        appendItemRows(out, '{', "wires", sheet.wires);
        appendItemRows(out, ',', "buses", sheet.buses);
        appendItemRows(out, ',', "entries", sheet.entries);
        appendItemRows(out, ',', "junctions", sheet.junctions);
        appendItemRows(out, ',', "labels", sheet.labels, true);
        appendItemRows(out, ',', "tags", sheet.tags, true);
        appendItemRows(out, ',', "parts", sheet.parts);
        appendItemRows(out, ',', "pins", sheet.pins);
        out += ",\\\"colors\\\":[";
        for (std::size_t c = 0; c < colors[i].size(); ++c) {
            if (c > 0)
                out += ',';
            put(out, colors[i][c].first);
            out += ",\\\"";
            out += colors[i][c].second;
            out += "\\\"";
        }
        out += "]}\"}";
        sheet = SheetRows();
        mayHandOn(out, handOn);
    }
    out += ']';
}

// A power symbol: a part without a reference whose pins all carry its
// power name.
bool isPowerPart(const model::Design& design, const model::Part& part) {
    if (!part.ref.empty() || part.pins.empty())
        return false;
    for (std::uint32_t pin : part.pins) {
        if (design.pins[pin].listed)
            return false;
    }
    return true;
}

// The sheets on which a net has members, in ascending order.
void writeSheetsOf(model::JsonWriter& json, const model::Design& design, const model::Net& net) {
    std::uint64_t seen = 0;
    for (const model::ItemRef& member : net.members) {
        int sheet = model::sheetOf(design, member);
        if (sheet >= 0 && sheet < sheetSlots)
            seen |= std::uint64_t{1} << sheet;
    }
    json.open('[');
    for (int sheet = 0; sheet < sheetSlots; ++sheet) {
        if (seen >> sheet & 1)
            json.value(sheet);
    }
    json.close(']');
}

// Each bus group: the sheets it is drawn on and the nets that cross it
// through its entries, both ascending.
void appendBusGroups(const model::Design& design, const EndNets& ends, std::string& out) {
    const std::vector<std::int64_t>& entryNet = ends.entries;
    std::vector<std::set<std::int64_t>> nets(design.busGroups.size());
    std::vector<std::set<int>> sheets(design.busGroups.size());
    for (const model::Line& bus : design.buses) {
        if (bus.group.kind == model::GroupRef::BusGroup)
            sheets[bus.group.index].insert(bus.sheet);
    }
    for (std::size_t i = 0; i < design.busEntries.size(); ++i) {
        const model::BusEntry& entry = design.busEntries[i];
        if (entry.group.kind != model::GroupRef::BusGroup)
            continue;
        sheets[entry.group.index].insert(entry.sheet);
        if (entryNet[i] >= 0)
            nets[entry.group.index].insert(entryNet[i]);
    }
    std::string rows;
    for (std::size_t g = 0; g < design.busGroups.size(); ++g)
        row(rows, std::vector<std::int64_t>(sheets[g].begin(), sheets[g].end()),
            std::vector<std::int64_t>(nets[g].begin(), nets[g].end()));
    appendRows(out, "busGroups", rows);
}

} // namespace

std::string pageData(const model::Design& design, const std::vector<model::Finding>& findings,
                     const std::string& title, PageUse use, const HandOn& handOn) {
    std::vector<DrawnSheet> sheets = drawnSheets(design);
    std::vector<SheetColors> colors = colorNets(design, sheets);
    // A net's colour in the lists: its colour on the first sheet it has
    // lines on; none for a net without lines (the page greys it).
    std::vector<std::string> listColor(design.nets.size());
    for (auto sheet = colors.rbegin(); sheet != colors.rend(); ++sheet) {
        for (const auto& [net, color] : *sheet)
            listColor[net] = color;
    }
    std::string out = "{\"title\":";
    put(out, title);
    out += ',';
    EndNets ends = endNets(design);
    appendSheets(design, sheets, colors, ends, out, handOn);
    model::JsonWriter json(out, true);
    json.key("nets").open('[');
    for (const model::Net& net : design.nets) {
        json.open('{')
            .text("key", net.key)
            .text("names", net.nameLine)
            .text("color", listColor[&net - design.nets.data()])
            .key("pins")
            .open('[');
        for (const model::ItemRef& member : net.members) {
            if (member.kind == model::ItemKind::Pin && design.pins[member.index].listed)
                json.value(member.index);
        }
        json.close(']').key("sheets");
        writeSheetsOf(json, design, net);
        json.close('}');
        mayHandOn(out, handOn);
    }
    json.close(']');
    const bool view = use == PageUse::View;
    std::vector<std::string> links = view ? partLinks(design) : std::vector<std::string>();
    json.key("parts").open('[');
    for (const model::Part& part : design.parts) {
        json.open('{');
        if (view)
            json.text("ref", part.ref);
        json.text("label", blockName(part));
        if (view)
            json.text("link", links[&part - design.parts.data()]);
        json.text("name", part.name).text("lib", part.libName);
        if (view)
            json.flag("found", part.found);
        json.flag("power", isPowerPart(design, part)).number("sheet", part.sheet);
        if (view)
            json.number("block", part.block).number("blocks", part.blockCount);
        json.key("pins").open('[');
        for (std::uint32_t pin : part.pins)
            json.value(pin);
        json.close(']').close('}');
        mayHandOn(out, handOn);
    }
    json.close(']');
    std::string pins;
    for (const model::Pin& pin : design.pins)
        row(pins, model::pinKey(design, pin), pinNumberText(pin), pin.sheet, pin.part,
            netOf(pin.group), pin.name);
    appendRows(out, "pins", pins);
    mayHandOn(out, handOn);
    appendBusGroups(design, ends, out);
    json.key("findings").open('[');
    for (const model::Finding& finding : findings)
        json.open('{')
            .number("sheet", finding.sheet)
            .point("at", finding.at)
            .text("kind", model::findingName(finding.kind))
            .text("severity", model::severityName(model::checkType(finding.kind).severity))
            .text("message", finding.message)
            .close('}');
    json.close(']');
    out += '}';
    return out;
}

} // namespace dovla::sheettool::view
