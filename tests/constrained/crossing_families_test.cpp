// Crossing segments that once broke the constrained call (the fixtures) and
// the adversarial families: each must finish (a hang fails by the harness's
// timeout, never by a timed assertion) with a mesh the exact checker
// accepts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "constrained/crossing_support.hpp"
#include "operations/constrained/constrained_mesh.hpp"
#include "support/delaunay_start_mesh.hpp"

namespace {

using crossing_tests::Call;
using d2dtest::ConstrainedInput;

void expect_sound(const ConstrainedInput& in, const std::string& what) {
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK) << what;
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "") << what;
}

ConstrainedInput scaled(const ConstrainedInput& in, double factor) {
    ConstrainedInput out = in;
    for (double& v : out.xy) v *= factor;
    return out;
}

// --- fixtures: every file of the folder, at its own scale and scaled into
// the lowest binades (2^-996 keeps the segments' bits, 2^-1014 rounds the
// smallest coordinates into the subnormals).
class CrossingFixture : public testing::TestWithParam<std::string> {};

TEST_P(CrossingFixture, FinishesWithEveryPieceOnItsSegment) {
    ConstrainedInput in;
    ASSERT_TRUE(crossing_tests::read_poly(GetParam(), in)) << GetParam();
    {
        Call run(in);
        ASSERT_EQ(run.status, DELAUNAY2D_OK);
        EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
        // Crossings of these files are far apart: one vertex each.
        EXPECT_EQ(run.result.added_count, crossing_tests::proper_crossings(in));
    }
    for (const double factor : {0x1p-996, 0x1p-1014, 0x1p+900}) expect_sound(scaled(in, factor), "scaled");
}

