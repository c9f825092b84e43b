#include "report/excluded_names.h"

#include <cstring>

namespace dovla {

void ExcludedNameList::addExcludedName(const char* name) {
    names_.emplace_back(name);
}

bool ExcludedNameList::isExcluded(const char* name) const {
    // "VCC" and "GND" are prefixes (VCC5, GNDA); -w names match whole names.
    if (implicitPowerNames_ &&
        (std::strncmp(name, "VCC", 3) == 0 || std::strncmp(name, "GND", 3) == 0))
        return true;
    for (const std::string& excluded : names_) {
        if (excluded == name)
            return true;
    }
    return false;
}

void ExcludedNameList::clear() {
    names_.clear();
    implicitPowerNames_ = true;
}

} // namespace dovla
