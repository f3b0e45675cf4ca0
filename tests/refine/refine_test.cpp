// Quality refinement through the constrained call, checked from outside:
// the independent exact checker (valid mesh, constrained Delaunay, every
// segment a chain of edges, kept area exact) plus angles and areas in
// doubles, the figures the result reports, regions, the budget, the
// conforming option, determinism, and records of the first version.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

#include "delaunay2d.h"
#include "support/constrained_call.hpp"
#include "support/constrained_checker.hpp"
#include "support/exact_rational.hpp"

namespace {

using d2dtest::ConstrainedInput;

struct Refined : d2dtest::ConstrainedCall {
    Refined(const ConstrainedInput& in, const delaunay2d_quality_options& quality,
            const std::vector<delaunay2d_region_point>& regions = {}, unsigned threads = 1)
        : ConstrainedCall(in, threads, regions, &quality) {}

    const double* point(uint32_t v) const { return result.points + 2 * static_cast<size_t>(v); }
    double area(size_t t) const {
        const double *a = point(result.mesh.triangles[3 * t]), *b = point(result.mesh.triangles[3 * t + 1]),
                     *c = point(result.mesh.triangles[3 * t + 2]);
        return 0.5 * ((b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]));
    }
    double smallest_angle(size_t t) const {
        double least = 180.0;
        for (int i = 0; i < 3; ++i) {
            const double* at = point(result.mesh.triangles[3 * t + static_cast<size_t>(i)]);
            const double* u = point(result.mesh.triangles[3 * t + static_cast<size_t>((i + 1) % 3)]);
            const double* v = point(result.mesh.triangles[3 * t + static_cast<size_t>((i + 2) % 3)]);
            const double ux = u[0] - at[0], uy = u[1] - at[1], vx = v[0] - at[0], vy = v[1] - at[1];
            least = std::min(least, std::atan2(std::fabs(ux * vy - uy * vx), ux * vx + uy * vy) * 180.0 / M_PI);
        }
        return least;
    }
    // Triangles below the angle bound or above `bound(t)`.
    template <class Bound>
    size_t missing(double min_angle, Bound bound) const {
        size_t count = 0;
        for (size_t t = 0; t < result.mesh.triangle_count; ++t) {
            if (smallest_angle(t) < min_angle || area(t) > bound(t)) ++count;
        }
        return count;
    }
};

delaunay2d_quality_options quality(double min_angle, double max_area = 0.0, uint64_t max_steiner = 0, int conforming = 0) {
    delaunay2d_quality_options q{};
    q.struct_size = sizeof q;
    q.min_angle = min_angle;
    q.max_area = max_area;
    q.max_steiner = max_steiner;
    q.conforming = conforming;
    return q;
}

// A closed ring of the points given (x, y pairs), appended to `in`.
void add_ring(ConstrainedInput& in, const std::vector<double>& ring) {
    const auto base = static_cast<uint32_t>(in.xy.size() / 2);
    const auto n = static_cast<uint32_t>(ring.size() / 2);
    in.xy.insert(in.xy.end(), ring.begin(), ring.end());
    for (uint32_t i = 0; i < n; ++i) {
        in.segments.push_back(base + i);
        in.segments.push_back(base + (i + 1) % n);
    }
}

// A comb: a bar with `teeth` narrow teeth, every edge axis-parallel and
// every coordinate a small binary fraction, so that the split points land
// exactly on the segments and the kept area is exact.
ConstrainedInput comb(int teeth, std::vector<std::vector<double>>& rings) {
    std::vector<double> ring{0, 0, 4.0 * teeth, 0, 4.0 * teeth, 2};
    for (int k = teeth - 1; k >= 0; --k) {
        const double x = 4.0 * k;
        ring.insert(ring.end(), {x + 3, 2, x + 3, 10, x + 2.5, 10, x + 2.5, 2});
    }
    ring.insert(ring.end(), {0, 2});
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    add_ring(in, ring);
    // A square hole in the bar, clockwise.
    const std::vector<double> hole{1, 0.5, 1, 1.5, 2, 1.5, 2, 0.5};
    add_ring(in, hole);
    rings = {ring, hole};
    return in;
}

