#include "support/run_program.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <stdexcept>

namespace dovla::testing {

const char* const sanitizerReports[] = {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer",
                                        ": runtime error: ", "SUMMARY: UndefinedBehaviorSanitizer"};

std::vector<std::string> programCommand() {
    std::vector<std::string> command;
    if (const char* runner = std::getenv("DOVLA32_RUNNER")) {
        std::istringstream words(runner);
        for (std::string word; words >> word;)
            command.push_back(word);
    }
    const char* program = std::getenv("DOVLA32_PROGRAM");
    command.push_back(program != nullptr ? program : DOVLA32_BINARY);
    return command;
}

RunResult runProgram(const std::vector<std::string>& arguments, const std::string& directory,
                     const RunSetup& setup) {
    std::vector<std::string> command = programCommand();
    command.insert(command.end(), arguments.begin(), arguments.end());
    return runCommand(command, directory, setup);
}

RunResult runCommand(const std::vector<std::string>& command, const std::string& directory,
                     const RunSetup& setup) {
    TempDir capture;
    std::string outPath = capture.file("stdout");
    std::string errPath = capture.file("stderr");
    pid_t child = ::fork();
    if (child < 0)
        throw std::runtime_error("fork failed");
    if (child == 0) {
        int in = ::open("/dev/null", O_RDONLY);
        int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || ::chdir(directory.c_str()) != 0)
            ::_exit(127);
        ::dup2(in, 0);
        ::dup2(out, 1);
        ::dup2(err, 2);
        for (int fd : {in, out, err}) {
            if (fd > 2)
                ::close(fd);
        }
        for (int fd : setup.closedDescriptors)
            ::close(fd);
        for (const std::string& variable : setup.environment)
            ::putenv(const_cast<char*>(variable.c_str()));
        // A sanitizer that finds a fault or a leak must not end the program
        // with its own exit status 1 and so pass for a fatal error; an exit
        // code set in the environment still wins, since it comes later.
        for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
            const char* options = std::getenv(name);
            std::string value = "exitcode=23";
            if (options != nullptr && *options != '\0')
                value += std::string(":") + options;
            ::setenv(name, value.c_str(), 1);
        }
        std::vector<char*> argv;
        for (const std::string& word : command)
            argv.push_back(const_cast<char*>(word.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
    }
    RunResult result;
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.out = readFile(outPath);
    result.err = readFile(errPath);
    // A sanitizer's report fails the test whatever the test expects, also on
    // a run that was meant to end with exit status 1.
    for (const char* report : sanitizerReports) {
        if (result.err.find(report) != std::string::npos)
            ADD_FAILURE() << command[0] << " reported \"" << report << "\":\n" << result.err;
    }
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        result.files.push_back(entry.path().filename().string());
    std::sort(result.files.begin(), result.files.end());
    return result;
}

std::string lines(const std::string& text) {
    if (std::getenv("DOVLA32_CRLF") == nullptr)
        return text;
    std::string converted;
    for (char c : text) {
        if (c == '\n')
            converted += '\r';
        converted += c;
    }
    return converted;
}

bool testingWindowsBuild() {
    return std::getenv("DOVLA32_PROGRAM") != nullptr;
}

std::string banner() {
    return lines("Tavel Net List Utility - Version 1.11\n");
}

} // namespace dovla::testing
