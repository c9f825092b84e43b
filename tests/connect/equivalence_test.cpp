// The production store and builder against the literal model, on many
// random designs crowded enough that objects touch, cross and overlap all
// the time, and on designs that pile dozens of ends onto a few points. Both
// must come to exactly the same state: the same objects in the same order
// (so the same splits), the same objects found in the same order at every
// end, and the same members in the same order in every net and bus group.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unordered_map>
#include <vector>

#include "connect/net_builder.h"
#include "connect/object_store.h"
#include "driver/alloc_pool.h"
#include "literal_model.h"
#include "report/excluded_names.h"

namespace dovla::testing {
namespace {

struct ObjectShape {
    std::int32_t kind, attr, x1, y1, x2, y2;
    SecondEnd secondEnd;
    std::string name;
};

using Design = std::vector<ObjectShape>;

// Random designs on a small field. Most coordinates lie on the 10-unit
// raster, some on the 5-unit one and some anywhere, so that the fine scan
// finds what the coarse one passes by.
class DesignGenerator {
  public:
    DesignGenerator(std::uint32_t seed, std::int32_t originX, std::int32_t originY)
        : random_(seed), originX_(originX), originY_(originY) {}

    Design make() {
        design_.clear();
        if (chance(0.6))
            busStructure();
        if (chance(0.3))
            busStructure();
        int count = between(30, 110);
        for (int i = 0; i < count; ++i)
            randomObject();
        return design_;
    }

    // A design whose objects pile up on a few points: many ends meet at one
    // point (more than the builder's crowded points hold), wires overlap
    // on one line from one point, zero-length wires stack, labels, tags,
    // pins, junctions and wire entries gather.
    Design makeCrowded() {
        design_.clear();
        if (chance(0.5))
            busStructure();
        int hubs = between(1, 3);
        for (int h = 0; h < hubs; ++h) {
            std::int32_t x = 10 * between(2, 14), y = 10 * between(2, 10);
            int count = between(20, 60);
            bool busEnds = chance(0.3);
            for (int i = 0; i < count; ++i) {
                if (busEnds)
                    busEndObject(x, y);
                else
                    crowdedObject(x, y);
            }
        }
        int count = between(0, 30);
        for (int i = 0; i < count; ++i)
            randomObject();
        return design_;
    }

    // Wires that overlap along a few lines, each cut at the others' ends,
    // with labels, pins, junctions and tags on the lines and wires across.
    Design makeCollinear() {
        design_.clear();
        if (chance(0.5))
            busStructure();
        static const char* const names[] = {"D0", "D1", "VCC", "N"};
        int lines = between(1, 3);
        for (int l = 0; l < lines; ++l) {
            bool horizontal = chance(0.6);
            std::int32_t fixed = 10 * between(1, 13);
            auto at = [&](std::int32_t along, std::int32_t across = 0) {
                return horizontal ? std::pair(along, fixed + across)
                                  : std::pair(fixed + across, along);
            };
            int count = between(8, 40);
            for (int i = 0; i < count; ++i) {
                std::int32_t from = chance(0.4) ? 0 : coordinate(100);
                std::int32_t to = from + length();
                double roll = std::uniform_real_distribution<double>(0, 1)(random_);
                auto [x1, y1] = at(from);
                auto [x2, y2] = at(to);
                if (roll < 0.6) {
                    add(Wire, 0, x1, y1, x2, y2, SecondEnd::Present);
                } else if (roll < 0.72) {
                    add(Label, chance(0.5) ? 8 : 0, x2, y2, -x2, -y2, SecondEnd::Absent,
                        pick(names));
                } else if (roll < 0.8) {
                    auto [px, py] = at(to, 10);
                    add(Pin, 0, x2, y2, -px, -py, SecondEnd::Absent, pick(names));
                } else if (roll < 0.85) {
                    add(Junction, 0, x2, y2, -x2, -y2, SecondEnd::Absent);
                } else if (roll < 0.9) {
                    auto [tx, ty] = at(to + 20);
                    add(Tag, 0, x2, y2, tx, ty, SecondEnd::Present, pick(names));
                } else {
                    auto [ax, ay] = at(to, -30);
                    add(Wire, 0, ax, ay, x2, y2, SecondEnd::Present);
                }
            }
        }
        int count = between(0, 20);
        for (int i = 0; i < count; ++i)
            randomObject();
        return design_;
    }

