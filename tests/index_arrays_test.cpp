// The index-array call: generated families at every size checked by the
// independent exact checker, plus what the call promises beyond the
// geometry (counter-clockwise rows, neighbours per edge, the hull, which
// point stands for which, identical arrays on any number of threads, the
// host's rand() left alone, statuses and out-of-memory without leaks). The
// fixed inputs that caught faults (repeats, non-finite and collinear points,
// subnormal steps, every magnitude) run in fixtures_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "delaunay2d.h"
#include "common/point_families.hpp"
#include "common/stdout_redirect.hpp"
#include "support/index_array_checks.hpp"
#include "engine/system/allocation_faults.hpp"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define D2D_INDEX_ARRAYS_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define D2D_INDEX_ARRAYS_SANITIZED 1
#endif
#endif

namespace {

using d2dcommon::Points;

#if defined(D2D_INDEX_ARRAYS_SANITIZED)
constexpr std::size_t kLarge = 20000;
#else
constexpr std::size_t kLarge = 200000;
#endif

using d2dtest::expect_same_arrays;
using d2dtest::expect_sound;
using d2dtest::is_zeroed;
using d2dtest::orient_sign;
using Result = d2dtest::IndexArrays;

std::unique_ptr<Result> run(const Points& points, unsigned threads = 1) { return d2dtest::run_index_arrays(points, threads); }

void expect_sound(Points points, const std::string& label) {
    const auto result = run(points);
    expect_sound(points, *result, label);
}

TEST(IndexArrays, EveryFamilyIsSound) {
    for (const std::size_t n : {3, 4, 5, 6, 7, 8, 9, 10, 13, 17, 31, 64, 100, 257, 1000, 5000}) {
        for (std::uint64_t seed = 1; seed <= 3; ++seed) {
            expect_sound(d2dcommon::uniform(n, seed), "uniform " + std::to_string(n));
            expect_sound(d2dcommon::clusters(n, seed), "clusters " + std::to_string(n));
        }
    }
    for (const std::size_t k : {2, 3, 4, 5, 8, 13, 40}) expect_sound(d2dcommon::grid(k * k, k), "grid " + std::to_string(k));
    expect_sound(d2dcommon::transformed(d2dcommon::uniform(2000, 9), 1e-200, 1e-190), "tiny");
    expect_sound(d2dcommon::transformed(d2dcommon::uniform(2000, 9), 1e200, -3e200), "huge");
    expect_sound(d2dcommon::uniform(kLarge, 5), "large uniform");
    expect_sound(d2dcommon::clusters(kLarge, 5), "large clusters");
}

// Small lattices with repeats: collinear and cocircular points everywhere,
// pieces of every shape, cuts that leave one point alone.
TEST(IndexArrays, SmallLatticesWithRepeats) {
    std::mt19937_64 rng(17);
    for (int round = 0; round < 400; ++round) {
        const int side = 2 + static_cast<int>(rng() % 12);
        const std::size_t n = 3 + rng() % 200;
        Points points;
        for (std::size_t i = 0; i < n; ++i) {
            points.push_back(d2dcommon::point(static_cast<double>(rng() % side), static_cast<double>(rng() % side)));
        }
        expect_sound(points, "lattice round " + std::to_string(round));
    }
}

TEST(IndexArrays, SameTrianglesAsTheEntryPointInGeneralPosition) {
    for (const std::size_t n : {3, 10, 100, 5000}) {
        Points points = d2dcommon::uniform(n, 21);
        const auto result = run(points);
        ASSERT_EQ(result->status, DELAUNAY2D_OK);
        const auto canonical = [](std::array<std::size_t, 3> t) {
            std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
            return t;
        };
        std::vector<std::array<std::size_t, 3>> ours;
        for (std::size_t t = 0; t < result->r.triangle_count; ++t) {
            const uint32_t* v = &result->r.triangles[3 * t];
            ours.push_back(canonical({v[0], v[1], v[2]}));
        }
        Mesh2D* mesh = d2dcommon::discarding_stdout([&] { return create_mesh_2d(points.data(), points.size()); });
        std::vector<std::array<std::size_t, 3>> theirs;
        for (std::size_t t = 0; t < mesh->length; ++t) {
            const Triangle& tri = mesh->triangles[t];
            std::array<std::size_t, 3> v{static_cast<std::size_t>(tri.points[0] - points.data()),
                                         static_cast<std::size_t>(tri.points[1] - points.data()),
                                         static_cast<std::size_t>(tri.points[2] - points.data())};
            if (orient_sign(points[v[0]], points[v[1]], points[v[2]]) < 0) std::swap(v[1], v[2]);
            theirs.push_back(canonical(v));
        }
        free_mesh(mesh);
        std::sort(ours.begin(), ours.end());
        std::sort(theirs.begin(), theirs.end());
        EXPECT_EQ(ours, theirs) << "n = " << n;
    }
}

// Threads decide only which pieces run at once: the arrays are the same.
TEST(IndexArrays, AnyNumberOfThreadsGivesTheSameArrays) {
    const Points inputs[] = {d2dcommon::clusters(70000, 8), d2dcommon::clusters(kLarge + 12345, 8), d2dcommon::grid(300 * 300, 2)};
    for (const Points& input : inputs) {
        Points points = input;
        const std::size_t n = points.size();
        const auto one = run(points, 1);
        expect_sound(points, *one, "threads, n = " + std::to_string(n));
        for (const unsigned threads : {0u, 2u, 3u, 8u}) {
            const auto other = run(points, threads);
            ASSERT_EQ(other->status, DELAUNAY2D_OK);
            expect_same_arrays(one->r, other->r, std::to_string(threads) + " threads, n = " + std::to_string(n));
        }
    }
}

TEST(IndexArrays, LeavesTheHostsRandomStateAlone) {
    Points points = d2dcommon::uniform(10000, 2);
    std::srand(77);
    const int expected = std::rand();
    std::srand(77);
    const auto result = run(points, 2);
    ASSERT_EQ(result->status, DELAUNAY2D_OK);
    EXPECT_EQ(std::rand(), expected);
}

TEST(IndexArrays, BadArgumentsAreReportedAndTheResultZeroed) {
    Points points = d2dcommon::uniform(10, 1);
    delaunay2d_result r;
    std::memset(&r, 0xAB, sizeof r);
    EXPECT_EQ(delaunay2d_triangulate(nullptr, 3, 2, 1, &r), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_TRUE(is_zeroed(r));
    std::memset(&r, 0xAB, sizeof r);
    EXPECT_EQ(delaunay2d_triangulate(&points[0].x, 10, 1, 1, &r), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_TRUE(is_zeroed(r));
    EXPECT_EQ(delaunay2d_triangulate(&points[0].x, 10, 4, 1, nullptr), DELAUNAY2D_INVALID_ARGUMENT);
    // The count is checked before any coordinate is read.
    EXPECT_EQ(delaunay2d_triangulate(&points[0].x, size_t{1} << 27, 4, 1, &r), DELAUNAY2D_TOO_MANY_POINTS);
    EXPECT_TRUE(is_zeroed(r));
    EXPECT_EQ(delaunay2d_triangulate(nullptr, 0, 2, 1, &r), DELAUNAY2D_OK);
    EXPECT_EQ(r.triangle_count, 0u);
    EXPECT_EQ(r.hull_count, 0u);
    // An empty result converts into nothing; a null result or array is refused.
    EXPECT_EQ(delaunay2d_neighbours_opposite_vertex(&r, nullptr), DELAUNAY2D_OK);
    EXPECT_EQ(delaunay2d_neighbours_opposite_vertex(nullptr, nullptr), DELAUNAY2D_INVALID_ARGUMENT);
    const auto square = run(Points{d2dcommon::point(0, 0), d2dcommon::point(1, 0), d2dcommon::point(0, 1),
                                   d2dcommon::point(1, 1)});
    EXPECT_EQ(delaunay2d_neighbours_opposite_vertex(&square->r, nullptr), DELAUNAY2D_INVALID_ARGUMENT);
    delaunay2d_result_free(&r);
    EXPECT_TRUE(is_zeroed(r));
    delaunay2d_result_free(nullptr);
    for (const auto status :
         {DELAUNAY2D_OK, DELAUNAY2D_INVALID_ARGUMENT, DELAUNAY2D_OUT_OF_MEMORY, DELAUNAY2D_TOO_MANY_POINTS}) {
        ASSERT_NE(delaunay2d_status_message(status), nullptr);
    }
    EXPECT_STRNE(delaunay2d_status_message(DELAUNAY2D_OK), delaunay2d_status_message(DELAUNAY2D_OUT_OF_MEMORY));
}

// Every allocation of a call, on one thread and on two, made to fail in
// turn: the call reports it and leaves nothing allocated (the sanitizer
// build's leak check sees the rest).
TEST(IndexArrays, RunningOutOfMemoryIsReportedWithNothingLeaked) {
    for (const std::size_t n : {std::size_t{500}, std::size_t{70000}}) {
        Points points = d2dcommon::uniform(n, 4);
        bool finished = false;
        for (long successes = 0; successes < 200 && !finished; ++successes) {
            d2d::allocation_faults::fail_after(successes);
            delaunay2d_result r;
            const delaunay2d_status status = delaunay2d_triangulate(&points[0].x, n, 4, 2, &r);
            d2d::allocation_faults::fail_after(-1);
            if (status == DELAUNAY2D_OK) {
                finished = true;
                delaunay2d_result_free(&r);
                break;
            }
            ASSERT_EQ(status, DELAUNAY2D_OUT_OF_MEMORY) << successes;
            ASSERT_TRUE(is_zeroed(r)) << successes;
        }
        EXPECT_TRUE(finished) << n;
    }
}

TEST(IndexArrays, WorkedExampleAndVersion) {
    // The unit square: two counter-clockwise triangles sharing a diagonal.
    const double square[] = {0, 0, 1, 0, 1, 1, 0, 1};
    Result result;
    ASSERT_EQ(delaunay2d_triangulate(square, 4, 2, 1, &result.r), DELAUNAY2D_OK);
    ASSERT_EQ(result.r.triangle_count, 2u);
    ASSERT_EQ(result.r.hull_count, 4u);
    // The hull starts at the first point in x, then y descending: (0, 1).
    EXPECT_EQ(std::vector<uint32_t>(result.r.hull, result.r.hull + 4), (std::vector<uint32_t>{3, 0, 1, 2}));
    int shared = 0;
    for (int k = 0; k < 6; ++k) shared += result.r.neighbours[k] >= 0;
    EXPECT_EQ(shared, 2);
    EXPECT_STREQ(delaunay2d_version(), DELAUNAY2D_PROJECT_VERSION);
}

}  // namespace
