// Checks shared by the predicate tests: a predicate's sign against the exact
// sign from GMP rationals, on the given order of the points and on orders
// that keep or flip the determinant's sign (each order moves the point that
// the evaluation translates to the origin).
#pragma once

#include <gtest/gtest.h>

#include "support/exact_rational.hpp"
#include "support/predicate_inputs.hpp"

namespace d2dtest {

// orient(a, b, c) must have the exact sign for (a, b, c), (b, c, a) and
// (c, a, b), and the opposite one for (b, a, c). Returns the exact sign.
template <class Orient>
int expect_orient_signs(Orient orient, P a, P b, P c) {
    const int expected = orient_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y);
    EXPECT_EQ(sign_of(orient(a.x, a.y, b.x, b.y, c.x, c.y)), expected) << a << " " << b << " " << c;
    EXPECT_EQ(sign_of(orient(b.x, b.y, c.x, c.y, a.x, a.y)), expected) << a << " " << b << " " << c;
    EXPECT_EQ(sign_of(orient(c.x, c.y, a.x, a.y, b.x, b.y)), expected) << a << " " << b << " " << c;
    EXPECT_EQ(sign_of(orient(b.x, b.y, a.x, a.y, c.x, c.y)), -expected) << a << " " << b << " " << c;
    return expected;
}

// incircle(a, b, c, d) must have the exact sign for (a, b, c, d) and
// (b, c, a, d), and the opposite one for (b, a, c, d), (a, b, d, c) and
// (d, b, c, a). Returns the exact sign.
template <class InCircle>
int expect_incircle_signs(InCircle incircle, P a, P b, P c, P d) {
    const int expected = incircle_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y);
    EXPECT_EQ(sign_of(incircle(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y)), expected)
        << a << " " << b << " " << c << " " << d;
    EXPECT_EQ(sign_of(incircle(b.x, b.y, c.x, c.y, a.x, a.y, d.x, d.y)), expected)
        << a << " " << b << " " << c << " " << d;
    EXPECT_EQ(sign_of(incircle(b.x, b.y, a.x, a.y, c.x, c.y, d.x, d.y)), -expected)
        << a << " " << b << " " << c << " " << d;
    EXPECT_EQ(sign_of(incircle(a.x, a.y, b.x, b.y, d.x, d.y, c.x, c.y)), -expected)
        << a << " " << b << " " << c << " " << d;
    EXPECT_EQ(sign_of(incircle(d.x, d.y, b.x, b.y, c.x, c.y, a.x, a.y)), -expected)
        << a << " " << b << " " << c << " " << d;
    return expected;
}

}  // namespace d2dtest
