// Points from a .node file as Triangle writes and reads them: a header
// "<vertices> [<dimension> [<attributes> [<markers>]]]", then one line per
// vertex, "<number> <x> <y> [attributes] [marker]". Numbering starts at 0 or
// 1, as the first vertex says; attributes, markers and anything after the
// last vertex are ignored; '#' starts a comment.
#pragma once

#include "formats/read/line_source.hpp"
#include "formats/read/point_set.hpp"

namespace d2dcli {

// Throws InputError naming the line and what is wrong with it.
PointSet read_node_points(LineSource& source);

}  // namespace d2dcli
