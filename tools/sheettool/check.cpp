#include "check.h"

#include "command_output.h"
#include "design_arguments.h"
#include "design_json.h"
#include "findings.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

std::string findingsText(const model::Design& design, const std::vector<model::Finding>& findings) {
    std::string out;
    for (const model::Finding& finding : findings)
        out += model::reportLine(design.sheetPath + ": sheet " + std::to_string(finding.sheet) +
                                 " at " + std::to_string(finding.at.x) + "," +
                                 std::to_string(finding.at.y) + ": " + finding.message);
    return out;
}

std::string findingsJson(const model::Design& design, const std::vector<model::Finding>& findings) {
    model::Json out;
    out["format"] = model::jsonFormat;
    out["sheetFile"] = model::jsonString(design.sheetPath);
    out["findings"] = model::findingsJson(findings);
    return out.dump() + "\n";
}

} // namespace

int checkCommand(int argc, char** argv) {
    DesignArguments arguments;
    model::Design design;
    if (!readOneDesign(argc, argv, AcceptJson | AcceptOutput, arguments, design))
        return exitTrouble;
    std::vector<model::Finding> findings = model::findingsOf(design);
    std::string text =
        arguments.json ? findingsJson(design, findings) : findingsText(design, findings);
    if (!writeCommandOutput(arguments.output, text, inputsOf(design)))
        return exitTrouble;
    return findings.empty() ? exitClean : exitFound;
}

} // namespace dovla::sheettool
