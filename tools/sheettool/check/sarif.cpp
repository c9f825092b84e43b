#include <cctype>

#include "check_report.h"
#include "design_json.h"

// The log follows SARIF 2.1.0. A sheet file is binary and has no lines, so
// a finding's place is given in the terms of the drawing: the location's
// artifact is the sheet file, its region (line 1, as the file is one
// whole) carries "sheet N at X,Y" as its message, its logical location is
// the sheet, and the message and properties repeat the sheet and the
// coordinates. docs/sheettool-check.md describes it for those who read it.
namespace dovla::sheettool {

namespace {

using model::Json;

// A path as a URI reference: a relative path stays relative (to where
// check ran), an absolute one becomes a file: URI; Windows' separators
// become slashes, and bytes beyond the unreserved characters are
// percent-encoded.
std::string uriOf(const std::string& path) {
    std::string text = path;
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }
    std::string prefix;
    if (!text.empty() && text[0] == '/')
        prefix = "file://";
    else if (text.size() >= 2 && std::isalpha(static_cast<unsigned char>(text[0])) &&
             text[1] == ':')
        prefix = "file:///";
    constexpr char hex[] = "0123456789ABCDEF";
    std::string uri = prefix;
    for (std::size_t i = 0; i < text.size(); ++i) {
        unsigned char byte = static_cast<unsigned char>(text[i]);
        bool keep = std::isalnum(byte) || byte == '-' || byte == '.' || byte == '_' ||
                    byte == '~' || byte == '/' || (byte == ':' && i == 1 && !prefix.empty());
        if (keep) {
            uri += static_cast<char>(byte);
        } else {
            uri += '%';
            uri += hex[byte >> 4];
            uri += hex[byte & 0xF];
        }
    }
    return uri;
}

const char* sarifLevel(model::Severity severity) {
    switch (severity) {
    case model::Severity::Error:
        return "error";
    case model::Severity::Warning:
        return "warning";
    case model::Severity::Info:
        return "note";
    }
    return "none";
}

// "lonely-pin" as "LonelyPin": a rule's name.
std::string ruleName(const char* id) {
    std::string name;
    bool upper = true;
    for (const char* c = id; *c != '\0'; ++c) {
        if (*c == '-') {
            upper = true;
            continue;
        }
        name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
        upper = false;
    }
    return name;
}

Json text(const std::string& bytes) {
    return Json{{"text", model::jsonString(bytes)}};
}

Json rules() {
    Json list = Json::array();
    for (const model::CheckType& type : model::checkTypes())
        list.push_back(Json{{"id", type.id},
                            {"name", ruleName(type.id)},
                            {"shortDescription", text(type.description)},
                            {"fullDescription", text(type.description)},
                            {"help", text(type.description)},
                            {"defaultConfiguration", {{"level", sarifLevel(type.severity)}}}});
    return list;
}

// The levels the user changed and the checks turned off, as the run's
// configuration of its rules.
Json ruleOverrides(const CheckPolicy& policy) {
    Json list = Json::array();
    for (const model::CheckType& type : model::checkTypes()) {
        std::optional<model::Severity> level = policy.levelOf(type.kind);
        if (level && *level == type.severity)
            continue;
        Json configuration = level ? Json{{"level", sarifLevel(*level)}} : Json{{"enabled", false}};
        list.push_back(
            Json{{"descriptor", {{"id", type.id}, {"index", static_cast<int>(type.kind)}}},
                 {"configuration", std::move(configuration)}});
    }
    return list;
}

Json fileLocation(int artifact, const std::string& uri, int line, const std::string& place) {
    Json region = {{"startLine", line}};
    if (!place.empty())
        region["message"] = text(place);
    return Json{{"physicalLocation",
                 {{"artifactLocation", {{"uri", model::jsonString(uri)}, {"index", artifact}}},
                  {"region", std::move(region)}}}};
}

std::string waiverKey(model::FindingKind kind, const std::vector<std::string>& subjects) {
    std::string line = waiverLine(kind, subjects, "");
    line.pop_back();
    return line;
}

Json findingResult(const model::Design& design, const CheckResult& result,
                   const JudgedFinding& judged) {
    const model::Finding& finding = judged.finding;
    const std::string place = "sheet " + std::to_string(finding.sheet) + " at " +
                              std::to_string(finding.at.x) + "," + std::to_string(finding.at.y);
    Json location = fileLocation(0, uriOf(design.sheetPath), 1, place);
    location["logicalLocations"] =
        Json::array({{{"name", "sheet " + std::to_string(finding.sheet)},
                      {"fullyQualifiedName", model::jsonString(design.sheetPath) + "/sheet " +
                                                 std::to_string(finding.sheet)}}});
    Json subjects = Json::array();
    for (const std::string& subject : finding.subjects)
        subjects.push_back(model::jsonString(subject));
    Json suppressions = Json::array();
    if (judged.waiver) {
        Json suppression = {
            {"kind", "external"},
            {"status", "accepted"},
            {"location", fileLocation(1, uriOf(result.waiversPath), judged.waiver->line, "")}};
        if (!judged.waiver->comment.empty())
            suppression["justification"] = model::jsonString(judged.waiver->comment);
        suppressions.push_back(std::move(suppression));
    }
    return Json{{"ruleId", model::findingName(finding.kind)},
                {"ruleIndex", static_cast<int>(finding.kind)},
                {"level", sarifLevel(judged.severity)},
                {"message", text(finding.message + " (" + place + ")")},
                {"locations", Json::array({std::move(location)})},
                {"partialFingerprints",
                 {{"waiver/v1", model::jsonString(waiverKey(finding.kind, finding.subjects))}}},
                {"suppressions", std::move(suppressions)},
                {"properties",
                 {{"sheet", finding.sheet},
                  {"x", finding.at.x},
                  {"y", finding.at.y},
                  {"subjects", std::move(subjects)}}}};
}

Json staleResult(const CheckResult& result, const StaleWaiver& stale) {
    const std::string key = waiverKey(stale.waiver->kind, stale.waiver->subjects);
    return Json{{"ruleId", "stale-waiver"},
                {"ruleIndex", static_cast<int>(model::FindingKind::StaleWaiver)},
                {"level", sarifLevel(stale.severity)},
                {"message", text("waiver matches no finding: " + key +
                                 (stale.hint.empty() ? "" : " (" + stale.hint + ")"))},
                {"locations",
                 Json::array({fileLocation(1, uriOf(result.waiversPath), stale.waiver->line, "")})},
                {"partialFingerprints", {{"waiver/v1", model::jsonString("stale-waiver " + key)}}},
                {"suppressions", Json::array()}};
}

} // namespace

