#include "formats/read/text_points.hpp"

#include <algorithm>
#include <cctype>
#include <iterator>
#include <limits>
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

TextPointReader::TextPointReader(LineSource& source, std::string id_column, std::string z_column)
    : source_(source), id_column_(std::move(id_column)), z_column_(std::move(z_column)) {}

bool TextPointReader::read(PointSet& points, std::size_t most) {
    const std::size_t start = points.size();
    std::string_view line;
    // Each turn takes one line of the input; the input's end or `most`
    // points read end the loop.
    while (points.size() - start < most && source_.next_line(line)) {
        if (source_.line_number() == 1) {
            line = without_byte_order_mark(line);
        }
        if (const char* problem = split_fields(line, fields_); problem != nullptr) {
            if (has_control_byte(line)) {
                refuse_binary(source_);
            }
            throw_input_error(source_.name(), source_.line_number(), problem);
        }
        if (fields_.count == 0) {
            continue;
        }
        // Column names ("x,y,z", "id easting northing") may head the data once.
        if (first_content_line_ && all_names(fields_)) {
            first_content_line_ = false;
            std::string problem;
            columns_ = columns_named_by(fields_, problem, z_column_);
            if (!problem.empty()) {
                throw_input_error(source_.name(), source_.line_number(), problem);
            }
            if (!id_column_.empty()) {
                id_at_ = column_named(fields_, id_column_);
                if (id_at_ == TextColumns::absent) {
                    throw_input_error(source_.name(), source_.line_number(),
                                      "the header has no column " + quoted(id_column_) + " (--id-column)");
                }
                points.ids.name = id_column_;
            }
            if (columns_ && columns_->z != TextColumns::absent) {
                points.z_name = unquoted(fields_.field[columns_->z]);
            }
            if (columns_) {
                points.extra_columns = columns_->w != TextColumns::absent ? 2 : columns_->z != TextColumns::absent;
            }
            continue;
        }
        for (const auto& [option, name] :
             {std::pair{"--id-column ", &id_column_}, std::pair{"--z-column ", &z_column_}}) {
            if (first_content_line_ && !name->empty()) {
                throw_input_error(source_.name(), source_.line_number(),
                                  option + quoted(*name) + " needs a header line that names the columns");
            }
        }
        first_content_line_ = false;
        if (id_at_ != TextColumns::absent) {
            if (fields_.count <= id_at_) {
                throw_input_error(source_.name(), source_.line_number(),
                                  "too few values: no " + quoted(id_column_) + " (column " +
                                      std::to_string(id_at_ + 1) + ")");
            }
            points.ids.add(unquoted(fields_.field[id_at_]));
        }

        if (columns_) {
            if (fields_.count < columns_->needed()) {
                throw_input_error(source_.name(), source_.line_number(),
                                  "too few values: " + std::to_string(fields_.count) + " (the header puts " +
                                      columns_->describe() + ")");
            }
            points.xy.push_back(value_at(source_, fields_, columns_->x));
            points.xy.push_back(value_at(source_, fields_, columns_->y));
            if (columns_->z != TextColumns::absent || columns_->w != TextColumns::absent) {
                add_zw(points, columns_->z == TextColumns::absent ? 0.0 : value_at(source_, fields_, columns_->z),
                       columns_->w == TextColumns::absent ? 0.0 : value_at(source_, fields_, columns_->w));
            }
            continue;
        }
        if (fields_.count < 2) {
            value_at(source_, fields_, 0);  // what is not a number is the first thing to say
            throw_input_error(source_.name(), source_.line_number(), "too few values: a point needs x and y");
        }
        if (fields_.count > 4) {
            throw_input_error(source_.name(), source_.line_number(),
                              "too many values: " + std::to_string(fields_.count) +
                                  " (a point is x y, x y z or x y z w; a header line can name the columns)");
        }
        double value[4] = {0.0, 0.0, 0.0, 0.0};
        for (std::size_t i = 0; i < fields_.count; ++i) {
            value[i] = value_at(source_, fields_, i);
        }
        points.xy.push_back(value[0]);
        points.xy.push_back(value[1]);
        if (fields_.count > 2 || !points.zw.empty()) {
            add_zw(points, value[2], value[3]);
            points.extra_columns = std::max(points.extra_columns, static_cast<int>(fields_.count) - 2);
        }
    }
    return points.size() - start == most;
}

PointSet read_text_points(LineSource& source, const std::string& id_column, const std::string& z_column) {
    PointSet points;
    // Room for the points that a file of this size likely holds (a line of
    // a survey or of full-precision doubles takes 20 to 40 bytes), so that
    // the array is not copied over and over as it grows.
    points.xy.reserve(static_cast<std::size_t>(source.total_size() / 24 * 2));
    TextPointReader reader(source, id_column, z_column);
    reader.read(points, std::numeric_limits<std::size_t>::max());
    return points;
}

}  // namespace d2dcli
