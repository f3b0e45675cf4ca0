// Triangle's .poly files, read for their points, segments and holes. A
// line's fields and numbers are read as in the point files
// (value_fields.hpp): the same separators and comments, and numbers that
// read the same whatever the locale.
#include <cstdint>
#include <string>
#include <string_view>

#include "formats/read/constrained_input.hpp"
#include "formats/read/input_error.hpp"
#include "formats/read/value_fields.hpp"

namespace d2dcli {
namespace {

class PolyReader {
 public:
    explicit PolyReader(LineSource& source) : source_(source) {}

    // Reads the next line with fields into fields(); throws at the end of
    // the input.
    void line(const char* what) {
        if (!maybe_line()) throw InputError(source_.name() + ": ends before " + what);
    }
    // Reads the next line with fields into fields(), or returns false at the end.
    bool maybe_line() {
        std::string_view text;
        while (source_.next_line(text)) {
            if (const char* problem = split_fields(text, fields_)) fail(problem);
            if (fields_.count > 0) return true;
        }
        return false;
    }
    const ValueFields& fields() const { return fields_; }

    long long integer(std::string_view field, const char* what) const {
        std::int64_t value = 0;
        if (!parse_integer(field, value)) fail(std::string(what) + " " + quoted(field) + " is not an integer");
        return value;
    }
    double number(std::string_view field, const char* what) const {
        double value = 0.0;
        switch (read_number(field, value)) {
            case NumberRead::ok:
                return value;
            case NumberRead::out_of_range:
                fail(std::string(what) + " " + quoted(field) + " is out of range (beyond the largest double, about 1.8e308)");
            case NumberRead::not_a_number:
                break;
        }
        fail(std::string(what) + " " + quoted(field) + " is not a number");
    }
    [[noreturn]] void fail(const std::string& what) const {
        throw_input_error(source_.name(), source_.line_number(), what);
    }

 private:
    LineSource& source_;
    ValueFields fields_;
};

}  // namespace

ConstrainedInput read_poly(LineSource& source) {
    PolyReader reader(source);
    ConstrainedInput input;
    const ValueFields& f = reader.fields();
    reader.line("the node header");
    const long long count = reader.integer(f.field[0], "vertex count");
    if (count < 0) reader.fail("negative vertex count");
    if (count == 0) reader.fail("the points are in a separate .node file, which this reader does not follow; put them in the .poly");
    if (f.count > 1 && reader.integer(f.field[1], "dimension") != 2) reader.fail("dimension must be 2");
    // Attributes: the first is z, the second w (the program's .node files
    // write them so); more are read past.
    const long long attributes = f.count > 2 ? reader.integer(f.field[2], "attribute count") : 0;
    if (attributes < 0) reader.fail("negative attribute count");
    const std::size_t kept = static_cast<std::size_t>(attributes < 2 ? attributes : 2);
    input.points.extra_columns = static_cast<int>(kept);
    long long first = 0;
    for (long long k = 0; k < count; ++k) {
        reader.line("all vertices are read");
        if (f.count < 3) reader.fail("a vertex needs a number, x and y");
        const long long number = reader.integer(f.field[0], "vertex number");
        if (k == 0) {
            if (number != 0 && number != 1) reader.fail("vertices are numbered from 0 or 1");
            first = number;
        }
        if (number != first + k) reader.fail("vertex number " + std::to_string(number) + " out of order");
        input.points.xy.push_back(reader.number(f.field[1], "x"));
        input.points.xy.push_back(reader.number(f.field[2], "y"));
        if (kept > 0) {
            if (f.count < 3 + kept) reader.fail("a vertex needs its " + std::to_string(attributes) + " attributes");
            input.points.zw.push_back(reader.number(f.field[3], "z (the first attribute)"));
            input.points.zw.push_back(kept > 1 ? reader.number(f.field[4], "w (the second attribute)") : 0.0);
        }
    }
    reader.line("the segment header");
    const long long segments = reader.integer(f.field[0], "segment count");
    if (segments < 0) reader.fail("negative segment count");
    for (long long k = 0; k < segments; ++k) {
        reader.line("all segments are read");
        if (f.count < 3) reader.fail("a segment needs a number and two endpoints");
        for (int end = 1; end <= 2; ++end) {
            const long long v = reader.integer(f.field[static_cast<std::size_t>(end)], "endpoint") - first;
            if (v < 0 || v >= count) reader.fail("segment endpoint " + std::string(f.field[static_cast<std::size_t>(end)]) + " names no vertex");
            input.segments.push_back(static_cast<std::uint32_t>(v));
        }
    }
    if (!reader.maybe_line()) return input;  // the hole section is optional
    const long long holes = reader.integer(f.field[0], "hole count");
    if (holes < 0) reader.fail("negative hole count");
    for (long long k = 0; k < holes; ++k) {
        reader.line("all holes are read");
        if (f.count < 3) reader.fail("a hole needs a number, x and y");
        input.holes.push_back(reader.number(f.field[1], "hole x"));
        input.holes.push_back(reader.number(f.field[2], "hole y"));
    }
    return input;  // a regional attribute section, if any, is not needed
}

}  // namespace d2dcli
