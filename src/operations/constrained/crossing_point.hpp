// Where two segments cross, computed exactly and rounded to doubles.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_CROSSING_POINT_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_CROSSING_POINT_HPP

#include <utility>

namespace d2d::operations::constrained {

// The crossing of segments a - b and c - d (each given as x, y), which must
// cross at one point inside both: each coordinate of the exact crossing
// rounded to the nearest double, ties to the even one. Finite for finite
// input; the same bits on every platform. Tries crossing_point_fixed first
// and takes the arbitrary-width evaluation when that cannot decide.
std::pair<double, double> crossing_point(const double* a, const double* b, const double* c, const double* d);

// The same rounding in fixed-width integers, for the usual case of eight
// coordinates of one scale (at most 60 bits between the highest and the
// lowest set bit among them). Returns false, with `out` untouched, when the
// coordinates are spread wider, when the crossing lies exactly halfway
// between two doubles, or when the rounded point is too fine for the fixed
// width (a coordinate far nearer zero than the segments' ends); the caller
// then computes it in arbitrary width.
bool crossing_point_fixed(const double* a, const double* b, const double* c, const double* d,
                          std::pair<double, double>& out);

}  // namespace d2d::operations::constrained

#endif
