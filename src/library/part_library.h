#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "library/lib_part.h"
#include "library/part_instances.h"

namespace dovla {

class AllocPool;
class ObjectStore;
struct SheetObject;
struct LibraryFile;

// Told of every pin object as it is made: which instance of the table and
// which pin of its library part it shows.
class PinObjectSink {
  public:
    virtual ~PinObjectSink() = default;
    virtual void pinMade(const SheetObject& pin, std::uint32_t instance, std::uint32_t libPin) = 0;
};

// The part libraries subsystem: the placed parts, the library parts loaded
// for them, the binding of the two and the pins placed from it.
class PartLibrary {
  public:
    explicit PartLibrary(AllocPool& pool) : pool_(pool), instances_(pool) {}
    PartLibrary(const PartLibrary&) = delete;
    PartLibrary& operator=(const PartLibrary&) = delete;

    PartInstanceTable& instances() { return instances_; }
    const PartInstanceTable& instances() const { return instances_; }

    // Reads one library file and loads the parts that some instance names.
    void readLibrary(const char* path);
    bool isPartUsed(const char* name);

    void resolvePartInstances();
    LibPart* findLibPart(const char* name) const;
    // Every pin of every bound instance becomes a Pin object, with its text
    // in the package style when packageFormat is set; the sink, when given,
    // is told of each.
    void createPinObjects(ObjectStore& store, bool packageFormat, PinObjectSink* sink = nullptr);

    std::uint32_t libPartCount() const { return libPartCount_; }
    const LibPart& libPart(std::uint32_t index) const { return libParts_[index]; }
    // The library a loaded part came from, counted in the order the
    // libraries were read.
    int libraryOf(const LibPart& part) const;

  private:
    void readLibPart(LibraryFile& file, const char* name, std::uint32_t index);
    LibPart& appendLibPart();

    AllocPool& pool_;
    PartInstanceTable instances_;
    LibPart* libParts_ = nullptr;
    std::uint32_t libPartCount_ = 0;
    std::uint32_t libPartCapacity_ = 0;
    // Lookups by name, with the results of scanning the tables in order:
    // the library names that instances ask for, and the first loaded part
    // of each name.
    std::unordered_set<std::string> usedNames_;
    std::uint32_t usedNamesCounted_ = 0;
    std::uint32_t usedNamesResets_ = 0; // the instance table's resets() they came from
    std::unordered_map<std::string, std::uint32_t> firstPartByName_;
    std::vector<std::uint32_t> libraryStarts_; // the first part each library loaded
};

} // namespace dovla
