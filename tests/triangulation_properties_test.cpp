// Property tests of the entry points: every returned mesh, on every family of
// inputs (random, clustered, grids, circles, duplicates, collinear runs,
// extreme scales, NaN and infinity) at sizes up to 10^5, must be a valid
// Delaunay triangulation with true neighbour links and a true inner/edge
// split, as an independent exact checker establishes. Plus scale invariance,
// agreement of the two entry points and the worked examples. The fixed
// inputs that caught faults are files of tests/fixtures, run by
// fixtures_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "delaunay2d.h"
#include "common/point_families.hpp"
#include "common/stdout_redirect.hpp"
#include "support/mesh_checker.hpp"
#include "support/mesh_records.hpp"
#include "support/stage_meshes.hpp"

#if defined(__SANITIZE_ADDRESS__)
#define D2D_PROPERTIES_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(undefined_behavior_sanitizer)
#define D2D_PROPERTIES_SANITIZED 1
#endif
#endif

namespace {

using d2dtest::check_mesh;
using d2dtest::MeshCheck;
using d2dtest::MeshRecords;
using d2dtest::records_of;
using d2dtest::same_records;
using Points = std::vector<Point3D>;

#if defined(D2D_PROPERTIES_SANITIZED)
constexpr std::size_t kLarge = 10000;
constexpr int kSmallSeeds = 10;
#else
constexpr std::size_t kLarge = 100000;
constexpr int kSmallSeeds = 40;
#endif

struct MeshDeleter {
    void operator()(Mesh2D* m) const { free_mesh(m); }
};
using MeshPtr = std::unique_ptr<Mesh2D, MeshDeleter>;

MeshPtr triangulate(Points& points) {
    return MeshPtr(d2dcommon::discarding_stdout([&] { return create_mesh_2d(points.data(), points.size()); }));
}

// Triangulates and checks; returns the mesh for further inspection.
MeshPtr expect_valid(Points& points, const std::string& label) {
    MeshPtr mesh = triangulate(points);
    const MeshCheck check = check_mesh(mesh.get(), points.data(), points.size());
    EXPECT_TRUE(check.ok()) << label << " (n = " << points.size() << "): valid " << check.valid << ", delaunay "
                            << check.delaunay << ", links " << check.links_true << ", partition "
                            << check.partition_true << ": " << check.failure;
    return mesh;
}

using d2dcommon::clusters;
using d2dcommon::grid;
using d2dcommon::point;
using d2dcommon::regular_polygon;
using d2dcommon::rotated_grid;
using d2dcommon::transformed;

// Numbered records (z = index, w = 0.5): the checker's centroid test then
// sees z and w, and a duplicate given another z is a distinct record.
Points uniform(std::size_t n, std::uint64_t seed, double low = 0.0, double high = 1.0) {
    return d2dcommon::numbered(d2dcommon::uniform(n, seed, low, high));
}

std::string text(double v) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", v);
    return buffer;
}

std::vector<std::size_t> small_and_large_sizes() {
    return {3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 31, 64, 100, 257, 1000, 4096, kLarge};
}

TEST(TriangulationProperties, UniformPoints) {
    for (std::size_t n = 3; n <= 40; ++n) {
        for (int seed = 0; seed < kSmallSeeds; ++seed) {
            Points p = uniform(n, static_cast<std::uint64_t>(seed) * 1000 + n);
            expect_valid(p, "uniform seed " + std::to_string(seed));
            if (HasFailure()) return;
        }
    }
    for (const std::size_t n : small_and_large_sizes()) {
        Points p = uniform(n, n);
        expect_valid(p, "uniform");
    }
}

TEST(TriangulationProperties, GaussianClusters) {
    for (const std::size_t n : small_and_large_sizes()) {
        Points p = clusters(n, 17 + n);
        expect_valid(p, "clusters");
    }
}

TEST(TriangulationProperties, IntegerGrids) {
    for (const std::size_t k : {3, 4, 5, 6, 7, 8, 10, 13, 16, 31, 50, 100}) {
        Points p = grid(k * k, k);
        expect_valid(p, "grid " + std::to_string(k));
        // Grids with one row cut short and odd shapes.
        Points q = grid(k * k, k + 1);
        q.resize(q.size() - k / 2);
        expect_valid(q, "partial grid " + std::to_string(k));
    }
}

TEST(TriangulationProperties, RotatedGrids) {
    for (const double angle : {1e-12, 0.1, 0.5235987755982988, 0.7853981633974483, 1.0, 2.5}) {
        for (const std::size_t k : {3, 5, 10, 32, 100}) {
            Points p = rotated_grid(k, angle);
            expect_valid(p, "grid " + std::to_string(k) + " rotated by " + text(angle));
        }
    }
}