std::string checkSarif(const model::Design& design, const CheckResult& result) {
    Json artifacts =
        Json::array({{{"location", {{"uri", model::jsonString(uriOf(design.sheetPath))}}},
                      {"roles", {"analysisTarget", "referencedOnCommandLine"}}}});
    if (!result.waiversPath.empty())
        artifacts.push_back({{"location", {{"uri", model::jsonString(uriOf(result.waiversPath))}}},
                             {"roles", {"userSpecifiedConfiguration", "referencedOnCommandLine"}}});
    // What the connectivity was read with: a log made without libraries
    // (every part unknown) tells itself apart from a real one.
    if (!design.configuration.empty())
        artifacts.push_back(
            {{"location", {{"uri", model::jsonString(uriOf(design.configuration))}}},
             {"roles",
              {design.options.configuration.empty() ? "toolSpecifiedConfiguration"
                                                    : "userSpecifiedConfiguration"}}});
    for (const std::string& library : design.libraries)
        artifacts.push_back({{"location", {{"uri", model::jsonString(uriOf(library))}}}});
    Json results = Json::array();
    for (const JudgedFinding& judged : result.findings)
        results.push_back(findingResult(design, result, judged));
    for (const StaleWaiver& stale : result.stale)
        results.push_back(staleResult(result, stale));
    Json invocation = {{"executionSuccessful", true}};
    Json overrides = ruleOverrides(result.policy);
    if (!overrides.empty())
        invocation["ruleConfigurationOverrides"] = std::move(overrides);
    Json run = {
        {"tool",
         {{"driver", {{"name", "sheettool"}, {"version", SHEETTOOL_VERSION}, {"rules", rules()}}}}},
        {"invocations", Json::array({std::move(invocation)})},
        {"artifacts", std::move(artifacts)},
        {"results", std::move(results)},
        {"properties",
         {{"configuration", model::configurationJson(design)},
          {"libraries", model::librariesJson(design)},
          {"severities", Json::array({"error", "warning", "info"})},
          {"failOn",
           result.policy.failOn ? model::severityName(*result.policy.failOn) : "never"}}}};
    Json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                {"version", "2.1.0"},
                {"runs", Json::array({std::move(run)})}};
    return log.dump(2) + "\n";
}

} // namespace dovla::sheettool
