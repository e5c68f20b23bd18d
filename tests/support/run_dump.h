#pragma once

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "support/scratch_dir.h"

#ifndef ONDULO_DUMP_PROGRAM
#error "a suite that runs ondulo-dump defines ONDULO_DUMP_PROGRAM, the path of the built program"
#endif

// Runs the built ondulo-dump as the user would, each argument passed as its own
// word so that any bytes of a file name reach the program.
namespace wavtest {

struct DumpRun {
    int exitStatus = -1;  // -1 when killed, e.g. by the alarm of a hang
    std::string out;
    std::string errors;
};

struct DumpRunOptions {
    std::string directory;  // where it runs; empty: here
    std::string outTo;      // where its standard output goes instead of DumpRun::out, e.g. /dev/full
};

// "a b  c" as the arguments {"a", "b", "c"}; for the names without spaces of a table.
inline std::vector<std::string> Words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// An alarm ends the program should it hang.
inline DumpRun RunDump(const std::vector<std::string>& arguments, const DumpRunOptions& options = {}) {
    const ScratchDir scratch;
    const std::string outPath = options.outTo.empty() ? scratch.Path("dump.out") : options.outTo;
    const std::string errorPath = scratch.Path("dump.err");
    std::vector<char*> argv{const_cast<char*>(ONDULO_DUMP_PROGRAM)};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int errors = ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (out < 0 || errors < 0) ::_exit(126);
        ::dup2(out, STDOUT_FILENO);
        ::dup2(errors, STDERR_FILENO);
        if (!options.directory.empty() && ::chdir(options.directory.c_str()) != 0) ::_exit(126);
        ::alarm(20);
        ::execv(ONDULO_DUMP_PROGRAM, argv.data());
        ::_exit(127);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child) return {};
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, options.outTo.empty() ? ReadBytes(outPath) : "",
            ReadBytes(errorPath)};
}

}  // namespace wavtest
