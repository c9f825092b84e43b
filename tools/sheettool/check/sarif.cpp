#include <cctype>
#include <cstdio>
#include <string_view>

#include "check_report.h"
#include "design_json.h"
#include "json_writer.h"

// The log follows SARIF 2.1.0. A sheet file is binary and has no lines, so
// a finding points at the bytes of the record that draws its item (the
// region's byteOffset and byteLength), and names its place in the terms of
// the drawing, "sheet N at X,Y", as its logical location and in its
// message. docs/sheettool-check.md describes it for those who read it.
//
// A design with a hundred thousand findings makes a log of as many
// results, so the log is written as it is made: the run's description
// (the rules once) indented for reading, then each result on a line of its
// own, without the spaces that would double its size.
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

// The run's results, each written compact on a line of its own as soon as
// it is made, through a buffer that goes to the file in large pieces.
class ResultStream {
  public:
    explicit ResultStream(std::FILE* file) : file_(file) { buffer_.reserve(chunk + 4096); }
    void write(std::string_view text) {
        buffer_ += text;
        if (buffer_.size() >= chunk)
            flush();
    }
    void result(std::string_view result) {
        write(first_ ? "\n" : ",\n");
        first_ = false;
        write(result);
    }
    // False when a byte could not be written.
    bool finish() {
        flush();
        return ok_ && std::fflush(file_) == 0;
    }

  private:
    static constexpr std::size_t chunk = 1 << 16;
    void flush() {
        if (!buffer_.empty() &&
            std::fwrite(buffer_.data(), 1, buffer_.size(), file_) != buffer_.size())
            ok_ = false;
        buffer_.clear();
    }
    std::FILE* file_;
    std::string buffer_;
    bool first_ = true;
    bool ok_ = true;
};

// A string of the files' bytes as JSON, escaped by the JSON library.
std::string quoted(const std::string& bytes) {
    return Json(model::jsonString(bytes)).dump();
}

Json lineLocation(const std::string& uri, int line) {
    return Json{{"physicalLocation",
                 {{"artifactLocation", {{"uri", uri}}}, {"region", {{"startLine", line}}}}}};
}

std::string waiverKey(model::FindingKind kind, const std::vector<std::string>& subjects) {
    std::string line = waiverLine(kind, subjects, "");
    line.pop_back();
    return line;
}

// The URIs of the sheet file, as JSON, and of the waivers file.
struct Uris {
    std::string sheetJson;
    std::string waivers;
};

// A result is put together as text, only its free texts escaped as JSON,
// in buffers that keep their room from result to result: a log holds as
// many results as the design has findings, and a document of objects for
// each would cost several times the time of the text report.
class FindingResults {
  public:
    explicit FindingResults(const Uris& uris) : uris_(uris) {}

    const std::string& of(const JudgedFinding& judged) {
        const model::Finding& finding = judged.finding;
        place_.clear();
        model::appendPlace(place_, finding.sheet, finding.at);
        result_.assign(R"({"ruleId":")").append(model::findingName(finding.kind));
        result_.append(R"(","level":")").append(sarifLevel(judged.severity));
        result_.append(R"(","message":{"text":)");
        text_.assign(finding.message).append(" (").append(place_).append(")");
        model::appendJsonText(result_, text_);
        result_.append(R"(},"locations":[{"physicalLocation":{"artifactLocation":{"uri":)");
        result_.append(uris_.sheetJson).append(R"(},"region":{"byteOffset":)");
        model::appendNumber(result_, finding.record.offset);
        result_.append(R"(,"byteLength":)");
        model::appendNumber(result_, finding.record.length);
        result_.append(R"(}},"logicalLocations":[{"name":")").append(place_);
        result_.append(R"("}]}],"partialFingerprints":{"waiver/v1":)");
        model::appendJsonText(result_, waiverKey(finding.kind, finding.subjects));
        result_ += '}';
        if (judged.waiver) {
            Json suppression = {{"kind", "external"},
                                {"status", "accepted"},
                                {"location", lineLocation(uris_.waivers, judged.waiver->line)}};
            if (!judged.waiver->comment.empty())
                suppression["justification"] = model::jsonString(judged.waiver->comment);
            result_.append(R"(,"suppressions":[)").append(suppression.dump()).append("]");
        }
        result_ += '}';
        return result_;
    }

  private:
    const Uris& uris_;
    std::string place_, text_, result_;
};

std::string staleResult(const Uris& uris, const StaleWaiver& stale) {
    const std::string key = waiverKey(stale.waiver->kind, stale.waiver->subjects);
    return Json{{"ruleId", "stale-waiver"},
                {"level", sarifLevel(stale.severity)},
                {"message", text("waiver matches no finding: " + key +
                                 (stale.hint.empty() ? "" : " (" + stale.hint + ")"))},
                {"locations", Json::array({lineLocation(uris.waivers, stale.waiver->line)})},
                {"partialFingerprints", {{"waiver/v1", model::jsonString("stale-waiver " + key)}}}}
        .dump();
}

Json artifactsOf(const model::Design& design, const CheckResult& result) {
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
    return artifacts;
}

// A member of the run, its value indented for reading under it.
std::string runMember(const char* name, const Json& value) {
    std::string text = value.dump(2);
    std::string indented;
    indented.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        indented += c;
        if (c == '\n')
            indented += "      ";
    }
    return "      \"" + std::string(name) + "\": " + indented + ",\n";
}

} // namespace

bool writeCheckSarif(std::FILE* file, const model::Design& design, const CheckResult& result) {
    Json invocation = {{"executionSuccessful", true}};
    Json overrides = ruleOverrides(result.policy);
    if (!overrides.empty())
        invocation["ruleConfigurationOverrides"] = std::move(overrides);
    Json properties = {
        {"configuration", model::configurationJson(design)},
        {"libraries", model::librariesJson(design)},
        {"severities", Json::array({"error", "warning", "info"})},
        {"failOn", result.policy.failOn ? model::severityName(*result.policy.failOn) : "never"}};
    ResultStream out(file);
    out.write("{\n  \"$schema\": \"https://json.schemastore.org/sarif-2.1.0.json\",\n"
              "  \"version\": \"2.1.0\",\n  \"runs\": [\n    {\n");
    out.write(runMember(
        "tool",
        {{"driver", {{"name", "sheettool"}, {"version", SHEETTOOL_VERSION}, {"rules", rules()}}}}));
    out.write(runMember("invocations", Json::array({std::move(invocation)})));
    out.write(runMember("artifacts", artifactsOf(design, result)));
    out.write(runMember("properties", properties));
    out.write("      \"results\": [");
    const Uris uris = {quoted(uriOf(design.sheetPath)),
                       model::jsonString(uriOf(result.waiversPath))};
    FindingResults results(uris);
    for (const JudgedFinding& judged : result.findings)
        out.result(results.of(judged));
    for (const StaleWaiver& stale : result.stale)
        out.result(staleResult(uris, stale));
    out.write(result.findings.empty() && result.stale.empty() ? "]\n    }\n  ]\n}\n"
                                                              : "\n]\n    }\n  ]\n}\n");
    return out.finish();
}

} // namespace dovla::sheettool
