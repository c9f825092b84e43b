#include "page.h"

#include <array>

#include "design_json.h"
#include "page_assets.h"

namespace dovla::sheettool::view {

void appendScriptSafe(std::string& out, std::string_view json) {
    std::size_t at = 0;
    for (std::size_t angle = json.find('<'); angle != std::string_view::npos;
         angle = json.find('<', at)) {
        out.append(json, at, angle - at);
        out += "\\u003c";
        at = angle + 1;
    }
    out.append(json, at);
}

std::string htmlText(const std::string& bytes) {
    std::string out;
    for (char c : model::jsonString(bytes)) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string page(const std::string& title, const std::string& data) {
    enum Slot { Title, Style, Data, Script, ScriptHash };
    static constexpr std::array<std::string_view, 5> marks = {"@TITLE@", "@STYLE@", "@DATA@",
                                                              "@SCRIPT@", "@SCRIPTHASH@"};
    // One pass over the frame: what goes into a slot is never searched for
    // marks itself.
    std::string_view frame = pageHtml();
    std::string out;
    out.reserve(frame.size() + data.size() + data.size() / 64 + pageStyle().size() +
                pageScript().size() + title.size() * 6);
    std::size_t at = 0;
    while (at < frame.size()) {
        std::size_t mark = frame.find('@', at);
        if (mark == std::string_view::npos) {
            out += frame.substr(at);
            break;
        }
        out += frame.substr(at, mark - at);
        int filled = -1;
        for (int slot = Title; slot <= ScriptHash; ++slot) {
            if (frame.substr(mark, marks[slot].size()) == marks[slot])
                filled = slot;
        }
        switch (filled) {
        case Title:
            out += htmlText(title);
            break;
        case Style:
            out += pageStyle();
            break;
        case Data:
            appendScriptSafe(out, data);
            break;
        case Script:
            out += pageScript();
            break;
        case ScriptHash:
            out += pageScriptHash();
            break;
        default:
            out += '@';
            at = mark + 1;
            continue;
        }
        at = mark + marks[filled].size();
    }
    return out;
}

} // namespace dovla::sheettool::view
