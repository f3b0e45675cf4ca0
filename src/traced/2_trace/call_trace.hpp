// The trace of one entry-point call: the point lines in split order, then
// the lines of the range recursion.
#ifndef DELAUNAY2D_TRACED_TRACE_CALL_TRACE_HPP
#define DELAUNAY2D_TRACED_TRACE_CALL_TRACE_HPP

#include "traced/1_sort/placed_points.hpp"
#include "traced/1_sort/split_order_sort.hpp"
#include "engine/system/page_buffer.hpp"

namespace d2d::traced {

// The calling thread prints the trace (and makes the sort's deferred
// draws, which must come from the thread whose rand() state the host sees)
// while the second thread, if any, already triangulates.
class CallTrace {
 public:
    // `draws` may be null (nothing deferred); with `enabled` unset nothing
    // is printed.
    CallTrace(PageBuffer<PlacedPoint>& points, bool enabled, DeferredDraws* draws)
        : points_(points), enabled_(enabled), draws_(draws) {}

    // Makes the sort's deferred draws and prints the trace unless that is
    // done already (every error path calls this too, so that the lines are
    // complete before any fatal message), then lets the points go: the
    // triangulation works on its own copy of the usable coordinates.
    void print() noexcept;

 private:
    PageBuffer<PlacedPoint>& points_;
    bool enabled_;
    DeferredDraws* draws_;
    bool printed_ = false;
};

}  // namespace d2d::traced

#endif
