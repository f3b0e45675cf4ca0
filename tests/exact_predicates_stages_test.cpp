// The adaptive stages of the exact evaluation (exact_predicates.cpp) against
// GMP rationals. The out-of-line functions are called directly as well as
// through the filtered predicates, so that every stage is reached: easy
// configurations whose coordinate differences round (the early stages decide
// them), points a few ulps off a circle or a line (the stages of second order
// in eps decide them, or the full evaluation), and exactly cocircular or
// collinear points whose differences round (only the full evaluation can say
// 0 there).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "engine/exact/exact_predicates.hpp"
#include "support/exact_rational.hpp"
#include "support/predicate_checks.hpp"
#include "support/predicate_inputs.hpp"

namespace {

using namespace d2dtest;

using d2d::incircle_exact;
using d2d::orient2d_exact;
using d2d::exact_detail::incircle_slow;
using d2d::exact_detail::orient2d_slow;

// Counts of the exact signs seen, to check that a family really contains the
// cases it is meant to (e.g. exact zeros).
struct SignCounts {
    int negative = 0;
    int zero = 0;
    int positive = 0;
    void add(int s) { (s < 0 ? negative : (s == 0 ? zero : positive)) += 1; }
};

// The orientation directly, in orders that keep or flip the sign, each time
// with a different point as the translation origin; and through the filter.
int expect_orient(P a, P b, P c) {
    const int expected = expect_orient_signs(orient2d_slow, a, b, c);
    EXPECT_EQ(sign_of(orient2d_exact(a.x, a.y, b.x, b.y, c.x, c.y)), expected) << a << " " << b << " " << c;
    return expected;
}

// The in-circle test directly, in orders that keep or flip the sign (swapping
// c and d moves the translation origin); and through the filter.
int expect_incircle(P a, P b, P c, P d) {
    const int expected = expect_incircle_signs(incircle_slow, a, b, c, d);
    EXPECT_EQ(sign_of(incircle_exact(a.x, a.y, b.x, b.y, c.x, c.y, d.x, d.y)), expected)
        << a << " " << b << " " << c << " " << d;
    return expected;
}

// A factor 1 + k 2^-41 with k odd (42 significant bits): an integer |x| < 2^11
// times it is still a double.
double long_factor(std::mt19937_64& rng) {
    const std::uint64_t k = (rng() & ((std::uint64_t{1} << 41) - 1)) | 1;
    return 1.0 + std::ldexp(static_cast<double>(k), -41);
}

// Whether some coordinate difference against the last point rounds.
bool differences_round(const P* q, int n) {
    const P& o = q[n - 1];
    for (int i = 0; i + 1 < n; ++i) {
        const double dx = q[i].x - o.x;
        const double dy = q[i].y - o.y;
        if (dx + o.x != q[i].x || q[i].x - dx != o.x || dy + o.y != q[i].y || q[i].y - dy != o.y) return true;
    }
    return false;
}

// Random configurations taken straight to the out-of-line evaluation: most
// have rounding differences and a determinant far from zero, which the first
// stages settle; the signs must all be exact.
TEST(ExactPredicateStages, EasyConfigurationsDirectly) {
    std::mt19937_64 rng(314);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const double offsets[] = {0.0, 0.75, 1e6, -3.3e9};
    for (const double o : offsets) {
        for (int i = 0; i < 3000; ++i) {
            const P a{o + unit(rng), o - unit(rng)}, b{o + unit(rng), o + unit(rng)};
            const P c{o + unit(rng), o - unit(rng)}, d{o + 1e-3 * unit(rng), o + 1e-3 * unit(rng)};
            expect_orient(a, b, c);
            expect_incircle(a, b, c, d);
        }
    }
}

// Rounded points of a circle (centre at the origin, so coordinates of both
// signs and rounding differences; and at an offset of 1e6, where neighbouring
// coordinates subtract exactly) with the fourth point moved by up to 2 ulps.
TEST(ExactPredicateStages, PointsUlpsOffACircle) {
    std::mt19937_64 rng(2718);
    std::uniform_real_distribution<double> angle(0.0, 6.283185307179586);
    const double offsets[] = {0.0, 1e6};
    const double radii[] = {1.0, 0.37, 3e-4};
    for (const double o : offsets) {
        for (const double r : radii) {
            for (int i = 0; i < 300; ++i) {
                P q[4];
                for (P& p : q) {
                    const double t = angle(rng);
                    p = {o + r * std::cos(t), o + r * std::sin(t)};
                }
                for (int k = -2; k <= 2; ++k) {
                    expect_incircle(q[0], q[1], q[2], {ulps(q[3].x, k), q[3].y});
                    expect_incircle(q[0], q[1], q[2], {q[3].x, ulps(q[3].y, k)});
                }
            }
        }
    }
}

// Many points of one circle close together, as a triangulation of points on
// a circle asks: neighbours in angle, all four within a short arc.
TEST(ExactPredicateStages, NeighbouringPointsOnACircle) {
    const int n = 100000;
    const double step = 6.283185307179586 / n;
    std::mt19937_64 rng(55);
    std::uniform_int_distribution<int> start(0, n - 1);
    for (int i = 0; i < 4000; ++i) {
        const int s = start(rng);
        P q[4];
        for (int k = 0; k < 4; ++k) {
            const double t = (s + k * (1 + i % 3)) * step;
            q[k] = {std::cos(t), std::sin(t)};
        }
        expect_incircle(q[0], q[1], q[2], q[3]);
        expect_incircle(q[0], q[2], q[1], {ulps(q[3].x, i % 5 - 2), q[3].y});
    }
}

// The eight points (+-x, +-y), (+-y, +-x) of one circle about the origin, for
// any doubles x and y: every four of them are exactly cocircular, and their
// differences (such as x + y) round for most x and y.
std::vector<P> symmetric_circle(double x, double y) {
    return {{x, y}, {-x, y}, {x, -y}, {-x, -y}, {y, x}, {-y, x}, {y, -x}, {-y, -x}};
}

// Exactly cocircular points whose coordinate differences round: no stage
// before the full evaluation can decide, and the answer must be exactly 0.
// Also with a point pushed 1 ulp off the circle and with one well inside.
TEST(ExactPredicateStages, CocircularPointsWithRoundingDifferences) {
    std::mt19937_64 rng(161803);
    std::uniform_real_distribution<double> unit(0.1, 1.0);
    std::uniform_int_distribution<int> pick(0, 7);
    SignCounts counts;
    int rounding = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::vector<P> circle = symmetric_circle(unit(rng), unit(rng));
        P q[4];
        for (P& p : q) p = circle[static_cast<std::size_t>(pick(rng))];
        rounding += differences_round(q, 4) ? 1 : 0;
        counts.add(expect_incircle(q[0], q[1], q[2], q[3]));
        const int k = i % 2 == 0 ? 1 : -1;
        expect_incircle(q[0], q[1], q[2], {ulps(q[3].x, k), q[3].y});
        expect_incircle(q[0], q[1], q[2], {q[3].x, ulps(q[3].y, k)});
        expect_incircle(q[0], q[1], q[2], {0.25 * q[3].x, 0.5 * q[3].y});
    }
    EXPECT_EQ(counts.zero, 3000);
    EXPECT_GT(rounding, 1000);
}

