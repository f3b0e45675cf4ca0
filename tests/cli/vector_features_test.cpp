// What GIS tools write, read by the program's own code: CSV lines as RFC
// 4180 and GDAL spell them, the point found inside each labelled polygon
// (never in a hole, never on an edge), and the features gathered into
// points and segments (shared borders once, repeated points twice). The
// files GDAL itself writes are read in vector_inputs.py.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "formats/read/input_error.hpp"
#include "formats/read/value_fields.hpp"
#include "cli/scratch_folder.hpp"
#include "formats/read/vector_features.hpp"
#include "support/process_runner.hpp"

namespace {

std::vector<std::string> fields_of(const std::string& line) {
    d2dcli::ValueFields fields;
    if (const char* problem = d2dcli::split_fields(line, fields)) {
        return {std::string("error: ") + problem};
    }
    return std::vector<std::string>(fields.field.begin(), fields.field.begin() + static_cast<long>(fields.count));
}

TEST(CsvFields, TextColumnsQuotesAndEmptyValuesReadAsRfc4180) {
    using List = std::vector<std::string>;
    EXPECT_EQ(fields_of("1,0,New York"), (List{"1", "0", "New York"}));
    EXPECT_EQ(fields_of("X,Y,name,"), (List{"X", "Y", "name"}));  // GDAL's header with GEOMETRY=AS_XY
    EXPECT_EQ(fields_of("3,4,\"Vatican City\",\"12\""), (List{"3", "4", "\"Vatican City\"", "\"12\""}));
    EXPECT_EQ(fields_of("1,2,\"a, \"\"b\"\" # c\",,9"), (List{"1", "2", "\"a, \"\"b\"\" # c\"", "", "9"}));
    EXPECT_EQ(fields_of(" 1 , 2 # note"), (List{"1", "2"}));
    EXPECT_EQ(fields_of("1 2 \"x y\""), (List{"1", "2", "\"x y\""}));
    EXPECT_EQ(fields_of("1 2;3"), (List{"1", "2", "3"}));
    EXPECT_EQ(fields_of("1,5 2,5"),
              (List{"error: values separated both by commas and by spaces: decimal commas are not read "
                    "(write 1.5, not 1,5)"}));
    EXPECT_EQ(fields_of("1 2, 3"), (List{"error: values separated both by commas and by spaces: separate every "
                                        "value by a comma (CSV), or every one by spaces"}));
    EXPECT_EQ(d2dcli::unquoted("\"a, \"\"b\"\"\""), "a, \"b\"");
    EXPECT_EQ(d2dcli::unquoted("plain"), "plain");
}

// Even-odd: how many edges of the rings a ray to the right of (x, y) crosses.
bool inside_rings(const std::vector<std::vector<double>>& rings, double x, double y) {
    bool inside = false;
    for (const auto& ring : rings) {
        const std::size_t n = ring.size() / 3;
        for (std::size_t k = 0; k < n; ++k) {
            const std::size_t j = (k + 1) % n;
            const double ax = ring[3 * k], ay = ring[3 * k + 1], bx = ring[3 * j], by = ring[3 * j + 1];
            if ((ay > y) != (by > y) && x < ax + (y - ay) / (by - ay) * (bx - ax)) {
                inside = !inside;
            }
        }
    }
    return inside;
}

// A star around (cx, cy): spikes of random length, as x, y, z triples.
std::vector<double> star(std::mt19937& random, double cx, double cy, double low, double high, int corners) {
    std::uniform_real_distribution<double> radius(low, high);
    std::vector<double> ring;
    for (int k = 0; k < corners; ++k) {
        const double angle = 2.0 * M_PI * k / corners;
        const double r = radius(random);
        ring.insert(ring.end(), {cx + r * std::cos(angle), cy + r * std::sin(angle), 0.0});
    }
    return ring;
}

TEST(PointInside, LiesInsideTheOuterRingAndOutsideEveryHole) {
    std::mt19937 random(5);
    for (int trial = 0; trial < 500; ++trial) {
        // A star with a hole around its centre, where a naive "centre of
        // the ring" would fall, and a thin sliver now and then.
        std::vector<std::vector<double>> rings = {star(random, 10, 20, 2, 6, 3 + trial % 40),
                                                  star(random, 10, 20, 0.5, 1.5, 3 + trial % 7)};
        if (trial % 5 == 0) {
            rings = {{0, 0, 0, 100, 0, 0, 100, 1e-9, 0}};
        }
        const auto point = d2dcli::point_inside(rings);
        ASSERT_TRUE(point.has_value()) << trial;
        EXPECT_TRUE(inside_rings(rings, point->first, point->second)) << trial;
        // Off every vertex's y, so off every vertex and horizontal edge.
        for (const auto& ring : rings) {
            for (std::size_t k = 1; k < ring.size(); k += 3) {
                EXPECT_NE(ring[k], point->second);
            }
        }
    }
    EXPECT_FALSE(d2dcli::point_inside({{0, 0, 0, 1, 0, 0, 2, 0, 0}}).has_value());  // no area
}

TEST(FeatureCollector, SharedBordersOnceRepeatedPointsTwiceZFromTheGeometryOrAColumn) {
    d2dcli::VectorRequest request;
    request.attribute = "name";
    d2dcli::FeatureCollector collector("layer", request);
    d2dcli::FeatureValues left;
    left.label = "left";
    collector.begin_feature(left);
    collector.polygon({{0, 0, 1, 1, 0, 2, 1, 1, 3, 0, 1, 4, 0, 0, 1}});
    d2dcli::FeatureValues right;
    right.label = "7";
    right.label_is_number = true;
    collector.begin_feature(right);
    collector.polygon({{1, 0, 9, 2, 0, 5, 2, 1, 6, 1, 1, 9}});  // shares (1, 0) and (1, 1), not closed
    collector.begin_feature({});
    collector.point(5, 5, NAN);
    collector.point(5, 5, NAN);
    const d2dcli::ConstrainedInput input = collector.finish();
    EXPECT_EQ(input.points.xy, (std::vector<double>{0, 0, 1, 0, 1, 1, 0, 1, 2, 0, 2, 1, 5, 5, 5, 5}));
    // The first z given at a place is its z; points without z have 0.
    EXPECT_EQ(input.points.zw, (std::vector<double>{1, 0, 2, 0, 3, 0, 4, 0, 5, 0, 6, 0, 0, 0, 0, 0}));
    EXPECT_EQ(input.segments, (std::vector<std::uint32_t>{0, 1, 1, 2, 2, 3, 3, 0, 1, 4, 4, 5, 5, 2, 2, 1}));
    ASSERT_EQ(input.regions.size(), 2u);
    EXPECT_EQ(input.regions[0].attribute, 1.0);
    EXPECT_EQ(input.regions[1].attribute, 2.0);
    EXPECT_GT(input.regions[1].x, 1.0);
    EXPECT_EQ(input.labels.values, (std::vector<std::string>{"left", "7"}));
    EXPECT_EQ(input.labels.number, (std::vector<bool>{false, true}));

    request.attribute.clear();
    request.z_column = "elev";
    d2dcli::FeatureCollector by_column("layer", request);
    d2dcli::FeatureValues contour;
    contour.z = 120.0;
    by_column.begin_feature(contour);
    by_column.line({0, 0, 7, 1, 0, 7, 1, 0, 7});  // a repeated position adds no segment
    const d2dcli::ConstrainedInput line = by_column.finish();
    EXPECT_EQ(line.points.zw, (std::vector<double>{120, 0, 120, 0}));
    EXPECT_EQ(line.segments, (std::vector<std::uint32_t>{0, 1}));
    EXPECT_THROW(d2dcli::FeatureCollector("empty", {}).finish(), d2dcli::InputError);
}

}  // namespace

