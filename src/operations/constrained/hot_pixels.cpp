// Whether a segment passes through the hot pixel of a point: the closed box
// of the points that round to it.
//
// The box of h reaches half the gap to the neighbouring double on each
// side; at a power of two the gap below is half the gap above, so h is not
// always the box's centre:
//
//       hy + gy+/2 +-----------+
//                  |           |
//               hy |     h     |        gx-, gx+: hx minus the double
//                  |           |        below it, the double above it
//       hy - gy-/2 +-----------+        minus hx (powers of two, exact)
//              hx - gx-/2   hx + gx+/2
//
// The segment meets the box when their bounding boxes meet and the
// segment's line has box corners on both sides (or one on it). Since no
// double lies strictly between hx and hx + gx+/2, a segment's x range
// reaches the box exactly when it reaches hx: the first test is plain
// comparisons. The second is the sign of the orientation at the two
// corners farthest from the line on either side, each of the form
//
//     dX * (hy + ey - ay) - dY * (hx + ex - ax),   dX = bx - ax, dY = by - ay
//
// with ex, ey a half gap: a floating-point filter decides nearly always,
// and WideInteger sums the twelve products exactly when it cannot.
#include "operations/constrained/hot_pixels.hpp"

#include <algorithm>
#include <cmath>

#include "engine/exact/error_bounds.hpp"
#include "engine/exact/wide_integer.hpp"

namespace d2d::operations::constrained {
namespace {

constexpr double kEps = exact_detail::kMachineEpsilon;

// The gap from x to the next double away from it in `direction` (+1 or -1);
// past the largest double, the gap of the largest.
double gap(double x, int direction) {
    double next = std::nextafter(x, direction > 0 ? INFINITY : -INFINITY);
    if (!std::isfinite(next)) next = std::nextafter(x, direction > 0 ? -INFINITY : INFINITY);
    return std::fabs(next - x);  // exact: neighbouring doubles
}

// The sign of dX * (hy + sy * gy / 2 - ay) - dY * (hx + sx * gx / 2 - ax).
int corner_sign(const double* a, const double* b, const double* h, double sx, double gx, double sy, double gy) {
    const double dx = b[0] - a[0], dy = b[1] - a[1];
    const double ex = sx * gx * 0.5, ey = sy * gy * 0.5;
    const double tx = h[0] - a[0], ty = h[1] - a[1];
    const double left = dx * (ty + ey), right = dy * (tx + ex);
    const double value = left - right;
    const double permanent = std::fabs(dx) * (std::fabs(ty) + std::fabs(ey)) + std::fabs(dy) * (std::fabs(tx) + std::fabs(ex));
    // Each term is a difference rounded, a sum rounded, a product rounded,
    // and the final difference rounds once more: within 5 eps of its
    // magnitude (8 eps taken). The range keeps products clear of underflow
    // and overflow, and the halved gaps exact.
    if (permanent >= 0x1p-900 && permanent <= 0x1p1000 && gx >= 0x1p-1000 && gy >= 0x1p-1000 &&
        std::fabs(value) > 8.0 * kEps * permanent) {
        return value > 0.0 ? 1 : -1;
    }
    WideInteger sum;
    auto term = [&](double p, double q, bool negative) {
        const double f[2] = {p, q};
        sum.add_product(f, 2, negative);
    };
    auto half_term = [&](double p, double s, double g, bool negative) {
        const double f[3] = {p, g, 0.5};
        sum.add_product(f, 3, s < 0.0 ? !negative : negative);
    };
    // (bx - ax) (hy + ey - ay) - (by - ay) (hx + ex - ax), expanded; the
    // two ax * ay terms cancel.
    term(b[0], h[1], false);
    half_term(b[0], sy, gy, false);
    term(b[0], a[1], true);
    term(a[0], h[1], true);
    half_term(a[0], sy, gy, true);
    term(b[1], h[0], true);
    half_term(b[1], sx, gx, true);
    term(b[1], a[0], false);
    term(a[1], h[0], false);
    half_term(a[1], sx, gx, false);
    return sum.sign();
}

}  // namespace

bool segment_meets_pixel(const double* a, const double* b, const double* h) {
    if ((h[0] == a[0] && h[1] == a[1]) || (h[0] == b[0] && h[1] == b[1])) return true;
    if (h[0] < std::min(a[0], b[0]) || h[0] > std::max(a[0], b[0])) return false;
    if (h[1] < std::min(a[1], b[1]) || h[1] > std::max(a[1], b[1])) return false;
    // A vertical or horizontal segment within those ranges runs through h's
    // own row or column of the box.
    if (a[0] == b[0] || a[1] == b[1]) return true;
    const double below_x = gap(h[0], -1), above_x = gap(h[0], 1);
    const double below_y = gap(h[1], -1), above_y = gap(h[1], 1);
    // The orientation grows with the corner's y when dX > 0 and with its x
    // when dY < 0: the corner of largest value, then of smallest.
    const bool right = b[0] > a[0], up = b[1] > a[1];
    const int most = corner_sign(a, b, h, up ? -1.0 : 1.0, up ? below_x : above_x, right ? 1.0 : -1.0,
                                 right ? above_y : below_y);
    if (most < 0) return false;
    const int least = corner_sign(a, b, h, up ? 1.0 : -1.0, up ? above_x : below_x, right ? -1.0 : 1.0,
                                  right ? below_y : above_y);
    return least <= 0;
}

}  // namespace d2d::operations::constrained
