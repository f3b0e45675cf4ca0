// The terrain formats on small hand-built cases, where the whole text of a
// file can be checked: z, w and ids carried through, the raster's grid and
// its ASCII form from a stand-in source of values, PLY as text, GeoJSON's
// crs member, and the shaded picture. (GDAL and a PLY parser of its own
// read the program's real outputs in terrain_outputs.py.)
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"
#include "formats/mesh_write/mesh_output.hpp"
#include "formats/output/output_error.hpp"
#include "formats/raster/raster_files.hpp"
#include "formats/picture/svg_page.hpp"

namespace {

using d2dcli::MeshView;
using d2dcli::OutputFormat;
using d2dcli::OutputOptions;
using d2dtest::read_text;

// The unit square cut along its diagonal, with z and w, and ids.
struct SquareMesh {
    std::vector<double> xy = {0, 0, 1, 0, 1, 1, 0, 1};
    std::vector<double> zw = {10, 1, 20, 2, 30, 3, 40, 4};
    std::vector<std::uint32_t> triangles = {0, 1, 2, 0, 2, 3};
    std::vector<std::int32_t> neighbours = {-1, -1, 1, 0, -1, -1};  // across (v[i], v[i+1])
    std::vector<std::uint32_t> hull = {0, 1, 2, 3};
    std::vector<std::int32_t> vertex_of_point = {0, 1, 2, 3};
    d2dcli::PointIds ids;

