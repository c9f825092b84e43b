#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "connect/object_store.h"
#include "library/library_fixture.h"

namespace dovla::testing {
namespace {

using writers::LibPartDescription;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;

// NAND: 4 by 3, two blocks, A on the left at offset 1, Y on the right at
// offset 2. RES: 4 by 2, pin 1 left and pin 2 right, both at offset 1.
// EMPTY: no pins.
LibraryWriter parts() {
    LibraryWriter writer;
    writer.add({"NAND",
                4,
                3,
                2,
                0,
                {{pinAt(0, 1), "A", {pinNumber(1), pinNumber(4)}},
                 {pinAt(2, 2), "Y", {pinNumber(3), pinNumber(6, 'B')}}}});
    writer.add({"RES",
                4,
                2,
                1,
                0,
                {{pinAt(0, 1), "", {pinNumber(1)}}, {pinAt(2, 1), "", {pinNumber(2)}}}});
    writer.add({"EMPTY", 2, 2, 1, 0, {}});
    return writer;
}

class Binding : public LibraryTest {
  protected:
    void SetUp() override { store.createPointGrid(); }

    void place(const char* ref, const char* name, const char* libName, std::int32_t x,
               std::int32_t y, std::int32_t dir = 0, std::int32_t block = 0) {
        library.instances().addPartInstance(Pin, x, y, ref, dir, block, name, libName);
    }
    std::vector<SheetObject*> objects() {
        std::vector<SheetObject*> all;
        forEachObject(store, [&](SheetObject* o) { all.push_back(o); });
        return all;
    }
    std::vector<SheetObject*> objectsAt(std::int32_t x, std::int32_t y) {
        std::vector<SheetObject*> found;
        PointSearch search(store, x, y);
        while (SheetObject* o = search.next())
            found.push_back(o);
        return found;
    }

