// A file that appears whole or not at all. It is written under a temporary
// name in the folder of its final path and renamed into place only when
// every byte is on disk, so a failure part-way (bad input found late, a full
// disk, Ctrl-C) never leaves a half-written mesh, nor clobbers an old one.
// A path that names a device or a pipe (/dev/null, /dev/stdout) is written
// straight through.
//
// A file that is replaced keeps its permission bits (a private 0600 mesh
// stays private). A symbolic link is written through: the file it names is
// replaced, in that file's folder, and the link stays as it was; a link to a
// file that does not exist yet makes that file, as the shell's '>' does.
#pragma once

#include <string>
#include <vector>

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

    // The file that put_in_place replaces or makes: path(), or the file a
    // symbolic link there names.
    const std::string& final_path() const { return final_path_.empty() ? path_ : final_path_; }

private:
    friend void put_in_place_together(const std::vector<AtomicFile*>& files);
    void discard() noexcept;

    std::string path_;
    std::string final_path_;      // path_, or the file a symbolic link at path_ names
    std::string temporary_path_;  // empty when written straight through
    int fd_ = -1;
    int slot_ = -1;  // entry in the table that the signal handler cleans up
    bool in_place_ = false;
};

// Puts finished files in place as one set: afterwards either all of them are
// the new files or, when a rename fails, all are as they were before (the
// old files come back from hard links made first). Signals that would end
// the process wait until the set is complete. Throws OutputError.
void put_in_place_together(const std::vector<AtomicFile*>& files);

// Removes every temporary file that is still open (for a process that is
// ending by exit() in the middle of writing).
void remove_temporary_files_now() noexcept;

// Makes every signal that would end the process and can be caught (SIGINT,
// SIGTERM, SIGHUP, SIGPIPE, SIGQUIT, ..., and the faults) remove every
// temporary file that is still open before the process ends by that signal
// as it would have; a signal ignored when the program started stays
// ignored. SIGXFSZ is ignored, so that a write beyond a file-size limit
// fails with EFBIG and is reported like any other failed write.
void remove_temporary_files_on_signals();

}  // namespace d2dcli
