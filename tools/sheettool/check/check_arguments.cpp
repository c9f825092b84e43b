#include "check_arguments.h"

#include <string_view>

namespace dovla::sheettool {

std::optional<model::Severity> CheckPolicy::levelOf(model::FindingKind kind) const {
    auto found = levels.find(kind);
    return found != levels.end() ? found->second : model::checkType(kind).severity;
}

namespace {

// A level setting, TYPE=LEVEL: why it is wrong, or nothing.
std::string levelSettingError(const std::string& setting) {
    std::size_t equals = setting.find('=');
    if (equals == std::string::npos)
        return "takes TYPE=LEVEL: " + setting;
    if (!model::findingKindNamed(std::string_view(setting).substr(0, equals)))
        return "unknown check: " + setting.substr(0, equals);
    std::string level = setting.substr(equals + 1);
    if (level != "ignore" && !model::severityNamed(level))
        return "unknown level: " + level + " (error, warning, info or ignore)";
    return "";
}

void setLevel(const std::string& setting, CheckPolicy& policy) {
    std::size_t equals = setting.find('=');
    model::FindingKind kind = *model::findingKindNamed(std::string_view(setting).substr(0, equals));
    policy.levels[kind] = model::severityNamed(std::string_view(setting).substr(equals + 1));
}

std::string failingLevelError(const std::string& level) {
    return level == "never" || model::severityNamed(level)
               ? ""
               : "unknown level: " + level + " (error, warning, info or never)";
}

} // namespace

void addCheckOptions(CLI::App& parser, CheckArguments& arguments) {
    CheckPolicy& policy = arguments.policy;
    parser
        .add_option_function<std::vector<std::string>>(
            "--severity",
            [&policy](const std::vector<std::string>& settings) {
                for (const std::string& setting : settings)
                    setLevel(setting, policy);
            },
            "a check's level: error, warning, info, or ignore to turn it off; for several checks")
        ->type_name("TYPE=LEVEL")
        ->check(CLI::Validator(levelSettingError, "", ""))
        ->allow_extra_args(false);
    parser
        .add_option_function<std::string>(
            "--fail-on",
            [&policy](const std::string& level) { policy.failOn = model::severityNamed(level); },
            "exit 1 from this level on: error (the default), warning, info, or never")
        ->type_name("LEVEL")
        ->check(CLI::Validator(failingLevelError, "", ""));
    parser.add_option("--waivers", arguments.waivers, "the findings accepted, one a line")
        ->type_name("FILE")
        ->check(notEmpty());
    parser
        .add_option("--write-waivers", arguments.writeWaivers,
                    "write a waiver for every finding of the run")
        ->type_name("FILE")
        ->check(notEmpty());
    parser.add_flag("--sarif", arguments.sarif, "write a SARIF 2.1.0 log")
        ->excludes(parser.get_option("--json"));
}

} // namespace dovla::sheettool
