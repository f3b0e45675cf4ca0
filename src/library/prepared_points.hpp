// The points of a split-ordered range that take part in the triangulation.
#ifndef DELAUNAY2D_LIBRARY_PREPARED_POINTS_HPP
#define DELAUNAY2D_LIBRARY_PREPARED_POINTS_HPP

#include <cstddef>
#include "common/page_buffer.hpp"
#include "common/parallel_pair.hpp"
#include "delaunay2d.h"

namespace d2d {

// A host point with its sort keys at hand: sorting and preparing read these
// contiguous records instead of chasing pointers into the host's memory.
struct PlacedPoint {
    double x;
    double y;
    double zw;  // z + w, the split order's last tie-break
    Point3D* record;
};

// The keys of n host records; record_at(i) gives the i-th. Many records
// are read by two threads, each taking half.
template <class RecordAt>
PageBuffer<PlacedPoint> place_points(size_t n, RecordAt record_at) {
    PageBuffer<PlacedPoint> placed(n);
    const auto place = [&](size_t first, size_t last) {
        page_memory::populate(placed.data() + first, (last - first) * sizeof(PlacedPoint));
        for (size_t i = first; i < last; ++i) {
            Point3D* p = record_at(i);
            placed[i] = PlacedPoint{p->x, p->y, p->z + p->w, p};
        }
    };
    constexpr size_t kTwoThreadsFrom = 65536;
    run_halves(n, kTwoThreadsFrom, [&](int, size_t first, size_t last) { place(first, last); });
    return placed;
}

struct PreparedPoints {
    // x0, y0, x1, y1, ...: the usable points' coordinates, all multiplied by
    // one power of two, exactly: the one that brings the largest magnitude
    // into [0.5, 1) unless that would round a coordinate, in which case the
    // nearest one that rounds none.
    PageBuffer<double> xy;
    // The host record of each usable point.
    PageBuffer<Point3D*> records;

    size_t size() const { return records.size(); }
};

// Reads the points in split order and keeps those the triangulation uses:
// points with finite x and y, and of several records with equal x and y only
// the first. When the usable points are not in split order (a host may hand
// any range to the partition), they are put in it first, stably. The points
// themselves are left as they are.
PreparedPoints prepare_points(const PageBuffer<PlacedPoint>& points);

}  // namespace d2d

#endif
