#include "check_result.h"

#include <algorithm>
#include <map>
#include <set>

namespace dovla::sheettool {

namespace {

// Subjects compare in any order: a set of names may be listed either way.
std::vector<std::string> sortedSubjects(std::vector<std::string> subjects) {
    std::sort(subjects.begin(), subjects.end());
    return subjects;
}

using WaiverKey = std::pair<model::FindingKind, std::vector<std::string>>;

// Keys that sheettool wrote before each finding had a key of its own: a
// wire end in no net or a bus entry by its sheet alone, a name on separate
// nets by the name alone, a short by its power names alone. They named
// every such finding at once, so they match none now.
std::string olderKeyHint(const Waiver& waiver) {
    const std::vector<std::string>& subjects = waiver.subjects;
    auto any = [&](const char* start, const char* inside) {
        return std::any_of(subjects.begin(), subjects.end(), [&](const std::string& subject) {
            return subject.starts_with(start) && subject.find(inside) != std::string::npos;
        });
    };
    bool older = false;
    switch (waiver.kind) {
    case model::FindingKind::OpenWireEnd:
    case model::FindingKind::WireOnBus:
        older = subjects.size() == 1 && subjects[0].starts_with("sheet ") &&
                subjects[0].find(" at ") == std::string::npos;
        break;
    case model::FindingKind::OpenBusEntry:
    case model::FindingKind::PowerShort:
        older = !any("sheet ", " at ");
        break;
    case model::FindingKind::NameOnSeparateNets:
        older = subjects.size() == 1;
        break;
    default:
        break;
    }
    return older ? "a key of an older sheettool that names no single finding: write it again "
                   "with --write-waivers"
                 : "";
}

} // namespace

bool CheckResult::fails() const {
    for (const JudgedFinding& judged : findings) {
        if (!judged.waiver && policy.fails(judged.severity))
            return true;
    }
    return std::any_of(stale.begin(), stale.end(),
                       [&](const StaleWaiver& s) { return policy.fails(s.severity); });
}

CheckResult judgeFindings(std::vector<model::Finding> findings, const CheckPolicy& policy,
                          const std::vector<Waiver>& waivers, const std::string& waiversPath) {
    CheckResult result;
    result.policy = policy;
    result.waiversPath = waiversPath;
    for (const model::CheckType& type : model::checkTypes()) {
        if (!policy.levelOf(type.kind))
            result.ignored.push_back(type.kind);
    }
    std::map<WaiverKey, std::vector<const Waiver*>> byKey;
    for (const Waiver& waiver : waivers)
        byKey[{waiver.kind, sortedSubjects(waiver.subjects)}].push_back(&waiver);
    std::set<const Waiver*> used;
    result.findings.reserve(findings.size());
    for (model::Finding& finding : findings) {
        std::optional<model::Severity> level = policy.levelOf(finding.kind);
        if (!level)
            continue;
        JudgedFinding judged{std::move(finding), *level, nullptr};
        auto found =
            byKey.empty()
                ? byKey.end()
                : byKey.find({judged.finding.kind, sortedSubjects(judged.finding.subjects)});
        if (found != byKey.end()) {
            judged.waiver = found->second.front();
            used.insert(found->second.begin(), found->second.end());
            ++result.waived;
        } else {
            ++result.open[static_cast<std::size_t>(*level)];
        }
        result.findings.push_back(std::move(judged));
    }
    // A waiver of a check that did not run cannot be judged stale.
    std::optional<model::Severity> staleLevel = policy.levelOf(model::FindingKind::StaleWaiver);
    for (const Waiver& waiver : waivers) {
        if (staleLevel && policy.levelOf(waiver.kind) && used.count(&waiver) == 0) {
            result.stale.push_back({&waiver, *staleLevel, olderKeyHint(waiver)});
            ++result.open[static_cast<std::size_t>(*staleLevel)];
        }
    }
    return result;
}

std::string waiversText(const CheckResult& result, const std::vector<Waiver>& waivers,
                        const std::string& sheetPath) {
    std::string text = "# Findings of sheettool check accepted for " + sheetPath +
                       ".\n# One waiver a line: TYPE SUBJECT..., then # and why it is accepted.\n";
    std::set<WaiverKey> written;
    for (const JudgedFinding& judged : result.findings) {
        const model::Finding& finding = judged.finding;
        if (!written.insert({finding.kind, sortedSubjects(finding.subjects)}).second)
            continue;
        if (judged.waiver)
            text += waiverLine(finding.kind, judged.waiver->subjects, judged.waiver->comment);
        else
            text += waiverLine(finding.kind, finding.subjects, finding.message);
    }
    for (const Waiver& waiver : waivers) {
        if (!result.policy.levelOf(waiver.kind))
            text += waiverLine(waiver.kind, waiver.subjects, waiver.comment);
    }
    return text;
}

} // namespace dovla::sheettool
