// A bucket grid of triangles: the exact fallback of point location.
//
// Each cell lists the triangles whose bounding box meets it, in index
// order. A query looks only in its own cell and tests each listed triangle
// with three exact orientation tests; the first that contains it is the
// answer. The cell of a coordinate is a monotone function of it, so a
// triangle whose box holds the query is always listed in the query's cell.
#ifndef DELAUNAY2D_OPERATIONS_LOCATE_TRIANGLE_GRID_HPP
#define DELAUNAY2D_OPERATIONS_LOCATE_TRIANGLE_GRID_HPP

#include <vector>

#include "operations/common/mesh_input.hpp"

namespace d2d::operations {

// Whether triangle t holds (qx, qy), boundary included (exact).
bool triangle_holds(const MeshInput& mesh, size_t t, double qx, double qy);

class TriangleGrid {
 public:
    // Throws std::bad_alloc.
    explicit TriangleGrid(const MeshInput& mesh);
    // The lowest-index triangle listed in the query's cell that holds it,
    // or -1.
    int32_t find(const MeshInput& mesh, double qx, double qy) const;

 private:
    size_t column(double x) const;
    size_t row(double y) const;

    double low_x_ = 0.0, low_y_ = 0.0, scale_x_ = 0.0, scale_y_ = 0.0, high_x_ = 0.0, high_y_ = 0.0;
    size_t columns_ = 1, rows_ = 1;
    std::vector<size_t> first_;      // columns_ * rows_ + 1 offsets into listed_
    std::vector<int32_t> listed_;
};

}  // namespace d2d::operations

#endif
