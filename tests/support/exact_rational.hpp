// Exact rational evaluation of the orientation and in-circle determinants with
// GMP, independent of the library's own arithmetic. Slow; the oracle of the
// tests.
#pragma once

#include <cmath>

namespace d2dtest {

// Sign (-1, 0, 1) of (a - c) x (b - c): 1 when a, b, c turn counter-clockwise.
int orient_sign_rational(double ax, double ay, double bx, double by, double cx, double cy);

// Sign (-1, 0, 1) of the in-circle determinant: 1 when d lies strictly inside
// the circle through the counter-clockwise a, b, c (flipped for clockwise).
int incircle_sign_rational(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                           double dy);

// The sign of the orientation when plain floating point settles it by a wide
// margin, else 0: the caller then asks an exact evaluation.
inline int orient_sign_quick(double ax, double ay, double bx, double by, double cx, double cy) {
    const double left = (ax - cx) * (by - cy);
    const double right = (ay - cy) * (bx - cx);
    const double det = left - right;
    const double permanent = std::fabs(left) + std::fabs(right);
    if (std::isfinite(permanent) && permanent > 1e-280 && std::fabs(det) > 1e-14 * permanent) {
        return det > 0.0 ? 1 : -1;
    }
    return 0;
}

// The same for the in-circle determinant.
inline int incircle_sign_quick(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                               double dy) {
    const double adx = ax - dx, ady = ay - dy;
    const double bdx = bx - dx, bdy = by - dy;
    const double cdx = cx - dx, cdy = cy - dy;
    const double alift = adx * adx + ady * ady;
    const double blift = bdx * bdx + bdy * bdy;
    const double clift = cdx * cdx + cdy * cdy;
    const double det =
        alift * (bdx * cdy - cdx * bdy) + blift * (cdx * ady - adx * cdy) + clift * (adx * bdy - bdx * ady);
    const double permanent = alift * (std::fabs(bdx * cdy) + std::fabs(cdx * bdy)) +
                             blift * (std::fabs(cdx * ady) + std::fabs(adx * cdy)) +
                             clift * (std::fabs(adx * bdy) + std::fabs(bdx * ady));
    if (std::isfinite(permanent) && permanent > 1e-200 && alift + blift + clift < 1e100 &&
        std::fabs(det) > 1e-12 * permanent) {
        return det > 0.0 ? 1 : -1;
    }
    return 0;
}

}  // namespace d2dtest
