// The program leaves no debris: beyond a file-size limit a write is an
// error like any other, and a run ended by a signal removes its temporary
// files and still ends as that signal ends a process.
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "support/process_runner.hpp"

namespace {

using d2dtest::ProcessResult;
using d2dtest::ScratchFolder;

bool starts_with(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

bool has_temporary(const ScratchFolder& folder) {
    for (const std::string& name : folder.names()) {
        if (name.find(".tmp-") != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(ProgramDebris, AFileSizeLimitIsAWriteErrorAndLeavesNoTemporary) {
    ScratchFolder folder;
    // Random x y z: every output, the compressed GeoTIFF and the PNG too,
    // is far beyond the limit of 64 blocks (32 or 64 KB, as the shell counts).
    std::string points;
    std::mt19937_64 random(29);
    std::uniform_real_distribution<double> unit(0.0, 1000.0);
    for (int i = 0; i < 3000; ++i) {
        points += std::to_string(unit(random)) + " " + std::to_string(unit(random)) + " " +
                  std::to_string(unit(random)) + "\n";
    }
    const std::string input = folder.file("points.txt");
    d2dtest::write_text(input, points);
    for (const char* name : {"lim.off", "lim.obj", "lim.json", "lim.ele", "lim.ply", "lim.geojson", "lim.svg",
                             "lim.asc", "lim.tif", "lim.png"}) {
        const std::string output = folder.file(name);
        std::vector<std::string> args = {"-c", "ulimit -f 64 && exec \"$0\" \"$@\"", DELAUNAY2D_CLI, input, "-o", output};
        const std::string extension = output.substr(output.size() - 4);
        if (extension == ".asc" || extension == ".tif") {
            args.insert(args.end(), {"--cell", "0.5"});
        }
        const ProcessResult result = d2dtest::run_process("sh", args);
        if (result.err.find("was missing when the program was built") != std::string::npos ||
            result.err.find("cannot load") != std::string::npos) {
            continue;  // a build without GDAL or librsvg writes no GeoTIFF or PNG
        }
        EXPECT_TRUE(result.exited) << name << ": ended by signal " << result.term_signal;
        EXPECT_EQ(result.exit_status, 1) << name;
        // One line that names the file (for Triangle's set, whichever of
        // them reached the limit) and the reason.
        const std::string stem = folder.file("lim.");
        EXPECT_TRUE(starts_with(result.err, "delaunay2d: " + stem)) << result.err;
        EXPECT_NE(result.err.find(": cannot write: File too large\n"), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
        EXPECT_EQ(folder.names(), std::vector<std::string>{"points.txt"}) << name;
    }
}

// A run of the program in the background, its output thrown away.
class BackgroundRun {
public:
    explicit BackgroundRun(const std::vector<std::string>& args) {
        std::vector<std::string> all = {DELAUNAY2D_CLI};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all) {
            argv.push_back(arg.data());
        }
        argv.push_back(nullptr);
        pid_ = ::fork();
        if (pid_ == 0) {
            const int null = ::open("/dev/null", O_RDWR);
            ::dup2(null, STDIN_FILENO);
            ::dup2(null, STDOUT_FILENO);
            ::dup2(null, STDERR_FILENO);
            // The test runner's own dispositions and mask are not the
            // program's to inherit.
            for (int signal_number = 1; signal_number < NSIG; ++signal_number) {
                if (signal_number != SIGKILL && signal_number != SIGSTOP) {
                    ::signal(signal_number, SIG_DFL);
                }
            }
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    BackgroundRun(const BackgroundRun&) = delete;
    BackgroundRun& operator=(const BackgroundRun&) = delete;
    ~BackgroundRun() {
        if (pid_ > 0 && status_ < 0) {
            ::kill(pid_, SIGKILL);
            wait();
        }
    }
    pid_t pid() const { return pid_; }
    bool running() {
        if (status_ >= 0) {
            return false;
        }
        int status = 0;
        if (::waitpid(pid_, &status, WNOHANG) == pid_) {
            status_ = status;
            return false;
        }
        return true;
    }
    int wait() {
        if (status_ < 0) {
            int status = 0;
            ::waitpid(pid_, &status, 0);
            status_ = status;
        }
        return status_;
    }

private:
    pid_t pid_ = -1;
    int status_ = -1;
};

TEST(ProgramDebris, ASignalLeavesNoTemporaryAndEndsTheRunAsTheSignalWould) {
#if defined(__SANITIZE_ADDRESS__)
    const char* points = "200000";  // the sanitizers make each point slow
#else
    const char* points = "2000000";  // text PLY of about 150 MB: the write lasts long enough to be caught
#endif
    // Ctrl-C, kill's default, and one of the many others that end a process
    // by default (SIGALRM: no core dump to clean up after it).
    for (int signal_number : {SIGTERM, SIGINT, SIGALRM}) {
        bool caught_while_writing = false;
        // Each attempt catches the run while its temporary file exists; an
        // attempt whose run finishes first (a fast disk) is repeated, at
        // most three times.
        for (int attempt = 0; attempt < 3 && !caught_while_writing; ++attempt) {
            ScratchFolder folder;
            BackgroundRun run({"--generate", "uniform", "--n", points, "--ascii", "-o", folder.file("big.ply")});
            ASSERT_GT(run.pid(), 0);
            while (run.running() && !has_temporary(folder)) {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            // Stopped, the run cannot put the file in place, so a temporary
            // seen now is still being written when the signal comes.
            ::kill(run.pid(), SIGSTOP);
            if (run.running() && has_temporary(folder)) {
                caught_while_writing = true;
                ::kill(run.pid(), signal_number);
            }
            ::kill(run.pid(), SIGCONT);
            const int status = run.wait();
            if (!caught_while_writing) {
                continue;
            }
            ASSERT_TRUE(WIFSIGNALED(status)) << "signal " << signal_number << ": exit status " << WEXITSTATUS(status);
            EXPECT_EQ(WTERMSIG(status), signal_number);
            EXPECT_EQ(folder.names(), std::vector<std::string>{}) << "signal " << signal_number;
        }
        EXPECT_TRUE(caught_while_writing) << "the run finished before signal " << signal_number << " could be sent";
    }
}

}  // namespace
