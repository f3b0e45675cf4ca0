// The orientation and in-circle tests against a fixed pair of points
// (PivotPair) against GMP rationals and against the plain predicates: every
// sign must be the exact one, on random points, on nearly and exactly
// degenerate configurations, at extreme magnitudes and at large offsets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

#include "engine/exact/exact_predicates.hpp"
#include "support/exact_rational.hpp"
#include "support/predicate_inputs.hpp"

namespace {

using namespace d2dtest;

using d2d::incircle_exact;
using d2d::orient2d_exact;
using d2d::PivotPair;
using d2d::PivotPoint;

// Every test the pair offers on b and c, in both orders, against GMP and
// against the plain predicates on the same points.
void expect_pair(P p, P q, P b, P c) {
    const PivotPair pair(p.x, p.y, q.x, q.y);
    const PivotPoint pb = pair.point(b.x, b.y);
    const PivotPoint pc = pair.point(c.x, c.y);

    const int turn_b = orient_sign_rational(p.x, p.y, q.x, q.y, b.x, b.y);
    ASSERT_EQ(sign_of(pair.orient(pb)), turn_b) << p << " " << q << " " << b;
    ASSERT_EQ(sign_of(pair.orient(pb)), sign_of(orient2d_exact(p.x, p.y, q.x, q.y, b.x, b.y)));
    const int turn_c = orient_sign_rational(p.x, p.y, q.x, q.y, c.x, c.y);
    ASSERT_EQ(sign_of(pair.orient(pc)), turn_c);

    const int expected = incircle_sign_rational(p.x, p.y, q.x, q.y, b.x, b.y, c.x, c.y);
    ASSERT_EQ(sign_of(pair.incircle(pb, pc)), expected) << p << " " << q << " " << b << " " << c;
    ASSERT_EQ(sign_of(pair.incircle(pc, pb)), -expected);
    ASSERT_EQ(sign_of(pair.incircle(pb, pc)),
              sign_of(incircle_exact(p.x, p.y, q.x, q.y, b.x, b.y, c.x, c.y)));
    // Rotating the first three rows keeps the sign; a cyclic shift of all
    // four flips it. The choice between the two candidates of a merge step
    // asks whether the circle through c, p and q holds b.
    ASSERT_EQ(sign_of(incircle_exact(b.x, b.y, p.x, p.y, q.x, q.y, c.x, c.y)), expected);
    ASSERT_EQ(sign_of(incircle_exact(c.x, c.y, p.x, p.y, q.x, q.y, b.x, b.y)), -expected);
}

TEST(PivotPair, WorkedValues) {
    const PivotPair pair(0, 0, 1, 0);
    const PivotPoint above = pair.point(0, 1);
    const PivotPoint below = pair.point(0.5, -1);
    const PivotPoint on_line = pair.point(7, 0);
    const PivotPoint cocircular = pair.point(1, 1);
    const PivotPoint inside = pair.point(0.5, 0.5);
    const PivotPoint outside = pair.point(2, 2);
    EXPECT_GT(pair.orient(above), 0.0);
    EXPECT_LT(pair.orient(below), 0.0);
    EXPECT_EQ(pair.orient(on_line), 0.0);
    EXPECT_EQ(pair.incircle(above, cocircular), 0.0);
    EXPECT_GT(pair.incircle(above, inside), 0.0);
    EXPECT_LT(pair.incircle(inside, above), 0.0);
    EXPECT_LT(pair.incircle(above, outside), 0.0);
    // Collinear p, q, b: the sign says on which side of the line c lies.
    EXPECT_EQ(sign_of(pair.incircle(on_line, above)), sign_of(incircle_exact(0, 0, 1, 0, 7, 0, 0, 1)));
    EXPECT_EQ(pair.incircle(on_line, pair.point(-3, 0)), 0.0);
}

TEST(PivotPair, RandomPointsAgreeWithRationals) {
    std::mt19937_64 rng(4242);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i) {
        expect_pair({u(rng), u(rng)}, {u(rng), u(rng)}, {u(rng), u(rng)}, {u(rng), u(rng)});
    }
}

// Points reused across tests of one pair, as a merge step reuses them: the
// fourth point of one test is the candidate of the next.
TEST(PivotPair, ChainedPointsAgreeWithRationals) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 500; ++i) {
        const P p{u(rng), u(rng)};
        const P q{u(rng), u(rng)};
        const PivotPair pair(p.x, p.y, q.x, q.y);
        P cand{u(rng), u(rng)};
        PivotPoint pcand = pair.point(cand.x, cand.y);
        for (int step = 0; step < 20; ++step) {
            const P next{u(rng), u(rng)};
            const PivotPoint pnext = pair.point(next.x, next.y);
            ASSERT_EQ(sign_of(pair.incircle(pcand, pnext)),
                      incircle_sign_rational(p.x, p.y, q.x, q.y, cand.x, cand.y, next.x, next.y));
            ASSERT_EQ(sign_of(pair.orient(pnext)), orient_sign_rational(p.x, p.y, q.x, q.y, next.x, next.y));
            cand = next;
            pcand = pnext;
        }
    }
}

