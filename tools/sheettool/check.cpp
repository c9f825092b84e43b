#include "check.h"

#include "check/check_arguments.h"
#include "check/check_report.h"
#include "check/check_result.h"
#include "check/waivers.h"
#include "command_output.h"
#include "design_arguments.h"
#include "findings.h"
#include "sheettool.h"

namespace dovla::sheettool {

namespace {

bool readWaivers(const std::string& path, std::vector<Waiver>& waivers) {
    std::string text;
    if (!readText(path, text))
        return refuse("can't open: " + path);
    try {
        waivers = parseWaivers(text);
    } catch (const WaiverError& error) {
        return refuse(path + ":" + std::to_string(error.line) + ": " + error.message);
    }
    return true;
}

} // namespace

int checkCommand(int argc, char** argv) {
    DesignArguments arguments;
    CheckArguments check;
    CLI::App parser("What the design holds that its net list hides, each finding with its type, "
                    "level and place.",
                    "sheettool check");
    addSheetArgument(parser, arguments);
    addDesignOptions(parser, arguments, AcceptJson | AcceptOutput | AcceptNoLibraries);
    addCheckOptions(parser, check);
    parser.footer("Exit status 1 when a finding at or above the failing level is neither waived "
                  "nor ignored, 0 when none is, 2 on trouble. The checks, waivers and SARIF: "
                  "docs/sheettool-check.md and sheettool(1).");
    int status = exitClean;
    if (!parseCommand(parser, argc, argv, status))
        return status;
    model::Design design;
    if (!readOneDesign(arguments, design))
        return exitTrouble;
    std::vector<Waiver> waivers;
    if (!check.waivers.empty() && !readWaivers(check.waivers, waivers))
        return exitTrouble;
    CheckResult result =
        judgeFindings(model::findingsOf(design), check.policy, waivers, check.waivers);
    // A SARIF log is written as it is made: it may be many times the size
    // of the text.
    std::string report;
    CommandOutputs::Writer sarif;
    if (check.sarif)
        sarif = [&](std::FILE* file) { return writeCheckSarif(file, design, result); };
    else
        report = arguments.json ? checkJson(design, result) : checkText(design, result);
    std::vector<std::string> inputs = inputsOf(design);
    if (!check.waivers.empty())
        inputs.push_back(check.waivers);
    // The new baseline replaces the old one only with a whole report.
    CommandOutputs outputs;
    std::string baseline;
    if (!check.writeWaivers.empty()) {
        baseline = waiversText(result, waivers, design.sheetPath);
        if (!outputs.add(check.writeWaivers, baseline, inputsOf(design)))
            return exitTrouble;
    }
    const bool added = check.sarif ? outputs.add(arguments.output, std::move(sarif), inputs)
                                   : outputs.add(arguments.output, report, inputs);
    if (!added || !outputs.commit())
        return exitTrouble;
    return result.fails() ? exitFound : exitClean;
}

} // namespace dovla::sheettool