  private:
    static constexpr std::int32_t fieldWidth = 200;
    static constexpr std::int32_t fieldHeight = 140;

    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(random_) < p; }
    int between(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random_);
    }
    template <std::size_t N> const char* pick(const char* const (&names)[N]) {
        return names[between(0, N - 1)];
    }

    std::int32_t coordinate(std::int32_t limit) {
        double roll = std::uniform_real_distribution<double>(0, 1)(random_);
        if (roll < 0.8)
            return 10 * between(0, limit / 10);
        if (roll < 0.9)
            return 5 * between(0, limit / 5);
        return between(0, limit);
    }
    std::int32_t length() {
        double roll = std::uniform_real_distribution<double>(0, 1)(random_);
        if (roll < 0.8)
            return 10 * between(1, 12);
        return between(1, 120);
    }

    void add(std::int32_t kind, std::int32_t attr, std::int32_t x1, std::int32_t y1,
             std::int32_t x2, std::int32_t y2, SecondEnd secondEnd, const char* name = "") {
        if (secondEnd == SecondEnd::Present) {
            x2 += originX_;
            y2 += originY_;
        } else {
            // One-ended objects carry the negated target point.
            x2 -= originX_;
            y2 -= originY_;
        }
        design_.push_back({kind, attr, x1 + originX_, y1 + originY_, x2, y2, secondEnd, name});
    }

    // A line object with its ends in the order the sheet reader gives them
    // (end 1 at the smaller y, or at the smaller x on one line), now and
    // then the other way round.
    void line(std::int32_t kind, std::int32_t attr) {
        std::int32_t x = coordinate(fieldWidth), y = coordinate(fieldHeight);
        std::int32_t x2 = x, y2 = y;
        double roll = std::uniform_real_distribution<double>(0, 1)(random_);
        if (roll < 0.45)
            x2 = x + length();
        else if (roll < 0.82)
            y2 = y + length();
        else if (roll < 0.9)
            ; // zero length
        else {
            x2 = x + (chance(0.5) ? 1 : -1) * length();
            y2 = y + length();
        }
        if (chance(0.05))
            add(kind, attr, x2, y2, x, y, SecondEnd::Present);
        else
            add(kind, attr, x, y, x2, y2, SecondEnd::Present);
    }

    void randomObject() {
        static const char* const labelNames[] = {"D0", "D1", "A", "CLK"};
        static const char* const tagNames[] = {"D0", "DBUS", "CLK", "A", "ABUS"};
        static const char* const pinNames[] = {"VCC", "GND", "VCC5", "U1", "U2", "GNDA", "VCC"};
        double roll = std::uniform_real_distribution<double>(0, 1)(random_);
        std::int32_t x = coordinate(fieldWidth), y = coordinate(fieldHeight);
        if (roll < 0.30) {
            line(Wire, between(0, 255));
        } else if (roll < 0.40) {
            line(Bus, between(0, 255));
        } else if (roll < 0.52) {
            std::int32_t attr = between(0, 255);
            std::int32_t dx = (attr & 1) ? -10 : 10;
            if (chance(0.2))
                dx = between(-15, 15);
            add(BusEntry, attr, x, y, x + dx, y - 10, SecondEnd::Present);
        } else if (roll < 0.62) {
            add(Junction, between(0, 255), x, y, -x, -y, SecondEnd::Absent);
        } else if (roll < 0.72) {
            add(Label, between(0, 255), x, y, -x, -y, SecondEnd::Absent, pick(labelNames));
        } else if (roll < 0.80) {
            add(Tag, between(0, 255), x, y, x + 10 * between(1, 5), y, SecondEnd::Present,
                pick(tagNames));
        } else {
            static const std::int32_t directions[][2] = {{10, 0},  {-10, 0}, {0, 10},
                                                         {0, -10}, {10, 10}, {-20, 0}};
            const auto& d = directions[between(0, 5)];
            std::int32_t rootX = x + d[0], rootY = y + d[1];
            add(Pin, 0, x, y, -rootX, -rootY, SecondEnd::Absent, pick(pinNames));
        }
    }

