// The trace lines of the range recursion.
#ifndef DELAUNAY2D_TRACED_TRACE_RANGE_TRACE_HPP
#define DELAUNAY2D_TRACED_TRACE_RANGE_TRACE_HPP

#include <cstddef>

#include "blocks/common/trace_output.hpp"

namespace d2d::traced {

// Writes the base-mesh and merge lines of the range beg .. end - 1 in the
// order the recursion produces them: a range of three points or fewer is a
// base mesh; a larger one is cut at (beg + end) / 2, its left half comes
// first, then its right half, then the merge of the two. The lines depend
// only on the range, never on the points' coordinates.
void trace_range_recursion(TraceWriter& trace, size_t beg, size_t end);

}  // namespace d2d::traced

#endif
