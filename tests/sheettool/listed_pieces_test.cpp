#include <climits>
#include <nlohmann/json.hpp>
#include <random>

#include "design_texts.h"
#include "load_design.h"

// Wires overlapping along a line are cut into as many pieces as the square
// of their number. Beyond a bound the design lists only the first two
// pieces of each alike kind: every net, name, key and member but the wires
// must stay as they are, and the pieces listed must be pieces the whole
// cutting makes, in its order.
namespace dovla::sheettool::testing {
namespace {

struct OverlapCase {
    const char* name;
    std::uint32_t seed;
    std::int32_t scanStep;
};

class ListedPieces : public DesignTexts, public ::testing::WithParamInterface<OverlapCase> {
  protected:
    // Three lines of wires from one point or from anywhere, some ending off
    // the raster, with resistors whose pin 1 ends on the line, labels and
    // junctions, and wires down to each line. Returns the wires drawn.
    std::size_t drawOverlaps() {
        std::mt19937 random(GetParam().seed);
        auto between = [&](int low, int high) {
            return std::uniform_int_distribution<int>(low, high)(random);
        };
        static const char* const names[] = {"A", "B", "DATA", "A"};
        std::string text;
        std::size_t wires = 0;
        int parts = 0;
        auto wire = [&](int x1, int y1, int x2, int y2) {
            text += "wire from=" + std::to_string(x1) + "," + std::to_string(y1) +
                    " to=" + std::to_string(x2) + "," + std::to_string(y2) + "\n";
            ++wires;
        };
        auto resistor = [&](int x, int y) {
            text += "part at=" + std::to_string(x + 50) + "," + std::to_string(y + 10) +
                    " ref=\"R" + std::to_string(++parts) + "\" name=\"RES\" lib=\"RES\"\n";
        };
        for (int line = 0; line < 3; ++line) {
            const int y = 200 + 200 * line;
            for (int i = 0; i < 30; ++i) {
                const int from = between(0, 2) == 0 ? 100 : 100 + 10 * between(0, 30);
                wire(from, y, from + 10 * between(1, 30) + (between(0, 5) == 0 ? 5 : 0), y);
            }
            for (int i = 0; i < 5; ++i)
                resistor(100 + 10 * between(0, 60), y);
            for (int i = 0; i < 6; ++i)
                text += "label at=" + std::to_string(100 + 10 * between(1, 60)) + "," +
                        std::to_string(y) + " text=\"" + names[between(0, 3)] + "\"\n";
            for (int i = 0; i < 2; ++i)
                text += "junction at=" + std::to_string(100 + 10 * between(1, 60)) + "," +
                        std::to_string(y) + "\n";
            for (int i = 0; i < 4; ++i) {
                const int x = 100 + 10 * between(1, 20);
                wire(x, y - 10 * between(2, 9), x, y);
            }
        }
        sheet("design.sch", text);
        return wires;
    }