namespace {

d2dtest::ProcessResult run(const std::vector<std::string>& args) { return d2dtest::run_process(DELAUNAY2D_CLI, args); }

// The program on GeoJSON without GDAL: a 3 x 3 layer of adjacent squares
// keeps all nine (the middle one is two borders in, where even-odd rings
// would make it a hole), with no warning for the shared borders even under
// --strict; a point given twice still warns.
TEST(VectorProgram, AdjacentPolygonsAreAllKeptAndSharedBordersRaiseNoWarning) {
    d2dtest::ScratchFolder folder;
    std::string grid = "{\"type\": \"FeatureCollection\", \"features\": [";
    for (int i = 0; i < 3; ++i) {
        for (int j = 0; j < 3; ++j) {
            grid += std::string(i + j == 0 ? "" : ",") + "{\"type\": \"Feature\", \"properties\": {}, \"geometry\": " +
                    "{\"type\": \"Polygon\", \"coordinates\": [[[" + std::to_string(i) + "," + std::to_string(j) +
                    "],[" + std::to_string(i + 1) + "," + std::to_string(j) + "],[" + std::to_string(i + 1) + "," +
                    std::to_string(j + 1) + "],[" + std::to_string(i) + "," + std::to_string(j + 1) + "]]]}}";
        }
    }
    d2dtest::write_text(folder.file("grid.geojson"), grid + "]}");
    d2dtest::ProcessResult result = run({folder.file("grid.geojson"), "--strict", "-o", folder.file("grid.off")});
    EXPECT_EQ(result.exit_status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_NE(d2dtest::read_text(folder.file("grid.off")).find("\n16 18 0\n"), std::string::npos);

    d2dtest::write_text(folder.file("twice.geojson"),
                        "{\"type\": \"MultiPoint\", \"coordinates\": [[0, 0], [1, 0], [0, 1], [0, 0]]}");
    result = run({folder.file("twice.geojson"), "-o", folder.file("twice.off")});
    EXPECT_EQ(result.err, "delaunay2d: warning: " + folder.file("twice.geojson") +
                              ": 1 point left out (1 repeated, 0 not finite)\n");
}

}  // namespace

namespace {

// The z of the point added where two breaklines cross, read back from the
// written .node: along the segment listed first, interpolated linearly.
// The crossing of y = 3x with y = 1 - x/3 is (0.3, 0.9), which rounds; at
// x = 0.3 the first runs 30% of the way from z = 0 to z = 30.
double crossing_z(const std::string& segments) {
    d2dtest::ScratchFolder folder;
    d2dtest::write_text(folder.file("x.poly"), "4 2 1 0\n1 0 0 0\n2 1 3 30\n3 0 1 10\n4 3 0 10\n" + segments + "0\n");
    d2dtest::ProcessResult result = run({folder.file("x.poly"), "-o", folder.file("m.ele"), "--keep-all-points"});
    EXPECT_EQ(result.exit_status, 0) << result.err;
    std::istringstream node(d2dtest::read_text(folder.file("m.node")));
    std::string line;
    std::getline(node, line);
    EXPECT_EQ(line, "5 2 1 1") << "the crossing is the fifth point, z its one attribute";
    double number = 0, x = 0, y = 0, z = 0;
    for (int k = 0; k < 5; ++k) {
        node >> number >> x >> y >> z;
        std::getline(node, line);
    }
    EXPECT_NEAR(x, 0.3, 1e-15);
    EXPECT_NEAR(y, 0.9, 1e-15);
    return z;
}

TEST(BreaklineHeights, PolyAttributesAreZAndACrossingTakesZAlongTheFirstSegment) {
    EXPECT_NEAR(crossing_z("2 0\n1 1 2\n2 3 4\n"), 9.0, 1e-12);
    EXPECT_EQ(crossing_z("2 0\n1 3 4\n2 1 2\n"), 10.0);
}

}  // namespace
