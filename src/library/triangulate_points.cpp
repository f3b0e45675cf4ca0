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
// the range recursion. The calling thread prints them (and makes the sort's
// deferred draws) while the second thread, if any, already triangulates.
class CallTrace {
 public:
    CallTrace(PageBuffer<PlacedPoint>& points, bool enabled, DeferredDraws* draws)
        : points_(points), enabled_(enabled), draws_(draws) {}

    // Makes the sort's deferred draws and prints the trace unless that is
    // done already (every error path calls this too), then lets the points
    // go: the triangulation works on its own copy of the usable coordinates.
    void print() noexcept {
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

 private:
    PageBuffer<PlacedPoint>& points_;
    bool enabled_;
    DeferredDraws* draws_;
    bool printed_ = false;
};

}  // namespace

Mesh2D* triangulate_points(PageBuffer<PlacedPoint> points, Mesh2D* block, bool resize, bool trace,
                           DeferredDraws* draws) {
    CallTrace call_trace(points, trace, draws);
    TriangulationResult result;
    PageBuffer<Point3D*> records;
    try {
        PreparedPoints prepared = prepare_points(points);
        if (prepared.size() > kMostPoints) {
            call_trace.print();
            fatal_stop(kMemberNotEnough);
        }
        result = triangulate_sorted_points(
            prepared.xy.data(), static_cast<uint32_t>(prepared.size()), [&] { call_trace.print(); });
        records = std::move(prepared.records);
    } catch (...) {
        call_trace.print();
        throw;
    }
    return write_mesh(result, records, block, resize);
}

}  // namespace d2d
