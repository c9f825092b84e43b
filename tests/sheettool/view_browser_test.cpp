// The page of the shipped example in a real browser: headless Chromium
// draws it with #net=D0 and takes a screenshot, whose pixels must show D0
// lit in the highlight and the other nets not; and the page is used, in a
// frame, as a person would use it.
#include <png.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "sheettool_fixture.h"
#include "view_page.h"

namespace dovla::sheettool::testing {
namespace {

using nlohmann::json;

// The browser: $CHROMIUM, else chromium on the PATH.
std::string findChromium() {
    if (const char* named = std::getenv("CHROMIUM"))
        return named;
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path != nullptr ? path : "");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        for (const char* name : {"chromium", "chromium-browser"}) {
            std::string candidate = dir + "/" + name;
            if (::access(candidate.c_str(), X_OK) == 0)
                return candidate;
        }
    }
    return "";
}

struct Rgb {
    int r = 0, g = 0, b = 0;
};

// A screenshot's pixels, read with libpng.
class Screenshot {
  public:
    bool read(const std::string& path) {
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_file(&image, path.c_str()))
            return false;
        image.format = PNG_FORMAT_RGB;
        pixels_.resize(PNG_IMAGE_SIZE(image));
        if (!png_image_finish_read(&image, nullptr, pixels_.data(), 0, nullptr))
            return false;
        width_ = static_cast<int>(image.width);
        height_ = static_cast<int>(image.height);
        return true;
    }
    int width() const { return width_; }
    int height() const { return height_; }
    Rgb at(int x, int y) const {
        const png_byte* p = &pixels_[3 * (static_cast<std::size_t>(y) * width_ + x)];
        return {p[0], p[1], p[2]};
    }

  private:
    std::vector<png_byte> pixels_;
    int width_ = 0;
    int height_ = 0;
};

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
        chromium_ = findChromium();
        if (chromium_.empty())
            GTEST_SKIP() << "Chromium is not installed (Debian's chromium package, or $CHROMIUM "
                            "naming the browser): the page is not tried in a browser";
    }

    // Chromium on the page, with the arguments that say what to make of it.
    RunResult browse(const std::string& url, int width, int height,
                     const std::vector<std::string>& what) {
        std::vector<std::string> command = {"timeout",
                                            "120",
                                            chromium_,
                                            "--headless",
                                            "--no-sandbox",
                                            "--disable-gpu",
                                            "--no-first-run",
                                            "--disable-background-networking",
                                            "--disable-component-update",
                                            "--disable-sync",
                                            "--hide-scrollbars",
                                            "--force-device-scale-factor=1",
                                            "--user-data-dir=" + dir.file("profile"),
                                            "--window-size=" + std::to_string(width) + "," +
                                                std::to_string(height),
                                            "--virtual-time-budget=5000"};
        command.insert(command.end(), what.begin(), what.end());
        command.push_back(url);
        return dovla::testing::runCommand(command, dir.path());
    }

    // Pages of the tests that hold the page of view in a frame, beside it.
    void copyPages(const std::vector<std::string>& files) {
        for (const std::string& file : files)
            std::filesystem::copy_file(std::string(VIEW_TEST_PAGES) + "/" + file, dir.file(file));
    }

    std::string chromium_;
    TempDir dir;
};

