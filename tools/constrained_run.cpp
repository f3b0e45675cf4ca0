#include "constrained_run.hpp"

#include <string>

#include "index_array_mesh.hpp"

namespace d2dcli {

ConstrainedRun::ConstrainedRun(const ConstrainedInput& input, bool inside, unsigned threads,
                               const QualityBounds& bounds) {
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.segments = input.segments.data();
    options.segment_count = input.segments.size() / 2;
    options.holes = input.holes.data();
    options.hole_count = input.holes.size() / 2;
    options.region = inside ? DELAUNAY2D_REGION_INSIDE : DELAUNAY2D_REGION_HULL;
    options.threads = threads;
    options.regions = input.regions.data();
    options.region_count = input.regions.size();
    // A .poly whose regions carry area bounds asks for refinement by itself.
    bool region_areas = false;
    for (const delaunay2d_region_point& region : input.regions) {
        region_areas = region_areas || region.max_area > 0.0;
    }
    delaunay2d_quality_options quality{};
    quality.struct_size = sizeof quality;
    quality.min_angle = bounds.min_angle;
    quality.max_area = bounds.max_area;
    quality.max_steiner = bounds.max_steiner;
    quality.conforming = bounds.conforming ? 1 : 0;
    refined_ = bounds.min_angle > 0.0 || bounds.max_area > 0.0 || bounds.conforming || region_areas;
    options.quality = refined_ ? &quality : nullptr;
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
    if (result_.triangle_attributes != nullptr) {
        view.triangle_attributes = {result_.triangle_attributes, mesh.triangle_count};
    }
    return view;
}

}  // namespace d2dcli
