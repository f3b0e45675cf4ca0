// Turning a finished triangulation into the mesh block a host reads.
#ifndef DELAUNAY2D_TRACED_WRITE_WRITE_MESH_HPP
#define DELAUNAY2D_TRACED_WRITE_WRITE_MESH_HPP

#include "engine/system/page_buffer.hpp"
#include "engine/system/thread_count.hpp"
#include "delaunay2d.h"
#include "traced/4_triangulate/triangulation_result.hpp"

namespace d2d::traced {

// Writes the triangles of `result` (vertex ids index `records`) into a mesh
// block sized to exactly its triangles. With `block` null a new block is
// allocated; otherwise `block` is resized when `resize` is set and must
// already have room for every triangle when it is not. Returns the block,
// which a resize may have moved. Every record is built as a new triangle
// (vertices, centroid, radius 0.0) and then linked to its neighbours; many
// records are written on `threads`.
Mesh2D* write_mesh(const TriangulationResult& result, const PageBuffer<Point3D*>& records, Mesh2D* block,
                   bool resize, ThreadCount threads);

}  // namespace d2d::traced

#endif
