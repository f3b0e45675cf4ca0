// Exact evaluation of the orientation and in-circle determinants, reached when
// the floating-point filter in exact_predicates.hpp cannot decide the sign.
//
// Three regimes:
//  1. Coordinates whose set bits all lie in a window of binary exponents where
//     no product of the expansion arithmetic can overflow or fall below the
//     smallest subnormal: the sign is found in adaptive stages (see
//     adaptive_stages.cpp), the last of which computes the determinant
//     exactly: for the orientation as an expansion (error-free sums and
//     products of the exactly represented coordinate differences) whose
//     largest component gives the sign, for the in-circle test as a wide
//     integer (as in 3), which needs far less stack than its expansion.
//  2. Coordinates that fit such a window after scaling all of them by one
//     power of two (exact, and it scales the determinant by a positive power
//     of two, which keeps its sign): scaled, then as in 1.
//  3. Coordinates spread over more orders of magnitude than the window: the
//     floating-point filter on the coordinates scaled below 1, with each
//     point as the translation point in turn, and where that cannot decide,
//     the determinant as a sum of products of the coordinates in a wide
//     integer (every product of doubles is an integer multiple of 2^-4296).
#include "engine/exact/exact_predicates.hpp"

#include <cstddef>
#include <cmath>
#include <cstdint>
#include <limits>

#include "engine/exact/double_bits.hpp"
#include "engine/exact/exact_stages.hpp"

namespace d2d::exact_detail {

namespace {

// Binary exponents of the highest and of the lowest set bit over a set of
// finite doubles (zeros have no set bit and are skipped).
struct BitSpan {
    int lowest = 0;
    int highest = 0;
    bool nonzero = false;

    void include(double x) {
        if (x == 0.0) return;
        const int low = lowest_set_bit(x);
        const int high = highest_set_bit(x);
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
    // Every nonzero double whose magnitude lies in [least, most) has all its
    // set bits in the window: its lowest bit is at most 52 places below its
    // highest.
    double least;
    double most;
};
constexpr Window kOrientWindow{-537, 500, 0x1p-485, 0x1p501};
constexpr Window kInCircleWindow{-268, 240, 0x1p-216, 0x1p241};

// Whether every coordinate is zero or of a magnitude whose bits all lie in
// the window (NaN and infinities are not).
template <size_t N>
bool plainly_inside(const double (&c)[N], Window window) {
    for (const double v : c) {
        const double magnitude = std::fabs(v);
        if (!(magnitude == 0.0 || (magnitude >= window.least && magnitude < window.most))) return false;
    }
    return true;
}

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

double orient_rounded(double ax, double ay, double bx, double by, double cx, double cy) {
    return (ax - cx) * (by - cy) - (ay - cy) * (bx - cx);
}

double incircle_rounded(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    const double adx = ax - dx, ady = ay - dy, bdx = bx - dx, bdy = by - dy, cdx = cx - dx, cdy = cy - dy;
    return (adx * adx + ady * ady) * (bdx * cdy - cdx * bdy) + (bdx * bdx + bdy * bdy) * (cdx * ady - adx * cdy) +
           (cdx * cdx + cdy * cdy) * (adx * bdy - bdx * ady);
}

// The choice of regime, the same for both determinants of `degree` in the
// coordinates c: with a non-finite coordinate, the plain rounded value;
// coordinates spread too far for the window, the filter on scaled
// coordinates and then the wide-integer sign; the rest scaled into the
// window by a power of two, evaluated there, and the value scaled back.
template <size_t N, class Rounded, class SpreadSign, class WideSign, class Adaptive>
double evaluate_slow(double (&c)[N], Window window, int degree, Rounded rounded, SpreadSign spread_sign,
                     WideSign wide_sign, Adaptive adaptive) {
    // The usual case: coordinates of moderate magnitude need no shift, and
    // no bit of them needs to be found.
    if (plainly_inside(c, window)) return adaptive();
    BitSpan span;
    for (const double v : c) {
        if (!std::isfinite(v)) return rounded();
        span.include(v);
    }
    if (!span.nonzero) return 0.0;
    int shift = 0;
    if (!choose_shift(span, window, shift)) {
        double scaled[N];
        for (size_t i = 0; i < N; ++i) scaled[i] = std::ldexp(c[i], -(span.highest + 1));
        const int sign = spread_sign(scaled);
        return with_sign(sign != 0 ? sign : wide_sign(), rounded());
    }
    if (shift != 0) {
        for (double& v : c) v = std::ldexp(v, shift);
    }
    return scale_back(adaptive(), -degree * shift);
}

}  // namespace

double orient2d_slow(double ax, double ay, double bx, double by, double cx, double cy) {
    double c[6] = {ax, ay, bx, by, cx, cy};
    return evaluate_slow(
        c, kOrientWindow, 2, [&] { return orient_rounded(ax, ay, bx, by, cx, cy); }, orient_spread_sign,
        [&] { return orient_wide_sign(c); },
        [&] { return orient_adaptive(c[0], c[1], c[2], c[3], c[4], c[5]); });
}

double incircle_slow(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    double c[8] = {ax, ay, bx, by, cx, cy, dx, dy};
    return evaluate_slow(
        c, kInCircleWindow, 4, [&] { return incircle_rounded(ax, ay, bx, by, cx, cy, dx, dy); },
        incircle_spread_sign, [&] { return incircle_wide_sign(c); },
        [&] { return incircle_adaptive(c[0], c[1], c[2], c[3], c[4], c[5], c[6], c[7]); });
}

}  // namespace d2d::exact_detail
