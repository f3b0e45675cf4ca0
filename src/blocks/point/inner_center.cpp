#include "delaunay2d.h"

// The centroid, in all four components: ((p0 + p1) + p2) / 3. A segment
// triangle counts its repeated end twice.
extern "C" void create_inner_center_2d(Triangle* t) {
    const Point3D& p0 = *t->points[0];
    const Point3D& p1 = *t->points[1];
    const Point3D& p2 = *t->points[2];
    t->inner_center.x = ((p0.x + p1.x) + p2.x) / 3.0;
    t->inner_center.y = ((p0.y + p1.y) + p2.y) / 3.0;
    t->inner_center.z = ((p0.z + p1.z) + p2.z) / 3.0;
    t->inner_center.w = ((p0.w + p1.w) + p2.w) / 3.0;
}
