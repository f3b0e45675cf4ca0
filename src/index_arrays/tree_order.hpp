// The index-array call's merge tree: cuts that alternate between vertical and
// horizontal, following the quadtree of the points' cell keys.
#ifndef DELAUNAY2D_INDEX_ARRAYS_TREE_ORDER_HPP
#define DELAUNAY2D_INDEX_ARRAYS_TREE_ORDER_HPP

#include <cstdint>

#include "index_arrays/distinct_points.hpp"

namespace d2d::index_arrays {

// Cutting a piece always along the same direction leaves long thin strips
// whose merges rebuild most of their triangles; cutting along a quadtree
// alternates the direction and keeps pieces about square, so a merge
// creates few triangles that a later merge removes.
//
// A piece is a run of the points. While its keys differ, it is cut where
// the first bit in which they differ changes: the points before the cut lie
// strictly left of (x bit) or below (y bit) those after it. A cut that
// would leave a single point on one side, or a run of equal keys, turns the
// piece over to median cuts: at its middle point in the cut's order,
// alternating the order at each level. Pieces of two or three points are
// the base pieces.
struct Piece {
    uint32_t beg;
    uint32_t end;
    int8_t bit;           // the highest key bit that may still differ
    int8_t median_order;  // -1 while cut by the keys, else the order of the next median cut

    uint32_t size() const { return end - beg; }
};

struct Cut {
    int order;  // 0: vertical (the first part lies left), 1: horizontal (it lies below)
    Piece first;
    Piece second;
};

inline Piece whole_piece(uint32_t count) { return Piece{0, count, 31, -1}; }

// How a piece of four points or more is cut; the keys are those of the
// points as find_distinct_points sorted them (median cuts do not read
// them). The points of a median cut must then be put in place: its first
// part before its second in the cut's order.
Cut cut_piece(const uint32_t* keys, const Piece& piece);

}  // namespace d2d::index_arrays

#endif
