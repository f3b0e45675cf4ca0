#include "traced/2_trace/call_trace.hpp"

#include "traced/2_trace/range_trace.hpp"
#include "blocks/common/trace_output.hpp"

namespace d2d::traced {

void CallTrace::print() noexcept {
    if (printed_) return;
    printed_ = true;
    if (draws_ != nullptr) draws_->make();
    if (enabled_) {
        const size_t n = points_.size();
        TraceWriter trace;
        constexpr size_t kAhead = 16;  // the records are scattered over the host's memory
        for (size_t i = 0; i < n; ++i) {
            if (i + kAhead < n) __builtin_prefetch(points_[i + kAhead].record);
            trace.point_line(*points_[i].record);
        }
        trace_range_recursion(trace, 0, n);
    }
    points_.release();
}

}  // namespace d2d::traced
