// Times the loading of a large part library for a design of many placed
// parts: readLibrary of a library of 30,000 parts and resolvePartInstances
// for 5,000 instances whose names are spread through it. The same lookups
// (one isPartUsed per library part, one findLibPart per instance) are also
// done by scanning the tables in order, which is what they cost without the
// name tables, and both answers are checked to agree.
//
//   library_load [RUNS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "library/part_library.h"
#include "writers/library_writer.h"

using namespace dovla;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int libraryParts = 30000;
constexpr int instanceCount = 5000;

std::string partName(int i) {
    char name[16];
    std::snprintf(name, sizeof name, "PART%05d", i);
    return name;
}

// Parts of 1 to 16 pins on both sides, some of them named; identical records
// are shared, so the library stays within the reach of its part offsets.
writers::LibraryWriter bigLibrary() {
    writers::LibraryWriter library;
    static const char* const pinNames[] = {"", "A", "B", "Y", "VCC", "GND", "CLK", ""};
    for (int i = 0; i < libraryParts; ++i) {
        writers::LibPartDescription part;
        part.name = partName(i);
        int pins = 1 + i % 16;
        part.width = 4;
        part.height = pins + 1;
        for (int p = 0; p < pins; ++p)
            part.pins.push_back({writers::pinAt(p % 2 == 0 ? 0 : 2, p / 2 + 1),
                                 pinNames[p % 8],
                                 {writers::pinNumber(p + 1)}});
        library.add(part);
    }
    return library;
}

double milliseconds(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void placeInstances(PartLibrary& library, const std::vector<std::string>& names) {
    for (const std::string& name : names)
        library.instances().addPartInstance(8, 1000, 1000, "U1", 0, 0, "", name.c_str());
}

// The lookups as scans of the tables, first match wins.
bool scanIsPartUsed(const PartInstanceTable& instances, const char* name) {
    for (const PartInstance& instance : instances)
        if (std::strcmp(instance.libName, name) == 0)
            return true;
    return false;
}

const LibPart* scanFindLibPart(const PartLibrary& library, const char* name) {
    for (std::uint32_t i = 0; i < library.libPartCount(); ++i)
        if (std::strcmp(library.libPart(i).name, name) == 0)
            return &library.libPart(i);
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    setMessageStream(nullptr);

    namespace fs = std::filesystem;
    const fs::path work = fs::temp_directory_path() /
                          ("dovla32-library-load-" + std::to_string(std::random_device()()));
    fs::create_directory(work);
    const std::string path = (work / "big.lib").string();
    bigLibrary().save(path);
    const auto fileSize = fs::file_size(path);

    std::mt19937 random(20240601);
    std::uniform_int_distribution<int> pick(0, libraryParts - 1);
    std::vector<std::string> instanceNames;
    for (int i = 0; i < instanceCount; ++i)
        instanceNames.push_back(partName(pick(random)));
    std::vector<std::string> distinct = instanceNames;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    std::vector<std::string> libraryNames;
    for (int i = 0; i < libraryParts; ++i)
        libraryNames.push_back(partName(i));

    std::vector<double> total, reading, binding, hashed, scanned;
    std::uint32_t loaded = 0;
    bool agree = true;
    for (int run = 0; run < runs; ++run) {
        // The whole load, as the run sequence does it.
        {
            AllocPool pool;
            PartLibrary library(pool);
            placeInstances(library, instanceNames);
            Clock::time_point start = Clock::now();
            library.readLibrary(path.c_str());
            Clock::time_point read = Clock::now();
            library.resolvePartInstances();
            Clock::time_point end = Clock::now();
            total.push_back(milliseconds(end - start));
            reading.push_back(milliseconds(read - start));
            binding.push_back(milliseconds(end - read));
            loaded = library.libPartCount();
        }
        // The lookups alone, through the name tables and as scans, on the
        // same tables.
        AllocPool pool;
        PartLibrary library(pool);
        placeInstances(library, instanceNames);
        library.readLibrary(path.c_str());
        std::vector<char> usedByTable(libraryParts), usedByScan(libraryParts);
        std::vector<const LibPart*> foundByTable(instanceCount), foundByScan(instanceCount);

        PartLibrary fresh(pool);
        placeInstances(fresh, instanceNames);
        Clock::time_point start = Clock::now();
        for (int i = 0; i < libraryParts; ++i)
            usedByTable[i] = fresh.isPartUsed(libraryNames[i].c_str());
        for (int i = 0; i < instanceCount; ++i)
            foundByTable[i] = library.findLibPart(instanceNames[i].c_str());
        Clock::time_point middle = Clock::now();
        for (int i = 0; i < libraryParts; ++i)
            usedByScan[i] = scanIsPartUsed(fresh.instances(), libraryNames[i].c_str());
        for (int i = 0; i < instanceCount; ++i)
            foundByScan[i] = scanFindLibPart(library, instanceNames[i].c_str());
        Clock::time_point end = Clock::now();
        hashed.push_back(milliseconds(middle - start));
        scanned.push_back(milliseconds(end - middle));
        agree = agree && usedByTable == usedByScan && foundByTable == foundByScan;
    }
    fs::remove_all(work);

    if (!agree || loaded != distinct.size()) {
        std::fprintf(stderr, "lookups disagree with the scans (loaded %u of %zu names)\n", loaded,
                     distinct.size());
        return 1;
    }
    const double baseline = median(total) - median(hashed) + median(scanned);
    std::printf("library: %d parts, %ju bytes; %d instances naming %zu distinct parts, all "
                "loaded\n",
                libraryParts, static_cast<std::uintmax_t>(fileSize), instanceCount,
                distinct.size());
    std::printf("median of %d runs:\n", runs);
    std::printf("  readLibrary + resolvePartInstances  %9.2f ms  (readLibrary %.2f, resolve "
                "%.2f)\n",
                median(total), median(reading), median(binding));
    std::printf("  lookups through the name tables     %9.2f ms  (%d isPartUsed + %d "
                "findLibPart)\n",
                median(hashed), libraryParts, instanceCount);
    std::printf("  the same lookups as linear scans    %9.2f ms\n", median(scanned));
    std::printf("  load with linear-scan lookups       %9.2f ms  (the load above with its "
                "lookups replaced)\n",
                baseline);
    std::printf("  speed-up of the load                %9.1fx\n", baseline / median(total));
    return 0;
}
