#include "formats/read/text_points.hpp"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <optional>
#include <string>
#include <utility>

#include "formats/read/input_error.hpp"
#include "formats/read/text_columns.hpp"
#include "formats/read/value_fields.hpp"

namespace d2dcli {

namespace {

// A header line holds names only: no field reads as a number, and each
// starts as a word does (a letter, an underscore or a quote), which
// "0\xc2\xa00" (a non-breaking space between two zeros) and binary data do
// not.
bool all_names(const ValueFields& fields) {
    double ignored = 0.0;
    for (std::size_t i = 0; i < fields.count; ++i) {
        const std::string_view field = fields.field[i];
        if (field.empty()) {
            continue;  // an unnamed column ("x,y,,name")
        }
        const auto first = static_cast<unsigned char>(field[0]);
        const bool word_start = std::isalpha(first) != 0 || first == '_' || first == '"' || first == '\'';
        if (!word_start || has_control_byte(field) || parse_double(field, ignored)) {
            return false;
        }
    }
    return true;
}

[[noreturn]] void refuse_binary(const LineSource& source) {
    throw_input_error(source.name(), source.line_number(),
                      "binary data (a NUL or control byte): not a text file of points");
}

// Reads the value in column i of a line; reports it when it is no number.
double value_at(const LineSource& source, const ValueFields& fields, std::size_t i) {
    double value = 0.0;
    switch (read_number(fields.field[i], value)) {
        case NumberRead::ok:
            return value;
        case NumberRead::out_of_range:
            throw_input_error(source.name(), source.line_number(),
                              "number out of range: " + quoted(fields.field[i]) +
                                  " (beyond the largest double, about 1.8e308)");
        case NumberRead::not_a_number:
            break;
    }
    if (has_control_byte(fields.field[i])) {
        refuse_binary(source);
    }
    if (fields.field[i].empty()) {
        throw_input_error(source.name(), source.line_number(),
                          "empty value in column " + std::to_string(i + 1) + ": a coordinate needs a number");
    }
    if (fields.field[i].find_first_of(" \t") != std::string_view::npos) {
        // Words with blanks between them where a number was expected: a
        // column of names ("New York") in a file without a header.
        throw_input_error(source.name(), source.line_number(),
                          "not a number: " + quoted(fields.field[i]) + " (column " + std::to_string(i + 1) +
                              "; a header line naming x and y lets other columns hold text)");
    }
    throw_input_error(source.name(), source.line_number(), "not a number: " + quoted(fields.field[i]));
}

void add_zw(PointSet& points, double z, double w) {
    if (points.zw.empty()) {
        points.zw.assign(points.xy.size() - 2, 0.0);  // earlier points had z = w = 0
    }
    points.zw.push_back(z);
    points.zw.push_back(w);
}

}  // namespace

void scan_text_points(LineSource& source, const std::string& id_column, const std::string& z_column,
                      PointSet& points, const TextPoint& point) {
    ValueFields fields;
    bool first_content_line = true;
    std::optional<TextColumns> columns;  // set when a header names them
    std::size_t id_at = TextColumns::absent;
    std::string_view line;
    while (source.next_line(line)) {
        if (source.line_number() == 1) {
            line = without_byte_order_mark(line);
        }
        if (const char* problem = split_fields(line, fields); problem != nullptr) {
            if (has_control_byte(line)) {
                refuse_binary(source);
            }
            throw_input_error(source.name(), source.line_number(), problem);
        }
        if (fields.count == 0) {
            continue;
        }
        // Column names ("x,y,z", "id easting northing") may head the data once.
        if (first_content_line && all_names(fields)) {
            first_content_line = false;
            std::string problem;
            columns = columns_named_by(fields, problem, z_column);
            if (!problem.empty()) {
                throw_input_error(source.name(), source.line_number(), problem);
            }
            if (!id_column.empty()) {
                id_at = column_named(fields, id_column);
                if (id_at == TextColumns::absent) {
                    throw_input_error(source.name(), source.line_number(),
                                      "the header has no column " + quoted(id_column) + " (--id-column)");
                }
                points.ids.name = id_column;
            }
            if (columns && columns->z != TextColumns::absent) {
                points.z_name = unquoted(fields.field[columns->z]);
            }
            if (columns) {
                points.extra_columns = columns->w != TextColumns::absent ? 2 : columns->z != TextColumns::absent;
            }
            continue;
        }
        for (const auto& [option, name] : {std::pair{"--id-column ", &id_column}, std::pair{"--z-column ", &z_column}}) {
            if (first_content_line && !name->empty()) {
                throw_input_error(source.name(), source.line_number(),
                                  option + quoted(*name) + " needs a header line that names the columns");
            }
        }
        first_content_line = false;
        if (id_at != TextColumns::absent) {
            if (fields.count <= id_at) {
                throw_input_error(source.name(), source.line_number(),
                                  "too few values: no " + quoted(id_column) + " (column " +
                                      std::to_string(id_at + 1) + ")");
            }
            points.ids.add(unquoted(fields.field[id_at]));
        }

        if (columns) {
            if (fields.count < columns->needed()) {
                throw_input_error(source.name(), source.line_number(),
                                  "too few values: " + std::to_string(fields.count) + " (the header puts " +
                                      columns->describe() + ")");
            }
            const double x = value_at(source, fields, columns->x);
            const double y = value_at(source, fields, columns->y);
            if (columns->z != TextColumns::absent || columns->w != TextColumns::absent) {
                const double zw[2] = {
                    columns->z == TextColumns::absent ? 0.0 : value_at(source, fields, columns->z),
                    columns->w == TextColumns::absent ? 0.0 : value_at(source, fields, columns->w)};
                point(x, y, zw);
            } else {
                point(x, y, nullptr);
            }
            continue;
        }
        if (fields.count < 2) {
            value_at(source, fields, 0);  // what is not a number is the first thing to say
            throw_input_error(source.name(), source.line_number(), "too few values: a point needs x and y");
        }
        if (fields.count > 4) {
            throw_input_error(source.name(), source.line_number(),
                              "too many values: " + std::to_string(fields.count) +
                                  " (a point is x y, x y z or x y z w; a header line can name the columns)");
        }
        double value[4] = {0.0, 0.0, 0.0, 0.0};
        for (std::size_t i = 0; i < fields.count; ++i) {
            value[i] = value_at(source, fields, i);
        }
        if (fields.count > 2) {
            points.extra_columns = std::max(points.extra_columns, static_cast<int>(fields.count) - 2);
            point(value[0], value[1], value + 2);
        } else {
            point(value[0], value[1], nullptr);
        }
    }
}

PointSet read_text_points(LineSource& source, const std::string& id_column, const std::string& z_column) {
    PointSet points;
    // Room for the points that a file of this size likely holds (a line of
    // a survey or of full-precision doubles takes 20 to 40 bytes), so that
    // the array is not copied over and over as it grows.
    points.xy.reserve(static_cast<std::size_t>(source.total_size() / 24 * 2));
    scan_text_points(source, id_column, z_column, points, [&points](double x, double y, const double* zw) {
        points.xy.push_back(x);
        points.xy.push_back(y);
        // A line without z after lines with it has z = w = 0.
        if (zw != nullptr || !points.zw.empty()) {
            add_zw(points, zw != nullptr ? zw[0] : 0.0, zw != nullptr ? zw[1] : 0.0);
        }
    });
    return points;
}

}  // namespace d2dcli
