// The constrained triangulation of a .poly or GeoJSON input through the
// library's delaunay2d_triangulate_constrained.
#pragma once

#include <delaunay2d.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/read/constrained_input.hpp"
#include "formats/mesh_write/mesh_view.hpp"

namespace d2dcli {

class ConstrainedRun {
public:
    // Triangulates the input (which must outlive this object) keeping the
    // region asked for (DELAUNAY2D_REGION_AUTO: inside when the segments
    // close a ring, the hull otherwise); warns about hole points on
    // segments; throws TriangulationError with the library's message when
    // the call fails.
    ConstrainedRun(const ConstrainedInput& input, delaunay2d_region region, unsigned threads);
    ConstrainedRun(const ConstrainedRun&) = delete;
    ConstrainedRun& operator=(const ConstrainedRun&) = delete;
    ~ConstrainedRun();
    // Over the input points and the crossing points added after them.
    MeshView view() const;
    // Each triangle's region attribute (the input's regions; 0 outside
    // them), or empty when the input has no regions.
    std::span<const double> triangle_attributes() const;

private:
    delaunay2d_constrained_result result_{};
    std::vector<double> attributes_;  // the triangles' labels, as the view lists them
    // A polygon layer's mesh: the triangles inside its polygons, and their
    // neighbours among them (polygon_faces.hpp).
    bool filtered_ = false;
    std::vector<std::uint32_t> triangles_;
    std::vector<std::int32_t> neighbours_;
};

}  // namespace d2dcli
