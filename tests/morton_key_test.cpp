// The Morton key both the index-array call and location order by, and
// location over a span wider than the largest double, where a scale taken
// from the unhalved span would put every query in one cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "delaunay2d.h"
#include "engine/spatial/morton_key.hpp"
#include "engine/system/thread_count.hpp"
#include "operations/locate/query_order.hpp"
#include "support/exact_rational.hpp"

namespace {

constexpr double kWide = 1e308;  // -kWide .. kWide spans 2e308, beyond the largest double

int orient(double ax, double ay, double bx, double by, double cx, double cy) {
    const int quick = d2dtest::orient_sign_quick(ax, ay, bx, by, cx, cy);
    return quick != 0 ? quick : d2dtest::orient_sign_rational(ax, ay, bx, by, cx, cy);
}

// n (x, y) pairs in [low, high]^2, drawn at half size and doubled (exact) so
// that a span beyond the largest double does not overflow the draw.
std::vector<double> uniform_pairs(size_t n, double low, double high, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(low * 0.5, high * 0.5);
    std::vector<double> xy(2 * n);
    for (double& v : xy) v = 2.0 * u(rng);
    return xy;
}

// Cells never reverse two coordinates, the ends of the range land in the
// first and last cell, and a range of any finite width is cut evenly.
TEST(MortonKey, CellsAreMonotoneAndSpanEveryFiniteRange) {
    const double ranges[][2] = {{0.0, 1.0}, {-3.5, 1e-3}, {1e6, 1e6 + 1.0}, {-kWide, kWide},
                                {-1.7976931348623157e308, 1.7976931348623157e308}};
    for (const double cells : {65535.0, 65536.0}) {
        for (const auto& range : ranges) {
            const d2d::CellScale scale(range[0], range[1], cells);
            EXPECT_EQ(scale.cell(range[0]), 0u);
            EXPECT_EQ(scale.cell(range[1]), d2d::kLastCell);
            // The midpoint (computed without overflow) falls in the middle.
            const uint32_t middle = scale.cell(range[0] * 0.5 + range[1] * 0.5);
            EXPECT_GE(middle, 32766u) << range[0] << " .. " << range[1];
            EXPECT_LE(middle, 32768u) << range[0] << " .. " << range[1];
            std::vector<double> values = uniform_pairs(1000, range[0], range[1], 3);
            std::sort(values.begin(), values.end());
            for (size_t i = 1; i < values.size(); ++i) ASSERT_LE(scale.cell(values[i - 1]), scale.cell(values[i]));
        }
    }
    // An empty or single-valued range: one cell.
    EXPECT_EQ(d2d::CellScale(2.0, 2.0, 65536.0).cell(2.0), 0u);
}

// Over a span wider than the largest double the queries still follow the
// curve: those of the lower-left quadrant come first, all of them.
TEST(MortonKey, WideQueriesAreSpreadOverCells) {
    const std::vector<double> q = uniform_pairs(5000, -kWide, kWide, 5);
    for (const unsigned threads : {1u, 2u}) {
        const d2d::operations::CurveOrder order =
            d2d::operations::queries_in_curve_order(q.data(), q.size() / 2, d2d::ThreadCount(threads));
        ASSERT_EQ(order.size(), q.size() / 2);
        size_t lower_left = 0;
        for (size_t i = 0; i < q.size() / 2; ++i) lower_left += q[2 * i] < 0.0 && q[2 * i + 1] < 0.0;
        ASSERT_GT(lower_left, 1000u);
        for (size_t i = 0; i < order.size(); ++i) {
            const bool in_lower_left = order.xy[2 * i] < 0.0 && order.xy[2 * i + 1] < 0.0;
            ASSERT_EQ(in_lower_left, i < lower_left) << "place " << i;
        }
    }
}

// Location over a mesh and queries spanning -1e308 .. 1e308: every query
// inside the square is located in a triangle that holds it (exact check),
// the same on one thread and two.
TEST(MortonKey, WideQueriesAreLocated) {
    std::vector<double> points = uniform_pairs(3000, -kWide, kWide, 7);
    points.insert(points.end(), {-kWide, -kWide, kWide, -kWide, kWide, kWide, -kWide, kWide});
    delaunay2d_result mesh{};
    ASSERT_EQ(delaunay2d_triangulate(points.data(), points.size() / 2, 2, 1, &mesh), DELAUNAY2D_OK);
    std::vector<double> q = uniform_pairs(6000, -kWide, kWide, 11);
    q.insert(q.end(), points.begin(), points.begin() + 200);  // on vertices
    const size_t n = q.size() / 2;
    std::vector<int32_t> one(n), two(n);
    ASSERT_EQ(delaunay2d_locate(points.data(), 2, &mesh, q.data(), n, 1, one.data()), DELAUNAY2D_OK);
    ASSERT_EQ(delaunay2d_locate(points.data(), 2, &mesh, q.data(), n, 2, two.data()), DELAUNAY2D_OK);
    EXPECT_EQ(one, two);
    for (size_t i = 0; i < n; ++i) {
        ASSERT_GE(one[i], 0) << "query " << i;
        const uint32_t* v = mesh.triangles + 3 * static_cast<size_t>(one[i]);
        for (int e = 0; e < 3; ++e) {
            const uint32_t a = v[e], b = v[(e + 1) % 3];
            ASSERT_GE(orient(points[2 * a], points[2 * a + 1], points[2 * b], points[2 * b + 1], q[2 * i],
                             q[2 * i + 1]),
                      0)
                << "query " << i;
        }
    }
    delaunay2d_result_free(&mesh);
}

}  // namespace
