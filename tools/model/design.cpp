#include "design.h"

#include "sheet/sheet_format.h"

namespace dovla::model {

std::string pinKey(const Design& design, const Pin& pin) {
    std::string key = design.parts[pin.part].ref + ".";
    if (pin.letter != 0)
        key += pin.letter;
    return key + std::to_string(pin.number);
}

std::string shownPin(const Pin& pin) {
    std::string shown;
    appendShownPin(shown, pin);
    return shown;
}

void appendShownPin(std::string& out, const Pin& pin) {
    const std::string& text = pin.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ':' && i + 1 < text.size() && text[i + 1] == '\t') {
            out += ' ';
            ++i;
        } else if (text[i] != '\t') {
            out += text[i];
        }
    }
}

std::string reportLine(std::string_view text) {
    std::string line;
    line.reserve(text.size() + 1);
    appendReportLine(line, text);
    return line;
}

void appendReportLine(std::string& out, std::string_view text) {
    std::size_t plain = 0; // the start of the printable run not yet copied
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte != 0x7F)
            continue;
        static const char digits[] = "0123456789abcdef";
        out.append(text, plain, i - plain);
        out += "\\x";
        out += digits[byte >> 4];
        out += digits[byte & 0xF];
        plain = i + 1;
    }
    out.append(text, plain);
    out += '\n';
}

namespace {

RecordSpan span(std::int64_t offset, sheetformat::RecordType type) {
    return {offset, 1 + static_cast<std::int64_t>(sheetformat::bodySizes[type])};
}

} // namespace

RecordSpan recordOf(const Design& design, ItemRef item) {
    switch (item.kind) {
    case ItemKind::Pin:
        return recordOf(design.parts[design.pins[item.index].part]);
    case ItemKind::Wire:
        return span(design.wires[item.index].record, sheetformat::WireRecord);
    case ItemKind::Bus:
        return span(design.buses[item.index].record, sheetformat::BusRecord);
    case ItemKind::BusEntry:
        return span(design.busEntries[item.index].record, sheetformat::BusEntryRecord);
    case ItemKind::Junction:
        return span(design.junctions[item.index].record, sheetformat::JunctionRecord);
    case ItemKind::Label:
        return span(design.labels[item.index].record, sheetformat::LabelRecord);
    case ItemKind::Tag:
        return span(design.tags[item.index].record, sheetformat::TagRecord);
    }
    return {};
}

RecordSpan recordOf(const Part& part) {
    return span(part.record, sheetformat::PartRecord);
}

int sheetOf(const Design& design, ItemRef item) {
    int sheet = 0;
    forEachEnd(design, item, [&](int itemSheet, Point) { sheet = itemSheet; });
    return sheet;
}

GroupRef groupOf(const Design& design, ItemRef item) {
    switch (item.kind) {
    case ItemKind::Pin:
        return design.pins[item.index].group;
    case ItemKind::Wire:
        return design.wires[item.index].group;
    case ItemKind::Bus:
        return design.buses[item.index].group;
    case ItemKind::BusEntry:
        return design.busEntries[item.index].group;
    case ItemKind::Label:
        return design.labels[item.index].group;
    case ItemKind::Tag:
        return design.tags[item.index].group;
    case ItemKind::Junction:
        break;
    }
    return {};
}

// Natural order: runs of digits compare by their value.
bool naturalLess(const std::string& a, const std::string& b) {
    std::size_t i = 0, j = 0;
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    while (i < a.size() && j < b.size()) {
        if (digit(a[i]) && digit(b[j])) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && digit(a[ei]))
                ++ei;
            while (ej < b.size() && digit(b[ej]))
                ++ej;
            std::string_view na = std::string_view(a).substr(i, ei - i);
            std::string_view nb = std::string_view(b).substr(j, ej - j);
            while (na.size() > 1 && na[0] == '0')
                na.remove_prefix(1);
            while (nb.size() > 1 && nb[0] == '0')
                nb.remove_prefix(1);
            if (na.size() != nb.size())
                return na.size() < nb.size();
            if (na != nb)
                return na < nb;
            i = ei, j = ej;
            continue;
        }
        if (a[i] != b[j])
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]);
        ++i, ++j;
    }
    return a.size() - i < b.size() - j || (a.size() - i == b.size() - j && a < b);
}

} // namespace dovla::model
