// The entry points' contracts beyond the triangles themselves: which block
// comes back, what happens to the host's list, which record of equal points
// is used, and what the range partition prints and builds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "support/exact_rational.hpp"
#include "support/mesh_checker.hpp"
#include "support/mesh_records.hpp"
#include "support/stage_meshes.hpp"

namespace {

using d2dcommon::captured_stdout;
using d2dtest::check_mesh;

Point3D point(double x, double y, double z = 0.0, double w = 0.0) { return Point3D{x, y, z, w}; }

Point3DList* new_list(std::vector<Point3D>& points) { return d2dtest::make_record_list(points.data(), points.size()); }

Mesh2D* new_block() {
    auto* block = static_cast<Mesh2D*>(std::malloc(sizeof(Mesh2D) + sizeof(Triangle)));
    block->length = 12345;  // content the library must not read
    block->inner_length = 678;
    return block;
}

std::vector<Point3D> random_points(size_t n, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(-3.0, 5.0);
    std::vector<Point3D> points;
    for (size_t i = 0; i < n; ++i) points.push_back(point(u(rng), u(rng), u(rng), u(rng)));
    return points;
}

TEST(EntryPoints, ThreePointListFillsTheCallersOwnBlock) {
    std::vector<Point3D> points = {point(2, 0), point(0, 0), point(1, 2)};
    Point3DList* list = new_list(points);
    Mesh2D* block = new_block();
    Mesh2D* mesh = nullptr;
    captured_stdout([&] { mesh = create_triangle_mesh_2d(list, block); });
    EXPECT_EQ(mesh, block);
    ASSERT_EQ(mesh->length, 1u);
    EXPECT_EQ(mesh->inner_length, 0u);
    // Split order: (0, 0), (1, 2), (2, 0).
    EXPECT_EQ(mesh->triangles[0].points[0], &points[1]);
    EXPECT_EQ(mesh->triangles[0].points[1], &points[2]);
    EXPECT_EQ(mesh->triangles[0].points[2], &points[0]);
    free_mesh(mesh);
    std::free(list);
}

TEST(EntryPoints, ListIsLeftInSplitOrderAndTriangulatedLikeTheArray) {
    std::vector<Point3D> points = random_points(200, 5);
    points.push_back(point(points[3].x, 9.0));  // equal x: the larger y goes first
    Point3DList* list = new_list(points);
    Mesh2D* mesh = nullptr;
    captured_stdout([&] { mesh = create_triangle_mesh_2d(list, new_block()); });
    for (size_t i = 1; i < list->length; ++i) {
        EXPECT_EQ(sort_point_x_maxY(list->points[i], list->points[i - 1]), -1) << "at " << i;
    }
    const auto check = check_mesh(mesh, points.data(), points.size());
    EXPECT_TRUE(check.ok()) << check.failure;

    Mesh2D* from_array = nullptr;
    captured_stdout([&] { from_array = create_mesh_2d(points.data(), points.size()); });
    EXPECT_TRUE(d2dtest::same_records(d2dtest::records_of(from_array, points.data()),
                                      d2dtest::records_of(mesh, points.data())))
        << "the list entry point against the array entry point";
    free_mesh(from_array);
    free_mesh(mesh);
    std::free(list);
}

TEST(EntryPoints, FirstRecordInSplitOrderStandsForEqualPoints) {
    // The two records at (1, 1) differ in z + w: the smaller sum sorts first
    // and is the one the triangles use, wherever it stands in the array.
    std::vector<Point3D> points = {point(0, 0), point(1, 1, 5, 5), point(2, 0), point(1, 1, 1, 1), point(1, -1)};
    Mesh2D* mesh = nullptr;
    const std::string trace = captured_stdout([&] { mesh = create_mesh_2d(points.data(), points.size()); });
    EXPECT_TRUE(check_mesh(mesh, points.data(), points.size()).ok());
    bool uses_first = false;
    for (size_t t = 0; t < mesh->length; ++t) {
        for (const Point3D* p : mesh->triangles[t].points) {
            EXPECT_NE(p, &points[1]);
            uses_first = uses_first || p == &points[3];
        }
    }
    EXPECT_TRUE(uses_first);
    // Both records still print, in split order.
    EXPECT_NE(trace.find("    point: {x: 1.000000, y: 1.000000, z: 1.000000 - 1.000000}\n"
                         "    point: {x: 1.000000, y: 1.000000, z: 5.000000 - 5.000000}\n"),
              std::string::npos)
        << trace;
    free_mesh(mesh);
}

TEST(EntryPoints, CollinearPointsGiveAnEmptyMesh) {
    for (size_t n : {3u, 4u, 7u, 50u}) {
        std::vector<Point3D> points;
        for (size_t i = 0; i < n; ++i) points.push_back(point(static_cast<double>(i * 7 % n), 2.0 * static_cast<double>(i * 7 % n) + 1.0));
        Mesh2D* mesh = nullptr;
        captured_stdout([&] { mesh = create_mesh_2d(points.data(), points.size()); });
        EXPECT_EQ(mesh->length, 0u) << n;
        EXPECT_EQ(mesh->inner_length, 0u) << n;
        free_mesh(mesh);
    }
}

TEST(EntryPoints, PartitionTriangulatesItsRangeAndPrintsOnlyItsRecursion) {
    std::vector<Point3D> points = random_points(12, 9);
    Point3DList* list = new_list(points);
    sort_point(list, sort_point_x_maxY);
    PointRange range{2, 9, list};
    Mesh2D* mesh = nullptr;
    const std::string trace = captured_stdout([&] { mesh = partition_point_arr(&range, new_block()); });
    EXPECT_EQ(trace,
              "create mesh, Mesh2D.length: 1, beg: 2, end: 5\n"
              "create mesh, Mesh2D.length: 1, beg: 5, end: 7\n"
              "create mesh, Mesh2D.length: 1, beg: 7, end: 9\n"
              "merge mesh, [beg: 5, pivot: 6] <=> [beg: 7, pivot: 8]\n"
              "merge mesh, [beg: 2, pivot: 4] <=> [beg: 5, pivot: 8]\n");
    // The mesh is that of the range's seven points alone: same records in
    // the same order, vertex for vertex.
    std::vector<Point3D> in_range;
    for (size_t i = 2; i < 9; ++i) in_range.push_back(*list->points[i]);
    Mesh2D* alone = nullptr;
    captured_stdout([&] { alone = create_mesh_2d(in_range.data(), in_range.size()); });
    ASSERT_EQ(mesh->length, alone->length);
    EXPECT_EQ(mesh->inner_length, alone->inner_length);
    for (size_t t = 0; t < mesh->length; ++t) {
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(mesh->triangles[t].points[k], list->points[2 + (alone->triangles[t].points[k] - in_range.data())]);
        }
    }
    free_mesh(alone);
    free_mesh(mesh);
    std::free(list);
}

