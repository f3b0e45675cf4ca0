#include "blocks/point/point_order.hpp"

#include "delaunay2d.h"

namespace {

// The bottom-first orders: ascending y, then x (descending for the left
// mesh, whose rightmost low point comes first; ascending for the right
// mesh), then ascending z + w, with the same NaN rule as the split order.
template <bool RightmostFirst>
int bottom_first_order(const Point3D* a, const Point3D* b) {
    if (a->y < b->y) return 1;
    if (a->y != b->y) return -1;
    if (RightmostFirst ? a->x > b->x : a->x < b->x) return 1;
    if (a->x != b->x) return -1;
    return a->z + a->w < b->z + b->w ? 1 : -1;
}

}  // namespace

extern "C" int sort_point_x_maxY(const Point3D* a, const Point3D* b) {
    return d2d::split_order_before(a->x, a->y, a->z + a->w, b->x, b->y, b->z + b->w) ? 1 : -1;
}

extern "C" int sort_point_y_lx(const Point3D* a, const Point3D* b) {
    return bottom_first_order<true>(a, b);
}

extern "C" int sort_point_y_rx(const Point3D* a, const Point3D* b) {
    return bottom_first_order<false>(a, b);
}
