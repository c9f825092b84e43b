#include "check_report.h"

#include "design_json.h"
#include "driver/platform.h"
#include "waivers.h"

namespace dovla::sheettool {

namespace {

std::string count(int number, const char* one, const char* more) {
    return std::to_string(number) + " " + (number == 1 ? one : more);
}

std::string ignoredText(const CheckResult& result) {
    std::string text;
    for (model::FindingKind kind : result.ignored)
        text += (text.empty() ? "" : ", ") + std::string(model::checkType(kind).id);
    return text.empty() ? "none" : text;
}

std::string failOnName(const CheckPolicy& policy) {
    return policy.failOn ? model::severityName(*policy.failOn) : "never";
}

// A waiver as its file has it, without its comment.
std::string waiverText(const Waiver& waiver) {
    std::string line = waiverLine(waiver.kind, waiver.subjects, "");
    line.pop_back();
    return line;
}

// What the design was read with, so that a report made without the
// libraries (every part unknown) is never taken for one made with them.
std::string readText(const model::Design& design) {
    if (design.configuration.empty())
        return "read without TAVEL.INI: no libraries (--no-libraries)";
    std::string libraries;
    for (const std::string& library : design.libraries)
        libraries += (libraries.empty() ? "" : ", ") + library;
    // The current folder's file by its name, as the user sees it there.
    const std::string configuration =
        design.configuration == platform::configPathInCurrentDirectory() ? "TAVEL.INI"
                                                                         : design.configuration;
    return "read with " + configuration + ": " +
           (libraries.empty() ? std::string("no libraries") : libraries);
}

} // namespace

std::string checkText(const model::Design& design, const CheckResult& result) {
    std::string out;
    // A design may have tens of thousands of findings: each line is made
    // in one buffer that keeps its room.
    std::string line;
    for (const JudgedFinding& judged : result.findings) {
        if (judged.waiver)
            continue;
        const model::Finding& finding = judged.finding;
        line.assign(design.sheetPath).append(": ");
        model::appendPlace(line, finding.sheet, finding.at);
        line.append(": ").append(model::severityName(judged.severity)).append(": ");
        line.append(finding.message).append(" [").append(model::findingName(finding.kind));
        line += ']';
        model::appendReportLine(out, line);
    }
    for (const StaleWaiver& stale : result.stale)
        out += model::reportLine(result.waiversPath + ":" + std::to_string(stale.waiver->line) +
                                 ": " + model::severityName(stale.severity) +
                                 ": waiver matches no finding: " + waiverText(*stale.waiver) +
                                 (stale.hint.empty() ? "" : " (" + stale.hint + ")") +
                                 " [stale-waiver]");
    out += model::reportLine(design.sheetPath + ": " + readText(design));
    out += model::reportLine(
        design.sheetPath + ": " + count(result.open[0], "error", "errors") + ", " +
        count(result.open[1], "warning", "warnings") + ", " + std::to_string(result.open[2]) +
        " info, " + std::to_string(result.waived) + " waived; ignored: " + ignoredText(result) +
        "; fails on: " + failOnName(result.policy));
    return out;
}

namespace {

using model::Json;

Json subjectsJson(const std::vector<std::string>& subjects) {
    Json list = Json::array();
    for (const std::string& subject : subjects)
        list.push_back(model::jsonString(subject));
    return list;
}

} // namespace

std::string checkJson(const model::Design& design, const CheckResult& result) {
    Json out;
    out["format"] = model::jsonFormat;
    out["sheetFile"] = model::jsonString(design.sheetPath);
    out["configuration"] = model::configurationJson(design);
    out["libraries"] = model::librariesJson(design);
    out["severities"] = Json::array({"error", "warning", "info"});
    Json levels = Json::object();
    Json ignored = Json::array();
    for (const model::CheckType& type : model::checkTypes()) {
        std::optional<model::Severity> level = result.policy.levelOf(type.kind);
        levels[type.id] = level ? model::severityName(*level) : "ignore";
        if (!level)
            ignored.push_back(type.id);
    }
    out["levels"] = levels;
    out["ignored"] = ignored;
    out["failOn"] = failOnName(result.policy);
    out["fails"] = result.fails();
    out["counts"] = Json{{"error", result.open[0]},
                         {"warning", result.open[1]},
                         {"info", result.open[2]},
                         {"waived", result.waived}};
    Json findings = Json::array();
    for (const JudgedFinding& judged : result.findings) {
        Json finding = model::findingJson(judged.finding);
        finding["severity"] = model::severityName(judged.severity);
        finding["waived"] = judged.waiver != nullptr;
        if (judged.waiver)
            finding["waiver"] = Json{{"line", judged.waiver->line},
                                     {"comment", model::jsonString(judged.waiver->comment)}};
        findings.push_back(std::move(finding));
    }
    out["findings"] = std::move(findings);
    out["waiversFile"] =
        result.waiversPath.empty() ? Json(nullptr) : Json(model::jsonString(result.waiversPath));
    Json stale = Json::array();
    for (const StaleWaiver& waiver : result.stale)
        stale.push_back(Json{{"line", waiver.waiver->line},
                             {"kind", model::findingName(waiver.waiver->kind)},
                             {"subjects", subjectsJson(waiver.waiver->subjects)},
                             {"comment", model::jsonString(waiver.waiver->comment)},
                             {"severity", model::severityName(waiver.severity)},
                             {"hint", waiver.hint.empty() ? Json(nullptr) : Json(waiver.hint)}});
    out["staleWaivers"] = std::move(stale);
    return out.dump() + "\n";
}

} // namespace dovla::sheettool
