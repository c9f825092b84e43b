#include "sarif_soundness.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <map>
#include <set>

#include "sheet/sheet_format.h"
#include "support/run_program.h"

namespace dovla::sheettool::testing {

namespace {

using nlohmann::json;
namespace format = dovla::sheetformat;

std::vector<std::string> validatorErrors(dovla::testing::TempDir& dir, const std::string& log) {
#ifdef SARIF_VALIDATOR
    dir.write("validated.sarif", log);
    dovla::testing::RunResult run = dovla::testing::runCommand(
        {SARIF_VALIDATOR, "validate", "validated.sarif", "-o", "verdict.sarif", "--log",
         "ForceOverwrite", "--rule-kind", "Sarif;Gh"},
        dir.path());
    std::vector<std::string> errors;
    const json verdict = json::parse(dovla::testing::readFile(dir.file("verdict.sarif")));
    for (const json& result : verdict["runs"][0]["results"]) {
        if (result.value("level", "warning") == "error")
            errors.push_back(result["ruleId"].get<std::string>() + " " + result["message"].dump());
    }
    if (run.status != 0)
        errors.push_back("the validator ended with " + std::to_string(run.status) + ": " + run.err);
    return errors;
#else
    (void)dir;
    (void)log;
    std::fprintf(stderr, "no SARIF validator (scripts/install-sarif-validator.sh): the log's "
                         "shape is checked, its validity is not\n");
    return {};
#endif
}

// A record of the sheet file as the test reads it, apart from the program.
struct Record {
    int type;
    std::int64_t length;
    int sheet;
    const unsigned char* body;
};

int int16At(const unsigned char* at) {
    return static_cast<std::int16_t>(at[0] | (at[1] << 8));
}

std::string textAt(const unsigned char* body, std::size_t lengthAt, std::size_t textAt,
                   std::size_t size) {
    std::size_t length = std::min<std::size_t>(body[lengthAt], size);
    return std::string(reinterpret_cast<const char*>(body + textAt), length);
}

// The records of the file's bytes, which they point into.
std::map<std::int64_t, Record> recordsOf(const std::string& bytes) {
    std::map<std::int64_t, Record> records;
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    std::int64_t at = 0;
    int sheet = 0;
    const auto size = static_cast<std::int64_t>(bytes.size());
    while (at < size) {
        int type = data[at];
        std::int64_t length = 0;
        if (type >= format::FirstExtensionRecord &&
            at + 1 + static_cast<std::int64_t>(format::field::extensionLength) + 2 <= size)
            length = int16At(data + at + 1 + format::field::extensionLength);
        else if (type < format::FirstInvalidRecord)
            length = 1 + static_cast<std::int64_t>(format::bodySizes[type]);
        if (length <= 0 || at + length > size)
            break;
        sheet += type == format::SheetHeaderRecord;
        records[at] = {type, length, sheet, data + at + 1};
        at += length;
    }
    return records;
}

bool onSegment(int x1, int y1, int x2, int y2, int x, int y) {
    const std::int64_t cross = std::int64_t{x2 - x1} * (y - y1) - std::int64_t{y2 - y1} * (x - x1);
    return cross == 0 && x >= std::min(x1, x2) && x <= std::max(x1, x2) && y >= std::min(y1, y2) &&
           y <= std::max(y1, y2);
}

// Whether the record draws what the result points at: a wire or bus
// through its place, a junction, bus entry, label or tag at it, a part
// that its message names.
bool drawsIt(const Record& record, const json& result) {
    const std::string place = result["locations"][0]["logicalLocations"][0]["name"];
    int sheet = 0, x = 0, y = 0;
    if (std::sscanf(place.c_str(), "sheet %d at %d,%d", &sheet, &x, &y) != 3 ||
        sheet != record.sheet)
        return false;
    const unsigned char* body = record.body;
    const int rx = int16At(body + format::field::x);
    const int ry = int16At(body + format::field::y);
    switch (record.type) {
    case format::WireRecord:
    case format::BusRecord:
        return onSegment(rx, ry, int16At(body + format::field::x2),
                         int16At(body + format::field::y2), x, y);
    case format::JunctionRecord:
    case format::BusEntryRecord:
    case format::LabelRecord:
    case format::TagRecord:
        return rx == x && ry == y;
    case format::PartRecord: {
        const std::string message = result["message"]["text"];
        const std::string ref =
            textAt(body, format::field::refLength, format::field::ref, format::field::refSize);
        const std::string name = textAt(body, format::field::partNameLength,
                                        format::field::partName, format::field::partNameSize);
        return message.find(ref.empty() ? name : ref) != std::string::npos;
    }
    default:
        return false;
    }
}

} // namespace

std::vector<std::string> sarifFaults(dovla::testing::TempDir& dir, const std::string& log,
                                     const std::string& sheetPath) {
    std::vector<std::string> faults = validatorErrors(dir, log);
    const std::string sheet = dovla::testing::readFile(sheetPath);
    const std::map<std::int64_t, Record> records = recordsOf(sheet);
    std::set<std::string> fingerprints;
    const json parsed = json::parse(log);
    for (const json& result : parsed["runs"][0]["results"]) {
        const std::string key = result["partialFingerprints"]["waiver/v1"];
        if (!fingerprints.insert(key).second)
            faults.push_back("two results share the fingerprint " + key);
        const json& physical = result["locations"][0]["physicalLocation"];
        if (result["ruleId"] == "stale-waiver")
            continue; // at its line of the waivers file
        const json& region = physical["region"];
        const auto found = records.find(region.value("byteOffset", std::int64_t{-1}));
        if (found == records.end() || found->second.length != region.value("byteLength", 0) ||
            !drawsIt(found->second, result))
            faults.push_back("the region " + region.dump() + " is not the record that draws " +
                             result["message"]["text"].get<std::string>());
    }
    return faults;
}

} // namespace dovla::sheettool::testing
