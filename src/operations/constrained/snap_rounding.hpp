// The segments as chains of vertices that no longer cross: snap rounding of
// the segment arrangement on the grid of doubles.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_SNAP_ROUNDING_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_SNAP_ROUNDING_HPP

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace d2d::operations::constrained {

struct SnappedSegments {
    // x, y of each rounded crossing that is a new point, in Morton order
    // (then by x, then y); point
    // count + k is added[2k], added[2k + 1].
    std::vector<double> added;
    // Segment s becomes the chain of points chain[start[s] .. start[s + 1]):
    // its first end, the hot pixels it passes through in order along it,
    // its second end. Points are input points (below count) or added ones.
    std::vector<uint32_t> chain;
    std::vector<size_t> start;
};

// Snap-rounds the segments (pairs of indices into the count points of xy,
// each end finite, the ends apart): every proper crossing, rounded, and
// every end is a hot pixel, and each segment is routed through the centre of
// every hot pixel it meets. Crossings that round to one point give one
// point; a crossing that rounds onto an input point is still listed in
// `added` (the triangulation finds it repeated).
SnappedSegments snap_segments(const std::vector<double>& xy, size_t count,
                              const std::vector<std::pair<uint32_t, uint32_t>>& segments);

}  // namespace d2d::operations::constrained

#endif