TEST(TriangulationProperties, PointsOnCircles) {
    for (const std::size_t n : std::vector<std::size_t>{3, 4, 5, 8, 12, 33, 100, 1000, 10000, kLarge}) {
        Points p = regular_polygon(n, 1.0, 0.0, 0.0);
        expect_valid(p, "circle");
        Points q = regular_polygon(n, 0.25, 0.5, 0.5);
        q.push_back(point(0.5, 0.5));  // the centre
        expect_valid(q, "circle with centre");
    }
    // A square of four cocircular corners repeated over a grid.
    Points squares = grid(20 * 20, 3);
    for (std::size_t i = 0; i < 6; ++i) squares.push_back(point(0.5 + 3.0 * static_cast<double>(i), 0.5));
    expect_valid(squares, "grid with square centres");
}

TEST(TriangulationProperties, DuplicatesMixedIn) {
    for (const std::size_t n : std::vector<std::size_t>{3, 4, 5, 9, 40, 1000, kLarge}) {
        Points p = uniform(n, 5 + n);
        std::mt19937_64 rng(n);
        std::uniform_int_distribution<std::size_t> pick(0, n - 1);
        const std::size_t copies = std::max<std::size_t>(1, n / 3);
        for (std::size_t i = 0; i < copies; ++i) {
            Point3D d = p[pick(rng)];
            d.z = -static_cast<double>(i);  // a different record with equal x and y
            p.push_back(d);
        }
        std::shuffle(p.begin(), p.end(), rng);
        expect_valid(p, "uniform with duplicates");
    }
    Points g = grid(10 * 10, 1);
    Points doubled = g;
    doubled.insert(doubled.end(), g.begin(), g.end());
    expect_valid(doubled, "every grid point twice");
}

TEST(TriangulationProperties, AllCollinear) {
    for (const std::size_t n : {3, 4, 5, 7, 8, 21, 100, 1000}) {
        Points horizontal, diagonal, slanted;
        for (std::size_t i = 0; i < n; ++i) {
            const auto v = static_cast<double>((i * 7) % n);
            horizontal.push_back(point(v * 0.1, 0.3));
            diagonal.push_back(point(v * 0.25, v * 0.25));
            slanted.push_back(point(v, 2.0 * v + 1.0));
        }
        for (Points* p : {&horizontal, &diagonal, &slanted}) {
            const MeshPtr mesh = expect_valid(*p, "collinear");
            ASSERT_NE(mesh, nullptr);
            EXPECT_EQ(mesh->length, 0u);
        }
        Points vertical;
        for (std::size_t i = 0; i < n; ++i) vertical.push_back(point(-1.5, static_cast<double>(n - i)));
        expect_valid(vertical, "vertical");
    }
}

TEST(TriangulationProperties, AllButOneCollinear) {
    for (const std::size_t n : {3, 4, 5, 7, 8, 21, 100, 1000}) {
        for (const double off : {-1.0, 1e-9, 3.0}) {
            for (const double at : {-5.0, 0.0, 0.5, static_cast<double>(n) + 2.0}) {
                Points p;
                for (std::size_t i = 0; i + 1 < n; ++i) p.push_back(point(static_cast<double>(i), 0.0));
                p.push_back(point(at, off));
                expect_valid(p, "collinear plus (" + text(at) + ", " + text(off) + ")");
                Points q;
                for (std::size_t i = 0; i + 1 < n; ++i) q.push_back(point(1.0, static_cast<double>(i)));
                q.push_back(point(1.0 + off, at));
                expect_valid(q, "vertical collinear plus one");
            }
        }
    }
}

TEST(TriangulationProperties, ScaledAndOffsetCoordinates) {
    for (const std::size_t n : {3, 5, 10, 100, 1000, 10000}) {
        const Points base = uniform(n, 3 * n);
        const std::size_t side = static_cast<std::size_t>(std::sqrt(static_cast<double>(n))) + 2;
        const Points g = grid(side * side, n);
        for (const auto& [scale, offset] : {std::pair{1e-9, 0.0}, std::pair{1e9, 0.0}, std::pair{1.0, 1e6},
                                            std::pair{1e-9, 1e6}, std::pair{1.0, -1e6}}) {
            Points p = transformed(base, scale, offset);
            expect_valid(p, "uniform scaled " + text(scale) + " offset " + text(offset));
            Points q = transformed(g, scale, offset);
            expect_valid(q, "grid scaled " + text(scale) + " offset " + text(offset));
        }
    }
}

TEST(TriangulationProperties, TinyAndHugeMagnitudes) {
    for (const std::size_t n : {3, 4, 7, 100, 1000, 10000}) {
        for (const double scale : {1e-300, 1e300, 1e-310}) {
            Points p = transformed(uniform(n, 11 * n), scale, 0.0);
            expect_valid(p, "uniform scaled " + text(scale));
            Points g = transformed(grid(10 * 10, n), scale, 0.0);
            expect_valid(g, "grid scaled " + text(scale));
        }
        Points spread = uniform(n, 13 * n, -1e300, 1e300);
        expect_valid(spread, "uniform over +-1e300");
    }
}

