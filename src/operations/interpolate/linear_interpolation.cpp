// Linear interpolation: the barycentric combination of the three values of
// the triangle that holds the query.
#include "operations/interpolate/interpolation_input.hpp"
#include "operations/locate/locate_all.hpp"

namespace d2d::operations {

void interpolate_linear(const InterpolationInput& in) {
    const MeshInput& m = in.mesh;
    const PointLocator locator(m);
    for_each_located_chunk(locator, in.queries, in.query_count, in.threads,
                           [&](const LocatedQuery* first, const LocatedQuery* last) {
        for (const LocatedQuery* it = first; it != last; ++it) {
        const uint32_t q = it->query;
        const int32_t t = it->triangle;
        if (t < 0) {
            in.fill(q);
            continue;
        }
        const double qx = it->x;
        const double qy = it->y;
        const uint32_t a = m.vertex(static_cast<size_t>(t), 0);
        const uint32_t b = m.vertex(static_cast<size_t>(t), 1);
        const uint32_t c = m.vertex(static_cast<size_t>(t), 2);
        // Coordinates relative to a keep the areas accurate far from the
        // origin; each weight is the area of the sub-triangle opposite its
        // vertex over the whole.
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
        double* out = in.out_of(q);
        for (size_t j = 0; j < in.value_count; ++j) out[j] = wa * va[j] + wb * vb[j] + wc * vc[j];
        }
    });
}

}  // namespace d2d::operations
