#include "export/project_folder.h"

#include <filesystem>
#include <fstream>

#include <nlohmann/json.hpp>

#include "sheettool.h"

namespace dovla::sheettool::kicad {

namespace {

namespace fs = std::filesystem;

std::string head(const fs::path& path, std::size_t size) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(size, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(size));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

bool endsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Whether a file of a KiCad project in the folder is one that export
// wrote: schematics and libraries name their generator on their first
// line, the table lists the one library export names, and the project
// file holds no settings made in KiCad.
bool writtenByExport(const fs::path& path) {
    std::string name = path.filename().string();
    if (endsWith(name, ".kicad_sch") || endsWith(name, ".kicad_sym")) {
        std::string first = head(path, 200);
        first = first.substr(0, first.find('\n'));
        return first.find("(generator sheettool)") != std::string::npos;
    }
    if (name == "sym-lib-table") {
        std::string table = head(path, 64 * 1024);
        return table.rfind("(sym_lib_table\n  (lib (name ", 0) == 0 &&
               endsWith(table, "(descr \"The parts of the design\"))\n)\n") &&
               table.find("(lib ", 20) == std::string::npos;
    }
    if (endsWith(name, ".kicad_pro")) {
        nlohmann::json project = nlohmann::json::parse(head(path, 64 * 1024), nullptr, false);
        if (!project.is_object())
            return false;
        for (const auto& [key, value] : project.items())
            if (key != "meta" && key != "sheets")
                return false;
        return true;
    }
    return true;
}

} // namespace

std::string projectStem(const std::string& sheetPath) {
    std::string stem = fs::path(sheetPath).stem().string();
    for (char& c : stem) {
        auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F ||
            std::string_view("${}\"\\/:*?<>|").find(c) != std::string_view::npos)
            c = '_';
    }
    return stem.empty() ? "design" : stem;
}

bool projectFolderReady(const std::string& folder, const std::map<std::string, std::string>& files,
                        bool force) {
    std::error_code error;
    for (const auto& [name, bytes] : files) {
        fs::path path = fs::path(folder) / name;
        if (fs::is_symlink(fs::symlink_status(path, error)))
            return refuse("can't write: " + path.string() +
                          " is a symbolic link; export writes no file through one");
    }
    if (force)
        return true;
    for (fs::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (!entry->is_regular_file(error) || writtenByExport(entry->path()))
            continue;
        return refuse("can't write: " + folder +
                      " holds a KiCad project that export did not write (" +
                      entry->path().filename().string() + "); --force replaces its files");
    }
    return true;
}

} // namespace dovla::sheettool::kicad
