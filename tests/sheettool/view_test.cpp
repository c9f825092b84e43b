#include <nlohmann/json.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "design_json.h"
#include "design_texts.h"
#include "diff_designs.h"
#include "view/net_colors.h"
#include "view/page.h"
#include "view_page.h"

namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

TEST(ViewPage, DataCannotCloseItsScriptElement) {
    std::string data = json{{"name", "a</script><script>alert(1)</script><"}}.dump();
    std::string safe = "<";
    view::appendScriptSafe(safe, data);
    EXPECT_EQ(safe.find('<', 1), std::string::npos);
    EXPECT_EQ(json::parse(safe.substr(1)), json::parse(data));

    std::string page = view::page("demo.sch", data);
    EXPECT_EQ(occurrences(page, "</script>"), 4u); // the data's element and the three scripts'
    EXPECT_EQ(designOfPage(page), json::parse(data));
}

TEST(ViewPage, FillsEachSlotOnceAndNeverWhatFillsIt) {
    std::string data = json{{"title", "@SCRIPT@ @STYLE@ @TITLE@ @DATA@ @"}}.dump();
    std::string page = view::page("@DATA@", data);
    EXPECT_EQ(designOfPage(page), json::parse(data));
    EXPECT_NE(page.find("<title>@DATA@ - sheettool view</title>"), std::string::npos);
    EXPECT_EQ(occurrences(page, "@SCRIPT@"), 1u); // the data's own
    EXPECT_EQ(occurrences(page, "@STYLE@"), 1u);
    EXPECT_NE(page.find("'use strict';"), std::string::npos);
    EXPECT_NE(page.find("--highlight: #ff1493;"), std::string::npos);
}

TEST(ViewPage, TitleIsHtmlTextOfTheFileNamesBytes) {
    EXPECT_EQ(view::htmlText("a&b<c>\"d\xe4.sch"), "a&amp;b&lt;c&gt;&quot;d\xc3\xa4.sch");
    std::string page = view::page("<b>&.sch", "{}");
    EXPECT_NE(page.find("<title>&lt;b&gt;&amp;.sch - sheettool view</title>"), std::string::npos);
}

// The page written as its data is made is the page made whole, whatever
// the pieces the data comes in; each piece is made safe on its own.
TEST(ViewPage, WrittenInPiecesIsThePageMadeWhole) {
    const std::vector<std::vector<std::string>> cases = {
        {"{}"},
        {"{\"a\":\"<", "/script>", "<\"}"},
        {"{\"title\":\"@DATA@ \x01", "DATA\x01\"", ",\"b\":1}"},
    };
    for (const std::vector<std::string>& pieces : cases) {
        std::string whole;
        for (const std::string& piece : pieces)
            whole += piece;
        std::FILE* file = std::tmpfile();
        ASSERT_NE(file, nullptr);
        ASSERT_TRUE(view::writePage(file, "<b>@DATA@.sch", [&](const view::HandOn& handOn) {
            for (std::size_t i = 0; i + 1 < pieces.size(); ++i) {
                std::string piece = pieces[i];
                handOn(piece);
            }
            return pieces.back();
        }));
        std::string written(static_cast<std::size_t>(std::ftell(file)), '\0');
        std::rewind(file);
        ASSERT_EQ(std::fread(written.data(), 1, written.size(), file), written.size());
        std::fclose(file);
        EXPECT_EQ(written, view::page("<b>@DATA@.sch", whole)) << whole;
    }
}

// A design on two sheets with items before the first header (sheet 0):
// nets, a bus group, a part no library holds, a label whose name would
// close a script element and one of a quote, a backslash and a byte
// beyond ASCII.
const std::string viewDesign = "wire from=10,10 to=60,10\n"
                               "sheet code=4\n"
                               "part at=200,110 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                               "part at=400,110 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                               "wire from=210,100 to=350,100\n"
                               "label at=280,100 text=\"</script>\"\n"
                               "label at=300,100 text=\"Q\\\"1\\\\\\xe9\"\n"
                               "part at=160,90 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                               "junction at=100,300\n"
                               "bus from=100,500 to=300,500\n"
                               "bus-entry at=200,500 attr=wire-entry\n"
                               "tag at=300,500 text=\"B\"\n"
                               "part at=700,700 ref=\"X1\" name=\"NONE\" lib=\"NONE\"\n"
                               "sheet code=2\n"
                               "part at=200,110 ref=\"R3\" name=\"RES\" lib=\"RES\" dir=1\n";

