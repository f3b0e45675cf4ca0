// Point files as they come from spreadsheets, other programs and mistakes:
// each is either read as the user meant it or refused with a message that
// names the line and says what is wrong, never read as something else.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "cli/scratch_folder.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/input_format.hpp"
#include "formats/read/line_source.hpp"
#include "formats/output/printable_text.hpp"

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

// The one rule by which messages show text they did not write: what a
// terminal would act on or hide is \xHH, what draws is itself, and the
// rule applied twice changes nothing (the program applies it when it
// prints a message that may hold fields already quoted).
TEST(PrintableText, EscapesWhatATerminalActsOnAndKeepsWhatDraws) {
    using d2dcli::printable;
    EXPECT_EQ(printable("\x1b]0;title\x07"), "\\x1b]0;title\\x07");
    EXPECT_EQ(printable("a\tb\nc\x7f"), "a\\x09b\\x0ac\\x7f");
    EXPECT_EQ(printable("donn\xc3\xa9" "es \xe2\x82\xac \xf0\x9f\x97\xba"), "donn\xc3\xa9" "es \xe2\x82\xac \xf0\x9f\x97\xba");
    const std::vector<std::pair<std::string, std::string>> escaped = {
        {"\xc2\x9b", "\\xc2\\x9b"},                  // C1 CSI as UTF-8
        {"\x9b", "\\x9b"},                          // C1 CSI as a raw byte
        {"\xc0\xaf", "\\xc0\\xaf"},                  // overlong '/'
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},          // a surrogate
        {"\xe2\x80\xae", "\\xe2\\x80\\xae"},          // right-to-left override
        {"\xef\xbb\xbf", "\\xef\\xbb\\xbf"},          // byte-order mark
        {"\xe2\x82", "\\xe2\\x82"},                  // a cut sequence
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},  // beyond U+10FFFF
    };
    for (const auto& [text, shown] : escaped) {
        EXPECT_EQ(printable(text), shown);
    }
    std::string every_byte;
    for (int b = 0; b < 256; ++b) every_byte += static_cast<char>(b);
    const std::string once = printable(every_byte + "\xc2\x9b\xe2\x80\xae\\x1b");
    EXPECT_EQ(printable(once), once);
    EXPECT_EQ(d2dcli::quoted("a\\b\x1b"), "'a\\x5cb\\x1b'");
    EXPECT_EQ(printable(d2dcli::quoted("a\\b\x1b")), d2dcli::quoted("a\\b\x1b"));
}

}  // namespace
