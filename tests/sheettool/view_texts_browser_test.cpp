// The texts of view's page in headless Chromium: each part opened by its
// address, zoomed in, and every text measured where the browser put it.
// No pin name may cover another (a 74HC04 block's VCC over its GND), no
// reference or part name a pin number, a pin or another text (a turned
// resistor's reference), tags stacked a grid step apart must stay apart,
// power parts are drawn as power symbols, and finding marks lie under the
// texts. The screenshot is kept in view-screenshots of the build.
#include <nlohmann/json.hpp>

#include <algorithm>
#include <string>
#include <vector>

#include "browser.h"
#include "design_texts.h"
#include "view_page.h"

namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

// Small bodies with pins on every side, and a part whose names must meet
// at a corner.
const std::string textsLibrary = "library-file\nheader\n"
                                 "part name=\"HC04\" width=4 height=2 blocks=1\n"
                                 "  pin side=left offset=1 numbers=1 name=\"A\"\n"
                                 "  pin side=right offset=1 numbers=2 name=\"Y\"\n"
                                 "  pin side=top offset=2 numbers=14 name=\"VCC\"\n"
                                 "  pin side=bottom offset=2 numbers=7 name=\"GND\"\n"
                                 "part name=\"CTRL\" width=8 height=8 blocks=1\n"
                                 "  pin side=left offset=2 numbers=1 name=\"DATA0\"\n"
                                 "  pin side=left offset=6 numbers=2 name=\"DATA1\"\n"
                                 "  pin side=top offset=2 numbers=3 name=\"RESET\"\n"
                                 "  pin side=top offset=6 numbers=4 name=\"CLOCK\"\n"
                                 "  pin side=right offset=2 numbers=5 name=\"OUT0\"\n"
                                 "  pin side=right offset=6 numbers=6 name=\"OUT1\"\n"
                                 "  pin side=bottom offset=2 numbers=7 name=\"GROUND\"\n"
                                 "  pin side=bottom offset=6 numbers=8 name=\"SUPPLY\"\n"
                                 "part name=\"TIGHT\" width=4 height=4 blocks=1\n"
                                 "  pin side=left offset=1 numbers=1 name=\"DATA\"\n"
                                 "  pin side=top offset=1 numbers=2 name=\"RESET\"\n"
                                 // A long name and a short one at a corner, the short
                                 // one giving way; a name that would turn across its
                                 // pin into its neighbour's.
                                 "part name=\"CORNER\" width=7 height=5 blocks=1\n"
                                 "  pin side=left offset=2 numbers=1 name=\"ENABLEINPUT\"\n"
                                 "  pin side=top offset=5 numbers=2 name=\"RST\"\n"
                                 "part name=\"SQUEEZE\" width=4 height=2 blocks=1\n"
                                 "  pin side=top offset=1 numbers=1 name=\"VCCIO\"\n"
                                 "  pin side=top offset=2 numbers=2 name=\"X\"\n"
                                 "  pin side=bottom offset=1 numbers=3 name=\"GND\"\n";

// Resistors in all eight orientations, the gate in four, the rest once;
// every pin left open, so that a finding stands at each pin's end beside
// its number and its part's reference. Power symbols on a wire, and tags
// stacked a grid step apart.
std::string textsSheet() {
    std::string text = "sheet code=4\n";
    for (int d = 0; d < 8; ++d)
        text += "part at=" + std::to_string(100 + 120 * d) + ",100 ref=\"R" +
                std::to_string(d + 1) + "\" name=\"RES\" lib=\"RES\" dir=" + std::to_string(d) +
                "\n";
    const int turns[] = {0, 1, 6, 7};
    for (int d = 0; d < 4; ++d)
        text += "part at=" + std::to_string(200 + 150 * d) + ",300 ref=\"U" +
                std::to_string(d + 1) +
                "\" name=\"HC04\" lib=\"HC04\" dir=" + std::to_string(turns[d]) + "\n";
    return text + "part at=900,350 ref=\"U5\" name=\"CTRL\" lib=\"CTRL\"\n"
                  "part at=1100,300 ref=\"U6\" name=\"TIGHT\" lib=\"TIGHT\"\n"
                  "part at=1300,350 ref=\"U7\" name=\"CORNER\" lib=\"CORNER\"\n"
                  "part at=1500,300 ref=\"U8\" name=\"SQUEEZE\" lib=\"SQUEEZE\"\n"
                  "part at=200,500 ref=\"\" name=\"VCC\" lib=\"VCC\"\n"
                  "part at=300,520 ref=\"\" name=\"GND\" lib=\"GND\"\n"
                  "wire from=190,510 to=290,510\n"
                  "tag at=500,500 text=\"SDA\"\ntag at=500,510 text=\"SCL\"\n"
                  "tag at=500,520 text=\"INT\"\n"
                  "wire from=420,500 to=500,500\nwire from=420,510 to=500,510\n";
}

