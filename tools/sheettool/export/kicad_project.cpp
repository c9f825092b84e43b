#include "export/kicad_project.h"

#include <algorithm>
#include <set>

#include "export/kicad_symbols.h"
#include "export/kicad_text.h"

namespace dovla::sheettool::kicad {

namespace {

using model::Point;

const char* const lineStroke = "(stroke (width 0) (type default) (color 0 0 0 0))";
// How far above its line a plain text stands: clear of the wire under it.
constexpr std::int64_t textLift = 5080;

std::string xy(KPoint at) {
    return "(xy " + mm(at.x) + " " + mm(at.y) + ")";
}
std::string atText(KPoint at, int angle) {
    return "(at " + mm(at.x) + " " + mm(at.y) + " " + std::to_string(angle) + ")";
}

class Writer {
  public:
    Writer(const model::Design& design, const Plan& plan, const std::string& stem)
        : design_(design), plan_(plan), stem_(stem), library_(idText(stem)) {
        rootId_ = uuidOf("root " + stem);
        for (int sheet : plan.sheets)
            sheetIds_[sheet] = uuidOf("sheet " + std::to_string(sheet));
        // A part is named by its reference and block, one without a
        // reference by its part and place: a part moved keeps its name.
        for (const PlacedSymbol& placed : plan.placed) {
            std::string what = "symbol " + std::to_string(placed.sheet) + " ";
            if (placed.part >= 0 && !design.parts[placed.part].ref.empty())
                what += design.parts[placed.part].ref + " " + std::to_string(placed.unit);
            else
                what += placed.value + " " + mm(placed.anchor.x) + "," + mm(placed.anchor.y);
            symbolIds_.push_back(idOf(what));
        }
    }

    std::map<std::string, std::string> files() {
        std::map<std::string, std::string> out;
        out[stem_ + ".kicad_pro"] = projectFile();
        out["sym-lib-table"] = "(sym_lib_table\n  (lib (name " + quoted(library_) +
                               ")(type \"KiCad\")(uri " +
                               quoted("${KIPRJMOD}/" + stem_ + ".kicad_sym") +
                               ")(options \"\")(descr \"The parts of the design\"))\n)\n";
        out[stem_ + ".kicad_sym"] = symbolLibrary();
        out[stem_ + ".kicad_sch"] = root();
        for (int sheet : plan_.sheets)
            out[sheetFile(sheet)] = sheetText(sheet);
        return out;
    }

  private:
    // The identifier of an item named by what it is; a second item alike
    // takes its count.
    std::string idOf(const std::string& what) {
        return uuidOf(what + " #" + std::to_string(seen_[what]++));
    }

    std::string sheetFile(int sheet) const {
        return stem_ + "-sheet" + std::to_string(sheet) + ".kicad_sch";
    }

    std::string projectFile() const {
        std::string sheets;
        for (int sheet : plan_.sheets)
            sheets += ",\n      [ " + quoted(sheetIds_.at(sheet)) + ", " +
                      quoted("sheet " + std::to_string(sheet)) + " ]";
        return "{\n  \"meta\": {\n    \"filename\": " + jsonText(stem_ + ".kicad_pro") +
               ",\n    \"version\": 1\n  },\n  \"sheets\": [\n      [ " + quoted(rootId_) +
               ", \"\" ]" + sheets + "\n  ]\n}\n";
    }

    std::string symbolLibrary() const {
        std::string out = "(kicad_symbol_lib (version 20211014) (generator sheettool)\n";
        for (const SymbolUse& use : plan_.symbols)
            out += symbolText(design_, use, use.name, 2);
        return out + ")\n";
    }

