// The order of the companion's merge tree: cuts that alternate between
// vertical and horizontal.
#ifndef DELAUNAY2D_COMPANION_TREE_ORDER_HPP
#define DELAUNAY2D_COMPANION_TREE_ORDER_HPP

#include <cstddef>

#include "companion/distinct_points.hpp"

namespace d2d::companion {

// The merge tree cuts a piece of n points into its first n / 2 points and the
// rest, vertically at the root (order 0), horizontally below it (order 1),
// and so on, alternating, down to pieces of two or three points.
//
// Cutting a piece always along the same direction leaves long thin strips
// whose merges rebuild most of their triangles; alternating the direction
// keeps pieces about square, and a merge then creates few triangles that a
// later merge removes.
//
// Arranges the distinct points so that every piece of the tree is a
// contiguous run: the first half of a piece precedes the second in the
// piece's cut order, and a base piece is in order 0. The top levels are
// arranged on two threads when `two_threads` is set; the result does not
// depend on it.
void arrange_tree_order(IndexedPoint* points, size_t n, bool two_threads);

// The cut order of a piece at the given depth of the tree (the root is at
// depth 0).
inline int cut_order(unsigned depth) { return static_cast<int>(depth & 1u); }

}  // namespace d2d::companion

#endif
