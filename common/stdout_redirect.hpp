// Standard output around calls of the traced entry points, which print a
// trace line for every point: sent to a file (the program's --trace), to
// /dev/null (the benchmark, and tests where it is only noise) or captured
// (tests that check the trace).
#pragma once

#include <string>
#include <utility>

namespace d2dcommon {

// Points file descriptor 1 at `target` for as long as it lives. The C stream
// is flushed on both sides, so nothing printed before lands in the target and
// no line printed inside is left in the buffer to come out later.
class StdoutRedirect {
public:
    explicit StdoutRedirect(int target);
    ~StdoutRedirect();
    StdoutRedirect(const StdoutRedirect&) = delete;
    StdoutRedirect& operator=(const StdoutRedirect&) = delete;

private:
    int saved_ = -1;
};

// Sends standard output to /dev/null while alive.
class DiscardStdout {
public:
    DiscardStdout();
    ~DiscardStdout();
    DiscardStdout(const DiscardStdout&) = delete;
    DiscardStdout& operator=(const DiscardStdout&) = delete;

private:
    int null_fd_;
    StdoutRedirect redirect_;
};

// Runs f with standard output discarded and returns what f returns.
template <class F>
auto discarding_stdout(F&& f) {
    const DiscardStdout quiet;
    return std::forward<F>(f)();
}

// An anonymous temporary file that standard output goes to while alive;
// text() reads back every byte written to it so far.
class CapturedStdout {
public:
    CapturedStdout();
    ~CapturedStdout();
    CapturedStdout(const CapturedStdout&) = delete;
    CapturedStdout& operator=(const CapturedStdout&) = delete;
    std::string text();

private:
    int file_fd_;
    StdoutRedirect redirect_;
};

// Runs f and returns every byte it wrote to standard output.
template <class F>
std::string captured_stdout(F&& f) {
    CapturedStdout capture;
    std::forward<F>(f)();
    return capture.text();
}

}  // namespace d2dcommon
