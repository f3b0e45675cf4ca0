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

// The point lines in split order, then the lines of the range recursion.
void print_trace(const PageBuffer<PlacedPoint>& placed) {
    const size_t n = placed.size();
    TraceWriter trace;
    constexpr size_t kAhead = 16;  // the records are scattered over the host's memory
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(placed[i + kAhead].record);
        trace.point_line(*placed[i].record);
    }
    trace_range_recursion(trace, 0, n);
}

}  // namespace

Mesh2D* triangulate_points(PageBuffer<PlacedPoint> points, Mesh2D* block, bool resize, bool trace) {
    // Prints the trace once, then lets the points go: the triangulation
    // works on its own copy of the usable coordinates.
    bool traced = false;
    auto trace_once = [&]() noexcept {
        if (trace && !traced) print_trace(points);
        traced = true;
        points.release();
    };
    PreparedPoints prepared;
    try {
        prepared = prepare_points(points);
    } catch (...) {
        trace_once();
        throw;
    }
    if (prepared.size() > kMostPoints) {
        trace_once();
        fatal_stop(kMemberNotEnough);
    }
    TriangulationResult result;
    try {
        result = triangulate_sorted_points(prepared.xy.data(), static_cast<uint32_t>(prepared.size()), trace_once);
    } catch (...) {
        trace_once();
        throw;
    }
    prepared.xy.release();
    return write_mesh(result, prepared.records, block, resize);
}

}  // namespace d2d
