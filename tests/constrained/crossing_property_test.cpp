// The crossing rule as properties: on random segment sets across sizes,
// seeds and scales the result has exactly one vertex per proper crossing
// (counted here independently, in exact arithmetic), every segment is a
// chain of segment edges through vertices whose hot pixel it meets, and the
// exact checker passes; and each crossing point is the exact crossing
// rounded to nearest, ties to even.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "constrained/crossing_support.hpp"
#include "operations/constrained/crossing_point.hpp"

namespace {

using crossing_tests::Call;
using d2dtest::ConstrainedInput;

// n random segments with ends uniform in the square [0, scale)^2, of
// length at most `length` * scale (1: any).
ConstrainedInput random_segments(size_t n, double length, double scale, uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    ConstrainedInput in;
    for (size_t k = 0; k < n; ++k) {
        const double x = u(rng), y = u(rng);
        const double angle = 2.0 * M_PI * u(rng), r = length * u(rng);
        const double x2 = length >= 1.0 ? u(rng) : std::clamp(x + r * std::cos(angle), 0.0, 1.0);
        const double y2 = length >= 1.0 ? u(rng) : std::clamp(y + r * std::sin(angle), 0.0, 1.0);
        in.xy.insert(in.xy.end(), {x * scale, y * scale, x2 * scale, y2 * scale});
        in.segments.insert(in.segments.end(), {static_cast<uint32_t>(2 * k), static_cast<uint32_t>(2 * k + 1)});
    }
    return in;
}

void expect_arrangement(const ConstrainedInput& in, const std::string& what) {
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK) << what;
    EXPECT_EQ(run.result.added_count, crossing_tests::proper_crossings(in)) << what;
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "") << what;
}

TEST(CrossingProperty, OneVertexPerCrossingAcrossSizesSeedsAndScales) {
    const double scales[] = {1.0, 1e-300, 0x1p-996, 0x1p-1014, 1e300};
    for (uint64_t seed = 1; seed <= 4; ++seed) {
        for (const size_t n : {4, 30, 150}) {
            const double scale = scales[(seed + n) % 5];
            expect_arrangement(random_segments(n, 1.0, scale, seed),
                               "seed " + std::to_string(seed) + ", " + std::to_string(n) + " segments, scale " + std::to_string(std::log2(scale)));
        }
    }
    // Short segments, many of them: about 1,500 crossings.
    expect_arrangement(random_segments(4000, 0.03, 1.0, 9), "4000 short segments");
}

// The double nearest to q, ties to even, found independently.
double nearest_double(const mpq_class& q) {
    double d = q.get_d();
    for (int k = 0; k < 2; ++k) {
        for (const double c : {std::nextafter(d, -INFINITY), std::nextafter(d, INFINITY)}) {
            const mpq_class ec = abs(mpq_class(c) - q), ed = abs(mpq_class(d) - q);
            if (ec < ed) {
                d = c;
            } else if (ec == ed && c != d) {
                int e;
                const double m = std::frexp(c, &e);
                if (std::fmod(std::ldexp(m, 53), 2.0) == 0.0) d = c;
            }
        }
    }
    return d;
}

// The exact crossing of a - b and c - d, rounded by the test.
std::pair<double, double> expected_crossing(const double* a, const double* b, const double* c, const double* d) {
    const mpq_class ax(a[0]), ay(a[1]), bx(b[0]), by(b[1]), cx(c[0]), cy(c[1]), dx(d[0]), dy(d[1]);
    const mpq_class da = (cx - ax) * (dy - ay) - (cy - ay) * (dx - ax);
    const mpq_class db = (cx - bx) * (dy - by) - (cy - by) * (dx - bx);
    const mpq_class t = da / (da - db);
    return {nearest_double(ax + (bx - ax) * t), nearest_double(ay + (by - ay) * t)};
}

TEST(CrossingProperty, CrossingPointsAreRoundedToNearest) {
    std::mt19937_64 rng(21);
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::uniform_int_distribution<int> exponent(-1070, 1000);
    size_t checked = 0;
    for (int k = 0; k < 8000; ++k) {
        // One scale for all four points, or each its own (spread wide).
        const bool spread = k % 4 == 3;
        const double common = std::ldexp(1.0, exponent(rng));
        double p[8];
        for (double& v : p) v = u(rng) * (spread ? std::ldexp(1.0, exponent(rng) / 4) : common);
        if (k % 7 == 0) p[0] = p[2];  // a vertical segment
        const auto o = [&](int i, int j, int l) {
            return d2dtest::orient_sign_rational(p[i], p[i + 1], p[j], p[j + 1], p[l], p[l + 1]);
        };
        if (o(0, 2, 4) * o(0, 2, 6) >= 0 || o(4, 6, 0) * o(4, 6, 2) >= 0) continue;
        const auto got = d2d::operations::constrained::crossing_point(p, p + 2, p + 4, p + 6);
        const auto want = expected_crossing(p, p + 2, p + 4, p + 6);
        ASSERT_EQ(got.first, want.first) << "case " << k;
        ASSERT_EQ(got.second, want.second) << "case " << k;
        ++checked;
    }
    EXPECT_GT(checked, 1000u);
    // A crossing exactly halfway between 1 and the next double: to even.
    const double a[2] = {1.0, 0.0}, b[2] = {1.0 + 0x1p-52, 2.0}, c[2] = {0.0, 1.0}, d[2] = {3.0, 1.0};
    const auto tie = d2d::operations::constrained::crossing_point(a, b, c, d);
    EXPECT_EQ(tie.first, 1.0);
    EXPECT_EQ(tie.second, 1.0);
}

// Crossings that are doubles themselves come out unchanged, also at a power
// of two (where the gap below is half the gap above) and one double off it,
// and for steep and shallow pairs: the rounding's midpoint tests must not
// move an exact answer.
TEST(CrossingProperty, CrossingsOnDoublesAreExact) {
    for (const double x : {1.0, 1.0 - 0x1p-53, 1.0 + 0x1p-52, 0x1p-30, 3.0 * 0x1p-1000, 0x1p900}) {
        for (const double y : {1.0, 0.75, 0x1p-20, 1.0 - 0x1p-53}) {
            for (const double spread : {1.0, 1024.0}) {
                // Diagonals of a box around (x, y): where its sides are
                // exact the crossing is (x, y) itself; the expected point
                // is computed exactly either way.
                const double hx = x * 0.5, hy = y * 0.5 * spread;
                const double a[2] = {x - hx, y - hy}, b[2] = {x + hx, y + hy};
                const double c[2] = {x - hx, y + hy}, d[2] = {x + hx, y - hy};
                const auto got = d2d::operations::constrained::crossing_point(a, b, c, d);
                const auto want = expected_crossing(a, b, c, d);
                EXPECT_EQ(got.first, want.first) << x << " " << y;
                EXPECT_EQ(got.second, want.second) << x << " " << y;
            }
        }
    }
}

}  // namespace
