#ifndef DELAUNAY2D_BLOCKS_POINT_POINT_ORDER_HPP
#define DELAUNAY2D_BLOCKS_POINT_POINT_ORDER_HPP

namespace d2d {

// The split order's decision on precomputed keys: true when point a, with
// coordinates (ax, ay) and sum z + w azw, goes before point b. Ascending x;
// equal x by descending y; equal x and y by ascending z + w. A step decides
// as soon as its values differ or either is NaN (which never goes first);
// only equal values pass on to the next step.
inline bool split_order_before(double ax, double ay, double azw, double bx, double by, double bzw) noexcept {
    if (ax < bx) return true;
    if (ax != bx) return false;
    if (ay > by) return true;
    if (ay != by) return false;
    return azw < bzw;
}

}  // namespace d2d

#endif