// The same with a thousand resistors more on its last sheet, joined in
// pairs by wires with labels: a page whose data is written in many pieces.
std::string largeViewDesign() {
    std::string text = viewDesign;
    for (int i = 0; i < 1000; ++i) {
        const int x = 100 + i % 20 * 70;
        const int y = 100 + i / 20 * 20;
        const std::string at = std::to_string(x) + "," + std::to_string(y);
        const std::string end = std::to_string(x + 10) + "," + std::to_string(y - 10);
        text +=
            "part at=" + at + " ref=\"R" + std::to_string(i + 10) + "\" name=\"RES\" lib=\"RES\"\n";
        if (i % 20 != 19)
            text += "wire from=" + end + " to=" + std::to_string(x + 20) + "," +
                    std::to_string(y - 10) + "\nlabel at=" + end + " text=\"N" + std::to_string(i) +
                    "\"\n";
    }
    return text;
}

using ViewCommand = DesignTexts;

// The page draws what `nets --json` holds: every item on its sheet, in
// the order dovla32 made them, with the same net.
TEST_F(ViewCommand, PageHoldsTheDesignAsTheModelHasIt) {
    for (const std::string& design : {viewDesign, largeViewDesign()}) {
        SCOPED_TRACE(design.size());
        sheet("view.sch", design);
        RunResult run = tool({"view", "view.sch", "-o", "page.html"});
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "");
        const json page = designOfPage(dir.read("page.html"));
        ASSERT_TRUE(page.is_object());
        RunResult nets = tool({"nets", "view.sch", "--json"});
        ASSERT_EQ(nets.status, 0) << nets.err;
        const json model = json::parse(nets.out);

        EXPECT_EQ(page["title"], "view.sch");
        ASSERT_EQ(page["sheets"].size(), 3u);
        EXPECT_EQ(page["sheets"][0]["number"], 0);
        EXPECT_EQ(page["sheets"][0]["wires"], json::parse("[[10,10,60,10,-1]]"));
        EXPECT_EQ(page["sheets"][1]["paper"], json::parse("[0,0,3000,2000]"));
        EXPECT_EQ(page["sheets"][2]["paper"], json::parse("[0,0,1600,1200]"));

        auto net = [](const json& item) { return item["net"].is_null() ? json(-1) : item["net"]; };
        for (const json& sheet : page["sheets"]) {
            json wires = json::array();
            for (const json& wire : model["wires"]) {
                if (wire["sheet"] == sheet["number"])
                    wires.push_back({wire["from"][0], wire["from"][1], wire["to"][0], wire["to"][1],
                                     net(wire)});
            }
            EXPECT_EQ(sheet["wires"], wires) << "sheet " << sheet["number"];
            json pins = json::array();
            for (std::size_t i = 0; i < model["pins"].size(); ++i) {
                const json& pin = model["pins"][i];
                if (pin["sheet"] == sheet["number"])
                    pins.push_back({i, pin["root"][0], pin["root"][1], pin["end"][0], pin["end"][1],
                                    net(pin)});
            }
            json drawnPins = json::array();
            for (const json& row : sheet["pins"]) // the number's place left out
                drawnPins.push_back({row[0], row[1], row[2], row[3], row[4], row[7]});
            EXPECT_EQ(drawnPins, pins) << "sheet " << sheet["number"];
        }
        const json& first = page["sheets"][1];
        // Buses and entries with their bus group, junctions with the net of
        // what ends on them (none here).
        EXPECT_EQ(first["buses"], json::parse("[[100,500,300,500,0]]"));
        EXPECT_EQ(first["entries"], json::parse("[[200,500,210,490,-1,0]]"));
        EXPECT_EQ(first["junctions"], json::parse("[[100,300,-1]]"));
        EXPECT_EQ(first["labels"], json::parse(R"([[280,100,"</script>",0,0,-1],
                                                    [300,100,"Q\"1\\\u00e9",0,0,-1]])"));
        ASSERT_EQ(first["tags"].size(), 1u);
        EXPECT_EQ(first["tags"][0][3], "B");
        ASSERT_EQ(first["parts"].size(), 4u);
        EXPECT_EQ(first["parts"][3], json::parse("[3,680,680,700,700,0]"));

        ASSERT_EQ(page["nets"].size(), model["nets"].size());
        for (std::size_t i = 0; i < model["nets"].size(); ++i) {
            EXPECT_EQ(page["nets"][i]["key"], model["nets"][i]["key"]);
            EXPECT_EQ(page["nets"][i]["pins"], model["nets"][i]["pins"]);
        }
        EXPECT_EQ(page["nets"][0]["sheets"], json::parse("[1]"));
        EXPECT_EQ(page["parts"][3], json::parse(R"({"ref":"X1","label":"X1","link":"X1",
        "name":"NONE","lib":"NONE","found":false,"power":false,"sheet":1,"block":0,"blocks":0,
        "pins":[]})"));
        // The VCC without a reference is drawn as a power symbol; the resistors
        // are not.
        EXPECT_EQ(page["parts"][2]["power"], true);
        EXPECT_EQ(page["parts"][0]["power"], false);
        EXPECT_EQ(page["pins"][0], json({"R1.1", "1", 1, 0, net(model["pins"][0]), ""}));
        ASSERT_EQ(page["findings"].size(), model["findings"].size());
        for (std::size_t i = 0; i < model["findings"].size(); ++i) {
            EXPECT_EQ(page["findings"][i]["at"], model["findings"][i]["at"]);
            EXPECT_EQ(page["findings"][i]["kind"], model["findings"][i]["kind"]);
            EXPECT_EQ(page["findings"][i]["severity"], model["findings"][i]["severity"]);
        }
    }
}

