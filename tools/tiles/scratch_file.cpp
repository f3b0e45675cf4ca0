#include "tiles/scratch_file.hpp"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {

// Tries folder first, then TMPDIR and /tmp: an output on a read-only or
// full folder still leaves the scratch somewhere.
int open_unlinked(const std::string& folder, std::string& tried) {
    std::vector<std::string> folders;
    if (!folder.empty()) {
        folders.push_back(folder);
    }
    if (const char* tmp = std::getenv("TMPDIR"); tmp != nullptr && *tmp != '\0') {
        folders.emplace_back(tmp);
    }
    folders.emplace_back("/tmp");
    int error = 0;
    for (const std::string& where : folders) {
        std::string name = where + (where.ends_with('/') ? "" : "/") + ".delaunay2d-tiles-XXXXXX";
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) {
            ::unlink(name.c_str());
            return fd;
        }
        error = errno;
        tried = where;
    }
    errno = error;
    return -1;
}

}  // namespace

ScratchFile::ScratchFile(const std::string& folder) {
    std::string tried;
    fd_ = open_unlinked(folder, tried);
    if (fd_ < 0) {
        throw_output_error(tried, "cannot make a scratch file for the tiles", errno);
    }
}

ScratchFile::~ScratchFile() {
    if (fd_ >= 0) {
        ::close(fd_);
    }
}

std::uint64_t ScratchFile::append(const void* bytes, std::size_t size) {
    const std::uint64_t at = size_;
    const char* from = static_cast<const char*>(bytes);
    std::size_t left = size;
    // Each pwrite moves at least one byte forward or fails: at most size calls.
    while (left > 0) {
        const ssize_t wrote = ::pwrite(fd_, from, left, static_cast<off_t>(size_));
        if (wrote < 0 && errno == EINTR) {
            continue;
        }
        if (wrote <= 0) {
            throw_output_error("the tiles' scratch file", "cannot write", wrote < 0 ? errno : ENOSPC);
        }
        from += wrote;
        left -= static_cast<std::size_t>(wrote);
        size_ += static_cast<std::uint64_t>(wrote);
    }
    return at;
}

void ScratchFile::read(std::uint64_t offset, void* bytes, std::size_t size) const {
    char* to = static_cast<char*>(bytes);
    std::size_t left = size;
    // As for append: each pread moves forward or the read fails.
    while (left > 0) {
        const ssize_t got = ::pread(fd_, to, left, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            throw_output_error("the tiles' scratch file", "cannot read", got < 0 ? errno : EIO);
        }
        to += got;
        offset += static_cast<std::uint64_t>(got);
        left -= static_cast<std::size_t>(got);
    }
}

std::string folder_of_path(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : path.substr(0, slash));
}

}  // namespace d2dcli
