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
    for (model::Finding& finding : findings) {
        std::optional<model::Severity> level = policy.levelOf(finding.kind);
        if (!level)
            continue;
        JudgedFinding judged{std::move(finding), *level, nullptr};
        auto found = byKey.find({judged.finding.kind, sortedSubjects(judged.finding.subjects)});
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
            result.stale.push_back({&waiver, *staleLevel});
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
