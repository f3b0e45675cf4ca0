// The diagonals among cocircular points, fixed by the points alone.
//
// Where four or more points of a Delaunay triangulation lie exactly on one
// empty circle (every square of a grid), several triangulations are
// Delaunay, and the merge picks one by the order it merged the points in:
// a subset of the points (a tile) may cut the same square along the other
// diagonal. This pass replaces those choices by one that depends on the
// points alone: every cocircular polygon is cut into the fan from its
// smallest corner (by x, then y).
#ifndef DELAUNAY2D_INDEX_ARRAYS_COCIRCULAR_DIAGONALS_HPP
#define DELAUNAY2D_INDEX_ARRAYS_COCIRCULAR_DIAGONALS_HPP

#include <cstddef>
#include <cstdint>

namespace d2d::index_arrays {

// Flips, in place, every interior edge whose two triangles' four corners
// lie exactly on one circle and which misses the smallest of those corners,
// until none is left; triangles keep their slots and stay
// counter-clockwise, and hull edges are never touched. coords and stride
// are the caller's points, as the triangle arrays index them. Returns the
// number of flips. Allocates a work stack (std::bad_alloc when memory runs
// out; the arrays are then a valid Delaunay triangulation still).
size_t make_cocircular_diagonals_canonical(const double* coords, size_t stride, uint32_t* triangles,
                                           int32_t* neighbours, size_t triangle_count);

}  // namespace d2d::index_arrays

#endif