// What the page names and colours beyond the net list: blocks as the long
// listing names them, an address for every part (two parts of one
// reference, power symbols, a heap of parts on one place), the nets that
// cross a bus, the net of a junction, the library's pin names, and colours
// that tell nets running side by side apart.
TEST_F(ViewCommand, PageNamesBlocksPartsBusesAndColoursNeighbours) {
    sheet("names.sch", "sheet code=4\n"
                       "part at=300,200 ref=\"U1\" name=\"7400\" lib=\"7400\"\n"
                       "part at=300,400 ref=\"U1\" name=\"7400\" lib=\"7400\" block=1\n"
                       "part at=600,200 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                       "part at=600,400 ref=\"R1\" name=\"RES\" lib=\"RES\"\n"
                       "part at=800,100 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                       "part at=900,100 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                       "part at=2000,1500 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                       "part at=2000,1500 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                       "part at=2000,1500 ref=\"R2\" name=\"RES\" lib=\"RES\"\n"
                       "bus from=100,600 to=400,600\n"
                       "bus-entry at=200,600 attr=wire-entry\n"
                       "wire from=210,590 to=210,560\n"
                       "wire from=1000,100 to=1200,100\n"
                       "wire from=1000,120 to=1200,120\n"
                       "wire from=1000,400 to=1200,400\n"
                       "wire from=1100,100 to=1100,80\n"
                       "junction at=1100,100\n"
                       "part at=260,570 ref=\"R5\" name=\"RES\" lib=\"RES\"\n"
                       "part at=1190,110 ref=\"R6\" name=\"RES\" lib=\"RES\"\n"
                       "part at=1190,130 ref=\"R7\" name=\"RES\" lib=\"RES\"\n"
                       "part at=1190,410 ref=\"R8\" name=\"RES\" lib=\"RES\"\n");
    ASSERT_EQ(tool({"view", "names.sch", "-o", "page.html"}).status, 0);
    const json page = designOfPage(dir.read("page.html"));
    struct Named {
        std::string label, link;
    };
    const std::vector<Named> parts = {
        {"U1(1/4)", "U1(1/4)"},   {"U1(2/4)", "U1(2/4)"},     {"R1", "R1@1:600,200"},
        {"R1", "R1@1:600,400"},   {"", "VCC@1:800,100"},      {"", "VCC@1:900,100"},
        {"R2", "R2@1:2000,1500"}, {"R2", "R2@1:2000,1500~2"}, {"R2", "R2@1:2000,1500~3"}};
    ASSERT_EQ(page["parts"].size(), parts.size() + 4);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        EXPECT_EQ(page["parts"][i]["label"], parts[i].label) << i;
        EXPECT_EQ(page["parts"][i]["link"], parts[i].link) << i;
    }
    // The 7400's pins carry the library's names.
    std::vector<std::string> names;
    for (const json& pin : page["pins"]) {
        if (pin[3] == 0)
            names.push_back(pin[5]);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A", "B", "Y"}));

    const json& sheet = page["sheets"][0];
    auto netOfWire = [&](int y) {
        for (const json& wire : sheet["wires"]) {
            if (wire[0] == 1000 && wire[1] == y)
                return wire[4].get<int>();
        }
        return -2;
    };
    ASSERT_EQ(page["busGroups"].size(), 1u);
    int crossing = -2;
    for (const json& pin : page["pins"]) {
        if (pin[0] == "R5.1")
            crossing = pin[4];
    }
    EXPECT_EQ(page["busGroups"][0], json::parse("[[1],[" + std::to_string(crossing) + "]]"));
    ASSERT_EQ(sheet["junctions"].size(), 1u);
    EXPECT_EQ(sheet["junctions"][0][2], netOfWire(100));

    std::map<int, std::string> colours;
    for (std::size_t i = 0; i + 1 < sheet["colors"].size(); i += 2)
        colours[sheet["colors"][i]] = sheet["colors"][i + 1];
    // 20 apart: neighbours; 280 further down: not, and so the first colour.
    EXPECT_NE(colours[netOfWire(100)], colours[netOfWire(120)]);
    EXPECT_EQ(colours[netOfWire(400)], colours[netOfWire(100)]);
    // The same design, the same colours.
    ASSERT_EQ(tool({"view", "names.sch", "-o", "again.html"}).status, 0);
    EXPECT_EQ(designOfPage(dir.read("again.html"))["sheets"], page["sheets"]);
}

