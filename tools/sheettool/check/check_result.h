#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "check_arguments.h"
#include "findings.h"
#include "waivers.h"

namespace dovla::sheettool {

// A finding as a run of check takes it: at its level, waived or not.
struct JudgedFinding {
    model::Finding finding;
    model::Severity severity = model::Severity::Error;
    const Waiver* waiver = nullptr; // the first waiver that accepts it
};

// A waiver that accepted nothing.
struct StaleWaiver {
    const Waiver* waiver = nullptr;
    model::Severity severity = model::Severity::Error;
    // Why it may have gone stale, where its key is of the shape an older
    // sheettool wrote (empty otherwise).
    std::string hint;
};

// What a run of check found: the findings of the checks in force, which of
// them are waived, the waivers that matched nothing, and whether the run
// fails.
struct CheckResult {
    std::vector<JudgedFinding> findings; // those of ignored checks left out
    std::vector<StaleWaiver> stale;      // empty when stale-waiver is ignored
    std::vector<model::FindingKind> ignored;
    CheckPolicy policy;
    std::string waiversPath;
    std::array<int, 3> open{}; // findings neither waived nor stale, by severity
    int waived = 0;

    // Whether a finding or stale waiver at or above the failing level is
    // left: the run then ends with status 1.
    bool fails() const;
};

// The findings of a design judged by the policy and the waivers, which
// must outlive the result.
CheckResult judgeFindings(std::vector<model::Finding> findings, const CheckPolicy& policy,
                          const std::vector<Waiver>& waivers, const std::string& waiversPath);

// The waivers file that accepts every finding of the result: each line of
// the waiver that accepted it (its comment kept), else a new one with the
// finding's message as its comment; waivers of checks ignored in the run
// are kept as they were.
std::string waiversText(const CheckResult& result, const std::vector<Waiver>& waivers,
                        const std::string& sheetPath);

} // namespace dovla::sheettool
