// The mesh writers, checked byte for byte on a small hand-built mesh that
// holds every case a file must handle: a repeated point, a point with a NaN
// coordinate, numbering of vertices against numbering of input points, and
// hull edges; then round trips and the picture's two modes.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"
#include "formats/mesh_write/mesh_output.hpp"
#include "formats/output/output_error.hpp"

namespace {

using d2dcli::MeshView;
using d2dcli::OutputFormat;
using d2dcli::OutputOptions;
using d2dtest::read_text;

// Two counter-clockwise triangles over a 0.1 by 2.5 rectangle. Point 1 is
// not finite and point 3 repeats point 0, so the vertices are 0, 2, 4, 5.
struct SmallMesh {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> xy = {0, 0, nan, 2, 0.1, 0, 0, 0, 0.1, 2.5, 0, 2.5};
    std::vector<std::uint32_t> triangles = {0, 2, 4, 0, 4, 5};
    std::vector<std::int32_t> neighbours = {-1, -1, 1, 0, -1, -1};  // across (v[i], v[i+1])
    std::vector<std::uint32_t> hull = {0, 2, 4, 5};
    std::vector<std::int32_t> vertex_of_point = {0, -1, 2, 0, 4, 5};

    MeshView view() const { return {xy, triangles, neighbours, hull, vertex_of_point}; }
};

// Writes the small mesh and returns the text of the file (or the named one
// of Triangle's three files).
std::string written(OutputFormat format, bool keep_all, int first_number = 1, const std::string& which = "") {
    d2dtest::ScratchFolder folder;
    OutputOptions options;
    options.format = format;
    options.keep_all_points = keep_all;
    options.first_number = first_number;
    const std::string path = folder.file("mesh.out");
    d2dcli::WrittenFiles files = d2dcli::write_mesh(path, SmallMesh().view(), options, {});
    for (const std::string& file : files.paths) {
        if (which.empty() || file.ends_with(which)) {
            return read_text(file);
        }
    }
    return "(not written)";
}

TEST(MeshWriters, OffHoldsTheVerticesInInputOrderOrEveryPoint) {
    EXPECT_EQ(written(OutputFormat::off, false),
              "OFF\n4 2 0\n0 0 0\n0.1 0 0\n0.1 2.5 0\n0 2.5 0\n3 0 1 2\n3 0 2 3\n");
    EXPECT_EQ(written(OutputFormat::off, true),
              "OFF\n6 2 0\n0 0 0\nnan 2 0\n0.1 0 0\n0 0 0\n0.1 2.5 0\n0 2.5 0\n3 0 2 4\n3 0 4 5\n");
}

TEST(MeshWriters, ObjNumbersFromOne) {
    EXPECT_EQ(written(OutputFormat::obj, false),
              "# delaunay2d: 4 points, 2 triangles\nv 0 0 0\nv 0.1 0 0\nv 0.1 2.5 0\nv 0 2.5 0\nf 1 2 3\nf 1 3 4\n");
}

TEST(MeshWriters, JsonNamesNeighboursByOppositeVertexAndNullsWhatIsNotFinite) {
    EXPECT_EQ(written(OutputFormat::json, false),
              "{\"points\": [\n[0, 0],\n[0.1, 0],\n[0.1, 2.5],\n[0, 2.5]],\n"
              "\"triangles\": [\n[0, 1, 2],\n[0, 2, 3]],\n"
              "\"neighbours\": [\n[-1, 1, -1],\n[-1, -1, 0]],\n"
              "\"hull\": [0, 1, 2, 3]}\n");
    EXPECT_EQ(written(OutputFormat::json, true),
              "{\"points\": [\n[0, 0],\n[null, 2],\n[0.1, 0],\n[0, 0],\n[0.1, 2.5],\n[0, 2.5]],\n"
              "\"triangles\": [\n[0, 2, 4],\n[0, 4, 5]],\n"
              "\"neighbours\": [\n[-1, 1, -1],\n[-1, -1, 0]],\n"
              "\"hull\": [0, 2, 4, 5]}\n");
}

TEST(MeshWriters, TriangleFilesAsTriangleWritesThem) {
    EXPECT_EQ(written(OutputFormat::ele, false, 1, ".ele"), "2 3 0\n1 1 2 3\n2 1 3 4\n");
    EXPECT_EQ(written(OutputFormat::ele, false, 1, ".node"), "4 2 0 1\n1 0 0 1\n2 0.1 0 1\n3 0.1 2.5 1\n4 0 2.5 1\n");
    EXPECT_EQ(written(OutputFormat::ele, false, 1, ".neigh"), "2 3\n1 -1 2 -1\n2 -1 -1 1\n");
    EXPECT_EQ(written(OutputFormat::ele, false, 0, ".ele"), "2 3 0\n0 0 1 2\n1 0 2 3\n");
    EXPECT_EQ(written(OutputFormat::ele, false, 0, ".neigh"), "2 3\n0 -1 1 -1\n1 -1 -1 0\n");
    // Every point kept: the ones that are no vertex are no boundary either.
    EXPECT_EQ(written(OutputFormat::ele, true, 0, ".node"),
              "6 2 0 1\n0 0 0 1\n1 nan 2 0\n2 0.1 0 1\n3 0 0 0\n4 0.1 2.5 1\n5 0 2.5 1\n");
    EXPECT_EQ(written(OutputFormat::ele, true, 0, ".ele"), "2 3 0\n0 0 2 4\n1 0 4 5\n");
}

TEST(MeshWriters, FormatAndFileNamesComeFromThePath) {
    EXPECT_EQ(d2dcli::output_format_of_path("a/mesh.OFF"), OutputFormat::off);
    EXPECT_EQ(d2dcli::output_format_of_path("mesh.node"), OutputFormat::ele);
    EXPECT_EQ(d2dcli::output_format_of_path("mesh.svg"), OutputFormat::svg);
    EXPECT_EQ(d2dcli::output_format_of_path("dem.TIFF"), OutputFormat::tif);
    EXPECT_FALSE(d2dcli::output_format_of_path("mesh.xyz"));
    EXPECT_FALSE(d2dcli::output_format_of_path("dir.json/mesh"));
    using Paths = std::vector<std::string>;
    EXPECT_EQ(d2dcli::output_paths("out/m.ele", OutputFormat::ele), (Paths{"out/m.ele", "out/m.node", "out/m.neigh"}));
    EXPECT_EQ(d2dcli::output_paths("m.neigh", OutputFormat::ele), (Paths{"m.ele", "m.node", "m.neigh"}));
    EXPECT_EQ(d2dcli::output_paths("m.txt", OutputFormat::ele), (Paths{"m.txt.ele", "m.txt.node", "m.txt.neigh"}));
    EXPECT_EQ(d2dcli::output_paths("m.txt", OutputFormat::json), (Paths{"m.txt"}));
    EXPECT_EQ(d2dcli::output_paths("a.b/m.svg", OutputFormat::svg, true), (Paths{"a.b/m.svg", "a.b/m.png"}));
    EXPECT_EQ(d2dcli::output_paths("-", OutputFormat::ele), (Paths{"-"}));
}

// Coordinates of every kind written to a .node file read back bit for bit.
TEST(MeshWriters, NodeFileRoundTripsEveryDouble) {
    std::mt19937_64 random(11);
    std::vector<double> xy = {0.1, -0.0, 5e-324, -1.7976931348623157e308, 1.0 / 3.0, 2.2250738585072014e-308};
    while (xy.size() < 4000) {
        std::uint64_t bits = random();
        double value;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value)) {
            xy.push_back(value);
        }
    }
    std::vector<std::int32_t> vertex_of_point(xy.size() / 2);
    for (std::size_t i = 0; i < vertex_of_point.size(); ++i) {
        vertex_of_point[i] = static_cast<std::int32_t>(i);
    }
    MeshView mesh{xy, {}, {}, {}, vertex_of_point};
    d2dtest::ScratchFolder folder;
    OutputOptions options;
    options.format = OutputFormat::ele;
    d2dcli::write_mesh(folder.file("round.ele"), mesh, options, {});

    int fd = ::open(folder.file("round.node").c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    d2dcli::LineSource source(fd, "round.node", 1000);
    d2dcli::PointSet back = d2dcli::read_points(source, d2dcli::InputFormat::automatic);
    ::close(fd);
    ASSERT_EQ(back.xy.size(), xy.size());
    EXPECT_EQ(std::memcmp(back.xy.data(), xy.data(), xy.size() * sizeof(double)), 0);
}

