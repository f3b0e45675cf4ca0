// Every byte of a block to a file descriptor: the one loop under the text
// sink, the GeoTIFF and the PNG. write() may take part of a block (a pipe,
// a signal), so it is called again for the rest.
#pragma once

#include <cstddef>

namespace d2dcli {

// Writes size bytes from data to fd, again after an interruption (EINTR).
// Returns 0, or the errno of the write that failed. It throws nothing, so
// that a C library's write callback (cairo's) may call it.
int write_all(int fd, const void* data, std::size_t size) noexcept;

}  // namespace d2dcli
