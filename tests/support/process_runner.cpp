#include "support/process_runner.hpp"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string_view>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace d2dtest {
namespace {

[[noreturn]] void fail(const std::string& what, int error) {
    throw std::runtime_error(what + ": " + std::strerror(error));
}

// Owns a file descriptor and closes it when it goes out of scope.
class Descriptor {
public:
    Descriptor() = default;
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    Descriptor read_end;
    Descriptor write_end;
};

void open_pipe(Pipe& p) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        fail("pipe2", errno);
    }
    p.read_end.reset(fds[0]);
    p.write_end.reset(fds[1]);
}

// The child's environment: the parent's, with extra_env replacing or adding.
std::vector<std::string> child_environment(const EnvironmentVariables& extra_env) {
    std::vector<std::string> env;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        std::string_view text(*entry);
        bool overridden = false;
        for (const auto& [name, value] : extra_env) {
            if (text.size() > name.size() && text.substr(0, name.size()) == name && text[name.size()] == '=') {
                overridden = true;
                break;
            }
        }
        if (!overridden) {
            env.emplace_back(text);
        }
    }
    for (const auto& [name, value] : extra_env) {
        env.push_back(name + "=" + value);
    }
    return env;
}

std::vector<char*> pointers_to(std::vector<std::string>& strings) {
    std::vector<char*> result;
    result.reserve(strings.size() + 1);
    for (auto& s : strings) {
        result.push_back(s.data());
    }
    result.push_back(nullptr);
    return result;
}

// Reads both pipes until both reach end of file, whichever the child fills
// first, so that a child writing much to one stream never blocks.
void drain(int out_fd, int err_fd, std::string& out, std::string& err) {
    pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
    std::string* sinks[2] = {&out, &err};
    int open_count = 2;
    char buffer[65536];
    while (open_count > 0) {
        int ready = ::poll(fds, 2, -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            fail("poll", errno);
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                fds[i].fd = -1;  // end of file (or a read error): stop watching
                --open_count;
            }
        }
    }
}

}  // namespace

ProcessResult run_process(const std::string& program, const std::vector<std::string>& args,
                          const EnvironmentVariables& extra_env) {
    Pipe out_pipe;
    Pipe err_pipe;
    open_pipe(out_pipe);
    open_pipe(err_pipe);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    // dup2 clears close-on-exec on the target, so only fds 1 and 2 survive.
    posix_spawn_file_actions_adddup2(&actions, out_pipe.write_end.get(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err_pipe.write_end.get(), STDERR_FILENO);

    std::vector<std::string> argv_strings;
    argv_strings.push_back(program);
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv = pointers_to(argv_strings);
    std::vector<std::string> env_strings = child_environment(extra_env);
    std::vector<char*> envp = pointers_to(env_strings);

    pid_t pid = -1;
    int spawn_error = program.find('/') != std::string::npos
                          ? ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data())
                          : ::posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (spawn_error != 0) {
        fail("cannot start " + program, spawn_error);
    }

    // Close our copies of the write ends, or the reads below never see EOF.
    out_pipe.write_end.reset();
    err_pipe.write_end.reset();

    ProcessResult result;
    drain(out_pipe.read_end.get(), err_pipe.read_end.get(), result.out, result.err);

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            fail("waitpid", errno);
        }
    }
    if (WIFEXITED(status)) {
        result.exited = true;
        result.exit_status = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.term_signal = WTERMSIG(status);
    }
    return result;
}

}  // namespace d2dtest
