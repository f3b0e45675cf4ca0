// The nearest of a set of points to a query, exactly, by a k-d tree.
//
// For meshes where a descent along edges may stop short of the nearest
// vertex (a constrained mesh, holes, a notch, a host's mesh that is not
// Delaunay). Each node halves its points at the median along the wider side
// of their bounding box:
//
//     +-----+-------+        a node is skipped when the nearest point of
//     | . . | .   . |        its box is strictly farther from the query
//     |  .  |  . q  |        than the best point so far (exact), so ties
//     | .   |.    . |        are all seen and the lowest index wins
//     +-----+-------+
#ifndef DELAUNAY2D_OPERATIONS_INTERPOLATE_NEAREST_POINT_TREE_HPP
#define DELAUNAY2D_OPERATIONS_INTERPOLATE_NEAREST_POINT_TREE_HPP

#include <cstdint>
#include <vector>

#include "operations/common/mesh_input.hpp"

namespace d2d::operations {

class NearestPointTree {
 public:
    // Over the given points of the mesh (indices into its coordinates).
    // Throws std::bad_alloc.
    NearestPointTree(const MeshInput& mesh, std::vector<uint32_t> points);

    // The point nearest to (qx, qy) by exact comparison of squared
    // distances, the lowest index on a tie; finite query, at least one point.
    uint32_t nearest(double qx, double qy) const;

 private:
    struct Node {
        double box[4];       // xmin, ymin, xmax, ymax of its points
        uint32_t first = 0;  // its points: points_[first, last)
        uint32_t last = 0;
        int32_t low = -1;    // children, or -1 for a leaf
        int32_t high = -1;
    };
    int32_t build(uint32_t first, uint32_t last);

    const MeshInput* mesh_;
    std::vector<uint32_t> points_;
    std::vector<Node> nodes_;
};

}  // namespace d2d::operations

#endif
