#pragma once

#include <string>
#include <vector>

namespace dovla {

// The power names: parts and pins whose name is excluded are left out of the
// part and net lists, name their nets instead, and join every pin of the
// same name wherever it stands.
class ExcludedNameList {
  public:
    void addExcludedName(const char* name);
    void setImplicitPowerNames(bool on) { implicitPowerNames_ = on; }
    bool isExcluded(const char* name) const;
    void clear();

  private:
    std::vector<std::string> names_;
    bool implicitPowerNames_ = true;
};

} // namespace dovla
