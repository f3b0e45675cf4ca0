// The region a constrained call keeps: the whole hull, or what closed rings
// of segments enclose; minus the parts around hole points.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_KEPT_REGION_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_KEPT_REGION_HPP

#include <cstddef>
#include <cstdint>
#include <vector>

#include "operations/constrained/constrained_mesh.hpp"

namespace d2d::operations::constrained {

// 1 for each triangle kept, 0 for each removed. `inside`: keep only the
// triangles inside an odd number of rings of segment edges; else all. Then
// each hole point (x, y pairs) removes the triangles connected to the one
// holding it without crossing a segment edge (nothing when it lies outside
// the hull or in a part already removed). A hole point exactly on a segment
// edge or at a vertex of one removes nothing either, since which side it
// meant cannot be told; those are counted in *on_segment.
std::vector<uint8_t> kept_triangles(ConstrainedMesh& mesh, bool inside, const double* holes, size_t hole_count,
                                    size_t* on_segment);

// A region point of the caller's: (x, y) inside the region.
struct RegionSeed {
    double x;
    double y;
};

// For each triangle, the index of the region it belongs to, or -1: region
// k takes the kept triangles reachable from the one holding seeds[k]
// without crossing a segment edge; a later region overwrites an earlier.
std::vector<int32_t> region_of_triangles(ConstrainedMesh& mesh, const std::vector<uint8_t>& keep,
                                         const std::vector<RegionSeed>& seeds);

// Whether some closed ring of segment edges encloses a triangle: the region
// DELAUNAY2D_REGION_AUTO keeps the inside then, and the whole hull otherwise.
bool rings_enclose_a_triangle(const ConstrainedMesh& mesh);

}  // namespace d2d::operations::constrained

#endif