TEST(PivotPair, NearlyCollinearPoints) {
    std::mt19937_64 rng(11);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int i = 0; i < 2000; ++i) {
        const P p{u(rng), u(rng)};
        const P q{u(rng), u(rng)};
        const double t = u(rng) * 3.0 - 1.0;
        const P on{p.x + t * (q.x - p.x), p.y + t * (q.y - p.y)};
        for (int k = -2; k <= 2; ++k) {
            const P b{on.x, ulps(on.y, k)};
            expect_pair(p, q, b, {u(rng), u(rng)});
            expect_pair(p, q, {u(rng), u(rng)}, b);
        }
    }
    // Points exactly on a line, also on the pair's own line.
    for (int i = 0; i < 200; ++i) {
        const double a = std::floor(u(rng) * 64.0), b = std::floor(u(rng) * 64.0);
        expect_pair({0.0, 0.0}, {1.0, 2.0}, {a, 2.0 * a}, {b, 2.0 * b});
        expect_pair({0.0, 0.0}, {1.0, 2.0}, {a, 2.0 * a}, {b, 2.0 * b + 1.0});
    }
}

TEST(PivotPair, NearlyCocircularPoints) {
    for_nearly_cocircular(1500, [](P a, P b, P c, P d) {
        expect_pair(a, b, c, d);
        expect_pair(a, b, d, c);
        expect_pair(d, a, b, c);
    });
}

// Integer points on x^2 + y^2 = 5^2 * 13^2 * 17^2, scaled by powers of two
// (into the subnormals and near overflow) and moved off the origin.
TEST(PivotPair, ExactlyCocircularLatticePoints) {
    const std::vector<P> circle = lattice_circle();
    ASSERT_GT(circle.size(), 60u);
    const int exponents[] = {0, -30, -600, -1000, -1060, 30, 600, 960};
    for (const int e : exponents) {
        for (std::size_t i = 0; i + 3 < circle.size(); i += 3) {
            const P a = scaled(circle[i], e), b = scaled(circle[i + 1], e), c = scaled(circle[i + 2], e),
                    d = scaled(circle[i + 3], e);
            const PivotPair pair(a.x, a.y, b.x, b.y);
            ASSERT_EQ(pair.incircle(pair.point(c.x, c.y), pair.point(d.x, d.y)), 0.0) << e;
            expect_pair(a, b, c, d);
            expect_pair(a, b, c, scaled({0.5, 0.25}, e));
            expect_pair(a, b, c, scaled({1105.0, 1105.0}, e));
            expect_pair(a, b, scaled({1105.0, 1105.0}, e), c);
        }
    }
    for (const double o : {1e6, -3.5e7, 0x1p40}) {
        for (std::size_t i = 0; i + 3 < circle.size(); i += 5) {
            const P a{circle[i].x + o, circle[i].y + o}, b{circle[i + 1].x + o, circle[i + 1].y + o};
            const P c{circle[i + 2].x + o, circle[i + 2].y + o}, d{circle[i + 3].x + o, circle[i + 3].y + o};
            expect_pair(a, b, c, d);
            expect_pair(a, b, c, {ulps(d.x, 1), d.y});
            expect_pair(a, b, {c.x, ulps(c.y, -1)}, d);
        }
    }
}

// Mixed and extreme magnitudes, where the filter's range guards send the
// call to the exact evaluation.
TEST(PivotPair, ExtremeMagnitudes) {
    std::mt19937_64 rng(5);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    const int exponents[] = {-1070, -1000, -700, -400, -100, 0, 100, 400, 500, 700, 1000};
    for (int i = 0; i < 300; ++i) {
        const P a{u(rng), u(rng)}, b{u(rng), u(rng)}, c{u(rng), u(rng)}, d{u(rng), u(rng)};
        for (const int e : exponents) expect_pair(scaled(a, e), scaled(b, e), scaled(c, e), scaled(d, e));
        const int e1 = exponents[i % 11], e2 = exponents[(i / 11) % 11];
        expect_pair(scaled(a, e1), scaled(b, e2), c, d);
        expect_pair(a, scaled(b, e1), scaled(c, e2), d);
    }
    // Exponents over the whole finite range, and corners near +-DBL_MAX.
    std::uniform_int_distribution<int> exponent(-1074, 1024);
    const double most = std::numeric_limits<double>::max();
    const double least = std::numeric_limits<double>::denorm_min();
    for (int i = 0; i < 300; ++i) {
        P q[4];
        for (P& p : q) p = {std::ldexp(u(rng), exponent(rng)), std::ldexp(u(rng), exponent(rng))};
        expect_pair(q[0], q[1], q[2], q[3]);
        const double big = ulps(most, -(i % 5));
        expect_pair({big, big}, {-big, -big}, {big, -big}, q[0]);
        expect_pair({-big, -big}, {big, big}, q[1], {ulps(-big, i % 3), big});
        expect_pair({least * (i % 6), 0}, {0, least * (i % 4)}, q[2], {least, least * (i % 3)});
    }
    expect_pair({most, 0}, {0, most}, {-most, 0}, {0, -most});
    expect_pair({least, 0}, {0, least}, {-least, 0}, {0, -least});
    expect_pair({1e200, 0}, {-1e200, 0}, {0, 1e200}, {0, -1e200});
    expect_pair({1, 0}, {-1, 0}, {0, 1}, {std::ldexp(1.0, -1074), -1});
    expect_pair({1, 0}, {-1, 0}, {0, 1}, {0, ulps(-1.0, 1)});
}

}  // namespace