    model::Design load(std::uint64_t piecesListed) {
        model::Options options;
        options.scanStep = GetParam().scanStep;
        options.configuration = dir.file("TAVEL.INI");
        options.wirePiecesListed = piecesListed;
        return model::loadDesign(dir.file("design.sch"), options);
    }
};

std::vector<model::ItemRef> withoutWires(const std::vector<model::ItemRef>& items) {
    std::vector<model::ItemRef> kept;
    for (const model::ItemRef& item : items)
        if (item.kind != model::ItemKind::Wire)
            kept.push_back(item);
    return kept;
}

bool sameLine(const model::Line& a, const model::Line& b) {
    return a.sheet == b.sheet && a.from == b.from && a.to == b.to && a.group == b.group &&
           a.record == b.record;
}

TEST_P(ListedPieces, KeepEveryNetBeyondTheBound) {
    const std::size_t drawn = drawOverlaps();
    const model::Design whole = load(UINT64_MAX);
    const std::uint64_t pieces = whole.wires.size() - drawn;
    ASSERT_GT(pieces, 100u);
    EXPECT_EQ(whole.wirePiecesLeftOut, 0u);
    EXPECT_EQ(load(pieces).wirePiecesLeftOut, 0u);

    for (std::uint64_t bound : {std::uint64_t{0}, pieces - 1}) {
        const model::Design listed = load(bound);
        ASSERT_GT(listed.wirePiecesLeftOut, 0u) << bound;
        EXPECT_EQ(listed.wires.size() + listed.wirePiecesLeftOut, whole.wires.size());
        EXPECT_EQ(withoutWires(listed.items), withoutWires(whole.items));

        ASSERT_EQ(listed.nets.size(), whole.nets.size());
        int named = 0;
        for (std::size_t n = 0; n < whole.nets.size(); ++n) {
            const model::Net& a = whole.nets[n];
            const model::Net& b = listed.nets[n];
            EXPECT_TRUE(a.nameLine == b.nameLine && a.written == b.written &&
                        a.packageName == b.packageName && a.key == b.key &&
                        withoutWires(a.members) == withoutWires(b.members))
                << "net " << n << " " << a.key << " against " << b.key;
            named += !a.names.empty();
        }
        EXPECT_GT(named, 0);
        ASSERT_EQ(listed.pins.size(), whole.pins.size());
        for (std::size_t p = 0; p < whole.pins.size(); ++p)
            EXPECT_EQ(listed.pins[p].group, whole.pins[p].group) << "pin " << p;
        ASSERT_EQ(listed.labels.size(), whole.labels.size());
        for (std::size_t l = 0; l < whole.labels.size(); ++l)
            EXPECT_EQ(listed.labels[l].group, whole.labels[l].group) << "label " << l;

        // The wires listed are the whole cutting's, in its order.
        std::size_t next = 0;
        for (const model::Line& wire : listed.wires) {
            while (next < whole.wires.size() && !sameLine(whole.wires[next], wire))
                ++next;
            ASSERT_LT(next, whole.wires.size()) << "a wire the whole cutting does not make";
            ++next;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Designs, ListedPieces,
                         ::testing::Values(OverlapCase{"Seed1", 1, 10}, OverlapCase{"Seed2", 2, 10},
                                           OverlapCase{"FineScan", 3, 1}),
                         [](const ::testing::TestParamInfo<OverlapCase>& info) {
                             return std::string(info.param.name);
                         });

// 3,000 wires from one point make 4.5 million pieces, which would take
// some 500 MB to list; every command reads the design within 128 MB, says
// how many pieces it left out, and writes the whole net.
class CrowdedLine : public DesignTexts {};

TEST_F(CrowdedLine, IsReadWithoutItsSquare) {
    if (dovla::testing::testingWindowsBuild())
        GTEST_SKIP() << "needs a POSIX shell's ulimit";
    if (dovla::testing::addressSanitizer)
        GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
    std::string text = "part at=1050,1010 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                       "part at=31050,1010 ref=\"R2\" name=\"RES\" lib=\"RES\"\n";
    for (int i = 1; i <= 3000; ++i)
        text += "wire from=1000,1000 to=" + std::to_string(1000 + 10 * i) + ",1000\n";
    sheet("design.sch", text);
    auto limited = [&](const std::string& command) {
        return dovla::testing::runCommand(
            {"/bin/sh", "-c", "ulimit -v 131072 && exec \"$0\" " + command, SHEETTOOL_BINARY},
            dir.path());
    };
    RunResult json = limited("nets --json design.sch");
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.err.find("design.sch: overlapping wires: "), std::string::npos) << json.err;
    const nlohmann::json design = nlohmann::json::parse(json.out);
    const std::uint64_t leftOut = design["wirePiecesLeftOut"];
    EXPECT_EQ(leftOut + design["wires"].size(), 3000u * 3001u / 2u);
    ASSERT_EQ(design["nets"].size(), 1u);
    EXPECT_EQ(design["nets"][0]["key"], "R1.1");

    for (const char* command :
         {"check design.sch", "view design.sch -o page.html", "diff design.sch design.sch"}) {
        RunResult run = limited(command);
        EXPECT_LE(run.status, 1) << command << run.err;
        EXPECT_NE(run.err.find("overlapping wires"), std::string::npos) << command << run.err;
    }
}

} // namespace
} // namespace dovla::sheettool::testing
