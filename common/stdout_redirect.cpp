// dup2 the target onto descriptor 1 and back. The descriptors are opened
// before the redirect that uses them (member order), and closed after it.
#include "common/stdout_redirect.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace d2dcommon {
namespace {

int open_null() { return ::open("/dev/null", O_WRONLY | O_CLOEXEC); }

// A file with no name, gone when its descriptor closes.
int open_scratch() {
    std::FILE* f = std::tmpfile();
    if (f == nullptr) return -1;
    const int fd = ::dup(::fileno(f));
    std::fclose(f);
    return fd;
}

}  // namespace

StdoutRedirect::StdoutRedirect(int target) {
    std::fflush(stdout);
    if (target < 0) return;  // nowhere to send it: output stays where it was
    saved_ = ::dup(STDOUT_FILENO);
    ::dup2(target, STDOUT_FILENO);
}

StdoutRedirect::~StdoutRedirect() {
    std::fflush(stdout);
    if (saved_ < 0) return;
    ::dup2(saved_, STDOUT_FILENO);
    ::close(saved_);
}

DiscardStdout::DiscardStdout() : null_fd_(open_null()), redirect_(null_fd_) {}

DiscardStdout::~DiscardStdout() {
    // The redirect's destructor runs after this body: flush first so that
    // the last lines go to /dev/null, not to the restored output.
    std::fflush(stdout);
    if (null_fd_ >= 0) ::close(null_fd_);
}

CapturedStdout::CapturedStdout() : file_fd_(open_scratch()), redirect_(file_fd_) {}

CapturedStdout::~CapturedStdout() {
    std::fflush(stdout);
    if (file_fd_ >= 0) ::close(file_fd_);
}

std::string CapturedStdout::text() {
    std::fflush(stdout);
    std::string out;
    if (file_fd_ < 0) return out;
    char buffer[1 << 16];
    for (off_t at = 0;;) {
        const ssize_t got = ::pread(file_fd_, buffer, sizeof buffer, at);
        if (got <= 0) break;
        out.append(buffer, static_cast<std::size_t>(got));
        at += got;
    }
    return out;
}

}  // namespace d2dcommon
