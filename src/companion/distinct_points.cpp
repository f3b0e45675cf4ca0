#include "companion/distinct_points.hpp"

#include <algorithm>
#include <cmath>

namespace d2d::companion {

PageBuffer<IndexedPoint> find_distinct_points(const double* coords, size_t count, size_t stride,
                                              int32_t* vertex_of_point) {
    PageBuffer<IndexedPoint> points(count);
    size_t finite = 0;
    for (size_t i = 0; i < count; ++i) {
        // Adding +0.0 turns -0.0 into +0.0, so that equal points are equal in
        // every bit and sort together.
        const double x = coords[i * stride] + 0.0;
        const double y = coords[i * stride + 1] + 0.0;
        if (std::isfinite(x) && std::isfinite(y)) {
            points[finite++] = IndexedPoint{x, y, static_cast<uint32_t>(i)};
            vertex_of_point[i] = static_cast<int32_t>(i);
        } else {
            vertex_of_point[i] = -1;
        }
    }
    points.resize(finite);
    std::sort(points.begin(), points.end(), [](const IndexedPoint& a, const IndexedPoint& b) {
        if (a.x != b.x) return a.x < b.x;
        if (a.y != b.y) return a.y > b.y;
        return a.index < b.index;
    });
    size_t kept = 0;
    for (size_t i = 0; i < finite; ++i) {
        const IndexedPoint& p = points[i];
        if (kept > 0 && points[kept - 1].x == p.x && points[kept - 1].y == p.y) {
            vertex_of_point[p.index] = static_cast<int32_t>(points[kept - 1].index);
            continue;
        }
        points[kept++] = p;
    }
    points.resize(kept);
    return points;
}

}  // namespace d2d::companion
