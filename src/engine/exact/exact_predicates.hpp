// Exact orientation and in-circle predicates.
//
// Both functions return a double whose SIGN is the exact sign of the
// determinant they stand for, as if it were evaluated in exact rational
// arithmetic on the given doubles. The magnitude is an approximation of the
// determinant, useful only for ordering or debugging; callers decide by the
// sign alone.
//
// Evaluation is adaptive. The inline part below evaluates the determinant in
// ordinary floating point together with a bound on its rounding error (the
// error analysis of Shewchuk's adaptive predicates; every bound and its
// derivation is in error_bounds.hpp) and returns at once when
// the rounded value is farther from zero than the bound. Only close calls
// (nearly or exactly collinear / cocircular points) and inputs outside the
// safe range of that bound go to the out-of-line exact evaluation.
//
// Range. The inline filter is taken only when no intermediate product can
// overflow or lose a nonzero part to underflow: in practice whenever all
// coordinates are of moderate magnitude (the triangulation rescales its input
// so that the largest |coordinate| is about 1, which keeps nearly every call
// there).
// The exact evaluation first rescales the coordinates by a power of two (exact)
// into a window where error-free expansion arithmetic cannot overflow or
// underflow. When the coordinates span more binary orders of magnitude than
// that window holds (about 1000 for the orientation, about 500 for the
// in-circle test, e.g. 1e-200 next to 1e100), the filter runs once more on
// coordinates scaled below 1, translated to each point in turn, and what it
// cannot decide goes to wide-integer arithmetic. So the sign is exact for
// every finite input, from the smallest subnormal to the largest double (the
// triangulation keeps the unscaled coordinates where its rescaling would
// round one). With a NaN or an infinite coordinate the result is the plain
// floating-point evaluation (usually NaN) and carries no guarantee.
#ifndef DELAUNAY2D_ENGINE_EXACT_EXACT_PREDICATES_HPP
#define DELAUNAY2D_ENGINE_EXACT_EXACT_PREDICATES_HPP

#include <cmath>

#include "engine/exact/error_bounds.hpp"

namespace d2d {

namespace exact_detail {

double orient2d_slow(double ax, double ay, double bx, double by, double cx, double cy);
double incircle_slow(double ax, double ay, double bx, double by, double cx, double cy, double dx, double dy);

}  // namespace exact_detail

// Sign-exact orientation: > 0 when a, b, c turn counter-clockwise, < 0 when
// clockwise, 0 when collinear. The value approximates twice the signed area
// of the triangle a, b, c.
inline double orient2d_exact(double ax, double ay, double bx, double by, double cx, double cy) {
    const double det_left = (ax - cx) * (by - cy);
    const double det_right = (ay - cy) * (bx - cx);
    const double det = det_left - det_right;
    const double permanent = std::fabs(det_left) + std::fabs(det_right);
    const double bound = exact_detail::kOrientBound * permanent;
    // NaN and overflow make every comparison below fail and take the exact path.
    if ((det > bound || -det > bound) && permanent >= exact_detail::kOrientMinimumPermanent) return det;
    return exact_detail::orient2d_slow(ax, ay, bx, by, cx, cy);
}

// Sign-exact in-circle test: > 0 when d lies strictly inside the circle
// through a, b, c taken counter-clockwise, < 0 when strictly outside, 0 when
// on it; the sign flips when a, b, c are clockwise. The value approximates
// the determinant of the points translated by -d and lifted onto the
// paraboloid z = x^2 + y^2 (for collinear a, b, c its sign says on which side
// of their line d lies, and it is 0 when d is on that line too).
inline double incircle_exact(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                             double dy) {
    const double adx = ax - dx;
    const double ady = ay - dy;
    const double bdx = bx - dx;
    const double bdy = by - dy;
    const double cdx = cx - dx;
    const double cdy = cy - dy;

    const double bdx_cdy = bdx * cdy;
    const double cdx_bdy = cdx * bdy;
    const double a_lift = adx * adx + ady * ady;

    const double cdx_ady = cdx * ady;
    const double adx_cdy = adx * cdy;
    const double b_lift = bdx * bdx + bdy * bdy;

    const double adx_bdy = adx * bdy;
    const double bdx_ady = bdx * ady;
    const double c_lift = cdx * cdx + cdy * cdy;

    const double det =
        a_lift * (bdx_cdy - cdx_bdy) + b_lift * (cdx_ady - adx_cdy) + c_lift * (adx_bdy - bdx_ady);
    const double permanent = (std::fabs(bdx_cdy) + std::fabs(cdx_bdy)) * a_lift +
                             (std::fabs(cdx_ady) + std::fabs(adx_cdy)) * b_lift +
                             (std::fabs(adx_bdy) + std::fabs(bdx_ady)) * c_lift;
    const double bound = exact_detail::kInCircleBound * permanent;
    if ((det > bound || -det > bound) && permanent >= exact_detail::kInCircleMinimumPermanent &&
        a_lift + b_lift + c_lift <= exact_detail::kInCircleMaximumLift) {
        return det;
    }
    return exact_detail::incircle_slow(ax, ay, bx, by, cx, cy, dx, dy);
}

// Tests against a fixed pair of points, sharing the work that depends on
// them. A merge step of the triangulation asks, for one base edge p -> q,
// on which side of the base a candidate lies and whether a point lies inside
// the circle through p, q and a candidate; p stays the same for the whole
// step. Each point is taken once relative to p (PivotPoint), and the tests
// combine those offsets.
//
// The results have the same exact signs as orient2d_exact(p, q, b) and
// incircle_exact(p, q, b, c). The filters are the ones above, applied to the
// same determinants with their rows rotated so that p is the translation
// point: orient2d_exact(q, b, p) and incircle_exact(q, b, c, p) (a cyclic
// shift of four rows changes the sign). Every product and sum is the one
// those functions compute for the rotated rows, in the same order, so their
// error bounds hold unchanged. A call the filter cannot decide goes to the
// exact evaluation with the original argument order.
struct PivotPoint {
    double x;
    double y;
    double dx;  // x - p.x
    double dy;  // y - p.y
    double lift;  // dx * dx + dy * dy
    double cross_left;  // (q.x - p.x) * dy
    double cross_right;  // (q.y - p.y) * dx
    double turn;  // cross_left - cross_right: twice the area of p, q, this point
    double turn_permanent;  // |cross_left| + |cross_right|
};

class PivotPair {
 public:
    PivotPair(double px, double py, double qx, double qy)
        : px_(px), py_(py), qx_(qx), qy_(qy), qdx_(qx - px), qdy_(qy - py), q_lift_(qdx_ * qdx_ + qdy_ * qdy_) {}

