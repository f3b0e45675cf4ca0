// fork, pipe, waitpid; alarm() bounds the child's time.
#include "isolated_run.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <sys/wait.h>
#include <unistd.h>

namespace bench {

bool run_isolated(const std::function<void(CaseResult*)>& body, unsigned timeout_seconds, CaseResult* result,
                  std::string* failure) {
    int fds[2];
    if (pipe(fds) != 0) {
        *failure = "pipe failed";
        return false;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        *failure = "fork failed";
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        alarm(timeout_seconds);
        CaseResult r;
        body(&r);
        const char* p = reinterpret_cast<const char*>(&r);
        std::size_t left = sizeof r;
        while (left > 0) {
            const ssize_t w = write(fds[1], p, left);
            if (w <= 0) _exit(3);
            p += w;
            left -= static_cast<std::size_t>(w);
        }
        _exit(0);
    }
    close(fds[1]);
    CaseResult r;
    char* p = reinterpret_cast<char*>(&r);
    std::size_t got = 0;
    while (got < sizeof r) {
        const ssize_t n = read(fds[0], p + got, sizeof r - got);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    close(fds[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFSIGNALED(status)) {
        const int sig = WTERMSIG(status);
        *failure = sig == SIGALRM ? "timeout" : "signal " + std::to_string(sig);
        return false;
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || got != sizeof r) {
        *failure = "exit status " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return false;
    }
    *result = r;
    return true;
}

}  // namespace bench
