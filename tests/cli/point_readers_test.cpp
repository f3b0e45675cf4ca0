// The point readers: every spelling of a text file that users hold reads to
// the same doubles, .node files read as Triangle means them, the format is
// recognised from the name or the content, and every kind of bad line is
// reported with its file and line number. A .poly file's fields and numbers
// read as the point files' do.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"

namespace {

using d2dcli::InputError;
using d2dcli::InputFormat;
using d2dcli::PointSet;

// Reads text saved as a file called name, in blocks of block_size bytes.
PointSet read_as(const std::string& text, const std::string& name, InputFormat format = InputFormat::automatic,
                 std::size_t block_size = std::size_t{4} << 20) {
    d2dtest::ScratchFolder folder;
    const std::string path = folder.file(name);
    d2dtest::write_text(path, text);
    int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    d2dcli::LineSource source(fd, name, block_size);
    try {
        PointSet points = d2dcli::read_points(source, format);
        ::close(fd);
        return points;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

// Reads text saved as a file called name through the program's one entry.
d2dcli::InputRead read_input_as(const std::string& text, const std::string& name,
                                InputFormat format = InputFormat::automatic) {
    d2dtest::ScratchFolder folder;
    const std::string path = folder.file(name);
    d2dtest::write_text(path, text);
    int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    d2dcli::LineSource source(fd, name);
    try {
        d2dcli::InputRead input = d2dcli::read_input(source, format);
        ::close(fd);
        return input;
    } catch (...) {
        ::close(fd);
        throw;
    }
}

std::string error_of(const std::string& text, const std::string& name, InputFormat format = InputFormat::automatic) {
    try {
        read_as(text, name, format);
    } catch (const InputError& e) {
        return e.what();
    }
    return "(no error)";
}

bool same_bits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

const std::vector<double> three_points = {1.5, -2.0, 0.1, 3e-5, 1e300, -0.0};

TEST(TextPoints, EverySpellingReadsTheSameDoublesWhateverTheBlockSize) {
    const std::vector<std::string> spellings = {
        "1.5 -2\n0.1 3e-5\n1e300 -0\n",
        "1.5\t-2\n0.1\t\t3E-05\n1e+300\t-0.0",                       // tabs, no final line end
        "1.5,-2\n0.1,0.00003\n1e300,-0\n",                            // CSV
        "x, y\r\n1.5, -2\r\n 0.1 ,3e-5\r\n+1e300 , -0\r\n",           // header, CR LF, spaces around commas
        "# survey of 2024\n\nx y\n1.5 -2 # first\n\n0.1 3e-5\n   \n1e300 -0\n# end\n",
    };
    for (const std::string& text : spellings) {
        for (std::size_t block : {std::size_t{1}, std::size_t{3}, std::size_t{7}, std::size_t{1} << 20}) {
            PointSet points = read_as(text, "points.txt", InputFormat::automatic, block);
            EXPECT_TRUE(same_bits(points.xy, three_points)) << text << " in blocks of " << block;
            EXPECT_TRUE(points.zw.empty());
        }
    }
}

TEST(TextPoints, KeepsZAndWWhenGivenAndZeroesThemForLinesWithout) {
    PointSet points = read_as("0 0\n1 0 5\n0 1 6 7\n", "points.xyz");
    EXPECT_TRUE(same_bits(points.xy, {0, 0, 1, 0, 0, 1}));
    EXPECT_TRUE(same_bits(points.zw, {0, 0, 5, 0, 6, 7}));
}

TEST(TextPoints, AcceptsNanAndInfinityAsValues) {
    PointSet points = read_as("nan 1\n2 -inf\nNaN Infinity\n", "points.txt");
    ASSERT_EQ(points.size(), 3u);
    EXPECT_TRUE(std::isnan(points.xy[0]));
    EXPECT_EQ(points.xy[3], -HUGE_VAL);
    EXPECT_TRUE(std::isnan(points.xy[4]));
    EXPECT_EQ(points.xy[5], HUGE_VAL);
}

TEST(TextPoints, EmptyInputAndCommentsOnlyGiveNoPoints) {
    EXPECT_EQ(read_as("", "empty.txt").size(), 0u);
    EXPECT_EQ(read_as("# nothing\n\n", "comments.txt").size(), 0u);
    EXPECT_EQ(read_as("x,y\n", "header.csv").size(), 0u);
}

TEST(TextPoints, LongLinesAreNeverCut) {
    std::string text = "1 2" + std::string(10000, ' ') + "\n3 4\n";
    PointSet points = read_as(text, "points.txt", InputFormat::automatic, 16);
    EXPECT_TRUE(same_bits(points.xy, {1, 2, 3, 4}));
}

TEST(TextPoints, BadLinesAreReportedWithFileLineAndReason) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"1 2\nabc 3\n", "p.txt:2: not a number: 'abc'"},
        {"x y\n1 2\nx y\n", "p.txt:3: not a number: 'x'"},  // only one header, and only first
        {"1 2\n\n# c\n1.5x 2\n", "p.txt:4: not a number: '1.5x'"},
        {"1 2\n3\n", "p.txt:2: too few values: a point needs x and y"},
        {"x,y\n7\n", "p.txt:2: too few values: 1 (the header puts x in column 1 and y in column 2)"},
        {"1 2 3 4 5\n", "p.txt:1: too many values: 5 (a point is x y, x y z or x y z w; a header line can name the columns)"},
        {"1,,2\n", "p.txt:1: empty value in column 2: a coordinate needs a number"},
        {"1,0,New York\n", "p.txt:1: not a number: 'New York' (column 3; a header line naming x and y lets other "
                           "columns hold text)"},
        {"1 two\n", "p.txt:1: not a number: 'two'"},
        {"1 2\n3 --4\n", "p.txt:2: not a number: '--4'"},
        {"1 2\n3 0x10\n", "p.txt:2: not a number: '0x10'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(error_of(c.text, "p.txt"), c.message) << c.text;
    }
    // A long bad value is cut in the message.
    EXPECT_EQ(error_of("1 " + std::string(50, 'z') + "\n", "p.txt"),
              "p.txt:1: not a number: '" + std::string(40, 'z') + "...'");
}

TEST(TextPoints, AHeaderThatNamesTheColumnsPicksThemOut) {
    // A survey export: an id first, a feature code last.
    PointSet survey = read_as("ID,Easting,Northing,Elevation,Code\n"
                              "1,431200.5,5247000.25,210.3,TREE\n"
                              "2,431201,5247002,\"209.5\",FENCE\n",
                              "survey.csv");
    EXPECT_TRUE(same_bits(survey.xy, {431200.5, 5247000.25, 431201, 5247002}));
    ASSERT_EQ(survey.zw.size(), 4u);
    EXPECT_EQ(survey.zw[0], 210.3);
    // Latitude comes first in many files; x is the longitude all the same.
    PointSet places = read_as("name lat lon\nOslo 59.91 10.75\nBergen 60.39 5.32\n", "places.txt");
    EXPECT_TRUE(same_bits(places.xy, {10.75, 59.91, 5.32, 60.39}));
    EXPECT_TRUE(places.zw.empty());
    // Names that say nothing leave the columns in their places.
    PointSet plain = read_as("a b\n1 2\n", "plain.txt");
    EXPECT_TRUE(same_bits(plain.xy, {1, 2}));

    EXPECT_EQ(error_of("id x y\n1 2\n", "p.txt"), "p.txt:2: too few values: 2 (the header puts x in column 2 and y in column 3)");
    EXPECT_EQ(error_of("x,y,x\n1,2,3\n", "p.txt"), "p.txt:1: the header names two columns for the same coordinate: 'x' and 'x'");
    EXPECT_EQ(error_of("id,lat,z\n1,2,3\n", "p.txt"), "p.txt:1: the header names a column for y but none for x");
    EXPECT_EQ(error_of("id x y\n1 2 three\n", "p.txt"), "p.txt:2: not a number: 'three'");
}

TEST(NodePoints, ReadsTrianglesFilesWithEitherNumberingAndIgnoresTheRest) {
    PointSet one_based = read_as(
        "# made by hand\n4 2 1 1\n1 0 0 7.5 1\n2 1 0 7.5 1\n\n3 1.25 1 7.5 0  # inside\n4 0 1 7.5 1\n", "mesh.node");
    EXPECT_TRUE(same_bits(one_based.xy, {0, 0, 1, 0, 1.25, 1, 0, 1}));
    PointSet zero_based = read_as("3\n0 0 0\n1 1 0\n2 0 1\n# trailing\n9 9 9\n", "mesh.node");
    EXPECT_TRUE(same_bits(zero_based.xy, {0, 0, 1, 0, 0, 1}));
    // Small blocks reach every line edge.
    PointSet small_blocks =
        read_as("3 2 0 0\n0 0 0\n1 1 0\n2 0 1\n", "mesh.node", InputFormat::automatic, 2);
    EXPECT_TRUE(same_bits(small_blocks.xy, {0, 0, 1, 0, 0, 1}));
}

TEST(NodePoints, BadFilesAreReportedWithFileLineAndReason) {
    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"", "m.node: empty .node file: the header line is missing"},
        {"three 2 0 0\n", "m.node:1: the header's number of vertices is not a count: 'three'"},
        {"3 3 0 0\n", "m.node:1: dimension 3: only 2-dimensional points can be read"},
        {"2 2 0 0\n1 0 0\n", "m.node: the file ends after 1 of the 2 vertices its header announces"},
        {"2 2 0 0\n5 0 0\n6 1 1\n", "m.node:2: the first vertex is numbered 5 (expected 0 or 1)"},
        {"3 2 0 0\n1 0 0\n3 1 1\n2 1 0\n", "m.node:3: vertex number 3 out of order (expected 2)"},
        {"2 2 0 0\n1 0 0\n2 1\n", "m.node:3: too few values: a vertex line needs its number, x and y"},
        {"2 2 0 0\n1 0 0\n2 1 y\n", "m.node:3: not a number: 'y'"},
        {"1 2 0 0\n1.5 0 0\n", "m.node:2: not a vertex number: '1.5'"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(error_of(c.text, "m.node"), c.message) << c.text;
    }
}

