// Where two segments cross, computed exactly and rounded to doubles.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_CROSSING_POINT_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_CROSSING_POINT_HPP

#include <utility>

namespace d2d::constrained {

// The crossing of segments a - b and c - d (each given as x, y), which must
// cross at one point inside both: each coordinate of the exact crossing
// rounded to the nearest double, ties to the even one. Finite for finite
// input; the same bits on every platform.
std::pair<double, double> crossing_point(const double* a, const double* b, const double* c, const double* d);

}  // namespace d2d::constrained

#endif
