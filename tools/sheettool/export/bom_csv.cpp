#include "export/bom_csv.h"

#include <algorithm>
#include <map>
#include <set>

namespace dovla::sheettool::kicad {

namespace {

// A field as CSV writes it: bytes as characters of their codes, quoted
// where it holds a comma, a quote or a control character.
std::string field(std::string_view bytes) {
    std::string text;
    bool quote = false;
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

} // namespace

std::string bomCsv(const model::Design& design, const Plan& plan) {
    struct Line {
        std::set<std::string> refs;
        int unreferenced = 0;
    };
    std::map<std::pair<std::string, std::string>, Line> lines;
    for (std::uint32_t i = 0; i < design.parts.size(); ++i) {
        const model::Part& part = design.parts[i];
        if (plan.placed[i].ref.rfind("#PWR", 0) == 0)
            continue;
        Line& line = lines[{part.libName, part.name}];
        if (part.ref.empty())
            ++line.unreferenced;
        else
            line.refs.insert(part.ref);
    }
    std::string out = "Library part,Part name,Quantity,References\r\n";
    for (const auto& [key, line] : lines) {
        std::vector<std::string> refs(line.refs.begin(), line.refs.end());
        std::sort(refs.begin(), refs.end(), naturalLess);
        std::string list;
        for (const std::string& ref : refs)
            list += (list.empty() ? "" : ", ") + ref;
        out += field(key.first) + "," + field(key.second) + "," +
               std::to_string(refs.size() + line.unreferenced) + "," + field(list) + "\r\n";
    }
    return out;
}

} // namespace dovla::sheettool::kicad
