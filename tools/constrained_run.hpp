// The constrained triangulation of a .poly or GeoJSON input through the
// library's delaunay2d_triangulate_constrained, with its regions and, when
// asked for, quality refinement.
#pragma once

#include <delaunay2d.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "formats/read/constrained_input.hpp"
#include "formats/mesh_write/mesh_view.hpp"

namespace d2dcli {

// What refinement is asked to reach; all zero (and no region with an area
// bound in the input) runs no refinement.
struct QualityBounds {
    double min_angle = 0.0;         // degrees
    double max_area = 0.0;
    std::uint64_t max_steiner = 0;  // 0: the library's own budget only
    bool conforming = false;
};

class ConstrainedRun {
public:
    // Triangulates the input (which must outlive this object) keeping the
    // region asked for (DELAUNAY2D_REGION_AUTO: inside when the segments
    // close a ring, the hull otherwise), refining as bounds ask; warns about
    // hole points on segments; throws TriangulationError with the library's
    // message when the call fails.
    ConstrainedRun(const ConstrainedInput& input, delaunay2d_region region, unsigned threads,
                   const QualityBounds& bounds = {});
    ConstrainedRun(const ConstrainedRun&) = delete;
    ConstrainedRun& operator=(const ConstrainedRun&) = delete;
    ~ConstrainedRun();
    // Over the input points and the points added after them (crossings,
    // then refinement's), with each triangle's region attribute when the
    // input has regions.
    MeshView view() const;
    // Each triangle's region attribute (the input's regions; 0 outside
    // them), or empty when the input has no regions.
    std::span<const double> triangle_attributes() const;
    // Whether refinement ran, and the figures of the kept triangles.
    bool refined() const { return refined_; }
    const delaunay2d_mesh_quality& quality() const { return result_.quality; }
    std::size_t hole_points_on_segments() const { return result_.hole_on_segment_count; }
    // The library's result as it came back (before a polygon layer's filter).
    const delaunay2d_constrained_result& result() const { return result_; }

private:
    delaunay2d_constrained_result result_{};
    bool refined_ = false;
    std::vector<double> attributes_;  // the triangles' region attributes, as the view lists them
    // A polygon layer's mesh: the triangles inside its polygons, and their
    // neighbours among them (polygon_faces.hpp).
    bool filtered_ = false;
    std::vector<std::uint32_t> triangles_;
    std::vector<std::int32_t> neighbours_;
};

}  // namespace d2dcli
