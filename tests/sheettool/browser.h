#pragma once

// Headless Chromium for the tests of the pages (view's and diff's review
// page): run on the files of a directory, a page driven by one of the
// scripts in pages/, and screenshots read with libpng.
#include <nlohmann/json.hpp>
#include <png.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "sheettool_fixture.h"

namespace dovla::sheettool::testing {

// The browser: $CHROMIUM, else chromium on the PATH.
inline std::string findChromium() {
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

// An attribute's value as Chromium writes it in a dump of the DOM.
inline std::string attributeText(std::string text) {
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

// Chromium, run on the files of a directory.
class Chromium {
  public:
    bool missing() const { return path_.empty(); }

    // Chromium on a page, with the arguments that say what to make of it.
    RunResult browse(const TempDir& dir, const std::string& url, int width, int height,
                     const std::vector<std::string>& what) const {
        std::vector<std::string> command = {"timeout",
                                            "180",
                                            path_,
                                            "--headless",
                                            "--no-sandbox",
                                            "--disable-gpu",
                                            "--no-first-run",
                                            "--disable-background-networking",
                                            "--disable-component-update",
                                            "--disable-sync",
                                            "--hide-scrollbars",
                                            "--force-device-scale-factor=1",
                                            "--allow-file-access-from-files",
                                            "--user-data-dir=" + dir.file("profile"),
                                            "--window-size=" + std::to_string(width) + "," +
                                                std::to_string(height)};
        command.insert(command.end(), what.begin(), what.end());
        command.push_back(url);
        return dovla::testing::runCommand(command, dir.path());
    }

    // The page of the directory (page.html) driven by one of the tests'
    // scripts: what it wrote to the body of drive.html.
    nlohmann::json drive(const TempDir& dir, const std::string& script) const {
        for (const auto& entry : std::filesystem::directory_iterator(VIEW_TEST_PAGES)) {
            std::filesystem::copy_file(entry.path(), dir.file(entry.path().filename().string()),
                                       std::filesystem::copy_options::overwrite_existing);
        }
        RunResult run = browse(dir, "file://" + dir.file("drive.html") + "?" + script, 1300, 1000,
                               {"--virtual-time-budget=60000", "--dump-dom"});
        // Found by hand: std::regex recurses once a character, and the
        // results run to many kilobytes.
        const std::string mark = "data-results=\"";
        std::size_t start = run.out.find(mark);
        std::size_t end =
            start == std::string::npos ? start : run.out.find('"', start + mark.size());
        if (run.status != 0 || end == std::string::npos)
            return {{"error", "no results: " + run.err.substr(0, 2000)}};
        start += mark.size();
        return nlohmann::json::parse(attributeText(run.out.substr(start, end - start)));
    }

    // A screenshot of a page, kept in the build's view-screenshots.
    bool screenshot(const TempDir& dir, const std::string& url, int width, int height,
                    const std::string& name, Screenshot& shot) const {
        RunResult run = browse(dir, url, width, height,
                               {"--virtual-time-budget=10000", "--screenshot=" + dir.file(name)});
        if (run.status != 0 || !shot.read(dir.file(name)))
            return false;
        std::filesystem::create_directories(VIEW_SCREENSHOTS);
        std::filesystem::copy_file(dir.file(name), std::string(VIEW_SCREENSHOTS) + "/" + name,
                                   std::filesystem::copy_options::overwrite_existing);
        return true;
    }

  private:
    std::string path_ = findChromium();
};

constexpr char noChromium[] = "Chromium is not installed (Debian's chromium package, or "
                              "$CHROMIUM naming the browser): the page is not tried in a browser";

} // namespace dovla::sheettool::testing
