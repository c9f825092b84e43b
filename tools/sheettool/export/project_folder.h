#pragma once

#include <map>
#include <string>

// The folder a KiCad project is exported into is the user's: the export
// writes no file through a symbolic link, and replaces only a project that
// an earlier export wrote there, unless told to (--force).
namespace dovla::sheettool::kicad {

// A file name's stem for the project's files: the sheet file's stem, with
// control bytes and the characters that KiCad expands ("${...}") or that a
// file name may not hold on Windows made '_'.
std::string projectStem(const std::string& sheetPath);

// Whether the project's files (by name) may be written into the folder: a
// folder that holds a KiCad project that export did not write (a schematic
// saved by KiCad, a table of other libraries, project settings made in
// KiCad) is refused unless `force`; one where a file to be written is a
// symbolic link is refused always. False, with the message written.
bool projectFolderReady(const std::string& folder, const std::map<std::string, std::string>& files,
                        bool force);

} // namespace dovla::sheettool::kicad
