// Whole-process behaviour of the shared library, observed through a small C
// host: the fatal stop on too few points, the exact trace bytes of the entry
// points, and the order of the library's output relative to the host's own.
#include <delaunay2d.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/process_runner.hpp"
#include "support/trace_lines.hpp"

namespace {

using d2dtest::EnvironmentVariables;
using d2dtest::ProcessResult;
using d2dtest::base_line;
using d2dtest::merge_line;
using d2dtest::point_line;
using d2dtest::run_process;

// The fatal stop ends the process without freeing anything; the leak checker
// of an instrumented build would report that on exit, so it is switched off
// for those children only (later options override earlier ones).
EnvironmentVariables without_leak_check() {
    const char* inherited = std::getenv("ASAN_OPTIONS");
    std::string options = inherited != nullptr && *inherited != '\0' ? std::string(inherited) + ":" : std::string();
    return {{"ASAN_OPTIONS", options + "detect_leaks=0"}};
}

// Host arguments: options, entry point, count, then every coordinate written
// with enough digits to read back the same double.
std::vector<std::string> host_args(const std::vector<std::string>& options, const std::string& entry,
                                   const std::vector<Point3D>& points) {
    std::vector<std::string> args = options;
    args.push_back(entry);
    args.push_back(std::to_string(points.size()));
    for (const Point3D& p : points) {
        for (double v : {p.x, p.y, p.z, p.w}) {
            char buffer[64];
            std::snprintf(buffer, sizeof buffer, "%.17g", v);
            args.emplace_back(buffer);
        }
    }
    return args;
}

ProcessResult run_host(const std::vector<std::string>& args, const EnvironmentVariables& env = {}) {
    return run_process(DELAUNAY2D_FATAL_HOST, args, env);
}

// Points with distinct x given in scrambled order; the split order is by
// ascending x. Coordinates are chosen so that no three points are collinear.
std::vector<Point3D> scrambled_points(size_t n) {
    EXPECT_NE(n % 3, 0u) << "the scramble needs a count coprime to 3";
    std::vector<Point3D> points;
    for (size_t i = 0; i < n; ++i) {
        size_t k = (i * 3 + 2) % n;  // a permutation of 0..n-1, since n is no multiple of 3
        double x = static_cast<double>(k) * 1.25 - 3.0;
        double y = static_cast<double>((k * k * 7 + 3) % 17) * 0.5 + static_cast<double>(k) * 0.001;
        points.push_back({x, y, static_cast<double>(i) * 0.25, -static_cast<double>(k)});
    }
    return points;
}

std::string point_lines_in_split_order(std::vector<Point3D> points) {
    std::sort(points.begin(), points.end(), [](const Point3D& a, const Point3D& b) { return a.x < b.x; });
    std::string lines;
    for (const Point3D& p : points) {
        lines += point_line(p);
    }
    return lines;
}

// The whole trace of the points: their lines, then the structure's.
std::string expected_trace(const std::vector<Point3D>& points, const std::vector<std::string>& structure) {
    std::string trace = point_lines_in_split_order(points);
    for (const std::string& line : structure) {
        trace += line;
    }
    return trace;
}

class EntryPoint : public ::testing::TestWithParam<const char*> {};

INSTANTIATE_TEST_SUITE_P(BothEntryPoints, EntryPoint, ::testing::Values("mesh", "list"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::string(info.param); });

// ------------------------------------------------------------- fatal stop

TEST_P(EntryPoint, FewerThanThreePointsPrintTheMessageAloneAndExitWith255) {
    for (size_t n = 0; n <= 2; ++n) {
        SCOPED_TRACE("n = " + std::to_string(n));
        ProcessResult r = run_host({GetParam(), std::to_string(n)}, without_leak_check());
        ASSERT_TRUE(r.exited) << "killed by signal " << r.term_signal << "; stderr: " << r.err;
        EXPECT_EQ(r.exit_status, 255);
        EXPECT_EQ(r.out, "length is not enough");  // and no line feed
        EXPECT_EQ(r.err, "");
    }
}

TEST_P(EntryPoint, FatalStopNeverReturnsToTheHost) {
    ProcessResult r = run_host({"--markers", GetParam(), "2"}, without_leak_check());
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exit_status, 255);
    EXPECT_EQ(r.out, "host: before call\nlength is not enough");
    EXPECT_EQ(r.err, "");
}

