// The lower common tangent of two neighbouring meshes, searched among the
// vertices of their edge triangles.
#include <cstdlib>

#include "blocks/common/checked_malloc.hpp"
#include "blocks/common/trace_output.hpp"
#include "delaunay2d.h"
#include "blocks/mesh/mesh_parts.hpp"

namespace {

// The distinct vertices of the mesh's edge triangles, sorted bottom first by
// `compare`. k edge triangles have at most 3k distinct vertices, which is the
// room the list gets, so no push can write past it.
Point3DList* collect_bottom_first(const Mesh2D* mesh, PointCompare compare) {
    const size_t room = 3 * d2d::edge_triangle_count(mesh);
    auto* list = d2d::checked_malloc<Point3DList>(sizeof(Point3DList) + room * sizeof(Point3D*));
    list->length = 0;
    for (size_t k = mesh->inner_length; k < mesh->length; ++k) {
        for (Point3D* p : mesh->triangles[k].points) push_point_2d_no_repeat(p, list);
    }
    sort_point(list, compare);
    return list;
}

}  // namespace

extern "C" void find_base_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdge* edge) {
    Point3DList* left_points = collect_bottom_first(left, sort_point_y_lx);
    // A mesh without edge triangles has no vertex to offer: the matching end
    // of the edge keeps what the caller put there (the merge puts null, and a
    // null end makes every later stage pass the edge over).
    if (left_points->length > 0) edge->left = left_points->points[0];
    Point3DList* right_points = collect_bottom_first(right, sort_point_y_rx);
    if (right_points->length > 0) edge->right = right_points->points[0];
    update_line_bottom_edge(left_points, right_points, edge);
    std::free(left_points);
    std::free(right_points);
}
