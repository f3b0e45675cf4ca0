// Whether a mesh's boundary is one convex loop.
//
// A walk that leaves the mesh through an edge with no neighbour has shown
// that the query lies strictly outside that edge's line. When the boundary
// is a single convex loop (the index-array call's result: the boundary is the
// convex hull) that line supports the whole mesh, so the query is outside
// it. Otherwise (holes, a notch, pieces touching at a vertex) the query may
// still lie in another part, and the locator looks it up elsewhere.
#ifndef DELAUNAY2D_OPERATIONS_LOCATE_BOUNDARY_SHAPE_HPP
#define DELAUNAY2D_OPERATIONS_LOCATE_BOUNDARY_SHAPE_HPP

#include "operations/common/mesh_input.hpp"

namespace d2d::operations {

// True when the edges without a neighbour form one closed loop through
// distinct vertices that never turns clockwise. Throws std::bad_alloc.
bool boundary_is_one_convex_loop(const MeshInput& mesh);

}  // namespace d2d::operations

#endif
