#include "traced/1_sort/distinct_split_order.hpp"

#include <algorithm>
#include <atomic>
#include <bit>
#include <cmath>
#include <cstdint>
#include <utility>

#include "engine/sort/radix_sort.hpp"
#include "engine/system/parallel_pair.hpp"
#include "traced/thread_thresholds.hpp"
#include "blocks/point/point_order.hpp"

namespace d2d::traced {
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

using thresholds::kPlaceOnTwoThreadsFrom;

}  // namespace

bool sort_distinct_split_order(const PageBuffer<PlacedPoint>& points, PageBuffer<PlacedPoint>& sorted,
                               PageBuffer<uint32_t>& places, ThreadCount threads) {
    const size_t n = points.size();
    if (n > UINT32_MAX) return false;
    const ThreadCount sort_threads = threads.when(n >= kPlaceOnTwoThreadsFrom);
    // Every buffer here is written whole: map their pages in one request
    // each rather than one fault per page.
    const auto populated = [n, sort_threads](auto& buffer) {
        run_halves(sort_threads, n, [&](int, size_t first, size_t last) {
            page_memory::populate(buffer.data() + first, (last - first) * sizeof(buffer[0]));
        });
    };
    PageBuffer<KeyedIndex> items(n);
    populated(items);
    std::atomic<bool> nan_seen{false};
    run_halves(sort_threads, n, [&](int, size_t first, size_t last) {
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
        if (radix_sort(items.data(), spare.data(), n, sort_threads) != items.data()) {
            std::swap(items, spare);
        }
    }
    sorted.resize(n);
    places.resize(n);
    populated(sorted);
    populated(places);
    run_halves(sort_threads, n, [&](int, size_t first, size_t last) {
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
    run_halves(sort_threads, n, [&](int, size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) places[items[i].index] = static_cast<uint32_t>(i);
    });
    return true;
}

}  // namespace d2d::traced
