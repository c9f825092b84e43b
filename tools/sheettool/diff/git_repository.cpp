#include "git_repository.h"

#include <cstdio>

#include "sheettool.h"

#ifdef _WIN32
#define popen _popen
#define pclose _pclose
#endif

namespace dovla::sheettool {

namespace {

// An argument as the command interpreter passes it on untouched.
std::string quoted(const std::string& argument) {
#ifdef _WIN32
    std::string out = "\"";
    for (char c : argument) {
        if (c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
#else
    std::string out = "'";
    for (char c : argument)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
#endif
}

// Runs git with its arguments; its standard output is the answer, its
// messages are not shown. False when git fails or cannot be run.
bool runGit(const std::vector<std::string>& arguments, std::string& out) {
    std::string command = "git";
    for (const std::string& argument : arguments) {
        command += ' ';
        command += quoted(argument);
    }
#ifdef _WIN32
    command += " 2>NUL";
    const char* mode = "rb";
#else
    command += " 2>/dev/null";
    const char* mode = "r";
#endif
    std::fflush(nullptr);
    std::FILE* pipe = popen(command.c_str(), mode);
    if (pipe == nullptr)
        return false;
    char chunk[1 << 14];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0)
        out.append(chunk, got);
    bool read = !std::ferror(pipe);
    return pclose(pipe) == 0 && read;
}

std::string withoutLineFeed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}

std::vector<std::string> nulSeparated(const std::string& text) {
    std::vector<std::string> items;
    std::size_t at = 0;
    for (std::size_t end; (end = text.find('\0', at)) != std::string::npos; at = end + 1)
        items.push_back(text.substr(at, end - at));
    return items;
}

} // namespace

bool GitRepository::open() {
    std::string top, prefix;
    if (!runGit({"rev-parse", "--show-toplevel"}, top) ||
        !runGit({"rev-parse", "--show-prefix"}, prefix))
        return refuse("--git: not in a git repository, or git is not installed");
    top_ = withoutLineFeed(top);
    prefix_ = withoutLineFeed(prefix);
    return true;
}

bool GitRepository::isRevision(const std::string& name) const {
    std::string hash;
    return !name.empty() && name[0] != '-' &&
           runGit({"-C", top_, "rev-parse", "--verify", "--quiet", "--end-of-options",
                   name + "^{commit}"},
                  hash);
}

bool GitRepository::files(const std::string& revision, std::vector<std::string>& paths) const {
    std::string list;
    bool listed =
        revision.empty()
            ? runGit({"-C", top_, "ls-files", "-z", "--full-name"}, list)
            : runGit({"-C", top_, "ls-tree", "-r", "-z", "--name-only", "--full-tree", revision},
                     list);
    if (listed)
        paths = nulSeparated(list);
    return listed;
}

bool GitRepository::read(const std::string& revision, const std::string& path,
                         std::string& bytes) const {
    bytes.clear();
    if (revision.empty())
        return readText(top_ + "/" + path, bytes);
    return runGit({"-C", top_, "cat-file", "blob", revision + ":" + path}, bytes);
}

} // namespace dovla::sheettool
