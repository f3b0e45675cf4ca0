// The index-array call: every family of the property suite checked by
// the independent exact checker, plus what the call promises beyond the
// geometry (counter-clockwise rows, neighbours per edge, the hull, which
// point stands for which, identical arrays on any number of threads, the
// host's rand() left alone, statuses and out-of-memory without leaks).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "delaunay2d.h"
#include "common/point_families.hpp"
#include "common/stdout_redirect.hpp"
#include "support/exact_rational.hpp"
#include "support/mesh_checker.hpp"
#include "support/predicate_inputs.hpp"
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

// A result that frees itself.
struct Result {
    delaunay2d_result r{};
    delaunay2d_status status = DELAUNAY2D_OK;
    Result() = default;
    Result(const Result&) = delete;
    Result& operator=(const Result&) = delete;
    ~Result() { delaunay2d_result_free(&r); }
};

std::unique_ptr<Result> run(const Points& points, unsigned threads = 1) {
    auto result = std::make_unique<Result>();
    result->status = delaunay2d_triangulate(&points[0].x, points.size(), 4, threads, &result->r);
    return result;
}

int orient_sign(const Point3D& a, const Point3D& b, const Point3D& c) {
    const int quick = d2dtest::orient_sign_quick(a.x, a.y, b.x, b.y, c.x, c.y);
    return quick != 0 ? quick : d2dtest::orient_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y);
}

bool is_zeroed(const delaunay2d_result& r) {
    return r.point_count == 0 && r.triangle_count == 0 && r.triangles == nullptr && r.neighbours == nullptr &&
           r.hull_count == 0 && r.hull == nullptr && r.vertex_of_point == nullptr;
}

// The mesh the entry points would return for these rows: the records the
// independent checker reads, triangles with three neighbours first.
struct RecordMesh {
    std::vector<unsigned char> block;
    Mesh2D* mesh() { return reinterpret_cast<Mesh2D*>(block.data()); }
};

RecordMesh as_records(const delaunay2d_result& r, Points& points) {
    const std::size_t n = r.triangle_count;
    std::vector<std::size_t> order(n);
    std::vector<std::size_t> place(n);
    std::size_t inner = 0;
    for (std::size_t t = 0; t < n; ++t) {
        if (r.neighbours[3 * t] >= 0 && r.neighbours[3 * t + 1] >= 0 && r.neighbours[3 * t + 2] >= 0) ++inner;
    }
    std::size_t next_inner = 0;
    std::size_t next_edge = inner;
    for (std::size_t t = 0; t < n; ++t) {
        const bool full = r.neighbours[3 * t] >= 0 && r.neighbours[3 * t + 1] >= 0 && r.neighbours[3 * t + 2] >= 0;
        place[t] = full ? next_inner++ : next_edge++;
    }
    RecordMesh out;
    out.block.assign(sizeof(Mesh2D) + n * sizeof(Triangle), 0);
    Mesh2D* mesh = out.mesh();
    mesh->length = n;
    mesh->inner_length = inner;
    for (std::size_t t = 0; t < n; ++t) {
        Triangle* record = &mesh->triangles[place[t]];
        const uint32_t* v = &r.triangles[3 * t];
        create_triangle(record, &points[v[0]], &points[v[1]], &points[v[2]]);
        for (int k = 0; k < 3; ++k) {
            const int32_t nb = r.neighbours[3 * t + k];
            record->vor[k] = nb < 0 ? nullptr : &mesh->triangles[place[static_cast<std::size_t>(nb)]];
        }
    }
    return out;
}