// Cocircular configurations of the kind above found by a search for the
// largest error of the in-circle stages of second order: their rounded
// value is off by about 6 to 8 eps^2 times the permanent, so a stage whose
// bound were cut below that would give them a nonzero sign.
TEST(ExactPredicateStages, CocircularPointsWithLargeStageError) {
    const P cases[][4] = {
        {{0x1.0ec2154ca972ap-1, -0x1.0ee18664603fdp-1},
         {0x1.0ee18664603fdp-1, 0x1.0ec2154ca972ap-1},
         {-0x1.0ee18664603fdp-1, -0x1.0ec2154ca972ap-1},
         {-0x1.0ec2154ca972ap-1, 0x1.0ee18664603fdp-1}},
        {{-0x1.0e615ae8f675bp-3, 0x1.0e5749acbdddcp-3},
         {-0x1.0e5749acbdddcp-3, 0x1.0e615ae8f675bp-3},
         {-0x1.0e5749acbdddcp-3, -0x1.0e615ae8f675bp-3},
         {0x1.0e5749acbdddcp-3, 0x1.0e615ae8f675bp-3}},
        {{-0x1.0a97392836e34p-1, 0x1.0a5a30ab9e1f1p-1},
         {-0x1.0a5a30ab9e1f1p-1, 0x1.0a97392836e34p-1},
         {-0x1.0a97392836e34p-1, -0x1.0a5a30ab9e1f1p-1},
         {0x1.0a5a30ab9e1f1p-1, 0x1.0a97392836e34p-1}},
        {{0x1.0c9f39b9d3b78p-3, -0x1.0c663d76113d9p-3},
         {-0x1.0c663d76113d9p-3, -0x1.0c9f39b9d3b78p-3},
         {-0x1.0c9f39b9d3b78p-3, -0x1.0c663d76113d9p-3},
         {-0x1.0c663d76113d9p-3, 0x1.0c9f39b9d3b78p-3}},
    };
    for (const auto& q : cases) {
        EXPECT_EQ(expect_incircle(q[0], q[1], q[2], q[3]), 0);
        EXPECT_EQ(incircle_slow(q[0].x, q[0].y, q[1].x, q[1].y, q[2].x, q[2].y, q[3].x, q[3].y), 0.0);
        for (int k = -1; k <= 1; k += 2) {
            expect_incircle(q[0], q[1], q[2], {ulps(q[3].x, k), q[3].y});
            expect_incircle(q[0], q[1], q[2], {q[3].x, ulps(q[3].y, k)});
        }
    }
}

