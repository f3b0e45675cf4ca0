// The split order found without the quicksort must be the quicksort's own
// wherever the keys leave it no choice, and must refuse where they do.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "traced/1_sort/distinct_split_order.hpp"
#include "traced/1_sort/split_order_sort.hpp"

namespace {

using d2d::PageBuffer;
using d2d::traced::PlacedPoint;

PageBuffer<PlacedPoint> placed(const std::vector<PlacedPoint>& points) {
    PageBuffer<PlacedPoint> out(points.size());
    for (size_t i = 0; i < points.size(); ++i) out[i] = points[i];
    return out;
}

// Record pointers stand for the points' identities; no record is read.
std::vector<PlacedPoint> numbered(std::vector<PlacedPoint> points) {
    static std::vector<Point3D> records(200000);
    for (size_t i = 0; i < points.size(); ++i) points[i].record = &records.at(i);
    return points;
}

// The quicksort's order against the one without it: equal where the latter
// accepts the keys; `expect_accepted` says whether it should.
void expect_same_order(const std::vector<PlacedPoint>& points, bool expect_accepted) {
    PageBuffer<PlacedPoint> by_quicksort = placed(points);
    std::srand(3);
    d2d::traced::sort_split_order(by_quicksort);
    PageBuffer<PlacedPoint> direct;
    PageBuffer<uint32_t> places;
    const PageBuffer<PlacedPoint> input = placed(points);
    const bool accepted = d2d::traced::sort_distinct_split_order(input, direct, places, d2d::thread_support::traced_call_threads());
    ASSERT_EQ(accepted, expect_accepted);
    if (!accepted) return;
    ASSERT_EQ(direct.size(), by_quicksort.size());
    EXPECT_TRUE(direct.empty() ||
                std::memcmp(direct.data(), by_quicksort.data(), direct.size() * sizeof(PlacedPoint)) == 0);
    ASSERT_EQ(places.size(), input.size());
    for (size_t i = 0; i < input.size(); ++i) {
        ASSERT_LT(places[i], direct.size());
        EXPECT_EQ(direct[places[i]].record, input[i].record) << "place of point " << i;
    }
}

TEST(DistinctSplitOrder, MatchesTheQuicksortOnDistinctKeys) {
    std::mt19937_64 rng(21);
    std::uniform_real_distribution<double> u(-1e3, 1e3);
    for (const size_t n : {0u, 1u, 2u, 3u, 17u, 1000u, 100000u}) {
        std::vector<PlacedPoint> points;
        for (size_t i = 0; i < n; ++i) points.push_back({u(rng), u(rng), u(rng), nullptr});
        expect_same_order(numbered(points), true);
    }
}

TEST(DistinctSplitOrder, RunsOfEqualXGoByYThenZw) {
    std::vector<PlacedPoint> points;
    for (int x = -20; x < 20; ++x) {
        for (int y = 0; y < 30; ++y) points.push_back({x * 0.5, (y * 7) % 30 - 15.0, double((x * y) % 5), nullptr});
    }
    // Equal x and y, different z + w: still distinct.
    points.push_back({1.0, 2.0, -4.0, nullptr});
    points.push_back({1.0, 2.0, 4.0, nullptr});
    std::shuffle(points.begin(), points.end(), std::mt19937(5));
    expect_same_order(numbered(points), true);
}

TEST(DistinctSplitOrder, SignedZerosAndInfinities) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<PlacedPoint> points = {
        {0.0, 1.0, 0.0, nullptr},  {-0.0, 2.0, 0.0, nullptr}, {-0.0, -1.0, 0.0, nullptr},
        {inf, 0.0, 0.0, nullptr},  {-inf, 3.0, 0.0, nullptr}, {-1e-300, 0.0, 0.0, nullptr},
        {1e-300, 5.0, 0.0, nullptr}, {-5.0, inf, 0.0, nullptr}, {-5.0, -inf, 1.0, nullptr},
        {2.0, 0.0, -0.0, nullptr}, {2.0, 0.0, 1e-310, nullptr},
    };
    expect_same_order(numbered(points), true);
}

TEST(DistinctSplitOrder, RefusesEqualOrNaNKeys) {
    const double nan = std::nan("");
    // Equal in every key (zero and minus zero are equal too).
    expect_same_order(numbered({{1.0, 2.0, 3.0, nullptr}, {0.0, 0.0, 0.0, nullptr}, {1.0, 2.0, 3.0, nullptr}}), false);
    expect_same_order(numbered({{0.0, 1.0, 0.0, nullptr}, {-0.0, 1.0, -0.0, nullptr}, {5.0, 1.0, 0.0, nullptr}}), false);
    for (int k = 0; k < 3; ++k) {
        std::vector<PlacedPoint> points = {{1.0, 2.0, 3.0, nullptr}, {4.0, 5.0, 6.0, nullptr}, {7.0, 8.0, 9.0, nullptr}};
        (k == 0 ? points[1].x : k == 1 ? points[1].y : points[1].zw) = nan;
        expect_same_order(numbered(points), false);
    }
}

// Deferring the draws must leave the points in the quicksort's order and,
// once the draws are made, the C library's random state where the
// quicksort leaves it.
void expect_same_order_and_draws(const std::vector<PlacedPoint>& points) {
    PageBuffer<PlacedPoint> by_quicksort = placed(points);
    std::srand(11);
    d2d::traced::sort_split_order(by_quicksort);
    const int next_after_quicksort = std::rand();

    PageBuffer<PlacedPoint> deferred = placed(points);
    std::srand(11);
    d2d::traced::DeferredDraws draws;
    d2d::traced::sort_split_order_deferring_draws(deferred, draws, d2d::thread_support::traced_call_threads());
    draws.make();
    draws.make();  // nothing left the second time
    EXPECT_EQ(std::rand(), next_after_quicksort);
    ASSERT_EQ(deferred.size(), by_quicksort.size());
    EXPECT_EQ(std::memcmp(deferred.data(), by_quicksort.data(), deferred.size() * sizeof(PlacedPoint)), 0);
}

TEST(DistinctSplitOrder, DeferredDrawsAreTheQuicksortsDraws) {
    std::mt19937_64 rng(8);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (const size_t n : {100u, 4095u, 4096u, 50000u, 150000u}) {
        std::vector<PlacedPoint> points;
        for (size_t i = 0; i < n; ++i) points.push_back({u(rng), u(rng), 0.0, nullptr});
        expect_same_order_and_draws(numbered(points));
        // Equal in every key: the quicksort decides, with its own draws.
        points[n / 2] = points[n / 3];
        expect_same_order_and_draws(numbered(points));
    }
    // A shuffled grid: long runs of equal x.
    std::vector<PlacedPoint> grid;
    for (int i = 0; i < 10000; ++i) grid.push_back({double(i % 100), double(i / 100), 0.0, nullptr});
    std::shuffle(grid.begin(), grid.end(), std::mt19937(9));
    expect_same_order_and_draws(numbered(grid));
}

}  // namespace
