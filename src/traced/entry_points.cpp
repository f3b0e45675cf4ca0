// The library's front door: the two entry points, the range partition and
// the release of a mesh.
//
// An entry point sorts the host's points into split order, prints them and
// the lines of the range recursion, then triangulates: the points are cut
// into the same halves the lines name and merged back by exact predicates,
// and the finished mesh is written once. Points with a non-finite coordinate,
// and every record but the first of a group with equal coordinates, take no
// part in the triangles; they are still printed.
//
// No C++ exception leaves the library: running out of memory ends the
// process with the same message as a failed reallocation.
//
// Each entry point chooses its threads once, when it starts, and hands that
// choice down to every stage.
#include <cstdlib>
#include <utility>

#include "blocks/common/trace_output.hpp"
#include "traced/3_prepare/prepared_points.hpp"
#include "traced/2_trace/range_trace.hpp"
#include "traced/1_sort/split_order_sort.hpp"
#include "traced/traced_call.hpp"
#include "engine/system/thread_count.hpp"

namespace {

// Ranges of four or more points are merged, which resizes their block.
bool merges(size_t n) { return n >= 4; }

}  // namespace

extern "C" Mesh2D* create_mesh_2d(Point3D* points, size_t n) {
    if (n < 3) d2d::fatal_stop(d2d::kLengthNotEnough);
    const d2d::ThreadCount threads = d2d::thread_support::traced_call_threads();
    try {
        auto placed = d2d::traced::place_points(n, [points](size_t i) { return &points[i]; }, threads);
        d2d::traced::DeferredDraws draws;
        d2d::traced::sort_split_order_deferring_draws(placed, draws, threads);
        return d2d::traced::triangulate_points(std::move(placed), nullptr, true, true, threads, &draws);
    } catch (...) {
        d2d::fatal_stop(d2d::kMemberNotEnough);
    }
}

extern "C" Mesh2D* create_triangle_mesh_2d(Point3DList* list, Mesh2D* mesh) {
    if (list == nullptr || list->length <= 2) d2d::fatal_stop(d2d::kLengthNotEnough);
    const d2d::ThreadCount threads = d2d::thread_support::traced_call_threads();
    try {
        const size_t n = list->length;
        auto placed = d2d::traced::place_points(n, [list](size_t i) { return list->points[i]; }, threads);
        d2d::traced::DeferredDraws draws;
        d2d::traced::sort_split_order_deferring_draws(placed, draws, threads);
        // The host's list is left in split order.
        for (size_t i = 0; i < n; ++i) list->points[i] = placed[i].record;
        return d2d::traced::triangulate_points(std::move(placed), mesh, merges(n), true, threads, &draws);
    } catch (...) {
        d2d::fatal_stop(d2d::kMemberNotEnough);
    }
}

extern "C" Mesh2D* partition_point_arr(PointRange* range, Mesh2D* mesh) {
    const d2d::ThreadCount threads = d2d::thread_support::traced_call_threads();
    try {
        const size_t beg = range->beg;
        const size_t end = range->end;
        // A range of fewer than two points, or one that reaches past its
        // list, has no triangle to build: as create_mesh_by_2_3_point does,
        // the block gets an empty header and the trace one base-mesh line,
        // instead of entries that are not there being read.
        if (range->list == nullptr || end > range->list->length || end < beg || end - beg < 2) {
            {
                d2d::TraceWriter trace;
                trace.base_mesh_line(0, beg, end);
            }
            return d2d::traced::triangulate_points(d2d::PageBuffer<d2d::traced::PlacedPoint>(), mesh, false, false,
                                                   threads);
        }
        const size_t n = end - beg;
        {
            d2d::TraceWriter trace;
            d2d::traced::trace_range_recursion(trace, beg, end);
        }
        Point3D* const* points = range->list->points + beg;
        auto placed = d2d::traced::place_points(n, [points](size_t i) { return points[i]; }, threads);
        return d2d::traced::triangulate_points(std::move(placed), mesh, merges(n), false, threads);
    } catch (...) {
        d2d::fatal_stop(d2d::kMemberNotEnough);
    }
}

extern "C" void free_mesh(Mesh2D* mesh) { std::free(mesh); }
