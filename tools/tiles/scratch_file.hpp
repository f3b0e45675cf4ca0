// A file for the run's own use that no exit can leave behind: it is made in
// the output's folder (or TMPDIR) and unlinked at once, so that only its
// descriptor names it, and the system frees it when the process ends by any
// path: a return, an error, a signal, even SIGKILL.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace d2dcli {

class ScratchFile {
public:
    // In folder (empty: TMPDIR, else /tmp); throws OutputError.
    explicit ScratchFile(const std::string& folder);
    ~ScratchFile();
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    // Appends bytes at the end; returns the offset they start at.
    std::uint64_t append(const void* bytes, std::size_t size);
    // Reads size bytes at offset (which append wrote).
    void read(std::uint64_t offset, void* bytes, std::size_t size) const;
    std::uint64_t size() const { return size_; }

private:
    int fd_ = -1;
    std::uint64_t size_ = 0;
};

// The folder of a path ("" for a bare name, which means the current one).
std::string folder_of_path(const std::string& path);

}  // namespace d2dcli
