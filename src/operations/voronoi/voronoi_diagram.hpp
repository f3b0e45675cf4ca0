// The Voronoi diagram read off a triangulation, into the host's record.
#ifndef DELAUNAY2D_OPERATIONS_VORONOI_VORONOI_DIAGRAM_HPP
#define DELAUNAY2D_OPERATIONS_VORONOI_VORONOI_DIAGRAM_HPP

#include "delaunay2d.h"
#include "operations/common/mesh_input.hpp"

namespace d2d::operations {

// Fills every array of out (struct_size untouched); throws std::bad_alloc,
// leaving what it allocated in out for the caller to free.
void build_voronoi(const MeshInput& mesh, delaunay2d_voronoi& out);

// Each point's cell clipped to the box, into out; throws std::bad_alloc
// like build_voronoi.
void build_cells(const MeshInput& mesh, const double box[4], unsigned threads, delaunay2d_cells& out);

}  // namespace d2d::operations

#endif
