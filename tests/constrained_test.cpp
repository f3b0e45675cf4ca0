// The constrained call, checked by the independent exact checker on worked
// cases and random segment sets, and its argument handling.
#include <gmpxx.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "delaunay2d.h"
#include "engine/system/allocation_faults.hpp"
#include "operations/constrained/constrained_mesh.hpp"
#include "support/constrained_call.hpp"
#include "support/constrained_checker.hpp"
#include "support/delaunay_start_mesh.hpp"
#include "support/exact_rational.hpp"

namespace {

using d2dtest::ConstrainedInput;

using Call = d2dtest::ConstrainedCall;

void expect_valid(const ConstrainedInput& in, const std::vector<std::vector<double>>* rings = nullptr) {
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result, rings), "");
}

// A ring of the polygon with `n` vertices around (cx, cy), radius wobbling
// between r and 1.3 r, counter-clockwise, appended to the input as points
// and closed segments; returns its coordinates for the area check (reversed
// for a hole).
std::vector<double> add_ring(ConstrainedInput& in, double cx, double cy, double r, size_t n, bool hole, std::mt19937_64& rng) {
    std::uniform_real_distribution<double> wobble(1.0, 1.3);
    const uint32_t first = static_cast<uint32_t>(in.xy.size() / 2);
    std::vector<double> ring;
    for (size_t k = 0; k < n; ++k) {
        const double angle = 2.0 * M_PI * static_cast<double>(k) / static_cast<double>(n);
        const double radius = r * wobble(rng);
        ring.push_back(cx + radius * std::cos(angle));
        ring.push_back(cy + radius * std::sin(angle));
        in.xy.push_back(ring[2 * k]);
        in.xy.push_back(ring[2 * k + 1]);
        in.segments.push_back(first + static_cast<uint32_t>(k));
        in.segments.push_back(first + static_cast<uint32_t>((k + 1) % n));
    }
    if (hole) {
        std::vector<double> reversed;
        for (size_t k = n; k-- > 0;) {
            reversed.push_back(ring[2 * k]);
            reversed.push_back(ring[2 * k + 1]);
        }
        return reversed;
    }
    return ring;
}

// The double nearest to the rational q, ties to even, found independently.
double nearest_double(const mpq_class& q) {
    const double d = q.get_d();  // truncated towards zero
    double best = d;
    for (double c : {std::nextafter(d, -INFINITY), std::nextafter(d, INFINITY)}) {
        const mpq_class e1 = abs(mpq_class(c) - q), e0 = abs(mpq_class(best) - q);
        if (e1 < e0) best = c;
        if (e1 == e0 && c != best) {
            int exp;
            const double m = std::frexp(c, &exp);
            if (std::fmod(std::ldexp(m, 53), 2.0) == 0.0) best = c;
        }
    }
    return best;
}

TEST(ConstrainedWorked, SegmentAcrossTheDelaunayDiagonal) {
    // The Delaunay diagonal is the short one, (2)-(3); the segment is (0)-(1).
    ConstrainedInput in;
    in.xy = {0, 0, 10, 0, 5, 1, 5, -1};
    in.segments = {0, 1};
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
    EXPECT_EQ(run.result.mesh.triangle_count, 2u);
    EXPECT_EQ(run.result.segment_count, 1u);
    EXPECT_TRUE(run.has_edge(0, 1));
    EXPECT_EQ(run.result.added_count, 0u);
}

TEST(ConstrainedWorked, CollinearChainsSplitAtEveryPointOnThem) {
    ConstrainedInput in;
    for (int k = 0; k <= 10; ++k) in.xy.insert(in.xy.end(), {static_cast<double>(k), 0.0});
    in.xy.insert(in.xy.end(), {5, 3, 5, -3, 2, 1, 8, -1});
    in.segments = {0, 10, 2, 7, 12, 11};  // overlapping collinear segments, and one through point 5
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
    EXPECT_EQ(run.result.segment_count, 12u);  // ten steps on the axis, two halves through (5, 0)
    for (uint32_t k = 0; k < 10; ++k) EXPECT_TRUE(run.has_edge(k, k + 1));
    EXPECT_TRUE(run.has_edge(11, 5));
    EXPECT_TRUE(run.has_edge(5, 12));
}

