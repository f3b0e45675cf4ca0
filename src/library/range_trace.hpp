// The trace lines of the range recursion.
#ifndef DELAUNAY2D_LIBRARY_RANGE_TRACE_HPP
#define DELAUNAY2D_LIBRARY_RANGE_TRACE_HPP

#include <cstddef>

#include "common/page_buffer.hpp"
#include "common/trace_output.hpp"

namespace d2d {

// Writes the base-mesh and merge lines of the range beg .. end - 1 in the
// order the recursion produces them: a range of three points or fewer is a
// base mesh; a larger one is cut at (beg + end) / 2, its left half comes
// first, then its right half, then the merge of the two. The lines depend
// only on the range, never on the points' coordinates.
void trace_range_recursion(TraceWriter& trace, size_t beg, size_t end);

// The same lines formatted ahead into memory (on any thread), to be written
// later through a trace writer.
class RangeTraceText {
 public:
    // Formats the lines of beg .. end - 1; false, keeping nothing, when the
    // memory for them is not available.
    bool format(size_t beg, size_t end) noexcept;
    bool formatted() const { return formatted_; }
    // Writes the lines through `trace` and lets their memory go.
    void write(TraceWriter& trace) noexcept {
        trace.lines(text_.data(), text_.size());
        text_.release();
    }

 private:
    PageBuffer<char> text_;
    bool formatted_ = false;
};

}  // namespace d2d

#endif
