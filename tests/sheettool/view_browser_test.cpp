// The page of view in a real browser, headless Chromium: screenshots whose
// pixels must show what is chosen lit and neighbouring nets in colours of
// their own; the page used, in a frame, as a person would use it (the
// example, a board with findings, the 32-sheet design, timed); and
// printed. The screenshots are kept in view-screenshots of the build.
#include <png.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "browser.h"
#include "check_board.h"
#include "sheettool_fixture.h"
#include "view_page.h"

namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

const Rgb highlight{0xff, 0x14, 0x93};

bool near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// Where the page shows a sheet point: the view box it leaves on its body
// mapped onto its canvas.
struct Mapping {
    double viewX = 0, viewY = 0, viewW = 1, viewH = 1;
    double left = 0, top = 0, width = 1, height = 1;
    int pixelX(double x) const { return static_cast<int>(left + (x - viewX) / viewW * width); }
    int pixelY(double y) const { return static_cast<int>(top + (y - viewY) / viewH * height); }
};

std::optional<Mapping> mappingOf(const std::string& dom) {
    std::smatch body;
    if (!std::regex_search(dom, body, std::regex("<body([^>]*)>")))
        return std::nullopt;
    std::string attributes = body[1];
    std::smatch view, canvas;
    if (attributes.find("data-ready=\"true\"") == std::string::npos ||
        !std::regex_search(attributes, view, std::regex("data-view=\"([^\"]*)\"")) ||
        !std::regex_search(attributes, canvas, std::regex("data-canvas=\"([^\"]*)\"")))
        return std::nullopt;
    Mapping m;
    std::istringstream(view[1].str()) >> m.viewX >> m.viewY >> m.viewW >> m.viewH;
    std::istringstream(canvas[1].str()) >> m.left >> m.top >> m.width >> m.height;
    return m;
}

class ViewInBrowser : public ::testing::Test {
  protected:
    void SetUp() override {
        if (chromium.missing())
            GTEST_SKIP() << noChromium;
        RunResult view =
            runTool({"view", "demo.sch", "-o", dir.file("page.html")}, EXAMPLE_BUILD_DIR);
        ASSERT_EQ(view.status, 0) << view.err;
        design = designOfPage(dir.read("page.html"));
    }

    int netIndex(const std::string& key) const {
        for (std::size_t i = 0; i < design["nets"].size(); ++i) {
            if (design["nets"][i]["key"] == key)
                return static_cast<int>(i);
        }
        return -1;
    }

    // The page in a frame of 1200 by 800 (frame.html), which stays as it
    // is when the window is resized for the screenshot: where it shows
    // the sheet, and its pixels.
    bool framed(const std::string& fragment, const std::string& name, Mapping& mapping,
                Screenshot& shot) {
        for (const char* file : {"frame.html", "frame.js"})
            std::filesystem::copy_file(std::string(VIEW_TEST_PAGES) + "/" + file, dir.file(file),
                                       std::filesystem::copy_options::overwrite_existing);
        std::string url = "file://" + dir.file("frame.html") + fragment;
        RunResult dom =
            chromium.browse(dir, url, 1300, 900, {"--virtual-time-budget=5000", "--dump-dom"});
        std::optional<Mapping> found = mappingOf(dom.out);
        if (!found)
            return false;
        mapping = *found;
        return chromium.screenshot(dir, url, 1300, 900, name, shot);
    }

    Chromium chromium;
    TempDir dir;
    json design;
};

