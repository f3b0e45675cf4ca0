// The program on inputs with segments: Triangle's .poly files and GeoJSON
// polygons, read back through an independent reader of the files written.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "support/process_runner.hpp"

namespace {

using d2dtest::read_text;
using d2dtest::ScratchFolder;
using d2dtest::write_text;

d2dtest::ProcessResult run(const std::vector<std::string>& args) { return d2dtest::run_process(DELAUNAY2D_CLI, args); }

// Lines without comments and blank lines, as streams.
std::vector<std::istringstream> value_lines(const std::string& text) {
    std::vector<std::istringstream> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        line = line.substr(0, line.find('#'));
        if (line.find_first_not_of(" \t\r") != std::string::npos) lines.emplace_back(line);
    }
    return lines;
}

struct WrittenMesh {
    std::vector<std::pair<double, double>> nodes;  // by number from the first
    std::vector<std::array<long, 3>> triangles;
    std::vector<std::pair<long, long>> segments;
    long first = 1;
};

WrittenMesh read_back(const ScratchFolder& folder) {
    WrittenMesh m;
    auto node = value_lines(read_text(folder.file("m.node")));
    long count = 0;
    node[0] >> count;
    for (long k = 0; k < count; ++k) {
        long number;
        double x, y;
        node[static_cast<size_t>(k) + 1] >> number >> x >> y;
        if (k == 0) m.first = number;
        m.nodes.emplace_back(x, y);
    }
    auto ele = value_lines(read_text(folder.file("m.ele")));
    ele[0] >> count;
    for (long k = 0; k < count; ++k) {
        long number;
        std::array<long, 3> v{};
        ele[static_cast<size_t>(k) + 1] >> number >> v[0] >> v[1] >> v[2];
        for (long& i : v) i -= m.first;
        m.triangles.push_back(v);
    }
    auto poly = value_lines(read_text(folder.file("m.poly")));
    long poly_nodes = 0;
    poly[0] >> poly_nodes;
    EXPECT_EQ(poly_nodes, static_cast<long>(m.nodes.size()));
    for (long k = 0; k < poly_nodes; ++k) {
        long number;
        double x, y;
        poly[static_cast<size_t>(k) + 1] >> number >> x >> y;
        EXPECT_EQ(std::make_pair(x, y), m.nodes[static_cast<size_t>(k)]);
    }
    auto& header = poly[static_cast<size_t>(poly_nodes) + 1];
    header >> count;
    for (long k = 0; k < count; ++k) {
        long number, a, b;
        poly[static_cast<size_t>(poly_nodes + k) + 2] >> number >> a >> b;
        m.segments.emplace_back(a - m.first, b - m.first);
    }
    return m;
}

// Twice the area of the written triangles (exact for these small integer
// coordinates), after checking that every written segment is an edge but
// `removed` of them (those with a removed part on both sides).
double area2_with_segments_as_edges(const WrittenMesh& m, size_t removed = 0) {
    std::set<std::pair<long, long>> edges;
    double area2 = 0.0;
    for (const auto& t : m.triangles) {
        for (int k = 0; k < 3; ++k) edges.insert({t[static_cast<size_t>(k)], t[static_cast<size_t>((k + 1) % 3)]});
        const auto& [ax, ay] = m.nodes[static_cast<size_t>(t[0])];
        const auto& [bx, by] = m.nodes[static_cast<size_t>(t[1])];
        const auto& [cx, cy] = m.nodes[static_cast<size_t>(t[2])];
        const double twice = (bx - ax) * (cy - ay) - (by - ay) * (cx - ax);
        EXPECT_GT(twice, 0.0);
        area2 += twice;
    }
    size_t missing = 0;
    for (const auto& [a, b] : m.segments) missing += edges.count({a, b}) + edges.count({b, a}) == 0 ? 1 : 0;
    EXPECT_EQ(missing, removed);
    return area2;
}

const char* const kBoxWithHole =
    "# a square with a square hole, numbered from 1, attributes and markers\n"
    "8 2 1 1\n"
    "1 0 0 5.5 1\n2 10 0 5.5 1\n3 10 10 5.5 1\n4 0 10 5.5 1\n"
    "5 3 3 0 2\n6 7 3 0 2\n7 7 7 0 2\n8 3 7 0 2\n"
    "8 1\n1 1 2 1\n2 2 3 1\n3 3 4 1\n4 4 1 1\n5 5 6 2\n6 6 7 2\n7 7 8 2\n8 8 5 2\n"
    "0\n";