TEST(InputFormat, ComesFromTheNameThenFromTheContent) {
    EXPECT_EQ(d2dcli::input_format_of_path("dir.v2/mesh.node"), InputFormat::node);
    EXPECT_EQ(d2dcli::input_format_of_path("POINTS.CSV"), InputFormat::text);
    EXPECT_EQ(d2dcli::input_format_of_path("points"), InputFormat::automatic);
    EXPECT_EQ(d2dcli::input_format_of_path("a.node/points"), InputFormat::automatic);

    EXPECT_EQ(d2dcli::input_format_of_content("# from triangle\n4 2 0 1\n1 0.5 0.5 1\n"), InputFormat::node);
    EXPECT_EQ(d2dcli::input_format_of_content("3 2 0 0\n0 0 0\n"), InputFormat::node);
    // Looks like a header, but what follows is a plain point.
    EXPECT_EQ(d2dcli::input_format_of_content("3 2 0 0\n1.5 2.5\n"), InputFormat::text);
    EXPECT_EQ(d2dcli::input_format_of_content("3 2\n1 0 0\n"), InputFormat::text);
    EXPECT_EQ(d2dcli::input_format_of_content("x,y\n1,2\n"), InputFormat::text);
    EXPECT_EQ(d2dcli::input_format_of_content(""), InputFormat::text);

    // A .node file under a name that says nothing, and a text file named
    // .node read as text when told so.
    PointSet node = read_as("2 2 0 0\n1 3 4\n2 5 6\n", "stdin-like");
    EXPECT_TRUE(same_bits(node.xy, {3, 4, 5, 6}));
    PointSet text = read_as("2 2 0 0\n1 3 4\n", "odd.node", InputFormat::text);
    EXPECT_TRUE(same_bits(text.xy, {2, 2, 1, 3}));
    EXPECT_TRUE(same_bits(text.zw, {0, 0, 4, 0}));
}

