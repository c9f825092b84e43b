#include "export.h"

#include <cstdio>
#include <filesystem>

#include "command_output.h"
#include "design_arguments.h"
#include "driver/platform.h"
#include "export/bom_csv.h"
#include "export/kicad_netlist.h"
#include "export/kicad_plan.h"
#include "export/kicad_project.h"
#include "export/kicad_symbols.h"
#include "export/kicad_text.h"
#include "export/project_folder.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

namespace fs = std::filesystem;

// The references KiCad shows in place of the design's, a line each.
std::string renumberings(const model::Design& design, const kicad::Annotation& annotation) {
    std::string lines;
    for (const kicad::Renumbering& change : annotation.changes)
        lines += model::reportLine("renumbered: " + kicad::renumberingText(design, change));
    return lines;
}

// The names KiCad shows changed a little, so that nets stay apart.
std::string renamings(const model::Design& design, const kicad::Plan& plan) {
    std::string lines;
    for (const kicad::NetRename& rename : plan.renamedNets)
        lines += model::reportLine("renamed: " + rename.from + " of net " +
                                   kicad::utf8Text(design.nets[rename.net].key) + " is " +
                                   rename.to + " in KiCad: another net is " + rename.from);
    return lines;
}

// What the project adds or changes to keep dovla32's connectivity in KiCad.
std::string adaptations(const model::Design& design, const kicad::Plan& plan) {
    int global = 0, local = 0, power = 0, text = 0;
    for (const kicad::DrawnLabel& label : plan.labels) {
        if (label.added)
            (label.kind == kicad::LabelKind::Global ? global : local) += 1;
        else if (label.kind == kicad::LabelKind::Text)
            ++text;
    }
    for (const kicad::PlacedSymbol& placed : plan.placed)
        power += placed.part < 0 ? 1 : 0;
    power -= plan.powerFlags;
    int lines = 0, entries = 0;
    for (const kicad::DrawnLine& line : plan.lines)
        lines += line.connecting ? 0 : 1;
    for (const kicad::DrawnEntry& entry : plan.entries)
        entries += entry.connecting ? 0 : 1;
    return "added for KiCad: " + std::to_string(global) + " global labels, " +
           std::to_string(local) + " labels, " + std::to_string(power) + " power symbols, " +
           std::to_string(plan.powerFlags) + " power flags; " +
           std::to_string(plan.labelsMadeGlobal) +
           " labels made global\ndrawn so as not to join: " + std::to_string(plan.shortenedEnds) +
           " wire ends short of a point, " + std::to_string(plan.partsMoved) +
           " parts moved off a pin of another net, " + std::to_string(plan.junctionsLeftOut) +
           " junctions left out, " + std::to_string(text) + " labels and tags as text, " +
           std::to_string(lines) + " wires and " + std::to_string(entries) +
           " bus entries as plain lines\n" + renumberings(design, plan.annotation) +
           renamings(design, plan);
}

bool writeProject(const model::Design& design, const kicad::Plan& plan, const std::string& folder,
                  bool force) {
    std::error_code error;
    if (fs::exists(folder, error) && !fs::is_directory(folder, error))
        return refuse("can't write: " + folder + " is not a folder");
    auto files = kicad::projectFiles(design, plan, kicad::projectStem(design.sheetPath));
    if (!kicad::projectFolderReady(folder, files, force))
        return false;
    fs::create_directories(folder, error);
    if (error)
        return refuse("can't write: " + folder);
    std::string written;
    // Every file of the project is written before any takes its place.
    CommandOutputs outputs;
    for (const auto& [name, bytes] : files) {
        std::string path = (fs::path(folder) / name).string();
        if (!outputs.add(path, bytes, inputsOf(design)))
            return false;
        written += path + "\n";
    }
    return outputs.commit() && writeInformation(written + adaptations(design, plan)) == exitClean;
}

void warn(const std::string& warning) {
    std::fputs(("sheettool: export: " + model::reportLine(warning)).c_str(), stderr);
}

void warnUndrawnParts(const model::Design& design, const std::string& consequence) {
    for (const model::Part& part : design.parts)
        if (part.symbol < 0 || !part.pinsPlaced)
            warn(kicad::undrawnPartWarning(part, consequence));
}

void warnRenumberings(const model::Design& design, const kicad::Annotation& annotation) {
    for (const kicad::Renumbering& change : annotation.changes)
        warn("renumbered: " + kicad::renumberingText(design, change));
}

} // namespace

int exportCommand(int argc, char** argv) {
    DesignArguments arguments;
    std::string format;
    CLI::App parser("The design for today's tools: a KiCad 6 project with the same connectivity "
                    "(kicad-project, into the folder -o names), KiCad's net list (kicad-netlist) "
                    "or a bill of materials (bom-csv).",
                    "sheettool export");
    parser.add_option("FORMAT", format, "kicad-project, kicad-netlist or bom-csv")
        ->required()
        ->check(CLI::IsMember({"kicad-project", "kicad-netlist", "bom-csv"}));
    addSheetArgument(parser, arguments);
    addDesignOptions(parser, arguments, AcceptOutput | AcceptNoLibraries);
    bool force = false;
    parser.add_flag("--force", force,
                    "kicad-project: replace a project in the folder that export did not write");
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    if (format == "kicad-project" && (arguments.output.empty() || arguments.output == "-"))
        return trouble("export kicad-project: name the project's folder with -o");
    // The BOM needs the parts only; the drawing is planned for the others.
    const bool bom = format == "bom-csv";
    model::Design design;
    if (!readOneDesign(arguments, design, bom ? model::Content::Parts : model::Content::Everything))
        return exitTrouble;
    // The net list and the BOM are the same bytes on the standard output
    // as in a file: the BOM's lines end CR LF everywhere.
    if (format != "kicad-project" && (arguments.output.empty() || arguments.output == "-"))
        platform::setBinaryMode(stdout);
    if (bom) {
        kicad::Annotation annotation = kicad::annotate(design);
        warnUndrawnParts(design, "counted by its library part's name");
        warnRenumberings(design, annotation);
        return writeCommandOutput(arguments.output, kicad::bomCsv(design, annotation),
                                  inputsOf(design))
                   ? exitClean
                   : exitTrouble;
    }
    kicad::Plan plan = kicad::planKicad(design);
    if (format == "kicad-project") {
        warnUndrawnParts(design, "drawn as an empty box");
        return writeProject(design, plan, arguments.output, force) ? exitClean : exitTrouble;
    }
    warnUndrawnParts(design, "its pins are not in the net list");
    warnRenumberings(design, plan.annotation);
    if (!writeCommandOutput(
            arguments.output,
            kicad::netlistText(design, plan, kicad::idText(kicad::projectStem(design.sheetPath))),
            inputsOf(design)))
        return exitTrouble;
    // Written, but a board made from it would lack those parts' pins.
    return kicad::netlistComplete(design, plan) ? exitClean : exitFound;
}

} // namespace dovla::sheettool
