// Quality refinement of the constrained call, checked by the independent
// checker (tests/support/quality_checker) on the classic shapes at 20, 30
// and 33 degrees, with area bounds, regions, conforming and a budget, and
// its triangle counts read beside Triangle's at the same bound.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "common/quality_shapes.hpp"
#include "delaunay2d.h"
#include "quality/triangle_program.hpp"
#include "support/constrained_call.hpp"
#include "support/quality_checker.hpp"

namespace {

using d2dcommon::QualityShape;
using d2dtest::QualityReport;
using d2dtest::QualityRequest;

// The shapes at sizes a test run affords (the benchmark has the full ones).
const std::vector<QualityShape>& shapes() {
    static const std::vector<QualityShape> all = {
        d2dcommon::wavy_polygon_with_holes(1000, 4), d2dcommon::unit_square(), d2dcommon::fan_in_box(20, 1.0),
        d2dcommon::comb(10), d2dcommon::key(), d2dcommon::spiral(3.0, 60), d2dcommon::nested_holes(),
        d2dcommon::regions_with_areas(), d2dcommon::near_coincident_points(), d2dcommon::thin_sliver()};
    return all;
}

double domain_area(const QualityShape& s) {
    double sum = 0.0;
    for (const auto& ring : s.rings) {
        for (size_t i = 0; i < ring.size() / 2; ++i) {
            const size_t j = (i + 1) % (ring.size() / 2);
            sum += ring[2 * i] * ring[2 * j + 1] - ring[2 * j] * ring[2 * i + 1];
        }
    }
    return sum / 2;
}

struct Bounds {
    double min_angle = 0.0;
    double max_area = 0.0;
    uint64_t max_steiner = 0;
    bool conforming = false;
    bool refine = true;
    unsigned threads = 1;
};

// One refined call of a shape, its request for the checker, and its result
// freed at the end.
struct Refined {
    delaunay2d_quality_options quality;
    QualityRequest request;
    d2dtest::ConstrainedCall call;
    // The call's outcome under the names the tests below use.
    delaunay2d_constrained_result& result = call.result;
    const delaunay2d_status& status = call.status;

    Refined(const QualityShape& s, const Bounds& b)
        : quality(quality_of(b)), request(request_of(s, b)),
          call(request.input, b.threads, s.regions, b.refine ? &quality : nullptr) {}

    static delaunay2d_quality_options quality_of(const Bounds& b) {
        delaunay2d_quality_options quality{};
        quality.struct_size = sizeof quality;
        quality.min_angle = b.min_angle;
        quality.max_area = b.max_area;
        quality.max_steiner = b.max_steiner;
        quality.conforming = b.conforming ? 1 : 0;
        return quality;
    }
    static QualityRequest request_of(const QualityShape& s, const Bounds& b) {
        QualityRequest request;
        request.input.xy = s.xy;
        request.input.segments = s.segments;
        request.input.holes = s.holes;
        request.input.region = s.whole_hull ? DELAUNAY2D_REGION_HULL : DELAUNAY2D_REGION_INSIDE;
        request.regions = s.regions;
        request.rings = s.rings;
        request.refined = b.refine;
        if (b.refine) {
            request.min_angle = b.min_angle;
            request.max_area = b.max_area;
            request.max_steiner = b.max_steiner;
            request.conforming = b.conforming;
        }
        return request;
    }

