// Nearest-neighbour interpolation: the value of the nearest vertex.
//
// A greedy descent along the mesh's edges: from a vertex, move to a
// neighbour that is nearer to the query (or as near, with a lower index)
// until none is. In a Delaunay triangulation a vertex that is not nearest
// always has a nearer neighbour (the segment from it towards the query
// leaves its Voronoi cell through a ridge, i.e. into a neighbour's cell),
// and the nearest vertices at one distance lie on an empty circle, joined
// by hull edges of their polygon, so the descent ends at the nearest vertex
// of lowest index. Without triangles the points lie on one line in hull
// order, where the distance falls and then rises: a binary search.
#include <vector>

#include "operations/common/vertex_fans.hpp"
#include "operations/interpolate/distance_order.hpp"
#include "operations/interpolate/interpolation_input.hpp"
#include "operations/locate/query_order.hpp"

namespace d2d::operations {
namespace {

bool nearer(const MeshInput& m, uint32_t a, uint32_t b, double qx, double qy) {
    const int order = compare_squared_distances(m.x(a), m.y(a), m.x(b), m.y(b), qx, qy);
    return order < 0 || (order == 0 && a < b);
}

uint32_t nearest_on_line(const MeshInput& m, double qx, double qy) {
    size_t low = 0, high = m.hull_count - 1;  // the first i not farther than i + 1 is in [low, high]
    while (low < high) {
        const size_t mid = low + (high - low) / 2;
        if (compare_squared_distances(m.x(m.hull[mid]), m.y(m.hull[mid]), m.x(m.hull[mid + 1]), m.y(m.hull[mid + 1]),
                                      qx, qy) <= 0) {
            high = mid;
        } else {
            low = mid + 1;
        }
    }
    uint32_t best = m.hull[low];
    if (low + 1 < m.hull_count && nearer(m, m.hull[low + 1], best, qx, qy)) best = m.hull[low + 1];
    return best;
}

}  // namespace

void interpolate_nearest(const InterpolationInput& in) {
    const MeshInput& m = in.mesh;
    if (m.hull_count == 0) {
        for (size_t q = 0; q < in.query_count; ++q) in.fill(static_cast<uint32_t>(q));
        return;
    }
    const VertexFans fans(m);
    const std::vector<uint32_t> order = queries_in_curve_order(in.queries, in.query_count);
    for_each_query_chunk(order, in.threads, [&](const uint32_t* first, const uint32_t* last) {
        std::vector<uint32_t> around;
        uint32_t previous = m.hull[0];
        for (const uint32_t* it = first; it != last; ++it) {
            const double qx = in.queries[2 * size_t{*it}];
            const double qy = in.queries[2 * size_t{*it} + 1];
            if (!std::isfinite(qx) || !std::isfinite(qy)) {
                in.fill(*it);
                continue;
            }
            uint32_t best = previous;
            if (m.triangle_count == 0) {
                best = nearest_on_line(m, qx, qy);
            } else {
                for (bool moved = true; moved;) {
                    moved = false;
                    fans.neighbours(m, best, around);
                    uint32_t step = best;
                    for (const uint32_t u : around) {
                        if (nearer(m, u, step, qx, qy)) step = u;
                    }
                    if (step != best) {
                        best = step;
                        moved = true;
                    }
                }
            }
            previous = best;
            const double* v = in.values_of(best);
            double* out = in.out_of(*it);
            for (size_t j = 0; j < in.value_count; ++j) out[j] = v[j];
        }
    });
}

}  // namespace d2d::operations
