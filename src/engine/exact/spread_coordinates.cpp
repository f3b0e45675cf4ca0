// The exact predicates for coordinates spread over more binary orders of
// magnitude than any window of the expansion arithmetic holds.
#include <cmath>

#include "engine/exact/error_bounds.hpp"
#include "engine/exact/exact_predicates.hpp"
#include "engine/exact/exact_stages.hpp"
#include "engine/exact/wide_integer.hpp"

namespace d2d::exact_detail {
namespace {

// The determinants as sums of products of the coordinates themselves (no
// differences), in wide integers. The orientation of p, q, r is
// px qy - py qx + qx ry - qy rx + rx py - ry px.
void add_orientation(WideInteger& sum, const double* lift, int lift_count, const double* p, const double* q,
                     const double* r, bool negative) {
    const double* const pairs[3][2] = {{p, q}, {q, r}, {r, p}};
    double f[WideInteger::kMostFactors];
    for (int i = 0; i < lift_count; ++i) f[i] = lift[i];
    for (const auto& pair : pairs) {
        f[lift_count] = pair[0][0];
        f[lift_count + 1] = pair[1][1];
        sum.add_product(f, lift_count + 2, negative);
        f[lift_count] = pair[0][1];
        f[lift_count + 1] = pair[1][0];
        sum.add_product(f, lift_count + 2, !negative);
    }
}

}  // namespace

int orient_wide_sign(const double* c) {
    WideInteger sum;
    add_orientation(sum, nullptr, 0, c, c + 2, c + 4, false);
    return sum.sign();
}

// The in-circle determinant is that of the rows (x, y, x^2 + y^2, 1) of
// a, b, c, d; expanded along the lifted column it is
// lift_a orient(b, c, d) - lift_b orient(a, c, d) + lift_c orient(a, b, d)
// - lift_d orient(a, b, c).
int incircle_wide_sign(const double* c) {
    const double* const a = c;
    const double* const b = c + 2;
    const double* const cc = c + 4;
    const double* const d = c + 6;
    const double* const rows[4][4] = {{a, b, cc, d}, {b, a, cc, d}, {cc, a, b, d}, {d, a, b, cc}};
    WideInteger sum;
    for (int i = 0; i < 4; ++i) {
        const double* const* row = rows[i];
        const bool negative = i % 2 == 1;
        const double x_lift[2] = {row[0][0], row[0][0]};
        const double y_lift[2] = {row[0][1], row[0][1]};
        add_orientation(sum, x_lift, 2, row[1], row[2], row[3], negative);
        add_orientation(sum, y_lift, 2, row[1], row[2], row[3], negative);
    }
    return sum.sign();
}

namespace {

// Coordinates spread wider than a window. Before the wide integers, the
// floating-point filter of exact_predicates.hpp once more, on the
// coordinates scaled by the power of two that brings the largest magnitude
// below 1 (so that nothing overflows), and with each point in turn as the
// one the others are translated to. Translated to a point far from the
// others, the determinant is a small difference of huge terms; translated
// to one of the others, the huge terms do not arise, and the filter decides
// wherever the value is not small against the terms that remain. This
// settles most calls on inputs that mix magnitudes (a triangle of tiny
// points against a distant one, say).
//
// The rounding of that scaling is allowed for by kScaledRoundingAllowance
// (error_bounds.hpp).

int orient_filter_sign(double ax, double ay, double bx, double by, double cx, double cy) {
    const double det_left = (ax - cx) * (by - cy);
    const double det_right = (ay - cy) * (bx - cx);
    const double det = det_left - det_right;
    const double permanent = std::fabs(det_left) + std::fabs(det_right);
    if (!(permanent >= kOrientMinimumPermanent)) return 0;
    const double bound = kOrientBound * permanent + kScaledRoundingAllowance;
    return det > bound ? 1 : (-det > bound ? -1 : 0);
}

int incircle_filter_sign(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    const double adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx, cdy = cy - dy;
    const double bdx_cdy = bdx * cdy, cdx_bdy = cdx * bdy, a_lift = adx * adx + ady * ady;
    const double cdx_ady = cdx * ady, adx_cdy = adx * cdy, b_lift = bdx * bdx + bdy * bdy;
    const double adx_bdy = adx * bdy, bdx_ady = bdx * ady, c_lift = cdx * cdx + cdy * cdy;
    const double det =
        a_lift * (bdx_cdy - cdx_bdy) + b_lift * (cdx_ady - adx_cdy) + c_lift * (adx_bdy - bdx_ady);
    const double permanent = (std::fabs(bdx_cdy) + std::fabs(cdx_bdy)) * a_lift +
                             (std::fabs(cdx_ady) + std::fabs(adx_cdy)) * b_lift +
                             (std::fabs(adx_bdy) + std::fabs(bdx_ady)) * c_lift;
    if (!(permanent >= kInCircleMinimumPermanent)) return 0;
    const double bound = kInCircleBound * permanent + kScaledRoundingAllowance;
    return det > bound ? 1 : (-det > bound ? -1 : 0);
}

}  // namespace

// The orientation is the same for the rows a, b, c in cyclic order; each
// order translates to its last point.
int orient_spread_sign(const double* s) {
    int sign = orient_filter_sign(s[0], s[1], s[2], s[3], s[4], s[5]);
    if (sign == 0) sign = orient_filter_sign(s[2], s[3], s[4], s[5], s[0], s[1]);
    if (sign == 0) sign = orient_filter_sign(s[4], s[5], s[0], s[1], s[2], s[3]);
    return sign;
}

// A cyclic shift of the four rows of the in-circle determinant flips its
// sign; each shift translates to another point.
int incircle_spread_sign(const double* s) {
    int sign = incircle_filter_sign(s[0], s[1], s[2], s[3], s[4], s[5], s[6], s[7]);
    if (sign == 0) sign = -incircle_filter_sign(s[2], s[3], s[4], s[5], s[6], s[7], s[0], s[1]);
    if (sign == 0) sign = incircle_filter_sign(s[4], s[5], s[6], s[7], s[0], s[1], s[2], s[3]);
    if (sign == 0) sign = -incircle_filter_sign(s[6], s[7], s[0], s[1], s[2], s[3], s[4], s[5]);
    return sign;
}

}  // namespace d2d::exact_detail