// A range that reaches past its list, or holds fewer than two points, gives
// an empty mesh in the given block and one base-mesh line, exactly as the
// base mesh of such a range does; nothing past the list is read.
TEST(EntryPoints, PartitionOfARangeOutsideItsListIsEmpty) {
    std::vector<Point3D> points = random_points(6, 3);
    Point3DList* list = new_list(points);
    sort_point(list, sort_point_x_maxY);
    const size_t most = static_cast<size_t>(-1);
    const PointRange outside[] = {{0, 7, list}, {4, 100, list}, {5, 8, list},  {6, 9, list},
                                  {5, 3, list}, {2, 2, list},   {2, 3, list},  {most - 1, most, list},
                                  {7, 7, list}, {0, most, list}, {most, 1, list}};
    for (PointRange range : outside) {
        Mesh2D* block = new_block();
        Mesh2D* mesh = nullptr;
        const std::string trace = captured_stdout([&] { mesh = partition_point_arr(&range, block); });
        EXPECT_EQ(trace, "create mesh, Mesh2D.length: 0, beg: " + std::to_string(range.beg) +
                             ", end: " + std::to_string(range.end) + "\n");
        EXPECT_EQ(mesh, block);
        EXPECT_EQ(mesh->length, 0u);
        EXPECT_EQ(mesh->inner_length, 0u);
        // The base mesh of the same range says the same.
        Mesh2D* base = new_block();
        EXPECT_EQ(captured_stdout([&] { create_mesh_by_2_3_point(&range, base); }), trace);
        EXPECT_EQ(base->length, 0u);
        free_mesh(base);
        free_mesh(mesh);
    }
    std::free(list);
}

