// The exact orientation and in-circle predicates against GMP rationals, on
// random input and on the constructions that defeat plain floating point:
// nearly collinear and nearly cocircular points, exactly degenerate ones,
// extreme magnitudes and large offsets.
#include "engine/exact/exact_predicates.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "support/exact_rational.hpp"
#include "support/predicate_checks.hpp"
#include "support/predicate_inputs.hpp"

namespace {

using namespace d2dtest;

using d2d::incircle_exact;
using d2d::orient2d_exact;

// Both predicates' signs on every ordering that matters: the value must agree
// with GMP, and permuting the points must flip or keep the sign exactly as
// the determinant does.
void expect_orient(P a, P b, P c) { expect_orient_signs(orient2d_exact, a, b, c); }

void expect_incircle(P a, P b, P c, P d) { expect_incircle_signs(incircle_exact, a, b, c, d); }

TEST(ExactPredicates, WorkedValues) {
    EXPECT_EQ(orient2d_exact(0, 0, 1, 0, 0.5, 1), 1.0);
    EXPECT_EQ(orient2d_exact(0, 0, 1, 0, 0.5, -1), -1.0);
    EXPECT_EQ(orient2d_exact(0, 0, 1, 1, 3, 3), 0.0);
    EXPECT_EQ(orient2d_exact(1, 1, 1, 1, 1, 1), 0.0);
    EXPECT_EQ(orient2d_exact(0, 0, 0, 0, 0, 0), 0.0);
    // Unit square: the fourth corner is on the circle of the other three.
    EXPECT_EQ(incircle_exact(0, 0, 1, 0, 0, 1, 1, 1), 0.0);
    EXPECT_GT(incircle_exact(0, 0, 1, 0, 0, 1, 0.5, 0.5), 0.0);
    EXPECT_LT(incircle_exact(0, 0, 0, 1, 1, 0, 0.5, 0.5), 0.0);  // clockwise a, b, c
    EXPECT_LT(incircle_exact(0, 0, 1, 0, 0, 1, 2, 2), 0.0);
    // d equal to a vertex lies on the circle.
    EXPECT_EQ(incircle_exact(0.1, 0.2, 0.7, 0.3, 0.4, 0.9, 0.7, 0.3), 0.0);
}

TEST(ExactPredicates, RandomDoublesAgreeWithRationals) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i) {
        const P a{unit(rng), unit(rng)}, b{unit(rng), unit(rng)}, c{unit(rng), unit(rng)}, d{unit(rng), unit(rng)};
        expect_orient(a, b, c);
        expect_incircle(a, b, c, d);
    }
}

// Points on a line through two random points, rounded to doubles and then
// moved by a few ulps: the rounded determinant is pure noise here.
TEST(ExactPredicates, NearlyCollinearPoints) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int i = 0; i < 3000; ++i) {
        const P a{unit(rng), unit(rng)}, b{unit(rng), unit(rng)};
        const double t = unit(rng) * 3.0 - 1.0;
        const P on{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
        for (int kx = -2; kx <= 2; ++kx) {
            for (int ky = -2; ky <= 2; ++ky) {
                const P c{ulps(on.x, kx), ulps(on.y, ky)};
                expect_orient(a, b, c);
            }
        }
    }
    // Exactly collinear points on axis-parallel and diagonal lines.
    for (int i = -20; i <= 20; ++i) {
        const double v = i * 0.1;
        expect_orient({0.1, 0.3}, {0.1, 0.7}, {0.1, v});
        expect_orient({v, v}, {0.3, 0.3}, {1.0 / 3.0, 1.0 / 3.0});
        expect_orient({0.5, 0.5}, {ulps(0.5, i), 0.5}, {0.75, 0.5});
    }
}

