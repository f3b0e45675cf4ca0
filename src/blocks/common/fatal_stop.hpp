#ifndef DELAUNAY2D_BLOCKS_COMMON_FATAL_STOP_HPP
#define DELAUNAY2D_BLOCKS_COMMON_FATAL_STOP_HPP

namespace d2d {

inline constexpr const char* kLengthNotEnough = "length is not enough";
inline constexpr const char* kMemberNotEnough = "member is not enough";

// Writes message (no line end) to stdout after any pending trace lines of
// this thread and ends the process with status -1; stdout is flushed by the
// normal exit path.
[[noreturn]] void fatal_stop(const char* message) noexcept;

}  // namespace d2d

#endif
