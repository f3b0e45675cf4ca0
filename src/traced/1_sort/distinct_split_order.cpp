#include "traced/1_sort/distinct_split_order.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/system/parallel_pair.hpp"
#include "engine/system/thread_thresholds.hpp"
#include "blocks/point/point_order.hpp"

namespace d2d {
namespace {

// A point's x as an unsigned integer in the same order (for x not NaN),
// with -0.0 and +0.0, which compare equal, mapped alike.
uint64_t ordered_bits(double x) {
    const auto bits = std::bit_cast<uint64_t>(x == 0.0 ? 0.0 : x);
    return (bits >> 63) != 0 ? ~bits : bits | (uint64_t{1} << 63);
}

struct KeyedIndex {
    uint64_t key;
    uint32_t index;
    uint32_t unused;
};

// Keys are sorted by 11-bit digits: six passes at most.
constexpr int kDigitBits = 11;
constexpr int kDigits = (64 + kDigitBits - 1) / kDigitBits;
constexpr unsigned kRadix = 1u << kDigitBits;
using DigitCounts = std::vector<size_t>;

inline unsigned digit(uint64_t key, int place) {
    return static_cast<unsigned>((key >> (kDigitBits * place)) & (kRadix - 1));
}

using thresholds::kPlaceOnTwoThreadsFrom;

// Sorts by key, least significant digit first, skipping the digits in
// which all keys agree. `spare` has room for as many items. Each pass moves
// both halves at once: the items of a half keep their order within each
// digit, and those of the lower half go first, so every pass is stable.
// While it moves them, each half also counts the next digit of the items it
// writes into either half, which gives the next pass its counts per half.
void radix_sort(KeyedIndex* items, KeyedIndex* spare, size_t n, ThreadCount threads) {
    const size_t half = n / 2;
    // counts[h * kDigits + p][d]: items of half h with digit d at place p.
    std::vector<DigitCounts> counts(2 * kDigits, DigitCounts(kRadix));
    run_halves(threads.when(n >= kPlaceOnTwoThreadsFrom), n, [&](int h, size_t first, size_t last) {
        DigitCounts* mine = &counts[static_cast<size_t>(h * kDigits)];
        for (size_t i = first; i < last; ++i) {
            const uint64_t key = items[i].key;
            for (int p = 0; p < kDigits; ++p) ++mine[p][digit(key, p)];
        }
    });
    std::vector<int> sorted_places;
    for (int p = 0; p < kDigits; ++p) {
        bool one_value = false;
        for (unsigned d = 0; d < kRadix; ++d) {
            const auto at = static_cast<size_t>(p);
            one_value = one_value || counts[at][d] + counts[kDigits + at][d] == n;
        }
        if (!one_value) sorted_places.push_back(p);
    }
    if (sorted_places.empty()) return;
    const auto first_place = static_cast<size_t>(sorted_places[0]);
    DigitCounts current[2] = {counts[first_place], counts[kDigits + first_place]};
    DigitCounts offsets[2] = {DigitCounts(kRadix), DigitCounts(kRadix)};
    // next_counts[h * 2 + g][d]: written by half h into half g.
    std::vector<DigitCounts> next_counts(4, DigitCounts(kRadix));
    KeyedIndex* from = items;
    KeyedIndex* to = spare;
    for (size_t pass = 0; pass < sorted_places.size(); ++pass) {
        const int place = sorted_places[pass];
        const int next = pass + 1 < sorted_places.size() ? sorted_places[pass + 1] : -1;
        size_t offset = 0;
        for (unsigned d = 0; d < kRadix; ++d) {
            offsets[0][d] = offset;
            offsets[1][d] = offset + current[0][d];
            offset += current[0][d] + current[1][d];
        }
        for (DigitCounts& c : next_counts) std::fill(c.begin(), c.end(), size_t{0});
        run_halves(threads.when(n >= kPlaceOnTwoThreadsFrom), n, [&](int h, size_t first, size_t last) {
            size_t* offset_of = offsets[h].data();
            size_t* into_lower = next_counts[static_cast<size_t>(h * 2)].data();
            size_t* into_upper = next_counts[static_cast<size_t>(h * 2 + 1)].data();
            for (size_t i = first; i < last; ++i) {
                const KeyedIndex item = from[i];
                const size_t at = offset_of[digit(item.key, place)]++;
                to[at] = item;
                if (next >= 0) ++(at < half ? into_lower : into_upper)[digit(item.key, next)];
            }
        });
        for (size_t g = 0; g < 2; ++g) {
            for (unsigned d = 0; d < kRadix; ++d) current[g][d] = next_counts[g][d] + next_counts[2 + g][d];
        }
        std::swap(from, to);
    }
    if (from != items) std::memcpy(items, from, n * sizeof(KeyedIndex));
}

}  // namespace

bool sort_distinct_split_order(const PageBuffer<PlacedPoint>& points, PageBuffer<PlacedPoint>& sorted,
                               PageBuffer<uint32_t>& places, ThreadCount threads) {
    const size_t n = points.size();
    if (n > UINT32_MAX) return false;
    // Every buffer here is written whole: map their pages in one request
    // each rather than one fault per page.
    const auto populated = [n, threads](auto& buffer) {
        run_halves(threads.when(n >= kPlaceOnTwoThreadsFrom), n, [&](int, size_t first, size_t last) {
            page_memory::populate(buffer.data() + first, (last - first) * sizeof(buffer[0]));
        });
    };
    PageBuffer<KeyedIndex> items(n);
    populated(items);
    std::atomic<bool> nan_seen{false};
    run_halves(threads.when(n >= kPlaceOnTwoThreadsFrom), n, [&](int, size_t first, size_t last) {
        bool nan = false;
        for (size_t i = first; i < last; ++i) {
            const PlacedPoint& p = points[i];
            nan = nan || std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.zw);
            items[i] = KeyedIndex{ordered_bits(p.x), static_cast<uint32_t>(i), 0};
        }
        if (nan) nan_seen.store(true);
    });
    if (nan_seen.load()) return false;
    {
        PageBuffer<KeyedIndex> spare(n);
        populated(spare);
        radix_sort(items.data(), spare.data(), n, threads);
    }
    sorted.resize(n);
    places.resize(n);
    populated(sorted);
    populated(places);
    run_halves(threads.when(n >= kPlaceOnTwoThreadsFrom), n, [&](int, size_t first, size_t last) {
        constexpr size_t kAhead = 16;  // the points are read in scattered order
        for (size_t i = first; i < last; ++i) {
            if (i + kAhead < last) __builtin_prefetch(&points[items[i + kAhead].index]);
            sorted[i] = points[items[i].index];
        }
    });
    // Runs of equal x go by the later keys; two points equal in every key
    // leave the order to the quicksort.
    const auto before = [](const PlacedPoint& a, const PlacedPoint& b) {
        return split_order_before(a.x, a.y, a.zw, b.x, b.y, b.zw);
    };
    size_t run = 0;
    for (size_t i = 1; i <= n; ++i) {
        if (i < n && sorted[i].x == sorted[run].x) continue;
        if (i - run > 1) {
            // The run's items are sorted along with its points.
            std::sort(items.begin() + run, items.begin() + i, [&](const KeyedIndex& a, const KeyedIndex& b) {
                return before(points[a.index], points[b.index]);
            });
            for (size_t j = run; j < i; ++j) sorted[j] = points[items[j].index];
            for (size_t j = run + 1; j < i; ++j) {
                if (!before(sorted[j - 1], sorted[j])) return false;
            }
        }
        run = i;
    }
    run_halves(threads.when(n >= kPlaceOnTwoThreadsFrom), n, [&](int, size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) places[items[i].index] = static_cast<uint32_t>(i);
    });
    return true;
}

}  // namespace d2d
