#include "load_design.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <vector>

#include "connect/object_store.h"
#include "driver/alloc_pool.h"
#include "driver/net_list_run.h"
#include "library/lib_part.h"
#include "library_symbols.h"
#include "net_keys.h"
#include "report/excluded_names.h"
#include "report/net_names.h"
#include "sheet/sheet_format.h"
#include "sheet/sheet_reader.h"

namespace dovla::model {

namespace {

// Where each object of the store and each part came from, by index, told
// by the stages as they make them: the record of the sheet file that draws
// it (a wire piece: the record of the wire it was cut off), and for a pin
// object the instance and the library pin it shows.
class ObjectOrigins : public SheetRecordSink, public PinObjectSink, public WirePieceSink {
  public:
    struct Origin {
        std::uint32_t instance;
        std::uint32_t libPin;
    };
    explicit ObjectOrigins(const ObjectStore& store) : store_(store) {}
    void takeRecord(const SheetRecord& record) override {
        switch (record.type) {
        case sheetformat::JunctionRecord:
        case sheetformat::BusEntryRecord:
        case sheetformat::BusRecord:
        case sheetformat::WireRecord:
        case sheetformat::LabelRecord:
        case sheetformat::TagRecord:
            records.push_back(record.fileOffset);
            break;
        case sheetformat::PartRecord:
            partRecords.push_back(record.fileOffset);
            break;
        default: // the records that make no item
            break;
        }
    }
    void pinMade(const SheetObject& pin, std::uint32_t instance, std::uint32_t libPin) override {
        std::uint32_t index = store_.idOf(pin);
        if (index >= origins.size())
            origins.resize(index + 1);
        origins[index] = {instance, libPin};
    }
    // A piece comes after the wire it was cut off, whose record is known.
    void pieceCut(std::uint32_t piece, std::uint32_t from) override {
        if (piece >= records.size())
            records.resize(piece + 1);
        records[piece] = records[from];
    }
    void piecesLeftOut(std::uint64_t count) override { leftOut = count; }
    std::vector<Origin> origins;
    std::vector<std::int64_t> records;     // by object; pin objects: 0
    std::vector<std::int64_t> partRecords; // by instance
    std::uint64_t leftOut = 0;             // wire pieces not made

  private:
    const ObjectStore& store_;
};

class Builder {
  public:
    Builder(NetListRun& run, const ObjectOrigins& origins, Design& design)
        : run_(run), origins_(origins), design_(design) {}

    void build(Content content) {
        sheets();
        parts();
        groups();
        if (content == Content::Parts) {
            pins();
            return;
        }
        items();
        nets();
        busGroups();
        assignNetKeys(design_);
    }

  private:
    Point local(std::int32_t sheet, std::int32_t x, std::int32_t y) const {
        Point offset = sheetOffset(sheet);
        return {x - offset.x, y - offset.y};
    }
    Point end1(const SheetObject& o) const { return local(o.sheet, o.x1, o.y1); }
    Point end2(const SheetObject& o) const { return local(o.sheet, o.x2, o.y2); }

    void sheets() {
        for (std::int32_t n = 1; n <= run_.sheet.sheetCount(); ++n) {
            int code = run_.sheet.sheetSizeCode(n);
            sheetformat::SheetSize size = sheetformat::sheetSize(code);
            design_.sheets.push_back({n, code, size.width, size.height});
        }
    }

    void parts() {
        const PartInstanceTable& instances = run_.parts.instances();
        design_.parts.reserve(instances.count());
        for (std::uint32_t i = 0; i < instances.count(); ++i) {
            const PartInstance& instance = instances[i];
            Part part;
            part.ref = instance.ref;
            part.name = instance.name;
            part.libName = instance.libName;
            part.block = instance.block;
            part.sheet = instance.sheet;
            part.origin = local(instance.sheet, instance.x, instance.y);
            part.placement = instance.dir;
            part.record = origins_.partRecords[i];
            part.bodyMin = part.bodyMax = part.origin;
            if (const LibPart* lib = instance.libPart) {
                part.found = true;
                part.symbol = symbolOf(*lib);
                part.blockCount = lib->blockCount;
                part.pinsPlaced = instance.block < lib->blockCount;
                // The placed body lies toward smaller x and y from the
                // origin, turned a quarter for rotations 1 and 3.
                std::int32_t w = 10 * lib->width;
                std::int32_t h = 10 * lib->height;
                if (instance.dir & 1)
                    std::swap(w, h);
                part.bodyMin = {part.origin.x - w, part.origin.y - h};
            }
            design_.parts.push_back(std::move(part));
        }
    }