    SquareMesh() {
        for (const char* id : {"7", "8", "9", "10"}) {
            ids.add(id);
        }
    }
    MeshView view(int extra_columns = 2, bool with_ids = true) const {
        MeshView mesh{xy, triangles, neighbours, hull, vertex_of_point};
        mesh.zw = zw;
        mesh.extra_columns = extra_columns;
        mesh.ids = with_ids ? &ids : nullptr;
        return mesh;
    }
};

std::string written(const MeshView& mesh, OutputFormat format, const std::string& which = "",
                    const OutputOptions& base = {}) {
    d2dtest::ScratchFolder folder;
    OutputOptions options = base;
    options.format = format;
    options.first_number = 0;
    d2dcli::WrittenFiles files = d2dcli::write_mesh(folder.file("mesh.out"), mesh, options, {});
    for (const std::string& file : files.paths) {
        if (which.empty() || file.ends_with(which)) {
            return read_text(file);
        }
    }
    return "(not written)";
}

d2dcli::PointSet read_with_ids(const std::string& text, const std::string& id_column) {
    d2dtest::ScratchFolder folder;
    d2dtest::write_text(folder.file("p.csv"), text);
    int fd = ::open(folder.file("p.csv").c_str(), O_RDONLY);
    d2dcli::LineSource source(fd, "p.csv");
    struct Close {
        int fd;
        ~Close() { ::close(fd); }
    } closer{fd};
    return d2dcli::read_points(source, d2dcli::InputFormat::automatic, id_column);
}

TEST(TerrainFiles, AnIdColumnIsKeptAsWrittenAndMustBeNamedByTheHeader) {
    d2dcli::PointSet points = read_with_ids("Station,E,N,Elevation\nP-1,5,6,7.5\n\"2\",8,9,10\n", "Station");
    ASSERT_EQ(points.ids.end.size(), 2u);
    EXPECT_EQ(points.ids.at(0), "P-1");
    EXPECT_EQ(points.ids.at(1), "2");  // CSV's quotes are not part of the value
    EXPECT_EQ(points.extra_columns, 1);
    EXPECT_EQ(points.z_name, "Elevation");
    EXPECT_EQ(points.zw, (std::vector<double>{7.5, 0, 10, 0}));

    auto error_of = [](const std::string& text, const std::string& column) -> std::string {
        try {
            read_with_ids(text, column);
        } catch (const d2dcli::InputError& e) {
            return e.what();
        }
        return "(no error)";
    };
    EXPECT_EQ(error_of("id,x,y\n1,2,3\n", "station"), "p.csv:1: the header has no column 'station' (--id-column)");
    EXPECT_EQ(error_of("1,2,3\n", "id"), "p.csv:1: --id-column 'id' needs a header line that names the columns");
    EXPECT_EQ(error_of("x,y,id\n1,2\n", "id"), "p.csv:2: too few values: no 'id' (column 3)");
}

TEST(TerrainFiles, ZWAndIdsReachEveryFormatThatHasRoomForThem) {
    const SquareMesh square;
    EXPECT_EQ(written(square.view(), OutputFormat::off), "OFF\n4 2 0\n0 0 10\n1 0 20\n1 1 30\n0 1 40\n3 0 1 2\n3 0 2 3\n");
    EXPECT_EQ(written(square.view(), OutputFormat::ele, ".node"),
              "4 2 3 1\n0 0 0 10 1 7 1\n1 1 0 20 2 8 1\n2 1 1 30 3 9 1\n3 0 1 40 4 10 1\n");
    // Only z: one attribute, and no id.
    EXPECT_EQ(written(square.view(1, false), OutputFormat::ele, ".node"),
              "4 2 1 1\n0 0 0 10 1\n1 1 0 20 1\n2 1 1 30 1\n3 0 1 40 1\n");
    const std::string json = written(square.view(), OutputFormat::json);
    EXPECT_NE(json.find("[1, 1, 30]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"ids\": [\n\"7\",\n\"8\",\n\"9\",\n\"10\"]}"), std::string::npos) << json;
    OutputOptions text_ply;
    text_ply.terrain.ascii = true;
    EXPECT_EQ(written(square.view(), OutputFormat::ply, "", text_ply),
              "ply\nformat ascii 1.0\ncomment delaunay2d\nelement vertex 4\nproperty double x\nproperty double y\n"
              "property double z\nelement face 2\nproperty list uchar int vertex_indices\nend_header\n"
              "0 0 10\n1 0 20\n1 1 30\n0 1 40\n3 0 1 2\n3 0 2 3\n");

    // An id that is no number has no place among .node's numeric attributes.
    SquareMesh named;
    named.ids = {};
    for (const char* id : {"a", "b", "c", "d"}) {
        named.ids.add(id);
    }
    EXPECT_THROW(written(named.view(), OutputFormat::ele), d2dcli::OutputError);
}

TEST(TerrainFiles, TheGridGrowsFromTheLowerLeftCornerByWholeCells) {
    const SquareMesh square;
    std::vector<double> wide = {0, 0, 10, 0, 10, 5, 0, 5};
    MeshView mesh = square.view();
    mesh.xy = wide;
    d2dcli::RasterGrid grid = d2dcli::fit_grid("dem.tif", mesh, 3.0, std::nullopt);
    EXPECT_EQ(grid.columns, 4u);
    EXPECT_EQ(grid.rows, 2u);
    EXPECT_EQ(grid.west, 0.0);
    EXPECT_EQ(grid.north, 6.0);
    EXPECT_EQ(grid.centre_x(3), 10.5);
    EXPECT_EQ(grid.centre_y(1), 1.5);
    grid = d2dcli::fit_grid("dem.tif", mesh, 1.0, std::array<double, 4>{-2, -1, 2, 1});
    EXPECT_EQ(grid.columns, 4u);
    EXPECT_EQ(grid.rows, 2u);
    EXPECT_EQ(grid.north, 1.0);
    EXPECT_THROW(d2dcli::fit_grid("dem.tif", mesh, 0.0, std::nullopt), d2dcli::OutputError);
    EXPECT_THROW(d2dcli::fit_grid("dem.tif", mesh, 1e-9, std::nullopt), d2dcli::OutputError);  // 5e19 cells
}

TEST(TerrainFiles, TheAsciiGridHoldsTheSourcesRowsFromNorthToSouthWithNodata) {
    d2dcli::RasterGrid grid;
    grid.west = 100.0;
    grid.north = 52.0;
    grid.cell = 2.5;
    grid.columns = 3;
    grid.rows = 2;
    std::vector<std::size_t> asked;
    // A stand-in for the interpolation: row r, column c holds r + c / 4,
    // and one cell lies outside the mesh.
    d2dcli::GridRows rows = [&](std::size_t first, std::size_t count, double* out) {
        asked.push_back(first);
        for (std::size_t r = 0; r < count; ++r) {
            for (std::size_t c = 0; c < 3; ++c) {
                out[r * 3 + c] = static_cast<double>(first + r) + static_cast<double>(c) / 4;
            }
        }
        out[1] = std::numeric_limits<double>::quiet_NaN();
    };
    d2dtest::ScratchFolder folder;
    int fd = ::open(folder.file("g.asc").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    {
        d2dcli::TextSink sink(fd, "g.asc");
        d2dcli::write_ascii_grid(sink, grid, rows, {});
        sink.flush();
    }
    ::close(fd);
    EXPECT_EQ(read_text(folder.file("g.asc")),
              "ncols 3\nnrows 2\nxllcorner 100\nyllcorner 47\ncellsize 2.5\nNODATA_value -9999\n"
              "0 -9999 0.5\n1 1.25 1.5\n");
    EXPECT_EQ(asked, (std::vector<std::size_t>{0}));
}

TEST(TerrainFiles, GeoJsonNamesItsCoordinateSystemOnlyWhenGiven) {
    const SquareMesh square;
    const std::string plain = written(square.view(), OutputFormat::geojson);
    EXPECT_EQ(plain.find("\"crs\""), std::string::npos);
    EXPECT_NE(plain.find("\"coordinates\": [[[0, 0], [1, 0], [1, 1], [0, 0]]]"), std::string::npos) << plain;
    EXPECT_NE(plain.find("\"z_mean\": 20"), std::string::npos) << plain;
    OutputOptions with_crs;
    with_crs.terrain.crs = "epsg:2056";
    const std::string named = written(square.view(), OutputFormat::geojson, "", with_crs);
    EXPECT_NE(named.find("\"crs\": {\"type\": \"name\", \"properties\": {\"name\": \"urn:ogc:def:crs:EPSG::2056\"}}"),
              std::string::npos)
        << named;
}

TEST(TerrainFiles, APictureWithZShadesItsTrianglesAndHasALegend) {
    const SquareMesh square;
    OutputOptions options;
    options.svg.title = "Survey <A&B>";
    options.svg.z_label = "height";
    const std::string svg = written(square.view(), OutputFormat::svg, "", options);
    // Mean z 20 and 26.7 of a range 10 to 40: bands 8 and 13 of 24.
    EXPECT_NE(svg.find("<path fill=\"" + d2dcli::svg::band_colour(8) + "\""), std::string::npos) << svg;
    EXPECT_NE(svg.find("<path fill=\"" + d2dcli::svg::band_colour(13) + "\""), std::string::npos);
    EXPECT_NE(svg.find(">Survey &lt;A&amp;B&gt;</text>"), std::string::npos);
    EXPECT_NE(svg.find(">height</text>"), std::string::npos);
    EXPECT_NE(svg.find(">10.0</text>"), std::string::npos);  // the legend's ends, and a tick between
    EXPECT_NE(svg.find(">40.0</text>"), std::string::npos);
    EXPECT_NE(svg.find(">25.0</text>"), std::string::npos);
}

}  // namespace
