// fflush, then dup2 /dev/null onto descriptor 1; the reverse on the way out.
#include "quiet_stdout.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace bench {

QuietStdout::QuietStdout() {
    std::fflush(stdout);
    saved_fd_ = dup(1);
    const int null_fd = open("/dev/null", O_WRONLY);
    if (null_fd >= 0) {
        dup2(null_fd, 1);
        close(null_fd);
    }
}

QuietStdout::~QuietStdout() {
    std::fflush(stdout);
    if (saved_fd_ >= 0) {
        dup2(saved_fd_, 1);
        close(saved_fd_);
    }
}

}  // namespace bench