    // An object with an end at (x, y), or on the lines through it.
    void crowdedObject(std::int32_t x, std::int32_t y) {
        static const char* const names[] = {"D0", "D1", "VCC", "N"};
        double roll = std::uniform_real_distribution<double>(0, 1)(random_);
        std::int32_t d = 10 * between(1, 8);
        if (chance(0.1))
            d = between(1, 60);
        if (roll < 0.25) { // collinear, from the point or through it
            if (chance(0.5))
                add(Wire, 0, x, y, x + d, y, SecondEnd::Present);
            else
                add(Wire, 0, x - 10 * between(0, 3), y, x + d, y, SecondEnd::Present);
        } else if (roll < 0.4) {
            add(Wire, 0, x, y - d, x, y, SecondEnd::Present);
        } else if (roll < 0.5) {
            add(Wire, 0, x, y, x, y, SecondEnd::Present);
        } else if (roll < 0.58) {
            add(Wire, 0, x - d, y, x, y, SecondEnd::Present);
        } else if (roll < 0.66) {
            add(Label, chance(0.5) ? 8 : 0, x, y, -x, -y, SecondEnd::Absent, pick(names));
        } else if (roll < 0.72) {
            add(Junction, 0, x, y, -x, -y, SecondEnd::Absent);
        } else if (roll < 0.8) {
            std::int32_t width = 10 * between(1, 4);
            if (chance(0.5))
                add(Tag, 0, x, y, x + width, y, SecondEnd::Present, pick(names));
            else
                add(Tag, 0, x - width, y, x, y, SecondEnd::Present, pick(names));
        } else if (roll < 0.87) {
            static const std::int32_t roots[][2] = {{10, 0}, {-10, 0}, {0, 10}, {0, -10}};
            const auto& r = roots[between(0, 3)];
            add(Pin, 0, x, y, -(x + r[0]), -(y + r[1]), SecondEnd::Absent, pick(names));
        } else if (roll < 0.92) {
            add(BusEntry, chance(0.7) ? 2 : 0, x, y, x + (chance(0.5) ? 10 : -10), y - 10,
                SecondEnd::Present);
        } else {
            // Buses through the point, and ending at it on either side.
            switch (between(0, 3)) {
            case 0:
                add(Bus, 0, x - d, y, x + d, y, SecondEnd::Present);
                break;
            case 1:
                add(Bus, 0, x - d, y, x, y, SecondEnd::Present);
                break;
            case 2:
                add(Bus, 0, x, y, x + d, y, SecondEnd::Present);
                break;
            default:
                add(Bus, 0, x, y - d, x, y, SecondEnd::Present);
                break;
            }
        }
    }

    // Bus ends at (x, y) that no other bus scan reaches, with tags and
    // entries there.
    void busEndObject(std::int32_t x, std::int32_t y) {
        static const char* const names[] = {"DBUS", "ABUS"};
        // Off the raster, a bus's scan does not reach its far end: that end
        // stays free for the tags.
        std::int32_t d = chance(0.6) ? between(11, 79) : 10 * between(1, 8);
        double roll = std::uniform_real_distribution<double>(0, 1)(random_);
        if (roll < 0.4)
            add(Bus, 0, x - d, y + (chance(0.5) ? 0 : d), x, y, SecondEnd::Present);
        else if (roll < 0.55)
            add(Bus, 0, x, y - d, x, y, SecondEnd::Present);
        else if (roll < 0.8)
            add(Tag, 0, x, y, x + 10 * between(1, 4), y, SecondEnd::Present, pick(names));
        else
            add(BusEntry, chance(0.5) ? 2 : 0, x, y, x - 10, y - 10, SecondEnd::Present);
    }

