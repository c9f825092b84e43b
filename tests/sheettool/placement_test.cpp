#include <nlohmann/json.hpp>

#include <string>
#include <vector>

#include "sheettool_fixture.h"
#include "view_page.h"
#include "writers/library_writer.h"
#include "writers/sheet_writer.h"

// Every placement code, on the first sheet and on the last (32), through
// `nets --json` and the page of `view`, against the placement worked out
// here on its own: the body covers the rectangle whose corner of greatest x
// and y is the origin, rotation first, then the mirror.
namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;
using writers::LibPartDescription;
using writers::LibraryWriter;
using writers::pinAt;
using writers::pinNumber;
using writers::SheetWriter;

// QUAD: 4 wide, 3 high, one pin on each side, numbered by side; pins 1 and
// 3 have the letters A and B.
constexpr int width = 40;
constexpr int height = 30;
struct SidePin {
    int side;
    int offset; // units of 10
};
constexpr SidePin sidePins[] = {{0, 1}, {1, 2}, {2, 1}, {3, 3}};

struct Placed {
    int x, y;
};

// A point of the unturned part, (u, v) from the origin, as placed.
Placed place(int dir, int u, int v) {
    const int w = width;
    const int h = height;
    int x = 0, y = 0, tx = 0, ty = 0, span = 0;
    switch (dir & 3) {
    case 0:
        x = u, y = v, span = w;
        break;
    case 1:
        x = -v, y = u, tx = -h, span = h;
        break;
    case 2:
        x = -u, y = -v, tx = -w, ty = -h, span = w;
        break;
    default:
        x = v, y = -u, ty = -w, span = h;
        break;
    }
    if (dir & 4) {
        x = -x;
        tx = -(tx + span);
    }
    return {x + tx, y + ty};
}

// Root and end of a pin of the unturned part.
void pinPoints(const SidePin& pin, Placed& root, Placed& end) {
    const int o = 10 * pin.offset;
    switch (pin.side) {
    case 0:
        root = {-width, o - height}, end = {-width - 10, o - height};
        break;
    case 1:
        root = {o - width, -height}, end = {o - width, -height - 10};
        break;
    case 2:
        root = {0, o - height}, end = {10, o - height};
        break;
    default:
        root = {o - width, 0}, end = {o - width, 10};
        break;
    }
}

class Placements : public ::testing::Test {
  protected:
    void SetUp() override {
        LibPartDescription quad{"QUAD", width / 10, height / 10, 1, 0, {}};
        for (int i = 0; i < 4; ++i)
            quad.pins.push_back(
                {pinAt(sidePins[i].side, sidePins[i].offset),
                 "",
                 {pinNumber(i + 1, i % 2 == 0 ? static_cast<char>('A' + i / 2) : 0)}});
        LibraryWriter().add(quad).save(dir.file("quad.lib"));
        dir.write("TAVEL.INI", std::string("[Library]\nLIB0=quad.lib\n"));
        // The same parts at the same sheet coordinates on sheets 1 and 32.
        SheetWriter sheet;
        for (int n = 1; n <= 32; ++n) {
            sheet.header();
            if (n != 1 && n != 32)
                continue;
            for (int dir = 0; dir < 8; ++dir)
                sheet.part(origin(dir).x, origin(dir).y, (n == 1 ? "P" : "Q") + std::to_string(dir),
                           "QUAD", "QUAD", dir);
        }
        sheet.save(dir.file("placed.sch"));
    }

    static Placed origin(int dir) { return {200 + 150 * dir, 300}; }

    TempDir dir;
};

TEST_F(Placements, EveryCodeOnTheFirstAndLastSheet) {
    RunResult nets = runTool({"nets", "placed.sch", "--json"}, dir.path());
    ASSERT_EQ(nets.status, 0) << nets.err;
    const json design = json::parse(nets.out);
    ASSERT_EQ(design["parts"].size(), 16u);
    ASSERT_EQ(design["pins"].size(), 64u);
    RunResult view = runTool({"view", "placed.sch", "-o", "placed.html"}, dir.path());
    ASSERT_EQ(view.status, 0) << view.err;
    const json page = designOfPage(dir.read("placed.html"));
    ASSERT_EQ(page["sheets"].size(), 32u);

    for (std::size_t p = 0; p < 16; ++p) {
        const json& part = design["parts"][p];
        const int dir = static_cast<int>(p % 8);
        const int sheet = p < 8 ? 1 : 32;
        const Placed at = origin(dir);
        SCOPED_TRACE(part["ref"].get<std::string>());
        EXPECT_EQ(part["sheet"], sheet);
        EXPECT_EQ(part["placement"], dir);
        EXPECT_EQ(part["origin"], json::array({at.x, at.y}));
        const int w = dir & 1 ? height : width;
        const int h = dir & 1 ? width : height;
        EXPECT_EQ(part["body"],
                  json::parse("[[" + std::to_string(at.x - w) + "," + std::to_string(at.y - h) +
                              "],[" + std::to_string(at.x) + "," + std::to_string(at.y) + "]]"));
        for (int i = 0; i < 4; ++i) {
            const json& pin = design["pins"][part["pins"][i].get<std::size_t>()];
            Placed root, end;
            pinPoints(sidePins[i], root, end);
            const Placed r = place(dir, root.x, root.y);
            const Placed e = place(dir, end.x, end.y);
            EXPECT_EQ(pin["sheet"], sheet);
            EXPECT_EQ(pin["number"], i + 1);
            const std::string letter =
                i % 2 == 0 ? std::string(1, static_cast<char>('A' + i / 2)) : "";
            EXPECT_EQ(pin["key"],
                      part["ref"].get<std::string>() + "." + letter + std::to_string(i + 1));
            EXPECT_EQ(pin["root"], json::array({at.x + r.x, at.y + r.y})) << "pin " << i + 1;
            EXPECT_EQ(pin["end"], json::array({at.x + e.x, at.y + e.y})) << "pin " << i + 1;
        }
    }

    // On the page, each sheet draws its own eight parts, pins and all, the
    // number of a pin beside its middle: above a horizontal pin, to the left
    // of a vertical one.
    for (int sheet : {1, 32}) {
        const json& drawn = page["sheets"][sheet - 1];
        ASSERT_EQ(drawn["number"], sheet);
        ASSERT_EQ(drawn["pins"].size(), 32u) << "sheet " << sheet;
        for (const json& row : drawn["pins"]) {
            const json& pin = design["pins"][row[0].get<std::size_t>()];
            EXPECT_EQ(pin["sheet"], sheet);
            const int rx = row[1], ry = row[2], ex = row[3], ey = row[4];
            EXPECT_EQ(json::array({rx, ry}), pin["root"]);
            EXPECT_EQ(json::array({ex, ey}), pin["end"]);
            const int mx = rx + (ex - rx) / 2;
            const int my = ry + (ey - ry) / 2;
            const json number =
                ry == ey ? json::array({mx, my - 3}) : json::array({mx - 7, my + 3});
            EXPECT_EQ(json::array({row[5], row[6]}), number);
        }
    }
}

} // namespace
} // namespace dovla::sheettool::testing
