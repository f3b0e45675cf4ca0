#include "formats/output/atomic_file.hpp"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {

// Temporary paths that a signal handler may remove. A handler can only call
// async-signal-safe functions and must not trust the heap (a fault may have
// broken it), so the table is a fixed array of copies of the paths: a slot
// is claimed (free -> filling), the path copied, and only then published
// (filling -> live), so the handler never reads a half-written path.
//
//   slot state:  free --claim--> filling --copy, publish--> live
//                  ^                                          |
//                  +------ unregister, or the handler --------+
constexpr int slot_count = 16;
constexpr std::size_t longest_path = 4096;  // PATH_MAX: no longer path can be opened
enum SlotState : int { free_slot, filling_slot, live_slot };
struct TemporarySlot {
    std::atomic<int> state{free_slot};
    char path[longest_path];
};
std::array<TemporarySlot, slot_count> temporary_paths{};

int register_temporary(const std::string& path) {
    if (path.size() >= longest_path) {
        return -1;
    }
    for (int i = 0; i < slot_count; ++i) {
        TemporarySlot& slot = temporary_paths[static_cast<std::size_t>(i)];
        int expected = free_slot;
        if (slot.state.compare_exchange_strong(expected, filling_slot)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.state.store(live_slot);
            return i;
        }
    }
    return -1;  // more files at once than slots: only the signal clean-up misses them
}

void unregister_temporary(int slot) {
    if (slot >= 0) {
        temporary_paths[static_cast<std::size_t>(slot)].state.store(free_slot);
    }
}

void unlink_registered_temporaries() noexcept {
    for (TemporarySlot& slot : temporary_paths) {
        int expected = live_slot;
        if (slot.state.compare_exchange_strong(expected, free_slot)) {
            ::unlink(slot.path);
        }
    }
}

// The signals whose default action ends the process and that a handler can
// catch (SIGKILL and SIGSTOP cannot be). The faults (SIGSEGV and its kin)
// are among them: a bug is no reason to leave debris either.
constexpr std::array<int, 18> ending_signals = {
    SIGHUP, SIGINT,  SIGQUIT, SIGTERM, SIGPIPE, SIGALRM,   SIGUSR1, SIGUSR2, SIGXCPU,
    SIGVTALRM, SIGPROF, SIGPOLL, SIGSYS, SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL};
// What each signal did before the handler came (the default action, or a
// sanitizer's handler), put back before the signal is raised again.
std::array<struct sigaction, 65> previous_actions{};

extern "C" void remove_temporaries_and_reraise(int signal_number, siginfo_t* info, void*) {
    const int saved_errno = errno;
    unlink_registered_temporaries();
    if (signal_number > 0 && signal_number < static_cast<int>(previous_actions.size())) {
        ::sigaction(signal_number, &previous_actions[static_cast<std::size_t>(signal_number)], nullptr);
    }
    // A fault of this thread (SIGSEGV from a bad address) comes again when
    // the instruction is retried, now to the previous action, which sees
    // the true fault. A signal sent by a process or by raise() or abort()
    // (si_code <= 0) is sent again; it stays pending while this handler
    // runs, and takes effect as it returns, so that the exit status is the
    // signal's.
    if (info == nullptr || info->si_code <= 0 ||
        (signal_number != SIGSEGV && signal_number != SIGBUS && signal_number != SIGFPE && signal_number != SIGILL)) {
        ::raise(signal_number);
    }
    errno = saved_errno;
}

std::string folder_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string name_of(const std::string& path) {
    std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

mode_t permissions_for_new_files() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
}

// The file that a chain of symbolic links at path ends in, whether or not
// that file exists yet (realpath gives up on a dangling link, which would
// then be replaced by a regular file). A relative link target counts from
// the link's own folder.
std::string follow_links(const std::string& path) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        std::vector<char> target(static_cast<std::size_t>(status.st_size > 0 ? status.st_size : 255) + 1);
        ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
        if (length < 0) {
            throw_output_error(path, "cannot read the symbolic link", errno);
        }
        std::string next(target.data(), static_cast<std::size_t>(length));
        current = !next.empty() && next[0] == '/' ? next : folder_of(current) + next;
    }
    throw_output_error(path, "cannot follow the symbolic link", ELOOP);
}

// Blocks the signals that end the process for as long as it lives, so that
// a group of renames is not cut in the middle; a signal that arrives waits
// and takes effect when the block ends.
class SignalsDeferred {
public:
    SignalsDeferred() {
        sigset_t blocked;
        sigemptyset(&blocked);
        for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
            sigaddset(&blocked, signal_number);
        }
        pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
    }
    SignalsDeferred(const SignalsDeferred&) = delete;
    SignalsDeferred& operator=(const SignalsDeferred&) = delete;
    ~SignalsDeferred() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }

private:
    sigset_t previous_;
};

}  // namespace

