// Sorting a host's points into split order on their key records.
#ifndef DELAUNAY2D_TRACED_SORT_SPLIT_ORDER_SORT_HPP
#define DELAUNAY2D_TRACED_SORT_SPLIT_ORDER_SORT_HPP

#include <cstddef>
#include <cstdint>

#include "blocks/common/random_quick_sort.hpp"
#include "delaunay2d.h"
#include "traced/1_sort/placed_points.hpp"

namespace d2d::traced {

// Puts the points into split order: the very order, and the very rand()
// draws, of sorting their list with sort_point and sort_point_x_maxY.
void sort_split_order(PageBuffer<PlacedPoint>& points);

// The quicksort's rand() draws, left to be made later.
class DeferredDraws {
 public:
    // Makes the draws (once; nothing when none are left).
    void make() noexcept;

 private:
    friend void sort_split_order_deferring_draws(PageBuffer<PlacedPoint>& points, DeferredDraws& draws,
                                                 ThreadCount threads);
    PageBuffer<uint32_t> places_;
    PageBuffer<QuickSortPart> pending_;
    size_t budget_ = 0;
};

// Like sort_split_order, but where the keys of many points all differ (no
// NaN, no two points equal in every key), the order is found by a faster
// sort and the quicksort is only replayed for its draws, in `draws`. They
// must be made before the call returns, and on the calling thread: the C
// library's random state may be the thread's own. The faster sort runs on
// `threads`.
void sort_split_order_deferring_draws(PageBuffer<PlacedPoint>& points, DeferredDraws& draws, ThreadCount threads);

}  // namespace d2d::traced

#endif
