#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The net builder exactly as its rules read, on data structures of its own:
// circular rings with sentinel heads, a point grid of 50 by 50-unit cells
// whose rings hold one node per registered end, every raster point of a
// bus or wire searched, every pair of groups and pins compared, every net
// recorded at a wire entry as often as it meets one. Slow and plain, it is
// what the production store and builder are held to, object for object and
// member for member.
namespace dovla::testing::literal {

struct Ring {
    Ring* next;
    Ring* prev;
    void* data;
};

struct Object {
    int index;
    std::int32_t kind, attr;
    std::int32_t x1, y1, x2, y2;
    std::int32_t dir1, dir2;
    std::int32_t joined1, joined2;
    bool hasEnd2;
    std::string name, text;
    Ring* node2;
    Ring* net;
};

class Model {
  public:
    explicit Model(std::int32_t scanStep);
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    Object* addObject(std::int32_t kind, std::int32_t attr, std::int32_t x1, std::int32_t y1,
                      std::int32_t x2, std::int32_t y2, bool hasEnd2, const std::string& name,
                      const char* text = nullptr);
    void buildNets(const std::function<bool(const std::string&)>& isExcluded);

    // Objects, their groups and what a search finds at each end; then the
    // members of every net and bus group.
    std::string render();

  private:
    Ring* newRing();
    Ring* append(Ring* head, void* data);
    Ring* cellOf(std::int32_t x, std::int32_t y);
    Ring* findAtPoint(Ring* previous, std::int32_t x, std::int32_t y);
    std::vector<Object*> objects();

    void joinObjects(Ring* ring, Object* a, Object* b);
    void scanBus(Object* bus);
    void joinAtBusPoint(std::int32_t x, std::int32_t y, Object* bus);
    void tagBusEnds(Object* bus);
    void joinByTagName(Ring* ring);
    void scanWire(Object* wire);
    void checkWirePoint(std::int32_t x, std::int32_t y, Object* wire);
    void splitWire(std::int32_t x, std::int32_t y, Object* wire);
    void joinAtEnd(std::int32_t x, std::int32_t y, Object* object);
    void joinBusWires();
    void recordEntryNets(std::int32_t x, std::int32_t y, Object* member);
    void joinPowerPins(const std::function<bool(const std::string&)>& isExcluded);

    std::int32_t step_;
    Ring objectRing_;
    Ring netRing_;
    Ring busGroupRing_;
    Ring* searchCell_ = nullptr;
    std::map<std::pair<std::int64_t, std::int64_t>, Ring*> cells_;
    std::vector<std::unique_ptr<Ring>> rings_;
    std::vector<std::unique_ptr<Object>> objects_;
};

} // namespace dovla::testing::literal
