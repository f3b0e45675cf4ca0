// Angles from atan2 of the cross and dot products of the two edges at a
// corner: accurate for the thinnest triangles, where an arccosine of a dot
// product near 1 would lose every digit.
#include "operations/refine/quality_figures.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace d2d::operations::refine {
namespace {

constexpr double kDegrees = 57.295779513082320876798154814105;

double corner_angle(const double* at, const double* u, const double* v) {
    const double ux = u[0] - at[0], uy = u[1] - at[1];
    const double vx = v[0] - at[0], vy = v[1] - at[1];
    return std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * kDegrees;
}

}  // namespace

void triangle_angles(const double* a, const double* b, const double* c, double (&angles)[3]) {
    angles[0] = corner_angle(a, b, c);
    angles[1] = corner_angle(b, c, a);
    angles[2] = corner_angle(c, a, b);
}

double doubled_area(const double* a, const double* b, const double* c) {
    return (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
}

delaunay2d_mesh_quality measure_quality(const double* xy, const uint32_t* tri, size_t triangles, double min_angle,
                                        const double* area_bound) {
    delaunay2d_mesh_quality q{};
    if (triangles == 0) return q;
    q.min_angle = 180.0;
    q.max_angle = 0.0;
    for (size_t t = 0; t < triangles; ++t) {
        const double* a = xy + 2 * static_cast<size_t>(tri[3 * t]);
        const double* b = xy + 2 * static_cast<size_t>(tri[3 * t + 1]);
        const double* c = xy + 2 * static_cast<size_t>(tri[3 * t + 2]);
        double angles[3];
        triangle_angles(a, b, c, angles);
        bool short_of_bound = false;
        for (const double angle : angles) {
            q.min_angle = std::min(q.min_angle, angle);
            q.max_angle = std::max(q.max_angle, angle);
            const auto bin = static_cast<size_t>(std::min(17.0, std::max(0.0, std::floor(angle / 10.0))));
            ++q.angle_histogram[bin];
            short_of_bound = short_of_bound || angle < min_angle;
        }
        const bool too_large = area_bound != nullptr && area_bound[t] > 0.0 && 0.5 * doubled_area(a, b, c) > area_bound[t];
        if (short_of_bound || too_large) ++q.unrefined_count;
    }
    return q;
}

}  // namespace d2d::operations::refine
