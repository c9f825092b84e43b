#include "nets.h"

#include <algorithm>
#include <cstdio>

#include "command_output.h"
#include "design_arguments.h"
#include "design_json.h"
#include "findings.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

std::string padded(std::string text, std::size_t width) {
    if (text.size() < width)
        text.resize(width, ' ');
    return text;
}

std::string netsText(const model::Design& design) {
    std::string out;
    for (const model::Net& net : design.nets) {
        std::string head = "net " + net.key;
        if (!net.names.empty())
            head += "  names: " + net.nameLine;
        if (!net.written)
            head += "  (not in the net list)";
        out += model::reportLine(head);
        struct Row {
            std::string key;
            std::string place;
            const model::Pin* pin;
        };
        std::vector<Row> rows;
        std::size_t keyWidth = 0;
        std::size_t placeWidth = 0;
        for (const model::ItemRef& member : net.members) {
            if (member.kind != model::ItemKind::Pin || !design.pins[member.index].listed)
                continue;
            const model::Pin& pin = design.pins[member.index];
            rows.push_back({model::pinKey(design, pin),
                            "sheet " + std::to_string(pin.sheet) + " at " +
                                std::to_string(pin.end.x) + "," + std::to_string(pin.end.y),
                            &pin});
            keyWidth = std::max(keyWidth, rows.back().key.size());
            placeWidth = std::max(placeWidth, rows.back().place.size());
        }
        for (const Row& row : rows)
            out += model::reportLine("    " + padded(row.key, keyWidth + 2) +
                                     padded(row.place, placeWidth + 2) + model::shownPin(*row.pin));
    }
    return out;
}

} // namespace

int netsCommand(int argc, char** argv) {
    DesignArguments arguments;
    CLI::App parser(
        "The nets as dovla32 makes them, each with its stable key, names and pins; with "
        "--json the whole design.",
        "sheettool nets");
    addSheetArgument(parser, arguments);
    addDesignOptions(parser, arguments, AcceptJson | AcceptOutput | AcceptNoLibraries);
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    model::Design design;
    if (!readOneDesign(arguments, design))
        return exitTrouble;
    bool written;
    if (arguments.json) {
        // The whole design's JSON runs to tens of megabytes: it is written
        // as it is made.
        const std::vector<model::Finding> findings = model::findingsOf(design);
        written = writeCommandOutput(
            arguments.output,
            [&](std::FILE* file) { return model::writeDesignJson(file, design, findings); },
            inputsOf(design));
    } else {
        written = writeCommandOutput(arguments.output, netsText(design), inputsOf(design));
    }
    return written ? exitClean : exitTrouble;
}

} // namespace dovla::sheettool