TEST(ConstrainedWorked, CrossingsAddCorrectlyRoundedPoints) {
    ConstrainedInput in;
    in.xy = {0, 0, 1, 1, 0, 1, 1, 0, 0, 0.3, 3, 0.1, -1, -1, 3, 3};
    in.segments = {0, 1, 2, 3, 4, 5};
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
    ASSERT_GE(run.result.added_count, 1u);
    // (0,0)-(1,1) crosses (0,1)-(1,0) at (0.5, 0.5) exactly.
    bool centre = false;
    for (size_t k = 0; k < run.result.added_count; ++k) {
        const double* q = run.result.points + 2 * (8 + k);
        centre = centre || (q[0] == 0.5 && q[1] == 0.5);
    }
    EXPECT_TRUE(centre);
    // The crossing of (0, 0.3)-(3, 0.1) with (0,1)-(1,0): y = 0.3 - x/15 and
    // y = 1 - x, so x = 0.7 * 15 / 14, rounded from the doubles given.
    const mpq_class ay(0.3), by(0.1);
    // Line 1: y = ay + (by - ay) x / 3; line 2: y = 1 - x.
    const mpq_class slope = (by - ay) / 3;
    const mpq_class x = (1 - ay) / (slope + 1);
    const mpq_class y = 1 - x;
    bool found = false;
    for (size_t k = 0; k < run.result.added_count; ++k) {
        const double* q = run.result.points + 2 * (8 + k);
        found = found || (q[0] == nearest_double(x) && q[1] == nearest_double(y));
    }
    EXPECT_TRUE(found);
}

TEST(ConstrainedWorked, ManyCrossingsAndThreadsGiveOneResult) {
    ConstrainedInput in;
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int k = 0; k < 40; ++k) {
        const uint32_t i = static_cast<uint32_t>(in.xy.size() / 2);
        in.xy.insert(in.xy.end(), {u(rng), u(rng), u(rng), u(rng)});
        in.segments.insert(in.segments.end(), {i, i + 1});
    }
    for (int k = 0; k < 2000; ++k) in.xy.insert(in.xy.end(), {u(rng), u(rng)});
    Call one(in, 1);
    Call four(in, 4);
    ASSERT_EQ(one.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, one.result), "");
    EXPECT_GT(one.result.added_count, 50u);
    ASSERT_EQ(one.result.mesh.triangle_count, four.result.mesh.triangle_count);
    ASSERT_EQ(one.result.mesh.point_count, four.result.mesh.point_count);
    const size_t m = one.result.mesh.triangle_count;
    EXPECT_EQ(std::memcmp(one.result.mesh.triangles, four.result.mesh.triangles, 3 * m * sizeof(uint32_t)), 0);
    EXPECT_EQ(std::memcmp(one.result.constrained, four.result.constrained, 3 * m), 0);
    EXPECT_EQ(std::memcmp(one.result.points, four.result.points, 2 * one.result.mesh.point_count * sizeof(double)), 0);
}

TEST(ConstrainedWorked, CombKeepsItsTeeth) {
    // A comb: a spine and 30 thin teeth, one ring, with points scattered
    // in and around it.
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    std::vector<double> ring = {0, 0, 31, 0, 31, 1};
    for (int k = 30; k >= 1; --k) {
        const double x = static_cast<double>(k);
        ring.insert(ring.end(), {x, 10, x - 0.5, 10, x - 0.5, 1});
    }
    ring.insert(ring.end(), {0, 1});
    const size_t n = ring.size() / 2;
    in.xy = ring;
    for (size_t k = 0; k < n; ++k) in.segments.insert(in.segments.end(), {static_cast<uint32_t>(k), static_cast<uint32_t>((k + 1) % n)});
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> u(-1.0, 32.0);
    for (int k = 0; k < 300; ++k) in.xy.insert(in.xy.end(), {u(rng), u(rng) / 3.0});
    const std::vector<std::vector<double>> rings{ring};
    expect_valid(in, &rings);
    in.region = DELAUNAY2D_REGION_HULL;
    expect_valid(in);
}

