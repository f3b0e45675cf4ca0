// Whether a point encroaches a segment: lies strictly inside the circle
// whose diameter is the segment (sees it under an angle above 90 degrees).
// Exact: the sign of the dot product (a - p) . (b - p).
#ifndef DELAUNAY2D_OPERATIONS_REFINE_ENCROACHMENT_HPP
#define DELAUNAY2D_OPERATIONS_REFINE_ENCROACHMENT_HPP

namespace d2d::operations::refine {

// True when (px, py) lies strictly inside the diametral circle of a - b.
bool in_diametral_circle(double ax, double ay, double bx, double by, double px, double py);

}  // namespace d2d::operations::refine

#endif