// ------------------------------------------------------------------ trace

TEST_P(EntryPoint, ThreePointsTracePointsInSplitOrderThenOneBaseMesh) {
    // Given out of order: split order is ascending x, equal x by descending y.
    std::vector<Point3D> points = {{2.0, 0.0, 0.5, 1.0}, {1.5, -2.0, 0.25, -3.0}, {1.5, 3.0, 1.25, -2.0}};
    ProcessResult r = run_host(host_args({"--report"}, GetParam(), points));
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "    point: {x: 1.500000, y: 3.000000, z: 1.250000 - -2.000000}\n"
              "    point: {x: 1.500000, y: -2.000000, z: 0.250000 - -3.000000}\n"
              "    point: {x: 2.000000, y: 0.000000, z: 0.500000 - 1.000000}\n"
              "create mesh, Mesh2D.length: 1, beg: 0, end: 3\n"
              // The host's report: one triangle of the three points in split
              // order (indices into the host's array), no links, radius 0.
              "length 1 inner 0\n"
              "triangle 0: points 2 1 0 links - - - radius 0.000000\n");
}

struct TraceCase {
    size_t n;
    std::vector<std::string> structure;  // base-mesh and merge lines in post-order
};

std::vector<TraceCase> trace_cases() {
    return {
        {4, {base_line(0, 2), base_line(2, 4), merge_line(0, 1, 2, 3)}},
        {5, {base_line(0, 2), base_line(2, 5), merge_line(0, 1, 2, 4)}},
        {7, {base_line(0, 3), base_line(3, 5), base_line(5, 7), merge_line(3, 4, 5, 6), merge_line(0, 2, 3, 6)}},
        {11,
         {base_line(0, 2), base_line(2, 5), merge_line(0, 1, 2, 4), base_line(5, 8), base_line(8, 11),
          merge_line(5, 7, 8, 10), merge_line(0, 4, 5, 10)}},
    };
}

TEST_P(EntryPoint, LargerInputsTraceBaseMeshesAndMergesInPostOrder) {
    for (const TraceCase& c : trace_cases()) {
        SCOPED_TRACE("n = " + std::to_string(c.n));
        std::vector<Point3D> points = scrambled_points(c.n);
        ProcessResult r = run_host(host_args({}, GetParam(), points));
        ASSERT_TRUE(r.exited) << "killed by signal " << r.term_signal << "; stderr: " << r.err;
        EXPECT_EQ(r.exit_status, 0);
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, expected_trace(points, c.structure));
    }
}

TEST_P(EntryPoint, TraceDependsOnlyOnCountAndSplitOrderNotOnShape) {
    // Seven points on one line triangulate to nothing, yet trace exactly as
    // seven points in general position do.
    std::vector<Point3D> points;
    for (size_t i = 0; i < 7; ++i) {
        size_t k = (i * 3) % 7;
        points.push_back({static_cast<double>(k), 2.0 * static_cast<double>(k) + 1.0, 0.0, 0.0});
    }
    ProcessResult r = run_host(host_args({}, GetParam(), points));
    ASSERT_TRUE(r.exited) << "killed by signal " << r.term_signal << "; stderr: " << r.err;
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    const TraceCase seven = trace_cases()[2];
    ASSERT_EQ(seven.n, 7u);
    EXPECT_EQ(r.out, expected_trace(points, seven.structure));
}

TEST_P(EntryPoint, TraceInterleavesWithTheHostsOwnOutput) {
    // stdout is a pipe here, so it is fully buffered: output written past
    // the C stream would overtake the host's buffered first line.
    std::vector<Point3D> points = scrambled_points(4);
    ProcessResult r = run_host(host_args({"--markers"}, GetParam(), points));
    ASSERT_TRUE(r.exited);
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "host: before call\n" +
                         expected_trace(points, {base_line(0, 2), base_line(2, 4), merge_line(0, 1, 2, 3)}) +
                         "host: after call\n");
}

}  // namespace
