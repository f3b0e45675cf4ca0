// Sorting a host's points into split order on their key records.
#ifndef DELAUNAY2D_LIBRARY_SPLIT_ORDER_SORT_HPP
#define DELAUNAY2D_LIBRARY_SPLIT_ORDER_SORT_HPP

#include <cstddef>

#include "delaunay2d.h"
#include "library/prepared_points.hpp"

namespace d2d {

// Puts the points into split order: the very order, and the very rand()
// draws, of sorting their list with sort_point and sort_point_x_maxY.
void sort_split_order(PageBuffer<PlacedPoint>& points);

}  // namespace d2d

#endif
