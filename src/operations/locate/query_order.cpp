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

// A stable radix sort of 32-bit keys, 16 bits per pass: keys and indices
// move together.
void radix_sort(std::vector<uint32_t>& keys, std::vector<uint32_t>& index) {
    const size_t n = keys.size();
    std::vector<uint32_t> other_keys(n), other_index(n);
    std::vector<size_t> count(65537);
    for (int shift = 0; shift < 32; shift += 16) {
        std::fill(count.begin(), count.end(), 0);
        for (size_t i = 0; i < n; ++i) ++count[((keys[i] >> shift) & 0xffffu) + 1];
        for (size_t b = 1; b < count.size(); ++b) count[b] += count[b - 1];
        for (size_t i = 0; i < n; ++i) {
            const size_t at = count[(keys[i] >> shift) & 0xffffu]++;
            other_keys[at] = keys[i];
            other_index[at] = index[i];
        }
        keys.swap(other_keys);
        index.swap(other_index);
    }
}

}  // namespace

CurveOrder queries_in_curve_order(const double* queries, size_t count) {
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
    std::vector<uint32_t> keys, index;
    keys.reserve(count);
    index.reserve(count);
    std::vector<uint32_t> not_finite;
    for (size_t q = 0; q < count; ++q) {
        const double x = queries[2 * q];
        const double y = queries[2 * q + 1];
        if (std::isfinite(x) && std::isfinite(y)) {
            keys.push_back(static_cast<uint32_t>(spread(xs.cell(x)) << 1 | spread(ys.cell(y))));
            index.push_back(static_cast<uint32_t>(q));
        } else {
            not_finite.push_back(static_cast<uint32_t>(q));
        }
    }
    radix_sort(keys, index);
    CurveOrder order;
    order.index = std::move(index);
    order.index.insert(order.index.end(), not_finite.begin(), not_finite.end());
    order.xy.resize(2 * count);
    for (size_t i = 0; i < count; ++i) {
        order.xy[2 * i] = queries[2 * size_t{order.index[i]}];
        order.xy[2 * i + 1] = queries[2 * size_t{order.index[i]} + 1];
    }
    return order;
}

void for_each_query_chunk(const CurveOrder& order, unsigned threads, const std::function<void(size_t, size_t)>& work) {
    const size_t chunks = (order.size() + kQueryChunk - 1) / kQueryChunk;
    const auto run = [&](size_t first_chunk, size_t last_chunk) {
        for (size_t c = first_chunk; c < last_chunk; ++c) {
            const size_t first = c * kQueryChunk;
            work(first, std::min(order.size(), first + kQueryChunk));
        }
    };
    run_halves_if(threads > 1 && chunks > 1, chunks, [&](int, size_t first, size_t last) { run(first, last); });
}

}  // namespace d2d::operations
