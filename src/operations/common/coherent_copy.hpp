// A copy of the mesh's vertices in an order that keeps neighbours close in
// memory.
//
// The caller's points come in any order (often random), so the vertices of
// neighbouring triangles lie all over the coordinate array and nearly every
// step of a walk waits for memory. The triangles themselves are in a
// spatially coherent order (the index-array call writes them along its merge
// tree). Numbering the vertices in the order the triangles first name them
// puts the coordinates of nearby triangles next to each other. The copy
// costs one pass over the triangles and pays when there are about as many
// queries as points; triangle numbers are unchanged.
#ifndef DELAUNAY2D_OPERATIONS_COMMON_COHERENT_COPY_HPP
#define DELAUNAY2D_OPERATIONS_COMMON_COHERENT_COPY_HPP

#include <vector>

#include "operations/common/mesh_input.hpp"

namespace d2d::operations {

class CoherentCopy {
 public:
    // Copies the mesh's triangles (renumbered) and the coordinates of their
    // vertices; throws std::bad_alloc.
    explicit CoherentCopy(const MeshInput& mesh);

    // The mesh over the copy: the caller's neighbours, no hull, every
    // vertex standing for itself.
    const MeshInput& mesh() const { return mesh_; }
    const uint32_t* originals() const { return original_.data(); }
    // The caller's values (`width` per point) in the copy's order.
    std::vector<double> values_in_order(const double* values, size_t width) const;

 private:
    std::vector<double> xy_;
    std::vector<uint32_t> triangles_;
    std::vector<uint32_t> original_;
    MeshInput mesh_;
};

// Whether a copy pays for `queries` queries: when they are at least a
// quarter as many as the triangles.
inline bool coherent_copy_pays(const MeshInput& mesh, size_t queries) {
    return mesh.triangle_count > 0 && queries >= mesh.triangle_count / 4;
}

}  // namespace d2d::operations

#endif
