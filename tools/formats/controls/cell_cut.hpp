// A convex cell cut to the --clip polygon: the parts of the cell that lie
// inside it by the even-odd rule, each an outer ring with its holes, as
// valid polygons (a hole that the cell's border crosses becomes a notch of
// the outer ring, not a hole touching it).
//
// The boundary of (cell AND polygon) is made of two kinds of pieces:
//
//      +-----------x======+      = the cell's sides, split where polygon
//      |   cell    :      |        edges cross them, where they lie inside
//      |           :      |      : the polygon's edges, cut to the cell
//      +-----------x======+
//
// Every crossing point is computed once and shared by the two pieces that
// end there, so the pieces chain into closed rings by equal coordinates.
// The rings are then sorted by nesting: even depth outer, odd depth holes.
#pragma once

#include <vector>

#include "formats/controls/clip_polygon.hpp"

namespace d2dcli {

using Ring = std::vector<double>;  // x, y pairs, first vertex not repeated
using RingPart = std::vector<Ring>;  // the outer ring (counter-clockwise), then holes (clockwise)

// cell: convex, counter-clockwise.
std::vector<RingPart> cut_cell_to_polygon(const Ring& cell, const ClipPolygon& clip);

// The shoelace area, positive counter-clockwise.
double signed_area(const Ring& ring);

}  // namespace d2dcli
