// The part of a tile's bounds that its points do not cover: bounds minus
// seen, as at most four closed strips. Points of the whole set may lie
// there, unknown to the tile; everything else in bounds the tile has seen.
//
//   bounds
//   +-------------------------------+
//   |             top               |
//   +------+---------------+--------+
//   | left |     seen      | right  |
//   |      |               |        |
//   +------+---------------+--------+
//   |            bottom             |
//   +-------------------------------+
//
// The strips overlap at the corners and are closed (they share seen's
// border), so together they cover the closure of bounds \ seen: a shape
// that misses every strip misses every unseen point, with room to spare on
// seen's border. A point of bounds outside seen has x < seen's min x, or
// x > its max x, or the same in y, and so lies in one of the strips; this
// also holds when seen is empty (min above max) or reaches past bounds.
#ifndef DELAUNAY2D_OPERATIONS_TILE_UNSEEN_REGION_HPP
#define DELAUNAY2D_OPERATIONS_TILE_UNSEEN_REGION_HPP

#include <algorithm>

namespace d2d::operations::tile {

// A closed box: min x, min y, max x, max y.
struct Box {
    double x0, y0, x1, y1;
};

struct UnseenRegion {
    Box strips[4];
    int count = 0;  // 0: seen holds all of bounds (or bounds is empty)
};

// seen and bounds as min x, min y, max x, max y; neither holds a NaN.
inline UnseenRegion unseen_region(const double seen[4], const double bounds[4]) {
    UnseenRegion region;
    const double bx0 = bounds[0], by0 = bounds[1], bx1 = bounds[2], by1 = bounds[3];
    if (bx0 > bx1 || by0 > by1) return region;  // no point of the whole set at all
    if (bx0 < seen[0]) region.strips[region.count++] = Box{bx0, by0, std::min(seen[0], bx1), by1};
    if (seen[2] < bx1) region.strips[region.count++] = Box{std::max(seen[2], bx0), by0, bx1, by1};
    if (by0 < seen[1]) region.strips[region.count++] = Box{bx0, by0, bx1, std::min(seen[1], by1)};
    if (seen[3] < by1) region.strips[region.count++] = Box{bx0, std::max(seen[3], by0), bx1, by1};
    return region;
}

}  // namespace d2d::operations::tile

#endif