// What the header promises about a returned mesh beyond its geometry: it
// depends on the points and, only through ties in every key of the sort, on
// the rand() state; outer_center and radius are left at zero; and only a base
// triangle that no merge replaced may list its vertices clockwise, then in
// split order.
TEST(EntryPoints, WhatTheMeshDependsOn) {
    const auto run = [](std::vector<Point3D>& points, unsigned seed, std::string* trace) {
        std::srand(seed);
        Mesh2D* mesh = nullptr;
        const std::string printed = captured_stdout([&] { mesh = create_mesh_2d(points.data(), points.size()); });
        if (trace != nullptr) *trace = printed;
        const auto shape = d2dtest::records_of(mesh, points.data());
        for (size_t t = 0; t < mesh->length; ++t) {
            const Triangle& tri = mesh->triangles[t];
            EXPECT_TRUE(tri.outer_center.x == 0.0 && tri.outer_center.y == 0.0 && tri.outer_center.z == 0.0 &&
                        tri.outer_center.w == 0.0 && tri.radius == 0.0)
                << "triangle " << t;
        }
        free_mesh(mesh);
        return shape;
    };
    // Repeated x and y with distinct z + w: no tie in every key, so neither
    // the mesh nor the trace depends on the draws. Records with a NaN x only
    // move in the trace.
    std::vector<Point3D> distinct = random_points(3000, 21);
    for (size_t i = 0; i < 300; ++i) {
        Point3D copy = distinct[i * 7];
        copy.z += 1.0 + static_cast<double>(i);
        distinct.push_back(copy);
    }
    std::string first_trace, trace;
    const auto expected = run(distinct, 1, &first_trace);
    for (const unsigned seed : {2u, 3u, 99u}) {
        EXPECT_TRUE(d2dtest::same_records(expected, run(distinct, seed, &trace))) << seed;
        EXPECT_EQ(trace, first_trace) << seed;
    }
    std::vector<Point3D> with_nan = distinct;
    for (size_t i = 0; i < 50; ++i) with_nan.push_back(point(std::nan(""), static_cast<double>(i)));
    const auto with_nan_shape = run(with_nan, 1, nullptr);
    for (const unsigned seed : {2u, 3u, 99u}) EXPECT_TRUE(d2dtest::same_records(with_nan_shape, run(with_nan, seed, nullptr))) << seed;

    // Three records tied in x, y and z + w: one of them stands for the point,
    // the same one for the same seed.
    std::vector<Point3D> tied = random_points(500, 22);
    tied.push_back(point(0.5, 0.5, 2, 0));
    tied.push_back(point(0.5, 0.5, 0, 2));
    tied.push_back(point(0.5, 0.5, 1, 1));
    for (const unsigned seed : {1u, 2u, 3u}) {
        const auto shape = run(tied, seed, nullptr);
        EXPECT_TRUE(d2dtest::same_records(shape, run(tied, seed, nullptr))) << seed;
        std::vector<long> standing;  // the tied records among the vertices
        for (const long v : shape.vertices) {
            if (v >= 500) standing.push_back(v);
        }
        ASSERT_FALSE(standing.empty()) << seed;
        EXPECT_EQ(std::count(standing.begin(), standing.end(), standing[0]), static_cast<long>(standing.size())) << seed;
    }
}

// The base ranges of three points, as starts into the split order of m
// points: the recursion halves a range until it holds two or three.
void base_triples(size_t beg, size_t end, std::vector<size_t>& starts) {
    if (end - beg <= 3) {
        if (end - beg == 3) starts.push_back(beg);
        return;
    }
    const size_t mid = beg + (end - beg) / 2;
    base_triples(beg, mid, starts);
    base_triples(mid, end, starts);
}

