// The one radix sort of the library: a stable sort of items by an unsigned
// integer key, used by both front ends to put their points in order (the
// traced entry points by x, the quiet call by cell key).
#ifndef DELAUNAY2D_ENGINE_SORT_RADIX_SORT_HPP
#define DELAUNAY2D_ENGINE_SORT_RADIX_SORT_HPP

#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <vector>

#include "engine/system/parallel_pair.hpp"

namespace d2d {

namespace radix_detail {

// Keys are sorted by 11-bit digits: three passes at most for 32-bit keys,
// six for 64-bit ones. 2048 counters per half fit in the first-level cache.
inline constexpr int kDigitBits = 11;
inline constexpr unsigned kRadix = 1u << kDigitBits;
using DigitCounts = std::vector<std::size_t>;

template <class Key>
inline unsigned digit(Key key, int place) {
    return static_cast<unsigned>((key >> (kDigitBits * place)) & (kRadix - 1));
}

}  // namespace radix_detail

// Sorts items[0, n) by their `key` member, least significant digit first,
// skipping the digits in which all keys agree; equal keys keep their order.
// `spare` has room for n items. Returns where the sorted items are: `items`
// or `spare` (whichever the last pass wrote), the other one holding
// leftovers.
//
// Each pass moves both halves at once where `threads` allows: the items of a
// half keep their order within each digit, and those of the lower half go
// first, so every pass is stable and the result does not depend on the
// threads. One counting pass over the items counts every digit; after that,
// each pass counts the next digit of the items as it writes them into
// either half, which gives the next pass its counts per half without
// reading the items again.
//
//   one pass, on the digit at `place`:
//     read:    | lower half of `from`       | upper half of `from`       |
//     written: | digit 0: lower's, upper's | digit 1: lower's, upper's | ...
template <class Item>
Item* radix_sort(Item* items, Item* spare, std::size_t n, ThreadCount threads) {
    using namespace radix_detail;
    using Key = std::remove_cv_t<decltype(Item::key)>;
    static_assert(std::is_unsigned_v<Key>, "radix keys are unsigned integers");
    constexpr int kDigits = (static_cast<int>(sizeof(Key)) * 8 + kDigitBits - 1) / kDigitBits;
    const std::size_t half = n / 2;
    // counts[h * kDigits + p][d]: items of half h with digit d at place p.
    std::vector<DigitCounts> counts(2 * kDigits, DigitCounts(kRadix));
    run_halves(threads, n, [&](int h, std::size_t first, std::size_t last) {
        DigitCounts* mine = &counts[static_cast<std::size_t>(h * kDigits)];
        for (std::size_t i = first; i < last; ++i) {
            const Key key = items[i].key;
            for (int p = 0; p < kDigits; ++p) ++mine[p][digit(key, p)];
        }
    });
    std::vector<int> sorted_places;
    for (int p = 0; p < kDigits; ++p) {
        bool one_value = false;
        for (unsigned d = 0; d < kRadix; ++d) {
            const auto at = static_cast<std::size_t>(p);
            one_value = one_value || counts[at][d] + counts[kDigits + at][d] == n;
        }
        if (!one_value) sorted_places.push_back(p);
    }
    if (sorted_places.empty()) return items;
    const auto first_place = static_cast<std::size_t>(sorted_places[0]);
    DigitCounts current[2] = {counts[first_place], counts[kDigits + first_place]};
    DigitCounts offsets[2] = {DigitCounts(kRadix), DigitCounts(kRadix)};
    // next_counts[h * 2 + g][d]: written by half h into half g.
    std::vector<DigitCounts> next_counts(4, DigitCounts(kRadix));
    Item* from = items;
    Item* to = spare;
    for (std::size_t pass = 0; pass < sorted_places.size(); ++pass) {
        const int place = sorted_places[pass];
        const int next = pass + 1 < sorted_places.size() ? sorted_places[pass + 1] : -1;
        std::size_t offset = 0;
        for (unsigned d = 0; d < kRadix; ++d) {
            offsets[0][d] = offset;
            offsets[1][d] = offset + current[0][d];
            offset += current[0][d] + current[1][d];
        }
        for (DigitCounts& c : next_counts) std::fill(c.begin(), c.end(), std::size_t{0});
        run_halves(threads, n, [&](int h, std::size_t first, std::size_t last) {
            std::size_t* offset_of = offsets[h].data();
            std::size_t* into_lower = next_counts[static_cast<std::size_t>(h * 2)].data();
            std::size_t* into_upper = next_counts[static_cast<std::size_t>(h * 2 + 1)].data();
            for (std::size_t i = first; i < last; ++i) {
                const Item item = from[i];
                const std::size_t at = offset_of[digit(item.key, place)]++;
                to[at] = item;
                if (next >= 0) ++(at < half ? into_lower : into_upper)[digit(item.key, next)];
            }
        });
        for (std::size_t g = 0; g < 2; ++g) {
            for (unsigned d = 0; d < kRadix; ++d) current[g][d] = next_counts[g][d] + next_counts[2 + g][d];
        }
        std::swap(from, to);
    }
    return from;
}

}  // namespace d2d

#endif