    int symbolOf(const LibPart& lib) {
        auto [at, added] = symbolIndex_.try_emplace(&lib, static_cast<int>(design_.symbols.size()));
        if (!added)
            return at->second;
        Symbol symbol = model::symbolOf(lib);
        symbol.library = run_.parts.libraryOf(lib);
        design_.symbols.push_back(std::move(symbol));
        return at->second;
    }

    // The group of every object, by its index: each group, emptied ones
    // left out, numbered in its list's order.
    void groups() {
        ObjectStore& store = run_.store;
        groupOf_.assign(store.objectCount(), GroupRef{});
        auto number = [&](const GroupList& list, GroupRef::Kind kind) {
            std::uint32_t count = 0;
            for (std::uint32_t i = 0; i < list.size(); ++i) {
                if (list[i].empty())
                    continue;
                forEachMember(store, list[i], [&](const SheetObject* member) {
                    groupOf_[store.idOf(*member)] = GroupRef{kind, count};
                });
                ++count;
            }
        };
        number(store.nets(), GroupRef::Net);
        number(store.busGroups(), GroupRef::BusGroup);
    }
    GroupRef groupRef(const SheetObject& o) const { return groupOf_[run_.store.idOf(o)]; }

    template <typename List> ItemRef append(List& list, ItemKind kind) {
        return {kind, static_cast<std::uint32_t>(list.size() - 1)};
    }

    void items() {
        ObjectStore& store = run_.store;
        itemOf_.reserve(store.objectCount());
        design_.items.reserve(store.objectCount());
        reserveLists();
        for (std::uint32_t i = 0; i < store.objectCount(); ++i) {
            const SheetObject& o = store.object(i);
            const std::int64_t record = i < origins_.records.size() ? origins_.records[i] : 0;
            ItemRef ref;
            switch (o.kind) {
            case ObjectKind::Junction:
                design_.junctions.push_back({o.sheet, end1(o), record});
                ref = append(design_.junctions, ItemKind::Junction);
                break;
            case ObjectKind::BusEntry:
                design_.busEntries.push_back({o.sheet, end1(o), end2(o),
                                              (o.attr & wireEntryBit) != 0, o.joined1 != 0,
                                              o.joined2 != 0, groupRef(o), record});
                ref = append(design_.busEntries, ItemKind::BusEntry);
                break;
            case ObjectKind::Bus:
                design_.buses.push_back({o.sheet, end1(o), end2(o), groupRef(o), record});
                ref = append(design_.buses, ItemKind::Bus);
                break;
            case ObjectKind::Wire:
                design_.wires.push_back({o.sheet, end1(o), end2(o), groupRef(o), record});
                ref = append(design_.wires, ItemKind::Wire);
                break;
            case ObjectKind::Label:
                design_.labels.push_back({o.sheet, end1(o), store.text(o.name),
                                          (o.attr & verticalLabelBit) != 0, groupRef(o), record});
                ref = append(design_.labels, ItemKind::Label);
                break;
            case ObjectKind::Tag:
                design_.tags.push_back(
                    {o.sheet, end1(o), end2(o), store.text(o.name), groupRef(o), record});
                ref = append(design_.tags, ItemKind::Tag);
                break;
            default:
                pin(o);
                ref = append(design_.pins, ItemKind::Pin);
                break;
            }
            itemOf_.push_back(ref);
            design_.items.push_back(ref);
        }
    }

    // Each list takes its items without growing on the way, so that the
    // model is written once, not copied as it grows.
    void reserveLists() {
        const ObjectStore& store = run_.store;
        std::uint32_t counts[ObjectKind::Pin + 1] = {};
        for (std::uint32_t i = 0; i < store.objectCount(); ++i)
            ++counts[std::min<unsigned>(store.object(i).kind, ObjectKind::Pin)];
        design_.junctions.reserve(counts[ObjectKind::Junction]);
        design_.busEntries.reserve(counts[ObjectKind::BusEntry]);
        design_.buses.reserve(counts[ObjectKind::Bus]);
        design_.wires.reserve(counts[ObjectKind::Wire]);
        design_.labels.reserve(counts[ObjectKind::Label]);
        design_.tags.reserve(counts[ObjectKind::Tag]);
        design_.pins.reserve(counts[ObjectKind::Pin]);
    }

    // The pins alone, in the order items() lists them.
    void pins() {
        const ObjectStore& store = run_.store;
        for (std::uint32_t i = 0; i < store.objectCount(); ++i)
            if (store.object(i).kind == ObjectKind::Pin)
                pin(store.object(i));
    }

