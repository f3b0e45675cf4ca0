// Trace lines, their order on stdout, and the fatal stop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "blocks/common/checked_malloc.hpp"
#include "blocks/common/trace_output.hpp"
#include "delaunay2d.h"
#include "common/stdout_redirect.hpp"
#include "support/stage_meshes.hpp"
#include "support/trace_lines.hpp"

namespace {

using d2dcommon::captured_stdout;
using d2dtest::point_line;

TEST(TraceWriter, LinesHaveTheirExactBytes) {
    const std::string out = captured_stdout([] {
        d2d::TraceWriter trace;
        trace.point_line(Point3D{1.5, -2.0, 0.25, -3.0});
        trace.base_mesh_line(1, 0, 3);
        trace.merge_line(0, 2, 4);
    });
    EXPECT_EQ(out,
              "    point: {x: 1.500000, y: -2.000000, z: 0.250000 - -3.000000}\n"
              "create mesh, Mesh2D.length: 1, beg: 0, end: 3\n"
              "merge mesh, [beg: 0, pivot: 1] <=> [beg: 2, pivot: 3]\n");
}

// Many long lines cross the writer's buffer boundary many times; every line
// must come out whole and in order.
TEST(TraceWriter, LongRunsMatchPrintf) {
    std::vector<Point3D> points;
    for (int i = 0; i < 3000; ++i) {
        const double big = i % 7 == 0 ? 1e300 : 1.0;
        points.push_back(Point3D{i * big, -i * 0.5, -big, i / 3.0});
    }
    std::string expected;
    for (const Point3D& p : points) expected += point_line(p);
    const std::string out = captured_stdout([&] {
        d2d::TraceWriter trace;
        for (const Point3D& p : points) trace.point_line(p);
    });
    EXPECT_EQ(out, expected);
}

// Lines keep the order in which they were produced when writers nest and
// when the host writes to stdout between calls.
TEST(TraceWriter, KeepsProductionOrder) {
    const std::string out = captured_stdout([] {
        std::printf("host before\n");
        {
            d2d::TraceWriter outer;
            outer.point_line(Point3D{1, 2, 3, 4});
            {
                d2d::TraceWriter inner;
                inner.base_mesh_line(1, 0, 2);
            }
            outer.merge_line(0, 2, 5);
        }
        std::printf("host after\n");
    });
    EXPECT_EQ(out,
              "host before\n"
              "    point: {x: 1.000000, y: 2.000000, z: 3.000000 - 4.000000}\n"
              "create mesh, Mesh2D.length: 1, beg: 0, end: 2\n"
              "merge mesh, [beg: 0, pivot: 1] <=> [beg: 2, pivot: 4]\n"
              "host after\n");
}

TEST(PrintPointList, PrintsEveryPointInListOrder) {
    Point3D a{0.1, 0.2, 0.3, 0.4};
    Point3D b{-0.0, 1e-7, 5e-7, 123456789.123456789};
    EXPECT_EQ(captured_stdout([] {
                  Point3DList empty{0};
                  print_point_3d_list(&empty);
              }),
              "");
    const d2dtest::Block<Point3DList> list(d2dtest::make_point_list({&b, &a, &b}, 3));
    const std::string out = captured_stdout([&] { print_point_3d_list(list.get()); });
    EXPECT_EQ(out, point_line(b) + point_line(a) + point_line(b));
}

TEST(CheckedMalloc, ZeroBytesStillGivesABlock) {
    char* block = d2d::checked_malloc<char>(0);
    EXPECT_NE(block, nullptr);
    std::free(block);
}

// The forked child sends stdout to a file named before the fork; the parent
// reads it back.
std::string fatal_output_path() {
    return testing::TempDir() + "d2d_fatal_" + std::to_string(::getpid()) + ".txt";
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A valid pointer passes without a word; null stops the process.
TEST(CheckRealloc, PassesAValidPointerAndStopsOnNull) {
    const std::string path = fatal_output_path();
    EXPECT_EXIT(
        {
            if (std::freopen(path.c_str(), "w", stdout) == nullptr) std::_Exit(3);
            int value = 0;
            check_realloc(&value);
            std::fputs("passed\n", stdout);
            check_realloc(nullptr);
        },
        testing::ExitedWithCode(255), "");
    EXPECT_EQ(read_file(path), "passed\nmember is not enough");
    std::remove(path.c_str());
}

TEST(FatalStop, WritesPendingTraceLinesBeforeTheMessage) {
    const std::string path = fatal_output_path();
    EXPECT_EXIT(
        {
            if (std::freopen(path.c_str(), "w", stdout) == nullptr) std::_Exit(3);
            d2d::TraceWriter outer;
            outer.point_line(Point3D{1, 1, 1, 1});
            d2d::TraceWriter inner;
            inner.merge_line(0, 2, 4);
            d2d::fatal_stop(d2d::kLengthNotEnough);
        },
        testing::ExitedWithCode(255), "");
    EXPECT_EQ(read_file(path),
              "    point: {x: 1.000000, y: 1.000000, z: 1.000000 - 1.000000}\n"
              "merge mesh, [beg: 0, pivot: 1] <=> [beg: 2, pivot: 3]\n"
              "length is not enough");
    std::remove(path.c_str());
}

}  // namespace
