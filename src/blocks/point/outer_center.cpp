#include <cmath>

#include "blocks/common/tolerance.hpp"
#include "delaunay2d.h"

// Circumcentre by Cramer's rule on |c - A| = |c - B| and |c - A| = |c - C|;
// the radius is measured from points[0]. The arithmetic runs in exactly the
// order written: callers compare distances against this radius.
extern "C" void create_outer_center_2d(Triangle* t) {
    const Point3D& a = *t->points[0];
    const Point3D& b = *t->points[1];
    const Point3D& c = *t->points[2];

    // Twice the signed area, sign reversed (negative when counter-clockwise).
    const double d = (a.x - c.x) * (a.y - b.y) - (a.x - b.x) * (a.y - c.y);
    if (std::fabs(d) < d2d::kBuildingBlockTolerance) {
        t->radius = -1.0;  // collinear: outer_center keeps what it held
        return;
    }

    t->outer_center.z = 0.0;
    t->outer_center.w = 0.0;
    const double sb = (a.x * a.x - b.x * b.x) + (a.y * a.y - b.y * b.y);
    const double sc = (a.x * a.x - c.x * c.x) + (a.y * a.y - c.y * c.y);
    const double hb = sb * 0.5;
    const double hc = sc * 0.5;
    t->outer_center.x = -(hb * (a.y - c.y) - hc * (a.y - b.y)) / d;
    t->outer_center.y = -(hc * (a.x - b.x) - hb * (a.x - c.x)) / d;

    const double dx = a.x - t->outer_center.x;
    const double dy = a.y - t->outer_center.y;
    t->radius = std::sqrt(dx * dx + dy * dy);
}
