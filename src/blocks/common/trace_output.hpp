#ifndef DELAUNAY2D_BLOCKS_COMMON_TRACE_OUTPUT_HPP
#define DELAUNAY2D_BLOCKS_COMMON_TRACE_OUTPUT_HPP

#include <cstddef>

#include "blocks/common/fatal_stop.hpp"
#include "delaunay2d.h"

namespace d2d {

// Collects the trace lines of one library call and writes them to the C
// stdout stream with fwrite, always whole lines at a time, so that lines of
// concurrent calls interleave line by line and the host's own stdio output
// keeps its place. The destructor writes out what is left.
//
// Writers nest: a writer created while another one is alive on the same
// thread first writes out the older writer's lines, so the output keeps the
// order in which the lines were produced. fatal_stop writes out the lines of
// the writers alive on its thread before its message.
class TraceWriter {
public:
    TraceWriter() noexcept;
    ~TraceWriter();
    TraceWriter(const TraceWriter&) = delete;
    TraceWriter& operator=(const TraceWriter&) = delete;

    // "    point: {x: %f, y: %f, z: %f - %f}\n"
    void point_line(const Point3D& p) noexcept;
    // "create mesh, Mesh2D.length: %zu, beg: %zu, end: %zu\n"
    void base_mesh_line(std::size_t length, std::size_t beg, std::size_t end) noexcept;
    // "merge mesh, [beg: %zu, pivot: %zu] <=> [beg: %zu, pivot: %zu]\n" with
    // beg, pivot - 1, pivot, end - 1: the index bounds of both halves.
    void merge_line(std::size_t beg, std::size_t pivot, std::size_t end) noexcept;
    // Writes the collected lines to stdout (without flushing stdout itself).
    void flush() noexcept;

private:
    // The buffer lives on the caller's stack, which may be a small host
    // thread's: room for the longest line and a few dozen ordinary ones.
    static constexpr std::size_t kCapacity = 4096;
    // Room that must be free before a line is formatted: the longest point
    // line (four values of at most 320 characters and the fixed text).
    static constexpr std::size_t kMaxLine = 1400;

    char* reserve_line() noexcept;
    // Writes out every live writer of this thread, outermost first.
    static void flush_thread_writers() noexcept;
    static void flush_outward_in(TraceWriter* writer) noexcept;
    friend void fatal_stop(const char* message) noexcept;

    TraceWriter* outer_;
    std::size_t used_ = 0;
    char buffer_[kCapacity];
};

}  // namespace d2d

#endif
