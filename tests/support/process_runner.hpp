// Runs a program as a child process and captures what it writes, for tests
// that must observe a whole process: its exact output bytes and its exit status.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace d2dtest {

struct ProcessResult {
    bool exited = false;     // ended through exit(); false when killed by a signal
    int exit_status = -1;    // 0..255 when exited
    int term_signal = 0;     // the signal that ended it, when not exited
    std::string out;         // every byte written to standard output
    std::string err;         // every byte written to standard error
};

using EnvironmentVariables = std::vector<std::pair<std::string, std::string>>;

// Runs program (a path; no search of PATH when it contains a slash, PATH is
// searched otherwise) with the given arguments (not including argv[0]), the
// parent's environment plus extra_env (which overrides variables of the same
// name), standard input from /dev/null, and standard output and standard
// error captured separately. Waits for the child to end. Throws
// std::runtime_error when the child cannot be started.
ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const EnvironmentVariables& extra_env = {});

}  // namespace d2dtest
