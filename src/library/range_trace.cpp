#include "library/range_trace.hpp"

#include <new>

namespace d2d {
namespace {

// The recursion itself, over any target with the two line operations.
template <class Lines>
void each_range_line(Lines& lines, size_t beg, size_t end) {
    if (end < beg + 4) {
        // A base mesh always holds exactly one triangle record.
        lines.base_mesh_line(1, beg, end);
        return;
    }
    const size_t mid = beg + (end - beg) / 2;
    each_range_line(lines, beg, mid);
    each_range_line(lines, mid, end);
    lines.merge_line(beg, mid, end);
}

// Appends lines to a block sized for all of them in advance.
struct TextLines {
    char* out;
    void base_mesh_line(size_t length, size_t beg, size_t end) { out = put_base_mesh_line(out, length, beg, end); }
    void merge_line(size_t beg, size_t pivot, size_t end) { out = put_merge_line(out, beg, pivot, end); }
};

}  // namespace

void trace_range_recursion(TraceWriter& trace, size_t beg, size_t end) {
    each_range_line(trace, beg, end);
}

bool RangeTraceText::format(size_t beg, size_t end) noexcept {
    // Every base range holds two points or more (one at least when the
    // whole range is shorter), and there is one merge less than bases: at
    // most one line per point.
    const size_t points = end > beg ? end - beg : 0;
    try {
        text_.resize((points > 0 ? points : 1) * kMaxRangeLine);
    } catch (const std::bad_alloc&) {
        return false;
    }
    TextLines lines{text_.data()};
    each_range_line(lines, beg, end);
    text_.resize(static_cast<size_t>(lines.out - text_.data()));
    formatted_ = true;
    return true;
}

}  // namespace d2d
