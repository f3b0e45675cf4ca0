// The points of a split-ordered range that take part in the triangulation.
#ifndef DELAUNAY2D_TRACED_PREPARE_PREPARED_POINTS_HPP
#define DELAUNAY2D_TRACED_PREPARE_PREPARED_POINTS_HPP

#include <cstddef>

#include "traced/1_sort/placed_points.hpp"
#include "engine/system/page_buffer.hpp"

namespace d2d::traced {

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

}  // namespace d2d::traced

#endif
