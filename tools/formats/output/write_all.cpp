#include "formats/output/write_all.hpp"

#include <unistd.h>

#include <cerrno>

namespace d2dcli {

int write_all(int fd, const void* data, std::size_t size) noexcept {
    const char* next = static_cast<const char*>(data);
    // Ends: each pass either returns or writes at least one byte (write()
    // returns 0 only for a size of 0), or is interrupted by a signal.
    while (size > 0) {
        const ssize_t written = ::write(fd, next, size);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        next += written;
        size -= static_cast<std::size_t>(written);
    }
    return 0;
}

}  // namespace d2dcli
