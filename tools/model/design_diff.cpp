#include "design_diff.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <set>
#include <system_error>
#include <tuple>

#include "diff_stages.h"
#include "driver/open_file.h"

namespace dovla::model {

namespace {

template <typename List, typename Less> void sortBy(List& list, Less less) {
    std::stable_sort(list.begin(), list.end(), less);
}

} // namespace

bool DesignDiff::empty() const {
    for (const LibraryChange& change : libraryChanges) {
        if (change.kind != LibraryChange::Source)
            return false;
    }
    return partsAdded.empty() && partsRemoved.empty() && partsChanged.empty() &&
           partsRenamed.empty() && powerSymbols.empty() && netsAdded.empty() &&
           netsRemoved.empty() && netsRenamed.empty() && netsMerged.empty() && netsSplit.empty() &&
           pinsMoved.empty() && pinsConnected.empty() && pinsDisconnected.empty() &&
           oldPartsNotCompared == 0 && newPartsNotCompared == 0;
}

namespace {

// Whether two files hold the same bytes. A file that cannot be opened
// holds none, unless the memory to open it was wanting: that ends the run.
bool sameBytes(const std::string& a, const std::string& b) {
    if (a == b)
        return true;
    // Only files that end: a device or a pipe is never read to its end.
    struct Closer {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    using File = std::unique_ptr<std::FILE, Closer>;
    auto open = [](const std::string& path) {
        std::error_code error;
        if (path.empty() || !std::filesystem::is_regular_file(path, error))
            return File();
        errno = 0;
        File file(openFile(path.c_str(), "rb"));
        if (file == nullptr && errno == ENOMEM)
            throw std::bad_alloc();
        return file;
    };
    File first = open(a);
    File second = open(b);
    bool same = first != nullptr && second != nullptr;
    char one[1 << 14], two[1 << 14];
    while (same) {
        std::size_t got = std::fread(one, 1, sizeof one, first.get());
        same = std::fread(two, 1, sizeof two, second.get()) == got &&
               std::memcmp(one, two, got) == 0 && !std::ferror(first.get()) &&
               !std::ferror(second.get());
        if (got == 0)
            break;
    }
    return same;
}

// The parts of a design that have no pins for want of their library part.
int partsNotFound(const Design& design, std::set<std::string>& names) {
    int count = 0;
    for (const Part& part : design.parts) {
        if (!part.found) {
            ++count;
            names.insert(part.libName);
        }
    }
    return count;
}

} // namespace

DesignDiff diffDesigns(const Design& oldDesign, const Design& newDesign) {
    DesignDiff diff;
    std::set<std::string> notFound;
    diff.oldPartsNotCompared = partsNotFound(oldDesign, notFound);
    diff.newPartsNotCompared = partsNotFound(newDesign, notFound);
    diff.libraryPartsNotFound.assign(notFound.begin(), notFound.end());
    diff.configuration.oldLibraries = oldDesign.libraryNames;
    diff.configuration.newLibraries = newDesign.libraryNames;
    diff.configuration.configurationsDiffer =
        !sameBytes(oldDesign.configuration, newDesign.configuration);
    diff.configuration.sheetsIdentical = sameBytes(oldDesign.sheetPath, newDesign.sheetPath);
    diffLibraryParts(oldDesign, newDesign, diff);
    References renamed;
    diffParts(oldDesign, newDesign, renamed, diff);
    diffNets(oldDesign, newDesign, renamed, diff);
    // References and pins in natural order (R2 before R10); renamed parts
    // by the reference the reviewer knew.
    auto part = [](const PartChange& a, const PartChange& b) {
        if (a.ref != b.ref)
            return naturalLess(a.ref, b.ref);
        return std::tie(a.block, a.name, a.libName, a.place.sheet, a.place.at.x, a.place.at.y) <
               std::tie(b.block, b.name, b.libName, b.place.sheet, b.place.at.x, b.place.at.y);
    };
    sortBy(diff.partsAdded, part);
    sortBy(diff.partsRemoved, part);
    sortBy(diff.partsChanged, part);
    sortBy(diff.partsRenamed, [](const PartChange& a, const PartChange& b) {
        if (a.oldRef != b.oldRef)
            return naturalLess(a.oldRef, b.oldRef);
        return std::tie(a.place.sheet, a.place.at.x, a.place.at.y, a.block) <
               std::tie(b.place.sheet, b.place.at.x, b.place.at.y, b.block);
    });
    auto net = [](const NetChange& a, const NetChange& b) { return a.key < b.key; };
    sortBy(diff.netsAdded, net);
    sortBy(diff.netsRemoved, net);
    sortBy(diff.netsRenamed, net);
    sortBy(diff.netsMerged, [](const NetFlow& a, const NetFlow& b) {
        return std::tie(a.into, a.from) < std::tie(b.into, b.from);
    });
    sortBy(diff.netsSplit, [](const NetFlow& a, const NetFlow& b) {
        return std::tie(a.from, a.into) < std::tie(b.from, b.into);
    });
    auto pin = [](const PinChange& a, const PinChange& b) { return naturalLess(a.pin, b.pin); };
    sortBy(diff.pinsMoved, pin);
    sortBy(diff.pinsConnected, pin);
    sortBy(diff.pinsDisconnected, pin);
    return diff;
}

} // namespace dovla::model
