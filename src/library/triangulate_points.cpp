#include "library/triangulate_points.hpp"

#include <cstdint>
#include <utility>

#include "common/trace_output.hpp"
#include "library/prepared_points.hpp"
#include "library/range_trace.hpp"
#include "mesh/divide_and_conquer.hpp"
#include "mesh/mesh_output.hpp"

namespace d2d {
namespace {

// The trace of one call: the point lines in split order, then the lines of
// the range recursion. The point lines are printed while the triangulation
// starts; the range lines may be formatted meanwhile by the thread that
// finishes its share first. Whatever happens, finish() prints what is
// missing, in order.
class CallTrace {
 public:
    CallTrace(PageBuffer<PlacedPoint>& points, bool enabled)
        : points_(points), count_(points.size()), enabled_(enabled) {}

    // Prints the point lines, then lets the points go: the triangulation
    // works on its own copy of the usable coordinates.
    void print_points() noexcept {
        if (enabled_ && !points_printed_) {
            TraceWriter trace;
            constexpr size_t kAhead = 16;  // the records are scattered over the host's memory
            for (size_t i = 0; i < count_; ++i) {
                if (i + kAhead < count_) __builtin_prefetch(points_[i + kAhead].record);
                trace.point_line(*points_[i].record);
            }
        }
        points_printed_ = true;
        points_.release();
    }

    void format_ranges() noexcept {
        if (enabled_) ranges_.format(0, count_);
    }

    void finish() noexcept {
        print_points();
        if (!enabled_ || ranges_printed_) return;
        TraceWriter trace;
        if (ranges_.formatted()) {
            ranges_.write(trace);
        } else {
            trace_range_recursion(trace, 0, count_);
        }
        ranges_printed_ = true;
    }

 private:
    PageBuffer<PlacedPoint>& points_;
    size_t count_;
    bool enabled_;
    bool points_printed_ = false;
    bool ranges_printed_ = false;
    RangeTraceText ranges_;
};

}  // namespace

Mesh2D* triangulate_points(PageBuffer<PlacedPoint> points, Mesh2D* block, bool resize, bool trace) {
    CallTrace call_trace(points, trace);
    TriangulationResult result;
    PageBuffer<Point3D*> records;
    try {
        PreparedPoints prepared = prepare_points(points);
        if (prepared.size() > kMostPoints) {
            call_trace.finish();
            fatal_stop(kMemberNotEnough);
        }
        result = triangulate_sorted_points(
            prepared.xy.data(), static_cast<uint32_t>(prepared.size()), [&] { call_trace.print_points(); },
            [&] { call_trace.format_ranges(); });
        records = std::move(prepared.records);
    } catch (...) {
        call_trace.finish();
        throw;
    }
    call_trace.finish();
    return write_mesh(result, records, block, resize);
}

}  // namespace d2d
