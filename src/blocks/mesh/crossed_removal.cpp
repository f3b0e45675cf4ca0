// Removal of the edge triangles that the chain of cross edges runs through:
// they are marked (radius -1.0), unlinked from their neighbours and left in
// place; the survivors of each mesh are counted.
#include "delaunay2d.h"
#include "blocks/mesh/mesh_parts.hpp"

extern "C" int find_edge_triangle_cross_lr_edge(const Triangle* t, const LREdgeList* list, int side) {
    if (list->length == 0) return 0;
    if (t->radius < 0.0) return 1;
    for (size_t e = 0; e < list->length; ++e) {
        const LREdge& edge = list->edges[e];
        const Point3D* end = d2d::side_end(edge, side);
        // An edge with a missing end is no segment to cross with.
        if (end == nullptr || edge.left == nullptr || edge.right == nullptr) continue;
        for (int k = 0; k < 3; ++k) {
            if (t->points[k] != end) continue;
            const Point3D* far_a = t->points[(k + 1) % 3];
            const Point3D* far_b = t->points[(k + 2) % 3];
            if (far_a == nullptr || far_b == nullptr) continue;
            if (line_is_cross_2d(*edge.left, *edge.right, *far_a, *far_b)) return 1;
        }
    }
    return 0;
}

extern "C" void merge_mesh_remove_voronoi(Triangle* t) { d2d::repoint_back_links(t, nullptr); }

extern "C" size_t merge_edge_triangle_filter(Mesh2D* mesh, const LREdgeList* list, int side) {
    if (mesh->length <= mesh->inner_length) return 0;
    // An empty chain crosses nothing: every edge triangle is kept.
    if (list->length == 0) return mesh->length - mesh->inner_length;
    size_t kept = 0;
    for (size_t k = mesh->inner_length; k < mesh->length; ++k) {
        Triangle* t = &mesh->triangles[k];
        if (find_edge_triangle_cross_lr_edge(t, list, side)) {
            t->radius = -1.0;
            merge_mesh_remove_voronoi(t);
        } else {
            ++kept;
        }
    }
    return kept;
}