TEST(ConstrainedWorked, NestedRingsByEvenOddAndHolePoints) {
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    std::mt19937_64 rng(11);
    // Three rings around one centre: outer, hole, island; the hole ring is
    // given counter-clockwise too: nesting, not direction, decides.
    const auto outer = add_ring(in, 0, 0, 10, 60, false, rng);
    const auto hole = add_ring(in, 0, 0, 5, 40, true, rng);
    const auto island = add_ring(in, 0, 0, 2, 20, false, rng);
    std::vector<std::vector<double>> rings{outer, hole, island};
    expect_valid(in, &rings);
    // A hole point inside the island removes it too.
    in.holes = {0.0, 0.0};
    rings.pop_back();
    expect_valid(in, &rings);
    // Region hull with hole points: the outer ring is the hull's rim (its
    // vertices' hull), so hole points in the ring between 5 and 10 and in
    // the island leave the hole ring's inside minus the island.
    ConstrainedInput square;
    square.xy = {0, 0, 10, 0, 10, 10, 0, 10, 3, 3, 7, 3, 7, 7, 3, 7};
    square.segments = {0, 1, 1, 2, 2, 3, 3, 0, 4, 5, 5, 6, 6, 7, 7, 4};
    square.holes = {5, 5};
    const std::vector<std::vector<double>> frame{{0, 0, 10, 0, 10, 10, 0, 10}, {3, 3, 3, 7, 7, 7, 7, 3}};
    expect_valid(square, &frame);
}

// The kept triangles of a call, as vertex triples.
std::vector<uint32_t> kept(const ConstrainedInput& in) {
    Call run(in);
    EXPECT_EQ(run.status, DELAUNAY2D_OK);
    return {run.result.mesh.triangles, run.result.mesh.triangles + 3 * run.result.mesh.triangle_count};
}

TEST(ConstrainedWorked, AutoRegionIsTheInsideOfRingsAndTheHullOfOpenLines) {
    std::mt19937_64 rng(5);
    ConstrainedInput rings;
    add_ring(rings, 0, 0, 10, 30, false, rng);
    add_ring(rings, 0, 0, 4, 20, true, rng);
    rings.xy.insert(rings.xy.end(), {20, 20, -20, 15});  // outside the rings
    const auto with_region = [](ConstrainedInput in, int region) {
        in.region = region;
        return kept(in);
    };
    EXPECT_EQ(with_region(rings, DELAUNAY2D_REGION_AUTO), with_region(rings, DELAUNAY2D_REGION_INSIDE));
    // The same rings left open: the hull, as open breaklines ask.
    ConstrainedInput lines = rings;
    lines.segments.resize(lines.segments.size() - 2);
    lines.segments.erase(lines.segments.begin(), lines.segments.begin() + 2);
    EXPECT_EQ(with_region(lines, DELAUNAY2D_REGION_AUTO), with_region(lines, DELAUNAY2D_REGION_HULL));
    EXPECT_TRUE(with_region(lines, DELAUNAY2D_REGION_INSIDE).empty());
    // Three segments that only cross one another close a small triangle:
    // a ring of the mesh, not of the input's point indices.
    ConstrainedInput star;
    star.xy = {0, 0, 4, 1, 4, 0, 0, 1, 1, -2, 2, 3, 9, 9};
    star.segments = {0, 1, 2, 3, 4, 5};
    EXPECT_EQ(with_region(star, DELAUNAY2D_REGION_AUTO), with_region(star, DELAUNAY2D_REGION_INSIDE));
    EXPECT_FALSE(with_region(star, DELAUNAY2D_REGION_AUTO).empty());
    // Hole points apply after the choice: one inside the only ring leaves
    // nothing, not the hull.
    ConstrainedInput square;
    square.xy = {0, 0, 1, 0, 1, 1, 0, 1, 5, 5};
    square.segments = {0, 1, 1, 2, 2, 3, 3, 0};
    square.holes = {0.5, 0.25};
    EXPECT_TRUE(with_region(square, DELAUNAY2D_REGION_AUTO).empty());
}

TEST(ConstrainedWorked, PolygonOfHundredThousandVerticesWithHundredHoles) {
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    std::mt19937_64 rng(5);
    std::vector<std::vector<double>> rings{add_ring(in, 0, 0, 100, 100000 - 1000, false, rng)};
    for (int i = 0; i < 10; ++i) {
        for (int j = 0; j < 10; ++j) {
            rings.push_back(add_ring(in, -60 + 13.0 * i, -60 + 13.0 * j, 3, 10, true, rng));
        }
    }
    Call run(in, 2);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(run.result.added_count, 0u);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result, &rings), "");
}