TEST(MeshWriters, PictureDrawsEdgesHullAndDotsOrASampleOfALargeMesh) {
    d2dtest::ScratchFolder folder;
    OutputOptions options;
    options.format = OutputFormat::svg;
    d2dcli::WrittenFiles full = d2dcli::write_mesh(folder.file("full.svg"), SmallMesh().view(), options, {});
    std::string svg = read_text(folder.file("full.svg"));
    EXPECT_FALSE(full.picture.sampled);
    EXPECT_EQ(full.picture.points_drawn, 4u);
    EXPECT_TRUE(svg.starts_with("<?xml"));
    EXPECT_TRUE(svg.ends_with("</svg>\n"));
    // Five edges, each drawn once; the boundary's four, counter-clockwise;
    // the 0.1 by 2.5 box fits
    // 1000 px high below the 52 px header, 16 px from the left, y upward.
    std::size_t edges_at = svg.find("d=\"", svg.find("#5d7fb0"));
    std::string edges = svg.substr(edges_at, svg.find('"', edges_at + 3) - edges_at);
    std::size_t moves = static_cast<std::size_t>(std::count(edges.begin(), edges.end(), 'M'));
    EXPECT_EQ(moves, 5u);
    std::size_t boundary_at = svg.find("d=\"", svg.find("#1d3557"));
    std::string boundary = svg.substr(boundary_at, svg.find('"', boundary_at + 3) - boundary_at);
    for (const char* edge : {"M16.0 1052.0L56.0 1052.0", "M56.0 1052.0L56.0 52.0", "M56.0 52.0L16.0 52.0",
                             "M16.0 52.0L16.0 1052.0"}) {
        EXPECT_NE(boundary.find(edge), std::string::npos) << edge << " in " << boundary;
    }
    EXPECT_EQ(std::count(boundary.begin(), boundary.end(), 'M'), 4) << boundary;
    EXPECT_EQ(svg.find("sampled"), std::string::npos);

    // A budget that holds nothing: every third point and the first edge.
    options.svg.max_bytes = 1;
    d2dcli::WrittenFiles sampled = d2dcli::write_mesh(folder.file("sampled.svg"), SmallMesh().view(), options, {});
    svg = read_text(folder.file("sampled.svg"));
    EXPECT_TRUE(sampled.picture.sampled);
    EXPECT_EQ(sampled.picture.points_drawn, 2u);
    EXPECT_EQ(sampled.picture.edges_drawn, 1u);
    EXPECT_NE(svg.find("sampled to stay readable: 1 of 5 edges and 2 of 4 points drawn"), std::string::npos);
}

}  // namespace