TEST(TriangulationProperties, NaNAndInfinityMixedIn) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const std::size_t n : {3, 4, 5, 8, 30, 1000, 10000}) {
        Points p = uniform(n, 19 * n);
        std::mt19937_64 rng(n);
        std::uniform_int_distribution<std::size_t> pick(0, n - 1);
        const double bad[] = {nan, inf, -inf};
        for (std::size_t i = 0; i < std::max<std::size_t>(1, n / 10); ++i) {
            Point3D& q = p[pick(rng)];
            (i % 2 == 0 ? q.x : q.y) = bad[i % 3];
        }
        expect_valid(p, "uniform with NaN and infinity");
    }
}

// The same point set scaled by powers of two gives the same mesh, down to the
// order of the triangles and of their vertices.
TEST(TriangulationProperties, PowerOfTwoScalingGivesTheSameMesh) {
    const std::vector<Points> sets = {uniform(1000, 77, 0.5, 1.0), grid(12 * 12, 5), regular_polygon(64, 1.0, 3.0, 3.0),
                                      transformed(clusters(2000, 4), 1.0, 2.0)};
    for (const Points& set : sets) {
        Points reference = set;
        const MeshPtr reference_mesh = expect_valid(reference, "unscaled");
        // The centroids scale with the points: only vertices and links compare.
        const MeshRecords expected = records_of(reference_mesh.get(), reference.data(), false);
        for (const int e : {-1000, -40, 40, 1000}) {
            Points p = set;
            for (std::size_t i = 0; i < p.size(); ++i) {
                p[i].x = std::ldexp(set[i].x, e);
                p[i].y = std::ldexp(set[i].y, e);
                ASSERT_TRUE(std::ldexp(p[i].x, -e) == set[i].x && std::ldexp(p[i].y, -e) == set[i].y)
                    << "the scaling must be exact";
            }
            const MeshPtr mesh = expect_valid(p, "scaled by 2^" + std::to_string(e));
            EXPECT_TRUE(same_records(expected, records_of(mesh.get(), p.data(), false))) << "2^" << e;
        }
    }
}

// The list entry point gives the mesh of the array entry point.
TEST(TriangulationProperties, ListEntryPointAgrees) {
    for (const std::size_t n : {3, 4, 5, 9, 100, 5000}) {
        for (Points p : {uniform(n, 23 * n), clusters(n, n), regular_polygon(n, 1.0, 0.5, 0.5)}) {
            const MeshPtr by_array = expect_valid(p, "array");
            Point3DList* list = d2dtest::make_record_list(p.data(), n);
            Mesh2D* block = d2dtest::make_empty_mesh(1);
            const MeshPtr by_list(d2dcommon::discarding_stdout([&] { return create_triangle_mesh_2d(list, block); }));
            std::free(list);
            const MeshCheck check = check_mesh(by_list.get(), p.data(), n);
            EXPECT_TRUE(check.ok()) << check.failure;
            EXPECT_TRUE(same_records(records_of(by_array.get(), p.data()), records_of(by_list.get(), p.data()))) << n;
        }
    }
}

// The unit square: the Delaunay choice between the two diagonals is a tie,
// which the triangulation breaks toward (0, 1)-(1, 0).
TEST(TriangulationProperties, CocircularSquareTakesTheDiagonalFromTopLeft) {
    Points p = {point(0, 0), point(0, 1), point(1, 0), point(1, 1)};
    const MeshPtr mesh = expect_valid(p, "square");
    ASSERT_EQ(mesh->length, 2u);
    for (std::size_t t = 0; t < 2; ++t) {
        const Triangle& tri = mesh->triangles[t];
        const auto has = [&](const Point3D* q) { return tri.points[0] == q || tri.points[1] == q || tri.points[2] == q; };
        EXPECT_TRUE(has(&p[1]) && has(&p[2])) << "triangle " << t << " lacks the diagonal (0, 1)-(1, 0)";
    }
}

// Five points: the four triangles in the order of the merge, now with [0] and
// [3] linked across (0, 0)-(1, 0).
TEST(TriangulationProperties, FivePointWorkedExample) {
    Points p = {point(0, 0), point(1, 0), point(1.8, -1), point(2, 1), point(3, 0)};
    const MeshPtr mesh = expect_valid(p, "five points");
    ASSERT_EQ(mesh->length, 4u);
    EXPECT_EQ(mesh->inner_length, 0u);
    const Point3D* expected[4][3] = {{&p[0], &p[2], &p[1]}, {&p[1], &p[2], &p[4]}, {&p[1], &p[4], &p[3]},
                                     {&p[1], &p[3], &p[0]}};
    const Triangle* t = mesh->triangles;
    const Triangle* links[4][3] = {{nullptr, &t[1], &t[3]}, {&t[0], nullptr, &t[2]}, {&t[1], nullptr, &t[3]},
                                   {&t[2], nullptr, &t[0]}};
    for (int i = 0; i < 4; ++i) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(t[i].points[k], expected[i][k]) << "triangle " << i << " vertex " << k;
            EXPECT_EQ(t[i].vor[k], links[i][k]) << "triangle " << i << " link " << k;
        }
    }
}

}  // namespace
