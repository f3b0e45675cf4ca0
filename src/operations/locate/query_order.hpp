// Queries taken in the order of a space-filling curve, in chunks.
//
// Consecutive queries along a Morton (Z-order) curve lie close together,
// so a walk that starts from the previous answer is short, and the
// triangles it reads are still in cache. The queries are cut into chunks
// of a fixed size; each chunk starts afresh, so that the chunks can run on
// any number of threads and every answer (also the choice among the
// triangles sharing an edge) is the same for every number of threads.
#ifndef DELAUNAY2D_OPERATIONS_LOCATE_QUERY_ORDER_HPP
#define DELAUNAY2D_OPERATIONS_LOCATE_QUERY_ORDER_HPP

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/system/thread_count.hpp"

namespace d2d::operations {

inline constexpr size_t kQueryChunk = 4096;

// The queries (x at queries[2q], y at queries[2q + 1]) sorted by their
// Morton key over the finite queries' bounding box
// (engine/spatial/morton_key.hpp), with their coordinates gathered in that
// order (read one after the other, not all over the caller's array);
// queries with a NaN or infinite coordinate come last. Ties keep index
// order, so the order depends on the queries alone, not on `threads`.
struct CurveOrder {
    std::vector<uint32_t> index;  // the query at each place
    std::vector<double> xy;       // its coordinates
    size_t size() const { return index.size(); }
};
CurveOrder queries_in_curve_order(const double* queries, size_t count, ThreadCount threads);

// Calls work(first, last) for each chunk [first, last) of places in the
// order, on up to `threads` threads (the library uses two at most).
void for_each_query_chunk(const CurveOrder& order, ThreadCount threads,
                          const std::function<void(size_t, size_t)>& work);

}  // namespace d2d::operations

#endif