TEST(EntryPoints, OnlyUntouchedBaseTrianglesMayBeClockwise) {
    // A thin strip leaves many base triangles in place.
    std::mt19937_64 rng(5);
    std::normal_distribution<double> g(0.0, 1.0);
    std::vector<Point3D> points;
    for (size_t i = 0; i < 20000; ++i) {
        const double x = g(rng);
        points.push_back(point(x, 1e-3 * g(rng)));
    }
    std::vector<size_t> order(points.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        return points[a].x < points[b].x || (points[a].x == points[b].x && points[a].y > points[b].y);
    });
    std::vector<size_t> position(points.size());
    for (size_t k = 0; k < order.size(); ++k) position[order[k]] = k;
    std::vector<size_t> starts;
    base_triples(0, points.size(), starts);
    Mesh2D* mesh = d2dcommon::discarding_stdout([&] { return create_mesh_2d(points.data(), points.size()); });
    size_t clockwise = 0;
    for (size_t t = 0; t < mesh->length; ++t) {
        const Triangle& tri = mesh->triangles[t];
        const Point3D &a = *tri.points[0], &b = *tri.points[1], &c = *tri.points[2];
        if (d2dtest::orient_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y) > 0) continue;
        ++clockwise;
        const size_t first = position[static_cast<size_t>(tri.points[0] - points.data())];
        EXPECT_TRUE(std::binary_search(starts.begin(), starts.end(), first) &&
                    position[static_cast<size_t>(tri.points[1] - points.data())] == first + 1 &&
                    position[static_cast<size_t>(tri.points[2] - points.data())] == first + 2)
            << "triangle " << t << " is clockwise but no base triangle in split order";
    }
    EXPECT_GT(clockwise, 0u);
    free_mesh(mesh);
}

// Large groups of points that are equal in every key, or whose keys are
// NaN, still sort in reasonable time and in split order wherever the order
// tells points apart.
TEST(EntryPoints, LargeGroupsOfEqualAndNaNKeysSortAndTriangulate) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<Point3D> points(60000, point(0.5, 0.5, 1.0, 2.0));
    for (size_t i = 0; i < 20000; ++i) points[3 * i + 1] = point(nan, static_cast<double>(i));
    std::vector<Point3D> distinct = random_points(500, 17);
    points.insert(points.end(), distinct.begin(), distinct.end());
    Point3DList* list = new_list(points);
    Mesh2D* mesh = nullptr;
    captured_stdout([&] { mesh = create_triangle_mesh_2d(list, new_block()); });
    const auto check = check_mesh(mesh, points.data(), points.size());
    EXPECT_TRUE(check.ok()) << check.failure;
    for (size_t i = 1; i < list->length; ++i) {
        const Point3D* a = list->points[i - 1];
        const Point3D* b = list->points[i];
        if (std::isnan(a->x) || std::isnan(b->x)) continue;
        EXPECT_NE(sort_point_x_maxY(b, a), 1) << "at " << i;
    }
    free_mesh(mesh);
    std::free(list);
}

}  // namespace

namespace {

// The entry points sort large inputs with distinct keys by a faster sort and
// replay the quicksort only for its draws; either way the host must see the
// rand() state and the list order that sorting its list with sort_point
// leaves.
TEST(EntryPoints, LeaveTheRandomStateAndListOfTheQuicksort) {
    for (const bool with_equal_keys : {false, true}) {
        std::vector<Point3D> points = random_points(20000, 77);
        if (with_equal_keys) points[5000] = points[100];  // equal in every key: the draws decide
        Point3DList* by_entry = new_list(points);
        std::srand(41);
        Mesh2D* mesh = d2dcommon::discarding_stdout([&] { return create_triangle_mesh_2d(by_entry, new_block()); });
        const int next_after_entry = std::rand();

        Point3DList* by_sort = new_list(points);
        std::srand(41);
        sort_point(by_sort, sort_point_x_maxY);
        EXPECT_EQ(next_after_entry, std::rand()) << "equal keys: " << with_equal_keys;
        EXPECT_TRUE(std::equal(by_entry->points, by_entry->points + points.size(), by_sort->points))
            << "equal keys: " << with_equal_keys;
        free_mesh(mesh);
        std::free(by_entry);
        std::free(by_sort);
    }
}

}  // namespace