TEST(ConstrainedProgram, PolyFileKeepsTheInsideAndWritesTheSplitSegments) {
    ScratchFolder folder;
    write_text(folder.file("box.poly"), kBoxWithHole);
    auto result = run({folder.file("box.poly"), "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    WrittenMesh m = read_back(folder);
    EXPECT_EQ(m.segments.size(), 8u);
    EXPECT_EQ(area2_with_segments_as_edges(m), 2.0 * (100.0 - 16.0));
    // The whole hull on request.
    result = run({folder.file("box.poly"), "--region", "hull", "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(area2_with_segments_as_edges(read_back(folder)), 200.0);
}

TEST(ConstrainedProgram, OpenLinesKeepTheHullAndHolePointsOnSegmentsAreNamed) {
    ScratchFolder folder;
    // The box's two rings left open (two sides each): breaklines, so the
    // default region is the hull, not an empty inside.
    write_text(folder.file("lines.poly"),
               "8 2 0 0\n1 0 0\n2 10 0\n3 10 10\n4 0 10\n5 3 3\n6 7 3\n7 7 7\n8 3 7\n"
               "4 0\n1 1 2\n2 2 3\n3 5 6\n4 6 7\n0\n");
    auto result = run({folder.file("lines.poly"), "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_EQ(area2_with_segments_as_edges(read_back(folder)), 200.0);
    // The closed box with hole points on the inner ring's side (5, 3) and at
    // its corner (7, 7): both remove nothing, and each is named.
    std::string box = kBoxWithHole;
    box.replace(box.rfind("0\n"), 2, "2\n1 5 3\n2 7 7\n");
    write_text(folder.file("box.poly"), box);
    result = run({folder.file("box.poly"), "--region", "hull", "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_NE(result.err.find("hole point 1 (5, 3) lies on a segment and removes nothing"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("hole point 2 (7, 7) lies on a segment"), std::string::npos) << result.err;
    EXPECT_EQ(area2_with_segments_as_edges(read_back(folder)), 200.0);
}

TEST(ConstrainedProgram, PolyFileFromZeroWithHolePointAndCrossing) {
    ScratchFolder folder;
    // A square from 0 with a diagonal pair of crossing segments and a hole
    // point in the lower triangle they cut off with the edges.
    write_text(folder.file("x.poly"),
               "4 2 0 0\n0 0 0\n1 10 0\n2 10 10\n3 0 10\n"
               "6 0\n0 0 1\n1 1 2\n2 2 3\n3 3 0\n4 0 2\n5 1 3\n"
               "1\n0 5 1\n");
    auto result = run({folder.file("x.poly"), "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    WrittenMesh m = read_back(folder);
    EXPECT_EQ(m.nodes.size(), 5u);  // the crossing (5, 5) is added
    EXPECT_EQ(m.nodes.back(), std::make_pair(5.0, 5.0));
    EXPECT_EQ(m.segments.size(), 8u);
    EXPECT_EQ(area2_with_segments_as_edges(m, 1), 150.0);  // the bottom edge borders only the hole
}

TEST(ConstrainedProgram, GeoJsonPolygonsWithHoles) {
    ScratchFolder folder;
    write_text(folder.file("p.geojson"),
               "{\"type\": \"FeatureCollection\", \"features\": [\n"
               " {\"type\": \"Feature\", \"properties\": {\"name\": \"a \\\"b\\\"\"}, \"geometry\": {\"type\": \"MultiPolygon\",\n"
               "  \"coordinates\": [[[[0,0],[10,0],[10,10],[0,10],[0,0]], [[3,3],[3,7],[7,7],[7,3],[3,3]]],\n"
               "                   [[[20,0],[25,0],[22,4],[20,0]]]]}},\n"
               " {\"type\": \"Feature\", \"geometry\": {\"type\": \"Point\", \"coordinates\": [1, 2]}}]}\n");
    auto result = run({folder.file("p.geojson"), "-o", folder.file("m.ele")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    WrittenMesh m = read_back(folder);
    EXPECT_EQ(m.segments.size(), 11u);
    EXPECT_EQ(area2_with_segments_as_edges(m), 2.0 * (100.0 - 16.0 + 10.0));
    result = run({folder.file("p.geojson"), "-o", folder.file("m.svg")});
    ASSERT_EQ(result.exit_status, 0) << result.err;
    EXPECT_NE(read_text(folder.file("m.svg")).find("#e63946"), std::string::npos);
}

TEST(ConstrainedProgram, BadInputsAreReportedWithTheirLine) {
    ScratchFolder folder;
    write_text(folder.file("bad.poly"), "3 2 0 0\n1 0 0\n2 1 0\n3 0 1\n1 0\n1 1 4\n");
    auto result = run({folder.file("bad.poly")});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_NE(result.err.find("bad.poly:6: segment endpoint 4 names no vertex"), std::string::npos) << result.err;
    write_text(folder.file("bad.geojson"), "{\"type\": \"Polygon\", \"coordinates\": [[[0,0],[1,0]]]");
    result = run({folder.file("bad.geojson")});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_NE(result.err.find("bad.geojson"), std::string::npos) << result.err;
    // Options the constrained run would leave unused are usage errors, not
    // silently dropped: no trace of it, no id column, no ring in a point file.
    write_text(folder.file("box.poly"), kBoxWithHole);
    write_text(folder.file("p.txt"), "0 0\n1 0\n0 1\n");
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{folder.file("box.poly"), "--trace", folder.file("t.txt")},
          {folder.file("box.poly"), "--id-column", "id"},
          {folder.file("p.txt"), "--region", "inside"}}) {
        result = run(args);
        EXPECT_EQ(result.exit_status, 2) << args[1];
    }
}

// Subnormal coordinates are numbers like any other, in both readers.
TEST(ConstrainedProgram, SubnormalCoordinatesAreRead) {
    ScratchFolder folder;
    write_text(folder.file("s.poly"), "4 2 0 0\n1 0 0\n2 1 1e-310\n3 1 1\n4 0 1\n4 0\n1 1 2\n2 2 3\n3 3 4\n4 4 1\n");
    write_text(folder.file("s.geojson"),
               "{\"type\": \"Polygon\", \"coordinates\": [[[0, 0], [1, 1e-310], [1, 1], [0, 1], [0, 0]]]}");
    for (const char* name : {"s.poly", "s.geojson"}) {
        auto result = run({folder.file(name), "-o", folder.file("m.ele")});
        ASSERT_EQ(result.exit_status, 0) << name << ": " << result.err;
        const WrittenMesh m = read_back(folder);
        ASSERT_EQ(m.nodes.size(), 4u) << name;
        EXPECT_EQ(m.nodes[1].second, 1e-310) << name;
        EXPECT_EQ(m.triangles.size(), 2u) << name;
    }
}

// GeoJSON as other programs write it. Each case is a file in and a mesh
// out (or one line that names the file), so that the cases hold for any
// GeoJSON reader the program uses.
TEST(ConstrainedProgram, GeoJsonAsOtherProgramsWriteIt) {
    ScratchFolder folder;
    const std::string square = "\"coordinates\": [[[0, 0], [10, 0], [10, 10], [0, 10], [0, 0]]]";
    // 10,000 levels of arrays and of objects in a property: no reader needs
    // to descend into them, and none may run out of stack on them.
    const int deep = 10000;
    std::string nested;
    for (int k = 0; k < deep; ++k) nested += "[";
    for (int k = 0; k < deep; ++k) nested += "]";
    nested += ", \"o\": ";
    for (int k = 0; k < deep; ++k) nested += "{\"a\": ";
    nested += "1";
    for (int k = 0; k < deep; ++k) nested += "}";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"bom", "\xEF\xBB\xBF{\"type\": \"Polygon\", " + square + "}"},
        {"escaped type", "{\"t\\u0079pe\": \"Poly\\u0067on\", " + square + "}"},
        {"deep properties", "{\"type\": \"Feature\", \"properties\": {\"deep\": " + nested +
                                "}, \"geometry\": {\"type\": \"Polygon\", " + square + "}}"},
    };
    for (const auto& [what, text] : files) {
        write_text(folder.file("p.geojson"), text);
        auto result = run({folder.file("p.geojson"), "-o", folder.file("m.ele")});
        ASSERT_EQ(result.exit_status, 0) << what << ": " << result.err;
        EXPECT_EQ(area2_with_segments_as_edges(read_back(folder)), 200.0) << what;
    }
    // Geometry nested past all reason is refused in one line that names the file.
    std::string absurd = "{\"type\": \"Polygon\", \"coordinates\": ";
    for (int k = 0; k < deep; ++k) absurd += "[";
    for (int k = 0; k < deep; ++k) absurd += "]";
    write_text(folder.file("absurd.geojson"), absurd + "}");
    auto result = run({folder.file("absurd.geojson"), "-o", folder.file("a.ele")});
    EXPECT_EQ(result.exit_status, 1);
    EXPECT_EQ(result.err.rfind("delaunay2d: " + folder.file("absurd.geojson") + ":", 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
}

}  // namespace
