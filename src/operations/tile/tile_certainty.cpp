#include "operations/tile/tile_certainty.hpp"

#include <algorithm>
#include <cmath>

#include "engine/exact/exact_predicates.hpp"
#include "operations/tile/outward_interval.hpp"

namespace d2d::operations::tile {

namespace {

bool finite(double x, double y) { return std::isfinite(x) && std::isfinite(y); }

// A lower bound on the distance from the interval point u to the box
// [x0, x1] along one axis (u and the box both relative to the same origin).
double gap_lower_bound(Interval u, Interval box_lo, Interval box_hi) {
    const double below = lower_end(box_lo.lo - u.hi);  // box to the right of u
    const double above = lower_end(u.lo - box_hi.hi);  // box to the left of u
    double gap = 0.0;
    if (below > gap) gap = below;
    if (above > gap) gap = above;
    return gap;
}

// The quick answer for ordinary triangles in plain floating point: 1 when
// the disk misses every strip, -1 when it clearly meets one, 0 when the
// rounding leaves it open (then the intervals decide).
//
// Each computed value x carries a first-order error bound k eps mag(x),
// eps = 2^-53, where mag is x computed over absolute values: a difference
// of inputs has k = 1; a product adds the k of its factors and 1; a sum or
// difference takes the larger k and adds 1. So d = b'x c'y - b'y c'x has
// k = 4 and the numerators of u (cubes) k = 7; u = n / d is off by at
// most eps (7 mag(n) + 4 |n| mag(d) / |d|) / |d| + eps |u| while
// 4 eps mag(d) / |d| stays far below 1. The distance to a strip and the
// radius move by at most that error each, plus the strip's own rounding
// and a few eps of their size. The bound is doubled to cover the
// second-order terms with room to spare.
int circumdisk_filter(double ax, double ay, double bx, double by, double cx, double cy, const UnseenRegion& unseen) {
    constexpr double kEps = 0x1p-53;
    const double b_x = bx - ax, b_y = by - ay, c_x = cx - ax, c_y = cy - ay;
    const double extent = std::max({std::fabs(b_x), std::fabs(b_y), std::fabs(c_x), std::fabs(c_y)});
    // Far from 1, cubes could overflow or lose digits to underflow: every
    // difference is 0 or between 2^-300 and 2^300 in size, so that every
    // nonzero product below is a normal double (rounding to a relative
    // eps/2), and overflow further on shows as an infinity.
    if (!(extent < 0x1p300)) return 0;
    for (const double v : {b_x, b_y, c_x, c_y}) {
        if (v != 0.0 && !(std::fabs(v) > 0x1p-300)) return 0;
    }
    const double d = b_x * c_y - b_y * c_x;
    const double d_mag = std::fabs(b_x * c_y) + std::fabs(b_y * c_x);
    if (!(std::fabs(d) > 1e6 * 4.0 * kEps * d_mag)) return 0;  // nearly collinear
    const double b_lift = b_x * b_x + b_y * b_y, c_lift = c_x * c_x + c_y * c_y;
    const double n_x = c_y * b_lift - b_y * c_lift, n_y = b_x * c_lift - c_x * b_lift;
    const double n_x_mag = std::fabs(c_y) * b_lift + std::fabs(b_y) * c_lift;
    const double n_y_mag = std::fabs(b_x) * c_lift + std::fabs(c_x) * b_lift;
    const double u_x = n_x / (2.0 * d), u_y = n_y / (2.0 * d);
    const double d_rel = 4.0 * kEps * d_mag / std::fabs(d);
    const double u_error = (7.0 * kEps * (n_x_mag + n_y_mag) + (std::fabs(n_x) + std::fabs(n_y)) * d_rel) /
                               (2.0 * std::fabs(d)) +
                           kEps * (std::fabs(u_x) + std::fabs(u_y));
    const double radius = std::sqrt(u_x * u_x + u_y * u_y);
    if (!std::isfinite(radius) || !std::isfinite(u_error)) return 0;
    int answer = 1;
    for (int s = 0; s < unseen.count; ++s) {
        const Box& box = unseen.strips[s];
        const double x0 = box.x0 - ax, x1 = box.x1 - ax, y0 = box.y0 - ay, y1 = box.y1 - ay;
        const double box_error = kEps * std::max({std::fabs(x0), std::fabs(x1), std::fabs(y0), std::fabs(y1)});
        const double gx = std::max({0.0, x0 - u_x, u_x - x1}), gy = std::max({0.0, y0 - u_y, u_y - y1});
        const double distance = std::sqrt(gx * gx + gy * gy);
        const double bound = 2.0 * (2.0 * u_error + box_error + 8.0 * kEps * (distance + radius));
        if (!std::isfinite(distance) || !std::isfinite(bound)) return 0;
        if (distance - radius < -bound) return -1;
        if (!(distance - radius > bound)) answer = 0;
    }
    return answer;
}

}  // namespace

// Everything is taken relative to a and scaled (a translation and a
// scaling, which keep the question the same in the real numbers), so that
// far from the origin only the differences' own size matters. With b' = b - a and c' = c - a the centre relative to a is
//
//     u = ( c'y |b'|^2 - b'y |c'|^2,  b'x |c'|^2 - c'x |b'|^2 ) / (2 (b' x c'))
//
// and the squared radius |u|^2. The disk misses a closed box when the
// squared distance from u to the box exceeds it; both sides are intervals
// holding the exact values, and the test compares the distance's lower end
// with the radius's upper end.
bool circumdisk_misses(double ax, double ay, double bx, double by, double cx, double cy, const UnseenRegion& unseen) {
    if (!finite(ax, ay) || !finite(bx, by) || !finite(cx, cy)) return false;
    const int quick = circumdisk_filter(ax, ay, bx, by, cx, cy, unseen);
    if (quick != 0) return quick > 0;
    const Interval a_x = point(ax), a_y = point(ay);
    Interval b_x = point(bx) - a_x, b_y = point(by) - a_y;
    Interval c_x = point(cx) - a_x, c_y = point(cy) - a_y;
    // Differences far from 1 are scaled by a power of two to put them near
    // 1, so that the cubes below neither overflow (coordinates near 1e300)
    // nor vanish (near 1e-300). The scaling is exact but for rounding at the
    // extremes, which the intervals carry. Between 2^-300 and 2^300 the
    // cubes are safe as they are, and the scaling's products are saved.
    const double extent = std::max({std::fabs(b_x.lo), std::fabs(b_x.hi), std::fabs(b_y.lo), std::fabs(b_y.hi),
                                    std::fabs(c_x.lo), std::fabs(c_x.hi), std::fabs(c_y.lo), std::fabs(c_y.hi)});
    if (!(extent > 0.0) || !std::isfinite(extent)) return false;  // repeated corners, or a span beyond doubles
    const int exponent = std::ilogb(extent);
    const bool scaled = exponent < -300 || exponent > 300;
    // 2^1000 at most, so that the factor itself is a finite double.
    const Interval scale = point(std::ldexp(1.0, -std::max(exponent, -1000)));
    if (scaled) {
        b_x = b_x * scale;
        b_y = b_y * scale;
        c_x = c_x * scale;
        c_y = c_y * scale;
    }
    const Interval twice_area = point(2.0) * (b_x * c_y - b_y * c_x);
    const Interval b_lift = square(b_x) + square(b_y);
    const Interval c_lift = square(c_x) + square(c_y);
    const Interval u_x = (c_y * b_lift - b_y * c_lift) / twice_area;
    const Interval u_y = (b_x * c_lift - c_x * b_lift) / twice_area;
    const double radius2_hi = (square(u_x) + square(u_y)).hi;
    for (int s = 0; s < unseen.count; ++s) {
        const Box& box = unseen.strips[s];
        Interval x0 = point(box.x0) - a_x, x1 = point(box.x1) - a_x;
        Interval y0 = point(box.y0) - a_y, y1 = point(box.y1) - a_y;
        if (scaled) {
            x0 = x0 * scale;
            x1 = x1 * scale;
            y0 = y0 * scale;
            y1 = y1 * scale;
        }
        const double gx = gap_lower_bound(u_x, x0, x1);
        const double gy = gap_lower_bound(u_y, y0, y1);
        // gx, gy >= 0, so rounding their squares and sum down keeps a lower bound.
        const double distance2_lo = lower_end(lower_end(gx * gx) + lower_end(gy * gy));
        // False for a NaN or an infinite radius: then the disk may meet the box.
        if (!(distance2_lo > radius2_hi)) return false;
    }
    return true;
}

// The right side of p -> q is where the orientation of (p, q, x) is <= 0.
// It is linear in x, so over a box its least value is at a corner: the
// closed half-plane misses the box exactly when every corner is strictly
// left of the line.
//
//        q
//       ^    corners all left: certain
//      /  +---+
//     /   |   |      (this side: the mesh)
//    p    +---+
//   (right side: beyond the hull)
bool outer_half_plane_misses(double px, double py, double qx, double qy, const UnseenRegion& unseen) {
    if (!finite(px, py) || !finite(qx, qy)) return false;
    for (int s = 0; s < unseen.count; ++s) {
        const Box& box = unseen.strips[s];
        const double xs[2] = {box.x0, box.x1};
        const double ys[2] = {box.y0, box.y1};
        for (const double x : xs) {
            for (const double y : ys) {
                // The exact predicates carry no guarantee for infinite input.
                if (!finite(x, y)) return false;
                if (!(orient2d_exact(px, py, qx, qy, x, y) > 0.0)) return false;
            }
        }
    }
    return true;
}

void mark_certain(const MeshInput& mesh, const UnseenRegion& unseen, uint8_t* certain_triangle,
                  uint8_t* certain_hull_edge) {
    const bool all_seen = unseen.count == 0;
    for (size_t t = 0; t < mesh.triangle_count; ++t) {
        bool certain = all_seen;
        if (!certain) {
            const uint32_t a = mesh.vertex(t, 0), b = mesh.vertex(t, 1), c = mesh.vertex(t, 2);
            // A fourth point on the circle needs no care: the triangulation
            // cuts cocircular points by the fan from their smallest, which
            // the whole set's call cuts the same way.
            certain = circumdisk_misses(mesh.x(a), mesh.y(a), mesh.x(b), mesh.y(b), mesh.x(c), mesh.y(c), unseen);
        }
        certain_triangle[t] = certain ? 1 : 0;
    }
    if (certain_hull_edge == nullptr) return;
    for (size_t i = 0; i < mesh.hull_count; ++i) {
        bool certain = all_seen;
        // Without triangles the hull runs along one line and has no outer
        // side: only a tile that saw everything knows its edges.
        if (!certain && mesh.triangle_count > 0) {
            const uint32_t p = mesh.hull[i], q = mesh.hull[(i + 1) % mesh.hull_count];
            certain = outer_half_plane_misses(mesh.x(p), mesh.y(p), mesh.x(q), mesh.y(q), unseen);
        }
        certain_hull_edge[i] = certain ? 1 : 0;
    }
}

}  // namespace d2d::operations::tile
