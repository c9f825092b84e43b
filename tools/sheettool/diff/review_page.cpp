#include "review_page.h"

#include <future>
#include <map>
#include <optional>
#include <system_error>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "diff/review_assets.h"
#include "json_writer.h"
#include "view/page.h"
#include "view/page_assets.h"
#include "view/page_data.h"

namespace dovla::sheettool::review {

namespace {

// A revision's parts, nets and pins by the names the report gives them.
class Names {
  public:
    explicit Names(const model::Design& design) {
        for (std::uint32_t i = 0; i < design.nets.size(); ++i)
            nets_.emplace(design.nets[i].key, i);
        for (std::uint32_t i = 0; i < design.parts.size(); ++i) {
            const model::Part& part = design.parts[i];
            if (part.ref.empty())
                unnamed_.emplace(std::tuple(part.sheet, part.origin.x, part.origin.y), i);
            else
                parts_.emplace(std::pair(part.ref, part.block), i);
        }
        for (std::uint32_t i = 0; i < design.pins.size(); ++i) {
            const model::Pin& pin = design.pins[i];
            if (!design.parts[pin.part].ref.empty())
                pins_.emplace(model::pinKey(design, pin), i);
        }
    }

    // The indices of what a line names, in the line's order; what this
    // revision does not hold is left out.
    // Lists left empty are left out.
    void write(model::JsonWriter& json, const model::DiffMentions& mentions) const {
        std::vector<std::uint32_t> parts, nets, pins;
        for (const model::PartMention& part : mentions.parts) {
            if (auto found = part.ref.empty()
                                 ? find(unnamed_, std::tuple(part.place.sheet, part.place.at.x,
                                                             part.place.at.y))
                                 : find(parts_, std::pair(part.ref, part.block)))
                parts.push_back(*found);
        }
        for (const std::string& net : mentions.nets) {
            if (auto found = find(nets_, net))
                nets.push_back(*found);
        }
        for (const std::string& pin : mentions.pins) {
            if (auto found = find(pins_, pin))
                pins.push_back(*found);
        }
        auto writeList = [&](model::JsonWriter::Key key, const std::vector<std::uint32_t>& list) {
            if (list.empty())
                return;
            json.key(key).open('[');
            for (std::uint32_t index : list)
                json.value(index);
            json.close(']');
        };
        json.open('{');
        writeList("parts", parts);
        writeList("nets", nets);
        writeList("pins", pins);
        if (!mentions.libName.empty()) {
            json.text("lib", mentions.libName).key("libPins").open('[');
            for (const std::string& pin : mentions.libraryPins)
                json.bytes(pin);
            json.close(']');
        }
        json.close('}');
    }

  private:
    template <typename Map, typename Key>
    static std::optional<std::uint32_t> find(const Map& map, const Key& key) {
        auto found = map.find(key);
        return found == map.end() ? std::nullopt : std::optional(found->second);
    }

    std::unordered_map<std::string, std::uint32_t> nets_, pins_;
    std::map<std::pair<std::string, int>, std::uint32_t> parts_;
    std::map<std::tuple<int, int, int>, std::uint32_t> unnamed_;
};

const char* const groupNames[] = {"configuration", "library", "parts", "nets", "pins"};
const char* const kindNames[] = {"changed", "added", "removed"};

void appendChanges(model::JsonWriter& json, const ReviewFile& file) {
    json.key("changes").open('[');
    if (!file.fileLine.empty()) {
        const bool added = file.oldDesign == nullptr;
        std::string text = model::reportLine(file.fileLine);
        text.pop_back();
        json.open('{')
            .text("group", "files")
            .text("kind", added ? "added" : "removed")
            .text("text", text)
            .number("sheet", -1)
            .key("at")
            .null();
        json.key("old").open('{').close('}').key("new").open('{').close('}');
        json.close('}');
    }
    // What changes nothing by itself is not reported, and not listed.
    const bool reported = file.diff != nullptr && !file.diff->empty();
    const std::vector<model::DiffLine> lines =
        reported ? model::diffLines(*file.diff) : std::vector<model::DiffLine>();
    if (!lines.empty()) {
        const Names names[2] = {Names(*file.oldDesign), Names(*file.newDesign)};
        for (const model::DiffLine& line : lines) {
            std::string text = model::reportLine(line.text);
            text.pop_back();
            json.open('{')
                .text("group", groupNames[line.group])
                .text("kind", kindNames[line.kind])
                .text("text", text)
                .number("sheet", line.placed ? line.place.sheet : -1)
                .key("at");
            if (line.placed)
                json.point(line.place.at);
            else
                json.null();
            json.key("old");
            names[0].write(json, line.before);
            json.key("new");
            names[1].write(json, line.after);
            json.close('}');
        }
    }
    json.close(']');
}

// A revision's drawing as the page holds it, or null for a file that the
// revision does not have. The drawings carry no findings: the page is
// about what changed.
std::string drawing(const model::Design* design, const std::string& name) {
    return design != nullptr ? view::pageData(*design, {}, name, view::PageUse::Review) : "null";
}

std::string reviewData(const std::vector<ReviewFile>& files) {
    std::string out = "{\"files\":[";
    for (const ReviewFile& file : files) {
        // The old revision's drawing is made beside the new one's: the
        // page then costs little more than the comparison and one drawing.
        auto old = [&file] { return drawing(file.oldDesign, file.oldName); };
        std::future<std::string> before;
        try {
            before = std::async(std::launch::async, old);
        } catch (const std::system_error&) {
            // No thread to be had (the system is out of them, or of the
            // memory for one): drawn here, after the new one.
            before = std::async(std::launch::deferred, old);
        }
        const std::string after = drawing(file.newDesign, file.newName);
        if (&file != files.data())
            out += ',';
        out += '{';
        model::JsonWriter(out)
            .text("path", file.path)
            .text("oldName", file.oldName)
            .text("newName", file.newName);
        out += ",\"old\":" + before.get() + ",\"new\":" + after;
        model::JsonWriter json(out, true);
        appendChanges(json, file);
        out += '}';
    }
    out += "]}";
    return out;
}

} // namespace

std::string reviewPage(const std::vector<ReviewFile>& files, const std::string& title) {
    const std::string data = reviewData(files);
    const std::string hashes = std::string(view::partScriptHash()) + " " +
                               std::string(view::drawingScriptHash()) + " " +
                               std::string(reviewScriptHash());
    return view::fillFrame(reviewHtml(), {{"@TITLE@", view::htmlText(title)},
                                          {"@STYLE@", view::pageStyle()},
                                          {"@REVIEWSTYLE@", reviewStyle()},
                                          {"@DATA@", data, true},
                                          {"@PARTS@", view::partScript()},
                                          {"@DRAWING@", view::drawingScript()},
                                          {"@SCRIPT@", reviewScript()},
                                          {"@SCRIPTHASH@", hashes}});
}

} // namespace dovla::sheettool::review
