// Which of two points is nearer to a third, exactly.
#ifndef DELAUNAY2D_OPERATIONS_INTERPOLATE_DISTANCE_ORDER_HPP
#define DELAUNAY2D_OPERATIONS_INTERPOLATE_DISTANCE_ORDER_HPP

#include <cmath>

namespace d2d::operations {

namespace distance_detail {
inline constexpr double kBound = 8.0 * 0x1p-53;
int compare_squared_distances_slow(double ax, double ay, double bx, double by, double qx, double qy);
}  // namespace distance_detail

// The sign (-1, 0, 1) of |a - q|^2 - |b - q|^2 in exact arithmetic: -1 when
// a is nearer. The rounded difference decides when it is clearly away from
// zero (each squared distance is off by a few ulps at most); the others go
// to expansion arithmetic on coordinates scaled by a power of two, exact
// unless the six numbers span more than about 500 binary orders.
inline int compare_squared_distances(double ax, double ay, double bx, double by, double qx, double qy) {
    const double adx = ax - qx, ady = ay - qy, bdx = bx - qx, bdy = by - qy;
    const double da = adx * adx + ady * ady;
    const double db = bdx * bdx + bdy * bdy;
    const double bound = distance_detail::kBound * (da + db);
    const double difference = da - db;
    if ((difference > bound || -difference > bound) && bound >= 0x1p-900) return difference > 0.0 ? 1 : -1;
    return distance_detail::compare_squared_distances_slow(ax, ay, bx, by, qx, qy);
}

}  // namespace d2d::operations

#endif