std::vector<std::string> fixture_files() {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(DELAUNAY2D_FIXTURES_DIR "/constrained")) {
        if (entry.path().extension() == ".poly") files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

INSTANTIATE_TEST_SUITE_P(Files, CrossingFixture, testing::ValuesIn(fixture_files()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             std::string name = std::filesystem::path(info.param).stem().string();
                             for (char& c : name) {
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             }
                             return name;
                         });

// --- adversarial families

uint32_t add_point(ConstrainedInput& in, double x, double y) {
    in.xy.push_back(x);
    in.xy.push_back(y);
    return static_cast<uint32_t>(in.xy.size() / 2 - 1);
}

void add_segment(ConstrainedInput& in, double ax, double ay, double bx, double by) {
    const uint32_t a = add_point(in, ax, ay);
    const uint32_t b = add_point(in, bx, by);
    in.segments.push_back(a);
    in.segments.push_back(b);
}

TEST(CrossingFamilies, ManySegmentsThroughOnePoint) {
    // Through a point that is a double (every crossing exactly there) and
    // through one that is not (crossings spread over a few pixels).
    for (const double cx : {0.5, 0.1}) {
        ConstrainedInput in;
        for (int k = 0; k < 150; ++k) {
            const double angle = M_PI * k / 150.0;
            add_segment(in, cx + std::cos(angle), cx + std::sin(angle), cx - std::cos(angle), cx - std::sin(angle));
        }
        expect_sound(in, "centre " + std::to_string(cx));
        expect_sound(scaled(in, 1e-300), "tiny");
    }
}

TEST(CrossingFamilies, NearlyParallelLongSegments) {
    // Long segments whose slopes differ by a few units in the last place:
    // crossings at tiny angles, far from where either segment is drawn.
    ConstrainedInput in;
    std::mt19937_64 rng(4);
    std::uniform_int_distribution<int> ulps(-40, 40);
    for (int k = 0; k < 120; ++k) {
        const double y0 = 0.25 + std::ldexp(static_cast<double>(ulps(rng)), -52);
        const double y1 = 0.75 + std::ldexp(static_cast<double>(ulps(rng)), -52);
        add_segment(in, 0.0 + k * 1e-17, y0, 1.0, y1);
    }
    for (int k = 0; k < 20; ++k) add_segment(in, 0.1 + 0.04 * k, 0.0, 0.12 + 0.04 * k, 1.0);
    expect_sound(in, "parallel");
    expect_sound(scaled(in, 1e300), "huge");
}

TEST(CrossingFamilies, SegmentsCrossingAtExistingVertices) {
    // A grid whose crossings are input points, segments ending on others
    // (T-junctions) and diagonals through grid points.
    ConstrainedInput in;
    const int n = 12;
    for (int i = 0; i <= n; ++i) {
        for (int j = 0; j <= n; ++j) add_point(in, i / 7.0, j / 7.0);
    }
    auto id = [&](int i, int j) { return static_cast<uint32_t>(i * (n + 1) + j); };
    for (int i = 0; i <= n; ++i) {
        in.segments.insert(in.segments.end(), {id(i, 0), id(i, n), id(0, i), id(n, i)});
        in.segments.insert(in.segments.end(), {id(i, i / 2), id(n - i, n - i / 3)});
    }
    for (int i = 0; i < n; ++i) in.segments.insert(in.segments.end(), {id(i, 0), id(n, n - i)});
    Call run(in);
    ASSERT_EQ(run.status, DELAUNAY2D_OK);
    EXPECT_EQ(d2dtest::check_constrained(in, run.result), "");
}

TEST(CrossingFamilies, OverlappingCollinearSegments) {
    // Overlapping pieces of one exact line, of one line drawn in rounded
    // doubles (not exactly collinear), and segments across both.
    ConstrainedInput in;
    std::mt19937_64 rng(8);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (int k = 0; k < 60; ++k) {
        const double s = u(rng), t = u(rng);
        add_segment(in, s, 0.5, t, 0.5);
        add_segment(in, s, s / 3.0, t, t / 3.0);
    }
    for (int k = 0; k < 30; ++k) add_segment(in, u(rng), -0.1, u(rng), 1.0);
    expect_sound(in, "collinear");
}

TEST(CrossingFamilies, ExtremeMagnitudes) {
    std::mt19937_64 rng(12);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    ConstrainedInput base;
    for (int k = 0; k < 60; ++k) add_segment(base, u(rng), u(rng), u(rng), u(rng));
    for (const double factor : {1e300, 1.7e308, 1e-300, 0x1p-1040, 0x1p-1060}) {
        expect_sound(scaled(base, factor), "factor " + std::to_string(std::log2(factor)));
    }
    // Subnormal integers: every crossing rounds onto a grid of a few dozen
    // steps, so most snap onto one another.
    ConstrainedInput sub;
    std::uniform_int_distribution<int> steps(0, 40);
    for (int k = 0; k < 60; ++k) {
        add_segment(sub, steps(rng) * 0x1p-1074, steps(rng) * 0x1p-1074, steps(rng) * 0x1p-1074, steps(rng) * 0x1p-1074);
    }
    expect_sound(sub, "subnormal grid");
    // Spread over the whole range at once: 1e-300 next to 1e300.
    ConstrainedInput spread;
    for (int k = 0; k < 30; ++k) {
        add_segment(spread, u(rng) * 1e-300, u(rng) * 1e300, u(rng) * 1e300, u(rng) * 1e-300);
    }
    expect_sound(spread, "spread");
}

// --- the insertion's fallback: a piece that crosses a segment edge (which
// snap rounding does not leave, so it is set up by hand) follows existing
// edges, adding no point.
TEST(CrossingFallback, PieceAcrossASegmentEdgeFollowsExistingEdges) {
    d2d::operations::constrained::ConstrainedMesh mesh;
    d2dtest::make_delaunay_start_mesh(mesh, {0, 0, 4, 0, 4, 4, 0, 4, 2, 1.5});
    // The two diagonals, which cross: the one inserted second crosses the
    // first one's edge.
    d2d::operations::constrained::insert_pieces(mesh, {{1, 3, 1}, {0, 2, 2}});
    EXPECT_EQ(mesh.vertex_count(), 5u);
    // The flagged edges join 0 to 2 and 1 to 3, and none crosses another
    // (they are mesh edges); neither diagonal passes through a vertex, so
    // the one that went in first is one edge.
    std::vector<std::vector<uint32_t>> flagged(5);
    for (size_t t = 0; t < mesh.triangle_count(); ++t) {
        for (int i = 0; i < 3; ++i) {
            if (mesh.fixed(static_cast<int32_t>(t), i)) {
                flagged[mesh.vertex(static_cast<int32_t>(t), i)].push_back(mesh.vertex(static_cast<int32_t>(t), (i + 1) % 3));
            }
        }
    }
    auto joined = [&](uint32_t from, uint32_t to) -> bool {
        std::vector<uint32_t> stack{from};
        std::vector<bool> seen(5, false);
        seen[from] = true;
        while (!stack.empty()) {
            const uint32_t v = stack.back();
            stack.pop_back();
            for (uint32_t w = 0; w < 5; ++w) {
                const bool edge = std::count(flagged[v].begin(), flagged[v].end(), w) + std::count(flagged[w].begin(), flagged[w].end(), v) > 0;
                if (edge && !seen[w]) {
                    seen[w] = true;
                    stack.push_back(w);
                }
            }
        }
        return seen[to];
    };
    EXPECT_TRUE(joined(1, 3));
    EXPECT_TRUE(joined(0, 2));
    auto edge = [&](uint32_t u, uint32_t w) { return mesh.find_edge(u, w).first >= 0 || mesh.find_edge(w, u).first >= 0; };
    EXPECT_TRUE(edge(1, 3) || edge(0, 2));
}

}  // namespace