std::string describe(Rgb c) {
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

Rgb colourOf(const std::string& hex) {
    return {std::stoi(hex.substr(1, 2), nullptr, 16), std::stoi(hex.substr(3, 2), nullptr, 16),
            std::stoi(hex.substr(5, 2), nullptr, 16)};
}

TEST_F(ViewInBrowser, TheExampleLightsUpNetD0) {
    Mapping mapping;
    Screenshot screenshot;
    ASSERT_TRUE(framed("#net=D0", "example-net-D0.png", mapping, screenshot));
    const int d0 = netIndex("D0");
    // The first sheet is drawn: D0 has members there.
    const json& sheet = design["sheets"][0];
    ASSERT_EQ(sheet["number"], 1);
    auto colourAt = [&](double x, double y) {
        return screenshot.at(mapping.pixelX(x), mapping.pixelY(y));
    };
    int litWires = 0;
    int otherWires = 0;
    for (const json& wire : sheet["wires"]) {
        double x = (wire[0].get<double>() + wire[2].get<double>()) / 2;
        double y = (wire[1].get<double>() + wire[3].get<double>()) / 2;
        Rgb colour = colourAt(x, y);
        if (wire[4] == d0) {
            EXPECT_TRUE(near(colour, highlight, 12))
                << "D0 wire at " << x << "," << y << ": " << describe(colour);
            ++litWires;
        } else {
            EXPECT_FALSE(near(colour, highlight, 60))
                << "wire of net " << wire[4] << " at " << x << "," << y << " is lit";
            ++otherWires;
        }
    }
    int litPins = 0;
    for (const json& pin : sheet["pins"]) {
        if (pin[7] != d0)
            continue;
        double x = (pin[1].get<double>() + pin[3].get<double>()) / 2;
        double y = (pin[2].get<double>() + pin[4].get<double>()) / 2;
        Rgb colour = colourAt(x, y);
        EXPECT_TRUE(near(colour, highlight, 12))
            << "D0 pin at " << x << "," << y << ": " << describe(colour);
        ++litPins;
    }
    EXPECT_GE(litWires, 2);
    EXPECT_EQ(litPins, 2); // J1.2 and R1.1
    EXPECT_GE(otherWires, 10);
}

// With nothing chosen, every wire shows its net's colour on that sheet, and
// wires of two nets that run within a few grid steps of each other show
// different colours.
TEST_F(ViewInBrowser, NeighbouringNetsShowDifferentColours) {
    Mapping mapping;
    Screenshot screenshot;
    ASSERT_TRUE(framed("", "example-colours.png", mapping, screenshot));
    const json& sheet = design["sheets"][0];
    std::map<int, std::string> colours;
    for (std::size_t i = 0; i + 1 < sheet["colors"].size(); i += 2)
        colours[sheet["colors"][i]] = sheet["colors"][i + 1];
    struct Seen {
        int net;
        double x1, y1, x2, y2;
        Rgb colour;
    };
    std::vector<Seen> wires;
    for (const json& wire : sheet["wires"]) {
        if (wire[4] == -1)
            continue;
        double x1 = wire[0], y1 = wire[1], x2 = wire[2], y2 = wire[3];
        if (std::hypot(x2 - x1, y2 - y1) < 10)
            continue; // too short to find its colour beside the pins and dots
        Rgb colour = screenshot.at(mapping.pixelX((x1 + x2) / 2), mapping.pixelY((y1 + y2) / 2));
        EXPECT_TRUE(near(colour, colourOf(colours[wire[4]]), 40))
            << "wire at " << x1 << "," << y1 << ": " << describe(colour) << " for "
            << colours[wire[4]];
        wires.push_back({wire[4], x1, y1, x2, y2, colour});
    }
    // The least distance of two segments: of each one's ends to the other.
    auto toSegment = [](double px, double py, const Seen& s) {
        double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
        double t =
            dx == 0 && dy == 0
                ? 0
                : std::clamp(((px - s.x1) * dx + (py - s.y1) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(s.x1 + t * dx - px, s.y1 + t * dy - py);
    };
    int pairs = 0;
    for (std::size_t i = 0; i < wires.size(); ++i) {
        for (std::size_t j = i + 1; j < wires.size(); ++j) {
            const Seen& a = wires[i];
            const Seen& b = wires[j];
            if (a.net == b.net)
                continue;
            double apart = std::min({toSegment(a.x1, a.y1, b), toSegment(a.x2, a.y2, b),
                                     toSegment(b.x1, b.y1, a), toSegment(b.x2, b.y2, a)});
            if (apart > 30)
                continue;
            ++pairs;
            EXPECT_FALSE(near(a.colour, b.colour, 40))
                << "nets " << a.net << " and " << b.net << " are " << apart
                << " apart and look alike: " << describe(a.colour);
        }
    }
    EXPECT_GE(pairs, 5);
}

// The page used as a person would: the steps of interact.js and what each
// left.
TEST_F(ViewInBrowser, ChoosesWhatIsClickedAndKeepsItsAddress) {
    const json results = chromium.drive(dir, "interact");
    ASSERT_TRUE(results["error"].is_null()) << results["error"];
    struct Step {
        std::string name, hash, sheet;
        json detail;
        int rows = 0;
    };
    const std::vector<Step> expected = {
        {"click on a wire of D1", "#net=D1", "sheet 1", "Net D1", 3},
        {"click beside a wire of D1", "#net=D1", "sheet 1", "Net D1", 3},
        {"click on a pin of GND", "#net=GND", "sheet 1", "Net GND", 4},
        {"click on nothing", "", "sheet 1", nullptr},
        {"wheel toward the wire", "", "sheet 1", nullptr},
        {"click on the wire, zoomed in", "#net=D1", "sheet 1", "Net D1", 3},
        {"choose U1 in the list", "#part=U1(1%2F4)", "sheet 2", "Part U1(1/4) 7400", 3},
        {"Home", "#part=U1(1%2F4)", "sheet 2", "Part U1(1/4) 7400", 3},
        // VCC has pins on the sheet shown: it stays, and the address says so.
        {"choose VCC in the list", "#net=VCC&sheet=2", "sheet 2", "Net VCC", 5},
        {"Escape", "#sheet=2", "sheet 2", nullptr},
        {"sheet 1", "", "sheet 1", nullptr},
        {"click on the text of label D2", "#net=D2", "sheet 1", "Net D2", 2},
        {"click on the text of tag OUT", "#net=OUT", "sheet 1", "Net OUT", 2},
        // The bus lists the nets that cross it, D0 to D3.
        {"click on the bus", "#bus=1", "sheet 1", "Bus group 1", 4},
        {"sheet 2, the bus chosen", "#bus=1&sheet=2", "sheet 2", "Bus group 1", 4},
        {"click on a bus entry", "#bus=1&sheet=2", "sheet 2", "Bus group 1", 4},
        {"click on the finding's mark", "#finding=1", "sheet 2", "Finding 1: info"},
        {"click on a junction", "#net=D0", "sheet 1", "Net D0", 3},
        {"#part=U1(3/4)", "#part=U1(3%2F4)", "sheet 2", "Part U1(3/4) 7400", 3},
        {"the address of a power symbol", "#part=VCC%402%3A810%2C210", "sheet 2",
         "Part (no reference) VCC", 1},
        {"#sheet=2", "#sheet=2", "sheet 2", nullptr},
        {"#net=D0&sheet=2", "#net=D0&sheet=2", "sheet 2", "Net D0", 3},
        {"Copy link", "#net=D0&sheet=2", "sheet 2", "Net D0", 3},
        {"zoomed out", "", "sheet 1", nullptr},
        {"zoomed in", "", "sheet 1", nullptr},
        {"panel widened", "", "sheet 1", nullptr},
        {"Save SVG", "", "sheet 1", nullptr},
        {"search for d", "", "sheet 1", nullptr},
    };
    const json& steps = results["steps"];
    ASSERT_EQ(steps.size(), expected.size());
    std::map<std::string, json> step;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(steps[i]["name"], expected[i].name);
        EXPECT_EQ(steps[i]["hash"], expected[i].hash);
        EXPECT_EQ(steps[i]["sheet"], expected[i].sheet);
        EXPECT_EQ(steps[i]["detail"], expected[i].detail);
        EXPECT_EQ(steps[i]["rows"], expected[i].rows);
        // A choice zoomed to shows numbers, whatever it is made of.
        EXPECT_EQ(steps[i]["view"].get<std::string>().find("NaN"), std::string::npos)
            << steps[i]["view"];
        step[expected[i].name] = steps[i];
    }
    auto width = [](const json& at) {
        std::istringstream view(at["view"].get<std::string>());
        double x, y, w;
        view >> x >> y >> w;
        return w;
    };
    auto lit = [](const json& at, const std::string& kind) {
        int count = 0;
        for (const json& chosen : at["chosen"])
            count += chosen == kind ? 1 : 0;
        return count;
    };
    // The wheel zooms in; choosing from a list zooms to the choice, Home
    // back to the whole sheet.
    EXPECT_LT(width(step["wheel toward the wire"]), width(step["click on nothing"]) * 0.8);
    EXPECT_LT(width(step["choose U1 in the list"]), width(step["Home"]) * 0.6);
    EXPECT_LT(width(step["#part=U1(3/4)"]), width(step["Home"]) * 0.6);
    // Labels, tags, buses, entries, junctions: each lights what it chose.
    EXPECT_EQ(lit(step["click on the text of label D2"], "label-text"), 1);
    EXPECT_EQ(lit(step["click on the text of tag OUT"], "tag-text"), 1);
    for (const char* bus : {"click on the bus", "sheet 2, the bus chosen"}) {
        EXPECT_EQ(lit(step[bus], "bus"), 1) << bus;
        EXPECT_EQ(lit(step[bus], "entry"), 4) << bus;
    }
    EXPECT_EQ(step["click on a junction"]["target"], "item dot chosen");
    EXPECT_EQ(step["click on a junction"]["hash"],
              "#net=" + step["click on a junction"]["expected"].get<std::string>());
    EXPECT_EQ(lit(step["click on the finding's mark"], "finding-eye"), 1);
    // The third block: its body, its three pins, its name with the block,
    // and the library's names of its pins.
    EXPECT_EQ(lit(step["#part=U1(3/4)"], "body"), 1);
    EXPECT_EQ(lit(step["#part=U1(3/4)"], "pin"), 3);
    EXPECT_EQ(step["#part=U1(3/4)"]["pinNames"], json::parse(R"(["A","B","Y"])"));
    EXPECT_EQ(step["Copy link"]["copied"], "#net=D0&sheet=2");
    // Pin numbers hidden when too small to read; labels never smaller than
    // 7 pixels; both readable zoomed in.
    const json& out = step["zoomed out"];
    const json& in = step["zoomed in"];
    EXPECT_FALSE(out["number"]["shown"]);
    EXPECT_TRUE(out["label"]["shown"]);
    EXPECT_GE(out["label"]["pixels"].get<double>(), 6.9);
    EXPECT_TRUE(in["number"]["shown"]);
    EXPECT_GE(in["number"]["pixels"].get<double>(), 7);
    EXPECT_EQ(step["panel widened"]["widened"], 150);
    const json& saved = step["Save SVG"];
    EXPECT_EQ(saved["file"], "demo.sch-sheet1.svg");
    EXPECT_EQ(saved["type"], "image/svg+xml");
    EXPECT_EQ(saved["root"], "svg");
    EXPECT_EQ(saved["lines"], saved["drawnLines"]);
    EXPECT_GE(saved["lines"].get<int>(), 20);
    EXPECT_TRUE(saved["styled"]);
    // D0 to D3 and GND have a "d"; of the parts, those named GND.
    EXPECT_EQ(step["search for d"]["nets"], "5");
    EXPECT_EQ(step["search for d"]["parts"], "4");
    EXPECT_EQ(steps[0]["nets"], "10");
    EXPECT_EQ(steps[0]["parts"], "19");
}

// The third block of U1 chosen by its address: lit on its sheet, zoomed.
TEST_F(ViewInBrowser, TheAddressOfABlockShowsThatBlock) {
    Mapping mapping;
    Screenshot screenshot;
    ASSERT_TRUE(framed("#part=U1(3%2F4)", "example-part-U1-3-of-4.png", mapping, screenshot));
    int part = -1;
    for (std::size_t i = 0; i < design["parts"].size(); ++i) {
        if (design["parts"][i]["label"] == "U1(3/4)")
            part = static_cast<int>(i);
    }
    ASSERT_GE(part, 0);
    const json& sheet = design["sheets"][1];
    for (const json& row : sheet["parts"]) {
        if (row[0] != part)
            continue;
        double x1 = row[1], y1 = row[2], x2 = row[3], y2 = row[4];
        // The body's edges, lit; zoomed so that the body is large.
        EXPECT_TRUE(
            near(screenshot.at(mapping.pixelX((x1 + x2) / 2), mapping.pixelY(y1)), highlight, 30));
        EXPECT_TRUE(
            near(screenshot.at(mapping.pixelX(x1), mapping.pixelY((y1 + y2) / 2)), highlight, 30));
        EXPECT_GE(mapping.pixelX(x2) - mapping.pixelX(x1), 80);
    }
}

// Printed (Chromium's --print-to-pdf): one page a sheet, black on white
// but for the choice, lit.
TEST_F(ViewInBrowser, PrintsEachSheetOnAPageBlackOnWhite) {
    RunResult printed =
        chromium.browse(dir, "file://" + dir.file("page.html") + "#net=D0", 1300, 900,
                        {"--virtual-time-budget=5000", "--no-pdf-header-footer",
                         "--print-to-pdf=" + dir.file("page.pdf")});
    ASSERT_EQ(printed.status, 0) << printed.err;
    const std::string pdf = dir.read("page.pdf");
    std::size_t pages = 0;
    std::regex page("/Type\\s*/Page[^s]");
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), page); it != std::sregex_iterator();
         ++it)
        ++pages;
    EXPECT_EQ(pages, design["sheets"].size());
    RunResult pixels = dovla::testing::runCommand(
        {"pdftoppm", "-r", "60", "-png", "page.pdf", "printed"}, dir.path());
    if (pixels.status == 127)
        GTEST_SKIP() << "pdftoppm (Debian's poppler-utils) is not installed: the printed pages "
                        "are counted, not looked at";
    ASSERT_EQ(pixels.status, 0) << pixels.err;
    for (std::size_t n = 1; n <= pages; ++n) {
        SCOPED_TRACE("page " + std::to_string(n));
        Screenshot sheet;
        ASSERT_TRUE(sheet.read(dir.file("printed-" + std::to_string(n) + ".png")));
        int lit = 0, dark = 0, coloured = 0;
        for (int y = 0; y < sheet.height(); ++y) {
            for (int x = 0; x < sheet.width(); ++x) {
                Rgb c = sheet.at(x, y);
                int spread = std::max({c.r, c.g, c.b}) - std::min({c.r, c.g, c.b});
                if (near(c, highlight, 70))
                    ++lit;
                else if (spread > 60)
                    ++coloured;
                else if (c.r < 100)
                    ++dark;
            }
        }
        // D0 has items on both sheets.
        EXPECT_GT(lit, 20);
        EXPECT_GT(dark, 500);
        // Edges of lit lines blend with white and with black.
        EXPECT_LT(coloured, lit / 2 + 20);
    }
}

