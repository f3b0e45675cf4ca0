#include "formats/read/node_points.hpp"

#include <cstdint>
#include <string>

#include "formats/read/input_error.hpp"
#include "formats/read/value_fields.hpp"

namespace d2dcli {

namespace {

// Reads the next line that holds values; false at the end of the input.
bool next_content_line(LineSource& source, ValueFields& fields) {
    std::string_view line;
    while (source.next_line(line)) {
        if (source.line_number() == 1) {
            line = without_byte_order_mark(line);
        }
        if (const char* problem = split_fields(line, fields); problem != nullptr) {
            throw_input_error(source.name(), source.line_number(), problem);
        }
        if (fields.count > 0) {
            return true;
        }
    }
    return false;
}

std::int64_t header_value(LineSource& source, const ValueFields& fields, std::size_t i, const char* what) {
    std::int64_t value = 0;
    if (!parse_integer(fields.field[i], value) || value < 0) {
        throw_input_error(source.name(), source.line_number(),
                          std::string("the header's ") + what + " is not a count: " + quoted(fields.field[i]));
    }
    return value;
}

}  // namespace

PointSet read_node_points(LineSource& source) {
    PointSet points;
    ValueFields fields;
    if (!next_content_line(source, fields)) {
        throw InputError(source.name() + ": empty .node file: the header line is missing");
    }
    const std::int64_t count = header_value(source, fields, 0, "number of vertices");
    if (fields.count > 1) {
        std::int64_t dimension = header_value(source, fields, 1, "dimension");
        if (dimension != 2) {
            throw_input_error(source.name(), source.line_number(),
                              "dimension " + std::to_string(dimension) + ": only 2-dimensional points can be read");
        }
    }
    std::int64_t attributes = 0;
    for (std::size_t i = 2; i < fields.count && i < 4; ++i) {
        const std::int64_t value = header_value(source, fields, i, i == 2 ? "number of attributes" : "number of markers");
        attributes = i == 2 ? value : attributes;
    }
    // The first attribute is z and the second w, as the program writes them.
    const std::size_t kept = static_cast<std::size_t>(attributes < 2 ? attributes : 2);
    points.extra_columns = static_cast<int>(kept);
    points.xy.reserve(2 * static_cast<std::size_t>(count < (1 << 26) ? count : (1 << 26)));

    std::int64_t first_number = 0;
    for (std::int64_t i = 0; i < count; ++i) {
        if (!next_content_line(source, fields)) {
            throw InputError(source.name() + ": the file ends after " + std::to_string(i) + " of the " +
                             std::to_string(count) + " vertices its header announces");
        }
        if (fields.count < 3) {
            throw_input_error(source.name(), source.line_number(),
                              "too few values: a vertex line needs its number, x and y");
        }
        std::int64_t number = 0;
        if (!parse_integer(fields.field[0], number)) {
            throw_input_error(source.name(), source.line_number(),
                              "not a vertex number: " + quoted(fields.field[0]));
        }
        if (i == 0) {
            if (number != 0 && number != 1) {
                throw_input_error(source.name(), source.line_number(),
                                  "the first vertex is numbered " + std::to_string(number) + " (expected 0 or 1)");
            }
            first_number = number;
        } else if (number != first_number + i) {
            throw_input_error(source.name(), source.line_number(),
                              "vertex number " + std::to_string(number) + " out of order (expected " +
                                  std::to_string(first_number + i) + ")");
        }
        if (fields.count < 3 + kept) {
            throw_input_error(source.name(), source.line_number(),
                              "too few values: the header announces " + std::to_string(attributes) + " attributes");
        }
        double value[4] = {0.0, 0.0, 0.0, 0.0};
        for (std::size_t k = 1; k < 3 + kept; ++k) {
            switch (read_number(fields.field[k], value[k - 1])) {
                case NumberRead::ok:
                    break;
                case NumberRead::out_of_range:
                    throw_input_error(source.name(), source.line_number(),
                                      "number out of range: " + quoted(fields.field[k]) +
                                          " (beyond the largest double, about 1.8e308)");
                case NumberRead::not_a_number:
                    throw_input_error(source.name(), source.line_number(),
                                      "not a number: " + quoted(fields.field[k]));
            }
        }
        points.xy.push_back(value[0]);
        points.xy.push_back(value[1]);
        if (kept > 0) {
            points.zw.push_back(value[2]);
            points.zw.push_back(value[3]);
        }
    }
    return points;
}

}  // namespace d2dcli
