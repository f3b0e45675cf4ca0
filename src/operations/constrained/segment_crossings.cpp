// Finding the crossing pairs: each segment is listed in the cells of a
// uniform grid it may pass through (segment_grid.hpp); two segments that
// cross share the cell of their crossing, so only pairs sharing a cell are
// tested. Segment i tests each later segment of its cells once (a stamp per
// segment remembers the last i that tested it). Short segments share cells
// with few others, so 10^5 of them cost about linear time; long ones share
// cells with most others, and then the pairs tested are of the order of the
// crossings found.
//
// A pair is tested with the exact orientations (floating-point filter
// first); a proper crossing has each segment's ends strictly on both sides
// of the other's line.
#include "operations/constrained/segment_crossings.hpp"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "engine/exact/exact_predicates.hpp"
#include "engine/spatial/morton_key.hpp"
#include "operations/constrained/crossing_point.hpp"
#include "operations/constrained/segment_grid.hpp"

namespace d2d::operations::constrained {
namespace {

int sign(double v) { return v > 0.0 ? 1 : (v < 0.0 ? -1 : 0); }

bool opposite(const double* p, const double* q, const double* r, const double* s) {
    const int first = sign(orient2d_exact(p[0], p[1], q[0], q[1], r[0], r[1]));
    if (first == 0) return false;
    const int second = sign(orient2d_exact(p[0], p[1], q[0], q[1], s[0], s[1]));
    return second == -first;
}

}  // namespace

std::vector<SegmentCrossing> segment_crossings(const std::vector<double>& xy,
                                               const std::vector<std::pair<uint32_t, uint32_t>>& segments) {
    std::vector<SegmentCrossing> crossings;
    const size_t count = segments.size();
    if (count < 2) return crossings;
    double low_x = std::numeric_limits<double>::infinity(), low_y = low_x;
    double high_x = -low_x, high_y = -low_x;
    for (const auto& [a, b] : segments) {
        for (const uint32_t p : {a, b}) {
            low_x = std::min(low_x, xy[2 * p]);
            high_x = std::max(high_x, xy[2 * p]);
            low_y = std::min(low_y, xy[2 * p + 1]);
            high_y = std::max(high_y, xy[2 * p + 1]);
        }
    }
    const SegmentGrid grid(low_x, low_y, high_x, high_y, count);
    // The cells of each segment, segment by segment, then the segments of
    // each cell (a counting sort of the same pairs).
    std::vector<uint32_t> cells_of;
    std::vector<size_t> first_cell(count + 1, 0);
    for (size_t s = 0; s < count; ++s) {
        const double* a = &xy[2 * segments[s].first];
        const double* b = &xy[2 * segments[s].second];
        grid.for_cells(a[0], a[1], b[0], b[1], [&](size_t cell) { cells_of.push_back(static_cast<uint32_t>(cell)); });
        first_cell[s + 1] = cells_of.size();
    }
    std::vector<size_t> first_in_cell(grid.cell_count() + 1, 0);
    for (const uint32_t cell : cells_of) ++first_in_cell[cell + 1];
    for (size_t c = 0; c < grid.cell_count(); ++c) first_in_cell[c + 1] += first_in_cell[c];
    std::vector<uint32_t> in_cell(cells_of.size());
    {
        std::vector<size_t> fill(first_in_cell.begin(), first_in_cell.end() - 1);
        for (size_t s = 0; s < count; ++s) {
            for (size_t k = first_cell[s]; k < first_cell[s + 1]; ++k) in_cell[fill[cells_of[k]]++] = static_cast<uint32_t>(s);
        }
    }
    constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
    std::vector<uint32_t> tested_by(count, kNone);
    std::vector<uint32_t> partners;
    // Segments taken in the Morton order of their midpoints (ties by
    // index): consecutive ones are near, so their cells and partners are
    // mostly in cache. Which pairs are tested, and which record each gives,
    // does not depend on this order (a pair is tested from its lower index).
    std::vector<std::pair<uint32_t, uint32_t>> order(count);
    {
        const MortonCells cells(low_x, high_x, low_y, high_y, 65536.0);
        for (size_t s = 0; s < count; ++s) {
            const double* a = &xy[2 * segments[s].first];
            const double* b = &xy[2 * segments[s].second];
            order[s] = {cells.key(a[0] * 0.5 + b[0] * 0.5, a[1] * 0.5 + b[1] * 0.5), static_cast<uint32_t>(s)};
        }
        std::sort(order.begin(), order.end());
    }
    for (const auto& [key, s] : order) {
        const double* a = &xy[2 * segments[s].first];
        const double* b = &xy[2 * segments[s].second];
        const double s_low_x = std::min(a[0], b[0]), s_high_x = std::max(a[0], b[0]);
        const double s_low_y = std::min(a[1], b[1]), s_high_y = std::max(a[1], b[1]);
        partners.clear();
        for (size_t k = first_cell[s]; k < first_cell[s + 1]; ++k) {
            const uint32_t cell = cells_of[k];
            // Segments are listed in each cell in increasing order: the later
            // ones are a suffix.
            const uint32_t* from = in_cell.data() + first_in_cell[cell];
            const uint32_t* to = in_cell.data() + first_in_cell[cell + 1];
            for (const uint32_t* t = std::upper_bound(from, to, static_cast<uint32_t>(s)); t != to; ++t) {
                if (tested_by[*t] == s) continue;
                tested_by[*t] = static_cast<uint32_t>(s);
                const double* c = &xy[2 * segments[*t].first];
                const double* d = &xy[2 * segments[*t].second];
                if (std::max(c[0], d[0]) < s_low_x || std::min(c[0], d[0]) > s_high_x || std::max(c[1], d[1]) < s_low_y ||
                    std::min(c[1], d[1]) > s_high_y) {
                    continue;
                }
                if (opposite(a, b, c, d) && opposite(c, d, a, b)) partners.push_back(*t);
            }
        }
        std::sort(partners.begin(), partners.end());
        const size_t first_of_s = crossings.size();
        for (const uint32_t t : partners) {
            const auto [x, y] = crossing_point(a, b, &xy[2 * segments[t].first], &xy[2 * segments[t].second]);
            crossings.push_back({x, y, static_cast<uint32_t>(s), t});
        }
        // Memory that grows with the output: of segment s's crossings that
        // round to one point, one record stays (many segments through one
        // point would otherwise leave a record per pair). The later segments
        // dropped here still meet that point's hot pixel, which the
        // snapping's exact test finds.
        const auto batch = crossings.begin() + static_cast<std::ptrdiff_t>(first_of_s);
        std::sort(batch, crossings.end(), [](const SegmentCrossing& p, const SegmentCrossing& q) {
            if (p.x != q.x) return p.x < q.x;
            if (p.y != q.y) return p.y < q.y;
            return p.second < q.second;
        });
        crossings.erase(std::unique(batch, crossings.end(),
                                    [](const SegmentCrossing& p, const SegmentCrossing& q) { return p.x == q.x && p.y == q.y; }),
                        crossings.end());
    }
    return crossings;
}

}  // namespace d2d::operations::constrained