// A board with findings: listed message first, told in full when chosen,
// marked on the drawing where each can be clicked.
class BoardInBrowser : public CheckBoard {
  protected:
    void SetUp() override {
        if (chromium.missing())
            GTEST_SKIP() << noChromium;
        CheckBoard::SetUp();
    }
    Chromium chromium;
};

TEST_F(BoardInBrowser, FindingsReadMessageFirstAndStandOnTheDrawing) {
    sheet("board.sch", board());
    ASSERT_EQ(tool({"view", "board.sch", "-o", "page.html"}).status, 0);
    const json results = chromium.drive(dir, "findings");
    ASSERT_TRUE(results["error"].is_null()) << results["error"];
    ASSERT_GE(results["messages"].size(), 10u);
    ASSERT_EQ(results["entries"].size(), results["messages"].size());
    for (std::size_t i = 0; i < results["entries"].size(); ++i) {
        const std::string entry = results["entries"][i];
        EXPECT_EQ(entry.rfind(results["messages"][i].get<std::string>(), 0), 0u) << entry;
        EXPECT_NE(entry.find("sheet 1 at "), std::string::npos) << entry;
    }
    EXPECT_EQ(results["chosen"]["hash"], "#finding=1");
    EXPECT_EQ(results["chosen"]["message"], results["messages"][0]);
    EXPECT_EQ(results["marks"], results["onSheet"]);
    EXPECT_GE(results["clicks"].size(), 5u);
    for (const json& click : results["clicks"])
        EXPECT_EQ(click["hash"], click["expected"]);

    Screenshot screenshot;
    ASSERT_TRUE(chromium.screenshot(dir, "file://" + dir.file("page.html") + "#finding=1", 1200,
                                    720, "board-finding.png", screenshot));
}

