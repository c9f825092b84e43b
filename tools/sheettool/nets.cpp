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

// Each net's head line, then a row for each listed pin: its key, its place
// and how the net list shows it, in columns as wide as the net's widest.
// The rows of every net are made in the same buffers, which keep their room
// from net to net.
std::string netsText(const model::Design& design) {
    struct Row {
        std::string key;
        std::string place;
        const model::Pin* pin = nullptr;
    };
    std::vector<Row> rows;
    std::string out;
    std::string line;
    for (const model::Net& net : design.nets) {
        line = "net ";
        line += net.key;
        if (!net.names.empty())
            line.append("  names: ").append(net.nameLine);
        if (!net.written)
            line += "  (not in the net list)";
        model::appendReportLine(out, line);
        std::size_t count = 0;
        std::size_t keyWidth = 0;
        std::size_t placeWidth = 0;
        for (const model::ItemRef& member : net.members) {
            if (member.kind != model::ItemKind::Pin || !design.pins[member.index].listed)
                continue;
            if (count == rows.size())
                rows.emplace_back();
            Row& row = rows[count++];
            row.pin = &design.pins[member.index];
            row.key = model::pinKey(design, *row.pin);
            row.place = "sheet ";
            row.place.append(std::to_string(row.pin->sheet))
                .append(" at ")
                .append(std::to_string(row.pin->end.x))
                .append(",")
                .append(std::to_string(row.pin->end.y));
            keyWidth = std::max(keyWidth, row.key.size());
            placeWidth = std::max(placeWidth, row.place.size());
        }
        for (std::size_t r = 0; r < count; ++r) {
            const Row& row = rows[r];
            line = "    ";
            line.append(row.key).append(keyWidth + 2 - row.key.size(), ' ');
            line.append(row.place).append(placeWidth + 2 - row.place.size(), ' ');
            model::appendShownPin(line, *row.pin);
            model::appendReportLine(out, line);
        }
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
