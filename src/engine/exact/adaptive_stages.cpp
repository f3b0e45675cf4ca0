// The adaptive stages of the exact predicates for coordinates inside a
// window where expansion arithmetic can neither overflow nor underflow.
#include <cmath>
#include <limits>

#include "engine/exact/error_bounds.hpp"
#include "engine/exact/exact_predicates.hpp"
#include "engine/exact/exact_stages.hpp"
#include "engine/exact/expansion_arithmetic.hpp"

namespace d2d::exact_detail {
namespace {

namespace ex = d2d::expansion;

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

// Adaptive stages (after Shewchuk, "Adaptive Precision Floating-Point
// Arithmetic and Fast Robust Geometric Predicates", 1997).
//
// Each coordinate difference is taken as its rounded value r plus its exact
// roundoff t (Two-Diff), |t| <= eps * |r| with eps = 2^-53. Stage B evaluates
// the determinant of the rounded differences exactly, as a short expansion;
// stage C adds the terms of first order in the roundoffs, evaluated in plain
// floating point; the full exact evaluation runs only when neither settles
// the sign. When no difference rounds, stage B is already exact.
//
// The in-circle test first tries a cheaper stage in front of stage B (and
// then uses stage B only for its exact value, not for a decision): the
// exact expansion of stage B has up to 96 components, and it is what points
// on or near a circle would pay on almost every call (nearby coordinates of
// similar magnitude have exact differences, so stage B is reached with
// nothing for stage C to add). The double-length stage writes each lift
// adx^2 + ady^2 and each minor bdx cdy - cdx bdy of the rounded differences
// as hi + lo, hi the rounded value and lo its roundoff computed from the
// exact products (two_product, Two-Sum) and summed in floating point; then it
// takes the sum over the rows of lift.hi * minor.hi exactly (6 components),
// plus lift.hi * minor.lo + lift.lo * minor.hi and the first-order terms of
// stage C in floating point. Its error is of second order in eps relative to
// the permanent, like stage C's, so it settles nearly every call that stage B
// or C would.
//
// Every bound the stages decide by, and its derivation, is in
// error_bounds.hpp.

// Whether the value of the expansion e lies farther from zero than bound
// (bound >= 0), decided exactly; sets sign to its sign when it does.
template <size_t E>
bool exceeds(int elen, const double (&e)[E], double bound, int& sign) {
    const int s = ex::sign(elen, e);
    if (s == 0) return false;
    if (bound == 0.0) {
        sign = s;
        return true;
    }
    double shifted[E + 1];
    const double toward_zero[1] = {s > 0 ? -bound : bound};
    const int shifted_n = ex::sum(elen, e, 1, toward_zero, shifted);
    if (ex::sign(shifted_n, shifted) != s) return false;
    sign = s;
    return true;
}

// Exact x1 * y2 - x2 * y1 of four doubles.
int rounded_minor(double x1, double y2, double x2, double y1, double (&h)[4]) {
    double first[2], second[2];
    const int first_n = ex::product_expansion(x1, y2, first);
    const int second_n = ex::product_expansion(x2, y1, second);
    ex::negate(second_n, second);
    return ex::sum(first_n, first, second_n, second, h);
}

// Exact x^2 + y^2 of two doubles.
int rounded_lift(double x, double y, double (&h)[4]) {
    double xx[2], yy[2];
    const int xx_n = ex::product_expansion(x, x, xx);
    const int yy_n = ex::product_expansion(y, y, yy);
    return ex::sum(xx_n, xx, yy_n, yy, h);
}

}  // namespace

// The orientation determinant by stages B, C and the full expansion, for
// coordinates inside the orientation window.
double orient_adaptive(double ax, double ay, double bx, double by, double cx, double cy) {
    double acx, acx_tail, bcx, bcx_tail, acy, acy_tail, bcy, bcy_tail;
    ex::two_diff(ax, cx, acx, acx_tail);
    ex::two_diff(bx, cx, bcx, bcx_tail);
    ex::two_diff(ay, cy, acy, acy_tail);
    ex::two_diff(by, cy, bcy, bcy_tail);

    // Stage B: (acx bcy - acy bcx) exactly.
    double b[4];
    const int b_n = rounded_minor(acx, bcy, acy, bcx, b);
    if (acx_tail == 0.0 && bcx_tail == 0.0 && acy_tail == 0.0 && bcy_tail == 0.0) return ex::estimate(b_n, b);

    const double permanent = std::fabs(acx * bcy) + std::fabs(acy * bcx);
    if (permanent >= kStageMinimumPermanent) {
        int sign = 0;
        if (exceeds(b_n, b, kOrientStageB * permanent, sign)) return with_sign(sign, ex::estimate(b_n, b));

        // Stage C: plus the first-order terms of the roundoffs.
        const double first_order = (acx * bcy_tail + acx_tail * bcy) - (acy * bcx_tail + acy_tail * bcx);
        const double first_order_part[1] = {first_order};
        double c[5];
        const int c_n = ex::sum(b_n, b, 1, first_order_part, c);
        if (exceeds(c_n, c, kOrientStageC * permanent, sign)) return with_sign(sign, ex::estimate(c_n, c));
    }
    return orient_expansion(ax, ay, bx, by, cx, cy);
}

namespace {

// x^2 + y^2 as hi + lo in double length: two_product of each square, Two-Sum
// of the rounded squares, the three roundoffs added in floating point. hi is
// the rounded x * x + y * y.
struct DoubleLength {
    double hi;
    double lo;
};

DoubleLength lift_double_length(double x, double y) {
    double xx, xx_err, yy, yy_err, hi, hi_err;
    ex::two_product(x, x, xx, xx_err);
    ex::two_product(y, y, yy, yy_err);
    ex::two_sum(xx, yy, hi, hi_err);
    return {hi, (hi_err + xx_err) + yy_err};
}

// x1 * y2 - x2 * y1 as hi + lo in double length; hi is the rounded
// difference of the rounded products, and the rounded products are stored
// in first and second.
DoubleLength minor_double_length(double x1, double y2, double x2, double y1, double& first, double& second) {
    double first_err, second_err, hi, hi_err;
    ex::two_product(x1, y2, first, first_err);
    ex::two_product(x2, y1, second, second_err);
    ex::two_diff(first, second, hi, hi_err);
    return {hi, (hi_err + first_err) - second_err};
}

}  // namespace

// The in-circle determinant by stages, for coordinates inside the in-circle
// window: the double-length stage, stages B and C and the full expansion.
double incircle_adaptive(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy) {
    double adx, adx_tail, ady, ady_tail, bdx, bdx_tail, bdy, bdy_tail, cdx, cdx_tail, cdy, cdy_tail;
    ex::two_diff(ax, dx, adx, adx_tail);
    ex::two_diff(ay, dy, ady, ady_tail);
    ex::two_diff(bx, dx, bdx, bdx_tail);
    ex::two_diff(by, dy, bdy, bdy_tail);
    ex::two_diff(cx, dx, cdx, cdx_tail);
    ex::two_diff(cy, dy, cdy, cdy_tail);
    const bool exact_differences = adx_tail == 0.0 && ady_tail == 0.0 && bdx_tail == 0.0 && bdy_tail == 0.0 &&
                                   cdx_tail == 0.0 && cdy_tail == 0.0;

    double bdx_cdy, cdx_bdy, cdx_ady, adx_cdy, adx_bdy, bdx_ady;
    const DoubleLength bc_minor = minor_double_length(bdx, cdy, cdx, bdy, bdx_cdy, cdx_bdy);
    const DoubleLength ca_minor = minor_double_length(cdx, ady, adx, cdy, cdx_ady, adx_cdy);
    const DoubleLength ab_minor = minor_double_length(adx, bdy, bdx, ady, adx_bdy, bdx_ady);
    const DoubleLength a_lift = lift_double_length(adx, ady);
    const DoubleLength b_lift = lift_double_length(bdx, bdy);
    const DoubleLength c_lift = lift_double_length(cdx, cdy);
    const double permanent = (std::fabs(bdx_cdy) + std::fabs(cdx_bdy)) * a_lift.hi +
                             (std::fabs(cdx_ady) + std::fabs(adx_cdy)) * b_lift.hi +
                             (std::fabs(adx_bdy) + std::fabs(bdx_ady)) * c_lift.hi;
    const bool stages_safe = permanent >= kStageMinimumPermanent;

    // The terms of first order in the roundoffs of the differences. For the
    // row of a: lift_a * d(minor_bc) + 2 (adx adx_tail + ady ady_tail) minor_bc.
    double first_order = 0.0;
    if (!exact_differences && stages_safe) {
        const double bc_first = (bdx * cdy_tail + bdx_tail * cdy) - (cdx * bdy_tail + cdx_tail * bdy);
        const double ca_first = (cdx * ady_tail + cdx_tail * ady) - (adx * cdy_tail + adx_tail * cdy);
        const double ab_first = (adx * bdy_tail + adx_tail * bdy) - (bdx * ady_tail + bdx_tail * ady);
        const double a_lift_first = adx * adx_tail + ady * ady_tail;
        const double b_lift_first = bdx * bdx_tail + bdy * bdy_tail;
        const double c_lift_first = cdx * cdx_tail + cdy * cdy_tail;
        const double a_first = a_lift.hi * bc_first + 2.0 * (a_lift_first * bc_minor.hi);
        const double b_first = b_lift.hi * ca_first + 2.0 * (b_lift_first * ca_minor.hi);
        const double c_first = c_lift.hi * ab_first + 2.0 * (c_lift_first * ab_minor.hi);
        first_order = (a_first + b_first) + c_first;
    }

    int sign = 0;
    if (stages_safe) {
        // Double-length stage: sum over the rows of lift.hi * minor.hi
        // exactly, plus lift.hi * minor.lo + lift.lo * minor.hi and the first
        // order terms in floating point.
        double a_main[2], b_main[2], c_main[2], ab_main[4], main[6], approx[7];
        const int a_main_n = ex::product_expansion(a_lift.hi, bc_minor.hi, a_main);
        const int b_main_n = ex::product_expansion(b_lift.hi, ca_minor.hi, b_main);
        const int c_main_n = ex::product_expansion(c_lift.hi, ab_minor.hi, c_main);
        const int ab_main_n = ex::sum(a_main_n, a_main, b_main_n, b_main, ab_main);
        const int main_n = ex::sum(ab_main_n, ab_main, c_main_n, c_main, main);
        const double second = ((a_lift.hi * bc_minor.lo + a_lift.lo * bc_minor.hi) +
                               (b_lift.hi * ca_minor.lo + b_lift.lo * ca_minor.hi)) +
                              (c_lift.hi * ab_minor.lo + c_lift.lo * ab_minor.hi);
        const double correction[1] = {second + first_order};
        const int approx_n = ex::sum(main_n, main, 1, correction, approx);
        if (exceeds(approx_n, approx, kInCircleStageDoubleLength * permanent, sign)) {
            return with_sign(sign, ex::estimate(approx_n, approx));
        }
    }

    // Stage B: the determinant of the rounded differences exactly.
    double bc[4], ca[4], ab[4], a_lift_exact[4], b_lift_exact[4], c_lift_exact[4];
    const int bc_n = rounded_minor(bdx, cdy, cdx, bdy, bc);
    const int ca_n = rounded_minor(cdx, ady, adx, cdy, ca);
    const int ab_n = rounded_minor(adx, bdy, bdx, ady, ab);
    const int a_lift_n = rounded_lift(adx, ady, a_lift_exact);
    const int b_lift_n = rounded_lift(bdx, bdy, b_lift_exact);
    const int c_lift_n = rounded_lift(cdx, cdy, c_lift_exact);
    double a_term[32], b_term[32], c_term[32], ab_sum[64];
    double b[96];
    const int a_term_n = ex::product(a_lift_n, a_lift_exact, bc_n, bc, a_term);
    const int b_term_n = ex::product(b_lift_n, b_lift_exact, ca_n, ca, b_term);
    const int c_term_n = ex::product(c_lift_n, c_lift_exact, ab_n, ab, c_term);
    const int ab_sum_n = ex::sum(a_term_n, a_term, b_term_n, b_term, ab_sum);
    const int b_n = ex::sum(ab_sum_n, ab_sum, c_term_n, c_term, b);
    if (exact_differences) return ex::estimate(b_n, b);

    // Stage B alone cannot decide here: its error bound (about 4 eps P) is
    // far wider than that of the double-length stage, which already failed.
    if (stages_safe) {
        // Stage C: plus the first-order terms.
        const double first_order_part[1] = {first_order};
        double c[97];
        const int c_n = ex::sum(b_n, b, 1, first_order_part, c);
        if (exceeds(c_n, c, kInCircleStageC * permanent, sign)) return with_sign(sign, ex::estimate(c_n, c));
    }
    // The last resort is the wide integer rather than the full expansion of
    // the differences: that expansion needs fixed arrays of about 34 KiB
    // (terms of up to 512 components), more than a small host-thread stack
    // holds, while the wide integer takes about 2 KiB. Calls get here only
    // when the differences round and even stage C cannot decide, which is
    // rare enough that its extra cost does not show.
    const double c[8] = {ax, ay, bx, by, cx, cy, dx, dy};
    const double approximation = ex::estimate(b_n, b) + first_order;
    return with_sign(incircle_wide_sign(c), approximation);
}

}  // namespace d2d::exact_detail