TEST_F(ViewInBrowser, TheExampleLightsUpNetD0) {
    RunResult view = runTool({"view", "demo.sch", "-o", dir.file("page.html")}, EXAMPLE_BUILD_DIR);
    ASSERT_EQ(view.status, 0) << view.err;
    const json design = designOfPage(dir.read("page.html"));
    copyPages({"frame.html", "frame.js"});
    // The page in a frame of 1200 by 800, which stays as it is when the
    // window is resized for the screenshot.
    std::string url = "file://" + dir.file("frame.html") + "#net=D0";
    constexpr int width = 1300;
    constexpr int height = 900;
    RunResult dom = browse(url, width, height, {"--allow-file-access-from-files", "--dump-dom"});
    ASSERT_EQ(dom.status, 0) << dom.err;
    std::optional<Mapping> mapping = mappingOf(dom.out);
    ASSERT_TRUE(mapping) << "the page did not finish: " << dom.out.substr(0, 2000);

    RunResult shot =
        browse(url, width, height,
               {"--allow-file-access-from-files", "--screenshot=" + dir.file("shot.png")});
    ASSERT_EQ(shot.status, 0) << shot.err;
    Screenshot screenshot;
    ASSERT_TRUE(screenshot.read(dir.file("shot.png")));
    ASSERT_EQ(screenshot.width(), width);
    ASSERT_EQ(screenshot.height(), height);

    int d0 = -1;
    for (std::size_t i = 0; i < design["nets"].size(); ++i) {
        if (design["nets"][i]["key"] == "D0")
            d0 = static_cast<int>(i);
    }
    ASSERT_GE(d0, 0);
    // The first sheet is drawn: D0 has members there.
    const json& sheet = design["sheets"][0];
    ASSERT_EQ(sheet["number"], 1);
    auto colourAt = [&](double x, double y) {
        return screenshot.at(mapping->pixelX(x), mapping->pixelY(y));
    };
    auto describe = [](Rgb c) {
        return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
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

// An attribute's value as Chromium writes it in a dump of the DOM.
std::string attributeText(std::string text) {
    for (const auto& [entity, character] :
         std::vector<std::pair<std::string, std::string>>{{"&quot;", "\""},
                                                          {"&lt;", "<"},
                                                          {"&gt;", ">"},
                                                          {"&nbsp;", "\xc2\xa0"},
                                                          {"&amp;", "&"}}) {
        for (std::size_t at = text.find(entity); at != std::string::npos;
             at = text.find(entity, at + character.size()))
            text.replace(at, entity.size(), character);
    }
    return text;
}

TEST_F(ViewInBrowser, ClicksTheListsSearchAndKeysChoose) {
    RunResult view = runTool({"view", "demo.sch", "-o", dir.file("page.html")}, EXAMPLE_BUILD_DIR);
    ASSERT_EQ(view.status, 0) << view.err;
    copyPages({"interact.html", "interact.js"});
    RunResult run = browse("file://" + dir.file("interact.html"), 1300, 1000,
                           {"--allow-file-access-from-files", "--dump-dom"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::smatch found;
    ASSERT_TRUE(std::regex_search(run.out, found, std::regex("data-results=\"([^\"]*)\"")))
        << run.out.substr(0, 2000);
    const json results = json::parse(attributeText(found[1]));
    ASSERT_TRUE(results["error"].is_null()) << results["error"];

    struct Step {
        std::string name, hash, sheet;
        json detail;
    };
    const std::vector<Step> expected = {
        {"click on a wire of D1", "#net=D1", "sheet 1", "Net D1"},
        {"click beside a wire of D1", "#net=D1", "sheet 1", "Net D1"},
        {"click on a pin of GND", "#net=GND", "sheet 1", "Net GND"},
        {"click on nothing", "", "sheet 1", nullptr},
        {"wheel toward the wire", "", "sheet 1", nullptr},
        {"click on the wire, zoomed in", "#net=D1", "sheet 1", "Net D1"},
        {"choose U1 in the list", "#part=U1", "sheet 2", "Part U1 7400"},
        {"choose VCC in the list", "#net=VCC", "sheet 2", "Net VCC"},
        {"Escape", "", "sheet 2", nullptr},
    };
    const json& steps = results["steps"];
    ASSERT_EQ(steps.size(), expected.size() + 1);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(steps[i]["name"], expected[i].name);
        EXPECT_EQ(steps[i]["hash"], expected[i].hash) << expected[i].name;
        EXPECT_EQ(steps[i]["sheet"], expected[i].sheet) << expected[i].name;
        EXPECT_EQ(steps[i]["detail"], expected[i].detail) << expected[i].name;
    }
    // The wheel zoomed in: a narrower view box.
    auto width = [](const json& step) {
        std::istringstream view(step["view"].get<std::string>());
        double x, y, w;
        view >> x >> y >> w;
        return w;
    };
    EXPECT_LT(width(steps[4]), width(steps[3]) * 0.8);
    // D0 to D3 and GND have a "d"; of the parts, those named GND.
    const json& search = steps.back();
    EXPECT_EQ(search["name"], "search for d");
    EXPECT_EQ(search["nets"], "5");
    EXPECT_EQ(search["parts"], "4");
    EXPECT_EQ(steps[0]["nets"], "10");
    EXPECT_EQ(steps[0]["parts"], "19");
}

} // namespace
} // namespace dovla::sheettool::testing