    QualityReport check() const { return d2dtest::check_quality(request, result); }
};

std::string describe(const QualityReport& r) {
    return "kept " + std::to_string(r.kept) + ", smallest angle " + std::to_string(r.min_angle) + ", below bound " +
           std::to_string(r.below_angle) + " (" + std::to_string(r.at_small_input_angle) +
           " at small input angles), above area " + std::to_string(r.above_area) + ", split points off their line " +
           std::to_string(r.off_line_split_points);
}

#define EXPECT_QUALITY(refined)                                                               \
    do {                                                                                      \
        ASSERT_EQ((refined).status, DELAUNAY2D_OK);                                           \
        const QualityReport report_ = (refined).check();                                      \
        EXPECT_EQ(report_.failure, "") << describe(report_);                                  \
        EXPECT_GT(report_.kept, 0u);                                                          \
    } while (0)

class ShapeAtAngle : public testing::TestWithParam<std::tuple<int, double>> {
protected:
    const QualityShape& shape() const { return shapes()[static_cast<size_t>(std::get<0>(GetParam()))]; }
    double angle() const { return std::get<1>(GetParam()); }
};

TEST_P(ShapeAtAngle, AngleBoundHolds) {
    Bounds b;
    b.min_angle = angle();
    Refined refined(shape(), b);
    EXPECT_QUALITY(refined);
    EXPECT_EQ(refined.result.quality.budget_reached, 0);
}

TEST_P(ShapeAtAngle, AngleAndAreaBoundsHold) {
    Bounds b;
    b.min_angle = angle();
    b.max_area = domain_area(shape()) / 400;
    Refined refined(shape(), b);
    EXPECT_QUALITY(refined);
    EXPECT_EQ(refined.result.quality.budget_reached, 0);
    // Every region's bound, or the global one, caps the count from below.
    EXPECT_GE(refined.result.mesh.triangle_count, 400u);
}

TEST_P(ShapeAtAngle, ConformingMeshIsDelaunay) {
    Bounds b;
    b.min_angle = angle();
    b.conforming = true;
    Refined refined(shape(), b);
    EXPECT_QUALITY(refined);
    EXPECT_EQ(refined.result.quality.budget_reached, 0);
}

TEST_P(ShapeAtAngle, BudgetStopsRefinementAndIsReported) {
    // A budget well below what the bound needs: refinement stops there, says
    // so, and what it left is still a valid constrained mesh.
    Bounds b;
    b.min_angle = angle();
    b.max_area = domain_area(shape()) / 4000;
    b.max_steiner = 50;
    Refined refined(shape(), b);
    EXPECT_QUALITY(refined);
    EXPECT_LE(refined.result.quality.added_by_refinement, 50u);
    EXPECT_NE(refined.result.quality.budget_reached, 0);
}

std::string case_name(const testing::TestParamInfo<std::tuple<int, double>>& info) {
    return shapes()[static_cast<size_t>(std::get<0>(info.param))].name + "_" +
           std::to_string(static_cast<int>(std::get<1>(info.param)));
}

INSTANTIATE_TEST_SUITE_P(Shapes, ShapeAtAngle,
                         testing::Combine(testing::Range(0, static_cast<int>(shapes().size())),
                                          testing::Values(20.0, 30.0, 33.0)),
                         case_name);

class Shape : public testing::TestWithParam<int> {
protected:
    const QualityShape& shape() const { return shapes()[static_cast<size_t>(GetParam())]; }
};

TEST_P(Shape, FiguresWithoutRefinementMatchARecount) {
    Bounds b;
    b.refine = false;
    Refined refined(shape(), b);
    EXPECT_QUALITY(refined);
    EXPECT_EQ(refined.result.quality.added_by_refinement, 0u);
}

TEST_P(Shape, FortyDegreesEndsWithinTheBudget) {
    // Beyond what refinement can promise: it must still end, by the budget
    // at the latest, and say so.
    Bounds b;
    b.min_angle = 40.0;
    b.max_steiner = 20000;
    Refined refined(shape(), b);
    EXPECT_QUALITY(refined);
    EXPECT_LE(refined.result.quality.added_by_refinement, 20000u);
}

TEST_P(Shape, SameResultOnTwoThreads) {
    Bounds one;
    one.min_angle = 30.0;
    one.max_area = domain_area(shape()) / 400;
    Bounds two = one;
    two.threads = 2;
    Refined a(shape(), one), b(shape(), two);
    ASSERT_EQ(a.status, DELAUNAY2D_OK);
    ASSERT_EQ(b.status, DELAUNAY2D_OK);
    ASSERT_EQ(a.result.mesh.triangle_count, b.result.mesh.triangle_count);
    ASSERT_EQ(a.result.mesh.point_count, b.result.mesh.point_count);
    EXPECT_TRUE(std::equal(a.result.points, a.result.points + 2 * a.result.mesh.point_count, b.result.points));
    EXPECT_TRUE(std::equal(a.result.mesh.triangles, a.result.mesh.triangles + 3 * a.result.mesh.triangle_count,
                           b.result.mesh.triangles));
}

TEST_P(Shape, NoMoreTrianglesThanTriangleAtThirtyDegrees) {
    // Triangle's -pq30 (with its area and attribute switches where the shape
    // has regions) is the count to meet, within 5%.
    if (d2dtest::triangle_program().empty()) GTEST_SKIP() << "Triangle's program is not installed: no comparison";
    std::string why;
    const long theirs = d2dtest::triangle_count(shape(), shape().regions.empty() ? "pq30" : "pq30aA", &why);
    ASSERT_GT(theirs, 0) << why;
    Bounds b;
    b.min_angle = 30.0;
    Refined refined(shape(), b);
    EXPECT_QUALITY(refined);
    EXPECT_LE(static_cast<double>(refined.result.mesh.triangle_count), 1.05 * static_cast<double>(theirs))
        << "Triangle: " << theirs;
    std::printf("[ count    ] %s: %zu triangles, Triangle -pq30 %ld\n", shape().name.c_str(),
                refined.result.mesh.triangle_count, theirs);
}

INSTANTIATE_TEST_SUITE_P(Shapes, Shape, testing::Range(0, static_cast<int>(shapes().size())),
                         [](const testing::TestParamInfo<int>& info) { return shapes()[static_cast<size_t>(info.param)].name; });

TEST(UnitSquare, AreaBoundFillsTheSquare) {
    // The area-bound case of the benchmark at a hundredth of its size.
    Bounds b;
    b.min_angle = 30.0;
    b.max_area = 2e-4;
    Refined refined(d2dcommon::unit_square(), b);
    EXPECT_QUALITY(refined);
    EXPECT_GE(refined.result.mesh.triangle_count, 5000u);
}

TEST(WavyPolygon, FullSizeReachesThirtyThreeDegrees) {
    // The benchmark's polygon of 10^4 vertices with 100 holes: 33 degrees
    // is a target of the issue.
    Bounds b;
    b.min_angle = 33.0;
    Refined refined(d2dcommon::wavy_polygon_with_holes(10000, 10), b);
    EXPECT_QUALITY(refined);
    EXPECT_EQ(refined.result.quality.budget_reached, 0);
    EXPECT_GE(refined.result.quality.min_angle, 33.0 - 1e-9);
}

TEST(WavyPolygon, FullSizeCountBesideTriangle) {
    // The benchmark's polygon at 30 degrees: no more triangles than
    // Triangle's -pq30, within 5%.
    if (d2dtest::triangle_program().empty()) GTEST_SKIP() << "Triangle's program is not installed: no comparison";
    const QualityShape shape = d2dcommon::wavy_polygon_with_holes(10000, 10);
    std::string why;
    const long theirs = d2dtest::triangle_count(shape, "pq30", &why);
    ASSERT_GT(theirs, 0) << why;
    Bounds b;
    b.min_angle = 30.0;
    Refined refined(shape, b);
    ASSERT_EQ(refined.status, DELAUNAY2D_OK);
    EXPECT_LE(static_cast<double>(refined.result.mesh.triangle_count), 1.05 * static_cast<double>(theirs))
        << "Triangle: " << theirs;
}

TEST(Regions, EachRegionKeepsItsOwnAreaBound) {
    // Region 1 (area <= 0.002 over 1) needs at least 500 triangles, region 2
    // (0.02 over 0.96) at least 48; the attributes tell them apart.
    Bounds b;
    b.min_angle = 20.0;
    Refined refined(d2dcommon::regions_with_areas(), b);
    EXPECT_QUALITY(refined);
    ASSERT_NE(refined.result.triangle_attributes, nullptr);
    size_t per_region[4] = {};
    for (size_t t = 0; t < refined.result.mesh.triangle_count; ++t) {
        const double a = refined.result.triangle_attributes[t];
        if (a == 1.0 || a == 2.0 || a == 3.0) ++per_region[static_cast<size_t>(a)];
    }
    EXPECT_GE(per_region[1], 500u);
    EXPECT_GE(per_region[2], 48u);
    EXPECT_GE(per_region[3], 2u);
}

TEST(Checker, FindsEachFlawPlantedInAGoodMesh) {
    // The checker's own test: a mesh it accepts, then one flaw at a time.
    Bounds b;
    b.min_angle = 30.0;
    Refined refined(d2dcommon::regions_with_areas(), b);
    ASSERT_EQ(refined.status, DELAUNAY2D_OK);
    ASSERT_EQ(refined.check().failure, "");
    delaunay2d_constrained_result& r = refined.result;
    auto fails = [&](const char* what) {
        const std::string failure = refined.check().failure;
        EXPECT_NE(failure, "") << what;
        return failure;
    };
    r.triangle_attributes[0] += 1.0;
    EXPECT_NE(fails("attribute").find("attribute"), std::string::npos);
    r.triangle_attributes[0] -= 1.0;
    r.quality.min_angle += 0.5;
    EXPECT_NE(fails("min_angle").find("min_angle"), std::string::npos);
    r.quality.min_angle -= 0.5;
    r.quality.angle_histogram[3] += 1;
    r.quality.angle_histogram[4] -= 1;
    fails("histogram");
    r.quality.angle_histogram[3] -= 1;
    r.quality.angle_histogram[4] += 1;
    r.quality.unrefined_count += 1;
    fails("unrefined_count");
    r.quality.unrefined_count -= 1;
    // A split point of the bottom side pushed off it, into the domain.
    size_t split = r.mesh.point_count;
    for (size_t i = 0; i < r.mesh.point_count && split == r.mesh.point_count; ++i) {
        if (r.points[2 * i + 1] == 0.0 && r.points[2 * i] > 0.0 && r.points[2 * i] < 2.0 && r.points[2 * i] != 1.0) split = i;
    }
    ASSERT_LT(split, r.mesh.point_count);
    r.points[2 * split + 1] = 1e-9;
    fails("split point off its segment");
    r.points[2 * split + 1] = 0.0;
    ASSERT_EQ(refined.check().failure, "");
    // Bounds the mesh was not made for.
    refined.request.min_angle = 34.0;
    EXPECT_NE(fails("angle bound").find("below the bound"), std::string::npos);
    refined.request.min_angle = 30.0;
    refined.request.max_area = 1e-4;
    fails("area bound");
    refined.request.max_area = 0.0;
    refined.request.conforming = true;
    const size_t pieces = r.segment_count;
    r.segment_count = pieces - 1;
    fails("a segment piece left out");
    r.segment_count = pieces;
}

}  // namespace