    void pin(const SheetObject& o) {
        const ObjectOrigins::Origin& origin = origins_.origins[run_.store.idOf(o)];
        const PartInstance& instance = run_.parts.instances()[origin.instance];
        const LibPin& libPin = instance.libPart->pins[origin.libPin];
        std::uint16_t word = libPin.numbers[instance.block];
        Pin pin;
        pin.part = origin.instance;
        pin.number = word & 0x1FF;
        int letter = (word >> 10) & 0x1F;
        pin.letter = letter != 0 ? static_cast<char>(letter + 0x40) : 0;
        pin.name = libPin.name;
        pin.text = run_.store.text(o.text);
        pin.sheet = o.sheet;
        pin.end = end1(o);
        // The pin object keeps its root point negated in place of an end 2.
        pin.root = local(o.sheet, -o.x2, -o.y2);
        pin.listed = !run_.excluded.isExcluded(run_.store.text(o.name));
        pin.group = groupRef(o);
        design_.parts[origin.instance].pins.push_back(
            static_cast<std::uint32_t>(design_.pins.size()));
        design_.pins.push_back(std::move(pin));
    }

    void nets() {
        const GroupList& nets = run_.store.nets();
        int unnamed = 0;
        for (std::uint32_t i = 0; i < nets.size(); ++i) {
            if (nets[i].empty())
                continue;
            Net net;
            forEachNetName(run_.store, nets[i], run_.excluded,
                           [&](const char* written, const SheetObject& o) {
                               if (!net.names.empty())
                                   net.nameLine += net.names.size() == 1 ? ", " : ",";
                               net.nameLine += written;
                               net.names.push_back({written, itemOf_[run_.store.idOf(o)],
                                                    o.kind == ObjectKind::Pin});
                           });
            forEachMember(run_.store, nets[i], [&](const SheetObject* member) {
                ItemRef ref = itemOf_[run_.store.idOf(*member)];
                net.members.push_back(ref);
                if (ref.kind == ItemKind::Pin && design_.pins[ref.index].listed)
                    net.written = true;
            });
            if (net.written) {
                if (net.names.empty()) {
                    char generated[16];
                    std::snprintf(generated, sizeof generated, "N%05d", ++unnamed);
                    net.packageName = generated;
                } else {
                    net.packageName = net.nameLine;
                }
            }
            design_.nets.push_back(std::move(net));
        }
    }

    void busGroups() {
        const GroupList& groups = run_.store.busGroups();
        for (std::uint32_t i = 0; i < groups.size(); ++i) {
            if (groups[i].empty())
                continue;
            BusGroup group;
            forEachMember(run_.store, groups[i], [&](const SheetObject* member) {
                group.members.push_back(itemOf_[run_.store.idOf(*member)]);
            });
            design_.busGroups.push_back(std::move(group));
        }
    }

    NetListRun& run_;
    const ObjectOrigins& origins_;
    Design& design_;
    std::map<const LibPart*, int> symbolIndex_;
    std::vector<GroupRef> groupOf_;
    std::vector<ItemRef> itemOf_;
};

} // namespace

Design loadDesign(const std::string& sheetPath, const Options& options, Content content) {
    ExcludedNameList excluded;
    excluded.setImplicitPowerNames(options.implicitPowerNames);
    for (const std::string& name : options.powerNames)
        excluded.addExcludedName(name.c_str());
    AllocPool objectPool;
    AllocPool partPool;
    NetListRun run(excluded, objectPool, partPool);
    run.options.scanStep = options.scanStep;
    std::vector<std::string> names;
    if (!options.configuration.empty() || options.noLibraries) {
        // Relative library paths as dovla32 would take them when run in the
        // configuration's directory; without libraries the name is empty,
        // and an empty name names no library.
        std::filesystem::path directory =
            std::filesystem::path(options.configuration).parent_path();
        run.libraries.readLibraryListFrom(options.configuration, [&](const std::string& path) {
            names.push_back(path);
            if (directory.empty() || !std::filesystem::path(path).is_relative())
                return path;
            return (directory / path).string();
        });
    }
    ObjectOrigins origins(run.store);
    run.readDesign(sheetPath.c_str(), &origins);
    run.connectDesign(&origins, &origins, NetListRun::PartTable::Keep,
                      PieceDetail{options.wirePiecesListed});

    Design design;
    design.sheetPath = sheetPath;
    design.options = options;
    design.configuration = run.libraries.configuration();
    design.configurationCutShort = run.libraries.configurationCutShort();
    design.wirePiecesLeftOut = origins.leftOut;
    for (int i = 0; i < run.libraries.libraryCount(); ++i) {
        design.libraries.push_back(run.libraries.libraryPath(i));
        design.libraryNames.push_back(i < static_cast<int>(names.size()) ? names[i]
                                                                         : design.libraries.back());
    }
    Builder(run, origins, design).build(content);
    return design;
}

} // namespace dovla::model