// Random segment sets: planar ones (crossings rejected) and crossing ones,
// each with repeated points and segments, checked exactly.
TEST(ConstrainedProperty, RandomSegmentSets) {
    for (int seed = 0; seed < 30; ++seed) {
        std::mt19937_64 rng(static_cast<uint64_t>(seed));
        std::uniform_int_distribution<int> grid(0, seed % 2 == 0 ? 20 : 1000000);
        ConstrainedInput in;
        const int points = 50 + 20 * seed;
        // Points on a small grid for even seeds: many collinear and
        // cocircular cases, and repeats.
        for (int k = 0; k < points; ++k) {
            in.xy.push_back(static_cast<double>(grid(rng)) / 7.0);
            in.xy.push_back(static_cast<double>(grid(rng)) / 7.0);
        }
        std::uniform_int_distribution<uint32_t> pick(0, static_cast<uint32_t>(points - 1));
        const bool planar = seed % 3 != 0;
        for (int k = 0; k < points / 2; ++k) {
            const uint32_t a = pick(rng), b = pick(rng);
            bool crosses = false;
            for (size_t s = 0; planar && s < in.segments.size() / 2 && !crosses; ++s) {
                const uint32_t c = in.segments[2 * s], d = in.segments[2 * s + 1];
                auto o = [&](uint32_t p, uint32_t q, uint32_t r) {
                    return d2dtest::orient_sign_rational(in.xy[2 * p], in.xy[2 * p + 1], in.xy[2 * q], in.xy[2 * q + 1],
                                                         in.xy[2 * r], in.xy[2 * r + 1]);
                };
                crosses = o(a, b, c) * o(a, b, d) < 0 && o(c, d, a) * o(c, d, b) < 0;
            }
            if (!crosses) in.segments.insert(in.segments.end(), {a, b});
        }
        in.segments.insert(in.segments.end(), {in.segments[0], in.segments[1]});
        Call run(in);
        ASSERT_EQ(run.status, DELAUNAY2D_OK) << "seed " << seed;
        EXPECT_EQ(d2dtest::check_constrained(in, run.result), "") << "seed " << seed;
        if (planar && seed % 2 == 1) {
            EXPECT_EQ(run.result.added_count, 0u) << "seed " << seed;
        }
    }
}

TEST(ConstrainedEdges, CollinearInputAndRepeatedPoints) {
    ConstrainedInput in;
    in.xy = {0, 0, 1, 1, 2, 2, 3, 3, 1, 1};
    in.segments = {0, 2, 4, 3, 1, 1};
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(run.result.mesh.triangle_count, 0u);
    EXPECT_EQ(run.result.segment_count, 3u);  // 0-1, 1-2, 2-3
    ConstrainedInput repeated;
    repeated.xy = {0, 0, 4, 0, 2, 3, 2, -3, 4, 0};
    repeated.segments = {2, 3, 4, 0, 2, 2};
    Call again(repeated);
    ASSERT_EQ(again.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(repeated, again.result), "");
    // Segment 4 - 0 is segment 1 - 0; it crosses 2 - 3 at (2, 0).
    ASSERT_EQ(again.result.added_count, 1u);
    EXPECT_EQ(again.result.points[10], 2.0);
    EXPECT_EQ(again.result.points[11], 0.0);
    EXPECT_TRUE(again.has_edge(1, 5));
    EXPECT_TRUE(again.has_edge(5, 0));
}

TEST(ConstrainedEdges, BadArgumentsAreRefusedAndLeaveNothing) {
    const double xy[] = {0, 0, 1, 0, 0, 1, NAN, 0};
    const uint32_t out_of_range[] = {0, 4};
    const uint32_t to_nan[] = {0, 3};
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    delaunay2d_constrained_result result{};
    result.struct_size = sizeof result;
    options.segments = out_of_range;
    options.segment_count = 1;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, &result), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(result.mesh.triangles, nullptr);
    EXPECT_EQ(result.struct_size, sizeof result);
    options.segments = to_nan;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, &result), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(result.points, nullptr);
    options.segments = nullptr;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, &result), DELAUNAY2D_INVALID_ARGUMENT);
    options.segment_count = 0;
    options.region = DELAUNAY2D_REGION_AUTO + 1;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, &result), DELAUNAY2D_INVALID_ARGUMENT);
    options.region = DELAUNAY2D_REGION_HULL;
    const double bad_hole[] = {INFINITY, 0};
    options.holes = bad_hole;
    options.hole_count = 1;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, &result), DELAUNAY2D_INVALID_ARGUMENT);
    options.hole_count = 0;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, nullptr, &result), DELAUNAY2D_INVALID_ARGUMENT);
    options.struct_size = 8;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, &result), DELAUNAY2D_INVALID_ARGUMENT);
    options.struct_size = sizeof options;
    // A host whose result record is too small gets nothing written.
    delaunay2d_constrained_result small{};
    small.struct_size = 16;
    small.points = reinterpret_cast<double*>(&small);
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, &small), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(small.points, reinterpret_cast<double*>(&small));
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, &options, nullptr), DELAUNAY2D_INVALID_ARGUMENT);
    // A larger record from a newer host: the bytes past this version stay zero.
    struct Larger {
        delaunay2d_constrained_result known;
        uint64_t later;
    } larger{};
    larger.known.struct_size = sizeof larger;
    larger.later = 0;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 3, 2, &options, &larger.known), DELAUNAY2D_OK);
    EXPECT_EQ(larger.known.mesh.triangle_count, 1u);
    EXPECT_EQ(larger.later, 0u);
    delaunay2d_constrained_result_free(&larger.known);
    EXPECT_EQ(larger.known.points, nullptr);
}

