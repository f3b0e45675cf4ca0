// The constrained triangulation of a .poly or GeoJSON input through the
// library's delaunay2d_triangulate_constrained.
#pragma once

#include <delaunay2d.h>

#include <string>

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

private:
    delaunay2d_constrained_result result_{};
};

}  // namespace d2dcli
