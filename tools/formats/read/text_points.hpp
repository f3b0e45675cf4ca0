// Points from text: one point a line, as "x y", "x y z" or "x y z w",
// separated by spaces, tabs or commas (CSV). Blank lines and '#' comments are
// skipped. One header line of column names may come before the first point;
// when it names the columns of x and y (see text_columns.hpp), those are
// read and any others skipped. A value written as nan or inf is accepted:
// the point is kept, and the triangulation leaves it out.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"
#include "formats/read/text_columns.hpp"
#include "formats/read/value_fields.hpp"

namespace d2dcli {

// The reader itself, which reads as many points as it is asked at a time,
// so that a text file can be read in passes of a few megabytes as well as
// whole. The header line, when there is one, sets points' ids.name, z_name
// and extra_columns in the call that reads it.
class TextPointReader {
public:
    TextPointReader(LineSource& source, std::string id_column, std::string z_column);
    // Appends up to `most` points of the input to points; false once the
    // input has ended (points may still have been added). Throws
    // InputError as read_text_points does.
    bool read(PointSet& points, std::size_t most);

private:
    LineSource& source_;
    std::string id_column_;
    std::string z_column_;
    ValueFields fields_;
    bool first_content_line_ = true;
    std::optional<TextColumns> columns_;  // set when a header names them
    std::size_t id_at_ = TextColumns::absent;
};

// With id_column, the header must name that column, whose values are kept
// as the points' ids; with z_column, z is that column's values (the names
// z, elevation, height and the like then mean nothing). Throws InputError
// naming the line and what is wrong with it.
PointSet read_text_points(LineSource& source, const std::string& id_column = {},
                          const std::string& z_column = {});

}  // namespace d2dcli
