// The merge of two neighbouring meshes into the block of their union: lower
// common tangent, chain of cross edges, removal of crossed triangles,
// assembly.
#include <cstdlib>

#include "blocks/common/checked_malloc.hpp"
#include "blocks/common/trace_output.hpp"
#include "delaunay2d.h"
#include "blocks/mesh/merge_assembly.hpp"
#include "blocks/mesh/mesh_parts.hpp"

extern "C" Mesh2D* merge_mesh(size_t beg, size_t pivot, size_t end, Mesh2D* left, Mesh2D* right, Mesh2D* result) {
    d2d::TraceWriter trace;
    trace.merge_line(beg, pivot, end);

    auto* list = d2d::checked_malloc<LREdgeList>(sizeof(LREdgeList) + 4 * sizeof(LREdge));
    list->length = 1;
    // Null ends until the tangent search sets them: a half without edge
    // triangles leaves its end null.
    list->edges[0] = LREdge{nullptr, nullptr};
    find_base_lr_edge(left, right, &list->edges[0]);
    list = find_lr_edge(left, right, list);

    const size_t left_kept = merge_edge_triangle_filter(left, list, 0);
    const size_t right_kept = merge_edge_triangle_filter(right, list, 1);
    const size_t left_inner = d2d::inner_triangle_count(left);
    const size_t right_inner = d2d::inner_triangle_count(right);
    const size_t count = left_inner + right_inner + left_kept + right_kept + (list->length - 1);

    result = static_cast<Mesh2D*>(std::realloc(result, sizeof(Mesh2D) + count * sizeof(Triangle)));
    check_realloc(result);
    result->length = 0;
    result->inner_length = 0;
    merge_inner_triangle_mesh(result, left);
    merge_inner_triangle_mesh(result, right);
    result->inner_length = result->length;
    merge_edge_triangle_mesh(result, left);
    const size_t right_edge_beg = result->length;
    merge_edge_triangle_mesh(result, right);
    const size_t lr_beg = result->length;
    d2d::append_lr_line_triangles(result, list, left_inner, right_edge_beg, lr_beg);
    update_edge_triangle(result);
    d2d::clear_links_outside(result);

    std::free(list);
    std::free(left);
    std::free(right);
    return result;
}
