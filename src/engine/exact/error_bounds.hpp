// Every error bound of the exact predicates, with its derivation.
//
// The predicates decide the sign of a determinant in stages, each cheaper
// than the next; a stage may decide only where the value it computed lies
// farther from zero than the bound on its error. There are three kinds of
// stage, and their bounds are all here:
//   1. the floating-point filter (exact_predicates.hpp), inline, taken on
//      nearly every call;
//   2. the adaptive stages B, C and the double-length stage
//      (adaptive_stages.cpp), for coordinates inside a window where the
//      expansion arithmetic is exact;
//   3. the filter again on coordinates scaled below 1
//      (spread_coordinates.cpp), for coordinates spread wider than a window.
// Throughout, eps is kMachineEpsilon, the unit roundoff of doubles: a
// rounded sum, difference or product of doubles is (1 + e) times the exact
// one with |e| <= eps, unless it lands in the subnormal range.
#ifndef DELAUNAY2D_ENGINE_EXACT_ERROR_BOUNDS_HPP
#define DELAUNAY2D_ENGINE_EXACT_ERROR_BOUNDS_HPP

namespace d2d::exact_detail {

// eps: half an ulp of 1.0.
inline constexpr double kMachineEpsilon = 0x1p-53;

// ---------------------------------------------------------------- 1. filter
//
// The filter evaluates the determinant of the coordinate differences in
// floating point, det, and its permanent P (the same expression with every
// product replaced by its absolute value), and decides when |det| > bound * P.
// Shewchuk's analysis ("Adaptive Precision Floating-Point Arithmetic and
// Fast Robust Geometric Predicates", 1997) gives |det - exact| <=
// (3 eps + 16 eps^2) P for the orientation (each difference, product and the
// final difference rounds once: three factors (1 + e) on every term, and the
// computed P is itself within those factors) and (10 eps + 96 eps^2) P for
// the in-circle test (a tree of depth ten over the lifted rows). Those hold
// when nothing underflows. The bounds below are larger by 8 eps^2 P and
// 16 eps^2 P: that margin takes the absolute error, at most 2^-1075 each, of
// products that land in the subnormal range (sums and differences of doubles
// never lose anything to underflow). For the orientation two products can
// underflow, 2^-1074 in all, which is below 2^-174 P once P is at least
// kOrientMinimumPermanent: far inside the margin of 2^-103 P. In the
// in-circle test an underflow reaches the determinant multiplied by a lift
// or a minor, so the filter also requires the lifts to sum to at most
// kInCircleMaximumLift and P to be at least kInCircleMinimumPermanent, which
// keeps those absolute errors far below the margin of 2^-102 P. Below those
// minimums (and above the largest lift) the filter does not decide; the
// exact evaluation does.
inline constexpr double kOrientBound = (3.0 + 24.0 * kMachineEpsilon) * kMachineEpsilon;
inline constexpr double kInCircleBound = (10.0 + 112.0 * kMachineEpsilon) * kMachineEpsilon;
inline constexpr double kOrientMinimumPermanent = 0x1p-900;
inline constexpr double kInCircleMinimumPermanent = 0x1p-800;
inline constexpr double kInCircleMaximumLift = 0x1p100;

// ------------------------------------------------------- 2. adaptive stages
//
// Each coordinate difference is its rounded value r plus its exact roundoff
// t (|t| <= eps |r|). Stage B evaluates the determinant of the r's exactly,
// stage C adds the terms of first order in the t's, the double-length stage
// of the in-circle test writes each lift and minor as hi + lo (see
// adaptive_stages.cpp). Let P be the permanent of the rounded differences (the sum of
// the absolute values of all monomials of the determinant in them; for the
// orientation |acx bcy| + |acy bcx|) and d the degree (2 or 4). Every
// monomial of the exact determinant is a monomial of the rounded one times a
// product of d factors (1 + t/r), each within eps of 1, so
//  - stage B: |exact - B| <= ((1 + eps)^d - 1) P
//             (2 eps + eps^2) P for the orientation (decided with that bound);
//             for the in-circle test (4 eps + 7 eps^2) P, wider than the
//             double-length stage's below, so there it only supplies B;
//  - stage C: the terms of second and higher order in the roundoffs sum to at
//             most ((1 + eps)^d - 1 - d eps) P (eps^2 P, resp.
//             (6 eps^2 + 5 eps^3) P). The first-order terms have absolute
//             values summing to at most d eps P, and their floating-point
//             evaluation, an expression tree of depth k (3, resp. 7) with no
//             underflow error (see below), is within gamma_k = k eps / (1 - k eps)
//             of that sum: (6 eps^2 + 20 eps^3) P, resp. (28 eps^2 + 200 eps^3) P.
//             Stage C adds the rounded first-order sum to the expansion B
//             exactly, so no rounding of the total enters: |exact - C| <=
//             (7 eps^2 + 20 eps^3) P, resp. (34 eps^2 + 205 eps^3) P.
//  - double-length stage: with L the exact lift and M the exact minor of the
//             rounded differences of one row, and Lam = |xx| + |yy|,
//             mu = |first| + |second| the sums of the rounded products they
//             come from: |L - hi - lo| <= gamma_2 (2 eps + eps^2) Lam, about
//             4 eps^2 Lam, and |lo| is about 2 eps Lam; the same for M with
//             mu. So L M - hi_L hi_M - (hi_L lo_M + lo_L hi_M) is at most about
//             12 eps^2 Lam mu (lo_L lo_M and the two neglected remainders). The
//             floating-point sum of the second-order products (depth 5 in the
//             final sum, abs-sum at most about 4 eps Lam mu per row) and of the
//             first-order terms (depth 8, abs-sum at most 4 eps P) adds at most
//             about 20 eps^2 and 32 eps^2 times P, as Lam mu over the rows
//             sums to at most (1 + eps)^2 P; with the (6 eps^2) P of the
//             higher-order roundoff terms the total is about 70 eps^2 P, plus
//             terms of order eps^3 P. The constant 96 eps^2 covers it together
//             with the factors of the computed permanent below (the margin of
//             more than 20 eps^2 is far above any eps^3 term).
// The permanent itself is computed in floating point from nonnegative terms
// along a tree of depth 2 (orientation) or 5 (in-circle), so the computed
// value is at least P / (1 + eps)^2, resp. P / (1 + eps)^5, and the product
// bound * permanent loses one more factor (1 + eps). The constants below
// cover the bounds above times those factors, with margin. A stage decides
// only when its expansion exceeds the bound in magnitude, which is tested
// exactly (the bound is subtracted from or added to the expansion).
//
// Range. Inside the windows (exact_predicates.cpp) every rounded difference,
// roundoff and floating-point product of them is a multiple of 2^-1074 (degree 2 of
// multiples of 2^-537, degree 4 of multiples of 2^-268), so products that land
// in the subnormal range are exact and sums never lose anything to
// underflow; nothing overflows. Only the final product of a bound constant
// with the permanent could underflow, so the stages run only when the
// permanent is at least kStageMinimumPermanent; below that the full exact
// evaluation decides.
inline constexpr double kOrientStageB = (2.0 + 16.0 * kMachineEpsilon) * kMachineEpsilon;
inline constexpr double kOrientStageC = (8.0 + 64.0 * kMachineEpsilon) * kMachineEpsilon * kMachineEpsilon;
inline constexpr double kInCircleStageC = (34.0 + 512.0 * kMachineEpsilon) * kMachineEpsilon * kMachineEpsilon;
inline constexpr double kInCircleStageDoubleLength = 96.0 * kMachineEpsilon * kMachineEpsilon;
inline constexpr double kStageMinimumPermanent = 0x1p-800;

// ------------------------------------------------ 3. spread coordinates
//
// Coordinates spread wider than a window are scaled by the power of two
// that brings the largest magnitude below 1, and the filter of section 1 runs
// on them once more, with this allowance added to its bound. The scaling
// rounds a coordinate that falls below 2^-1022 by at most
// 2^-1075. For coordinates in [-1, 1] that moves the orientation
// determinant by at most 16 times that (differences below 2, each moved by
// at most twice the rounding) and the in-circle determinant by at most 768
// times that (lifts and minors below 8, each moved by at most 16 times the
// rounding); the allowance below covers both. Since the filter runs only
// when the permanent is at least its minimum, the allowance is far below
// the rounding bound itself.
inline constexpr double kScaledRoundingAllowance = 0x1p-1060;

}  // namespace d2d::exact_detail

#endif