    std::string root() const {
        std::string out = header(rootId_, "(paper \"A4\")") + "  (lib_symbols)\n";
        // The sheets side by side, six to a row, on one A4 page.
        for (std::size_t i = 0; i < plan_.sheets.size(); ++i) {
            int sheet = plan_.sheets[i];
            KPoint at{(254000 + 381000 * static_cast<std::int64_t>(i % 6)),
                      (254000 + 304800 * static_cast<std::int64_t>(i / 6))};
            std::string name = "sheet " + std::to_string(sheet);
            out += "  (sheet (at " + mm(at.x) + " " + mm(at.y) + ") (size 25.4 17.78)";
            out += " (stroke (width 0.1524) (type solid) (color 0 0 0 0))";
            out += " (fill (color 0 0 0 0.0000))\n    (uuid " + sheetIds_.at(sheet) + ")\n";
            out += "    (property \"Sheet name\" " + quoted(name) + " (id 0) (at " + mm(at.x) +
                   " " + mm(at.y - 7112) + " 0)\n      (effects (font (size 1.27 1.27)) " +
                   "(justify left bottom)))\n";
            out += "    (property \"Sheet file\" " + quoted(sheetFile(sheet)) + " (id 1) (at " +
                   mm(at.x) + " " + mm(at.y + 177800 + 6096) +
                   " 0)\n      (effects (font (size 1.27 1.27)) (justify left top)))\n  )\n";
        }
        out += "\n  (sheet_instances\n    (path \"/\" (page \"1\"))\n";
        for (std::size_t i = 0; i < plan_.sheets.size(); ++i)
            out += "    (path " + quoted("/" + sheetIds_.at(plan_.sheets[i])) + " (page " +
                   quoted(std::to_string(i + 2)) + "))\n";
        out += "  )\n\n  (symbol_instances\n";
        for (std::size_t i = 0; i < plan_.placed.size(); ++i) {
            const PlacedSymbol& placed = plan_.placed[i];
            out += "    (path " + quoted("/" + sheetIds_.at(placed.sheet) + "/" + symbolIds_[i]) +
                   "\n      (reference " + quoted(placed.ref) + ") (unit " +
                   std::to_string(placed.unit) + ") (value " + quoted(placed.value) +
                   ") (footprint \"\")\n    )\n";
        }
        return out + "  )\n)\n";
    }

    std::string header(const std::string& id, const std::string& paperText) const {
        return "(kicad_sch (version 20211123) (generator sheettool)\n\n  (uuid " + id + ")\n\n  " +
               paperText + "\n\n";
    }

    std::string sheetText(int sheet) {
        std::string out =
            header(uuidOf("screen " + std::to_string(sheet)), plan_.pages.at(sheet).paper);
        std::set<int> used;
        for (const PlacedSymbol& placed : plan_.placed)
            if (placed.sheet == sheet)
                used.insert(placed.symbol);
        out += "  (lib_symbols\n";
        for (int symbol : used) {
            const SymbolUse& use = plan_.symbols[symbol];
            out += symbolText(design_, use, library_ + ":" + use.name, 4);
        }
        out += "  )\n\n";
        for (std::size_t i = 0; i < plan_.junctionPoints.size(); ++i)
            if (plan_.junctionSheets[i] == sheet)
                out += "  (junction (at " + mm(plan_.junctionPoints[i].x) + " " +
                       mm(plan_.junctionPoints[i].y) +
                       ") (diameter 0) (color 0 0 0 0)\n    (uuid " +
                       idOf("junction " + std::to_string(sheet) + " " +
                            mm(plan_.junctionPoints[i].x) + "," + mm(plan_.junctionPoints[i].y)) +
                       ")\n  )\n";
        for (const DrawnEntry& entry : plan_.entries) {
            if (entry.sheet != sheet)
                continue;
            std::string id = idOf(entry.what);
            if (entry.connecting)
                out += "  (bus_entry (at " + mm(entry.at.x) + " " + mm(entry.at.y) + ") (size " +
                       mm(entry.to.x - entry.at.x) + " " + mm(entry.to.y - entry.at.y) + ")\n    " +
                       lineStroke + "\n    (uuid " + id + ")\n  )\n";
            else
                out += "  (polyline (pts " + xy(entry.at) + " " + xy(entry.to) +
                       ")\n    (stroke (width 0) (type solid) (color 0 0 0 0))\n    (uuid " + id +
                       ")\n  )\n";
        }
        for (const DrawnLine& line : plan_.lines) {
            if (line.sheet != sheet)
                continue;
            const char* kind = !line.connecting ? "polyline" : line.bus ? "bus" : "wire";
            std::string stroke = line.connecting ? lineStroke
                                                 : std::string("(stroke (width ") +
                                                       (line.bus ? "0.3048" : "0.1524") +
                                                       ") (type solid) (color 0 0 0 0))";
            out += std::string("  (") + kind + " (pts " + xy(line.from) + " " + xy(line.to) +
                   ")\n    " + stroke + "\n    (uuid " + idOf(line.what) + ")\n  )\n";
        }
        for (const DrawnLabel& label : plan_.labels)
            if (label.sheet == sheet)
                out += labelText(label);
        for (std::size_t i = 0; i < plan_.placed.size(); ++i)
            if (plan_.placed[i].sheet == sheet)
                out += placedText(plan_.placed[i], symbolIds_[i]);
        return out + ")\n";
    }

