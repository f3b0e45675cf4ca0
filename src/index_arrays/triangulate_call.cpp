// The index-array call: coordinates in, index arrays out, failures
// returned as status codes. Nothing here prints, exits, draws random numbers
// or keeps state between calls.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "index_arrays/alternating_tree.hpp"
#include "index_arrays/cocircular_diagonals.hpp"
#include "index_arrays/distinct_points.hpp"
#include "delaunay2d.h"
#include "engine/system/host_array.hpp"
#include "engine/system/page_buffer.hpp"
#include "engine/system/thread_count.hpp"
#include "engine/exact/exact_predicates.hpp"
#include "engine/merge/limits.hpp"

namespace d2d::index_arrays {
namespace {

// Whether the distinct points form no triangle: fewer than three, or all on
// one line.
bool all_collinear(const DistinctPoints& points) {
    const size_t n = points.size();
    if (n < 3) return true;
    const double* xy = points.xy.data();
    for (size_t i = 2; i < n; ++i) {
        if (orient2d_exact(xy[0], xy[1], xy[2], xy[3], xy[2 * i], xy[2 * i + 1]) != 0.0) return false;
    }
    return true;
}

// The hull of collinear points: the points along their line.
void write_line_hull(const DistinctPoints& distinct, delaunay2d_result& result) {
    std::vector<IndexedPoint> points(distinct.size());
    for (size_t i = 0; i < points.size(); ++i) points[i] = distinct.point(i);
    std::sort(points.begin(), points.end(), before_in_order0);
    result.hull = allocate_host_array<uint32_t>(points.size());
    for (size_t i = 0; i < points.size(); ++i) result.hull[i] = points[i].index;
    result.hull_count = points.size();
    result.triangles = allocate_host_array<uint32_t>(0);
    result.neighbours = allocate_host_array<int32_t>(0);
}

void triangulate(const double* coords, size_t count, size_t stride, ThreadCount threads, delaunay2d_result& result) {
    result.point_count = count;
    result.vertex_of_point = allocate_host_array<int32_t>(count);
    DistinctPoints distinct = find_distinct_points(coords, count, stride, result.vertex_of_point, threads);
    const size_t n = distinct.size();
    if (all_collinear(distinct)) {
        write_line_hull(distinct, result);
        return;
    }
    AlternatingTree tree(distinct.xy.data(), distinct.index.data(), distinct.keys.data(), static_cast<uint32_t>(n));
    tree.build(threads);
    const bool cocircular = tree.met_cocircular();
    distinct.keys.release();
    distinct.xy.release();
    PageBuffer<uint32_t> hull(n);
    const size_t hull_count = tree.write_hull(hull.data());
    result.hull = allocate_host_array<uint32_t>(hull_count);
    std::memcpy(result.hull, hull.data(), hull_count * sizeof(uint32_t));
    result.hull_count = hull_count;
    hull.release();
    const size_t triangles = tree.number_triangles(threads);
    result.triangles = allocate_host_array<uint32_t>(3 * triangles);
    result.neighbours = allocate_host_array<int32_t>(3 * triangles);
    result.triangle_count = triangles;
    tree.write_triangles(result.triangles, result.neighbours, threads);
    // The merge cuts cocircular points by the order it merged them in; the
    // fan from each such polygon's smallest corner depends on the points
    // alone, so that a subset's call agrees with the whole set's. Without
    // a tie in the merge there is nothing to cut.
    if (cocircular) {
        make_cocircular_diagonals_canonical(coords, stride, result.triangles, result.neighbours, triangles);
    }
}

void release(delaunay2d_result& result) noexcept {
    std::free(result.triangles);
    std::free(result.neighbours);
    std::free(result.hull);
    std::free(result.vertex_of_point);
    result = delaunay2d_result{};
}

}  // namespace
}  // namespace d2d::index_arrays

extern "C" delaunay2d_status delaunay2d_triangulate(const double* coords, size_t count, size_t stride,
                                                    unsigned threads, delaunay2d_result* result) {
    if (result == nullptr) return DELAUNAY2D_INVALID_ARGUMENT;
    *result = delaunay2d_result{};
    if ((coords == nullptr && count > 0) || stride < 2) return DELAUNAY2D_INVALID_ARGUMENT;
    if (count > d2d::kMostPoints) return DELAUNAY2D_TOO_MANY_POINTS;
    // The call's threads, chosen here once.
    const d2d::ThreadCount chosen = d2d::thread_support::requested_call_threads(threads);
    try {
        d2d::index_arrays::triangulate(coords, count, stride, chosen, *result);
        return DELAUNAY2D_OK;
    } catch (...) {
        // Running out of memory is the only failure left once the arguments
        // are checked.
        d2d::index_arrays::release(*result);
        return DELAUNAY2D_OUT_OF_MEMORY;
    }
}

extern "C" void delaunay2d_result_free(delaunay2d_result* result) {
    if (result != nullptr) d2d::index_arrays::release(*result);
}

extern "C" const char* delaunay2d_status_message(delaunay2d_status status) {
    switch (status) {
        case DELAUNAY2D_OK:
            return "success";
        case DELAUNAY2D_INVALID_ARGUMENT:
            return "invalid argument: a null pointer, a stride below 2, an index out of range or a record of an unknown size";
        case DELAUNAY2D_OUT_OF_MEMORY:
            return "out of memory";
        case DELAUNAY2D_TOO_MANY_POINTS:
            static_assert(DELAUNAY2D_MAX_POINTS == 134217664u, "the message spells the limit");
            return "too many points: at most 134,217,664 are triangulated at once";
    }
    return "unknown status";
}

extern "C" const char* delaunay2d_version(void) { return DELAUNAY2D_PROJECT_VERSION; }
