// The index-array call's diagonals among cocircular points depend on the
// points alone: a triangle of a subset's mesh whose closed circumdisk holds
// no other point of the whole set is a triangle of the whole set's mesh,
// decided here by exact rational in-circle tests; and a cocircular polygon
// is cut into the fan from its smallest corner (by x, then y).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "delaunay2d.h"
#include "support/exact_rational.hpp"
#include "support/index_array_checks.hpp"

namespace {

using Corner = std::pair<double, double>;
using TriangleKey = std::array<Corner, 3>;  // the corners sorted: a triangle as a set of points

std::vector<TriangleKey> triangle_keys(const std::vector<Point3D>& points, const delaunay2d_result& r) {
    std::vector<TriangleKey> keys;
    for (size_t t = 0; t < r.triangle_count; ++t) {
        TriangleKey k;
        for (int i = 0; i < 3; ++i) {
            const Point3D& p = points[r.triangles[3 * t + i]];
            k[i] = {p.x, p.y};
        }
        std::sort(k.begin(), k.end());
        keys.push_back(k);
    }
    return keys;
}

// Whether d lies in the closed circumdisk of a, b, c (any orientation).
bool in_closed_disk(const TriangleKey& t, const Corner& d) {
    const auto [ax, ay] = t[0];
    const auto [bx, by] = t[1];
    const auto [cx, cy] = t[2];
    const int turn = d2dtest::orient_sign_rational(ax, ay, bx, by, cx, cy);
    return turn * d2dtest::incircle_sign_rational(ax, ay, bx, by, cx, cy, d.first, d.second) >= 0;
}

// Every interior edge whose two triangles' corners lie exactly on one
// circle touches the smallest of those four corners (by x, then y).
void expect_fans(const std::vector<Point3D>& points, const delaunay2d_result& r, const std::string& label) {
    for (size_t t = 0; t < r.triangle_count; ++t) {
        for (int i = 0; i < 3; ++i) {
            const int32_t u = r.neighbours[3 * t + i];
            if (u < 0) continue;
            const uint32_t p = r.triangles[3 * t + i], q = r.triangles[3 * t + (i + 1) % 3];
            const uint32_t c = r.triangles[3 * t + (i + 2) % 3];
            uint32_t d = 0;
            for (int k = 0; k < 3; ++k) {
                const uint32_t w = r.triangles[3 * static_cast<size_t>(u) + k];
                if (w != p && w != q) d = w;
            }
            const Point3D &a = points[p], &b = points[q], &e = points[c], &f = points[d];
            if (d2dtest::incircle_sign_rational(a.x, a.y, b.x, b.y, e.x, e.y, f.x, f.y) != 0) continue;
            const Corner smallest = std::min({Corner(a.x, a.y), Corner(b.x, b.y), Corner(e.x, e.y), Corner(f.x, f.y)});
            ASSERT_TRUE(smallest == Corner(a.x, a.y) || smallest == Corner(b.x, b.y))
                << label << ": edge (" << a.x << "," << a.y << ")-(" << b.x << "," << b.y << ")";
        }
    }
}

struct Family {
    std::string name;
    std::vector<Point3D> points;
};

Point3D at(double x, double y) { return Point3D{x, y, 0.0, 0.0}; }

// Every family is full of exactly cocircular points, and gets repeats.
std::vector<Family> families(std::mt19937_64& rng) {
    std::vector<Family> f(5);
    f[0].name = "integer grid";
    for (int i = 0; i < 13; ++i) {
        for (int j = 0; j < 11; ++j) f[0].points.push_back(at(i, j));
    }
    // The grid turned by the exact rotation (3/5, 4/5), scaled by 5: its
    // squares' corners stay on circles, which no axis follows.
    f[1].name = "rotated grid";
    for (int i = 0; i < 11; ++i) {
        for (int j = 0; j < 11; ++j) f[1].points.push_back(at(3 * i - 4 * j, 4 * i + 3 * j));
    }
    // The 36 lattice points of x^2 + y^2 = 65^2, and its centre.
    f[2].name = "one circle";
    for (int x = -65; x <= 65; ++x) {
        for (int y = -65; y <= 65; ++y) {
            if (x * x + y * y == 65 * 65) f[2].points.push_back(at(x, y));
        }
    }
    f[2].points.push_back(at(0, 0));
    // Small integers: cocircular quads of every shape.
    f[3].name = "small integers";
    std::uniform_int_distribution<int> coordinate(0, 7);
    for (int i = 0; i < 120; ++i) f[3].points.push_back(at(coordinate(rng), coordinate(rng)));
    // The 180 lattice points of x^2 + y^2 = 5525^2: differences too wide
    // for the quick integer test of the call, so the exact predicate
    // decides; one polygon, whose triangles only the whole set settles.
    f[4].name = "wide circle";
    const long long radius = 5525;
    for (long long x = -radius; x <= radius; ++x) {
        const auto y = static_cast<long long>(std::llround(std::sqrt(static_cast<double>(radius * radius - x * x))));
        if (x * x + y * y != radius * radius) continue;
        f[4].points.push_back(at(static_cast<double>(x), static_cast<double>(y)));
        if (y != 0) f[4].points.push_back(at(static_cast<double>(x), static_cast<double>(-y)));
    }
    for (Family& family : f) {
        std::uniform_int_distribution<size_t> pick(0, family.points.size() - 1);
        for (int k = 0; k < 15; ++k) family.points.push_back(family.points[pick(rng)]);
        std::shuffle(family.points.begin(), family.points.end(), rng);
    }
    return f;
}

TEST(CocircularDiagonals, SubsetsAgreeWithTheWholeSetWhereTheirCircumdisksHoldNothingElse) {
    std::mt19937_64 rng(28);
    for (Family& family : families(rng)) {
        SCOPED_TRACE(family.name);
        std::vector<Point3D>& whole = family.points;
        const auto whole_mesh = d2dtest::run_index_arrays(whole, 1);
        d2dtest::expect_sound(whole, *whole_mesh, family.name);
        expect_fans(whole, whole_mesh->r, family.name);
        d2dtest::expect_same_arrays(whole_mesh->r, d2dtest::run_index_arrays(whole, 2)->r, family.name);
        const std::vector<TriangleKey> whole_keys = triangle_keys(whole, whole_mesh->r);
        const std::set<TriangleKey> whole_triangles(whole_keys.begin(), whole_keys.end());

        double lo_x = whole[0].x, hi_x = lo_x, lo_y = whole[0].y, hi_y = lo_y;
        for (const Point3D& p : whole) {
            lo_x = std::min(lo_x, p.x), hi_x = std::max(hi_x, p.x);
            lo_y = std::min(lo_y, p.y), hi_y = std::max(hi_y, p.y);
        }
        std::uniform_real_distribution<double> along_x(lo_x, hi_x), along_y(lo_y, hi_y);
        size_t checked = 0;
        for (int round = 0; round < 24; ++round) {
            // Round 0: every point, in another order; odd rounds: a random
            // half of the points; even: a box (closed, its sides on grid
            // lines or between).
            std::set<Corner> kept;
            if (round == 0) {
                for (const Point3D& p : whole) kept.insert({p.x, p.y});
            } else if (round % 2 == 1) {
                for (const Point3D& p : whole) {
                    if (rng() % 2 == 0) kept.insert({p.x, p.y});
                }
            } else {
                const double x0 = along_x(rng), x1 = along_x(rng), y0 = along_y(rng), y1 = along_y(rng);
                for (const Point3D& p : whole) {
                    if (p.x >= std::min(x0, x1) && p.x <= std::max(x0, x1) && p.y >= std::min(y0, y1) &&
                        p.y <= std::max(y0, y1)) {
                        kept.insert({p.x, p.y});
                    }
                }
            }
            std::vector<Point3D> subset;
            std::vector<Corner> left_out;
            for (const Point3D& p : whole) {
                if (kept.count({p.x, p.y})) {
                    subset.push_back(p);
                } else {
                    left_out.push_back({p.x, p.y});
                }
            }
            std::shuffle(subset.begin(), subset.end(), rng);
            const auto mesh = d2dtest::run_index_arrays(subset, 1 + round % 2);
            ASSERT_EQ(mesh->status, DELAUNAY2D_OK);
            expect_fans(subset, mesh->r, family.name + " subset");
            for (const TriangleKey& t : triangle_keys(subset, mesh->r)) {
                if (std::any_of(left_out.begin(), left_out.end(), [&](const Corner& d) { return in_closed_disk(t, d); })) {
                    continue;
                }
                ++checked;
                ASSERT_TRUE(whole_triangles.count(t))
                    << "round " << round << ": (" << t[0].first << "," << t[0].second << ") (" << t[1].first << ","
                    << t[1].second << ") (" << t[2].first << "," << t[2].second << ")";
            }
        }
        // The rounds must reach triangles to check: every family settles
        // some in most rounds.
        EXPECT_GT(checked, 100u);
    }
}

// A few points of a small lattice, many times over: sets with a single
// cocircular quad or none, where the merge may meet no tie at all, and
// the call must still leave no cocircular diagonal off its smallest corner.
TEST(CocircularDiagonals, SmallLatticeSetsAreFannedFromTheirSmallestPoints) {
    std::mt19937_64 rng(4);
    std::uniform_int_distribution<int> coordinate(0, 4), size(4, 12);
    for (int round = 0; round < 3000; ++round) {
        std::vector<Point3D> points(static_cast<size_t>(size(rng)));
        for (Point3D& p : points) p = at(coordinate(rng), coordinate(rng));
        const auto mesh = d2dtest::run_index_arrays(points, 1);
        ASSERT_EQ(mesh->status, DELAUNAY2D_OK);
        expect_fans(points, mesh->r, "round " + std::to_string(round));
    }
}

// A grid large enough to be cut into tasks that threads share: the pass
// after the merges leaves the same arrays on one thread as on two, and
// every square fanned from its smallest corner.
TEST(CocircularDiagonals, LargeGridIsTheSameOnAnyThreadCount) {
    std::vector<Point3D> points;
    for (int i = 0; i < 300; ++i) {
        for (int j = 0; j < 300; ++j) points.push_back(at(j, i));
    }
    const auto one = d2dtest::run_index_arrays(points, 1);
    ASSERT_EQ(one->status, DELAUNAY2D_OK);
    d2dtest::expect_same_arrays(one->r, d2dtest::run_index_arrays(points, 2)->r, "300 x 300 grid");
    expect_fans(points, one->r, "300 x 300 grid");
}

// The 12 lattice points of x^2 + y^2 = 25, in a scrambled order with
// repeats: the fan from (-5, 0), the smallest, whatever the order and the
// threads.
//
//              (0,5)
//        (-3,4)     (3,4)
//     (-4,3)            (4,3)
//   (-5,0) ------------- (5,0)     every diagonal from (-5, 0)
//     (-4,-3)           (4,-3)
//        (-3,-4)    (3,-4)
//              (0,-5)
TEST(CocircularDiagonals, LatticeCircleOfRadiusFiveIsTheFanFromItsSmallestPoint) {
    std::vector<Point3D> points;
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{
             {3, 4}, {0, 5}, {-4, -3}, {5, 0}, {-3, 4}, {4, -3}, {-5, 0}, {0, -5}, {4, 3}, {-3, -4}, {3, -4}, {-4, 3}}) {
        points.push_back(at(x, y));
    }
    points.push_back(at(0, 5));
    points.push_back(at(-5, 0));
    std::mt19937_64 rng(5);
    for (int round = 0; round < 6; ++round) {
        const auto mesh = d2dtest::run_index_arrays(points, 1 + round % 2);
        d2dtest::expect_sound(points, *mesh, "radius 5");
        ASSERT_EQ(mesh->r.triangle_count, 10u);
        for (const TriangleKey& t : triangle_keys(points, mesh->r)) EXPECT_EQ(t[0], Corner(-5, 0));
        std::shuffle(points.begin(), points.end(), rng);
    }
}

}  // namespace