// Everything the call promises about one result.
void expect_sound(Points& points, const Result& result, const std::string& label) {
    const delaunay2d_result& r = result.r;
    ASSERT_EQ(result.status, DELAUNAY2D_OK) << label;
    ASSERT_EQ(r.point_count, points.size()) << label;

    // Which point stands for which, found independently.
    std::map<std::pair<double, double>, std::size_t> first_of;
    std::vector<std::size_t> distinct;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double x = points[i].x + 0.0, y = points[i].y + 0.0;
        if (!std::isfinite(x) || !std::isfinite(y)) {
            ASSERT_EQ(r.vertex_of_point[i], -1) << label << ": point " << i;
            continue;
        }
        const auto [it, fresh] = first_of.emplace(std::make_pair(x, y), i);
        if (fresh) distinct.push_back(i);
        ASSERT_EQ(r.vertex_of_point[i], static_cast<int32_t>(it->second)) << label << ": point " << i;
    }

    // Rows: counter-clockwise, and vertices only of points that stand for
    // themselves.
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        const uint32_t* v = &r.triangles[3 * t];
        for (int k = 0; k < 3; ++k) {
            ASSERT_LT(v[k], points.size()) << label;
            ASSERT_EQ(r.vertex_of_point[v[k]], static_cast<int32_t>(v[k])) << label;
        }
        ASSERT_EQ(orient_sign(points[v[0]], points[v[1]], points[v[2]]), 1) << label << ": triangle " << t;
    }

    // Geometry and links, by the independent checker.
    RecordMesh records = as_records(r, points);
    const d2dtest::MeshCheck check = d2dtest::check_mesh(records.mesh(), points.data(), points.size());
    ASSERT_TRUE(check.ok()) << label << " (n = " << points.size() << "): " << check.failure;

    // The hull: the boundary edges, each once, in counter-clockwise order;
    // without triangles, the distinct points along their line.
    if (r.triangle_count == 0) {
        ASSERT_EQ(r.hull_count, distinct.size()) << label;
        for (std::size_t i = 0; i + 2 < r.hull_count; ++i) {
            const Point3D& a = points[r.hull[i]];
            const Point3D& b = points[r.hull[i + 1]];
            const Point3D& c = points[r.hull[i + 2]];
            // b lies between a and c on their line.
            ASSERT_GT((b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y), 0.0) << label;
        }
        return;
    }
    std::map<uint32_t, uint32_t> boundary;  // CCW edge a -> b on the hull
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        for (int k = 0; k < 3; ++k) {
            if (r.neighbours[3 * t + k] < 0) boundary[r.triangles[3 * t + k]] = r.triangles[3 * t + (k + 1) % 3];
        }
    }
    ASSERT_EQ(r.hull_count, boundary.size()) << label;

    // The neighbours by opposite vertex: across the edge (v[k+1], v[k+2])
    // that faces vertex k, -1 exactly where that edge is on the hull; the
    // output fills 3 entries per triangle and not one more.
    std::vector<int32_t> opposite(3 * r.triangle_count + 1, -2);
    ASSERT_EQ(delaunay2d_neighbours_opposite_vertex(&r, opposite.data()), DELAUNAY2D_OK) << label;
    ASSERT_EQ(opposite.back(), -2) << label;
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = r.triangles[3 * t + (k + 1) % 3], b = r.triangles[3 * t + (k + 2) % 3];
            const int32_t u = opposite[3 * t + k];
            if (u < 0) {
                ASSERT_EQ(u, -1) << label;
                const auto edge = boundary.find(a);
                ASSERT_TRUE(edge != boundary.end() && edge->second == b) << label << ": triangle " << t;
            } else {
                const uint32_t* w = &r.triangles[3 * static_cast<std::size_t>(u)];
                ASSERT_NE(static_cast<std::size_t>(u), t) << label;
                ASSERT_TRUE(std::count(w, w + 3, a) == 1 && std::count(w, w + 3, b) == 1) << label << ": triangle " << t;
            }
        }
    }

    for (std::size_t i = 0; i < r.hull_count; ++i) {
        const auto edge = boundary.find(r.hull[i]);
        ASSERT_NE(edge, boundary.end()) << label;
        ASSERT_EQ(edge->second, r.hull[(i + 1) % r.hull_count]) << label << ": hull entry " << i;
    }
}

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
    expect_sound(d2dcommon::rotated_grid(30, 0.3), "rotated grid");
    expect_sound(d2dcommon::regular_polygon(1000, 1.0, 0.25, -3.0), "circle");
    expect_sound(d2dtest::lattice_circle_points(), "lattice circle");
    expect_sound(d2dcommon::transformed(d2dcommon::uniform(2000, 9), 1e-200, 1e-190), "tiny");
    expect_sound(d2dcommon::transformed(d2dcommon::uniform(2000, 9), 1e200, -3e200), "huge");
    expect_sound(d2dcommon::uniform(kLarge, 5), "large uniform");
    expect_sound(d2dcommon::clusters(kLarge, 5), "large clusters");
}

