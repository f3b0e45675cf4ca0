// Barycentric interpolation in one triangle, independent of how the mesh
// numbers its points or starts its triangles.
//
// Two meshes over the same points (the whole set's and a tile's, say) hold
// the same triangle under different numbers and rotations. Rounding makes
// the barycentric formula depend on which corner it starts from, so the
// formula always starts from the same corner: the smallest in (x, then y),
// continuing counter-clockwise. A query exactly on an edge (exact
// orientation 0) uses that edge's two ends alone, the smaller first, so
// both triangles that share the edge give the same bits; a query on a
// corner takes that corner's values.
//
//        c                   on edge a-b: only a and b count,
//       / \                  a the smaller:  (1 - s) va + s vb,
//      /   \                 s = (q - a).(b - a) / |b - a|^2
//     /  q  \   inside:
//    a-------b   a the smallest corner, then b, c counter-clockwise
#ifndef DELAUNAY2D_OPERATIONS_INTERPOLATE_BARYCENTRIC_HPP
#define DELAUNAY2D_OPERATIONS_INTERPOLATE_BARYCENTRIC_HPP

#include <utility>

#include "engine/exact/exact_predicates.hpp"
#include "operations/interpolate/interpolation_input.hpp"

namespace d2d::operations {

namespace barycentric_detail {

inline bool lexicographically_less(const MeshInput& m, uint32_t u, uint32_t v) {
    return m.x(u) < m.x(v) || (m.x(u) == m.x(v) && m.y(u) < m.y(v));
}

// Writes the values at (qx, qy) on the segment u-v, which holds it.
inline void interpolate_on_edge(const InterpolationInput& in, uint32_t u, uint32_t v, double qx, double qy,
                                double* out) {
    const MeshInput& m = in.mesh;
    if (lexicographically_less(in.mesh, v, u)) std::swap(u, v);
    const double ex = m.x(v) - m.x(u), ey = m.y(v) - m.y(u);
    const double px = qx - m.x(u), py = qy - m.y(u);
    const double s = (px * ex + py * ey) / (ex * ex + ey * ey);
    const double* vu = in.values_of(u);
    const double* vv = in.values_of(v);
    for (size_t j = 0; j < in.value_count; ++j) out[j] = (1.0 - s) * vu[j] + s * vv[j];
}

}  // namespace barycentric_detail

// Writes into `out` the values at (qx, qy) of the linear function through
// the values at triangle t's vertices; t holds the query (on its border
// included). Coordinates are taken relative to the first vertex, which
// keeps the areas accurate far from the origin; each weight is the area of
// the sub-triangle opposite its vertex over the whole, the first one
// completing the sum to 1.
inline void interpolate_in_triangle(const InterpolationInput& in, size_t t, double qx, double qy, double* out) {
    const MeshInput& m = in.mesh;
    const uint32_t corner[3] = {m.vertex(t, 0), m.vertex(t, 1), m.vertex(t, 2)};
    for (const uint32_t v : corner) {
        if (m.x(v) == qx && m.y(v) == qy) {
            for (size_t j = 0; j < in.value_count; ++j) out[j] = in.values_of(v)[j];
            return;
        }
    }
    for (int i = 0; i < 3; ++i) {
        const uint32_t u = corner[i], v = corner[(i + 1) % 3];
        if (orient2d_exact(m.x(u), m.y(u), m.x(v), m.y(v), qx, qy) == 0.0) {
            barycentric_detail::interpolate_on_edge(in, u, v, qx, qy, out);
            return;
        }
    }
    // Rotate (keeping counter-clockwise order) to start at the smallest.
    int first = 0;
    for (int i = 1; i < 3; ++i) {
        if (barycentric_detail::lexicographically_less(m, corner[i], corner[first])) first = i;
    }
    const uint32_t a = corner[first], b = corner[(first + 1) % 3], c = corner[(first + 2) % 3];
    const double bx = m.x(b) - m.x(a), by = m.y(b) - m.y(a);
    const double cx = m.x(c) - m.x(a), cy = m.y(c) - m.y(a);
    const double px = qx - m.x(a), py = qy - m.y(a);
    const double area = bx * cy - by * cx;
    const double wb = (px * cy - py * cx) / area;
    const double wc = (bx * py - by * px) / area;
    const double wa = 1.0 - wb - wc;
    const double* va = in.values_of(a);
    const double* vb = in.values_of(b);
    const double* vc = in.values_of(c);
    for (size_t j = 0; j < in.value_count; ++j) out[j] = wa * va[j] + wb * vb[j] + wc * vc[j];
}

}  // namespace d2d::operations

#endif
