// Barycentric interpolation in one triangle.
#ifndef DELAUNAY2D_OPERATIONS_INTERPOLATE_BARYCENTRIC_HPP
#define DELAUNAY2D_OPERATIONS_INTERPOLATE_BARYCENTRIC_HPP

#include "operations/interpolate/interpolation_input.hpp"

namespace d2d::operations {

// Writes into `out` the values at (qx, qy) of the linear function through
// the values at triangle t's vertices. Coordinates are taken relative to
// the first vertex, which keeps the areas accurate far from the origin;
// each weight is the area of the sub-triangle opposite its vertex over the
// whole, the first one completing the sum to 1.
inline void interpolate_in_triangle(const InterpolationInput& in, size_t t, double qx, double qy, double* out) {
    const MeshInput& m = in.mesh;
    const uint32_t a = m.vertex(t, 0), b = m.vertex(t, 1), c = m.vertex(t, 2);
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
