// Standard output around library calls, which trace every point: captured
// where a test checks the trace, sent to /dev/null where it is only noise.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <utility>

namespace d2dtest {

// Runs f and returns every byte it wrote to standard output.
template <class F>
std::string captured_stdout(F&& f) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    std::forward<F>(f)();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

// Sends standard output to /dev/null while alive.
class DiscardStdout {
public:
    DiscardStdout() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null_fd = open("/dev/null", O_WRONLY);
        dup2(null_fd, STDOUT_FILENO);
        close(null_fd);
    }
    ~DiscardStdout() {
        std::fflush(stdout);
        dup2(saved_, STDOUT_FILENO);
        close(saved_);
    }
    DiscardStdout(const DiscardStdout&) = delete;
    DiscardStdout& operator=(const DiscardStdout&) = delete;

private:
    int saved_;
};

// Runs f with standard output discarded and returns what f returns.
template <class F>
auto discarding_stdout(F&& f) {
    const DiscardStdout quiet;
    return std::forward<F>(f)();
}

}  // namespace d2dtest
