#include "export/bom_csv.h"

#include <algorithm>
#include <map>
#include <set>

#include "export/power_parts.h"

namespace dovla::sheettool::kicad {

namespace {

// A field as CSV writes it: bytes as characters of their codes, quoted
// where it holds a comma, a quote or a control character. A spreadsheet
// reads a cell that begins with = + - or @ as a formula, so such a cell
// begins with ' instead, which spreadsheets read as "text follows".
std::string field(std::string_view bytes) {
    std::string text;
    bool quote = false;
    if (!bytes.empty() && std::string_view("=+-@").find(bytes[0]) != std::string_view::npos) {
        text += '\'';
        quote = true;
    }
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        quote = quote || c == ',' || c == '"' || byte < 0x20 || byte == 0x7F;
        if (c == '"')
            text += '"';
        if (byte < 0x80) {
            text += c;
        } else {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return quote ? "\"" + text + "\"" : text;
}

} // namespace

std::string bomCsv(const model::Design& design, const Annotation& annotation) {
    struct Line {
        std::set<std::string> refs;
        int unreferenced = 0;
    };
    std::map<std::pair<std::string, std::string>, Line> lines;
    for (std::uint32_t i = 0; i < design.parts.size(); ++i) {
        const model::Part& part = design.parts[i];
        if (isPowerPart(design, part))
            continue;
        Line& line = lines[{part.libName, part.name}];
        if (part.ref.empty())
            ++line.unreferenced;
        else
            line.refs.insert(annotation.refs[i]);
    }
    std::string out = "Library part,Part name,Quantity,References\r\n";
    for (const auto& [key, line] : lines) {
        std::vector<std::string> refs(line.refs.begin(), line.refs.end());
        std::sort(refs.begin(), refs.end(), model::naturalLess);
        std::string list;
        for (const std::string& ref : refs)
            list += (list.empty() ? "" : ", ") + ref;
        out += field(key.first) + "," + field(key.second) + "," +
               std::to_string(refs.size() + line.unreferenced) + "," + field(list) + "\r\n";
    }
    return out;
}

} // namespace dovla::sheettool::kicad
