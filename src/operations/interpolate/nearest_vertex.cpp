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
//
// The descent needs the mesh to be the Delaunay triangulation of its
// vertices; on another mesh (a constrained one, one with holes or a notch)
// it can stop at a vertex only nearer than its neighbours. So the call
// first checks the mesh: a boundary that is one convex loop and every
// interior edge locally Delaunay (exact in-circle tests) make it the
// Delaunay triangulation of its vertices (a locally Delaunay triangulation
// of a convex region is Delaunay). A mesh that fails is answered by a k-d
// tree over its vertices instead, exact as well.
#include <algorithm>
#include <vector>

#include "engine/exact/exact_predicates.hpp"
#include "operations/common/coherent_copy.hpp"
#include "operations/common/vertex_fans.hpp"
#include "operations/interpolate/distance_order.hpp"
#include "operations/interpolate/interpolation_input.hpp"
#include "operations/interpolate/nearest_point_tree.hpp"
#include "operations/locate/boundary_shape.hpp"
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

namespace {

// Whether the descent along edges finds the nearest vertex: the mesh is the
// Delaunay triangulation of its vertices (see the top of the file).
bool descent_is_exact(const MeshInput& m) {
    if (!boundary_is_one_convex_loop(m)) return false;
    for (size_t t = 0; t < m.triangle_count; ++t) {
        for (int e = 0; e < 3; ++e) {
            const int32_t n = m.neighbour(t, e);
            if (n < 0 || static_cast<size_t>(n) < t) continue;  // each interior edge once
            const uint32_t a = m.vertex(t, 0), b = m.vertex(t, 1), c = m.vertex(t, 2);
            const size_t u = static_cast<size_t>(n);
            uint32_t d = m.vertex(u, 0);
            for (int k = 1; k < 3; ++k) {
                const uint32_t v = m.vertex(u, k);
                if (v != m.vertex(t, e) && v != m.vertex(t, (e + 1) % 3)) d = v;
            }
            if (incircle_exact(m.x(a), m.y(a), m.x(b), m.y(b), m.x(c), m.y(c), m.x(d), m.y(d)) > 0.0) return false;
        }
    }
    return true;
}

// Every query by the k-d tree over the vertices of the mesh's triangles.
void nearest_by_tree(const InterpolationInput& in) {
    const MeshInput& m = in.mesh;
    std::vector<bool> is_vertex(m.point_count, false);
    for (size_t k = 0; k < 3 * m.triangle_count; ++k) is_vertex[m.triangles[k]] = true;
    std::vector<uint32_t> vertices;
    for (size_t i = 0; i < m.point_count; ++i) {
        if (is_vertex[i]) vertices.push_back(static_cast<uint32_t>(i));
    }
    const NearestPointTree tree(m, std::move(vertices));
    const CurveOrder order = queries_in_curve_order(in.queries, in.query_count, in.threads);
    for_each_query_chunk(order, in.threads, [&](size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            const uint32_t query = order.index[i];
            const double qx = order.xy[2 * i];
            const double qy = order.xy[2 * i + 1];
            if (!std::isfinite(qx) || !std::isfinite(qy)) {
                in.fill(query);
                continue;
            }
            const double* v = in.values_of(tree.nearest(qx, qy));
            double* out = in.out_of(query);
            for (size_t j = 0; j < in.value_count; ++j) out[j] = v[j];
        }
    });
}

}  // namespace

void interpolate_nearest(const InterpolationInput& in) {
    if (in.mesh.triangle_count > 0 && !descent_is_exact(in.mesh)) {
        nearest_by_tree(in);
        return;
    }
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
