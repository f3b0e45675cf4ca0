// The three point orders, the randomised quicksort and its use of rand().
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <random>
#include <vector>

#include "blocks/common/random_quick_sort.hpp"
#include "delaunay2d.h"
#include "blocks/point/point_order.hpp"
#include "support/stage_meshes.hpp"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A heap Point3DList over a set of points, as the host builds one.
class PointList {
public:
    explicit PointList(std::vector<Point3D>& points) : list_(d2dtest::make_record_list(points.data(), points.size())) {}
    ~PointList() { std::free(list_); }
    PointList(const PointList&) = delete;
    PointList& operator=(const PointList&) = delete;

    Point3DList* get() { return list_; }
    // Positions in the original vector, in list order.
    std::vector<std::size_t> order(const std::vector<Point3D>& points) const {
        std::vector<std::size_t> result;
        for (std::size_t i = 0; i < list_->length; ++i) result.push_back(static_cast<std::size_t>(list_->points[i] - points.data()));
        return result;
    }

private:
    Point3DList* list_;
};

struct OrderCase {
    Point3D a;
    Point3D b;
    int a_then_b;  // compare(a, b)
    int b_then_a;  // compare(b, a)
};

void expect_cases(PointCompare compare, const std::vector<OrderCase>& cases) {
    for (const OrderCase& c : cases) {
        EXPECT_EQ(compare(&c.a, &c.b), c.a_then_b) << "a (" << c.a.x << ", " << c.a.y << ", " << c.a.z << ", " << c.a.w
                                                    << ") b (" << c.b.x << ", " << c.b.y << ", " << c.b.z << ", " << c.b.w << ")";
        EXPECT_EQ(compare(&c.b, &c.a), c.b_then_a) << "reversed";
    }
}

TEST(PointOrder, SplitOrderDecidesStepByStep) {
    expect_cases(sort_point_x_maxY, {
        {{0, 0, 0, 0}, {1, -5, -9, 0}, 1, -1},      // smaller x first
        {{1, 5, 9, 0}, {1, 4, 0, 0}, 1, -1},        // equal x: larger y first
        {{1, 4, 1, 1}, {1, 4, 0, 3}, 1, -1},        // equal x, y: smaller z + w first
        {{1, 4, 1, 2}, {1, 4, 2, 1}, -1, -1},       // tie in every key: -1 both ways
        {{-0.0, 0.0, 0, 0}, {0.0, -0.0, 0, 1}, 1, -1},  // signed zeros are equal: z + w decides
        {{kNaN, 0, 0, 0}, {1, 0, 0, 0}, -1, -1},    // NaN x never goes first ...
        {{kNaN, 9, 0, 0}, {kNaN, 0, 0, 0}, -1, -1}, // ... nor lets y decide
        {{1, kNaN, -5, 0}, {1, 0, 0, 0}, -1, -1},   // NaN y never lets z + w decide
        {{1, 0, kNaN, 0}, {1, 0, 0, 0}, -1, -1},    // NaN sum: -1 both ways
    });
}

TEST(PointOrder, BottomFirstOrdersBreakYTiesOppositeWays) {
    expect_cases(sort_point_y_lx, {
        {{9, 0, 0, 0}, {-9, 1, 0, 0}, 1, -1},       // lower first
        {{5, 1, 9, 9}, {4, 1, 0, 0}, 1, -1},        // equal y: rightmost first
        {{5, 1, 0, 0}, {5, 1, 0, 1}, 1, -1},        // then smaller z + w
        {{5, kNaN, 0, 0}, {4, 1, 0, 0}, -1, -1},
        {{kNaN, 1, -9, 0}, {4, 1, 0, 0}, -1, -1},
    });
    expect_cases(sort_point_y_rx, {
        {{9, 0, 0, 0}, {-9, 1, 0, 0}, 1, -1},
        {{4, 1, 9, 9}, {5, 1, 0, 0}, 1, -1},        // equal y: leftmost first
        {{5, 1, 0, 0}, {5, 1, 0, 1}, 1, -1},
        {{5, 1, 0, 0}, {5, 1, 1, -1}, -1, -1},
        {{kNaN, 1, -9, 0}, {4, 1, 0, 0}, -1, -1},
    });
}

// The key-record sort of the pipeline decides through split_order_before;
// it must agree with the exported order everywhere, NaN and ties included.
TEST(PointOrder, SplitOrderBeforeAgreesWithTheExportedOrder) {
    std::mt19937_64 random(3);
    const double values[] = {-1.0, -0.0, 0.0, 0.5, 1.0, kNaN, INFINITY};
    auto pick = [&] { return values[random() % 7]; };
    for (int i = 0; i < 20000; ++i) {
        const Point3D a{pick(), pick(), pick(), pick()};
        const Point3D b{pick(), pick(), pick(), pick()};
        const bool before = d2d::split_order_before(a.x, a.y, a.z + a.w, b.x, b.y, b.z + b.w);
        ASSERT_EQ(before ? 1 : -1, sort_point_x_maxY(&a, &b));
    }
}