TEST(Refine, UnitSquareMeetsBothBoundsWithExactArea) {
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    add_ring(in, {0, 0, 1, 0, 1, 1, 0, 1});
    const std::vector<std::vector<double>> rings{{0, 0, 1, 0, 1, 1, 0, 1}};
    Refined run(in, quality(30.0, 0.01));
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result, &rings), "");
    EXPECT_EQ(run.missing(30.0, [](size_t) { return 0.01; }), 0u);
    EXPECT_EQ(run.result.quality.unrefined_count, 0u);
    EXPECT_GE(run.result.quality.min_angle, 30.0);
    EXPECT_EQ(run.result.quality.added_by_refinement, run.result.added_count);
    EXPECT_GE(run.result.mesh.triangle_count, 100u);  // 1 / 0.01
    uint64_t angles = 0;
    for (const uint64_t n : run.result.quality.angle_histogram) angles += n;
    EXPECT_EQ(angles, 3 * run.result.mesh.triangle_count);
}

// The comb at several bounds: every property the checker knows (segments
// as chains of edges through the split points, constrained Delaunay, the
// kept area equal to the rings'), and the bounds met everywhere.
TEST(Refine, CombMeetsBoundsAtEveryAngle) {
    std::vector<std::vector<double>> rings;
    const ConstrainedInput in = comb(6, rings);
    for (const double angle : {0.0, 20.0, 28.0, 33.0}) {
        Refined run(in, quality(angle, 0.25));
        ASSERT_EQ(run.status, DELAUNAY2D_OK);
        EXPECT_EQ(d2dtest::check_constrained(in, run.result, &rings), "") << angle;
        EXPECT_EQ(run.missing(angle, [](size_t) { return 0.25; }), 0u) << angle;
        EXPECT_EQ(run.result.quality.unrefined_count, 0u) << angle;
        EXPECT_EQ(run.result.quality.budget_reached, 0) << angle;
    }
}

// A wavy ring (points off every grid, splits rounded off the line) with
// square holes: the checker's mesh and Delaunay properties, the bound met.
TEST(Refine, WavyRingWithHolesReachesThirtyThreeDegrees) {
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    std::vector<double> ring;
    for (int i = 0; i < 600; ++i) {
        const double t = 2 * M_PI * i / 600, r = 1 + 0.05 * std::sin(12 * t);
        ring.push_back(r * std::cos(t));
        ring.push_back(r * std::sin(t));
    }
    add_ring(in, ring);
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            const double cx = -0.4 + 0.4 * i, cy = -0.4 + 0.4 * j, h = 0.05;
            add_ring(in, {cx - h, cy - h, cx + h, cy - h, cx + h, cy + h, cx - h, cy + h});
            in.holes.insert(in.holes.end(), {cx, cy});
        }
    }
    Refined run(in, quality(33.0));
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
    EXPECT_EQ(run.missing(33.0, [](size_t) { return INFINITY; }), 0u);
    EXPECT_EQ(run.result.quality.budget_reached, 0);
    EXPECT_GE(run.result.quality.min_angle, 33.0);
}

// Two regions of a square split by a segment, each with its own area
// bound and attribute; a third region point inside the first region's part
// comes later and wins it.
TEST(Refine, RegionsCarryAttributesAndTheirOwnAreaBounds) {
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    add_ring(in, {0, 0, 2, 0, 2, 1, 0, 1});
    in.xy.insert(in.xy.end(), {1, 0, 1, 1});
    in.segments.insert(in.segments.end(), {4, 5});
    const std::vector<std::vector<double>> rings{{0, 0, 2, 0, 2, 1, 0, 1}};
    const std::vector<delaunay2d_region_point> regions{{0.5, 0.5, 1.0, 0.001}, {1.5, 0.5, 2.0, 0.02}, {0.25, 0.25, 3.0, 0.001}};
    Refined run(in, quality(25.0, 0.5), regions);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result, &rings), "");
    ASSERT_NE(run.result.triangle_attributes, nullptr);
    size_t left = 0, right = 0;
    for (size_t t = 0; t < run.result.mesh.triangle_count; ++t) {
        const double* a = run.point(run.result.mesh.triangles[3 * t]);
        const double* b = run.point(run.result.mesh.triangles[3 * t + 1]);
        const double* c = run.point(run.result.mesh.triangles[3 * t + 2]);
        const bool on_left = a[0] + b[0] + c[0] < 3.0;
        EXPECT_EQ(run.result.triangle_attributes[t], on_left ? 3.0 : 2.0);
        EXPECT_LE(run.area(t), on_left ? 0.001 : 0.02);
        (on_left ? left : right) += 1;
    }
    EXPECT_GE(left, 1000u);
    EXPECT_LT(right, left / 5);
    EXPECT_EQ(run.result.quality.unrefined_count, 0u);
}

