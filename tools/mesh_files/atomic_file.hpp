// A file that appears whole or not at all. It is written under a temporary
// name in the folder of its final path and renamed into place only when
// every byte is on disk, so a failure part-way (bad input found late, a full
// disk, Ctrl-C) never leaves a half-written mesh, nor clobbers an old one.
// A path that names a device or a pipe (/dev/null, /dev/stdout) is written
// straight through.
#pragma once

#include <string>

namespace d2dcli {

class AtomicFile {
public:
    // Creates the temporary file beside path; throws OutputError.
    explicit AtomicFile(std::string path);
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    // Removes the temporary file unless it was put in place.
    ~AtomicFile();

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    const std::string& temporary_path() const { return temporary_path_; }

    // Syncs and closes the temporary file; throws OutputError. Call it for
    // every file of a group before putting the first one in place.
    void finish();
    // Renames the finished temporary file to the final path.
    void put_in_place();

private:
    void discard() noexcept;

    std::string path_;
    std::string final_path_;      // path_, or the file a symbolic link at path_ names
    std::string temporary_path_;  // empty when written straight through
    int fd_ = -1;
    int slot_ = -1;  // entry in the table that the signal handler cleans up
    bool in_place_ = false;
};

// Makes SIGINT, SIGTERM, SIGHUP and SIGPIPE remove every temporary file that
// is still open before the process ends by that signal as it would have.
void remove_temporary_files_on_signals();

}  // namespace d2dcli
