// The constrained triangulation of a .poly or GeoJSON input through the
// library's delaunay2d_triangulate_constrained.
#pragma once

#include <delaunay2d.h>

#include <span>
#include <string>
#include <vector>

#include "mesh_files/constrained_input.hpp"
#include "mesh_files/mesh_view.hpp"

namespace d2dcli {

class ConstrainedRun {
public:
    // Triangulates the input (which must outlive this object) keeping the
    // region "inside" or "hull"; throws TriangulationError with the
    // library's message when the call fails.
    ConstrainedRun(const ConstrainedInput& input, bool inside, unsigned threads);
    ConstrainedRun(const ConstrainedRun&) = delete;
    ConstrainedRun& operator=(const ConstrainedRun&) = delete;
    ~ConstrainedRun();
    // Over the input points and the crossing points added after them.
    MeshView view() const;
    // z and w (as a PointSet holds them) for every point of the mesh: the
    // input's, then values for the added crossing points, carried along the
    // segments from the points they join.
    std::vector<double> zw_with_added_points(std::span<const double> zw) const;

private:
    delaunay2d_constrained_result result_{};
};

}  // namespace d2dcli
