// Every proper crossing among the input segments, found before any of them
// is inserted.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_SEGMENT_CROSSINGS_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_SEGMENT_CROSSINGS_HPP

#include <cstdint>
#include <utility>
#include <vector>

namespace d2d::operations::constrained {

// Two segments that cross at one point inside both, and that point rounded
// to doubles (crossing_point).
struct SegmentCrossing {
    double x;
    double y;
    uint32_t first;   // positions in the segment list, first < second
    uint32_t second;
};

// The proper crossings of the segments (pairs of point indices into xy, x
// and y per point, every end finite and the two ends of a segment apart),
// in a fixed order: grouped by first (the groups along a space-filling
// curve through the segments' midpoints), then by point. Of one segment's
// crossings with later ones that round to one point only the first is
// listed. Segments that touch, overlap along a line or meet at an end cross
// nowhere here.
std::vector<SegmentCrossing> segment_crossings(const std::vector<double>& xy,
                                               const std::vector<std::pair<uint32_t, uint32_t>>& segments);

}  // namespace d2d::operations::constrained

#endif
