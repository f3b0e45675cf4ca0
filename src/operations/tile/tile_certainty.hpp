// Which triangles and hull edges of a tile's mesh are certainly those of the
// whole set's triangulation, given the unseen part of the whole set's bounds.
#ifndef DELAUNAY2D_OPERATIONS_TILE_TILE_CERTAINTY_HPP
#define DELAUNAY2D_OPERATIONS_TILE_TILE_CERTAINTY_HPP

#include <cstdint>

#include "operations/common/mesh_input.hpp"
#include "operations/tile/unseen_region.hpp"

namespace d2d::operations::tile {

// Whether the closed circumdisk of a, b, c misses every strip of unseen,
// proven with outward-rounded intervals: false whenever rounding could
// hide a touch (nearly collinear corners, a radius that overflows).
bool circumdisk_misses(double ax, double ay, double bx, double by, double cx, double cy, const UnseenRegion& unseen);

// Whether the closed half-plane right of the directed line p -> q misses
// every strip of unseen, decided by exact orientation tests.
bool outer_half_plane_misses(double px, double py, double qx, double qy, const UnseenRegion& unseen);

// Writes the flags of every triangle and, when certain_hull_edge is not
// null, of every hull edge. A triangle is certain when its closed
// circumdisk misses the unseen strips (points on its circle included: the
// mesh cuts cocircular points by the points alone, as the whole set's does);
// a hull edge when the half-plane beyond it misses them.
void mark_certain(const MeshInput& mesh, const UnseenRegion& unseen, uint8_t* certain_triangle,
                  uint8_t* certain_hull_edge);

}  // namespace d2d::operations::tile

#endif