// Exactly cocircular lattice points scaled by a long factor, at the origin
// and translated by 2^10 (exact): the translated copies have more exact
// differences; again with a point 1 ulp off the circle.
TEST(ExactPredicateStages, CocircularLatticePoints) {
    const std::vector<P> circle = lattice_circle();
    ASSERT_GT(circle.size(), 60u);
    std::mt19937_64 rng(2236);
    std::uniform_int_distribution<std::size_t> pick(0, circle.size() - 1);
    SignCounts counts;
    for (int i = 0; i < 2000; ++i) {
        const double s = long_factor(rng);
        // |x s| < 2^12 and 2^10 + |x s| < 2^12 keep 53 bits down to 2^-41.
        const double shift = (i % 2 == 1) ? 1024.0 : 0.0;
        P q[4];
        for (P& p : q) {
            const P l = circle[pick(rng)];
            p = {l.x * s + shift, l.y * s - shift};
        }
        counts.add(expect_incircle(q[0], q[1], q[2], q[3]));
        expect_incircle(q[0], q[1], q[2], {ulps(q[3].x, i % 3 == 0 ? 1 : -1), q[3].y});
    }
    EXPECT_EQ(counts.zero, 2000);
}

// Exactly collinear points: multiples of one vector (x, y) by signed powers
// of two, whose differences (such as 2x + x) round; also 1 ulp off the line.
TEST(ExactPredicateStages, CollinearPointsWithRoundingDifferences) {
    std::mt19937_64 rng(1414);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    std::uniform_int_distribution<int> factor(-3, 3);
    std::uniform_int_distribution<int> side(0, 1);
    SignCounts counts;
    int rounding = 0;
    for (int i = 0; i < 4000; ++i) {
        const double x = unit(rng), y = unit(rng);
        P pts[3];
        for (P& pt : pts) {
            const double m = std::ldexp(side(rng) == 0 ? 1.0 : -1.0, factor(rng));
            pt = {m * x, m * y};
        }
        rounding += differences_round(pts, 3) ? 1 : 0;
        counts.add(expect_orient(pts[0], pts[1], pts[2]));
        const int k = i % 2 == 0 ? 1 : -1;
        expect_orient(pts[0], pts[1], {ulps(pts[2].x, k), pts[2].y});
        expect_orient(pts[0], pts[1], {pts[2].x, ulps(pts[2].y, -k)});
    }
    EXPECT_EQ(counts.zero, 4000);
    EXPECT_GT(rounding, 1500);
}

// Nearly collinear points at offsets where the differences round or not.
TEST(ExactPredicateStages, PointsUlpsOffALine) {
    std::mt19937_64 rng(17);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const double offsets[] = {0.0, 1e6};
    for (const double o : offsets) {
        for (int i = 0; i < 3000; ++i) {
            const P a{o + unit(rng), o + unit(rng)}, b{o + unit(rng), o + unit(rng)};
            const double t = 2.0 * unit(rng);
            const P on{a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
            for (int k = -2; k <= 2; ++k) expect_orient(a, b, {ulps(on.x, k), ulps(on.y, i % 3 - 1)});
        }
    }
}

// The stages scale with the configuration: the same hard cases at tiny and
// huge magnitudes (rescaled inside the evaluation) and near the magnitude
// below which the stages step aside for the full evaluation.
TEST(ExactPredicateStages, HardCasesAtOtherMagnitudes) {
    const std::vector<P> circle = lattice_circle();
    std::mt19937_64 rng(99);
    std::uniform_int_distribution<std::size_t> pick(0, circle.size() - 1);
    const int exponents[] = {-1000, -700, -400, -200, -150, 100, 200, 230, 600, 900};
    for (int i = 0; i < 300; ++i) {
        const double s = long_factor(rng);
        P q[4];
        for (P& p : q) {
            const P l = circle[pick(rng)];
            p = {l.x * s, l.y * s};
        }
        for (const int e : exponents) {
            P sq[4];
            for (int k = 0; k < 4; ++k) sq[k] = {std::ldexp(q[k].x, e), std::ldexp(q[k].y, e)};
            expect_incircle(sq[0], sq[1], sq[2], sq[3]);
            expect_incircle(sq[0], sq[1], sq[2], {ulps(sq[3].x, 1), sq[3].y});
            expect_orient(sq[0], sq[1], {ulps(sq[2].x, -1), sq[2].y});
        }
    }
}

}  // namespace