#ifdef MAKE_DESIGN_BINARY
// The 32-sheet design, as a designer uses it: the widest net, a part and a
// finding chosen, sheets switched, long lists grown. The script's time of
// each is printed (it depends on the machine; the test asserts what each
// did).
TEST_F(ViewInBrowser, TheLargeDesignStaysQuickToUse) {
    RunResult made = dovla::testing::runCommand({MAKE_DESIGN_BINARY, "32", "."}, dir.path());
    ASSERT_EQ(made.status, 0) << made.err;
    ASSERT_EQ(runTool({"view", "design.sch", "-o", "page.html"}, dir.path()).status, 0);
    const json results = chromium.drive(dir, "timing");
    ASSERT_TRUE(results["error"].is_null()) << results["error"];
    std::printf("first sheet drawn %d ms after the page's start\n", results["readyMs"].get<int>());
    std::map<std::string, json> step;
    for (const json& each : results["steps"]) {
        std::printf("%-45s %6.1f ms of script\n", each["name"].get<std::string>().c_str(),
                    each["ms"].get<double>());
        step[each["name"]] = each;
    }
    const json& widest = step["choose the widest net"];
    const json& part = step["choose the last part"];
    const json& sheet32 = step["switch to sheet 32"];
    EXPECT_EQ(widest["hash"], "#net=" + results["widest"].get<std::string>());
    EXPECT_EQ(widest["detailRows"], 100); // of 9,856 pins, more on demand
    EXPECT_GT(widest["chosen"].get<int>(), 100);
    EXPECT_EQ(part["hash"], "#part=" + results["part"].get<std::string>());
    EXPECT_EQ(part["sheet"], "sheet 32");
    // The part zoomed to, the widest net shown whole.
    EXPECT_LT(part["viewWidth"].get<double>(), sheet32["viewWidth"].get<double>() / 4);
    EXPECT_EQ(widest["viewWidth"], sheet32["viewWidth"]);
    EXPECT_EQ(step["choose the first finding"]["hash"], "#finding=1");
    EXPECT_EQ(step["switch to sheet 2"]["sheet"], "sheet 2");
    EXPECT_EQ(step["switch to sheet 2"]["hash"], "#finding=1&sheet=2");
    const json& lists = results["lists"];
    EXPECT_EQ(lists["nets"], 200);
    EXPECT_EQ(lists["netsMore"], 400);
    EXPECT_EQ(lists["rows"], 100);
    EXPECT_EQ(lists["rowsMore"], 200);
    EXPECT_EQ(results["readyMs"].get<int>() > 0, true);

    Screenshot screenshot;
    ASSERT_TRUE(chromium.screenshot(dir, "file://" + dir.file("page.html") + "#part=R5000", 1300,
                                    900, "large-part-R5000.png", screenshot));
}
#endif

} // namespace
} // namespace dovla::sheettool::testing
