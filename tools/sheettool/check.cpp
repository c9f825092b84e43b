#include "check.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "connect/object_store.h"
#include "driver/alloc_pool.h"
#include "driver/net_list_run.h"
#include "report/excluded_names.h"

namespace dovla::sheettool {

namespace {

// The kinds of finding, in the order in which a sheet's findings are listed.
enum Category {
    LonelyPin,
    OpenWireEnd,
    UnusedName,
    TwoNames,
    OpenBusEntry,
    UnknownPart,
    BadBlock,
};

struct Finding {
    std::int32_t sheet;
    Category category;
    std::int32_t x, y; // sheet coordinates
    std::string message;
};

// A pin as the net list shows it, without the tab: "R1 RES [2]".
std::string pinName(const SheetObject& pin) {
    std::string text = pin.text;
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == ':' && i + 1 < text.size() && text[i + 1] == '\t') {
            shown += ' ';
            ++i;
        } else if (text[i] != '\t') {
            shown += text[i];
        }
    }
    return shown;
}

std::string quoted(const char* name) {
    return std::string("\"") + name + "\"";
}

std::string partName(const PartInstance& instance) {
    std::string ref = instance.ref[0] != '\0' ? instance.ref : "without reference";
    return "part " + ref + " " + instance.libName;
}

class Checker {
  public:
    explicit Checker(NetListRun& run) : run_(run), store_(run.store) {}

