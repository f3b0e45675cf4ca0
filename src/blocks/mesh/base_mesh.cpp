// The one-triangle mesh of a range of two or three sorted points: the leaves
// of the divide-and-conquer recursion.
#include "delaunay2d.h"

#include "blocks/common/trace_output.hpp"
#include "engine/exact/exact_predicates.hpp"

extern "C" void create_mesh_by_2_3_point(PointRange* range, Mesh2D* mesh) {
    d2d::TraceWriter trace;
    const Point3DList* list = range->list;
    // A range must hold at least two points of the list. Anything else has no
    // triangle to build: the block gets an empty header instead of reading
    // entries that are not there.
    if (range->end > list->length || range->end < range->beg || range->end - range->beg < 2) {
        mesh->length = 0;
        mesh->inner_length = 0;
        trace.base_mesh_line(mesh->length, range->beg, range->end);
        return;
    }
    mesh->length = 1;
    mesh->inner_length = 0;
    Point3D* a = list->points[range->beg];
    Point3D* b = list->points[range->beg + 1];
    Point3D* c = list->points[range->end - 1];
    Triangle* t = &mesh->triangles[0];
    create_triangle(t, a, b, c);
    // Three points on one line (decided exactly) span no area: like the
    // two-point triangle, the record stands for its points, not for a
    // triangle, and every merge passes over it.
    if (b != c && d2d::orient2d_exact(a->x, a->y, b->x, b->y, c->x, c->y) == 0) t->radius = -1.0;
    trace.base_mesh_line(mesh->length, range->beg, range->end);
}
