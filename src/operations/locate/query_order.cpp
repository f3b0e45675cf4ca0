#include "operations/locate/query_order.hpp"

#include <algorithm>
#include <cmath>

#include "engine/system/parallel_pair.hpp"

namespace d2d::operations {
namespace {

// 16 bits of x and y interleaved, x above y.
uint64_t spread(uint32_t v) {
    uint64_t x = v & 0xffffu;
    x = (x | (x << 8)) & 0x00ff00ffu;
    x = (x | (x << 4)) & 0x0f0f0f0fu;
    x = (x | (x << 2)) & 0x33333333u;
    x = (x | (x << 1)) & 0x55555555u;
    return x;
}

// Maps [low, high] onto 0 .. 65535 without ever reversing two values.
struct CellScale {
    double low;
    double scale;
    CellScale(double lo, double hi) : low(lo), scale(hi > lo ? 65535.0 / (hi - lo) : 0.0) {
        if (!std::isfinite(scale)) scale = 0.0;
    }
    uint32_t cell(double v) const {
        const double c = (v - low) * scale;
        if (!(c > 0.0)) return 0;
        if (c >= 65535.0) return 65535;
        return static_cast<uint32_t>(c);
    }
};

}  // namespace

std::vector<uint32_t> queries_in_curve_order(const double* queries, size_t count) {
    double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
    for (size_t q = 0; q < count; ++q) {
        const double x = queries[2 * q];
        const double y = queries[2 * q + 1];
        if (!std::isfinite(x) || !std::isfinite(y)) continue;
        low_x = std::min(low_x, x);
        high_x = std::max(high_x, x);
        low_y = std::min(low_y, y);
        high_y = std::max(high_y, y);
    }
    const CellScale xs(low_x, high_x);
    const CellScale ys(low_y, high_y);
    // Key above, index below: one integer sort orders by key, then index.
    std::vector<uint64_t> keyed(count);
    for (size_t q = 0; q < count; ++q) {
        const double x = queries[2 * q];
        const double y = queries[2 * q + 1];
        const uint64_t key = std::isfinite(x) && std::isfinite(y)
                                 ? (spread(xs.cell(x)) << 1 | spread(ys.cell(y)))
                                 : uint64_t{0xffffffffu} + 1;
        keyed[q] = key << 31 | q;
    }
    std::sort(keyed.begin(), keyed.end());
    std::vector<uint32_t> order(count);
    for (size_t i = 0; i < count; ++i) order[i] = static_cast<uint32_t>(keyed[i] & 0x7fffffffu);
    return order;
}

void for_each_query_chunk(const std::vector<uint32_t>& order, unsigned threads,
                          const std::function<void(const uint32_t*, const uint32_t*)>& work) {
    const size_t chunks = (order.size() + kQueryChunk - 1) / kQueryChunk;
    const auto run = [&](size_t first_chunk, size_t last_chunk) {
        for (size_t c = first_chunk; c < last_chunk; ++c) {
            const size_t first = c * kQueryChunk;
            const size_t last = std::min(order.size(), first + kQueryChunk);
            work(order.data() + first, order.data() + last);
        }
    };
    run_halves_if(threads > 1 && chunks > 1, chunks, [&](int, size_t first, size_t last) { run(first, last); });
}

}  // namespace d2d::operations