AtomicFile::AtomicFile(std::string path) : path_(std::move(path)) {
    struct stat status {};
    if (::stat(path_.c_str(), &status) == 0 && !S_ISREG(status.st_mode) && !S_ISDIR(status.st_mode)) {
        // /dev/null, a terminal, a named pipe: written straight through,
        // since renaming a file over a device would replace the device.
        fd_ = ::open(path_.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd_ < 0) {
            throw_output_error(path_, "cannot open", errno);
        }
        in_place_ = true;
        return;
    }
    // A symbolic link keeps pointing where it did: the file it names is
    // the one replaced (or made, when the link dangles).
    const std::string target = follow_links(path_);
    // Same folder, so that the rename stays within one file system and is
    // atomic; a hidden name, so that nobody takes it for the result.
    //
    // The name is chosen and registered before the file is made (as
    // mkstemp would, but mkstemp names the file only once it exists): a
    // signal that comes between the two then still finds the name, and an
    // unlink of a name not yet made does no harm. O_EXCL makes sure that
    // the file is new; a name that is taken (one draw in 62^6, 5.7e10) is
    // given up and another drawn.
    const std::string prefix = folder_of(target) + "." + name_of(target) + ".tmp-";
    std::random_device entropy;
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    // Budget: as many names as mkstemp tries (TMP_MAX, at least 10000).
    for (int attempt = 0;; ++attempt) {
        std::string candidate = prefix;
        for (int k = 0; k < 6; ++k) {
            candidate += letters[entropy() % (sizeof letters - 1)];
        }
        slot_ = register_temporary(candidate);
        fd_ = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd_ >= 0) {
            temporary_path_ = std::move(candidate);
            break;
        }
        const int error = errno;
        unregister_temporary(std::exchange(slot_, -1));
        if (error != EEXIST || attempt >= TMP_MAX) {
            throw_output_error(path_, "cannot create a file in its folder", error);
        }
    }
    final_path_ = target;
    // The file is made private (0600), as mkstemp would. A file that is
    // replaced keeps its permissions; a new one is an ordinary file.
    struct stat old {};
    const bool replaces = ::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    ::fchmod(fd_, replaces ? static_cast<mode_t>(old.st_mode & 07777) : permissions_for_new_files());
}

AtomicFile::~AtomicFile() { discard(); }

void AtomicFile::finish() {
    if (fd_ < 0) {
        return;
    }
    if (!temporary_path_.empty() && ::fsync(fd_) != 0 && errno != EINVAL && errno != EROFS) {
        throw_output_error(path_, "cannot write", errno);
    }
    int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) {
        throw_output_error(path_, "cannot write", errno);
    }
}

void AtomicFile::put_in_place() {
    finish();
    if (temporary_path_.empty()) {
        return;  // written straight through
    }
    if (::rename(temporary_path_.c_str(), final_path_.c_str()) != 0) {
        throw_output_error(path_, "cannot put the file in place", errno);
    }
    in_place_ = true;
    unregister_temporary(std::exchange(slot_, -1));
}

void AtomicFile::discard() noexcept {
    if (fd_ >= 0) {
        ::close(std::exchange(fd_, -1));
    }
    unregister_temporary(std::exchange(slot_, -1));
    if (!in_place_ && !temporary_path_.empty()) {
        ::unlink(temporary_path_.c_str());
    }
}

void put_in_place_together(const std::vector<AtomicFile*>& files) {
    for (AtomicFile* file : files) {
        file->finish();
    }
    if (files.size() == 1) {
        files[0]->put_in_place();
        return;
    }
    SignalsDeferred deferred;
    // Every old file first gets a second name (a hard link, no copy), so
    // that the set can be put back when a rename fails half-way.
    const std::size_t n = files.size();
    std::vector<std::string> backups(n);
    auto remove_backups = [&] {
        for (const std::string& backup : backups) {
            if (!backup.empty()) {
                ::unlink(backup.c_str());
            }
        }
    };
    for (std::size_t k = 0; k < n; ++k) {
        const AtomicFile& file = *files[k];
        struct stat status {};
        // Only a regular file can be replaced by a rename (over a folder it
        // fails, and is undone below), so only a regular file is kept.
        if (file.temporary_path_.empty() || ::lstat(file.final_path_.c_str(), &status) != 0 ||
            !S_ISREG(status.st_mode)) {
            continue;
        }
        std::string backup = file.temporary_path_ + ".old";
        if (::link(file.final_path_.c_str(), backup.c_str()) != 0) {
            int error = errno;
            remove_backups();
            throw_output_error(file.path_, "cannot keep the old file while the set is replaced", error);
        }
        backups[k] = std::move(backup);
    }
    for (std::size_t k = 0; k < n; ++k) {
        AtomicFile& file = *files[k];
        if (file.temporary_path_.empty()) {
            continue;  // written straight through
        }
        if (::rename(file.temporary_path_.c_str(), file.final_path_.c_str()) != 0) {
            int error = errno;
            // Put back the files already replaced: the old one where there
            // was one, none where there was none.
            for (std::size_t j = 0; j < k; ++j) {
                if (files[j]->temporary_path_.empty()) {
                    continue;
                }
                if (!backups[j].empty()) {
                    ::rename(backups[j].c_str(), files[j]->final_path_.c_str());
                    backups[j].clear();
                } else {
                    ::unlink(files[j]->final_path_.c_str());
                }
            }
            remove_backups();
            throw_output_error(file.path_, "cannot put the file in place (no file of the set was changed)", error);
        }
        file.in_place_ = true;
        unregister_temporary(std::exchange(file.slot_, -1));
    }
    remove_backups();
}

void remove_temporary_files_now() noexcept { unlink_registered_temporaries(); }

void remove_temporary_files_on_signals() {
    struct sigaction action {};
    action.sa_sigaction = remove_temporaries_and_reraise;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    for (int signal_number : ending_signals) {
        struct sigaction& previous = previous_actions[static_cast<std::size_t>(signal_number)];
        if (::sigaction(signal_number, nullptr, &previous) != 0 || previous.sa_handler == SIG_IGN) {
            continue;  // ignored by whoever started the program (nohup, a background job): it stays ignored
        }
        ::sigaction(signal_number, &action, nullptr);
    }
    // Beyond a file-size limit (ulimit -f) the write fails with EFBIG and is
    // reported as any other failed write, instead of SIGXFSZ ending the
    // process then and there.
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace d2dcli