// Twenty segments from one point, one degree apart, in a box: the small
// angles cannot be mended, yet refinement ends (below 20.7 degrees by the
// shells, above by the default budget or before it), and every triangle
// short of the bound is counted.
TEST(Refine, FanOfTwentySegmentsEnds) {
    ConstrainedInput in;
    add_ring(in, {-2, -2, 2, -2, 2, 2, -2, 2});
    in.xy.insert(in.xy.end(), {0, 0});
    for (int k = 0; k < 20; ++k) {
        in.xy.push_back(1.5 * std::cos(k * M_PI / 180));
        in.xy.push_back(1.5 * std::sin(k * M_PI / 180));
        in.segments.push_back(4);
        in.segments.push_back(static_cast<uint32_t>(5 + k));
    }
    for (const double angle : {20.0, 30.0, 34.0}) {
        Refined run(in, quality(angle));
        ASSERT_EQ(run.status, DELAUNAY2D_OK);
        EXPECT_EQ(d2dtest::check_constrained(in, run.result), "") << angle;
        EXPECT_EQ(run.missing(angle, [](size_t) { return INFINITY; }), run.result.quality.unrefined_count) << angle;
        EXPECT_GT(run.result.quality.unrefined_count, 0u) << angle;
        EXPECT_LT(run.result.mesh.triangle_count, 20000u) << angle;
        if (angle <= 20.7) {
            EXPECT_EQ(run.result.quality.budget_reached, 0);
        }
    }
}

// Random crossing segments among near-coincident points (pairs a few
// units in the last place apart): snap rounding, then refinement, in the
// hull. Every seed must end with a mesh the checker accepts, and every
// triangle short of the bound counted.
TEST(Refine, CrossingSegmentsAmongNearCoincidentPoints) {
    for (uint32_t seed = 1; seed <= 6; ++seed) {
        std::mt19937_64 rng(seed);
        std::uniform_real_distribution<double> unit(0.0, 1.0);
        ConstrainedInput in;
        for (int k = 0; k < 40; ++k) {
            const double px = unit(rng), py = unit(rng);
            in.xy.insert(in.xy.end(), {px, py});
            if (k % 4 == 0) in.xy.insert(in.xy.end(), {std::nextafter(px, 2.0), std::nextafter(std::nextafter(py, 2.0), 2.0)});
        }
        const auto n = static_cast<uint32_t>(in.xy.size() / 2);
        for (uint32_t k = 0; k < 12; ++k) {
            in.segments.push_back(static_cast<uint32_t>(rng() % n));
            in.segments.push_back(static_cast<uint32_t>(rng() % n));
        }
        for (const double angle : {20.0, 30.0}) {
            Refined run(in, quality(angle, 0.01));
            ASSERT_EQ(run.status, DELAUNAY2D_OK);
            EXPECT_EQ(d2dtest::check_constrained(in, run.result), "") << seed << " " << angle;
            EXPECT_EQ(run.missing(angle, [](size_t) { return 0.01; }), run.result.quality.unrefined_count) << seed;
            if (angle <= 20.7) {
                EXPECT_EQ(run.result.quality.budget_reached, 0) << seed;
            }
        }
    }
}

// A flat triangle on a side of a box: the free point sees the side under
// 139 degrees, inside its diametral circle but outside its lens, so no
// vertex encroaches it; the triangle's circumcentre lies below the side,
// outside the box and outside the side's circle. At 20 degrees the side
// must still be split and the triangle mended, at either corner.
//
//    +-------------------+
//    |                   |
//    |            p      |     p = (0.225, -0.642): angle 16.3 at (-1, -1)
//    +-------------------+
TEST(Refine, FlatTriangleOnABoxSideIsMended) {
    for (const double px : {0.225, -0.225}) {
        ConstrainedInput in;
        in.region = DELAUNAY2D_REGION_INSIDE;
        add_ring(in, {-1, -1, 1, -1, 1, 1, -1, 1});
        in.xy.insert(in.xy.end(), {px, -0.642});
        Refined run(in, quality(20.0));
        ASSERT_EQ(run.status, DELAUNAY2D_OK);
        EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
        EXPECT_EQ(run.missing(20.0, [](size_t) { return INFINITY; }), 0u) << px;
        EXPECT_EQ(run.result.quality.unrefined_count, 0u) << px;
    }
}

