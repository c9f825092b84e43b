#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "connect/net_builder.h"
#include "connect/object_store.h"
#include "driver/alloc_pool.h"
#include "report/excluded_names.h"

namespace dovla::testing {

// A fresh store on a fresh pool, with helpers that create objects the way
// the sheet reader and the pin placement do, each under a short label that
// the renderings below print.
class NetFixture : public ::testing::Test {
  protected:
    NetFixture() { store.createPointGrid(); }

    SheetObject* add(const std::string& label, std::int32_t kind, std::int32_t attr,
                     std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2,
                     SecondEnd secondEnd, const char* name = "", const char* text = nullptr) {
        SheetObject* object = store.addObject(kind, attr, x1, y1, x2, y2, secondEnd, name, text);
        labels_[object] = label;
        return object;
    }

    SheetObject* wire(const std::string& label, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                      std::int32_t y2) {
        return add(label, Wire, 0, x1, y1, x2, y2, SecondEnd::Present);
    }
    SheetObject* bus(const std::string& label, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                     std::int32_t y2) {
        return add(label, Bus, 0, x1, y1, x2, y2, SecondEnd::Present);
    }
    SheetObject* entry(const std::string& label, std::int32_t x1, std::int32_t y1, std::int32_t x2,
                       std::int32_t y2, std::int32_t attr) {
        return add(label, BusEntry, attr, x1, y1, x2, y2, SecondEnd::Present);
    }
    SheetObject* junction(const std::string& label, std::int32_t x, std::int32_t y) {
        return add(label, Junction, 0, x, y, -x, -y, SecondEnd::Absent);
    }
    SheetObject* labelAt(const std::string& label, std::int32_t x, std::int32_t y, const char* name,
                         std::int32_t attr = 0) {
        return add(label, Label, attr, x, y, -x, -y, SecondEnd::Absent, name);
    }
    // A tag runs right from its point, on one horizontal line.
    SheetObject* tag(const std::string& label, std::int32_t x, std::int32_t y, const char* name,
                     std::int32_t width = 40) {
        return add(label, Tag, 0, x, y, x + width, y, SecondEnd::Present, name);
    }
    // A pin ends at (x, y) and points toward its root inside the part body.
    SheetObject* pin(const std::string& label, std::int32_t x, std::int32_t y, std::int32_t rootX,
                     std::int32_t rootY, const char* name = "U1") {
        return add(label, Pin, 0, x, y, -rootX, -rootY, SecondEnd::Absent, name, label.c_str());
    }

    // Names an object that the builder made (a piece of a split wire).
    void nameObject(const SheetObject* object, const std::string& label) {
        labels_[object] = label;
    }

    // The n-th object made, counted from 0.
    SheetObject* objectAt(std::size_t index) {
        return index < store.objectCount() ? &store.object(static_cast<std::uint32_t>(index))
                                           : nullptr;
    }
    std::size_t objectCount() { return store.objectCount(); }

    std::string labelOf(const SheetObject* object) const {
        auto found = labels_.find(object);
        if (found != labels_.end())
            return found->second;
        return "?" + std::to_string(object->kind) + "(" + std::to_string(object->x1) + "," +
               std::to_string(object->y1) + ")";
    }

    // Each group of a list as "[member member ...]", in creation order,
    // members in joining order; an emptied group shows as "[]".
    std::string groups(const GroupList& list) const {
        std::string out;
        for (std::uint32_t i = 0; i < list.size(); ++i) {
            if (!out.empty())
                out += ' ';
            out += '[';
            bool first = true;
            forEachMember(store, list[i], [&](const SheetObject* member) {
                if (!first)
                    out += ' ';
                out += labelOf(member);
                first = false;
            });
            out += ']';
        }
        return out;
    }
    std::string nets() { return groups(store.nets()); }
    std::string busGroups() { return groups(store.busGroups()); }

    // The objects in creation order as labels with their ends:
    // "W1(3100,2100-3200,2100)".
    std::string objects() {
        std::string out;
        forEachObject(store, [&](SheetObject* object) {
            if (!out.empty())
                out += ' ';
            out += labelOf(object);
            if (object->kind == Wire || object->kind == Bus)
                out += "(" + std::to_string(object->x1) + "," + std::to_string(object->y1) + "-" +
                       std::to_string(object->x2) + "," + std::to_string(object->y2) + ")";
        });
        return out;
    }

    // Every object found at a point, in search order.
    std::string at(std::int32_t x, std::int32_t y) {
        std::string out;
        PointSearch search(store, x, y);
        while (SheetObject* object = search.next()) {
            if (!out.empty())
                out += ' ';
            out += labelOf(object);
        }
        return out;
    }

    void build(std::int32_t step = 10) { NetBuilder(store, excluded, step).buildNets(); }

    AllocPool pool;
    ObjectStore store{pool};
    ExcludedNameList excluded;

  private:
    std::unordered_map<const SheetObject*, std::string> labels_;
};

} // namespace dovla::testing
