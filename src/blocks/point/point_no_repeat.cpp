// Duplicate-free collection of points (identity by address) into a list whose
// room the caller provides.
#include "delaunay2d.h"

extern "C" size_t push_point_2d_no_repeat(Point3D* p, Point3DList* list) {
    for (size_t i = 0; i < list->length; ++i) {
        if (list->points[i] == p) return i;
    }
    list->points[list->length] = p;
    return list->length++;
}

extern "C" void create_point_no_repeat(const Mesh2D* mesh, Point3DList* list, PointCompare compare) {
    for (size_t k = mesh->inner_length; k < mesh->length; ++k) {
        const Triangle& t = mesh->triangles[k];
        for (Point3D* p : t.points) push_point_2d_no_repeat(p, list);
    }
    sort_point(list, compare);
}
