#include "traced/2_trace/range_trace.hpp"

namespace d2d::traced {

void trace_range_recursion(TraceWriter& trace, size_t beg, size_t end) {
    if (end < beg + 4) {
        // A base mesh always holds exactly one triangle record.
        trace.base_mesh_line(1, beg, end);
        return;
    }
    const size_t mid = beg + (end - beg) / 2;
    trace_range_recursion(trace, beg, mid);
    trace_range_recursion(trace, mid, end);
    trace.merge_line(beg, mid, end);
}

}  // namespace d2d::traced
