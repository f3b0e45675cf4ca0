// Exact evaluation of the orientation and in-circle determinants, reached when
// the floating-point filter in exact_predicates.hpp cannot decide the sign.
//
// Three regimes:
//  1. Coordinates whose set bits all lie in a window of binary exponents where
//     no product of the expansion arithmetic can overflow or fall below the
//     smallest subnormal: the determinant is computed as an exact expansion
//     (error-free sums and products of the exactly represented coordinate
//     differences) and its largest component gives the sign.
//  2. Coordinates that fit such a window after scaling all of them by one
//     power of two (exact, and it scales the determinant by a positive power
//     of two, which keeps its sign): scaled, then as in 1.
//  3. Coordinates spread over more orders of magnitude than the window: the
//     determinant is evaluated with wide integers (every double is an integer
//     multiple of the lowest set bit among the inputs).
#include "line/exact_predicates.hpp"

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "line/expansion_arithmetic.hpp"
#include "line/wide_integer.hpp"

namespace d2d::exact_detail {

namespace {

namespace ex = d2d::expansion;

// Binary exponents of the highest and of the lowest set bit over a set of
// finite doubles (zeros have no set bit and are skipped).
struct BitSpan {
    int lowest = 0;
    int highest = 0;
    bool nonzero = false;

    void include(double x) {
        if (x == 0.0) return;
        const auto bits = std::bit_cast<std::uint64_t>(x);
        const int field = static_cast<int>((bits >> 52) & 0x7ff);
        std::uint64_t mantissa = bits & ((std::uint64_t{1} << 52) - 1);
        int exponent = -1074;  // of the mantissa's lowest bit
        if (field != 0) {
            mantissa |= std::uint64_t{1} << 52;
            exponent = field - 1075;
        }
        const int low = exponent + std::countr_zero(mantissa);
        const int high = exponent + 63 - std::countl_zero(mantissa);
        if (!nonzero || low < lowest) lowest = low;
        if (!nonzero || high > highest) highest = high;
        nonzero = true;
    }
};

// Exponent window for the set bits of the coordinates within which the
// expansion arithmetic of a determinant is exact.
//  Orientation (degree 2): products of coordinate differences are multiples
//  of 2^(2 * lowest) >= 2^-1074, and with |coordinate| < 2^501 every factor is
//  below 2^503 (so Dekker's split cannot overflow) and every partial sum below
//  2^1010.
//  In-circle (degree 4): terms are multiples of 2^(4 * lowest) >= 2^-1072;
//  with |coordinate| < 2^241 the lifted values and 2x2 minors are below 2^490
//  and the terms below 2^990.
struct Window {
    int lowest;
    int highest;
};
constexpr Window kOrientWindow{-537, 500};
constexpr Window kInCircleWindow{-268, 240};

// The power of two 2^shift that moves every set bit into the window, or false
// when the coordinates are too spread out for that.
bool choose_shift(const BitSpan& span, Window window, int& shift) {
    if (span.highest - span.lowest > window.highest - window.lowest) return false;
    shift = 0;
    if (span.lowest < window.lowest) {
        shift = window.lowest - span.lowest;
    } else if (span.highest > window.highest) {
        shift = window.highest - span.highest;
    }
    return true;
}

// v * 2^exponent, never rounded to zero when v is not zero (the sign is the
// result that counts).
double scale_back(double v, int exponent) {
    if (v == 0.0 || exponent == 0) return v;
    const double r = std::ldexp(v, exponent);
    if (r == 0.0) return std::copysign(std::numeric_limits<double>::denorm_min(), v);
    return r;
}

// A value with the given sign (-1, 0, 1), using the rounded approximation for
// the magnitude when it is usable.
double with_sign(int sign, double approximation) {
    if (sign == 0) return 0.0;
    const double magnitude = std::fabs(approximation);
    const double m = (magnitude > 0.0 && !std::isnan(magnitude)) ? magnitude : std::numeric_limits<double>::denorm_min();
    return sign > 0 ? m : -m;
}

double orient_rounded(double ax, double ay, double bx, double by, double cx, double cy) {
    return (ax - cx) * (by - cy) - (ay - cy) * (bx - cx);
}

double incircle_rounded(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    const double adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx, cdy = cy - dy;
    return (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) + (bdx * bdx + bdy * bdy) * (cdx * ady - adx * cdy) +
           (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
}

// Exact (ax - cx)(by - cy) - (ay - cy)(bx - cx) for coordinates inside the
// orientation window; returns an approximation with the exact sign.
double orient_expansion(double ax, double ay, double bx, double by, double cx, double cy) {
    double acx[2], bcx[2], acy[2], bcy[2];
    const int acx_n = ex::diff_expansion(ax, cx, acx);
    const int bcx_n = ex::diff_expansion(bx, cx, bcx);
    const int acy_n = ex::diff_expansion(ay, cy, acy);
    const int bcy_n = ex::diff_expansion(by, cy, bcy);
    double left[8], right[8], det[16];
    const int left_n = ex::product(acx_n, acx, bcy_n, bcy, left);
    const int right_n = ex::product(acy_n, acy, bcx_n, bcx, right);
    ex::negate(right_n, right);
    const int det_n = ex::sum(left_n, left, right_n, right, det);
    return ex::estimate(det_n, det);
}

// Exact x1 * y2 - x2 * y1 of four 2-component expansions, at most 16 components.
int minor_expansion(int x1n, const double* x1, int y2n, const double* y2, int x2n, const double* x2, int y1n,
                    const double* y1, double* h) {
    double first[8], second[8];
    const int first_n = ex::product(x1n, x1, y2n, y2, first);
    const int second_n = ex::product(x2n, x2, y1n, y1, second);
    ex::negate(second_n, second);
    return ex::sum(first_n, first, second_n, second, h);
}

// Exact x^2 + y^2 of two 2-component expansions, at most 16 components.
int lift_expansion(int xn, const double* x, int yn, const double* y, double* h) {
    double xx[8], yy[8];
    const int xx_n = ex::product(xn, x, xn, x, xx);
    const int yy_n = ex::product(yn, y, yn, y, yy);
    return ex::sum(xx_n, xx, yy_n, yy, h);
}

// Exact in-circle determinant for coordinates inside the in-circle window.
double incircle_expansion(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    double adx[2], ady[2], bdx[2], bdy[2], cdx[2], cdy[2];
    const int adx_n = ex::diff_expansion(ax, dx, adx);
    const int ady_n = ex::diff_expansion(ay, dy, ady);
    const int bdx_n = ex::diff_expansion(bx, dx, bdx);
    const int bdy_n = ex::diff_expansion(by, dy, bdy);
    const int cdx_n = ex::diff_expansion(cx, dx, cdx);
    const int cdy_n = ex::diff_expansion(cy, dy, cdy);

    double a_lift[16], b_lift[16], c_lift[16];
    const int a_lift_n = lift_expansion(adx_n, adx, ady_n, ady, a_lift);
    const int b_lift_n = lift_expansion(bdx_n, bdx, bdy_n, bdy, b_lift);
    const int c_lift_n = lift_expansion(cdx_n, cdx, cdy_n, cdy, c_lift);

    double bc[16], ca[16], ab[16];
    const int bc_n = minor_expansion(bdx_n, bdx, cdy_n, cdy, cdx_n, cdx, bdy_n, bdy, bc);
    const int ca_n = minor_expansion(cdx_n, cdx, ady_n, ady, adx_n, adx, cdy_n, cdy, ca);
    const int ab_n = minor_expansion(adx_n, adx, bdy_n, bdy, bdx_n, bdx, ady_n, ady, ab);

    double a_term[512], b_term[512], c_term[512];
    const int a_term_n = ex::product(a_lift_n, a_lift, bc_n, bc, a_term);
    const int b_term_n = ex::product(b_lift_n, b_lift, ca_n, ca, b_term);
    const int c_term_n = ex::product(c_lift_n, c_lift, ab_n, ab, c_term);

    double ab_sum[1024], det[1536];
    const int ab_sum_n = ex::sum(a_term_n, a_term, b_term_n, b_term, ab_sum);
    const int det_n = ex::sum(ab_sum_n, ab_sum, c_term_n, c_term, det);
    return ex::estimate(det_n, det);
}

int orient_wide_sign(const double* c, int unit) {
    const WideInteger ax = WideInteger::from_double(c[0], unit), ay = WideInteger::from_double(c[1], unit);
    const WideInteger bx = WideInteger::from_double(c[2], unit), by = WideInteger::from_double(c[3], unit);
    const WideInteger cx = WideInteger::from_double(c[4], unit), cy = WideInteger::from_double(c[5], unit);
    return ((ax - cx) * (by - cy) - (ay - cy) * (bx - cx)).sign();
}

int incircle_wide_sign(const double* c, int unit) {
    WideInteger v[8];
    for (int i = 0; i < 8; ++i) v[i] = WideInteger::from_double(c[i], unit);
    const WideInteger adx = v[0] - v[6], ady = v[1] - v[7];
    const WideInteger bdx = v[2] - v[6], bdy = v[3] - v[7];
    const WideInteger cdx = v[4] - v[6], cdy = v[5] - v[7];
    const WideInteger det = (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) +
                            (bdx * bdx + bdy * bdy) * (cdx * ady - adx * cdy) +
                            (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
    return det.sign();
}

}  // namespace

double orient2d_slow(double ax, double ay, double bx, double by, double cx, double cy) {
    double c[6] = {ax, ay, bx, by, cx, cy};
    BitSpan span;
    for (const double v : c) {
        if (!std::isfinite(v)) return orient_rounded(ax, ay, bx, by, cx, cy);
        span.include(v);
    }
    if (!span.nonzero) return 0.0;
    int shift = 0;
    if (!choose_shift(span, kOrientWindow, shift)) {
        return with_sign(orient_wide_sign(c, span.lowest), orient_rounded(ax, ay, bx, by, cx, cy));
    }
    if (shift != 0) {
        for (double& v : c) v = std::ldexp(v, shift);
    }
    const double scaled = orient_expansion(c[0], c[1], c[2], c[3], c[4], c[5]);
    return scale_back(scaled, -2 * shift);
}

double incircle_slow(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    double c[8] = {ax, ay, bx, by, cx, cy, dx, dy};
    BitSpan span;
    for (const double v : c) {
        if (!std::isfinite(v)) return incircle_rounded(ax, ay, bx, by, cx, cy, dx, dy);
        span.include(v);
    }
    if (!span.nonzero) return 0.0;
    int shift = 0;
    if (!choose_shift(span, kInCircleWindow, shift)) {
        return with_sign(incircle_wide_sign(c, span.lowest), incircle_rounded(ax, ay, bx, by, cx, cy, dx, dy));
    }
    if (shift != 0) {
        for (double& v : c) v = std::ldexp(v, shift);
    }
    const double scaled = incircle_expansion(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]);
    return scale_back(scaled, -4 * shift);
}

}  // namespace d2d::exact_detail