// The classic orientation grid: a 256 x 256 ulp grid near (0.5, 0.5) against
// the line through (12, 12) and (24, 24).
TEST(ExactPredicates, OrientationUlpGrid) {
    for (int i = 0; i < 256; ++i) {
        for (int j = 0; j < 256; ++j) {
            const P p{ulps(0.5, i), ulps(0.5, j)};
            expect_orient(p, {12, 12}, {24, 24});
        }
    }
}

// Points on a circle, rounded, with the fourth moved by ulps; and the same
// around a centre far from the origin.
TEST(ExactPredicates, NearlyCocircularPoints) {
    for_nearly_cocircular(1500, [](P a, P b, P c, P d) { expect_incircle(a, b, c, d); });
}

// Integer points on x^2 + y^2 = 5^2 * 13^2 * 17^2: every four of them are
// exactly cocircular; also scaled by powers of two and moved to a centre that
// is not representable after division.
TEST(ExactPredicates, ExactlyCocircularLatticePoints) {
    const std::vector<P> circle = lattice_circle();
    ASSERT_GT(circle.size(), 60u);
    const int exponents[] = {0, -30, -600, -1000, 30, 600, 960};
    for (const int e : exponents) {
        for (std::size_t i = 0; i + 3 < circle.size(); i += 3) {
            const P a = scaled(circle[i], e), b = scaled(circle[i + 1], e), c = scaled(circle[i + 2], e),
                    d = scaled(circle[i + 3], e);
            ASSERT_EQ(incircle_exact(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y), 0.0) << e;
            const P inside = scaled({0.5, 0.25}, e);
            const P outside = scaled({1105.0, 1105.0}, e);
            expect_incircle(a, b, c, inside);
            expect_incircle(a, b, c, outside);
        }
    }
}

// Whole configurations scaled by powers of two keep their signs, including
// scalings that send products into overflow or below the subnormals.
TEST(ExactPredicates, ExtremeMagnitudes) {
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const int exponents[] = {-1074 + 60, -1000, -700, -540, -300, -40, 40, 300, 520, 700, 1000, 1020};
    for (int i = 0; i < 400; ++i) {
        P a{unit(rng), unit(rng)}, b{unit(rng), unit(rng)}, c{unit(rng), unit(rng)}, d{unit(rng), unit(rng)};
        if (i % 2 == 0) {  // make c nearly collinear and d nearly cocircular
            c = {ulps(a.x + 0.5 * (b.x - a.x), i % 5 - 2), a.y + 0.5 * (b.y - a.y)};
            d = {a.x, ulps(a.y, i % 3 - 1)};
        }
        const int expected_orient = orient_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y);
        const int expected_circle = incircle_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y);
        for (const int e : exponents) {
            const P sa = scaled(a, e), sb = scaled(b, e), sc = scaled(c, e), sd = scaled(d, e);
            // Scaling a configuration down into the subnormals can round it.
            const bool lossless = std::ldexp(sa.x, -e) == a.x && std::ldexp(sa.y, -e) == a.y &&
                                  std::ldexp(sb.x, -e) == b.x && std::ldexp(sb.y, -e) == b.y &&
                                  std::ldexp(sc.x, -e) == c.x && std::ldexp(sc.y, -e) == c.y &&
                                  std::ldexp(sd.x, -e) == d.x && std::ldexp(sd.y, -e) == d.y;
            expect_orient(sa, sb, sc);
            expect_incircle(sa, sb, sc, sd);
            if (lossless) {
                ASSERT_EQ(sign_of(orient2d_exact(sa.x, sa.y, sb.x, sb.y, sc.x, sc.y)), expected_orient) << e;
                ASSERT_EQ(sign_of(incircle_exact(sa.x, sa.y, sb.x, sb.y, sc.x, sc.y, sd.x, sd.y)), expected_circle)
                    << e;
            }
        }
    }
}

