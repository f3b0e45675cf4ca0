#include "constrained_run.hpp"

#include <string>
#include <vector>

#include "index_array_mesh.hpp"

namespace d2dcli {

namespace {

// Each region's attribute spread from the triangle holding its point to
// every triangle reached without crossing a segment, later regions over
// earlier ones: what the library does with regions, for a library built
// without them. Each region visits every triangle at most once.
std::vector<double> label_regions(const delaunay2d_constrained_result& result,
                                  const std::vector<delaunay2d_region_point>& regions) {
    const delaunay2d_result& mesh = result.mesh;
    const std::size_t triangles = mesh.triangle_count;
    std::vector<double> attributes(triangles, 0.0);
    std::vector<std::size_t> seen(triangles, 0);  // the last region (from 1) that reached it
    std::vector<std::size_t> stack;
    auto x = [&](std::uint32_t v) { return result.points[2 * v]; };
    auto y = [&](std::uint32_t v) { return result.points[2 * v + 1]; };
    for (std::size_t r = 0; r < regions.size(); ++r) {
        const double px = regions[r].x, py = regions[r].y;
        for (std::size_t t = 0; t < triangles && stack.empty(); ++t) {
            bool inside = true;
            for (int k = 0; k < 3 && inside; ++k) {
                const std::uint32_t a = mesh.triangles[3 * t + k], b = mesh.triangles[3 * t + (k + 1) % 3];
                inside = (x(b) - x(a)) * (py - y(a)) - (y(b) - y(a)) * (px - x(a)) >= 0.0;
            }
            if (inside) {
                stack.push_back(t);
                seen[t] = r + 1;
            }
        }
        while (!stack.empty()) {
            const std::size_t t = stack.back();
            stack.pop_back();
            attributes[t] = regions[r].attribute;
            for (int k = 0; k < 3; ++k) {
                const std::int32_t next = mesh.neighbours[3 * t + k];
                if (next >= 0 && result.constrained[3 * t + k] == 0 && seen[static_cast<std::size_t>(next)] != r + 1) {
                    seen[static_cast<std::size_t>(next)] = r + 1;
                    stack.push_back(static_cast<std::size_t>(next));
                }
            }
        }
    }
    return attributes;
}

}  // namespace

ConstrainedRun::ConstrainedRun(const ConstrainedInput& input, bool inside, unsigned threads) {
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
    result_.struct_size = sizeof result_;
    const delaunay2d_status status =
        delaunay2d_triangulate_constrained(input.points.xy.data(), input.points.size(), 2, &options, &result_);
    if (status != DELAUNAY2D_OK) {
        throw TriangulationError(std::string("cannot triangulate: ") + delaunay2d_status_message(status));
    }
    if (!input.regions.empty() && result_.triangle_attributes == nullptr) {
        attributes_ = label_regions(result_, input.regions);
    }
}

std::span<const double> ConstrainedRun::triangle_attributes() const {
    if (result_.triangle_attributes != nullptr) {
        return {result_.triangle_attributes, result_.mesh.triangle_count};
    }
    return attributes_;
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
