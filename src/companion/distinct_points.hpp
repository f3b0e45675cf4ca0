// The distinct finite points of a companion call, and which point stands for
// each input point.
#ifndef DELAUNAY2D_COMPANION_DISTINCT_POINTS_HPP
#define DELAUNAY2D_COMPANION_DISTINCT_POINTS_HPP

#include <cstddef>
#include <cstdint>

#include "system/page_buffer.hpp"

namespace d2d::companion {

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

// Reads count points (x at coords[i * stride], y just after) and returns the
// distinct ones with finite coordinates, in order 0; of several with equal x
// and y, the one with the lowest index. Fills vertex_of_point: i for a kept
// point, the kept point's index for a repeat, -1 for a non-finite point.
// Throws std::bad_alloc when memory runs out.
PageBuffer<IndexedPoint> find_distinct_points(const double* coords, size_t count, size_t stride,
                                              int32_t* vertex_of_point);

}  // namespace d2d::companion

#endif