// Every allocation of the result failing in turn: out of memory, the
// record zeroed, nothing left allocated (the sanitizer build sees leaks).
TEST(ConstrainedEdges, RunningOutOfMemoryLeavesNothing) {
    ConstrainedInput in;
    in.xy = {0, 0, 1, 1, 0, 1, 1, 0, 0.5, 0.2};
    in.segments = {0, 1, 2, 3};
    in.region = DELAUNAY2D_REGION_INSIDE;
    for (long successes = 0;; ++successes) {
        d2d::allocation_faults::fail_after(successes);
        Call call(in);
        d2d::allocation_faults::fail_after(-1);
        if (call.status == DELAUNAY2D_OK) break;
        ASSERT_EQ(call.status, DELAUNAY2D_OUT_OF_MEMORY);
        EXPECT_EQ(call.result.points, nullptr);
        EXPECT_EQ(call.result.mesh.triangles, nullptr);
        EXPECT_EQ(call.result.segments, nullptr);
        ASSERT_LT(successes, 100);
    }
}

// Points inserted outside the hull and on hull edges (which crossings never
// produce, but insert_point takes): the mesh stays a Delaunay triangulation
// with mutual links.
TEST(ConstrainedEdges, PointsOutsideAndOnTheHullKeepTheMeshWhole) {
    d2d::operations::constrained::ConstrainedMesh mesh;
    d2dtest::make_delaunay_start_mesh(mesh, {0, 0, 4, 0, 4, 4, 0, 4, 1, 2, 3, 1});
    for (const auto& [x, y] : std::vector<std::pair<double, double>>{{2, -1}, {2, 0}, {6, 2}, {-3, 7}, {4, 2}}) {
        d2d::operations::constrained::insert_point(mesh, x, y, 0);
    }
    EXPECT_EQ(mesh.vertex_count(), 11u);
    EXPECT_TRUE(mesh.hull_changed);
    const double* p = mesh.xy.data();
    for (size_t t = 0; t < mesh.triangle_count(); ++t) {
        const auto T = static_cast<int32_t>(t);
        EXPECT_EQ(d2dtest::orient_sign_rational(p[2 * mesh.vertex(T, 0)], p[2 * mesh.vertex(T, 0) + 1], p[2 * mesh.vertex(T, 1)],
                                                p[2 * mesh.vertex(T, 1) + 1], p[2 * mesh.vertex(T, 2)], p[2 * mesh.vertex(T, 2) + 1]),
                  1);
        for (int i = 0; i < 3; ++i) {
            const int32_t n = mesh.across(T, i);
            if (n < 0) continue;
            const int j = mesh.edge_index(n, mesh.vertex(T, (i + 1) % 3), mesh.vertex(T, i));
            ASSERT_GE(j, 0);
            EXPECT_EQ(mesh.across(n, j), T);
            const uint32_t apex = mesh.vertex(n, (j + 2) % 3);
            EXPECT_LE(d2dtest::incircle_sign_rational(p[2 * mesh.vertex(T, 0)], p[2 * mesh.vertex(T, 0) + 1], p[2 * mesh.vertex(T, 1)],
                                                      p[2 * mesh.vertex(T, 1) + 1], p[2 * mesh.vertex(T, 2)],
                                                      p[2 * mesh.vertex(T, 2) + 1], p[2 * apex], p[2 * apex + 1]),
                      0);
        }
    }
}

}  // namespace
