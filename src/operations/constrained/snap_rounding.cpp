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
// once, so each pixel once): a floating-point estimate rejects those far
// from it, its own crossings and ends need no test, and the exact test
// decides the few left.
#include "operations/constrained/snap_rounding.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

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
    // records sorted by point (then by segments, for a fixed order).
    std::sort(crossings.begin(), crossings.end(), [](const SegmentCrossing& a, const SegmentCrossing& b) {
        if (a.x != b.x) return a.x < b.x;
        if (a.y != b.y) return a.y < b.y;
        return a.first != b.first ? a.first < b.first : a.second < b.second;
    });
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

    // Each segment's own crossings, segment by segment.
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

    // The hot pixels: every end once, every crossing point; listed in the
    // grid cell of their point.
    std::vector<uint32_t> pixels;
    {
        std::vector<uint8_t> listed(count, 0);
        for (const auto& [a, b] : segments) {
            for (const uint32_t p : {a, b}) {
                if (listed[p] == 0) pixels.push_back(p);
                listed[p] = 1;
            }
        }
    }
    for (size_t p = count; p < points; ++p) pixels.push_back(static_cast<uint32_t>(p));
    double low_x = std::numeric_limits<double>::infinity(), low_y = low_x, high_x = -low_x, high_y = -low_x;
    for (const uint32_t p : pixels) {
        low_x = std::min(low_x, at(p)[0]);
        high_x = std::max(high_x, at(p)[0]);
        low_y = std::min(low_y, at(p)[1]);
        high_y = std::max(high_y, at(p)[1]);
    }
    if (pixels.empty()) return out;
    const SegmentGrid grid(low_x, low_y, high_x, high_y, pixels.size() / 4 + 1);
    std::vector<size_t> first_in_cell(grid.cell_count() + 1, 0);
    for (const uint32_t p : pixels) ++first_in_cell[grid.cell_of(at(p)[0], at(p)[1]) + 1];
    for (size_t c = 0; c < grid.cell_count(); ++c) first_in_cell[c + 1] += first_in_cell[c];
    // Each cell's pixels with their coordinates beside them, so that a
    // segment's scan reads memory in order.
    struct Pixel {
        double x;
        double y;
        uint32_t point;
    };
    std::vector<Pixel> in_cell(pixels.size());
    {
        std::vector<size_t> fill(first_in_cell.begin(), first_in_cell.end() - 1);
        for (const uint32_t p : pixels) in_cell[fill[grid.cell_of(at(p)[0], at(p)[1])]++] = {at(p)[0], at(p)[1], p};
    }

    // Each segment's chain.
    std::vector<uint32_t> met;
    std::vector<uint32_t> mine;
    struct Keyed {
        double key;
        double x;
        double y;
        uint32_t point;
    };
    std::vector<Keyed> keyed;
    for (size_t s = 0; s < segment_count; ++s) {
        const uint32_t a = segments[s].first, b = segments[s].second;
        const double* pa = at(a);
        const double* pb = at(b);
        mine.assign(own.begin() + static_cast<std::ptrdiff_t>(first_own[s]), own.begin() + static_cast<std::ptrdiff_t>(first_own[s + 1]));
        std::sort(mine.begin(), mine.end());
        met = mine;
        const double low_x = std::min(pa[0], pb[0]), high_x = std::max(pa[0], pb[0]);
        const double low_y = std::min(pa[1], pb[1]), high_y = std::max(pa[1], pb[1]);
        const double run_x = pb[0] - pa[0], run_y = pb[1] - pa[1];
        grid.for_cells(pa[0], pa[1], pb[0], pb[1], [&](size_t cell) {
            for (size_t k = first_in_cell[cell]; k < first_in_cell[cell + 1]; ++k) {
                const Pixel& h = in_cell[k];
                // The box reaches no double past h's neighbours: outside the
                // segment's ranges, h's box is missed (hot_pixels.cpp).
                if (h.x < low_x || h.x > high_x || h.y < low_y || h.y > high_y) continue;
                // Far from the line by more than the box's reach and the
                // rounding of this estimate (each below 2^-50 of the terms
                // and coordinates; a factor 16 spare): missed too. NaN and
                // overflow fail the comparison and go on to the exact test.
                const double tx = h.x - pa[0], ty = h.y - pa[1];
                const double o = run_x * ty - run_y * tx;
                const double reach = (std::fabs(run_x) + std::fabs(run_y)) * (std::max(std::fabs(h.x), std::fabs(h.y)) * 0x1p-52 + 0x1p-1073) +
                                     (std::fabs(run_x * ty) + std::fabs(run_y * tx)) * 0x1p-48 + 0x1p-1070;
                if (std::fabs(o) > reach) continue;
                if (h.point == a || h.point == b || std::binary_search(mine.begin(), mine.end(), h.point)) continue;
                if (segment_meets_pixel(pa, pb, &h.x)) met.push_back(h.point);
            }
        });
        // In order along the segment: by the projection onto its direction
        // (coordinates scaled below 1, so nothing overflows), ties by the
        // coordinates in the segment's direction, then the index.
        const double dx = grid.scaled(pb[0]) - grid.scaled(pa[0]), dy = grid.scaled(pb[1]) - grid.scaled(pa[1]);
        const double sx = dx < 0.0 ? -1.0 : 1.0, sy = dy < 0.0 ? -1.0 : 1.0;
        keyed.clear();
        for (const uint32_t p : met) {
            const double* q = at(p);
            const double key = (grid.scaled(q[0]) - grid.scaled(pa[0])) * dx + (grid.scaled(q[1]) - grid.scaled(pa[1])) * dy;
            keyed.push_back({key, sx * q[0], sy * q[1], p});
        }
        std::sort(keyed.begin(), keyed.end(), [](const Keyed& u, const Keyed& v) {
            if (u.key != v.key) return u.key < v.key;
            if (u.x != v.x) return u.x < v.x;
            if (u.y != v.y) return u.y < v.y;
            return u.point < v.point;
        });
        out.chain.push_back(a);
        for (const Keyed& k : keyed) out.chain.push_back(k.point);
        out.chain.push_back(b);
        out.start[s + 1] = out.chain.size();
    }
    return out;
}

}  // namespace d2d::operations::constrained
