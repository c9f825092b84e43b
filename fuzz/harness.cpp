#include "harness.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "driver/alloc_pool.h"
#include "driver/messages.h"
#include "driver/net_list_run.h"
#include "report/excluded_names.h"

namespace dovla::fuzz {

namespace {

std::string workDir;
std::string targetName = "fuzz target";

[[noreturn]] void die(const char* what) {
    std::fprintf(stderr, "fuzz harness: %s: %s\n", what, std::strerror(errno));
    std::abort();
}

int lowestFreeDescriptor() {
    int fd = ::open("/dev/null", O_RDONLY);
    if (fd < 0)
        die("open /dev/null");
    ::close(fd);
    return fd;
}

bool isDirectory(const char* path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

std::string absolute(const std::string& startDir, const std::string& path) {
    if (path.empty() || path[0] == '/')
        return path;
    return startDir + "/" + path;
}

void removeWorkDirectory() {
    if (workDir.empty())
        return;
    std::error_code error;
    std::filesystem::remove_all(workDir, error);
}

// The fuzzer's arguments as meant from the start directory.
void rewriteArguments(int* argc, char*** argv, const std::string& startDir) {
    static const char* const pathFlags[] = {"-artifact_prefix=", "-exact_artifact_path=", "-dict=",
                                            "-merge_control_file=", "-features_dir="};
    static std::vector<std::string> words;
    static std::vector<char*> pointers;
    bool artifactPrefix = false;
    for (int i = 0; i < *argc; ++i) {
        std::string word = (*argv)[i];
        if (i > 0 && word[0] != '-') {
            word = absolute(startDir, word);
        } else {
            for (const char* flag : pathFlags) {
                std::size_t length = std::strlen(flag);
                if (word.compare(0, length, flag) == 0) {
                    word = flag + absolute(startDir, word.substr(length));
                    artifactPrefix |= std::strcmp(flag, "-artifact_prefix=") == 0;
                }
            }
        }
        words.push_back(word);
    }
    if (!artifactPrefix)
        words.push_back("-artifact_prefix=" + startDir + "/");
    for (std::string& word : words)
        pointers.push_back(word.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(words.size());
    *argv = pointers.data();
}

} // namespace

void setUp(int* argc, char*** argv) {
    char start[4096];
    if (::getcwd(start, sizeof start) == nullptr)
        die("getcwd");
    if (*argc > 0)
        targetName = std::filesystem::path((*argv)[0]).filename().string();
    rewriteArguments(argc, argv, start);

    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || !isDirectory(base))
        base = isDirectory("/dev/shm") ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/dovla32-fuzz-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        die("mkdtemp");
    workDir = pattern;
    std::atexit(removeWorkDirectory);
    if (::chdir(workDir.c_str()) != 0)
        die("chdir");
    setMessageStream(nullptr);
    // Reports that go to standard output must not flood the fuzzer's own
    // output; libFuzzer writes to the standard error stream.
    int null = ::open("/dev/null", O_WRONLY);
    if (null < 0 || ::dup2(null, STDOUT_FILENO) < 0)
        die("redirect standard output");
    ::close(null);
}

void broken(const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", targetName.c_str(), what.c_str());
    std::abort();
}

const std::string& workDirectory() {
    return workDir;
}

void writeFile(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(name.c_str(), "wb");
    if (file == nullptr)
        die(name.c_str());
    bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        die(name.c_str());
}

void writeFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    writeFile(name, bytes.data(), bytes.size());
}

void writeFile(const std::string& name, const std::string& text) {
    writeFile(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

int runDovla(const std::vector<std::string>& arguments) {
    // A run that leaves a file open raises the lowest free descriptor. It is
    // taken afresh for each run, since the fuzzer itself opens descriptors
    // between runs (the pipes to its symbolizer).
    const int freeDescriptor = lowestFreeDescriptor();
    std::vector<std::string> words = arguments;
    std::vector<char*> argv;
    char programWord[] = "dovla32";
    argv.push_back(programWord);
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    int status;
    {
        // The process-wide objects of the program, in its order of
        // construction, so that they go in its order of teardown.
        ExcludedNameList excluded;
        AllocPool objectPool;
        AllocPool partPool;
        NetListRun run(excluded, objectPool, partPool);
        status = dovlaMain(static_cast<int>(words.size() + 1), argv.data(), run);
    }
    std::fflush(stdout);
    if (int now = lowestFreeDescriptor(); now != freeDescriptor) {
        broken("the lowest free file descriptor was " + std::to_string(freeDescriptor) + ", is " +
               std::to_string(now));
    }
    return status;
}

void checkWholeReport(const std::string& name, bool packageFormat) {
    std::string report;
    if (std::FILE* file = std::fopen(name.c_str(), "rb")) {
        char chunk[4096];
        std::size_t got;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
            report.append(chunk, got);
        std::fclose(file);
    }
    const std::string head = packageFormat ? "$PACKAGES\n" : "\n#PartList\n\n";
    const std::string tail = packageFormat ? "$END\n" : "\n#End\n";
    if (report.size() < head.size() + tail.size() || report.compare(0, head.size(), head) != 0 ||
        report.compare(report.size() - tail.size(), tail.size(), tail) != 0) {
        broken("a complete run wrote no whole report");
    }
}

} // namespace dovla::fuzz

// Every run takes and gives back the point grid's block of several ten
// megabytes; with the shadow of such blocks in huge pages, kept resident
// and cleared in place, a run costs a third of the time, and nothing
// that AddressSanitizer detects changes.
extern "C" const char* __asan_default_options() {
    return "no_huge_pages_for_shadow=0:clear_shadow_mmap_threshold=1073741824";
}
