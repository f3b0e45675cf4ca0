// Snap rounding on the grid of doubles.
//
// The hot pixels are the segments' ends and their proper crossings, each
// rounded to doubles; a hot pixel is the box of points that round to it
// (hot_pixels.cpp). Each segment becomes the chain through the hot pixels it
// meets, in order along it:
//
//        s                         s
//         \   t                     \   t
//          \ /          ->           \ /
//     ------X------ u           ------h------ u     X rounds to h: s, t
//          / \   h'                  / \ h'         and u meet h's box, so
//         /   \  |                  /   \|          all three pass through
//                                         u'        h; u' meets the box of
//                                                   h' and bends to it
//
// Why this settles the crossings:
// - One vertex per crossing: the exact crossing X of s and t lies in the
//   box of its rounding h, so both chains pass through h. Crossings that
//   round to one double pair are one pixel, one vertex. A segment is not
//   split anywhere else but at hot pixels it meets (within half a gap
//   between doubles of its path), so where no other pixel lies that close,
//   the vertices are exactly the input points and the crossings.
// - Nothing to cascade: every point of the result exists once this step is
//   done. The insertion that follows only joins existing vertices, so it
//   cannot create a crossing to compute again; its loops are bounded by
//   the vertices and triangles (segment_insertion.cpp).
// - The chains do not cross: the snap-rounding theorem (Guibas and
//   Marimont; Hobby) says that chains routed through every hot pixel they
//   meet cross nowhere but at shared vertices, for the pixels of a uniform
//   grid. An affine map x -> a x + b, y -> c y + d (a, c > 0) keeps lines
//   straight and turns any uniform grid with its own x and y spacings into
//   the unit grid, so the theorem holds wherever the pixels concerned lie
//   in one binade of x and one of y; the subnormals and the lowest normal
//   binade share one spacing, so they count as one. Across a binade
//   boundary the pixels are not translates of each other and no such proof
//   is claimed: a piece that still crosses a segment edge there is handled
//   by the insertion's fallback, which joins existing edges and so keeps
//   the first two points.
//
// Cost: the crossings (segment_crossings.cpp), a sort of them, and for each
// segment the pixels listed in the grid cells it passes through (each cell
// once, so each pixel once), scanned cell by cell so that every cell's
// pixels are read once: a floating-point estimate rejects those far from
// the segment, its own crossings and ends need no test, and the exact test
// decides the few left. Then a sort of each segment's points along it.
#include "operations/constrained/snap_rounding.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/sort/radix_sort.hpp"
#include "engine/spatial/morton_key.hpp"
#include "engine/system/thread_count.hpp"
#include "operations/constrained/hot_pixels.hpp"
#include "operations/constrained/segment_crossings.hpp"
#include "operations/constrained/segment_grid.hpp"

