#include "library/triangulate_points.hpp"

#include <atomic>
#include <cstdint>
#include <utility>

#include "common/parallel_pair.hpp"
#include "common/trace_output.hpp"
#include "library/prepared_points.hpp"
#include "library/range_trace.hpp"
#include "mesh/divide_and_conquer.hpp"
#include "mesh/mesh_output.hpp"

namespace d2d {
namespace {

// The trace of one call: the point lines in split order, then the lines of
// the range recursion. The calling thread prints the point lines while the
// second thread (if any) formats the range lines into memory; the calling
// thread then writes those, or formats them itself if the second thread has
// not taken them on.
class CallTrace {
 public:
    CallTrace(PageBuffer<PlacedPoint>& points, bool enabled)
        : points_(points), count_(points.size()), enabled_(enabled) {}

    // The second thread's part, before its share of the triangulation.
    void format_ranges_ahead() noexcept {
        int open = kOpen;
        if (!enabled_ || !ranges_state_.compare_exchange_strong(open, kFormatting)) return;
        ranges_.format(0, count_);
        ranges_state_.store(kFormatted, std::memory_order_release);
    }

    // The calling thread's part, also run on every error path (it prints
    // only what is still missing). The points are let go afterwards: the
    // triangulation works on its own copy of the usable coordinates.
    void print() noexcept {
        print_points();
        print_ranges();
    }

 private:
    enum : int { kOpen, kFormatting, kFormatted, kTakenHere };

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

    void print_ranges() noexcept {
        if (!enabled_ || ranges_printed_) return;
        ranges_printed_ = true;
        TraceWriter trace;
        int open = kOpen;
        if (!ranges_state_.compare_exchange_strong(open, kTakenHere)) {
            // The second thread has the lines in hand: a short wait at most.
            while (ranges_state_.load(std::memory_order_acquire) != kFormatted) thread_support::relax();
            if (ranges_.formatted()) {
                ranges_.write(trace);
                return;
            }
        }
        trace_range_recursion(trace, 0, count_);
    }

    PageBuffer<PlacedPoint>& points_;
    size_t count_;
    bool enabled_;
    bool points_printed_ = false;
    bool ranges_printed_ = false;
    std::atomic<int> ranges_state_{kOpen};
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
            call_trace.print();
            fatal_stop(kMemberNotEnough);
        }
        result = triangulate_sorted_points(
            prepared.xy.data(), static_cast<uint32_t>(prepared.size()), [&] { call_trace.print(); },
            [&] { call_trace.format_ranges_ahead(); });
        records = std::move(prepared.records);
    } catch (...) {
        call_trace.print();
        throw;
    }
    return write_mesh(result, records, block, resize);
}

}  // namespace d2d
