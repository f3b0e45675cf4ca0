// The triangles a new segment crosses, as the walk along it finds them, and
// their replacement: the two polygons on either side of the segment, each
// triangulated constrained Delaunay.
#ifndef DELAUNAY2D_OPERATIONS_CONSTRAINED_SEGMENT_CAVITY_HPP
#define DELAUNAY2D_OPERATIONS_CONSTRAINED_SEGMENT_CAVITY_HPP

#include <cstdint>
#include <vector>

#include "operations/constrained/constrained_mesh.hpp"

namespace d2d::operations::constrained {

// An edge on the cavity's rim: the triangle outside it (-1 beyond the hull)
// and the segment it lies on (as in ConstrainedMesh::con).
struct RimEdge {
    int32_t outside;
    uint32_t owner;
};

// The cavity of segment a - e. left holds a, the vertices left of the
// segment in the order the walk meets them, then e; right the same for the
// vertices on the right. left_rim[k] is the rim edge between left[k] and
// left[k + 1] (right_rim likewise). slots are the crossed triangles, whose
// numbers the new triangles take: there are exactly as many new ones.
struct Cavity {
    std::vector<uint32_t> left;
    std::vector<uint32_t> right;
    std::vector<RimEdge> left_rim;
    std::vector<RimEdge> right_rim;
    std::vector<int32_t> slots;
    uint32_t owner = 0;  // the segment's value for ConstrainedMesh::con
    // Room the retriangulation reuses from cavity to cavity.
    struct Task {
        uint32_t i;
        uint32_t j;
        int32_t parent;  // the triangle whose edge `edge` is c[j] -> c[i], or -1 for the base
        int edge;
    };
    std::vector<Task> tasks;
    std::vector<uint32_t> reversed;
    std::vector<RimEdge> reversed_rim;

    void clear() {
        left.clear();
        right.clear();
        left_rim.clear();
        right_rim.clear();
        slots.clear();
    }
};

// Replaces the crossed triangles by the triangulations of the two polygons,
// with the segment as an edge flagged on a segment. Leaves `cavity` spent.
void retriangulate(ConstrainedMesh& mesh, Cavity& cavity);

}  // namespace d2d::operations::constrained

#endif