    // A bus with wire entries and labelled wires at their free ends, and
    // tags at the bus ends: the material of the bus stages, which random
    // objects alone assemble only rarely.
    void busStructure() {
        static const char* const labelNames[] = {"D0", "D1", "D0", "A"};
        static const char* const tagNames[] = {"DBUS", "ABUS", "DBUS"};
        std::int32_t y = 10 * between(4, 16);
        std::int32_t x = 10 * between(0, 6);
        std::int32_t x2 = x + 10 * between(8, 18);
        add(Bus, 0, x, y, x2, y, SecondEnd::Present);
        if (chance(0.7))
            add(Tag, 0, x2, y, x2 + 30, y, SecondEnd::Present, pick(tagNames));
        int entries = between(1, 4);
        for (int i = 0; i < entries; ++i) {
            std::int32_t ex = x + 10 * between(1, (x2 - x) / 10);
            std::int32_t attr = chance(0.8) ? 2 : 0;
            add(BusEntry, attr, ex, y, ex + 10, y - 10, SecondEnd::Present);
            std::int32_t top = y - 10 - 10 * between(3, 8);
            add(Wire, 0, ex + 10, top, ex + 10, y - 10, SecondEnd::Present);
            std::int32_t labelY = top + 10 * between(1, 2);
            if (chance(0.8))
                add(Label, chance(0.85) ? 8 : 0, ex + 10, labelY, -(ex + 10), -labelY,
                    SecondEnd::Absent, pick(labelNames));
        }
    }

    std::mt19937 random_;
    std::int32_t originX_, originY_;
    Design design_;
};

// The state of a production store after building, in the form of the
// literal model's render().
std::string renderState(ObjectStore& store) {
    std::unordered_map<const SheetObject*, int> index;
    std::unordered_map<GroupId, std::string> groupName;
    for (std::uint32_t i = 0; i < store.objectCount(); ++i)
        index[&store.object(i)] = static_cast<int>(i);
    for (std::uint32_t i = 0; i < store.nets().size(); ++i)
        groupName[store.nets().idOf(i)] = "N" + std::to_string(i);
    for (std::uint32_t i = 0; i < store.busGroups().size(); ++i)
        groupName[store.busGroups().idOf(i)] = "G" + std::to_string(i);

    std::ostringstream out;
    auto searchAt = [&](std::int32_t x, std::int32_t y) {
        PointSearch search(store, x, y);
        while (SheetObject* found = search.next())
            out << ' ' << index[found];
    };
    for (std::uint32_t i = 0; i < store.objectCount(); ++i) {
        const SheetObject& o = store.object(i);
        out << i << ": kind " << int{o.kind} << " attr " << int{o.attr} << " (" << o.x1 << ","
            << o.y1 << ")-(" << o.x2 << "," << o.y2 << ") " << (o.hasEnd2 ? "two" : "one")
            << " dir " << int{o.dir1} << "/" << int{o.dir2} << " joined " << int{o.joined1}
            << int{o.joined2} << " '" << store.text(o.name) << "' '" << store.text(o.text)
            << "' in " << (o.net != noGroup ? groupName[o.net] : std::string("-"))
            << " | at end 1:";
        searchAt(o.x1, o.y1);
        if (o.hasEnd2) {
            out << " | at end 2:";
            searchAt(o.x2, o.y2);
        }
        out << '\n';
    }
    auto groups = [&](const GroupList& list, const char* what) {
        for (std::uint32_t i = 0; i < list.size(); ++i) {
            out << what << ' ' << groupName[list.idOf(i)] << ":";
            forEachMember(store, list[i],
                          [&](SheetObject* member) { out << ' ' << index[member]; });
            out << '\n';
        }
    };
    groups(store.nets(), "net");
    groups(store.busGroups(), "bus group");
    return out.str();
}

