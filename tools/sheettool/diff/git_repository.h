#pragma once

#include <string>
#include <vector>

namespace dovla::sheettool {

// The git repository of the current folder, read through git itself: its
// revisions' files as git stores them, and its work tree's tracked files.
// A revision is anything git takes for a commit ("HEAD~2", a branch, a
// hash); the empty revision is the work tree.
class GitRepository {
  public:
    // False, with the message written, outside a repository or without git.
    bool open();

    // The top folder, and the current folder's path from it ("" or
    // "board/").
    const std::string& top() const { return top_; }
    const std::string& prefix() const { return prefix_; }

    bool isRevision(const std::string& name) const;
    // Every tracked file, by its path from the top, in git's order.
    bool files(const std::string& revision, std::vector<std::string>& paths) const;
    // A file's bytes; false when the revision has no such file.
    bool read(const std::string& revision, const std::string& path, std::string& bytes) const;

  private:
    std::string top_;
    std::string prefix_;
};

} // namespace dovla::sheettool
