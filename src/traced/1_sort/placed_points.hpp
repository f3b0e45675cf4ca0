// The host's points with their sort keys, read once from the host's records.
#ifndef DELAUNAY2D_TRACED_SORT_PLACED_POINTS_HPP
#define DELAUNAY2D_TRACED_SORT_PLACED_POINTS_HPP

#include <cstddef>

#include "delaunay2d.h"
#include "engine/system/page_buffer.hpp"
#include "engine/system/parallel_pair.hpp"
#include "traced/thread_thresholds.hpp"

namespace d2d::traced {

// A host point with its sort keys at hand: sorting and preparing read these
// contiguous records instead of chasing pointers into the host's memory.
struct PlacedPoint {
    double x;
    double y;
    double zw;  // z + w, the split order's last tie-break
    Point3D* record;
};

// The keys of n host records; record_at(i) gives the i-th. Many records
// are read by two threads, each taking half, where `threads` allows.
template <class RecordAt>
PageBuffer<PlacedPoint> place_points(size_t n, RecordAt record_at, ThreadCount threads) {
    PageBuffer<PlacedPoint> placed(n);
    const auto place = [&](size_t first, size_t last) {
        page_memory::populate(placed.data() + first, (last - first) * sizeof(PlacedPoint));
        for (size_t i = first; i < last; ++i) {
            Point3D* p = record_at(i);
            placed[i] = PlacedPoint{p->x, p->y, p->z + p->w, p};
        }
    };
    run_halves(threads.when(n >= thresholds::kPlaceOnTwoThreadsFrom), n,
               [&](int, size_t first, size_t last) { place(first, last); });
    return placed;
}

}  // namespace d2d::traced

#endif