// What the builder did, summed over all designs: shows that the designs
// exercise every stage, so that agreement means something.
struct Coverage {
    int designs = 0;
    int splits = 0;
    int emptiedNets = 0;
    int emptiedBusGroups = 0;
    int busGroups = 0;
    int namedBusNets = 0;  // nets that joined two labels of one name
    int crowdedPoints = 0; // points with more ends than the builder searches each time
};

void addCoverage(Coverage& coverage, ObjectStore& store, std::size_t designSize) {
    ++coverage.designs;
    coverage.splits += static_cast<int>(store.objectCount() - designSize);
    for (std::uint32_t i = 0; i < store.nets().size(); ++i) {
        const Group& net = store.nets()[i];
        coverage.emptiedNets += net.empty();
        int labels = 0;
        forEachMember(store, net,
                      [&](SheetObject* m) { labels += m->kind == Label && m->attr == 8; });
        coverage.namedBusNets += labels >= 2;
    }
    for (std::uint32_t i = 0; i < store.busGroups().size(); ++i) {
        ++coverage.busGroups;
        coverage.emptiedBusGroups += store.busGroups()[i].empty();
    }
    const PointGrid& grid = store.grid();
    std::unordered_map<std::uint32_t, bool> seen;
    for (std::uint32_t i = 0; i < store.objectCount(); ++i) {
        std::uint32_t point = grid.findPoint(store.object(i).x1, store.object(i).y1);
        if (grid.point(point).count > CrowdedPoints::crowdedEnds && !seen[point]) {
            seen[point] = true;
            ++coverage.crowdedPoints;
        }
    }
}

std::string describe(const Design& design) {
    std::ostringstream out;
    for (const ObjectShape& o : design)
        out << "  kind " << o.kind << " attr " << o.attr << " (" << o.x1 << "," << o.y1 << ")-("
            << o.x2 << "," << o.y2 << ") " << (o.secondEnd == SecondEnd::Present ? "two" : "one")
            << " '" << o.name << "'\n";
    return out.str();
}

// The first line in which two renderings differ, with its neighbours.
std::string firstDifference(const std::string& expected, const std::string& actual) {
    std::istringstream e(expected), a(actual);
    std::string le, la;
    int line = 0;
    while (true) {
        bool he = static_cast<bool>(std::getline(e, le));
        bool ha = static_cast<bool>(std::getline(a, la));
        if (!he && !ha)
            return "no difference";
        if (!he || !ha || le != la)
            return "line " + std::to_string(line) + "\n  literal:    " + (he ? le : "<end>") +
                   "\n  production: " + (ha ? la : "<end>");
        ++line;
    }
}

struct EquivalenceCase {
    const char* what;
    std::int32_t step;
    std::int32_t originX, originY;
    std::uint32_t firstSeed;
    int designs;
    enum Shape { Random, Crowded, Collinear } shape;

    Design make(DesignGenerator& generator) const {
        switch (shape) {
        case Crowded:
            return generator.makeCrowded();
        case Collinear:
            return generator.makeCollinear();
        default:
            return generator.make();
        }
    }
};

void PrintTo(const EquivalenceCase& c, std::ostream* out) {
    *out << c.what;
}

class BuilderEquivalence : public ::testing::TestWithParam<EquivalenceCase> {};

