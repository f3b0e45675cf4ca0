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
    const Interval a_x = point(ax), a_y = point(ay);
    Interval b_x = point(bx) - a_x, b_y = point(by) - a_y;
    Interval c_x = point(cx) - a_x, c_y = point(cy) - a_y;
    // Scaled by a power of two to put the differences near 1, so that their
    // squares and products neither overflow (coordinates near 1e300) nor
    // vanish (near 1e-300). The scaling is exact but for rounding at the
    // extremes, which the intervals carry.
    const double extent = std::max({std::fabs(b_x.lo), std::fabs(b_x.hi), std::fabs(b_y.lo), std::fabs(b_y.hi),
                                    std::fabs(c_x.lo), std::fabs(c_x.hi), std::fabs(c_y.lo), std::fabs(c_y.hi)});
    if (!(extent > 0.0) || !std::isfinite(extent)) return false;  // repeated corners, or a span beyond doubles
    // 2^1000 at most, so that the factor itself is a finite double.
    const Interval scale = point(std::ldexp(1.0, -std::max(std::ilogb(extent), -1000)));
    b_x = b_x * scale;
    b_y = b_y * scale;
    c_x = c_x * scale;
    c_y = c_y * scale;
    const Interval twice_area = point(2.0) * (b_x * c_y - b_y * c_x);
    const Interval b_lift = square(b_x) + square(b_y);
    const Interval c_lift = square(c_x) + square(c_y);
    const Interval u_x = (c_y * b_lift - b_y * c_lift) / twice_area;
    const Interval u_y = (b_x * c_lift - c_x * b_lift) / twice_area;
    const double radius2_hi = (square(u_x) + square(u_y)).hi;
    for (int s = 0; s < unseen.count; ++s) {
        const Box& box = unseen.strips[s];
        const double gx = gap_lower_bound(u_x, (point(box.x0) - a_x) * scale, (point(box.x1) - a_x) * scale);
        const double gy = gap_lower_bound(u_y, (point(box.y0) - a_y) * scale, (point(box.y1) - a_y) * scale);
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

bool has_fourth_point_on_circle(const MeshInput& mesh, size_t t) {
    const uint32_t a = mesh.vertex(t, 0), b = mesh.vertex(t, 1), c = mesh.vertex(t, 2);
    for (int i = 0; i < 3; ++i) {
        const int32_t n = mesh.neighbour(t, i);
        if (n < 0) continue;
        const size_t across = static_cast<size_t>(n);
        for (int k = 0; k < 3; ++k) {
            const uint32_t d = mesh.vertex(across, k);
            if (d == a || d == b || d == c) continue;
            if (incircle_exact(mesh.x(a), mesh.y(a), mesh.x(b), mesh.y(b), mesh.x(c), mesh.y(c), mesh.x(d),
                               mesh.y(d)) == 0.0) {
                return true;
            }
        }
    }
    return false;
}

void mark_certain(const MeshInput& mesh, const UnseenRegion& unseen, uint8_t* certain_triangle,
                  uint8_t* certain_hull_edge) {
    const bool all_seen = unseen.count == 0;
    for (size_t t = 0; t < mesh.triangle_count; ++t) {
        bool certain = all_seen;
        if (!certain) {
            const uint32_t a = mesh.vertex(t, 0), b = mesh.vertex(t, 1), c = mesh.vertex(t, 2);
            certain = circumdisk_misses(mesh.x(a), mesh.y(a), mesh.x(b), mesh.y(b), mesh.x(c), mesh.y(c), unseen) &&
                      !has_fourth_point_on_circle(mesh, t);
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
