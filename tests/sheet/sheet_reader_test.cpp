#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "connect/object_store.h"
#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "library/part_instances.h"
#include "sheet/sheet_reader.h"
#include "support/temp_dir.h"
#include "writers/sheet_writer.h"

namespace dovla {
namespace {

using writers::SheetWriter;

class SheetReading : public ::testing::Test {
  protected:
    void SetUp() override {
        setMessageStream(nullptr);
        store.createPointGrid();
    }
    void TearDown() override { setMessageStream(stderr); }

    void read(const std::vector<std::uint8_t>& bytes) {
        dir.write("sheet.sch", bytes);
        reader.openSheetFile(dir.file("sheet.sch").c_str());
        reader.readSheetFile(store, parts);
    }
    void read(const SheetWriter& sheet) { read(sheet.bytes()); }

    // The fatal message that reading the bytes ends with, or "" when none.
    std::string failure(const std::vector<std::uint8_t>& bytes) {
        try {
            read(bytes);
        } catch (const FatalError& error) {
            return error.what();
        }
        return "";
    }

    std::vector<SheetObject*> objects() {
        std::vector<SheetObject*> all;
        forEachObject(store, [&](SheetObject* o) { all.push_back(o); });
        return all;
    }

    AllocPool objectPool;
    AllocPool partPool;
    ObjectStore store{objectPool};
    PartInstanceTable parts{partPool};
    SheetReader reader;
    testing::TempDir dir;
};

struct Ends {
    int kind, x1, y1, x2, y2;
    bool hasEnd2;
    bool operator==(const Ends&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Ends& e) {
    return out << "kind " << e.kind << " (" << e.x1 << "," << e.y1 << ")-(" << e.x2 << "," << e.y2
               << ")" << (e.hasEnd2 ? "" : " one-ended");
}

Ends endsOf(const SheetObject* o) {
    return {o->kind, o->x1, o->y1, o->x2, o->y2, o->hasEnd2};
}

TEST_F(SheetReading, TenBytesAreOneWire) {
    read({0x03, 0x00, 0x0A, 0x00, 0x14, 0x00, 0x6E, 0x00, 0x14, 0x00});
    ASSERT_EQ(objects().size(), 1u);
    EXPECT_EQ(endsOf(objects()[0]), (Ends{Wire, 10, 20, 110, 20, true}));
    EXPECT_EQ(objects()[0]->dir1, DirRight);
}

TEST_F(SheetReading, EachSheetHasItsOwnArea) {
    SheetWriter sheet;
    sheet.wire(10, 20, 110, 20).header().wire(10, 20, 110, 20).header().wire(10, 20, 110, 20);
    read(sheet);
    ASSERT_EQ(objects().size(), 3u);
    EXPECT_EQ(endsOf(objects()[0]), (Ends{Wire, 10, 20, 110, 20, true}));
    EXPECT_EQ(endsOf(objects()[1]), (Ends{Wire, 3010, 2020, 3110, 2020, true}));
    EXPECT_EQ(endsOf(objects()[2]), (Ends{Wire, 6010, 4020, 6110, 4020, true}));
    EXPECT_EQ(reader.sheetCount(), 2);
}

TEST_F(SheetReading, LineEndsAreOrderedOnTheStoredValues) {
    SheetWriter sheet;
    sheet.wire(110, 20, 10, 20).wire(50, 300, 50, 100).wire(0, 10, 10, 0).bus(-5, 7, -20, 7);
    read(sheet);
    auto all = objects();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(endsOf(all[0]), (Ends{Wire, 10, 20, 110, 20, true}));
    EXPECT_EQ(endsOf(all[1]), (Ends{Wire, 50, 100, 50, 300, true}));
    EXPECT_EQ(endsOf(all[2]), (Ends{Wire, 10, 0, 0, 10, true}));
    // Negative coordinates keep both ends: a line always has an end 2.
    EXPECT_EQ(endsOf(all[3]), (Ends{Bus, -20, 7, -5, 7, true}));
}

TEST_F(SheetReading, PointItemsAndEntriesTakeTheirShapeFromTheRecord) {
    SheetWriter sheet;
    sheet.header()
        .busEntry(100, 200, 0)
        .busEntry(100, 200, 1)
        .tag(100, 200, "CLK")
        .tag(0, 0, "SEVENCH")
        .tag(0, 0, "EIGHTCHR")
        .label(5, 6, "")
        .junction(40, 50);
    read(sheet);
    auto all = objects();
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(endsOf(all[0]), (Ends{BusEntry, 3100, 2200, 3110, 2190, true}));
    EXPECT_EQ(endsOf(all[1]), (Ends{BusEntry, 3100, 2200, 3090, 2190, true}));
    EXPECT_EQ(endsOf(all[2]), (Ends{Tag, 3100, 2200, 3140, 2200, true}));
    EXPECT_STREQ(store.text(all[2]->name), "CLK");
    EXPECT_EQ(all[3]->x2 - all[3]->x1, 80);
    EXPECT_EQ(all[4]->x2 - all[4]->x1, 80);
    EXPECT_EQ(endsOf(all[5]), (Ends{Label, 3005, 2006, -3005, -2006, false}));
    EXPECT_STREQ(store.text(all[5]->name), "");
    EXPECT_EQ(endsOf(all[6]), (Ends{Junction, 3040, 2050, -3040, -2050, false}));
    EXPECT_EQ(all[6]->dir1, DirPoint);
}

TEST_F(SheetReading, PointItemsBeforeTheFirstSheetAtXZeroOrLessHaveNoEnd2) {
    SheetWriter sheet;
    sheet.junction(0, 20).label(-30, 40, "N");
    read(sheet);
    auto all = objects();
    ASSERT_EQ(all.size(), 2u);
    for (SheetObject* o : all) {
        EXPECT_FALSE(o->hasEnd2);
        EXPECT_EQ(o->node2, PointGrid::none);
        EXPECT_EQ(o->dir1, DirPoint);
    }
    // Found at their one point, nowhere else.
    PointSearch at(store, -30, 40);
    EXPECT_EQ(at.next(), all[1]);
    EXPECT_EQ(at.next(), nullptr);
    PointSearch mirrored(store, 30, -40);
    EXPECT_EQ(mirrored.next(), nullptr);
}

TEST_F(SheetReading, PartsBecomeInstancesInFileOrder) {
    SheetWriter sheet;
    sheet.header().part(500, 400, "U1", "NAND", "7400", 5, 2).header().part(1, 2, "", "", "R");
    read(sheet);
    ASSERT_EQ(parts.count(), 2u);
    const PartInstance& first = parts[0];
    EXPECT_EQ(first.kind, Pin);
    EXPECT_EQ(first.x, 3500);
    EXPECT_EQ(first.y, 2400);
    EXPECT_STREQ(first.ref, "U1");
    EXPECT_EQ(first.dir, 5);
    EXPECT_EQ(first.block, 2);
    EXPECT_STREQ(first.name, "NAND");
    EXPECT_STREQ(first.libName, "7400");
    EXPECT_EQ(parts[1].x, 6001);
    EXPECT_STREQ(parts[1].ref, "");
    EXPECT_TRUE(objects().empty());
}

TEST_F(SheetReading, IgnoredAndExtensionRecordsAreSkipped) {
    SheetWriter sheet;
    sheet.line(1, 2, 3, 4).comment("note").extension(200, 20).extension(16, 14).wire(0, 0, 10, 0);
    read(sheet);
    ASSERT_EQ(objects().size(), 1u);
    EXPECT_EQ(objects()[0]->kind, Wire);
}

TEST_F(SheetReading, AnExtensionReachingPastTheEndEndsTheFile) {
    SheetWriter sheet;
    sheet.wire(0, 0, 10, 0).raw({200, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x10, 0x27, 0, 0});
    EXPECT_EQ(failure(sheet.bytes()), "");
    EXPECT_EQ(objects().size(), 1u);
}

TEST_F(SheetReading, AnEmptyFileHoldsNothing) {
    EXPECT_EQ(failure({}), "");
    EXPECT_TRUE(objects().empty());
    EXPECT_EQ(parts.count(), 0u);
}

TEST_F(SheetReading, ThirtyTwoSheetsAreTheMost) {
    SheetWriter sheet;
    for (int i = 0; i < 32; ++i)
        sheet.header();
    sheet.wire(0, 0, 10, 0);
    EXPECT_EQ(failure(sheet.bytes()), "");
    EXPECT_EQ(objects()[0]->x1, 96000);
    EXPECT_EQ(objects()[0]->y1, 64000);
}

TEST_F(SheetReading, AThirtyThirdSheetIsTooMany) {
    SheetWriter sheet;
    for (int i = 0; i < 33; ++i)
        sheet.header();
    EXPECT_EQ(failure(sheet.bytes()), "too many sheet!\n");
}

TEST_F(SheetReading, HeaderSizeCodesChangeNothing) {
    SheetWriter sheet;
    sheet.header(32).header(0).header(200).wire(0, 0, 10, 0);
    EXPECT_EQ(failure(sheet.bytes()), "");
    EXPECT_EQ(objects()[0]->x1, 9000);
}

struct DamagedCase {
    const char* what;
    std::vector<std::uint8_t> bytes;
    const char* message;
};

void PrintTo(const DamagedCase& c, std::ostream* out) {
    *out << c.what;
}

std::vector<std::uint8_t> withRecord(std::vector<std::uint8_t> record) {
    std::vector<std::uint8_t> bytes = SheetWriter().wire(0, 0, 10, 0).bytes();
    bytes.insert(bytes.end(), record.begin(), record.end());
    return bytes;
}

std::vector<std::uint8_t> partWith(int nameLength, int refLength, bool libTerminated) {
    std::vector<std::uint8_t> part = SheetWriter().part(1, 2, "R1", "RES", "RES").bytes();
    part[12] = static_cast<std::uint8_t>(nameLength);
    part[32] = static_cast<std::uint8_t>(refLength);
    if (!libTerminated)
        std::fill(part.begin() + 44, part.end(), 'X');
    return withRecord(part);
}

std::vector<std::uint8_t> labelWithLength(int type, int length) {
    std::vector<std::uint8_t> label = SheetWriter().label(1, 2, "A").bytes();
    label[0] = static_cast<std::uint8_t>(type);
    label[6] = static_cast<std::uint8_t>(length);
    return withRecord(label);
}

std::vector<std::uint8_t> badHeader() {
    std::vector<std::uint8_t> header = SheetWriter().header().bytes();
    header[5] = 'd';
    return withRecord(header);
}

class DamagedSheets : public SheetReading, public ::testing::WithParamInterface<DamagedCase> {};

TEST_P(DamagedSheets, StopWithTheirMessage) {
    EXPECT_EQ(failure(GetParam().bytes), GetParam().message) << GetParam().what;
    // What came before the damage stays as read.
    EXPECT_EQ(objects().size(), 1u) << GetParam().what;
}

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedSheets,
    ::testing::Values(
        DamagedCase{"cut last record", withRecord({3, 0, 1, 0, 2}), "file read error!\n"},
        DamagedCase{"cut extension head", withRecord({16, 0, 0}), "file read error!\n"},
        DamagedCase{"cut header", withRecord({9, 4, 'K', 'V'}), "file read error!\n"},
        DamagedCase{"type 10", withRecord({10}), "don't sheet file!\n"},
        DamagedCase{"type 12", withRecord({12, 0, 0, 0, 0, 0}), "don't sheet file!\n"},
        DamagedCase{"type 15", withRecord({15}), "don't sheet file!\n"},
        DamagedCase{"bad magic", badHeader(), "don't sheet file!\n"},
        // A length below the head's would move back and read the record again.
        DamagedCase{"extension length 13", withRecord({16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 13, 0, 0, 0}),
                    "don't sheet file!\n"},
        DamagedCase{"extension length 0", withRecord({16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}),
                    "don't sheet file!\n"},
        DamagedCase{"extension length negative",
                    withRecord({99, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xF0, 0xFF, 0, 0}),
                    "don't sheet file!\n"},
        DamagedCase{"label length 12", labelWithLength(5, 12), "don't sheet file!\n"},
        DamagedCase{"tag length 12", labelWithLength(6, 12), "don't sheet file!\n"},
        DamagedCase{"tag length negative", labelWithLength(6, 0x80), "don't sheet file!\n"},
        DamagedCase{"part name length 16", partWith(16, 2, true), "don't sheet file!\n"},
        DamagedCase{"part name length negative", partWith(0xFF, 2, true), "don't sheet file!\n"},
        DamagedCase{"reference length 8", partWith(3, 8, true), "don't sheet file!\n"},
        DamagedCase{"library name unterminated", partWith(3, 2, false), "don't sheet file!\n"}));

TEST_F(SheetReading, LengthsAtTheirLimitsAreRead) {
    SheetWriter sheet;
    sheet.label(0, 0, "ELEVENCHARS")
        .tag(0, 0, "ELEVENCHARS")
        .part(0, 0, "SEVENCH", "FIFTEENCHARACTE", "LIBNAMEFIFTEENC");
    EXPECT_EQ(failure(sheet.bytes()), "");
    auto all = objects();
    EXPECT_STREQ(store.text(all[0]->name), "ELEVENCHARS");
    EXPECT_EQ(all[1]->x2, 110);
    EXPECT_STREQ(parts[0].ref, "SEVENCH");
    EXPECT_STREQ(parts[0].name, "FIFTEENCHARACTE");
    EXPECT_STREQ(parts[0].libName, "LIBNAMEFIFTEENC");
}

} // namespace
} // namespace dovla
