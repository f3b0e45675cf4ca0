// Point files as they come from spreadsheets, other programs and mistakes:
// each is either read as the user meant it or refused with a message that
// names the line and says what is wrong, never read as something else.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"

namespace {

using d2dcli::InputFormat;
using d2dcli::PointSet;

// The points of text saved as a file called name, or the reader's message
// (prefixed "error: ") when it refuses them.
struct Reading {
    PointSet points;
    std::string error;
};

Reading read_text_as(const std::string& text, const std::string& name) {
    d2dtest::ScratchFolder folder;
    const std::string path = folder.file(name);
    d2dtest::write_text(path, text);
    int fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_GE(fd, 0);
    d2dcli::LineSource source(fd, name);
    Reading reading;
    try {
        reading.points = d2dcli::read_points(source, InputFormat::automatic);
    } catch (const d2dcli::InputError& e) {
        reading.error = std::string("error: ") + e.what();
    }
    ::close(fd);
    return reading;
}

std::string outcome(const std::string& text, const std::string& name = "p.txt") {
    Reading reading = read_text_as(text, name);
    if (!reading.error.empty()) {
        return reading.error;
    }
    std::string xy;
    for (double v : reading.points.xy) {
        if (!xy.empty()) xy.push_back(' ');
        xy.append(std::to_string(static_cast<long long>(v)));
    }
    return xy;
}

TEST(OddInput, OnlyALineOfNamesIsAHeader) {
    EXPECT_EQ(outcome("x y\n1 2\n"), "1 2");
    EXPECT_EQ(outcome("\"Easting\";\"Northing\"\n1;2\n"), "1 2");
    // Data that is not a number is an error, not a header skipped in silence.
    EXPECT_EQ(outcome("0\xc2\xa0" "0\n1 1\n2 2\n"), "error: p.txt:1: not a number: '0\\xc2\\xa00'");
    EXPECT_EQ(outcome("1st 2nd\n1 2\n"), "error: p.txt:1: not a number: '1st'");
}

TEST(OddInput, BinaryDataIsNamedAsSuch) {
    const std::string binary("\x7f" "ELF\x02\x01\x01\0\0\0 \x03\0>\0\n\0\0", 19);
    for (const std::string& text : {binary, std::string("\0\0\0\0\n", 5), std::string("1 2\n3 \x01\n")}) {
        Reading reading = read_text_as(text, "data.bin");
        EXPECT_NE(reading.error.find(": binary data (a NUL or control byte): not a text file of points"),
                  std::string::npos)
            << reading.error;
        EXPECT_TRUE(reading.points.xy.empty());
    }
}

TEST(OddInput, ANumberBeyondTheLargestDoubleIsAnErrorNamingTheLine) {
    EXPECT_EQ(outcome("0 0\n1e400 2\n"), "error: p.txt:2: number out of range: '1e400' (beyond the largest double, about 1.8e308)");
    EXPECT_EQ(outcome("0 0\n1 -2e308\n"), "error: p.txt:2: number out of range: '-2e308' (beyond the largest double, about 1.8e308)");
    EXPECT_EQ(outcome("2 2 0 0\n1 0 0\n2 1e999 1\n", "p.node"),
              "error: p.node:3: number out of range: '1e999' (beyond the largest double, about 1.8e308)");
    // Infinity by name is a value, and a number below the smallest
    // subnormal rounds to zero like any other decimal rounds.
    Reading named = read_text_as("inf 1\n1e-400 2\n", "p.txt");
    ASSERT_EQ(named.error, "");
    EXPECT_EQ(named.points.xy, (std::vector<double>{HUGE_VAL, 1, 0, 2}));
}

TEST(OddInput, AByteOrderMarkIsSkipped) {
    EXPECT_EQ(outcome("\xEF\xBB\xBFx,y\n1,2\n", "p.csv"), "1 2");
    EXPECT_EQ(outcome("\xEF\xBB\xBF" "3 4\n"), "3 4");
    EXPECT_EQ(outcome("\xEF\xBB\xBF" "2 2 0 0\n1 5 6\n2 7 8\n", "p.node"), "5 6 7 8");
}

TEST(OddInput, AHeaderNamesColumnsBeyondTheSixteenth) {
    std::string header;
    std::string row;
    for (int i = 1; i <= 20; ++i) {
        header.append("c").append(std::to_string(i)).append(",");
        row += std::to_string(i) + ",";
    }
    EXPECT_EQ(outcome(header + "x,y\n" + row + "5,6\n", "p.csv"), "5 6");
}

TEST(OddInput, FieldsInMessagesShowControlBytesAsText) {
    const std::string message = outcome("1 2\n3 \x1b[31mred\xff\n");
    EXPECT_EQ(message, "error: p.txt:2: binary data (a NUL or control byte): not a text file of points");
    EXPECT_EQ(outcome("1 2\n3 red\xff\\\n"), "error: p.txt:2: not a number: 'red\\xff\\x5c'");
}

TEST(OddInput, SemicolonsSeparateValuesAndDecimalCommasAreRefused) {
    EXPECT_EQ(outcome("1;2\n3 ; 4\n", "p.csv"), "1 2 3 4");
    const std::string decimal_comma = "decimal commas are not read (write 1.5, not 1,5)";
    EXPECT_EQ(outcome("x;y\n1,5;2,5\n", "p.csv"),
              "error: p.csv:2: a comma inside a value of a semicolon-separated line: " + decimal_comma);
    EXPECT_EQ(outcome("1,5 2,5\n"), "error: p.txt:1: values separated both by commas and by spaces: " + decimal_comma);
    // Commas between values, with or without spaces, are CSV as before.
    EXPECT_EQ(outcome("1,2\n3, 4\n5 ,6\n"), "1 2 3 4 5 6");
}

}  // namespace
