// The inner and edge parts of a mesh, the end of a cross edge that lies in
// the mesh of one side, and the links back to a triangle, as the merge
// stages read and change them in records a host may have filled in any way.
#ifndef DELAUNAY2D_BLOCKS_MESH_MESH_PARTS_HPP
#define DELAUNAY2D_BLOCKS_MESH_MESH_PARTS_HPP

#include <cstddef>

#include "delaunay2d.h"

namespace d2d {

// The number of leading records of the mesh that count as inner: its
// inner_length, but never more than the records the block holds.
inline size_t inner_triangle_count(const Mesh2D* mesh) {
    return mesh->inner_length < mesh->length ? mesh->inner_length : mesh->length;
}

// The number of edge triangles, records inner_length to length - 1.
inline size_t edge_triangle_count(const Mesh2D* mesh) { return mesh->length - inner_triangle_count(mesh); }

// The end of the cross edge in the mesh of the given side (0 left, 1 right),
// or null for any other side index.
inline Point3D* side_end(const LREdge& edge, int side) {
    if (side == 0) return edge.left;
    if (side == 1) return edge.right;
    return nullptr;
}

// Makes each neighbour of `t` that links back to it link to `to` instead
// (its first such link; null unlinks it): how a triangle is unlinked when a
// merge removes it, and how links follow a triangle copied to another block.
inline void repoint_back_links(const Triangle* t, Triangle* to) {
    for (Triangle* neighbour : t->vor) {
        if (neighbour == nullptr) continue;
        for (Triangle*& back : neighbour->vor) {
            if (back == t) {
                back = to;
                break;
            }
        }
    }
}

}  // namespace d2d

#endif