    std::string labelText(const DrawnLabel& label) {
        std::string id = idOf(label.what);
        const char* justify =
            label.angle >= 180 ? "(justify right bottom)" : "(justify left bottom)";
        switch (label.kind) {
        case LabelKind::Text: {
            // A label that joins nothing in KiCad is a plain text, lifted off
            // the wire it stands on as a label's text is.
            KPoint at = label.at;
            (label.angle % 180 == 0 ? at.y : at.x) -= textLift;
            return "  (text " + quoted(label.text) + " " + atText(at, label.angle % 180) +
                   "\n    (effects (font (size 1.27 1.27)) (justify left bottom))\n    (uuid " +
                   id + ")\n  )\n";
        }
        case LabelKind::Local:
            return "  (label " + quoted(label.text) + " " + atText(label.at, label.angle) +
                   "\n    (effects (font (size 1.27 1.27)) " + justify + ")\n    (uuid " + id +
                   ")\n  )\n";
        case LabelKind::Global:
            break;
        }
        return "  (global_label " + quoted(label.text) + " (shape bidirectional) " +
               atText(label.at, label.angle) +
               " (fields_autoplaced)\n    (effects (font (size 1.27 1.27)) " +
               (label.angle >= 180 ? "(justify right)" : "(justify left)") + ")\n    (uuid " + id +
               ")\n    (property \"Intersheet References\" \"${INTERSHEET_REFS}\" (id 0) " +
               atText(label.at, label.angle) +
               "\n      (effects (font (size 1.27 1.27)) hide)\n    )\n  )\n";
    }

    std::string placedText(const PlacedSymbol& placed, const std::string& id) const {
        const SymbolUse& use = plan_.symbols[placed.symbol];
        std::string out = "  (symbol (lib_id " + quoted(library_ + ":" + use.name) + ") " +
                          atText(placed.anchor, placed.angle) +
                          (placed.mirror ? " (mirror y)" : "") + " (unit " +
                          std::to_string(placed.unit) + ")\n    (in_bom " +
                          (placed.ref[0] == '#' ? "no" : "yes") + ") (on_board " +
                          (placed.ref[0] == '#' ? "no" : "yes") + ")\n    (uuid " + id + ")\n";
        // KiCad turns the fields with the symbol: turned back, they read across.
        int angle = placed.angle % 180;
        const char* justify = placed.fields.justify == Fields::Left    ? " (justify left)"
                              : placed.fields.justify == Fields::Right ? " (justify right)"
                                                                       : "";
        bool hideRef = placed.ref[0] == '#';
        out += "    (property \"Reference\" " + quoted(placed.ref) + " (id 0) " +
               atText(placed.fields.ref, angle) + "\n      (effects (font (size 1.27 1.27))" +
               justify + (hideRef ? " hide" : "") + ")\n    )\n";
        out += "    (property \"Value\" " + quoted(placed.value) + " (id 1) " +
               atText(placed.fields.value, angle) + "\n      (effects (font (size 1.27 1.27))" +
               justify + ")\n    )\n";
        out += "    (property \"Footprint\" \"\" (id 2) " + atText(placed.anchor, 0) +
               "\n      (effects (font (size 1.27 1.27)) hide)\n    )\n";
        // A renumbered part keeps the reference it has in the design, so
        // that it can be found in both.
        if (!placed.originalRef.empty())
            out += "    (property \"Original reference\" " + quoted(placed.originalRef) +
                   " (id 3) " + atText(placed.anchor, 0) +
                   "\n      (effects (font (size 1.27 1.27)) hide)\n    )\n";
        if (use.kind == SymbolUse::Library || use.kind == SymbolUse::PowerPart) {
            const model::Symbol& symbol = design_.symbols[use.symbol];
            for (const model::SymbolPin& pin : symbol.pins) {
                const std::string& number = pin.numbers[placed.unit - 1];
                out += "    (pin " + quoted(utf8Text(number)) + " (uuid " +
                       uuidOf(id + " pin " + number) + "))\n";
            }
        } else if (use.kind == SymbolUse::PowerConnector || use.kind == SymbolUse::PowerFlag) {
            out += "    (pin \"1\" (uuid " + uuidOf(id + " pin 1") + "))\n";
        }
        return out + "  )\n";
    }

    const model::Design& design_;
    const Plan& plan_;
    std::string stem_;
    std::string library_;
    std::string rootId_;
    std::map<int, std::string> sheetIds_;
    std::vector<std::string> symbolIds_;
    std::map<std::string, int> seen_;
};

} // namespace

std::map<std::string, std::string> projectFiles(const model::Design& design, const Plan& plan,
                                                const std::string& stem) {
    return Writer(design, plan, stem).files();
}

} // namespace dovla::sheettool::kicad
