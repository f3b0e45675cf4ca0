// Hot pixels: the box of points that round to a vertex of the crossing
// arrangement (an end of a segment or a rounded crossing).
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_HOT_PIXELS_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_HOT_PIXELS_HPP

namespace d2d::operations::constrained {

// Whether the segment a - b (x, y each) meets the closed box of the points
// whose coordinates round to those of h, decided exactly. A point exactly
// on a box side counts as inside: a segment touching two boxes at their
// common side passes through both.
bool segment_meets_pixel(const double* a, const double* b, const double* h);

}  // namespace d2d::operations::constrained

#endif
