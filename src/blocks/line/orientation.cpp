#include <cmath>

#include "blocks/common/tolerance.hpp"
#include "delaunay2d.h"

// Twice the signed area of a, b, p (positive when p lies to the left of
// a->b), in a fixed order of operations so that every caller gets the same
// bits for the same line; values within the building blocks' tolerance of
// zero, and a p that is one of the line's ends, give 0.0.
extern "C" double is_bottom_on_line_point_2d(const Point3D* a, const Point3D* b, const Point3D* p) {
    if (p == a || p == b) return 0.0;
    const double v = (((a->y - b->y) * p->x + (b->x - a->x) * p->y) + a->x * b->y) - a->y * b->x;
    if (std::fabs(v) < d2d::kBuildingBlockTolerance) return 0.0;
    return v;
}
