// The split order of points whose keys all differ, found without the
// quicksort.
#ifndef DELAUNAY2D_TRACED_SORT_DISTINCT_SPLIT_ORDER_HPP
#define DELAUNAY2D_TRACED_SORT_DISTINCT_SPLIT_ORDER_HPP

#include <cstdint>

#include "engine/system/page_buffer.hpp"
#include "traced/1_sort/placed_points.hpp"

namespace d2d::traced {

// When no key of the points is NaN and no two points are equal in all of
// x, y and z + w, the split order is a strict total order on them, so every
// sort gives the same sequence as the randomised quicksort, whatever its
// draws. Writes that sequence to `sorted`, and to `places` the place in it
// of each point (places[i] for points[i]), and returns true; returns false
// (with both unspecified) when a key is NaN or two points are equal in
// every key, where only the quicksort's draws decide. Large inputs are
// sorted on `threads`.
bool sort_distinct_split_order(const PageBuffer<PlacedPoint>& points, PageBuffer<PlacedPoint>& sorted,
                               PageBuffer<uint32_t>& places, ThreadCount threads);

}  // namespace d2d::traced

#endif
