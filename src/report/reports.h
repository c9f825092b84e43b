#pragma once

#include <cstdint>
#include <cstdio>

namespace dovla {

class ExcludedNameList;
class ObjectStore;
class PartInstanceTable;
struct Group;
struct SheetObject;

// The writers of the part list and the net list, in the default format and
// in the package style (-t).
class ReportWriter {
  public:
    ReportWriter(const ExcludedNameList& excluded) : excluded_(excluded) {}

    void setOutput(std::FILE* out) { out_ = out; }
    std::FILE* output() const { return out_; }
    void setLongListing(bool on) { longListing_ = on; }

    void writePartList(const PartInstanceTable& instances);
    void writeNetList(ObjectStore& store);
    void writeNetNames(const ObjectStore& store, const Group& net);

    void writePackageList(const PartInstanceTable& instances);
    void writePackageNets(ObjectStore& store);
    void writePackageNetName(const ObjectStore& store, const Group& net);

    std::int32_t netNumber() const { return netNumber_; }

  private:
    bool isListedPin(const ObjectStore& store, const SheetObject& member) const;
    // Writes the names of a net's labels, tags and power pins, adjacent
    // repeats left out; returns how many were written.
    int writeNameSources(const ObjectStore& store, const Group& net);

    const ExcludedNameList& excluded_;
    std::FILE* out_ = stdout;
    bool longListing_ = false;
    // Generated names of unnamed nets count on over the whole process.
    std::int32_t netNumber_ = 1;
};

} // namespace dovla
