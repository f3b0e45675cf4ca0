#ifndef DELAUNAY2D_BLOCKS_COMMON_RANDOM_QUICK_SORT_HPP
#define DELAUNAY2D_BLOCKS_COMMON_RANDOM_QUICK_SORT_HPP

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "delaunay2d.h"

// Randomised quicksort with a Lomuto partition, for any element type.
//
// Every sort of the library, whatever it sorts, goes through these templates,
// so that equal inputs consume the C library's rand() identically: one draw
// per partition of a part of two or more elements, taken in this order: the
// part's own draw, then every draw of the part above its pivot, then those
// of the part below.
//
// The order is given by a callable `before(item, pivot)`, true when item goes
// before the pivot. A partition compares against a copy of the element at hi
// (see pivot_copy); sort_items also calls `before(second, first)` on two
// elements for a two-element sort.
namespace d2d {

// The value a partition compares its elements against.
template <class T>
T pivot_copy(const T& item) {
    return item;
}

// A list of point pointers is partitioned against a copy of the point.
inline Point3D pivot_copy(Point3D* item) {
    return *item;
}

// Partitions items[lo..hi] (lo <= hi) around a copy of items[hi]: the
// elements that go before it end below it, in their original order. Returns
// the pivot's final position.
template <class T, class Before>
std::size_t lomuto_partition(T* items, std::size_t lo, std::size_t hi, Before before) {
    const auto pivot = pivot_copy(items[hi]);
    std::size_t boundary = lo;
    for (std::size_t j = lo; j < hi; ++j) {
        if (before(items[j], pivot)) {
            std::swap(items[boundary], items[j]);
            ++boundary;
        }
    }
    std::swap(items[boundary], items[hi]);
    return boundary;
}

// Moves the element at a position of lo..hi drawn with one rand() call to
// hi: the one draw of a partition.
template <class T>
void move_drawn_pivot(T* items, std::size_t lo, std::size_t hi) {
    const std::size_t count = hi - lo + 1;
    const auto draw = static_cast<std::size_t>(std::rand());
    std::swap(items[lo + draw % count], items[hi]);
}

// Moves a position drawn with one rand() call to hi, then partitions.
template <class T, class Before>
std::size_t random_lomuto_partition(T* items, std::size_t lo, std::size_t hi, Before before) {
    move_drawn_pivot(items, lo, hi);
    return lomuto_partition(items, lo, hi, before);
}

// Sorts items[lo..hi], both bounds inclusive.
template <class T, class Before>
void random_quick_sort_items(T* items, std::size_t lo, std::size_t hi, Before before) {
    while (lo < hi) {
        const std::size_t pivot = random_lomuto_partition(items, lo, hi, before);
        if (pivot <= lo + 1) {
            // Nothing below the pivot is left to sort, so the part above is
            // the last work: take it up here instead of nesting. This keeps
            // the draws in order and the stack flat when many keys are equal
            // (equal keys put the pivot at the bottom of its part).
            lo = pivot + 1;
            continue;
        }
        random_quick_sort_items(items, pivot + 1, hi, before);
        hi = pivot - 1;
    }
}

// Sorts n items. Fewer than two: nothing, no draw. Two: one comparison, of
// the second against the first, and no draw; equal keys keep their order.
template <class T, class Before>
void sort_items(T* items, std::size_t n, Before before) {
    if (n < 2) return;
    if (n == 2) {
        if (before(items[1], items[0])) std::swap(items[0], items[1]);
        return;
    }
    random_quick_sort_items(items, 0, n - 1, before);
}

// A part of the items still to sort, for replay_quick_sort_draws.
struct QuickSortPart {
    std::size_t lo;
    std::size_t hi;
};

// The draws of sort_items over n >= 3 items whose sorted order is already
// known: ranks[i] is the place of the i-th item in that order (all places
// differ). Every comparison the quicksort makes is then one of ranks, so it
// moves the ranks exactly as it would move the items, and makes the same
// draws; the ranks are compared and moved without branches, which is much
// faster. Like a sort whose comparator gives up after `budget` comparisons,
// it stops at the partition that would pass that many (its draw made).
// `pending` has room for n / 2 parts.
inline void replay_quick_sort_draws(std::uint32_t* ranks, std::size_t n, std::size_t budget,
                                    QuickSortPart* pending) noexcept {
    std::size_t compared = 0;
    // The loop of random_quick_sort_items, with the parts below the pivots
    // waiting on a stack while the parts above, which that function sorts
    // first, are sorted. Every waiting part holds two items or more.
    std::size_t waiting = 0;
    pending[waiting++] = {0, n - 1};
    while (waiting > 0) {
        std::size_t lo = pending[--waiting].lo;
        std::size_t hi = pending[waiting].hi;
        while (lo < hi) {
            move_drawn_pivot(ranks, lo, hi);
            compared += hi - lo;
            if (compared > budget) return;
            const std::uint32_t pivot = ranks[hi];
            std::size_t boundary = lo;
            for (std::size_t j = lo; j < hi; ++j) {
                const std::uint32_t item = ranks[j];
                const std::uint32_t first = ranks[boundary];
                const bool before = item < pivot;
                const std::uint32_t change = (item ^ first) & (0u - static_cast<std::uint32_t>(before));
                ranks[boundary] = first ^ change;
                ranks[j] = item ^ change;
                boundary += before ? 1 : 0;
            }
            std::swap(ranks[boundary], ranks[hi]);
            if (boundary > lo + 1) pending[waiting++] = {lo, boundary - 1};
            lo = boundary + 1;
        }
    }
}

}  // namespace d2d

#endif