    AllocPool objectPool;
    ObjectStore store{objectPool};
};

TEST_F(Binding, FindsTheFirstPartOfExactlyTheName) {
    EXPECT_EQ(library.findLibPart("RES"), nullptr);
    use({"RES", "NAND"});
    read(parts());
    read(parts());
    ASSERT_EQ(library.libPartCount(), 4u);
    EXPECT_EQ(library.findLibPart("NAND"), &library.libPart(0));
    EXPECT_EQ(library.findLibPart("RES"), &library.libPart(1));
    for (const char* other : {"nand", "NAN", "NANDX", "", "EMPTY"})
        EXPECT_EQ(library.findLibPart(other), nullptr) << other;
}

// Every unbound instance is reported on its own, in table order; the others
// are bound to the first part of their name.
TEST_F(Binding, ReportsEveryInstanceWithoutAPart) {
    use({"RES", "LM358", "NAND", "LM358", "lm358", "RES"});
    read(parts());
    read(parts());
    library.resolvePartInstances();
    const PartInstanceTable& table = library.instances();
    EXPECT_EQ(table[0].libPart, &library.libPart(1));
    EXPECT_EQ(table[1].libPart, nullptr);
    EXPECT_EQ(table[2].libPart, &library.libPart(0));
    EXPECT_EQ(table[3].libPart, nullptr);
    EXPECT_EQ(table[4].libPart, nullptr);
    EXPECT_EQ(table[5].libPart, &library.libPart(1));
    EXPECT_EQ(messages.text(), "can't find LM358\ncan't find LM358\ncan't find lm358\n");
}

struct PinObject {
    int kind, attr, x1, y1, x2, y2, dir1;
    bool hasEnd2;
    std::string name, text;
    bool operator==(const PinObject&) const = default;
};

void PrintTo(const PinObject& p, std::ostream* out) {
    *out << p.name << " '" << p.text << "' (" << p.x1 << "," << p.y1 << ") (" << p.x2 << "," << p.y2
         << ") dir1 " << p.dir1 << (p.hasEnd2 ? " two-ended" : "") << " kind " << p.kind << " attr "
         << p.attr;
}

PinObject pinObject(const ObjectStore& store, const SheetObject* o) {
    return {o->kind,
            o->attr,
            o->x1,
            o->y1,
            o->x2,
            o->y2,
            o->dir1,
            o->hasEnd2,
            store.text(o->name),
            store.text(o->text)};
}

std::vector<PinObject> pinObjects(const ObjectStore& store,
                                  const std::vector<SheetObject*>& objects) {
    std::vector<PinObject> all;
    for (const SheetObject* o : objects)
        all.push_back(pinObject(store, o));
    return all;
}

// U1 shows NAND's second block at (1000, 500); R1 is a RES turned once at
// (2000, 500) and shown as RES-0805; an instance of a missing part and one
// of a part without pins make no objects.
TEST_F(Binding, EveryPinOfEveryBoundInstanceBecomesAPinObject) {
    const std::string path = save(parts().bytes());
    for (bool packageFormat : {false, true}) {
        SCOPED_TRACE(packageFormat ? "package style" : "default");
        AllocPool runPartPool, runObjectPool;
        PartLibrary run(runPartPool);
        ObjectStore runStore(runObjectPool);
        runStore.createPointGrid();
        PartInstanceTable& table = run.instances();
        table.addPartInstance(Pin, 1000, 500, "U1", 0, 1, "", "NAND");
        table.addPartInstance(Pin, 3000, 500, "X1", 0, 0, "", "MISSING");
        table.addPartInstance(Pin, 4000, 500, "E1", 0, 0, "", "EMPTY");
        table.addPartInstance(Pin, 2000, 500, "R1", 1, 0, "RES-0805", "RES");
        run.readLibrary(path.c_str());
        run.resolvePartInstances();
        run.createPinObjects(runStore, packageFormat);

        std::vector<SheetObject*> made;
        forEachObject(runStore, [&](SheetObject* o) { made.push_back(o); });
        auto text = [&](const char* defaultText, const char* packageText) {
            return std::string(packageFormat ? packageText : defaultText);
        };
        // Each pin's second point is its root negated; dir1 points from the
        // end toward the root, into the body.
        std::vector<PinObject> expected = {
            {Pin, 0, 950, 480, -960, -480, DirRight, false, "NAND",
             text("U1(2/2):\tNAND [4(A)]", "U1.4")},
            {Pin, 0, 1010, 490, -1000, -490, DirLeft, false, "NAND",
             text("U1(2/2):\tNAND [B6(Y)]", "U1.B6")},
            {Pin, 0, 1990, 450, -1990, -460, DirDown, false, "RES-0805",
             text("R1:\tRES-0805 [1]", "R1.1")},
            {Pin, 0, 1990, 510, -1990, -500, DirUp, false, "RES-0805",
             text("R1:\tRES-0805 [2]", "R1.2")},
        };
        EXPECT_EQ(pinObjects(runStore, made), expected);
    }
    EXPECT_EQ(messages.text(), "can't find MISSING\ncan't find MISSING\n");
}

// Only a pin's end is in the grid, also where its negated root has a
// positive x (a part placed at the left edge of the plane).
TEST_F(Binding, PinObjectsHaveOneEndWhateverTheSignOfTheRoot) {
    for (std::int32_t x : {20, 40, 1000})
        place("R", "", "RES", x, 500);
    read(parts());
    library.resolvePartInstances();
    library.createPinObjects(store, false);
    std::vector<SheetObject*> made = objects();
    ASSERT_EQ(made.size(), 6u);
    EXPECT_EQ(made[0]->x2, 20); // the root of R's pin 1 at x = -20
    EXPECT_EQ(made[2]->x2, 0);
    for (SheetObject* o : made) {
        SCOPED_TRACE(::testing::PrintToString(pinObject(store, o)));
        EXPECT_FALSE(o->hasEnd2);
        EXPECT_EQ(o->node2, PointGrid::none);
        std::vector<SheetObject*> atEnd = objectsAt(o->x1, o->y1);
        EXPECT_EQ(std::count(atEnd.begin(), atEnd.end(), o), 1);
        std::vector<SheetObject*> atSecond = objectsAt(o->x2, o->y2);
        EXPECT_EQ(std::count(atSecond.begin(), atSecond.end(), o), 0);
    }
}

// A block that the part does not have has no pin numbers: the instance is
// reported by its library name and gets no pins; the run goes on.
TEST_F(Binding, AnInstanceOfABlockThePartLacksGetsNoPins) {
    place("R1", "SHOWN", "RES", 1000, 500, 0, 1);
    place("U1", "", "NAND", 1000, 800, 0, 2);
    place("U2", "", "NAND", 1000, 800, 0, -1);
    place("R2", "", "RES", 2000, 500, 0, 0);
    place("U3", "", "NAND", 3000, 500, 0, 1);
    read(parts());
    library.resolvePartInstances();
    library.createPinObjects(store, false);
    EXPECT_EQ(messages.text(), "bad block: RES\nbad block: NAND\nbad block: NAND\n");
    std::vector<PinObject> made = pinObjects(store, objects());
    ASSERT_EQ(made.size(), 4u);
    EXPECT_EQ(made[0].text, "R2:\tRES [1]");
    EXPECT_EQ(made[1].text, "R2:\tRES [2]");
    EXPECT_EQ(made[2].text, "U3(2/2):\tNAND [4(A)]");
    EXPECT_EQ(made[3].text, "U3(2/2):\tNAND [B6(Y)]");
}

} // namespace
} // namespace dovla::testing
