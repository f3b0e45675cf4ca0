#include "operations/locate/query_order.hpp"

#include <algorithm>
#include <cmath>

#include "engine/sort/radix_sort.hpp"
#include "engine/spatial/morton_key.hpp"
#include "engine/system/parallel_pair.hpp"

namespace d2d::operations {
namespace {

// The queries' cells: 65535 steps across each side of their box, the
// lowest coordinate in cell 0 and the highest alone in cell 65535 (not the
// quadtree's 65536 cells: the order decides where each walk starts, and so
// which of the triangles sharing an edge a query on it gets, and these
// cells keep that answer what earlier versions gave).
constexpr double kQueryCells = 65535.0;

}  // namespace

CurveOrder queries_in_curve_order(const double* queries, size_t count, ThreadCount threads) {
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
    const MortonCells cells(low_x, high_x, low_y, high_y, kQueryCells);
    std::vector<KeyedIndex> items;
    items.reserve(count);
    std::vector<uint32_t> not_finite;
    for (size_t q = 0; q < count; ++q) {
        const double x = queries[2 * q];
        const double y = queries[2 * q + 1];
        if (std::isfinite(x) && std::isfinite(y)) {
            items.push_back(KeyedIndex{cells.key(x, y), static_cast<uint32_t>(q)});
        } else {
            not_finite.push_back(static_cast<uint32_t>(q));
        }
    }
    std::vector<KeyedIndex> spare(items.size());
    // Two threads only where the queries will also run in several chunks.
    const KeyedIndex* sorted =
        radix_sort(items.data(), spare.data(), items.size(), threads.when(items.size() > kQueryChunk));
    CurveOrder order;
    order.index.reserve(count);
    for (size_t i = 0; i < items.size(); ++i) order.index.push_back(sorted[i].index);
    order.index.insert(order.index.end(), not_finite.begin(), not_finite.end());
    order.xy.resize(2 * count);
    for (size_t i = 0; i < count; ++i) {
        order.xy[2 * i] = queries[2 * size_t{order.index[i]}];
        order.xy[2 * i + 1] = queries[2 * size_t{order.index[i]} + 1];
    }
    return order;
}

void for_each_query_chunk(const CurveOrder& order, ThreadCount threads, const std::function<void(size_t, size_t)>& work) {
    const size_t chunks = (order.size() + kQueryChunk - 1) / kQueryChunk;
    const auto run = [&](size_t first_chunk, size_t last_chunk) {
        for (size_t c = first_chunk; c < last_chunk; ++c) {
            const size_t first = c * kQueryChunk;
            work(first, std::min(order.size(), first + kQueryChunk));
        }
    };
    run_halves(threads.when(chunks > 1), chunks, [&](int, size_t first, size_t last) { run(first, last); });
}

}  // namespace d2d::operations
