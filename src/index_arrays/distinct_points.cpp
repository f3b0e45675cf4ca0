#include "index_arrays/distinct_points.hpp"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "engine/sort/radix_sort.hpp"
#include "engine/spatial/morton_key.hpp"
#include "engine/system/parallel_pair.hpp"

namespace d2d::index_arrays {
namespace {

// The quadtree's cells: 65536 of equal width across each side of the box.
constexpr double kQuadtreeCells = 65536.0;

// Keeps one point of each group of equal points, the one with the lowest
// index, and says for the others which one stands for them. Equal points
// have equal keys: only runs of equal keys are looked at.
size_t remove_repeats(DistinctPoints& distinct, int32_t* vertex_of_point) {
    const size_t n = distinct.size();
    std::vector<IndexedPoint> run_points;
    size_t kept = 0;
    for (size_t run = 0; run < n;) {
        size_t run_end = run + 1;
        while (run_end < n && distinct.keys[run_end] == distinct.keys[run]) ++run_end;
        const uint32_t key = distinct.keys[run];
        if (run_end - run == 1) {  // the usual case: a cell of its own
            distinct.xy[2 * kept] = distinct.xy[2 * run];
            distinct.xy[2 * kept + 1] = distinct.xy[2 * run + 1];
            distinct.index[kept] = distinct.index[run];
            distinct.keys[kept++] = key;
            run = run_end;
            continue;
        }
        run_points.clear();
        for (size_t i = run; i < run_end; ++i) run_points.push_back(distinct.point(i));
        std::sort(run_points.begin(), run_points.end(), [](const IndexedPoint& a, const IndexedPoint& b) {
            if (a.x != b.x) return a.x < b.x;
            if (a.y != b.y) return a.y > b.y;
            return a.index < b.index;
        });
        for (size_t i = 0; i < run_points.size(); ++i) {
            const IndexedPoint& p = run_points[i];
            if (i > 0 && p.x == run_points[i - 1].x && p.y == run_points[i - 1].y) {
                vertex_of_point[p.index] = vertex_of_point[run_points[i - 1].index];
                continue;
            }
            distinct.xy[2 * kept] = p.x;
            distinct.xy[2 * kept + 1] = p.y;
            distinct.index[kept] = p.index;
            distinct.keys[kept] = key;
            ++kept;
        }
        run = run_end;
    }
    return kept;
}

}  // namespace

DistinctPoints find_distinct_points(const double* coords, size_t count, size_t stride, int32_t* vertex_of_point,
                                    ThreadCount threads) {
    struct Box {
        double low_x = INFINITY, high_x = -INFINITY, low_y = INFINITY, high_y = -INFINITY;
        size_t finite = 0;
    } boxes[2];
    run_halves(threads, count, [&](int h, size_t first, size_t last) {
        Box& box = boxes[h];
        for (size_t i = first; i < last; ++i) {
            const double x = coords[i * stride];
            const double y = coords[i * stride + 1];
            if (std::isfinite(x) && std::isfinite(y)) {
                box.low_x = std::min(box.low_x, x);
                box.high_x = std::max(box.high_x, x);
                box.low_y = std::min(box.low_y, y);
                box.high_y = std::max(box.high_y, y);
                ++box.finite;
                vertex_of_point[i] = static_cast<int32_t>(i);
            } else {
                vertex_of_point[i] = -1;
            }
        }
    });
    const size_t finite = boxes[0].finite + boxes[1].finite;
    DistinctPoints distinct;
    if (finite == 0) return distinct;

    PageBuffer<KeyedIndex> items(finite);
    const MortonCells cells(std::min(boxes[0].low_x, boxes[1].low_x), std::max(boxes[0].high_x, boxes[1].high_x),
                            std::min(boxes[0].low_y, boxes[1].low_y), std::max(boxes[0].high_y, boxes[1].high_y),
                            kQuadtreeCells);
    run_halves(threads, count, [&](int h, size_t first, size_t last) {
        size_t k = h == 0 ? 0 : boxes[0].finite;
        for (size_t i = first; i < last; ++i) {
            if (vertex_of_point[i] < 0) continue;
            const double x = coords[i * stride];
            const double y = coords[i * stride + 1];
            items[k++] = KeyedIndex{cells.key(x, y), static_cast<uint32_t>(i)};
        }
    });
    {
        PageBuffer<KeyedIndex> spare(finite);
        if (radix_sort(items.data(), spare.data(), finite, threads) != items.data()) std::swap(items, spare);
    }

    // Adding +0.0 turns -0.0 into +0.0: equal points are equal in every bit.
    distinct.xy.resize(2 * finite);
    distinct.index.resize(finite);
    distinct.keys.resize(finite);
    bool repeated_keys[2] = {false, false};
    run_halves(threads, finite, [&](int h, size_t first, size_t last) {
        for (size_t i = first; i < last; ++i) {
            const size_t at = items[i].index * stride;
            distinct.xy[2 * i] = coords[at] + 0.0;
            distinct.xy[2 * i + 1] = coords[at + 1] + 0.0;
            distinct.index[i] = items[i].index;
            distinct.keys[i] = items[i].key;
            if (i > 0 && items[i - 1].key == items[i].key) repeated_keys[h] = true;
        }
    });
    if (repeated_keys[0] || repeated_keys[1]) {
        const size_t kept = remove_repeats(distinct, vertex_of_point);
        distinct.xy.resize(2 * kept);
        distinct.index.resize(kept);
        distinct.keys.resize(kept);
    }
    return distinct;
}

}  // namespace d2d::index_arrays
