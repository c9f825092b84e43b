#include "check_arguments.h"

#include <cstring>
#include <string_view>

#include "sheettool.h"

namespace dovla::sheettool {

std::optional<model::Severity> CheckPolicy::levelOf(model::FindingKind kind) const {
    auto found = levels.find(kind);
    return found != levels.end() ? found->second : model::checkType(kind).severity;
}

namespace {

// The value of a long option, given as --name VALUE or --name=VALUE; null
// when the argument is not that option.
const char* optionValue(std::string_view name, int argc, char** argv, int& i, bool& missing) {
    std::string_view argument = argv[i];
    if (argument == name) {
        if (i + 1 == argc) {
            missing = true;
            return nullptr;
        }
        return argv[++i];
    }
    if (argument.size() > name.size() && argument.substr(0, name.size()) == name &&
        argument[name.size()] == '=')
        return argv[i] + name.size() + 1;
    return nullptr;
}

bool setLevel(std::string_view setting, CheckPolicy& policy) {
    std::size_t equals = setting.find('=');
    if (equals == std::string_view::npos)
        return refuse("--severity takes TYPE=LEVEL: " + std::string(setting));
    std::optional<model::FindingKind> kind = model::findingKindNamed(setting.substr(0, equals));
    if (!kind)
        return refuse("unknown check: " + std::string(setting.substr(0, equals)));
    std::string_view level = setting.substr(equals + 1);
    if (level == "ignore") {
        policy.levels[*kind] = std::nullopt;
        return true;
    }
    std::optional<model::Severity> severity = model::severityNamed(level);
    if (!severity)
        return refuse("unknown level: " + std::string(level) + " (error, warning, info or ignore)");
    policy.levels[*kind] = severity;
    return true;
}

bool setFailOn(std::string_view level, CheckPolicy& policy) {
    if (level == "never") {
        policy.failOn = std::nullopt;
        return true;
    }
    policy.failOn = model::severityNamed(level);
    return policy.failOn ? true
                         : refuse("unknown level: " + std::string(level) +
                                  " (error, warning, info or never)");
}

} // namespace

bool takeCheckArguments(int argc, char** argv, CheckArguments& arguments,
                        std::vector<char*>& rest) {
    for (int i = 0; i < argc; ++i) {
        bool missing = false;
        const char* value = nullptr;
        if ((value = optionValue("--severity", argc, argv, i, missing))) {
            if (!setLevel(value, arguments.policy))
                return false;
        } else if ((value = optionValue("--fail-on", argc, argv, i, missing))) {
            if (!setFailOn(value, arguments.policy))
                return false;
        } else if ((value = optionValue("--waivers", argc, argv, i, missing))) {
            arguments.waivers = value;
            missing = arguments.waivers.empty();
        } else if ((value = optionValue("--write-waivers", argc, argv, i, missing))) {
            arguments.writeWaivers = value;
            missing = arguments.writeWaivers.empty();
        } else if (std::strcmp(argv[i], "--sarif") == 0) {
            arguments.sarif = true;
        } else if (!missing) {
            rest.push_back(argv[i]);
        }
        if (missing)
            return refuse(std::string("no option argument: ") +
                          std::string(argv[i]).substr(0, std::string(argv[i]).find('=')));
    }
    return true;
}

} // namespace dovla::sheettool
