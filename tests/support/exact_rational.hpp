// Exact rational evaluation of the orientation and in-circle determinants with
// GMP, independent of the library's own arithmetic. Slow; the oracle of the
// tests.
#pragma once

namespace d2dtest {

// Sign (-1, 0, 1) of (a - c) x (b - c): 1 when a, b, c turn counter-clockwise.
int orient_sign_rational(double ax, double ay, double bx, double by, double cx, double cy);

// Sign (-1, 0, 1) of the in-circle determinant: 1 when d lies strictly inside
// the circle through the counter-clockwise a, b, c (flipped for clockwise).
int incircle_sign_rational(double ax, double ay, double bx, double by, double cx, double cy, double dx,
                           double dy);

}  // namespace d2dtest
