#include "delaunay2d.h"

// A new triangle: vertices in the given order, no links, its centroid, and
// radius -1.0 when p1 and p2 are the same point (a two-point triangle). The
// circumcentre is left for create_outer_center_2d; outer_center starts as
// zeros so that no triangle carries stale bytes.
extern "C" void create_triangle(Triangle* t, Point3D* p0, Point3D* p1, Point3D* p2) {
    t->points[0] = p0;
    t->points[1] = p1;
    t->points[2] = p2;
    t->radius = p1 == p2 ? -1.0 : 0.0;
    t->vor[0] = nullptr;
    t->vor[1] = nullptr;
    t->vor[2] = nullptr;
    t->outer_center = Point3D{0.0, 0.0, 0.0, 0.0};
    create_inner_center_2d(t);
}
