#include "nets.h"

#include <algorithm>

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
        std::vector<const model::Pin*> pins;
        std::size_t keyWidth = 0;
        std::size_t placeWidth = 0;
        for (const model::ItemRef& member : net.members) {
            if (member.kind != model::ItemKind::Pin || !design.pins[member.index].listed)
                continue;
            const model::Pin& pin = design.pins[member.index];
            pins.push_back(&pin);
            keyWidth = std::max(keyWidth, model::pinKey(design, pin).size());
        }
        std::vector<std::string> places;
        for (const model::Pin* pin : pins) {
            places.push_back("sheet " + std::to_string(pin->sheet) + " at " +
                             std::to_string(pin->end.x) + "," + std::to_string(pin->end.y));
            placeWidth = std::max(placeWidth, places.back().size());
        }
        for (std::size_t i = 0; i < pins.size(); ++i)
            out +=
                model::reportLine("    " + padded(model::pinKey(design, *pins[i]), keyWidth + 2) +
                                  padded(places[i], placeWidth + 2) + model::shownPin(*pins[i]));
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
    std::string text;
    if (arguments.json)
        model::appendDesignJson(design, model::findingsOf(design), text);
    else
        text = netsText(design);
    return writeCommandOutput(arguments.output, text, inputsOf(design)) ? exitClean : exitTrouble;
}

} // namespace dovla::sheettool