// Subnormal coordinates: small integers times 2^-1074 are exact, and so are
// their signs after any amount of cancellation.
TEST(ExactPredicates, SubnormalCoordinates) {
    std::mt19937_64 rng(8);
    std::uniform_int_distribution<int> small(-40, 40);
    const double unit = std::ldexp(1.0, -1074);
    for (int i = 0; i < 3000; ++i) {
        P q[4];
        for (P& p : q) p = {small(rng) * unit, small(rng) * unit};
        expect_orient(q[0], q[1], q[2]);
        expect_incircle(q[0], q[1], q[2], q[3]);
        const double s = std::ldexp(1.0, 1000);  // the same configuration near 2^-74
        expect_orient(q[0], q[1], {q[2].x * s, q[2].y * s});
    }
    EXPECT_GT(orient2d_exact(0, 0, unit, 0, 0, unit), 0.0);
    EXPECT_EQ(incircle_exact(0, 0, unit, 0, 0, unit, unit, unit), 0.0);
    EXPECT_GT(incircle_exact(0, 0, 2 * unit, 0, 0, 2 * unit, unit, unit), 0.0);
}

// Coordinates spread over hundreds of orders of magnitude at once (beyond
// what expansion arithmetic holds), with degenerate and nearly degenerate
// arrangements among them. Each case takes the slowest, wide-integer
// evaluation in every order checked, so the cases are kept few.
TEST(ExactPredicates, MixedMagnitudes) {
    std::mt19937_64 rng(31337);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-1060, 1000);
    for (int i = 0; i < 3000; ++i) {
        P q[4];
        for (P& p : q) p = {std::ldexp(unit(rng), exponent(rng)), std::ldexp(unit(rng), exponent(rng))};
        expect_orient(q[0], q[1], q[2]);
        expect_incircle(q[0], q[1], q[2], q[3]);
        // The same with one point on the line / circle of the others up to ulps.
        const P mid{ulps(q[0].x + q[1].x, i % 3 - 1), q[0].y + q[1].y};
        expect_orient({0, 0}, q[0], mid);
        expect_orient(q[0], q[1], {q[0].x, ulps(q[1].y, i % 3 - 1)});
        expect_incircle(q[0], {-q[0].x, -q[0].y}, {q[0].y, -q[0].x}, {-q[0].y, ulps(q[0].x, i % 3 - 1)});
    }
    // Hand-made cases: big terms cancel exactly and only tiny ones remain.
    expect_orient({1e-300, 1e100}, {0, 0}, {1e-250, 1e150});
    expect_orient({0, 0}, {1e-200, 0}, {0, 1e-200});
    expect_orient({1e300, 1e300}, {-1e300, -1e300}, {1e-300, 0});
    expect_orient({1e300, 1e300}, {-1e300, -1e300}, {0, 0});
    expect_incircle({1e200, 0}, {-1e200, 0}, {0, 1e200}, {0, -1e200});
    expect_incircle({1e200, 0}, {-1e200, 0}, {0, 1e200}, {1e-200, -1e200});
    expect_incircle({1, 0}, {-1, 0}, {0, 1}, {std::ldexp(1.0, -1074), -1});
    expect_incircle({1, 0}, {-1, 0}, {0, 1}, {0, ulps(-1.0, 1)});
}