TEST_P(BuilderEquivalence, SameStoreAsTheLiteralModel) {
    const EquivalenceCase& c = GetParam();
    ExcludedNameList excluded;
    Coverage coverage;
    int failures = 0;
    for (int i = 0; i < c.designs && failures < 3; ++i) {
        std::uint32_t seed = c.firstSeed + static_cast<std::uint32_t>(i);
        DesignGenerator generator(seed, c.originX, c.originY);
        Design design = c.make(generator);

        literal::Model model(c.step);
        for (const ObjectShape& o : design)
            model.addObject(o.kind, o.attr, o.x1, o.y1, o.x2, o.y2,
                            o.secondEnd == SecondEnd::Present, o.name);
        model.buildNets([&](const std::string& name) { return excluded.isExcluded(name.c_str()); });

        AllocPool pool;
        ObjectStore store(pool);
        store.createPointGrid();
        for (const ObjectShape& o : design)
            store.addObject(o.kind, o.attr, o.x1, o.y1, o.x2, o.y2, o.secondEnd, o.name.c_str(),
                            nullptr);
        NetBuilder(store, excluded, c.step).buildNets();

        std::string expected = model.render();
        std::string actual = renderState(store);
        if (expected != actual) {
            ++failures;
            ADD_FAILURE() << "seed " << seed << ", step " << c.step << ": "
                          << firstDifference(expected, actual) << "\ndesign:\n"
                          << describe(design);
        }
        addCoverage(coverage, store, design.size());
    }
    // Designs that never touched would make the comparison hollow.
    EXPECT_GT(coverage.splits, coverage.designs);
    EXPECT_GT(coverage.emptiedNets, coverage.designs / 4);
    if (c.shape != EquivalenceCase::Collinear) {
        EXPECT_GT(coverage.emptiedBusGroups, coverage.designs / 50);
        EXPECT_GT(coverage.busGroups, coverage.designs / 3);
    }
    if (c.shape == EquivalenceCase::Crowded) {
        EXPECT_GT(coverage.crowdedPoints, coverage.designs);
    }
    if (c.shape == EquivalenceCase::Random) {
        EXPECT_GT(coverage.namedBusNets, coverage.designs / 20);
    }
    RecordProperty("splits", coverage.splits);
    RecordProperty("emptiedNets", coverage.emptiedNets);
    RecordProperty("emptiedBusGroups", coverage.emptiedBusGroups);
    RecordProperty("namedBusNets", coverage.namedBusNets);
    RecordProperty("crowdedPoints", coverage.crowdedPoints);
}

// A store built from a design, making pieces in the given detail, with the
// wire each piece was cut off.
struct BuiltStore : WirePieceSink {
    BuiltStore(const Design& design, std::int32_t step, PieceDetail detail)
        : store(pool), originals(design.size()) {
        store.createPointGrid();
        for (const ObjectShape& o : design)
            store.addObject(o.kind, o.attr, o.x1, o.y1, o.x2, o.y2, o.secondEnd, o.name.c_str(),
                            nullptr);
        NetBuilder(store, excluded, step, this, detail).buildNets();
    }
    void pieceCut(std::uint32_t piece, std::uint32_t from) override {
        wireOf.resize(piece + 1);
        wireOf[piece] = from;
    }
    // An original object by its index; a piece by its wire and its ends.
    std::string key(ObjectId i) const {
        if (i < originals)
            return "o" + std::to_string(i);
        const SheetObject& o = store.object(i);
        return "p" + std::to_string(wireOf[i]) + ":" + std::to_string(o.x1) + "," +
               std::to_string(o.y1) + "-" + std::to_string(o.x2) + "," + std::to_string(o.y2);
    }
    // The members of every group, nets first, by key, leaving out those
    // not in `only` when it is given.
    std::vector<std::vector<std::string>>
    groups(const std::unordered_map<std::string, bool>* only = nullptr) {
        std::vector<std::vector<std::string>> all;
        for (GroupList* list : {&store.nets(), &store.busGroups()}) {
            for (std::uint32_t g = 0; g < list->size(); ++g) {
                all.emplace_back();
                forEachMember(store, (*list)[g], [&](SheetObject* member) {
                    std::string k = key(store.idOf(*member));
                    if (only == nullptr || only->count(k))
                        all.back().push_back(k);
                });
            }
        }
        return all;
    }

    ExcludedNameList excluded;
    AllocPool pool;
    ObjectStore store;
    std::size_t originals;
    std::vector<ObjectId> wireOf;
};