std::vector<Point3D> random_points(std::size_t n, unsigned seed, int coordinate_range) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> coordinate(0, coordinate_range);
    std::vector<Point3D> points;
    for (std::size_t i = 0; i < n; ++i) {
        points.push_back(Point3D{double(coordinate(random)), double(coordinate(random)), double(coordinate(random)),
                                 double(coordinate(random))});
    }
    return points;
}

// The sorted list is a permutation of the input that the order accepts at
// every step, with the same key sequence as a standard sort.
void expect_sorted(PointCompare compare, std::vector<Point3D>& points) {
    PointList list(points);
    sort_point(list.get(), compare);
    std::vector<std::size_t> order = list.order(points);
    std::vector<std::size_t> sorted_positions = order;
    std::sort(sorted_positions.begin(), sorted_positions.end());
    for (std::size_t i = 0; i < sorted_positions.size(); ++i) ASSERT_EQ(sorted_positions[i], i) << "not a permutation";

    std::vector<const Point3D*> reference;
    for (const Point3D& p : points) reference.push_back(&p);
    std::stable_sort(reference.begin(), reference.end(),
                     [&](const Point3D* a, const Point3D* b) { return compare(a, b) > 0; });
    for (std::size_t i = 0; i < order.size(); ++i) {
        const Point3D& got = points[order[i]];
        ASSERT_EQ(got.x, reference[i]->x) << "position " << i;
        ASSERT_EQ(got.y, reference[i]->y) << "position " << i;
        ASSERT_EQ(got.z + got.w, reference[i]->z + reference[i]->w) << "position " << i;
        if (i > 0) {
            ASSERT_NE(compare(&got, &points[order[i - 1]]), 1) << "position " << i;
        }
    }
}

TEST(SortPoint, SortsByEachOrderWithManyEqualKeys) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        for (PointCompare compare : {sort_point_x_maxY, sort_point_y_lx, sort_point_y_rx}) {
            std::vector<Point3D> points = random_points(seed * 37, seed, seed % 2 == 0 ? 3 : 1000);
            expect_sorted(compare, points);
        }
    }
}

TEST(SortPoint, SortedReversedAndConstantInputs) {
    std::vector<Point3D> ascending, descending, constant;
    for (int i = 0; i < 20000; ++i) {
        ascending.push_back(Point3D{double(i), 0, 0, 0});
        descending.push_back(Point3D{double(-i), double(i), 0, 0});
    }
    for (int i = 0; i < 3000; ++i) constant.push_back(Point3D{1, 1, 1, 1});
    expect_sorted(sort_point_x_maxY, ascending);
    expect_sorted(sort_point_x_maxY, descending);
    expect_sorted(sort_point_y_rx, descending);
    expect_sorted(sort_point_x_maxY, constant);
}

TEST(SortPoint, SmallListsDrawNothingAndTwoEqualPointsKeepTheirOrder) {
    std::srand(99);
    const int first_draw = std::rand();
    std::srand(99);

    std::vector<Point3D> none;
    PointList empty(none);
    sort_point(empty.get(), sort_point_x_maxY);

    std::vector<Point3D> one = {{5, 5, 5, 5}};
    PointList single(one);
    sort_point(single.get(), sort_point_x_maxY);
    EXPECT_EQ(single.order(one), (std::vector<std::size_t>{0}));

    std::vector<Point3D> pair = {{2, 0, 0, 0}, {1, 0, 0, 0}};
    PointList two(pair);
    sort_point(two.get(), sort_point_x_maxY);
    EXPECT_EQ(two.order(pair), (std::vector<std::size_t>{1, 0}));
    sort_point(two.get(), sort_point_x_maxY);
    EXPECT_EQ(two.order(pair), (std::vector<std::size_t>{1, 0}));

    std::vector<Point3D> twins = {{1, 2, 3, 4}, {1, 2, 4, 3}};
    PointList equal(twins);
    sort_point(equal.get(), sort_point_x_maxY);
    EXPECT_EQ(equal.order(twins), (std::vector<std::size_t>{0, 1}));

    EXPECT_EQ(std::rand(), first_draw) << "a sort of at most two points drew a random number";
}

TEST(SortPoint, RandomPartitionDrawsExactlyOnce) {
    std::srand(5);
    std::rand();
    const int second_draw = std::rand();
    std::srand(5);
    std::vector<Point3D> points = random_points(10, 4, 100);
    PointList list(points);
    const std::size_t q = random_partition(list.get(), 2, 8, sort_point_x_maxY);
    EXPECT_EQ(std::rand(), second_draw);
    EXPECT_GE(q, 2u);
    EXPECT_LE(q, 8u);
    const std::vector<std::size_t> order = list.order(points);
    EXPECT_EQ(order[0], 0u);
    EXPECT_EQ(order[1], 1u);
    EXPECT_EQ(order[9], 9u);
    for (std::size_t i = 2; i <= 8; ++i) {
        if (i == q) continue;
        EXPECT_EQ(sort_point_x_maxY(&points[order[i]], &points[order[q]]), i < q ? 1 : -1) << i;
    }
}