// Long thin strips with only their four corners: they need points all
// along them (about twice length / width), far more than the input's share
// of the default budget; the budget's shape share lets 30 and 33 degrees
// finish (as Triangle does) without the caller naming a budget.
TEST(Refine, LongThinStripsFinishWithinTheDefaultBudget) {
    for (const double length : {1.0, 4.0}) {
        for (const double angle : {30.0, 33.0}) {
            ConstrainedInput in;
            in.region = DELAUNAY2D_REGION_INSIDE;
            add_ring(in, {0, 0, length, 0, length, 1e-3, 0, 1e-3});
            Refined run(in, quality(angle));
            ASSERT_EQ(run.status, DELAUNAY2D_OK);
            EXPECT_EQ(d2dtest::check_constrained(in, run.result), "") << length << " " << angle;
            EXPECT_EQ(run.result.quality.budget_reached, 0) << length << " " << angle;
            EXPECT_EQ(run.result.quality.unrefined_count, 0u) << length << " " << angle;
            EXPECT_GE(run.result.quality.added_by_refinement, static_cast<uint64_t>(1500.0 * length));
        }
    }
}

// Random points, no segments, the whole hull: hull edges are split at
// points on them or, rounded, just inside, and the mesh still tiles its
// listed boundary (the checker's hull test).
TEST(Refine, RandomPointsInTheHull) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    ConstrainedInput in;
    for (int k = 0; k < 500; ++k) in.xy.insert(in.xy.end(), {unit(rng), unit(rng)});
    Refined run(in, quality(30.0));
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
    EXPECT_EQ(run.missing(30.0, [](size_t) { return INFINITY; }), run.result.quality.unrefined_count);
    EXPECT_LT(run.result.quality.unrefined_count, 10u);
}

TEST(Refine, BudgetIsHonoured) {
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    add_ring(in, {0, 0, 1, 0, 1, 1, 0, 1});
    Refined run(in, quality(30.0, 1e-4, 25));
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(run.result.quality.added_by_refinement, 25u);
    EXPECT_EQ(run.result.added_count, 25u);
    EXPECT_EQ(run.result.quality.budget_reached, 1);
    EXPECT_GT(run.result.quality.unrefined_count, 0u);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
}

// Conforming: every interior edge, segment edges included, is Delaunay.
TEST(Refine, ConformingMakesEveryEdgeDelaunay) {
    std::vector<std::vector<double>> rings;
    ConstrainedInput in = comb(3, rings);
    // A long thin diagonal segment inside the bar that a constrained mesh
    // keeps as one non-Delaunay edge.
    in.xy.insert(in.xy.end(), {0.25, 0.25, 11.75, 1.75});
    const auto n = static_cast<uint32_t>(in.xy.size() / 2);
    in.segments.insert(in.segments.end(), {n - 2, n - 1});
    Refined run(in, quality(0.0, 0.0, 0, 1));
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_GT(run.result.quality.added_by_refinement, 0u);
    const delaunay2d_result& mesh = run.result.mesh;
    size_t violations = 0;
    for (size_t t = 0; t < mesh.triangle_count; ++t) {
        for (size_t i = 0; i < 3; ++i) {
            const int32_t o = mesh.neighbours[3 * t + i];
            if (o < 0) continue;
            uint32_t far = 0;
            for (size_t k = 0; k < 3; ++k) {
                const uint32_t v = mesh.triangles[3 * static_cast<size_t>(o) + k];
                if (v != mesh.triangles[3 * t + i] && v != mesh.triangles[3 * t + (i + 1) % 3]) far = v;
            }
            const double *a = run.point(mesh.triangles[3 * t]), *b = run.point(mesh.triangles[3 * t + 1]),
                         *c = run.point(mesh.triangles[3 * t + 2]), *d = run.point(far);
            if (d2dtest::incircle_sign_rational(a[0], a[1], b[0], b[1], c[0], c[1], d[0], d[1]) > 0) ++violations;
        }
    }
    EXPECT_EQ(violations, 0u);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result, &rings), "");
}

TEST(Refine, SameResultForAnyThreadCount) {
    std::vector<std::vector<double>> rings;
    const ConstrainedInput in = comb(5, rings);
    const std::vector<delaunay2d_region_point> regions{{0.5, 0.25, 7.0, 0.01}};
    Refined one(in, quality(32.0, 0.1), regions, 1);
    Refined four(in, quality(32.0, 0.1), regions, 4);
    ASSERT_EQ(one.status, DELAUNAY2D_OK);
    ASSERT_EQ(four.status, DELAUNAY2D_OK);
    const size_t triangles = one.result.mesh.triangle_count;
    ASSERT_EQ(triangles, four.result.mesh.triangle_count);
    ASSERT_EQ(one.result.mesh.point_count, four.result.mesh.point_count);
    EXPECT_EQ(std::memcmp(one.result.points, four.result.points, 2 * one.result.mesh.point_count * sizeof(double)), 0);
    EXPECT_EQ(std::memcmp(one.result.mesh.triangles, four.result.mesh.triangles, 3 * triangles * sizeof(uint32_t)), 0);
    EXPECT_EQ(std::memcmp(one.result.mesh.neighbours, four.result.mesh.neighbours, 3 * triangles * sizeof(int32_t)), 0);
    EXPECT_EQ(std::memcmp(one.result.triangle_attributes, four.result.triangle_attributes, triangles * sizeof(double)), 0);
}

