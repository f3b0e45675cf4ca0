// Sends the process's standard output to /dev/null for the lifetime of the
// object, so that the library's trace lines cost what they cost a host that
// discards them, without filling the terminal.
#ifndef DELAUNAY2D_BENCH_QUIET_STDOUT_H
#define DELAUNAY2D_BENCH_QUIET_STDOUT_H

namespace bench {

class QuietStdout {
public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_fd_ = -1;
};

}  // namespace bench

#endif