using Box = std::vector<double>; // left, top, right, bottom, on the screen

// Two boxes overlap by more than a pixel each way.
bool cover(const Box& a, const Box& b) {
    const double w = std::min(a[2], b[2]) - std::max(a[0], b[0]);
    const double h = std::min(a[3], b[3]) - std::max(a[1], b[1]);
    return w > 1 && h > 1;
}

bool isText(const std::string& kind) {
    return kind.find("-text") != std::string::npos || kind == "pin-name";
}

class TextsInBrowser : public DesignTexts {
  protected:
    void SetUp() override {
        DesignTexts::SetUp();
        if (chromium.missing())
            GTEST_SKIP() << noChromium;
        dir.write("texts.lib.txt", textsLibrary);
        ASSERT_EQ(tool({"build", "texts.lib.txt", "-o", "texts.lib"}).status, 0);
        dir.write("TAVEL.INI",
                  std::string("[Library]\nLIB0=basic.lib\nLIB1=logic.lib\nLIB2=texts.lib\n"));
        sheet("texts.sch", textsSheet());
        RunResult view = tool({"view", "texts.sch", "-o", "page.html"});
        ASSERT_EQ(view.status, 0) << view.err;
    }
    Chromium chromium;
};

TEST_F(TextsInBrowser, NoTextCoversAnotherOrAPin) {
    const json results = chromium.drive(dir, "texts");
    ASSERT_TRUE(results["error"].is_null()) << results["error"];
    ASSERT_FALSE(results["parts"].empty());
    for (const auto& [link, part] : results["parts"].items()) {
        SCOPED_TRACE("zoomed to " + link);
        const json& shown = part["shown"];
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const std::string a = shown[i]["kind"];
            for (std::size_t j = i + 1; j < shown.size(); ++j) {
                const std::string b = shown[j]["kind"];
                // Texts against anything; tags, stacked close, against
                // each other.
                if (!isText(a) && !isText(b) && !(a == "tag" && b == "tag"))
                    continue;
                // A pin's name stands inside its body, a tag's text in its
                // outline, a power name beside its bar.
                auto pair = [&](const char* x, const char* y) {
                    return (a == x && b == y) || (a == y && b == x);
                };
                const bool own = shown[i]["owner"] == shown[j]["owner"];
                if ((own && pair("name-text", "body")) || pair("pin-name", "body") ||
                    pair("tag-text", "tag") || pair("number-text", "pin") ||
                    pair("power-text", "power-bar") || pair("power-text", "pin"))
                    continue;
                EXPECT_FALSE(cover(shown[i]["box"].get<Box>(), shown[j]["box"].get<Box>()))
                    << a << " \"" << shown[i]["text"].get<std::string>() << "\" covers " << b
                    << " \"" << shown[j]["text"].get<std::string>() << "\"";
            }
        }
    }
    // Finding marks lie under every text.
    const json& layers = results["layers"];
    auto at = [&](const std::string& name) {
        return std::find(layers.begin(), layers.end(), name) - layers.begin();
    };
    EXPECT_LT(at("marks"), at("names")) << layers;

    Screenshot shot;
    EXPECT_TRUE(chromium.screenshot(dir, "file://" + dir.file("page.html") + "#part=U1", 1300, 900,
                                    "view-texts.png", shot));
}

TEST_F(TextsInBrowser, PowerPartsAreDrawnAsPowerSymbols) {
    const json results = chromium.drive(dir, "texts");
    ASSERT_TRUE(results["error"].is_null()) << results["error"];
    const json page = designOfPage(dir.read("page.html"));
    for (const auto& [link, part] : results["parts"].items()) {
        const json& info = page["parts"][part["index"].get<std::size_t>()];
        int bars = 0, names = 0;
        for (const json& shown : part["shown"]) {
            if (shown["owner"] != part["index"])
                continue;
            bars += shown["kind"] == "power-bar" ? 1 : 0;
        }
        for (const json& shown : part["shown"])
            names += shown["kind"] == "power-text" && shown["text"] == info["name"] ? 1 : 0;
        // A supply is one bar, ground three; the name beside them.
        const int expected = info["name"] == "VCC" ? 1 : info["name"] == "GND" ? 3 : 0;
        EXPECT_EQ(bars, expected) << link;
        EXPECT_EQ(info["power"], expected > 0) << link;
        if (expected > 0) {
            EXPECT_EQ(names, 1) << link;
        }
    }
}

} // namespace
} // namespace dovla::sheettool::testing