TEST(IndexArrays, DuplicatesNonFiniteAndCollinearPoints) {
    std::mt19937_64 rng(3);
    Points mixed = d2dcommon::grid(12 * 12, 4);
    for (int i = 0; i < 60; ++i) mixed.push_back(mixed[rng() % 144]);
    mixed.push_back(d2dcommon::point(NAN, 1.0));
    mixed.push_back(d2dcommon::point(1.0, INFINITY));
    mixed.push_back(d2dcommon::point(-0.0, -0.0));  // the same point as (0, 0)
    std::shuffle(mixed.begin(), mixed.end(), rng);
    expect_sound(mixed, "grid with repeats");

    Points line;
    for (int i = 0; i < 50; ++i) line.push_back(d2dcommon::point(3.0 * (i * 7 % 50), 2.0 * (i * 7 % 50) - 1.0));
    line.push_back(line[3]);
    line.push_back(d2dcommon::point(NAN, NAN));
    expect_sound(line, "collinear");
    Points vertical{d2dcommon::point(1, 5), d2dcommon::point(1, -2), d2dcommon::point(1, 0)};
    expect_sound(vertical, "vertical line");
    Points two{d2dcommon::point(1, 5), d2dcommon::point(1, 5), d2dcommon::point(2, 0)};
    expect_sound(two, "two distinct");
    Points one_off = line;
    one_off.push_back(d2dcommon::point(10.0, 0.0));
    expect_sound(one_off, "all but one collinear");
    expect_sound(Points{d2dcommon::point(NAN, 0)}, "no finite point");
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

// Magnitudes from the smallest subnormal to near the largest double in one
// input: the call never scales, so no two points meet and no turn changes.
TEST(IndexArrays, MagnitudesFromSubnormalToHuge) {
    const double d = std::ldexp(1.0, -1074);
    expect_sound(Points{d2dcommon::point(0, 0), d2dcommon::point(d, 0), d2dcommon::point(0, 1)}, "subnormal step");
    expect_sound(Points{d2dcommon::point(31 * d, 3 * d), d2dcommon::point(d, 10 * d), d2dcommon::point(45 * d, d),
                        d2dcommon::point(1, 1)},
                 "subnormal convex");
    std::mt19937_64 rng(11);
    std::uniform_int_distribution<int> exponent(-1074, 1020);
    std::uniform_real_distribution<double> mantissa(1.0, 2.0);
    for (const std::size_t n : {4, 9, 40, 300}) {
        Points p;
        for (std::size_t i = 0; i < n; ++i) {
            const auto coordinate = [&] {
                const double v = std::ldexp(mantissa(rng), exponent(rng));
                return rng() % 2 ? v : -v;
            };
            const double x = coordinate();
            p.push_back(d2dcommon::point(x, coordinate()));
        }
        expect_sound(p, "mixed magnitudes " + std::to_string(n));
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
            const delaunay2d_result& a = one->r;
            const delaunay2d_result& b = other->r;
            ASSERT_EQ(a.triangle_count, b.triangle_count) << threads;
            ASSERT_EQ(a.hull_count, b.hull_count) << threads;
            EXPECT_TRUE(std::equal(a.triangles, a.triangles + 3 * a.triangle_count, b.triangles)) << threads;
            EXPECT_TRUE(std::equal(a.neighbours, a.neighbours + 3 * a.triangle_count, b.neighbours)) << threads;
            EXPECT_TRUE(std::equal(a.hull, a.hull + a.hull_count, b.hull)) << threads;
            EXPECT_TRUE(std::equal(a.vertex_of_point, a.vertex_of_point + n, b.vertex_of_point)) << threads;
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