    PivotPoint point(double x, double y) const {
        PivotPoint b;
        b.x = x;
        b.y = y;
        b.dx = x - px_;
        b.dy = y - py_;
        b.lift = b.dx * b.dx + b.dy * b.dy;
        b.cross_left = qdx_ * b.dy;
        b.cross_right = qdy_ * b.dx;
        b.turn = b.cross_left - b.cross_right;
        b.turn_permanent = std::fabs(b.cross_left) + std::fabs(b.cross_right);
        return b;
    }

    // Sign-exact orient2d_exact(p, q, b).
    double orient(const PivotPoint& b) const {
        const double bound = exact_detail::kOrientBound * b.turn_permanent;
        if ((b.turn > bound || -b.turn > bound) && b.turn_permanent >= exact_detail::kOrientMinimumPermanent) {
            return b.turn;
        }
        return exact_detail::orient2d_slow(px_, py_, qx_, qy_, b.x, b.y);
    }

    // Sign-exact incircle_exact(p, q, b, c).
    double incircle(const PivotPoint& b, const PivotPoint& c) const {
        // incircle_exact(q, b, c, p) with a = q: adx * bdy is b.cross_left,
        // bdx * ady is b.cross_right, cdx * ady - adx * cdy is -c.turn.
        const double bdx_cdy = b.dx * c.dy;
        const double cdx_bdy = c.dx * b.dy;
        const double det = q_lift_ * (bdx_cdy - cdx_bdy) - b.lift * c.turn + c.lift * b.turn;
        const double permanent = (std::fabs(bdx_cdy) + std::fabs(cdx_bdy)) * q_lift_ + c.turn_permanent * b.lift +
                                 b.turn_permanent * c.lift;
        const double bound = exact_detail::kInCircleBound * permanent;
        if ((det > bound || -det > bound) && permanent >= exact_detail::kInCircleMinimumPermanent &&
            q_lift_ + b.lift + c.lift <= exact_detail::kInCircleMaximumLift) {
            return -det;
        }
        return exact_detail::incircle_slow(px_, py_, qx_, qy_, b.x, b.y, c.x, c.y);
    }

 private:
    double px_;
    double py_;
    double qx_;
    double qy_;
    double qdx_;
    double qdy_;
    double q_lift_;
};

}  // namespace d2d

#endif
