// Trace lines, their order on stdout, and the fatal stop.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "common/trace_output.hpp"
#include "delaunay2d.h"

namespace {

std::string printf_point_line(const Point3D& p) {
    char line[1500];
    std::snprintf(line, sizeof line, "    point: {x: %f, y: %f, z: %f - %f}\n", p.x, p.y, p.z, p.w);
    return line;
}

std::string captured(void (*produce)()) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    produce();
    std::fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

TEST(TraceWriter, LinesHaveTheirExactBytes) {
    const std::string out = captured([] {
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
    static std::vector<Point3D> points;
    points.clear();
    for (int i = 0; i < 3000; ++i) {
        const double big = i % 7 == 0 ? 1e300 : 1.0;
        points.push_back(Point3D{i * big, -i * 0.5, -big, i / 3.0});
    }
    std::string expected;
    for (const Point3D& p : points) expected += printf_point_line(p);
    const std::string out = captured([] {
        d2d::TraceWriter trace;
        for (const Point3D& p : points) trace.point_line(p);
    });
    EXPECT_EQ(out, expected);
}

// Lines keep the order in which they were produced when writers nest and
// when the host writes to stdout between calls.
TEST(TraceWriter, KeepsProductionOrder) {
    const std::string out = captured([] {
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
    static Point3D a{0.1, 0.2, 0.3, 0.4};
    static Point3D b{-0.0, 1e-7, 5e-7, 123456789.123456789};
    EXPECT_EQ(captured([] {
                  Point3DList empty{0};
                  print_point_3d_list(&empty);
              }),
              "");
    const std::string out = captured([] {
        Point3DList* list = static_cast<Point3DList*>(std::malloc(sizeof(Point3DList) + 3 * sizeof(Point3D*)));
        list->length = 3;
        list->points[0] = &b;
        list->points[1] = &a;
        list->points[2] = &b;
        print_point_3d_list(list);
        std::free(list);
    });
    EXPECT_EQ(out, printf_point_line(b) + printf_point_line(a) + printf_point_line(b));
}

TEST(CheckedMalloc, ZeroBytesStillGivesABlock) {
    char* block = d2d::checked_malloc<char>(0);
    EXPECT_NE(block, nullptr);
    std::free(block);
}

TEST(CheckRealloc, ReturnsForAValidPointer) {
    int value = 0;
    check_realloc(&value);
    SUCCEED();
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

TEST(CheckRealloc, NullPrintsTheMessageAndExitsWithMinusOne) {
    const std::string path = fatal_output_path();
    EXPECT_EXIT(
        {
            if (std::freopen(path.c_str(), "w", stdout) == nullptr) std::_Exit(3);
            check_realloc(nullptr);
        },
        testing::ExitedWithCode(255), "");
    EXPECT_EQ(read_file(path), "member is not enough");
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