TEST(SortPoint, PartitionLeavesAnAllBeforePartInPlace) {
    std::vector<Point3D> points = {{0, 0, 0, 0}, {3, 0, 0, 0}, {1, 0, 0, 0}, {2, 0, 0, 0}, {10, 0, 0, 0}};
    PointList list(points);
    EXPECT_EQ(partition(list.get(), 0, 4, sort_point_x_maxY), 4u);
    EXPECT_EQ(list.order(points), (std::vector<std::size_t>{0, 1, 2, 3, 4}));
    // A part of one element: no comparison, lo returned.
    EXPECT_EQ(partition(list.get(), 3, 3, [](const Point3D*, const Point3D*) -> int {
                  ADD_FAILURE() << "compared";
                  return 1;
              }),
              3u);
    // Nothing goes before the smallest point: it lands at lo.
    std::vector<Point3D> high_first = {{5, 0, 0, 0}, {7, 0, 0, 0}, {6, 0, 0, 0}, {1, 0, 0, 0}};
    PointList high(high_first);
    EXPECT_EQ(partition(high.get(), 0, 3, sort_point_x_maxY), 0u);
    EXPECT_EQ(high.order(high_first)[0], 3u);
}

TEST(SortPoint, SubrangeSortLeavesTheRestAlone) {
    std::vector<Point3D> points = random_points(50, 8, 1000);
    PointList list(points);
    random_quick_sort(list.get(), 10, 39, sort_point_x_maxY);
    const std::vector<std::size_t> order = list.order(points);
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(order[i], i);
    for (std::size_t i = 40; i < 50; ++i) EXPECT_EQ(order[i], i);
    for (std::size_t i = 11; i < 40; ++i) EXPECT_NE(sort_point_x_maxY(&points[order[i]], &points[order[i - 1]]), 1);
}

// A sort of key records through the same templates makes the same draws and
// so leaves points that tie in every key in the same arrangement as the
// pointer-list sort.
struct KeyRecord {
    double x, y, zw;
    std::size_t id;
};

TEST(SortPoint, KeyRecordSortMatchesThePointerListSortDrawForDraw) {
    for (unsigned seed = 1; seed <= 10; ++seed) {
        std::vector<Point3D> points = random_points(500, seed, 2);
        std::vector<KeyRecord> records;
        for (std::size_t i = 0; i < points.size(); ++i) {
            records.push_back(KeyRecord{points[i].x, points[i].y, points[i].z + points[i].w, i});
        }
        PointList list(points);
        std::srand(seed);
        sort_point(list.get(), sort_point_x_maxY);
        const int next_after_list = std::rand();

        std::srand(seed);
        d2d::sort_items(records.data(), records.size(), [](const KeyRecord& a, const KeyRecord& b) {
            return d2d::split_order_before(a.x, a.y, a.zw, b.x, b.y, b.zw);
        });
        EXPECT_EQ(std::rand(), next_after_list) << "seed " << seed;

        std::vector<std::size_t> record_order;
        for (const KeyRecord& r : records) record_order.push_back(r.id);
        EXPECT_EQ(record_order, list.order(points)) << "seed " << seed;
    }
}

// The quicksort's steps as plain recursion: one draw for the part, then the
// part above the pivot by a nested call, then the part below. The library's
// loop must leave equal-key points exactly where this leaves them.
std::size_t plain_partition(std::vector<Point3D*>& items, std::size_t lo, std::size_t hi) {
    std::swap(items[lo + static_cast<std::size_t>(std::rand()) % (hi - lo + 1)], items[hi]);
    const Point3D pivot = *items[hi];
    std::size_t b = lo;
    for (std::size_t j = lo; j < hi; ++j) {
        if (sort_point_x_maxY(items[j], &pivot) > 0) std::swap(items[b++], items[j]);
    }
    std::swap(items[b], items[hi]);
    return b;
}

void plain_quick_sort(std::vector<Point3D*>& items, std::size_t lo, std::size_t hi) {
    if (lo >= hi) return;
    const std::size_t q = plain_partition(items, lo, hi);
    plain_quick_sort(items, q + 1, hi);
    if (q > lo + 1) plain_quick_sort(items, lo, q - 1);
}

TEST(SortPoint, DrawOrderIsPartThenAboveThenBelow) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::vector<Point3D> points = random_points(300, seed, seed % 3);
        std::vector<Point3D*> plain;
        for (Point3D& p : points) plain.push_back(&p);
        std::srand(seed);
        plain_quick_sort(plain, 0, plain.size() - 1);

        PointList list(points);
        std::srand(seed);
        sort_point(list.get(), sort_point_x_maxY);
        EXPECT_TRUE(std::equal(plain.begin(), plain.end(), list.get()->points)) << "seed " << seed;
    }
}

}  // namespace
