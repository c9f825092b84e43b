#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "design.h"
#include "git_repository.h"

namespace dovla::sheettool {

// A sheet of one revision with the TAVEL.INI and the libraries it was
// read with at that revision, written out of git into a folder of their
// own (the work tree's files are read where they are).
class RevisionFiles {
  public:
    RevisionFiles(const GitRepository& repository, std::string revision);
    ~RevisionFiles();
    RevisionFiles(const RevisionFiles&) = delete;
    RevisionFiles& operator=(const RevisionFiles&) = delete;

    // "HEAD~1", or "work tree".
    std::string name() const;
    // Every file of the revision, sorted.
    const std::vector<std::string>& files() const { return files_; }
    // Whether the revision has the file (a path from the top).
    bool has(const std::string& path) const;
    // Whether the revision's file reads as a sheet: the sheet header's
    // magic in it, and no library's at its start.
    bool isSheet(const std::string& path) const;

    // Puts the sheet, and the configuration and libraries it is read with,
    // where the design model can read them, and names them in `sheet` and
    // `options`. The configuration is --config's when the options name
    // one; else the revision's TAVEL.INI in the current folder, beside the
    // sheet, or in the top folder, the first there is; else the one
    // dovla32 finds. False, with the message written, on trouble.
    bool prepare(const std::string& path, std::string& sheet, model::Options& options);

    // The work tree's files read: no output may be written over them.
    const std::vector<std::string>& inputs() const { return inputs_; }

  private:
    bool place(const std::string& path, std::string& local);
    bool placeLibraries(const std::string& configuration, const std::string& local);

    const GitRepository& repository_;
    std::string revision_;
    std::vector<std::string> files_;
    std::filesystem::path folder_; // where a revision's files are written
    std::vector<std::string> inputs_;
};

} // namespace dovla::sheettool