namespace d2d::operations::constrained {

SnappedSegments snap_segments(const std::vector<double>& xy, size_t count,
                              const std::vector<std::pair<uint32_t, uint32_t>>& segments) {
    SnappedSegments out;
    const size_t segment_count = segments.size();
    out.start.assign(segment_count + 1, 0);
    std::vector<SegmentCrossing> crossings = segment_crossings(xy, segments);

    // The crossings' points, each distinct pair of doubles once: the
    // records sorted by the Morton key of their point, then by point (then
    // by segments, for a fixed order). Numbered along the curve, points
    // near in the plane are near in memory, for the triangulation and the
    // insertion that follow; equal points have equal keys, so they are
    // neighbours in this order.
    {
        double low_x = std::numeric_limits<double>::infinity(), low_y = low_x, high_x = -low_x, high_y = -low_x;
        for (const SegmentCrossing& c : crossings) {
            low_x = std::min(low_x, c.x);
            high_x = std::max(high_x, c.x);
            low_y = std::min(low_y, c.y);
            high_y = std::max(high_y, c.y);
        }
        const MortonCells cells(low_x, high_x, low_y, high_y, 65536.0);
        std::vector<KeyedIndex> items(crossings.size()), spare(crossings.size());
        for (size_t k = 0; k < crossings.size(); ++k) items[k] = {cells.key(crossings[k].x, crossings[k].y), static_cast<uint32_t>(k)};
        KeyedIndex* sorted = radix_sort(items.data(), spare.data(), items.size(), ThreadCount(1));
        // Within one key (a few records at most, but for crossings
        // crowded into one cell): by point, then by segments.
        auto before = [&](const KeyedIndex& p, const KeyedIndex& q) {
            const SegmentCrossing& a = crossings[p.index];
            const SegmentCrossing& b = crossings[q.index];
            if (a.x != b.x) return a.x < b.x;
            if (a.y != b.y) return a.y < b.y;
            return a.first != b.first ? a.first < b.first : a.second < b.second;
        };
        for (size_t from = 0; from < crossings.size();) {
            size_t to = from + 1;
            while (to < crossings.size() && sorted[to].key == sorted[from].key) ++to;
            if (to - from > 1) std::sort(sorted + from, sorted + to, before);
            from = to;
        }
        std::vector<SegmentCrossing> in_order(crossings.size());
        for (size_t k = 0; k < crossings.size(); ++k) in_order[k] = crossings[sorted[k].index];
        crossings.swap(in_order);
    }
    std::vector<uint32_t> point_of_crossing(crossings.size());
    for (size_t k = 0; k < crossings.size(); ++k) {
        const SegmentCrossing& c = crossings[k];
        const size_t added = out.added.size() / 2;
        if (k == 0 || c.x != out.added[2 * added - 2] || c.y != out.added[2 * added - 1]) {
            out.added.push_back(c.x);
            out.added.push_back(c.y);
        }
        point_of_crossing[k] = static_cast<uint32_t>(count + out.added.size() / 2 - 1);
    }
    const size_t points = count + out.added.size() / 2;
    auto at = [&](uint32_t p) { return p < count ? &xy[2 * static_cast<size_t>(p)] : &out.added[2 * (p - count)]; };

    // Each segment's own crossings, segment by segment, in increasing order
    // (the records are in point order), for the membership tests below.
    std::vector<size_t> first_own(segment_count + 1, 0);
    for (const SegmentCrossing& c : crossings) {
        ++first_own[c.first + 1];
        ++first_own[c.second + 1];
    }
    for (size_t s = 0; s < segment_count; ++s) first_own[s + 1] += first_own[s];
    std::vector<uint32_t> own(first_own[segment_count]);
    {
        std::vector<size_t> fill(first_own.begin(), first_own.end() - 1);
        for (size_t c = 0; c < crossings.size(); ++c) {
            own[fill[crossings[c].first]++] = point_of_crossing[c];
            own[fill[crossings[c].second]++] = point_of_crossing[c];
        }
    }


    // The hot pixels: every end once, every crossing point (with the two
    // segments of its first crossing record, whose own it is); listed in
    // the grid cell of their point.
    constexpr uint32_t kNone = std::numeric_limits<uint32_t>::max();
    struct Pixel {
        double x;
        double y;
        uint32_t point;
        uint32_t first;   // segments known to pass through it, or kNone
        uint32_t second;
    };
    std::vector<Pixel> pixels;
    pixels.reserve(points - count + 2 * segment_count);
    {
        std::vector<uint8_t> listed(count, 0);
        for (const auto& [a, b] : segments) {
            for (const uint32_t p : {a, b}) {
                if (listed[p] == 0) pixels.push_back({at(p)[0], at(p)[1], p, kNone, kNone});
                listed[p] = 1;
            }
        }
    }
    for (size_t k = 0; k < crossings.size(); ++k) {
        if (k == 0 || point_of_crossing[k] != point_of_crossing[k - 1]) {
            const uint32_t p = point_of_crossing[k];
            pixels.push_back({at(p)[0], at(p)[1], p, crossings[k].first, crossings[k].second});
        }
    }
    crossings = std::vector<SegmentCrossing>();
    point_of_crossing = std::vector<uint32_t>();
    double low_x = std::numeric_limits<double>::infinity(), low_y = low_x, high_x = -low_x, high_y = -low_x;
    for (const Pixel& h : pixels) {
        low_x = std::min(low_x, h.x);
        high_x = std::max(high_x, h.x);
        low_y = std::min(low_y, h.y);
        high_y = std::max(high_y, h.y);
    }
    if (pixels.empty()) return out;
    const SegmentGrid grid(low_x, low_y, high_x, high_y, pixels.size() / 4 + 1);
    std::vector<size_t> first_in_cell(grid.cell_count() + 1, 0);
    for (const Pixel& h : pixels) ++first_in_cell[grid.cell_of(h.x, h.y) + 1];
    for (size_t c = 0; c < grid.cell_count(); ++c) first_in_cell[c + 1] += first_in_cell[c];
    std::vector<Pixel> in_cell(pixels.size());
    {
        std::vector<size_t> fill(first_in_cell.begin(), first_in_cell.end() - 1);
        for (const Pixel& h : pixels) in_cell[fill[grid.cell_of(h.x, h.y)]++] = h;
    }
    pixels = std::vector<Pixel>();

    // The segments listed in the cells they may pass through (a counting
    // sort of the pairs), so that the scan goes cell by cell: each cell's
    // pixels are read once, in memory order, against the few segments of
    // the cell, whose figures stay in cache.
    struct Span {
        double ax, ay, bx, by;
        double low_x, high_x, low_y, high_y;
        double run_x, run_y;
    };
    std::vector<Span> spans(segment_count);
    std::vector<size_t> first_segment(grid.cell_count() + 1, 0);
    for (size_t seg = 0; seg < segment_count; ++seg) {
        const double* pa = at(segments[seg].first);
        const double* pb = at(segments[seg].second);
        spans[seg] = {pa[0], pa[1], pb[0], pb[1], std::min(pa[0], pb[0]), std::max(pa[0], pb[0]),
                      std::min(pa[1], pb[1]), std::max(pa[1], pb[1]), pb[0] - pa[0], pb[1] - pa[1]};
        grid.for_cells(pa[0], pa[1], pb[0], pb[1], [&](size_t cell) { ++first_segment[cell + 1]; });
    }
    for (size_t c = 0; c < grid.cell_count(); ++c) first_segment[c + 1] += first_segment[c];
    std::vector<uint32_t> segment_in_cell(first_segment[grid.cell_count()]);
    {
        std::vector<size_t> fill(first_segment.begin(), first_segment.end() - 1);
        for (size_t seg = 0; seg < segment_count; ++seg) {
            grid.for_cells(spans[seg].ax, spans[seg].ay, spans[seg].bx, spans[seg].by,
                           [&](size_t cell) { segment_in_cell[fill[cell]++] = static_cast<uint32_t>(seg); });
        }
    }

    // The scan: every (segment, pixel) pair that shares a cell, each once (a
    // pixel lies in one cell, a segment is listed in a cell once). The
    // pixels a segment meets beyond its own crossings and ends, as
    // (segment, point) pairs.
    std::vector<std::pair<uint32_t, uint32_t>> extra;
    for (size_t cell = 0; cell < grid.cell_count(); ++cell) {
        const size_t segments_from = first_segment[cell], segments_to = first_segment[cell + 1];
        if (segments_from == segments_to) continue;
        for (size_t k = first_in_cell[cell]; k < first_in_cell[cell + 1]; ++k) {
            const Pixel& h = in_cell[k];
            for (size_t m = segments_from; m < segments_to; ++m) {
                const uint32_t seg = segment_in_cell[m];
                const Span& sp = spans[seg];
                // The box reaches no double past h's neighbours: outside the
                // segment's ranges, h's box is missed (hot_pixels.cpp).
                if (h.x < sp.low_x || h.x > sp.high_x || h.y < sp.low_y || h.y > sp.high_y) continue;
                if (seg == h.first || seg == h.second) continue;  // its own crossing
                // Far from the line by more than the box's reach and the
                // rounding of this estimate (each below 2^-50 of the terms
                // and coordinates; a factor 16 spare): missed too. NaN and
                // overflow fail the comparison and go on to the exact test.
                const double tx = h.x - sp.ax, ty = h.y - sp.ay;
                const double o = sp.run_x * ty - sp.run_y * tx;
                const double reach = (std::fabs(sp.run_x) + std::fabs(sp.run_y)) *
                                         (std::max(std::fabs(h.x), std::fabs(h.y)) * 0x1p-52 + 0x1p-1073) +
                                     (std::fabs(sp.run_x * ty) + std::fabs(sp.run_y * tx)) * 0x1p-48 + 0x1p-1070;
                if (std::fabs(o) > reach) continue;
                if (h.point == segments[seg].first || h.point == segments[seg].second) continue;
                const auto mine_from = own.begin() + static_cast<std::ptrdiff_t>(first_own[seg]);
                const auto mine_to = own.begin() + static_cast<std::ptrdiff_t>(first_own[seg + 1]);
                if (std::binary_search(mine_from, mine_to, h.point)) continue;
                const double a_xy[2] = {sp.ax, sp.ay}, b_xy[2] = {sp.bx, sp.by};
                if (segment_meets_pixel(a_xy, b_xy, &h.x)) extra.emplace_back(seg, h.point);
            }
        }
    }
    std::sort(extra.begin(), extra.end());

    // Each segment's chain: its ends, its own crossings and the pixels it
    // meets, in order along it.
    struct Keyed {
        double key;
        double x;
        double y;
        uint32_t point;
    };
    std::vector<Keyed> keyed;
    out.chain.reserve(own.size() + extra.size() + 2 * segment_count);
    size_t next_extra = 0;
    for (size_t seg = 0; seg < segment_count; ++seg) {
        const uint32_t a = segments[seg].first, b = segments[seg].second;
        const double* pa = at(a);
        const double* pb = at(b);
        // In order along the segment: by the projection onto its direction
        // (coordinates scaled below 1, so nothing overflows), ties by the
        // coordinates in the segment's direction, then the index.
        const double dx = grid.scaled(pb[0]) - grid.scaled(pa[0]), dy = grid.scaled(pb[1]) - grid.scaled(pa[1]);
        const double sx = dx < 0.0 ? -1.0 : 1.0, sy = dy < 0.0 ? -1.0 : 1.0;
        keyed.clear();
        auto add = [&](uint32_t p) {
            const double* q = at(p);
            const double key = (grid.scaled(q[0]) - grid.scaled(pa[0])) * dx + (grid.scaled(q[1]) - grid.scaled(pa[1])) * dy;
            keyed.push_back({key, sx * q[0], sy * q[1], p});
        };
        for (size_t k = first_own[seg]; k < first_own[seg + 1]; ++k) add(own[k]);
        for (; next_extra < extra.size() && extra[next_extra].first == seg; ++next_extra) add(extra[next_extra].second);
        std::sort(keyed.begin(), keyed.end(), [](const Keyed& u, const Keyed& v) {
            if (u.key != v.key) return u.key < v.key;
            if (u.x != v.x) return u.x < v.x;
            if (u.y != v.y) return u.y < v.y;
            return u.point < v.point;
        });
        out.chain.push_back(a);
        for (const Keyed& k : keyed) out.chain.push_back(k.point);
        out.chain.push_back(b);
        out.start[seg + 1] = out.chain.size();
    }
    return out;
}

}  // namespace d2d::operations::constrained
