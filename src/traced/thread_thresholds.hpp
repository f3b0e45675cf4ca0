// Every size from which a stage of a traced entry point uses a second
// thread, in one place beside the stages.
//
// A second thread costs a start and a join (tens of microseconds) and, for
// work that is split in halves, a pass over data that is then cold in the
// other core's cache. Each value below is the size from which the stage's
// saving outweighs that on a two-core machine.
#ifndef DELAUNAY2D_TRACED_THREAD_THRESHOLDS_HPP
#define DELAUNAY2D_TRACED_THREAD_THRESHOLDS_HPP

#include <cstddef>
#include <cstdint>

namespace d2d::traced::thresholds {

// Placing the host's points and the radix passes of the split order: each
// point is only read and written once per pass, so the pass must be long
// before two threads pay.
inline constexpr std::size_t kPlaceOnTwoThreadsFrom = 65536;

// The split order is found by the radix sort (and the quicksort replayed
// for its draws alongside the triangulation) from this many points; below,
// the plain quicksort is faster than setting up the replay.
inline constexpr std::size_t kRadixSortFrom = 4096;

// Triangulating on two threads (each building one half of the top merge),
// and judging and numbering the promoted triangles on two.
inline constexpr std::size_t kTriangulateOnTwoThreadsFrom = 4096;

// A thread offers the right part of a merge to the idle thread only from
// this many points: smaller ranges take less time to build than the
// hand-over costs.
inline constexpr std::uint32_t kOfferFrom = 2048;

// Writing the mesh block's records: each record costs a few scattered reads
// of host points, so halves pay off sooner than for the plain passes.
inline constexpr std::size_t kWriteOnTwoThreadsFrom = 8192;

}  // namespace d2d::traced::thresholds

#endif