TEST(InputFormat, SegmentsFilesAreToldByTheirExtensionAlone) {
    EXPECT_EQ(d2dcli::input_format_of_path("dir/Box.POLY"), InputFormat::poly);
    EXPECT_EQ(d2dcli::input_format_of_path("lakes.geojson"), InputFormat::geojson);
    EXPECT_TRUE(d2dcli::carries_segments(InputFormat::poly));
    EXPECT_FALSE(d2dcli::carries_segments(InputFormat::node));

    const std::string box = "3 2 0 0\n1 0 0\n2 1 0\n3 0 1\n1 0\n1 1 2\n";
    // The extension outranks --input-format; without one (standard input)
    // the same text is judged by its content: a .node file's start.
    d2dcli::InputRead poly = read_input_as(box, "box.poly", InputFormat::text);
    EXPECT_EQ(poly.format, InputFormat::poly);
    EXPECT_EQ(poly.content.segments, (std::vector<std::uint32_t>{0, 1}));
    d2dcli::InputRead points = read_input_as(box, "standard input");
    EXPECT_EQ(points.format, InputFormat::node);
    EXPECT_EQ(points.content.points.size(), 3u);
    EXPECT_TRUE(points.content.segments.empty());

    d2dcli::InputRead shape = read_input_as(
        "{\"type\": \"Polygon\", \"coordinates\": [[[0, 0], [2, 0], [0, 2], [0, 0]]]}", "shape.geojson");
    EXPECT_EQ(shape.format, InputFormat::geojson);
    EXPECT_EQ(shape.content.segments.size(), 6u);
}

TEST(PolyInput, FieldsAndNumbersReadAsInThePointFiles) {
    // A sign, CSV quotes, semicolons, commas, a comment and the smallest
    // subnormal, each read to the very double the text readers give.
    d2dcli::InputRead poly = read_input_as("3 2 0 0\n"
                                           "1 +1.5 \"-2\"\n"
                                           "2;0.1;3e-5\n"
                                           "3, 1e300, 4.9e-324 # a comment\n"
                                           "1 0\n1 1 2\n",
                                           "m.poly");
    EXPECT_TRUE(same_bits(poly.content.points.xy, {1.5, -2.0, 0.1, 3e-5, 1e300, 4.9e-324}));

    struct Case {
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"2 2 0 0\n1 0 1e400\n", "m.poly:2: y '1e400' is out of range (beyond the largest double, about 1.8e308)"},
        {"2 2 0 0\n1 0 0x10\n", "m.poly:2: y '0x10' is not a number"},
        {"2 2 0 0\n1 1,5 2,5\n",
         "m.poly:2: values separated both by commas and by spaces: decimal commas are not read (write 1.5, not 1,5)"},
        {"2 2 0 0\n1 0 0\n2 1 0\n0\nx\n", "m.poly:5: hole count 'x' is not an integer"},
    };
    for (const Case& c : cases) {
        try {
            read_input_as(c.text, "m.poly");
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const InputError& e) {
            EXPECT_EQ(std::string(e.what()), c.message) << c.text;
        }
    }
}

}  // namespace
