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
#include <algorithm>
#include <vector>

#include "operations/common/coherent_copy.hpp"
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

// The nearest vertices at one distance lie on an empty circle about the
// query; the hull edges of their polygon are mesh edges, so they are all
// reached from any one of them through neighbours at that distance. The
// descent may stop at any of them (a lower index need not be a neighbour):
// gather them and take the lowest.
// `original` gives the caller's index of a vertex (null: the same).
uint32_t lowest_among_ties(const MeshInput& m, const VertexFans& fans, const uint32_t* original, uint32_t found,
                           double qx, double qy, std::vector<uint32_t>& around, std::vector<uint32_t>& ties) {
    const auto index = [original](uint32_t v) { return original != nullptr ? original[v] : v; };
    ties.assign(1, found);
    uint32_t lowest = found;
    for (size_t i = 0; i < ties.size(); ++i) {
        fans.neighbours(m, ties[i], around);
        for (const uint32_t u : around) {
            if (compare_squared_distances(m.x(u), m.y(u), m.x(found), m.y(found), qx, qy) != 0) continue;
            if (std::find(ties.begin(), ties.end(), u) != ties.end()) continue;
            ties.push_back(u);
            if (index(u) < index(lowest)) lowest = u;
        }
    }
    return lowest;
}

}  // namespace

namespace {

// Over a coherent copy (`original` its numbering, values in its order), or
// over the caller's mesh (`original` null).
void nearest_over(const InterpolationInput& in, const uint32_t* original) {
    const MeshInput& m = in.mesh;
    if (m.triangle_count == 0 && m.hull_count == 0) {
        for (size_t q = 0; q < in.query_count; ++q) in.fill(static_cast<uint32_t>(q));
        return;
    }
    const uint32_t start = m.triangle_count > 0 ? m.vertex(0, 0) : m.hull[0];
    const VertexFans fans(m);
    const CurveOrder order = queries_in_curve_order(in.queries, in.query_count, in.threads);
    for_each_query_chunk(order, in.threads, [&](size_t first, size_t last) {
        std::vector<uint32_t> around, ties;
        uint32_t previous = start;
        for (size_t i = first; i < last; ++i) {
            const uint32_t query = order.index[i];
            const double qx = order.xy[2 * i];
            const double qy = order.xy[2 * i + 1];
            if (!std::isfinite(qx) || !std::isfinite(qy)) {
                in.fill(query);
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
                best = lowest_among_ties(m, fans, original, best, qx, qy, around, ties);
            }
            previous = best;
            const double* v = in.values_of(best);
            double* out = in.out_of(query);
            for (size_t j = 0; j < in.value_count; ++j) out[j] = v[j];
        }
    });
}

}  // namespace

void interpolate_nearest(const InterpolationInput& in) {
    if (!coherent_copy_pays(in.mesh, in.query_count)) {
        nearest_over(in, nullptr);
        return;
    }
    const CoherentCopy copy(in.mesh);
    const std::vector<double> values = copy.values_in_order(in.values, in.value_count);
    InterpolationInput local = in;
    local.mesh = copy.mesh();
    local.values = values.data();
    nearest_over(local, copy.originals());
}

}  // namespace d2d::operations
