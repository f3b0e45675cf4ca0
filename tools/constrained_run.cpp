#include "constrained_run.hpp"

#include <string>

#include "index_array_mesh.hpp"

namespace d2dcli {

ConstrainedRun::ConstrainedRun(const ConstrainedInput& input, bool inside, unsigned threads) {
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.segments = input.segments.data();
    options.segment_count = input.segments.size() / 2;
    options.holes = input.holes.data();
    options.hole_count = input.holes.size() / 2;
    options.region = inside ? DELAUNAY2D_REGION_INSIDE : DELAUNAY2D_REGION_HULL;
    options.threads = threads;
    result_.struct_size = sizeof result_;
    const delaunay2d_status status =
        delaunay2d_triangulate_constrained(input.points.xy.data(), input.points.size(), 2, &options, &result_);
    if (status != DELAUNAY2D_OK) {
        throw TriangulationError(std::string("cannot triangulate: ") + delaunay2d_status_message(status));
    }
}

ConstrainedRun::~ConstrainedRun() { delaunay2d_constrained_result_free(&result_); }

MeshView ConstrainedRun::view() const {
    const delaunay2d_result& mesh = result_.mesh;
    MeshView view{{result_.points, 2 * mesh.point_count},
                  {mesh.triangles, 3 * mesh.triangle_count},
                  {mesh.neighbours, 3 * mesh.triangle_count},
                  {mesh.hull, mesh.hull_count},
                  {mesh.vertex_of_point, mesh.point_count}};
    view.segments = {result_.segments, 2 * result_.segment_count};
    return view;
}

}  // namespace d2dcli
