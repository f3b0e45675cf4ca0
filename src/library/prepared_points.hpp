// The points of a split-ordered range that take part in the triangulation.
#ifndef DELAUNAY2D_LIBRARY_PREPARED_POINTS_HPP
#define DELAUNAY2D_LIBRARY_PREPARED_POINTS_HPP

#include <cstddef>
#include "common/page_buffer.hpp"
#include "delaunay2d.h"

namespace d2d {

// A point in split order with its coordinates at hand.
struct PlacedPoint {
    double x;
    double y;
    Point3D* record;
};

// Reads the coordinates of points[0 .. n - 1].
PageBuffer<PlacedPoint> place_points(Point3D* const* points, size_t n);

struct PreparedPoints {
    // x0, y0, x1, y1, ...: the usable points' coordinates, all multiplied by
    // one power of two so that the largest magnitude lies in [0.5, 1).
    PageBuffer<double> xy;
    // The host record of each usable point.
    PageBuffer<Point3D*> records;

    size_t size() const { return records.size(); }
};

// Takes the points in split order and keeps those the triangulation uses:
// points with finite x and y, and of several records with equal x and y only
// the first. When the usable points are not in split order (a host may hand
// any range to the partition), they are put in it first, stably.
PreparedPoints prepare_points(PageBuffer<PlacedPoint> points);

}  // namespace d2d

#endif
