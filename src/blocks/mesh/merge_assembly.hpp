// Steps of the assembly of a merged mesh shared by the exported operations.
#ifndef DELAUNAY2D_BLOCKS_MESH_MERGE_ASSEMBLY_HPP
#define DELAUNAY2D_BLOCKS_MESH_MERGE_ASSEMBLY_HPP

#include <cstddef>

#include "delaunay2d.h"

namespace d2d {

// Appends one new triangle per pair of consecutive cross edges, bottom to
// top, each linked to its predecessor and to its side neighbour among the
// survivors; the inner and edge parts are not restored here.
void append_lr_line_triangles(Mesh2D* mesh, const LREdgeList* list, size_t right_inner_beg, size_t right_edge_beg,
                              size_t lr_beg);

// Clears every link of the mesh that designates no record of its own block.
// A merge runs it before it frees the half meshes: a link that one of its
// steps left one-way (a slot overwritten by a later link) would otherwise
// keep designating a record of a freed half.
void clear_links_outside(Mesh2D* mesh);

}  // namespace d2d

#endif
