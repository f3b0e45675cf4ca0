// The triangulation behind the entry points, from points in split order to
// the finished mesh block.
#ifndef DELAUNAY2D_TRACED_TRACED_CALL_HPP
#define DELAUNAY2D_TRACED_TRACED_CALL_HPP

#include <cstddef>

#include "delaunay2d.h"
#include "traced/3_prepare/prepared_points.hpp"
#include "traced/1_sort/split_order_sort.hpp"

namespace d2d::traced {

// Triangulates the points, which are in split order, into `block`
// (null: a new block). The block is resized to the exact count of triangles
// when `resize` is set; otherwise it must have room for one triangle, which
// is all that three points or fewer can give. Returns the block, possibly
// moved.
//
// With `trace` set, the points' trace lines and the range recursion's lines
// are printed on the calling thread, complete before the call returns and
// before any fatal message; the triangulation may already run alongside.
// Without it nothing is printed. The sort's deferred `draws` (if any) are
// made on the calling thread meanwhile as well. The work runs on `threads`.
Mesh2D* triangulate_points(PageBuffer<PlacedPoint> points, Mesh2D* block, bool resize, bool trace,
                           ThreadCount threads, DeferredDraws* draws = nullptr);

}  // namespace d2d::traced

#endif
