#include "constrained_run.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "companion_mesh.hpp"

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

std::vector<double> ConstrainedRun::zw_with_added_points(std::span<const double> zw) const {
    std::vector<double> all(zw.begin(), zw.end());
    const std::size_t input = zw.size() / 2;
    const std::size_t count = result_.mesh.point_count;
    if (zw.empty() || count <= input) {
        return all;
    }
    all.resize(2 * count, 0.0);
    // An added crossing point takes the values of the points it is joined
    // to along segments, weighted by inverse distance: on one segment that
    // is the linear interpolation between its ends; where two cross, the
    // mean of both. Chains of crossings are settled from the input points
    // inwards, one pass per step.
    std::vector<bool> known(count, false);
    std::fill(known.begin(), known.begin() + static_cast<std::ptrdiff_t>(input), true);
    const double* xy = result_.points;
    bool progress = true;
    while (progress) {
        progress = false;
        std::vector<double> weight(count, 0.0);
        std::vector<double> sum(2 * count, 0.0);
        for (std::size_t s = 0; s < result_.segment_count; ++s) {
            const std::uint32_t a = result_.segments[2 * s];
            const std::uint32_t b = result_.segments[2 * s + 1];
            const double d = std::hypot(xy[2 * a] - xy[2 * b], xy[2 * a + 1] - xy[2 * b + 1]);
            const double w = d > 0.0 ? 1.0 / d : 1.0;
            for (const auto& [to, from] : {std::pair{a, b}, std::pair{b, a}}) {
                if (!known[to] && known[from]) {
                    weight[to] += w;
                    sum[2 * to] += w * all[2 * from];
                    sum[2 * to + 1] += w * all[2 * from + 1];
                }
            }
        }
        for (std::size_t v = input; v < count; ++v) {
            if (!known[v] && weight[v] > 0.0) {
                all[2 * v] = sum[2 * v] / weight[v];
                all[2 * v + 1] = sum[2 * v + 1] / weight[v];
                known[v] = true;
                progress = true;
            }
        }
    }
    return all;
}

}  // namespace d2dcli
