#include "delaunay2d.h"

// Edge i joins points[i] and points[(i + 1) % 3]; the first matching edge
// wins, so a two-point triangle (p, q, q) answers 0 for the pair p, q.
extern "C" int triangle_overlay_line_2d(const Triangle* t, const Point3D* p, const Point3D* q) {
    const Point3D* const p0 = t->points[0];
    const Point3D* const p1 = t->points[1];
    const Point3D* const p2 = t->points[2];
    if ((p == p0 && q == p1) || (p == p1 && q == p0)) return 0;
    if ((p == p1 && q == p2) || (p == p2 && q == p1)) return 1;
    if ((p == p2 && q == p0) || (p == p0 && q == p2)) return 2;
    return -1;
}

// Links both ways. A negative i (no shared edge found) links nothing, and
// so does any index other than 0, 1 or 2: the slot past vor[2] is the
// record's inner_center.
extern "C" void create_triangle_vor(Triangle* t, int i, Triangle* n, int64_t j) {
    if (i < 0 || i > 2 || j < 0 || j > 2) return;
    t->vor[i] = n;
    n->vor[j] = t;
}
