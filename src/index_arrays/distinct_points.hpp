// The distinct finite points of an index-array call, in the order of a
// quadtree over them, and which point stands for each input point.
#ifndef DELAUNAY2D_INDEX_ARRAYS_DISTINCT_POINTS_HPP
#define DELAUNAY2D_INDEX_ARRAYS_DISTINCT_POINTS_HPP

#include <cstddef>
#include <cstdint>

#include "engine/system/page_buffer.hpp"
#include "engine/system/thread_count.hpp"

namespace d2d::index_arrays {

// A point with its input index.
struct IndexedPoint {
    double x;
    double y;
    uint32_t index;
};

// The points before and after in a cut's order. Order 0 (for vertical cuts):
// ascending x, then descending y. Order 1 (for horizontal cuts): ascending
// y, then ascending x, which is order 0 seen after a quarter turn clockwise,
// (x, y) -> (y, -x). Both are total on distinct points.
inline bool before_in_order0(const IndexedPoint& a, const IndexedPoint& b) {
    return a.x < b.x || (a.x == b.x && a.y > b.y);
}
inline bool before_in_order1(const IndexedPoint& a, const IndexedPoint& b) {
    return a.y < b.y || (a.y == b.y && a.x < b.x);
}

// Each point's cell key: its Morton key over the finite points' bounding
// box (engine/spatial/morton_key.hpp), 65536 cells across each side. Points
// whose keys differ first in an x bit are separated by a vertical line, in a
// y bit by a horizontal one: the quadtree's cuts.
struct DistinctPoints {
    PageBuffer<double> xy;         // x0, y0, x1, y1, ...
    PageBuffer<uint32_t> index;    // each point's input index
    PageBuffer<uint32_t> keys;

    size_t size() const { return index.size(); }
    IndexedPoint point(size_t i) const { return IndexedPoint{xy[2 * i], xy[2 * i + 1], index[i]}; }
};

// Reads count points (x at coords[i * stride], y just after) and returns the
// distinct ones with finite coordinates, sorted by key; of several with
// equal x and y, the one with the lowest index. Fills vertex_of_point: i for
// a kept point, the kept point's index for a repeat, -1 for a point with a
// non-finite coordinate. Each pass runs over two halves of the points at
// once when `threads` allows; the result does not depend on it. Throws
// std::bad_alloc when memory runs out.
DistinctPoints find_distinct_points(const double* coords, size_t count, size_t stride, int32_t* vertex_of_point,
                                    ThreadCount threads);

}  // namespace d2d::index_arrays

#endif
