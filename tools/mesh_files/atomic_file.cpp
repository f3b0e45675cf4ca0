#include "atomic_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <utility>
#include <vector>

#include "output_error.hpp"

namespace d2dcli {

namespace {

// Temporary paths that a signal handler may remove. A handler can only call
// async-signal-safe functions, so the table is a fixed array of pointers
// into strings that the owning AtomicFile keeps alive while registered.
constexpr int slot_count = 16;
std::array<std::atomic<const char*>, slot_count> temporary_paths{};

int register_temporary(const char* path) {
    for (int i = 0; i < slot_count; ++i) {
        const char* expected = nullptr;
        if (temporary_paths[static_cast<std::size_t>(i)].compare_exchange_strong(expected, path)) {
            return i;
        }
    }
    return -1;  // more files at once than slots: only the signal clean-up misses them
}

void unregister_temporary(int slot) {
    if (slot >= 0) {
        temporary_paths[static_cast<std::size_t>(slot)].store(nullptr);
    }
}

extern "C" void remove_temporaries_and_reraise(int signal_number) {
    for (auto& entry : temporary_paths) {
        if (const char* path = entry.exchange(nullptr); path != nullptr) {
            ::unlink(path);
        }
    }
    std::signal(signal_number, SIG_DFL);
    std::raise(signal_number);
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
    // the one replaced.
    std::string target = path_;
    if (struct stat link {}; ::lstat(path_.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
        if (char* resolved = ::realpath(path_.c_str(), nullptr); resolved != nullptr) {
            target = resolved;
            std::free(resolved);
        }
    }
    // Same folder, so that the rename stays within one file system and is
    // atomic; a hidden name, so that nobody takes it for the result.
    std::string pattern = folder_of(target) + "." + name_of(target) + ".tmp-XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    fd_ = ::mkstemp(name.data());
    if (fd_ < 0) {
        throw_output_error(path_, "cannot create a file in its folder", errno);
    }
    temporary_path_ = name.data();
    final_path_ = target;
    slot_ = register_temporary(temporary_path_.c_str());
    // mkstemp makes the file private (0600); a mesh is an ordinary file.
    ::fchmod(fd_, permissions_for_new_files());
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

void remove_temporary_files_on_signals() {
    for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        std::signal(signal_number, remove_temporaries_and_reraise);
    }
}

}  // namespace d2dcli
