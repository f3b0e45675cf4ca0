// The one radix sort of the library: a stable sort of items by an unsigned
// integer key, used by both front ends to put their points in order (the
// traced entry points by x, the index-array call by cell key).
#ifndef DELAUNAY2D_ENGINE_SORT_RADIX_SORT_HPP
#define DELAUNAY2D_ENGINE_SORT_RADIX_SORT_HPP

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "engine/system/parallel_pair.hpp"

namespace d2d {

// Sorts items[0, n) by their `key` member, least significant digit first;
// equal keys keep their order. `spare` has room for n items. Returns where
// the sorted items are: `items` or `spare` (whichever the last pass wrote),
// the other one holding leftovers.
//
// Keys go by 11-bit digits (three passes at most for 32-bit keys, six for
// 64-bit ones); 2048 counters per half stay in the first-level cache. Each
// pass counts the digit in both halves of the items, skips it when all
// keys agree in it, and moves both halves at once where `threads` allows:
// the items of a half keep their order within each digit, and those of the
// lower half go before those of the upper, so every pass is stable and the
// result does not depend on the threads.
//
//   one pass:   read     | lower half of `from`        | upper half of `from`        |
//               written  | digit 0: lower's, upper's  | digit 1: lower's, upper's  | ...
template <class Item>
Item* radix_sort(Item* items, Item* spare, std::size_t n, ThreadCount threads) {
    using Key = std::remove_cv_t<decltype(Item::key)>;
    static_assert(std::is_unsigned_v<Key>, "radix keys are unsigned integers");
    constexpr int kDigitBits = 11;
    constexpr std::size_t kRadix = std::size_t{1} << kDigitBits;
    constexpr int kKeyBits = static_cast<int>(sizeof(Key)) * 8;
    if (n == 0) return items;
    // counts[h * kRadix + d]: items of half h with digit d, then where the
    // next of them goes.
    std::vector<std::size_t> counts(2 * kRadix);
    Item* from = items;
    Item* to = spare;
    for (int shift = 0; shift < kKeyBits; shift += kDigitBits) {
        const auto digit = [shift](Key key) { return static_cast<std::size_t>((key >> shift) & (kRadix - 1)); };
        std::fill(counts.begin(), counts.end(), std::size_t{0});
        run_halves(threads, n, [&](int h, std::size_t first, std::size_t last) {
            std::size_t* count = &counts[static_cast<std::size_t>(h) * kRadix];
            for (std::size_t i = first; i < last; ++i) ++count[digit(from[i].key)];
        });
        const std::size_t shared = digit(from[0].key);
        if (counts[shared] + counts[kRadix + shared] == n) continue;
        std::size_t start = 0;
        for (std::size_t d = 0; d < kRadix; ++d) {
            const std::size_t lower = counts[d];
            counts[d] = start;
            start += lower;
            const std::size_t upper = counts[kRadix + d];
            counts[kRadix + d] = start;
            start += upper;
        }
        run_halves(threads, n, [&](int h, std::size_t first, std::size_t last) {
            std::size_t* next = &counts[static_cast<std::size_t>(h) * kRadix];
            for (std::size_t i = first; i < last; ++i) to[next[digit(from[i].key)]++] = from[i];
        });
        std::swap(from, to);
    }
    return from;
}

}  // namespace d2d

#endif
