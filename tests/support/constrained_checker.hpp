// An independent exact check of a constrained triangulation returned by
// the library (GMP rationals behind the quick floating-point filters; the
// library's own predicates are never used).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "delaunay2d.h"

namespace d2dtest {

struct ConstrainedInput {
    std::vector<double> xy;           // the input points, x, y
    std::vector<uint32_t> segments;   // pairs of input point indices
    std::vector<double> holes;
    int region = DELAUNAY2D_REGION_HULL;
    // Let a covering path pass any vertex (off by default: a segment may
    // pass only through vertices whose hot pixel it meets).
    bool crossings = false;
    // Leave out the covering paths (a caller that follows each segment's
    // chain itself, as the quality checker does).
    bool skip_coverage = false;
};

// Checks, and returns the first failure ("" when all hold):
// - every triangle is counter-clockwise with nonzero area; neighbours are
//   mutual and both sides of an edge carry the same segment flag;
// - the points array starts with the input points; added points are
//   finite; every segment edge listed is an edge of the mesh unless a
//   removed part lies on both sides of it, and every flagged edge is listed;
// - every input segment is covered: a path of listed edges joins its ends,
//   passing only through vertices whose hot pixel (the closed box of the
//   points that round to the vertex) the segment meets, which is where snap
//   rounding may route it; every listed edge lies on such a path;
// - every edge with triangles on both sides and no flag is locally
//   Delaunay (exact in-circle against the opposite vertex);
// - for the region "hull" without holes: the triangles tile the convex hull
//   of all points (area equal to the hull's, Euler's count) and every
//   distinct point is a vertex;
// - when `rings` are given (x, y pairs each, outer rings counter-clockwise,
//   holes clockwise, none crossing another), the kept triangles' area
//   equals the rings' signed area, exactly.
std::string check_constrained(const ConstrainedInput& input, const delaunay2d_constrained_result& result,
                              const std::vector<std::vector<double>>* rings = nullptr);

}  // namespace d2dtest
