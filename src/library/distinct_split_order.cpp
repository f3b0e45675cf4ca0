#include "library/distinct_split_order.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "point/point_order.hpp"

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

// Sorts by key, least significant byte first; skips the bytes in which all
// keys agree. `spare` has room for as many items.
void radix_sort(KeyedIndex* items, KeyedIndex* spare, size_t n) {
    constexpr int kBytes = 8;
    size_t counts[kBytes][256] = {};
    for (size_t i = 0; i < n; ++i) {
        const uint64_t key = items[i].key;
        for (int b = 0; b < kBytes; ++b) ++counts[b][(key >> (8 * b)) & 0xFF];
    }
    KeyedIndex* from = items;
    KeyedIndex* to = spare;
    for (int b = 0; b < kBytes; ++b) {
        size_t* count = counts[b];
        if (std::find(count, count + 256, n) != count + 256) continue;  // one value in this byte
        size_t offset = 0;
        for (int d = 0; d < 256; ++d) {
            const size_t c = count[d];
            count[d] = offset;
            offset += c;
        }
        const int shift = 8 * b;
        for (size_t i = 0; i < n; ++i) to[count[(from[i].key >> shift) & 0xFF]++] = from[i];
        std::swap(from, to);
    }
    if (from != items) std::memcpy(items, from, n * sizeof(KeyedIndex));
}

}  // namespace

bool sort_distinct_split_order(const PageBuffer<PlacedPoint>& points, PageBuffer<PlacedPoint>& sorted,
                               PageBuffer<uint32_t>& places) {
    const size_t n = points.size();
    if (n > UINT32_MAX) return false;
    // Every buffer here is written whole: map their pages in one request
    // each rather than one fault per page.
    const auto populated = [](auto& buffer) { page_memory::populate(buffer.data(), buffer.size() * sizeof(buffer[0])); };
    PageBuffer<KeyedIndex> items(n);
    populated(items);
    for (size_t i = 0; i < n; ++i) {
        const PlacedPoint& p = points[i];
        if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.zw)) return false;
        items[i] = KeyedIndex{ordered_bits(p.x), static_cast<uint32_t>(i), 0};
    }
    {
        PageBuffer<KeyedIndex> spare(n);
        populated(spare);
        radix_sort(items.data(), spare.data(), n);
    }
    sorted.resize(n);
    places.resize(n);
    populated(sorted);
    populated(places);
    constexpr size_t kAhead = 16;  // the points are read in scattered order
    for (size_t i = 0; i < n; ++i) {
        if (i + kAhead < n) __builtin_prefetch(&points[items[i + kAhead].index]);
        sorted[i] = points[items[i].index];
    }
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
    for (size_t i = 0; i < n; ++i) places[items[i].index] = static_cast<uint32_t>(i);
    return true;
}

}  // namespace d2d
