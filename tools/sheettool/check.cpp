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
    CheckArguments check;
    std::vector<char*> rest;
    if (!takeCheckArguments(argc, argv, check, rest))
        return exitTrouble;
    DesignArguments arguments;
    model::Design design;
    if (!readOneDesign(static_cast<int>(rest.size()), rest.data(), AcceptJson | AcceptOutput,
                       arguments, design))
        return exitTrouble;
    if (arguments.json && check.sarif)
        return trouble("--json and --sarif: one report at a time");
    std::vector<Waiver> waivers;
    if (!check.waivers.empty() && !readWaivers(check.waivers, waivers))
        return exitTrouble;
    CheckResult result =
        judgeFindings(model::findingsOf(design), check.policy, waivers, check.waivers);
    if (!check.writeWaivers.empty() &&
        !writeCommandOutput(check.writeWaivers, waiversText(result, waivers, design.sheetPath),
                            inputsOf(design)))
        return exitTrouble;
    std::string report = arguments.json ? checkJson(design, result)
                         : check.sarif  ? checkSarif(design, result)
                                        : checkText(design, result);
    std::vector<std::string> inputs = inputsOf(design);
    if (!check.waivers.empty())
        inputs.push_back(check.waivers);
    if (!writeCommandOutput(arguments.output, report, inputs))
        return exitTrouble;
    return result.fails() ? exitFound : exitClean;
}

} // namespace dovla::sheettool
