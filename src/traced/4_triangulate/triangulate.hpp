// Delaunay triangulation of points in split order by divide and conquer.
//
// The points are cut in halves exactly as the range recursion cuts them
// (halves of count / 2 and the rest, base pieces of two or three points),
// and each pair of neighbouring triangulations is merged from the lower
// common tangent up to the upper one, walking the triangles around the two
// ends of the current cross edge. Triangles are records of three vertices
// and three neighbour links; ghost records outside the hull edges let the
// walk pass around hull vertices and along collinear chains. All decisions
// use exact orientation and in-circle tests.
//
// The triangles come out in the order a host sees in the returned mesh (see
// layout_order.hpp).
#ifndef DELAUNAY2D_TRACED_TRIANGULATE_TRIANGULATE_HPP
#define DELAUNAY2D_TRACED_TRIANGULATE_TRIANGULATE_HPP

#include <cstddef>
#include <cstdint>
#include <functional>

#include "engine/system/thread_count.hpp"
#include "traced/4_triangulate/triangulation_result.hpp"

namespace d2d::traced {

// xy holds x0, y0, x1, y1, ... for count distinct finite points, strictly
// increasing in x and, for equal x, strictly decreasing in y. Coordinates
// should be scaled so that the largest magnitude is near 1, which keeps the
// exact predicates clear of overflow and underflow.
//
// Large inputs are triangulated on two threads where `threads` allows: each
// builds one half of the top merge and takes on parts of the other half when
// it is done first. `alongside` runs once on the calling thread before its
// share of the work, while the second thread already works.
TriangulationResult triangulate_sorted_points(const double* xy, uint32_t count, ThreadCount threads,
                                              const std::function<void()>& alongside);

}  // namespace d2d::traced

#endif