// A power net keeps its colour wherever it is; the lists show a net in its
// colour on the first sheet it is drawn on.
TEST_F(ViewCommand, PowerNetsKeepTheirColours) {
    ASSERT_EQ(
        tool({"view", std::string(EXAMPLE_BUILD_DIR) + "/demo.sch", "-o", "page.html"}).status, 0);
    const json page = designOfPage(dir.read("page.html"));
    std::vector<std::string> firstColour(page["nets"].size());
    for (const json& sheet : page["sheets"]) {
        for (std::size_t i = 0; i + 1 < sheet["colors"].size(); i += 2) {
            const int net = sheet["colors"][i];
            const std::string key = page["nets"][net]["key"];
            const std::string colour = sheet["colors"][i + 1];
            if (firstColour[net].empty())
                firstColour[net] = colour;
            if (key == "VCC")
                EXPECT_EQ(colour, view::supplyColor);
            else if (key == "GND")
                EXPECT_EQ(colour, view::groundColor);
            else
                EXPECT_TRUE(colour != view::supplyColor && colour != view::groundColor) << key;
        }
    }
    for (std::size_t net = 0; net < firstColour.size(); ++net)
        EXPECT_EQ(page["nets"][net]["color"], firstColour[net]) << page["nets"][net]["key"];
}

// Colours are chosen sheet by sheet, each sheet afresh: a net takes the
// first colour that no neighbour chosen before it on that sheet has, what
// other sheets chose notwithstanding; a cell crowded with nets makes no
// neighbours, not even of the cells around it.
TEST_F(ViewCommand, ANetHasOneColourOnEverySheetAndInTheList) {
    // Nets A, B and C cross the sheets by their tags; A, B and C come first
    // in that order. Sheet 4 holds 129 small nets in one 50 by 50 cell and,
    // after them, net D in the cell beside it.
    auto net = [](const std::string& name, int y) {
        return "wire from=1000," + std::to_string(y) + " to=1200," + std::to_string(y) +
               "\ntag at=1000," + std::to_string(y) + " text=\"" + name + "\"\n";
    };
    std::string text = "sheet code=4\n" + net("A", 100) + net("B", 120) + net("C", 500) +
                       "sheet code=4\n" + net("A", 100) + net("B", 120) + "sheet code=4\n" +
                       net("A", 100) + net("B", 500) + net("C", 520) + "sheet code=4\n";
    for (int i = 0; i < 129; ++i) {
        const std::string x = std::to_string(1050 + i % 13 * 4);
        const std::string y = std::to_string(100 + i / 13 * 4);
        text += "wire from=" + x + "," + y + " to=" + std::to_string(1052 + i % 13 * 4) + "," + y +
                "\nlabel at=" + x + "," + y + " text=\"N\"\n";
    }
    text += "wire from=1000,120 to=1040,120\nlabel at=1000,120 text=\"D\"\n";
    sheet("colours.sch", text);
    ASSERT_EQ(tool({"view", "colours.sch", "-o", "page.html"}).status, 0);
    const json page = designOfPage(dir.read("page.html"));
    ASSERT_EQ(page["sheets"].size(), 4u);
    auto colourOn = [&](int sheet, int net) {
        const json& colors = page["sheets"][sheet]["colors"];
        for (std::size_t i = 0; i + 1 < colors.size(); i += 2) {
            if (colors[i] == net)
                return colors[i + 1].get<std::string>();
        }
        return std::string("none");
    };
    const std::string first = view::netPalette[0], second = view::netPalette[1];
    const struct {
        int sheet, net;
        std::string colour;
    } expected[] = {
        {0, 0, first},   {0, 1, second}, {0, 2, first}, // B beside A
        {1, 0, first},   {1, 1, second},                // the same again
        {2, 0, first},   {2, 1, second}, {2, 2, first}, // C beside B, not beside A
        {3, 132, first},                                // D beside a crowded cell
    };
    for (const auto& e : expected) {
        EXPECT_EQ(colourOn(e.sheet, e.net), e.colour)
            << "sheet " << e.sheet + 1 << " net " << e.net;
        EXPECT_EQ(page["nets"][e.net]["color"], e.colour) << "the list's swatch of net " << e.net;
    }
}

