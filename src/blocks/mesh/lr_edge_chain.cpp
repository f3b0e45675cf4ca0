// The chain of cross edges of a merge, grown upward from the lower common
// tangent one edge per step by empty-circumcircle tests.
#include <cstdlib>
#include <cstring>

#include "blocks/common/saturating_product.hpp"
#include "delaunay2d.h"
#include "blocks/mesh/mesh_parts.hpp"

namespace {

bool has_vertex(const Triangle& t, const Point3D* p) {
    return t.points[0] == p || t.points[1] == p || t.points[2] == p;
}




}  // namespace

extern "C" int find_side_potential_point(const Mesh2D* mesh, LREdge edge, int side, Triangle* candidate) {
    Point3D* end = d2d::side_end(edge, side);
    // An edge without both ends has no line to be above.
    if (end == nullptr || edge.left == nullptr || edge.right == nullptr) return 0;
    for (size_t k = mesh->inner_length; k < mesh->length; ++k) {
        const Triangle& t = mesh->triangles[k];
        if (!has_vertex(t, end)) continue;
        for (Point3D* q : t.points) {
            if (!(is_bottom_on_line_point_2d(edge.left, edge.right, q) > 0.0)) continue;
            candidate->points[0] = edge.left;
            candidate->points[1] = edge.right;
            candidate->points[2] = q;
            create_outer_center_2d(candidate);
            if (!point_inner_triangle_list_circular(*candidate, mesh)) return 1;
        }
    }
    return 0;
}

extern "C" LREdgeList* find_lr_edge(const Mesh2D* left, const Mesh2D* right, LREdgeList* list) {
    // Every edge after the first has its left end among the first edge's left
    // end and the vertices of the left mesh's edge triangles, and likewise on
    // the right. A step depends only on the current edge, so a chain that
    // ends never repeats an edge and appends fewer edges than there are such
    // pairs; a chain that would append more is cycling and stops there.
    const size_t append_limit =
        d2d::saturating_product(3 * d2d::edge_triangle_count(left) + 1, 3 * d2d::edge_triangle_count(right) + 1);
    for (size_t appended = 0; list->length > 0 && appended < append_limit; ++appended) {
        const LREdge current = list->edges[list->length - 1];
        Triangle left_candidate;
        std::memset(&left_candidate, 0, sizeof left_candidate);
        const int left_found = find_side_potential_point(left, current, 0, &left_candidate);
        Triangle right_candidate;
        std::memset(&right_candidate, 0, sizeof right_candidate);
        const int right_found = find_side_potential_point(right, current, 1, &right_candidate);

        // Room for four more edges whenever the list is full by the growth
        // rule, decided before (and whether or not) an edge is appended.
        if (list->length % 4 == 0) {
            list = static_cast<LREdgeList*>(
                std::realloc(list, sizeof(LREdgeList) + (list->length + 4) * sizeof(LREdge)));
            check_realloc(list);
        }

        if (left_found && !point_inner_triangle_list_circular(left_candidate, right)) {
            list->edges[list->length] = LREdge{left_candidate.points[2], current.right};
            ++list->length;
            continue;
        }
        if (right_found && !point_inner_triangle_list_circular(right_candidate, left)) {
            list->edges[list->length] = LREdge{current.left, right_candidate.points[2]};
            ++list->length;
            continue;
        }
        break;
    }
    return list;
}