// The whole range of finite doubles at once: exponents from the smallest
// subnormal's to the largest finite double's, with coordinates near
// +-DBL_MAX whose differences overflow, and degenerate arrangements at both
// ends.
TEST(ExactPredicates, EveryFiniteMagnitude) {
    std::mt19937_64 rng(1074);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-1074, 1024);
    const double most = std::numeric_limits<double>::max();
    const double least = std::numeric_limits<double>::denorm_min();
    const auto any = [&] { return std::ldexp(unit(rng), exponent(rng)); };
    for (int i = 0; i < 600; ++i) {
        P q[4];
        for (P& p : q) p = {any(), any()};
        expect_orient(q[0], q[1], q[2]);
        expect_incircle(q[0], q[1], q[2], q[3]);
        // Corners near +-DBL_MAX (every difference overflows) with one
        // point of any magnitude, or a few ulps off their diagonal.
        const double big = ulps(most, -(i % 7));
        const P top{big, big}, bottom{-big, -big}, side{big, -big};
        expect_orient(top, bottom, q[0]);
        expect_orient(top, bottom, {ulps(q[0].x, i % 3 - 1), q[0].x});
        expect_orient(top, bottom, {-ulps(big, -(i % 5)), ulps(-big, i % 3)});
        expect_incircle(top, side, bottom, q[1]);
        expect_incircle(top, side, bottom, {-big, ulps(big, -(i % 4))});
        expect_incircle(top, side, {-big, big}, {ulps(big, -1), least * (i % 3)});
        // Subnormal triangles against points of any magnitude.
        const P tiny{least * (i % 9), least * (i % 4)}, tinier{least * (i % 5), least * (i % 7)};
        expect_orient(tiny, tinier, q[2]);
        expect_incircle(tiny, tinier, {least * 3, least * (i % 2)}, q[3]);
        expect_incircle({least, 0}, {0, least}, {-least, 0}, {0, -least * (i % 3 - 1)});
    }
    expect_orient({-most, -most}, {most, most}, {least, least});
    expect_orient({-most, -most}, {most, most}, {least, 0});
    expect_orient({-most, most}, {most, -most}, {0, 0});
    expect_incircle({most, 0}, {0, most}, {-most, 0}, {0, -most});
    expect_incircle({most, 0}, {0, most}, {-most, 0}, {least, ulps(-most, 1)});
    expect_incircle({least, 0}, {0, least}, {-least, 0}, {0, -least});
    expect_incircle({least, 0}, {0, least}, {-least, 0}, {most, most});
}

// Points offset by 1e6 (where a unit in the last place is 2^-33) and by 2^52.
TEST(ExactPredicates, LargeOffsets) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const double offsets[] = {1e6, -1e6, 4503599627370496.0};
    for (const double o : offsets) {
        for (int i = 0; i < 2000; ++i) {
            const P a = offset({unit(rng), unit(rng)}, o), b = offset({unit(rng), unit(rng)}, o);
            const P on{a.x + 0.25 * (b.x - a.x), a.y + 0.25 * (b.y - a.y)};
            const P c{ulps(on.x, i % 3 - 1), ulps(on.y, i % 5 - 2)};
            expect_orient(a, b, c);
            const P d = offset({unit(rng), unit(rng)}, o);
            expect_incircle(a, b, d, c);
            // Nearly cocircular: four rounded points of a small circle at the offset.
            P q[4];
            for (int k = 0; k < 4; ++k) {
                const double t = unit(rng) * 6.283185307179586;
                q[k] = offset({0.5 + 0.25 * std::cos(t), 0.5 + 0.25 * std::sin(t)}, o);
            }
            expect_incircle(q[0], q[1], q[2], {ulps(q[3].x, i % 3 - 1), q[3].y});
        }
        // A unit square and its cocircular fourth corner at the offset.
        expect_incircle({o, o}, {o + 1, o}, {o, o + 1}, {o + 1, o + 1});
        expect_incircle({o, o}, {o + 1, o}, {o, o + 1}, {o + 1, ulps(o + 1, 1)});
        expect_incircle({o, o}, {o + 1, o}, {o, o + 1}, {o + 1, ulps(o + 1, -1)});
    }
}

// NaN and infinity give no guarantee but must not crash or hang.
TEST(ExactPredicates, NonFiniteInputReturns) {
    const double nan = std::nan("");
    const double inf = INFINITY;
    EXPECT_TRUE(std::isnan(orient2d_exact(nan, 0, 1, 0, 0, 1)));
    (void)orient2d_exact(inf, 0, 1, 0, 0, 1);
    EXPECT_TRUE(std::isnan(incircle_exact(0, 0, 1, 0, 0, 1, nan, 0)));
    (void)incircle_exact(0, 0, 1, 0, 0, 1, inf, inf);
}

}  // namespace