    std::vector<Finding> findings() {
        checkPins();
        checkWireEnds();
        checkNames();
        checkNets();
        checkBusEntries();
        checkParts();
        std::stable_sort(
            findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
                return a.sheet != b.sheet ? a.sheet < b.sheet : a.category < b.category;
            });
        return findings_;
    }

  private:
    static bool hasPinsPlaced(const PartInstance& instance) {
        return instance.libPart != nullptr && instance.block < instance.libPart->blockCount;
    }

    void add(std::int32_t sheet, Category category, std::int32_t x, std::int32_t y,
             std::string message) {
        findings_.push_back(
            {sheet, category, x - 3000 * sheet, y - 2000 * sheet, std::move(message)});
    }
    void add(const SheetObject& object, Category category, std::int32_t x, std::int32_t y,
             std::string message) {
        add(object.sheet, category, x, y, std::move(message));
    }

    template <typename Visit> void forEachObject(Visit visit) {
        dovla::forEachObject(store_, [&](SheetObject* o) { visit(*o); });
    }

    // The names a net carries: those of its labels and tags and of its
    // power pins, each once, in member order.
    std::vector<const SheetObject*> nameSources(const Group& net) const {
        std::vector<const SheetObject*> sources;
        forEachMember(net, [&](SheetObject* member) {
            bool named = member->kind == Label || member->kind == Tag ||
                         (member->kind == Pin && run_.excluded.isExcluded(member->name));
            if (!named)
                return;
            for (const SheetObject* source : sources) {
                if (std::strcmp(source->name, member->name) == 0)
                    return;
            }
            sources.push_back(member);
        });
        return sources;
    }

    void checkPins() {
        std::unordered_map<const Group*, int> pinsOfNet;
        forEachObject([&](const SheetObject& pin) {
            if (pin.kind == Pin && pin.net != nullptr)
                ++pinsOfNet[pin.net];
        });
        forEachObject([&](const SheetObject& pin) {
            if (pin.kind != Pin)
                return;
            if (pin.net == nullptr) {
                add(pin, LonelyPin, pin.x1, pin.y1, "pin " + pinName(pin) + " belongs to no net");
                return;
            }
            if (pinsOfNet[pin.net] > 1)
                return;
            std::vector<const SheetObject*> names = nameSources(*pin.net);
            std::string net = names.empty() ? "its net" : "net " + quoted(names[0]->name);
            add(pin, LonelyPin, pin.x1, pin.y1,
                "pin " + pinName(pin) + " is the only pin of " + net);
        });
    }

    // A wire end is open when nothing at its point is in the wire's net;
    // a bus entry there counts as its way to the bus.
    void checkWireEnd(const SheetObject& wire, std::int32_t x, std::int32_t y) {
        bool touches = false;
        PointSearch search(store_, x, y);
        while (SheetObject* p = search.next()) {
            if (p == &wire)
                continue;
            if (p->kind == BusEntry || (wire.net != nullptr && p->net == wire.net))
                return;
            touches = true;
        }
        add(wire, OpenWireEnd, x, y,
            touches ? "wire end touches items but is joined to none of them"
                    : "wire end touches nothing");
    }

    void checkWireEnds() {
        forEachObject([&](const SheetObject& wire) {
            if (wire.kind != Wire)
                return;
            checkWireEnd(wire, wire.x1, wire.y1);
            if (wire.x2 != wire.x1 || wire.y2 != wire.y1)
                checkWireEnd(wire, wire.x2, wire.y2);
        });
    }

    void checkNames() {
        forEachObject([&](const SheetObject& object) {
            if ((object.kind == Label || object.kind == Tag) && object.net == nullptr)
                add(object, UnusedName, object.x1, object.y1,
                    std::string(object.kind == Label ? "label " : "tag ") + quoted(object.name) +
                        " names nothing");
        });
    }

    void checkNets() {
        const GroupList& nets = store_.nets();
        for (std::uint32_t i = 0; i < nets.size(); ++i) {
            std::vector<const SheetObject*> names = nameSources(nets[i]);
            if (names.size() < 2)
                continue;
            std::string list;
            for (const SheetObject* source : names)
                list += (list.empty() ? "" : ", ") + quoted(source->name);
            const SheetObject& second = *names[1];
            add(second, TwoNames, second.x1, second.y1,
                "net carries " + std::to_string(names.size()) + " names: " + list);
        }
    }

    // Whether a point is a scan point of a bus that the net builder scans.
    bool onScannedBus(const std::vector<const SheetObject*>& buses, std::int32_t x,
                      std::int32_t y) const {
        const std::int32_t step = run_.options.scanStep;
        for (const SheetObject* bus : buses) {
            if (bus->y1 == bus->y2 && y == bus->y1 && x >= bus->x1 && x <= bus->x2 &&
                (x - bus->x1) % step == 0)
                return true;
            if (bus->x1 == bus->x2 && x == bus->x1 && y >= bus->y1 && y <= bus->y2 &&
                (y - bus->y1) % step == 0)
                return true;
        }
        return false;
    }

    void checkBusEntries() {
        std::vector<const SheetObject*> buses;
        forEachObject([&](const SheetObject& bus) {
            if (bus.kind == Bus && (bus.dir1 & 2) == 0)
                buses.push_back(&bus);
        });
        // An end that the bus scan joined lies on a bus; either end may be
        // the one meant for the bus.
        forEachObject([&](const SheetObject& entry) {
            if (entry.kind == BusEntry && !entry.joined1 && !entry.joined2 &&
                !onScannedBus(buses, entry.x1, entry.y1) &&
                !onScannedBus(buses, entry.x2, entry.y2))
                add(entry, OpenBusEntry, entry.x1, entry.y1, "bus entry touches no bus");
        });
    }

    void checkParts() {
        const PartInstanceTable& instances = run_.parts.instances();
        for (std::uint32_t i = 0; i < instances.count(); ++i) {
            const PartInstance& instance = instances[i];
            std::int32_t sheet = instance.sheet;
            if (instance.libPart == nullptr)
                add(sheet, UnknownPart, instance.x, instance.y,
                    partName(instance) + ": no library holds " + quoted(instance.libName));
            else if (!hasPinsPlaced(instance))
                add(sheet, BadBlock, instance.x, instance.y,
                    partName(instance) + ": block " + std::to_string(instance.block + 1) +
                        " of a part with " + std::to_string(instance.libPart->blockCount) +
                        (instance.libPart->blockCount == 1 ? " block" : " blocks"));
        }
    }

    NetListRun& run_;
    ObjectStore& store_;
    std::vector<Finding> findings_;
};

} // namespace

int checkDesign(const std::string& sheetPath, const CheckOptions& options, std::string& out) {
    ExcludedNameList excluded;
    excluded.setImplicitPowerNames(options.implicitPowerNames);
    for (const std::string& name : options.powerNames)
        excluded.addExcludedName(name.c_str());
    AllocPool objectPool;
    AllocPool partPool;
    NetListRun run(excluded, objectPool, partPool);
    run.options.scanStep = options.scanStep;
    run.readDesign(sheetPath.c_str());
    run.connectDesign();
    std::vector<Finding> findings = Checker(run).findings();
    for (const Finding& finding : findings)
        out += sheetPath + ": sheet " + std::to_string(finding.sheet) + " at " +
               std::to_string(finding.x) + "," + std::to_string(finding.y) + ": " +
               finding.message + "\n";
    return findings.empty() ? exitClean : exitFound;
}

} // namespace dovla::sheettool
