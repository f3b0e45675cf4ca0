// Point location: the triangle of the mesh that holds a query point.
//
// The locator walks from a given triangle towards the query (a visibility
// walk with exact orientation tests), and falls back to an exact search
// where the walk cannot decide:
//
//   - the walk leaves the mesh through an edge without a neighbour: outside
//     when the boundary is one convex loop, else the triangle grid decides
//     (holes, notches, separate pieces);
//   - the walk goes on for more steps than there are triangles (it can
//     cycle in a triangulation that is not Delaunay): the grid, or a scan
//     of every triangle, decides.
#ifndef DELAUNAY2D_OPERATIONS_LOCATE_POINT_LOCATOR_HPP
#define DELAUNAY2D_OPERATIONS_LOCATE_POINT_LOCATOR_HPP

#include <memory>

#include "operations/common/mesh_input.hpp"
#include "operations/locate/triangle_grid.hpp"

namespace d2d::operations {

class PointLocator {
 public:
    // Looks at the mesh's boundary and builds the grid when it is needed.
    // Throws std::bad_alloc.
    explicit PointLocator(const MeshInput& mesh);

    // A triangle holding (qx, qy), found from `start` (a triangle, or -1
    // for none), or -1. The query's coordinates must be finite. `start`
    // becomes the triangle the walk ended in (also where it left the mesh),
    // a good start for a query nearby.
    int32_t locate(double qx, double qy, int32_t& start) const;

    const MeshInput& mesh() const { return mesh_; }

 private:
    int32_t search(double qx, double qy) const;

    MeshInput mesh_;
    bool convex_ = false;
    std::unique_ptr<TriangleGrid> grid_;
};

}  // namespace d2d::operations

#endif
