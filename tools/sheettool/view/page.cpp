#include "page.h"

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

std::string fillFrame(std::string_view frame, std::initializer_list<Slot> slots) {
    std::size_t size = frame.size();
    for (const Slot& slot : slots)
        size += slot.text.size() + (slot.script ? slot.text.size() / 64 : 0);
    // One pass over the frame: what goes into a slot is never searched for
    // marks itself.
    std::string out;
    out.reserve(size);
    std::size_t at = 0;
    while (at < frame.size()) {
        std::size_t mark = frame.find('@', at);
        if (mark == std::string_view::npos) {
            out += frame.substr(at);
            break;
        }
        out += frame.substr(at, mark - at);
        const Slot* filled = nullptr;
        for (const Slot& slot : slots) {
            if (frame.substr(mark, slot.mark.size()) == slot.mark)
                filled = &slot;
        }
        if (filled == nullptr) {
            out += '@';
            at = mark + 1;
            continue;
        }
        if (filled->script)
            appendScriptSafe(out, filled->text);
        else
            out += filled->text;
        at = mark + filled->mark.size();
    }
    return out;
}

std::string page(const std::string& title, std::string_view data) {
    const std::string hashes = std::string(partScriptHash()) + " " +
                               std::string(drawingScriptHash()) + " " +
                               std::string(pageScriptHash());
    return fillFrame(pageHtml(), {{"@TITLE@", htmlText(title)},
                                  {"@STYLE@", pageStyle()},
                                  {"@DATA@", data, true},
                                  {"@PARTS@", partScript()},
                                  {"@DRAWING@", drawingScript()},
                                  {"@SCRIPT@", pageScript()},
                                  {"@SCRIPTHASH@", hashes}});
}

bool writePage(std::FILE* file, const std::string& title,
               const std::function<std::string(const HandOn& handOn)>& makeData) {
    // The frame is filled once with a mark in the data's place and split
    // there: no frame holds the mark's control characters, and the title,
    // the one text of the design in it, stands escaped.
    constexpr std::string_view mark = "\x01"
                                      "DATA"
                                      "\x01";
    const std::string frame = page(title, mark);
    const std::size_t at = frame.find(mark);
    bool written = std::fwrite(frame.data(), 1, at, file) == at;
    std::string safe;
    auto write = [&](std::string_view piece) {
        safe.clear();
        appendScriptSafe(safe, piece);
        written = written && std::fwrite(safe.data(), 1, safe.size(), file) == safe.size();
    };
    write(makeData([&](std::string& piece) { write(piece); }));
    const std::size_t rest = frame.size() - at - mark.size();
    return std::fwrite(frame.data() + at + mark.size(), 1, rest, file) == rest && written;
}

} // namespace dovla::sheettool::view