// With only the first of alike pieces made, every net and bus group stands
// where it stood with every piece and holds the same members in the same
// order, but for the pieces not made: so the lists that show no wire are
// the same.
TEST_P(BuilderEquivalence, FirstOfAlikePiecesKeepEveryGroupAndItsOrder) {
    const EquivalenceCase& c = GetParam();
    int failures = 0;
    std::size_t dropped = 0;
    for (int i = 0; i < c.designs && failures < 3; ++i) {
        std::uint32_t seed = c.firstSeed + static_cast<std::uint32_t>(i);
        DesignGenerator generator(seed, c.originX, c.originY);
        Design design = c.make(generator);
        BuiltStore every(design, c.step, everyPiece);
        BuiltStore first(design, c.step, firstPiecesOfAlike);
        std::unordered_map<std::string, bool> made;
        for (ObjectId o = 0; o < first.store.objectCount(); ++o)
            made[first.key(o)] = true;
        std::unordered_map<std::string, bool> everyKey;
        for (ObjectId o = 0; o < every.store.objectCount(); ++o)
            everyKey[every.key(o)] = true;
        for (const auto& [k, _] : made)
            EXPECT_TRUE(everyKey.count(k)) << "seed " << seed << ": piece " << k << " not cut";
        dropped += every.store.objectCount() - first.store.objectCount();
        const auto expected = every.groups(&made);
        const auto actual = first.groups();
        if (expected != actual) {
            ++failures;
            std::size_t g = 0;
            while (g < expected.size() && g < actual.size() && expected[g] == actual[g])
                ++g;
            auto show = [&](const std::vector<std::vector<std::string>>& groups) {
                std::string text = "group " + std::to_string(g) + ":";
                for (std::size_t m = 0; g < groups.size() && m < groups[g].size(); ++m)
                    text += " " + groups[g][m];
                return text;
            };
            ADD_FAILURE() << "seed " << seed << ", step " << c.step
                          << "\n  every piece: " << show(expected)
                          << "\n  first of alike: " << show(actual) << "\ndesign:\n"
                          << describe(design);
        }
    }
    // Random designs seldom hold three alike pieces; the others always do.
    if (c.shape != EquivalenceCase::Random) {
        EXPECT_GT(dropped, static_cast<std::size_t>(c.designs));
    }
    RecordProperty("dropped", static_cast<int>(dropped));
}

INSTANTIATE_TEST_SUITE_P(
    RandomDesigns, BuilderEquivalence,
    ::testing::Values(
        EquivalenceCase{"step10", 10, 3000, 2000, 1000, 300, EquivalenceCase::Random},
        EquivalenceCase{"step1", 1, 3000, 2000, 5000, 300, EquivalenceCase::Random},
        // Across the origin, and across the far edges of the plane into the
        // 32nd sheet's area.
        EquivalenceCase{"step10_origin", 10, -120, -80, 9000, 60, EquivalenceCase::Random},
        EquivalenceCase{"step1_origin", 1, -125, -75, 9500, 60, EquivalenceCase::Random},
        EquivalenceCase{"step10_edge", 10, 95880, 63920, 12000, 60, EquivalenceCase::Random},
        EquivalenceCase{"step1_edge", 1, 95885, 63925, 12500, 60, EquivalenceCase::Random},
        EquivalenceCase{"crowded_step10", 10, 3000, 2000, 20000, 300, EquivalenceCase::Crowded},
        EquivalenceCase{"crowded_step1", 1, 3000, 2000, 24000, 150, EquivalenceCase::Crowded},
        EquivalenceCase{"crowded_origin", 10, -100, -60, 28000, 100, EquivalenceCase::Crowded},
        EquivalenceCase{"collinear_step10", 10, 3000, 2000, 30000, 200, EquivalenceCase::Collinear},
        EquivalenceCase{"collinear_step1", 1, -95, -55, 31000, 100, EquivalenceCase::Collinear}),
    [](const ::testing::TestParamInfo<EquivalenceCase>& info) {
        return std::string(info.param.what);
    });

} // namespace
} // namespace dovla::testing