// Nets are neighbours when their lines lie in the same or touching 50 by
// 50 cells, whichever side, corner or sign of the coordinates: the second
// net of a pair takes the second colour beside the first, else the first.
TEST_F(ViewCommand, NeighboursAreTheNetsOfTouchingCells) {
    const struct {
        int ax, ay, bx, by;
        bool near;
    } pairs[] = {
        {1000, 1000, 1000, 1060, true},  {1000, 1000, 1060, 1060, true},
        {1000, 1000, 960, 960, true},    {1000, 1000, 1060, 960, true},
        {-10, -10, 10, 10, true},        {-10, 10, 10, -10, true},
        {1000, 1000, 1110, 1000, false}, {1000, 1000, 1110, 1060, false},
        {1000, 1000, 1000, 1110, false}, {-60, -10, 10, 10, false},
    };
    std::string text;
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
        auto net = [&](const std::string& name, int x, int y) {
            return "wire from=" + std::to_string(x) + "," + std::to_string(y) +
                   " to=" + std::to_string(x + 2) + "," + std::to_string(y) +
                   "\nlabel at=" + std::to_string(x) + "," + std::to_string(y) + " text=\"" + name +
                   std::to_string(i) + "\"\n";
        };
        text += "sheet code=4\n" + net("A", pairs[i].ax, pairs[i].ay) +
                net("B", pairs[i].bx, pairs[i].by);
    }
    sheet("pairs.sch", text);
    ASSERT_EQ(tool({"view", "pairs.sch", "--no-libraries", "-o", "page.html"}).status, 0);
    const json page = designOfPage(dir.read("page.html"));
    std::map<std::string, std::string> colours;
    for (const json& net : page["nets"])
        colours[net["key"]] = net["color"];
    for (std::size_t i = 0; i < std::size(pairs); ++i) {
        const std::string n = std::to_string(i);
        EXPECT_EQ(colours["A" + n], view::netPalette[0]) << i;
        EXPECT_EQ(colours["B" + n], view::netPalette[pairs[i].near ? 1 : 0]) << i;
    }
}

// Everything the page needs is in it: no address to fetch from, and a
// policy that forbids fetching.
TEST_F(ViewCommand, PageFetchesNothing) {
    sheet("view.sch", viewDesign);
    ASSERT_EQ(tool({"view", "view.sch", "-o", "page.html"}).status, 0);
    std::string page = dir.read("page.html");
    EXPECT_NE(page.find("content=\"default-src 'none';"), std::string::npos);
    for (const char* fetching :
         {"src=", "href=", "<link", "url(", "@import", "fetch(", "XMLHttpRequest", "https:"})
        EXPECT_EQ(page.find(fetching), std::string::npos) << fetching;
}

TEST_F(ViewCommand, OptionsChangeTheDesignAsTheyChangeTheNetList) {
    sheet("view.sch", viewDesign);
    ASSERT_EQ(tool({"view", "view.sch", "-o", "plain.html"}).status, 0);
    ASSERT_EQ(tool({"view", "view.sch", "-p", "-o", "p.html"}).status, 0);
    const json plain = designOfPage(dir.read("plain.html"));
    const json noPower = designOfPage(dir.read("p.html"));
    // Without implicit power names VCC is an ordinary part: its net has no name.
    EXPECT_EQ(plain["nets"][1]["key"], "VCC");
    EXPECT_NE(noPower["nets"][1]["key"], "VCC");
}

