// Points from text: one point a line, as "x y", "x y z" or "x y z w",
// separated by spaces, tabs or commas (CSV). Blank lines and '#' comments are
// skipped. One header line of column names may come before the first point;
// when it names the columns of x and y (see text_columns.hpp), those are
// read and any others skipped. A value written as nan or inf is accepted:
// the point is kept, and the triangulation leaves it out.
#pragma once

#include <string>

#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

// With id_column, the header must name that column, whose values are kept
// as the points' ids; with z_column, z is that column's values (the names
// z, elevation, height and the like then mean nothing). Throws InputError
// naming the line and what is wrong with it.
PointSet read_text_points(LineSource& source, const std::string& id_column = {},
                          const std::string& z_column = {});

}  // namespace d2dcli
