// Points from text: one point a line, as "x y", "x y z" or "x y z w",
// separated by spaces, tabs or commas (CSV). Blank lines and '#' comments are
// skipped. One header line of column names may come before the first point;
// when it names the columns of x and y (see text_columns.hpp), those are
// read and any others skipped. A value written as nan or inf is accepted:
// the point is kept, and the triangulation leaves it out.
#pragma once

#include <functional>
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

// One point of a text file as it is read: x, y, and z and w (null when the
// line gave neither).
using TextPoint = std::function<void(double x, double y, const double* zw)>;

// The same reading, handing each point over as it comes instead of keeping
// it, so that a file larger than memory can be read in passes. What the
// header says (the ids, z's name, how many of z and w are columns) goes to
// info; its xy and zw stay empty.
void scan_text_points(LineSource& source, const std::string& id_column, const std::string& z_column,
                      PointSet& info, const TextPoint& point);

}  // namespace d2dcli