TEST_F(ViewCommand, TroubleLeavesNoPageAndTheInputsAlone) {
    sheet("view.sch", viewDesign);
    dir.write("broken.sch", std::string("\x07\x01\x02", 3));
    struct Case {
        std::vector<std::string> arguments;
        std::string err;
    };
    for (const Case& c : std::vector<Case>{
             {{"view", "broken.sch", "-o", "page.html"}, "sheettool: file read error!\n"},
             {{"view", "missing.sch", "-o", "page.html"}, "sheettool: can't open: missing.sch\n"},
             {{"view", "view.sch", "--json", "-o", "page.html"}, ""},
             {{"view", "-o", "page.html"}, ""},
             {{"view", "view.sch", "view.sch", "-o", "page.html"}, ""},
         }) {
        RunResult run = tool(c.arguments);
        EXPECT_EQ(run.status, exitTrouble) << c.arguments[1];
        if (!c.err.empty())
            EXPECT_EQ(run.err, c.err);
        else
            EXPECT_NE(run.err.find("See sheettool view --help."), std::string::npos) << run.err;
        EXPECT_FALSE(dir.exists("page.html"));
    }
    std::string before = dir.read("view.sch");
    RunResult over = tool({"view", "view.sch", "-o", "view.sch"});
    EXPECT_EQ(over.status, exitTrouble);
    EXPECT_EQ(dir.read("view.sch"), before);
    RunResult ini = tool({"view", "view.sch", "-o", "TAVEL.INI"});
    EXPECT_EQ(ini.status, exitTrouble);
}

TEST_F(ViewCommand, WritesThePageToStandardOutputWithoutAName) {
    sheet("view.sch", viewDesign);
    RunResult run = tool({"view", "view.sch"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("<!DOCTYPE html>", 0), 0u);
    EXPECT_EQ(designOfPage(run.out)["title"], "view.sch");
}

// A page's policy lets its own scripts run and no other: an inline script
// that got into the page would be refused by the browser.
struct PolicyCase {
    const char* name;
    std::vector<std::string> command;
};

void PrintTo(const PolicyCase& c, std::ostream* out) {
    *out << c.name;
}

class PagePolicy : public ViewCommand, public ::testing::WithParamInterface<PolicyCase> {};

TEST_P(PagePolicy, AllowsItsScriptsByTheirHashesAlone) {
    sheet("view.sch", viewDesign);
    sheet("moved.sch", replaced(viewDesign, "part at=", "part at=1"));
    std::vector<std::string> command = GetParam().command;
    command.insert(command.end(), {"-o", "page.html"});
    RunResult run = tool(command);
    ASSERT_LE(run.status, 1) << run.err;
    const std::string page = dir.read("page.html");
    const std::string policyMark = "script-src ";
    std::size_t policy = page.find(policyMark);
    ASSERT_NE(policy, std::string::npos);
    policy += policyMark.size();
    const std::string source = page.substr(policy, page.find(';', policy) - policy);
    const std::string open = "<script>";
    std::vector<std::string> scripts;
    for (std::size_t script = page.find(open); script != std::string::npos;
         script = page.find(open, script)) {
        script += open.size();
        scripts.push_back("script" + std::to_string(scripts.size()) + ".js");
        dir.write(scripts.back(), page.substr(script, page.find("</script>", script) - script));
    }
    ASSERT_EQ(scripts.size(), 3u);
    std::vector<std::string> hashCommand = {
        "python3", "-c",
        "import base64, hashlib, sys\n"
        "print(' '.join(\"'sha256-\" + base64.b64encode(hashlib.sha256(open(f, 'rb').read())"
        ".digest()).decode() + \"'\" for f in sys.argv[1:]), end='')"};
    hashCommand.insert(hashCommand.end(), scripts.begin(), scripts.end());
    RunResult hash = dovla::testing::runCommand(hashCommand, dir.path());
    if (hash.status == 127)
        GTEST_SKIP() << "python3 is not installed";
    EXPECT_EQ(source, hash.out);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PagePolicy,
    ::testing::Values(PolicyCase{"View", {"view", "view.sch"}},
                      PolicyCase{"Review", {"diff", "view.sch", "moved.sch", "--html"}}),
    [](const ::testing::TestParamInfo<PolicyCase>& info) { return info.param.name; });

} // namespace
} // namespace dovla::sheettool::testing
