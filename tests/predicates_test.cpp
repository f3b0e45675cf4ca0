// Orientation value and segment crossing (the distance is checked with the
// circumcircle in triangle_ops_test.cpp).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "delaunay2d.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

Point3D at(double x, double y) {
    return Point3D{x, y, 0.0, 0.0};
}

TEST(Orientation, SignSizeAndToleranceBoundary) {
    const Point3D a = at(0, 0);
    const Point3D b = at(1, 0);
    struct Case {
        Point3D p;
        double expected;
    } cases[] = {
        {at(0.5, 1), 1.0},        // left of a->b
        {at(0.5, -1), -1.0},      // right
        {at(0.5, 5e-9), 0.0},     // within the tolerance
        {at(0.5, -5e-9), 0.0},
        {at(0.5, 1e-8), 1e-8},    // exactly the tolerance is not zero
        {at(0.5, -1e-8), -1e-8},
        {at(3, 0), 0.0},          // on the line beyond b
    };
    for (const Case& c : cases) {
        EXPECT_EQ(is_bottom_on_line_point_2d(&a, &b, &c.p), c.expected) << c.p.x << ", " << c.p.y;
    }
    // z and w take no part.
    const Point3D high{0.5, 1, 1e9, -1e9};
    EXPECT_EQ(is_bottom_on_line_point_2d(&a, &b, &high), 1.0);
}

TEST(Orientation, LineEndsAreRecognisedByAddressNotCoordinates) {
    const Point3D a{kNaN, kNaN, 0, 0};
    const Point3D b{kNaN, 1, 0, 0};
    EXPECT_EQ(is_bottom_on_line_point_2d(&a, &b, &a), 0.0);
    EXPECT_EQ(is_bottom_on_line_point_2d(&a, &b, &b), 0.0);
    // A distinct record with a's coordinates is a different point: NaN passes.
    const Point3D copy_of_a = a;
    EXPECT_TRUE(std::isnan(is_bottom_on_line_point_2d(&a, &b, &copy_of_a)));

    // A different record at a line end's position is evaluated: 0 by value.
    const Point3D c = at(0, 0), d = at(2, 3), c_again = at(0, 0);
    EXPECT_EQ(is_bottom_on_line_point_2d(&c, &d, &c_again), 0.0);
}

TEST(Orientation, ExchangingTheEndsNegatesExactValues) {
    std::mt19937 random(1);
    std::uniform_int_distribution<int> coordinate(-50, 50);
    for (int i = 0; i < 5000; ++i) {
        const Point3D a = at(coordinate(random), coordinate(random));
        const Point3D b = at(coordinate(random), coordinate(random));
        const Point3D p = at(coordinate(random), coordinate(random));
        const double forward = is_bottom_on_line_point_2d(&a, &b, &p);
        EXPECT_EQ(is_bottom_on_line_point_2d(&b, &a, &p), -forward);
        // Independent exact value: (b - a) x (p - a) on small integers.
        const double cross = (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
        EXPECT_EQ(forward, cross);
    }
}

TEST(SegmentCross, ClosedSegmentsMeetAtEndsAndInteriors) {
    EXPECT_TRUE(line_is_cross_2d(at(0, 0), at(2, 2), at(0, 2), at(2, 0)));   // interior crossing
    EXPECT_TRUE(line_is_cross_2d(at(0, 0), at(2, 0), at(1, 0), at(1, 1)));   // end on the first segment
    EXPECT_TRUE(line_is_cross_2d(at(0, 0), at(1, 1), at(1, 1), at(2, 0)));   // shared end
    EXPECT_TRUE(line_is_cross_2d(at(1, 0), at(1, 1), at(0, 0), at(2, 0)));   // end of the first on the second
    EXPECT_FALSE(line_is_cross_2d(at(0, 0), at(2, 0), at(1, 0), at(3, 0)));  // collinear overlap
    EXPECT_FALSE(line_is_cross_2d(at(0, 0), at(2, 0), at(0, 1), at(2, 1)));  // parallel
    EXPECT_FALSE(line_is_cross_2d(at(0, 0), at(1, 0), at(2, -1), at(2, 1))); // beyond b (t = 2)
    EXPECT_FALSE(line_is_cross_2d(at(0, 0), at(2, 0), at(1, 1), at(1, 3))); // t in range, u not
    EXPECT_FALSE(line_is_cross_2d(at(0, 0), at(2, 2), at(kNaN, 2), at(2, 0)));
    EXPECT_FALSE(line_is_cross_2d(at(0, 0), at(2, 2), at(0, 2), at(2, kNaN)));
}

// Against the orientation-sign test on small integers, where every value
// is exact; parallel pairs are left out (they never cross by definition).
TEST(SegmentCross, AgreesWithOrientationSignsOnIntegerGrids) {
    std::mt19937 random(2);
    std::uniform_int_distribution<int> coordinate(-4, 4);
    auto orient = [](const Point3D& a, const Point3D& b, const Point3D& p) {
        return (b.x - a.x) * (p.y - a.y) - (b.y - a.y) * (p.x - a.x);
    };
    int crossings = 0;
    for (int i = 0; i < 20000; ++i) {
        const Point3D a = at(coordinate(random), coordinate(random));
        const Point3D b = at(coordinate(random), coordinate(random));
        const Point3D c = at(coordinate(random), coordinate(random));
        const Point3D d = at(coordinate(random), coordinate(random));
        if ((b.x - a.x) * (d.y - c.y) - (d.x - c.x) * (b.y - a.y) == 0.0) continue;
        const bool expected = orient(a, b, c) * orient(a, b, d) <= 0 && orient(c, d, a) * orient(c, d, b) <= 0;
        crossings += expected;
        ASSERT_EQ(line_is_cross_2d(a, b, c, d), expected)
            << a.x << "," << a.y << " " << b.x << "," << b.y << " / " << c.x << "," << c.y << " " << d.x << "," << d.y;
    }
    EXPECT_GT(crossings, 1000);
}

}  // namespace