// A hole point on the square's diagonal segment removes nothing.
TEST(Refine, HolePointOnASegmentRemovesNothing) {
    ConstrainedInput in;
    in.region = DELAUNAY2D_REGION_INSIDE;
    add_ring(in, {0, 0, 1, 0, 1, 1, 0, 1});
    in.segments.insert(in.segments.end(), {1, 3});
    for (const std::vector<double>& hole : {std::vector<double>{0.5, 0.5}, std::vector<double>{1, 0}}) {
        in.holes = hole;
        Refined run(in, quality(0.0));
        ASSERT_EQ(run.status, DELAUNAY2D_OK);
        EXPECT_EQ(run.result.mesh.triangle_count, 2u);
        EXPECT_EQ(run.result.hole_on_segment_count, 1u);
    }
    in.holes = {0.25, 0.25};
    Refined run(in, quality(0.0));
    EXPECT_EQ(run.result.mesh.triangle_count, 1u);
    EXPECT_EQ(run.result.hole_on_segment_count, 0u);
}

TEST(Refine, RejectsBadQualityAndRegionRecords) {
    const double xy[] = {0, 0, 1, 0, 0, 1};
    delaunay2d_quality_options q = quality(30.0);
    delaunay2d_region_point region{0.2, 0.2, 1.0, 0.0};
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.quality = &q;
    delaunay2d_constrained_result result{};
    result.struct_size = sizeof result;
    auto call = [&] { return delaunay2d_triangulate_constrained(xy, 3, 2, &options, &result); };
    for (const double angle : {60.0, -1.0, std::nan("")}) {
        q.min_angle = angle;
        EXPECT_EQ(call(), DELAUNAY2D_INVALID_ARGUMENT) << angle;
    }
    q.min_angle = 30.0;
    for (const double area : {-1.0, HUGE_VAL, std::nan("")}) {
        q.max_area = area;
        EXPECT_EQ(call(), DELAUNAY2D_INVALID_ARGUMENT) << area;
    }
    q.max_area = 0.0;
    q.struct_size = sizeof(size_t);
    EXPECT_EQ(call(), DELAUNAY2D_INVALID_ARGUMENT);
    q.struct_size = sizeof q;
    options.region_count = 1;
    EXPECT_EQ(call(), DELAUNAY2D_INVALID_ARGUMENT);
    options.regions = &region;
    region.attribute = NAN;
    EXPECT_EQ(call(), DELAUNAY2D_INVALID_ARGUMENT);
    region.attribute = 1.0;
    region.max_area = INFINITY;
    EXPECT_EQ(call(), DELAUNAY2D_INVALID_ARGUMENT);
    region.max_area = 0.0;
    EXPECT_EQ(call(), DELAUNAY2D_OK);
    delaunay2d_constrained_result_free(&result);
}

// A host built against version 1.0: records exactly as long as that
// version's, in blocks of their own size (so that any write or read past
// them shows under AddressSanitizer), passed to the call and to free.
TEST(Refine, FirstVersionRecordsAreNeverPassed) {
    const double xy[] = {0, 0, 1, 0, 1, 1, 0, 1};
    const uint32_t segments[] = {0, 1, 1, 2, 2, 3, 3, 0};
    const size_t options_size = offsetof(delaunay2d_constraint_options, threads) + sizeof(unsigned);
    const size_t result_size = offsetof(delaunay2d_constrained_result, segments) + sizeof(uint32_t*);
    auto* options = static_cast<delaunay2d_constraint_options*>(std::calloc(1, options_size));
    auto* result = static_cast<delaunay2d_constrained_result*>(std::calloc(1, result_size));
    ASSERT_NE(options, nullptr);
    ASSERT_NE(result, nullptr);
    options->struct_size = options_size;
    options->segments = segments;
    options->segment_count = 4;
    options->region = DELAUNAY2D_REGION_INSIDE;
    result->struct_size = result_size;
    EXPECT_EQ(delaunay2d_triangulate_constrained(xy, 4, 2, options, result), DELAUNAY2D_OK);
    EXPECT_EQ(result->mesh.triangle_count, 2u);
    delaunay2d_constrained_result_free(result);
    EXPECT_EQ(result->mesh.triangles, nullptr);
    std::free(result);
    std::free(options);
}

}  // namespace
