// The exact side test under --clip, against integer arithmetic that cannot
// round (the coordinates are integers scaled by a power of two and moved
// far from the origin, all exact in doubles), and the even-odd rule of the clip polygon at its borders.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "formats/controls/clip_polygon.hpp"
#include "formats/controls/exact_side.hpp"

namespace {

int sign_of(std::int64_t value) { return value > 0 ? 1 : value < 0 ? -1 : 0; }

TEST(ClipPolygon, ExactSideAgreesWithIntegersOnNearlyStraightTriples) {
    // Points on or one unit beside the line through a and b, scaled by a
    // power of two (exact in doubles) to sit far from the origin, where the
    // floating-point determinant loses its sign.
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> coordinate(-(std::int64_t{1} << 26), std::int64_t{1} << 26);
    int off_the_line = 0;
    for (int trial = 0; trial < 20000; ++trial) {
        const std::int64_t ax = coordinate(random), ay = coordinate(random);
        const std::int64_t dx = coordinate(random) % 1000, dy = coordinate(random) % 1000;
        const std::int64_t k = coordinate(random) % 5000;
        const std::int64_t px = ax + k * dx + (trial % 3 - 1), py = ay + k * dy;
        const std::int64_t bx = ax + dx, by = ay + dy;
        const double scale = std::ldexp(1.0, 20);
        // At most 5e6 * 5e6 per product: int64 holds the determinant exactly.
        const std::int64_t det = (ax - px) * (by - py) - (ay - py) * (bx - px);
        const int side = d2dcli::exact_side(ax * scale + 4.0e15, ay * scale, bx * scale + 4.0e15, by * scale,
                                            px * scale + 4.0e15, py * scale);
        ASSERT_EQ(side, sign_of(det)) << trial;
        off_the_line += side == 0 ? 0 : 1;
    }
    EXPECT_GT(off_the_line, 0);
}

TEST(ClipPolygon, EvenOddHolesAndSharedBorders) {
    // A 4 x 4 square with a 2 x 2 hole, and a second square sharing the
    // outer square's right side: the shared side cancels, so the two make
    // one 8 x 4 rectangle with a hole.
    const std::vector<double> xy = {0, 0, 4, 0, 4, 4, 0, 4, 1, 1, 3, 1, 3, 3, 1, 3, 8, 0, 8, 4};
    const std::vector<std::uint32_t> segments = {0, 1, 1, 2, 2, 3, 3, 0, 4, 5, 5, 6, 6, 7, 7, 4,
                                                 1, 8, 8, 9, 9, 2, 2, 1};
    const d2dcli::ClipPolygon polygon(xy, segments);
    EXPECT_TRUE(polygon.contains(0.5, 0.5));
    EXPECT_FALSE(polygon.contains(2.0, 2.0));   // in the hole
    EXPECT_TRUE(polygon.contains(4.0, 2.0));    // on the cancelled shared side
    EXPECT_TRUE(polygon.contains(6.0, 0.5));
    EXPECT_FALSE(polygon.contains(8.5, 2.0));
    EXPECT_FALSE(polygon.contains(-1e-300, 2.0));
    // A row agrees with the point test, also at the hole's sides (x = 1, 3)
    // where the half-open rule decides.
    const std::vector<double> xs = {-1, 0, 0.5, 1, 2, 3, 3.5, 4, 7.9, 8, 9};
    for (double y : {0.0, 1.0, 2.0, 3.0, 3.999999999999}) {
        std::vector<std::uint8_t> inside;
        polygon.row(y, xs, inside);
        for (std::size_t k = 0; k < xs.size(); ++k) {
            EXPECT_EQ(inside[k] != 0, polygon.contains(xs[k], y)) << xs[k] << " " << y;
        }
    }
}

}  // namespace
