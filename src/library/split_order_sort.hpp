// Sorting a host's point pointers into split order on compact key records.
#ifndef DELAUNAY2D_LIBRARY_SPLIT_ORDER_SORT_HPP
#define DELAUNAY2D_LIBRARY_SPLIT_ORDER_SORT_HPP

#include <cstddef>

#include "delaunay2d.h"
#include "library/prepared_points.hpp"

namespace d2d {

// Puts points[0 .. n - 1] into split order: the very order, and the very
// rand() draws, of sorting the list with sort_point and sort_point_x_maxY.
// The keys (x, y, z + w) are copied next to each pointer first, so that the
// sort reads contiguous memory instead of chasing every pointer. Returns the
// points in their new order with their coordinates.
PageBuffer<PlacedPoint> sort_split_order(Point3D** points, size_t n);

}  // namespace d2d

#endif
