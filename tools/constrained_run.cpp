#include "constrained_run.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "index_array_mesh.hpp"
#include "polygon_faces.hpp"

namespace d2dcli {

namespace {

// The kept triangle holding each region point (-1 for none): one pass over
// the triangles, each checked against the points filed in the cells of a
// grid over the points that its bounding box covers.
std::vector<std::int64_t> holding_triangles(const delaunay2d_constrained_result& result,
                                            const std::vector<delaunay2d_region_point>& regions) {
    const delaunay2d_result& mesh = result.mesh;
    std::vector<std::int64_t> holder(regions.size(), -1);
    double west = std::numeric_limits<double>::infinity(), south = west, east = -west, north = -west;
    for (const delaunay2d_region_point& r : regions) {
        west = std::min(west, r.x);
        east = std::max(east, r.x);
        south = std::min(south, r.y);
        north = std::max(north, r.y);
    }
    const std::size_t side =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::sqrt(static_cast<double>(regions.size()))), 1, 1024);
    const double width = std::max(east - west, std::numeric_limits<double>::min()) / static_cast<double>(side);
    const double height = std::max(north - south, std::numeric_limits<double>::min()) / static_cast<double>(side);
    auto cell = [side](double at, double origin, double size) {
        const double c = std::floor((at - origin) / size);
        return c < 0.0 ? std::size_t{0} : std::min(static_cast<std::size_t>(c), side - 1);
    };
    std::vector<std::vector<std::size_t>> cells(side * side);
    for (std::size_t r = 0; r < regions.size(); ++r) {
        cells[cell(regions[r].y, south, height) * side + cell(regions[r].x, west, width)].push_back(r);
    }
    auto x = [&](std::uint32_t v) { return result.points[2 * v]; };
    auto y = [&](std::uint32_t v) { return result.points[2 * v + 1]; };
    for (std::size_t t = 0; t < mesh.triangle_count; ++t) {
        const std::uint32_t* v = &mesh.triangles[3 * t];
        const double tx0 = std::min({x(v[0]), x(v[1]), x(v[2])}), tx1 = std::max({x(v[0]), x(v[1]), x(v[2])});
        const double ty0 = std::min({y(v[0]), y(v[1]), y(v[2])}), ty1 = std::max({y(v[0]), y(v[1]), y(v[2])});
        if (tx1 < west || tx0 > east || ty1 < south || ty0 > north) {
            continue;
        }
        for (std::size_t row = cell(ty0, south, height); row <= cell(ty1, south, height); ++row) {
            for (std::size_t column = cell(tx0, west, width); column <= cell(tx1, west, width); ++column) {
                for (std::size_t r : cells[row * side + column]) {
                    bool inside = holder[r] < 0;
                    for (int k = 0; k < 3 && inside; ++k) {
                        const std::uint32_t a = v[k], b = v[(k + 1) % 3];
                        inside = (x(b) - x(a)) * (regions[r].y - y(a)) - (y(b) - y(a)) * (regions[r].x - x(a)) >= 0.0;
                    }
                    if (inside) {
                        holder[r] = static_cast<std::int64_t>(t);
                    }
                }
            }
        }
    }
    return holder;
}

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
    const std::vector<std::int64_t> holder = holding_triangles(result, regions);
    for (std::size_t r = 0; r < regions.size(); ++r) {
        if (holder[r] >= 0) {
            stack.push_back(static_cast<std::size_t>(holder[r]));
            seen[stack.back()] = r + 1;
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
    // A polygon layer keeps the union of its polygons, not what its rings
    // enclose even-odd (polygon_faces.hpp): the library meshes the hull.
    const bool by_polygons = inside && !input.polygons.empty();
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.segments = input.segments.data();
    options.segment_count = input.segments.size() / 2;
    options.holes = input.holes.data();
    options.hole_count = input.holes.size() / 2;
    options.region = inside && !by_polygons ? DELAUNAY2D_REGION_INSIDE : DELAUNAY2D_REGION_HULL;
    options.threads = threads;
    options.regions = input.regions.data();
    options.region_count = input.regions.size();
    result_.struct_size = sizeof result_;
    const delaunay2d_status status =
        delaunay2d_triangulate_constrained(input.points.xy.data(), input.points.size(), 2, &options, &result_);
    if (status != DELAUNAY2D_OK) {
        throw TriangulationError(std::string("cannot triangulate: ") + delaunay2d_status_message(status));
    }
    const std::size_t triangles = result_.mesh.triangle_count;
    if (!input.regions.empty()) {
        attributes_ = result_.triangle_attributes != nullptr
                          ? std::vector<double>(result_.triangle_attributes, result_.triangle_attributes + triangles)
                          : label_regions(result_, input.regions);
    }
    if (!by_polygons) {
        return;
    }
    const PolygonFaces faces = polygon_faces(result_, input.polygons);
    // The kept triangles, numbered anew, and their neighbours among them;
    // a triangle the regions did not reach (cut off from its polygon's
    // inner point by a breakline) takes its polygon's label all the same.
    std::vector<std::int64_t> number(triangles, -1);
    std::int64_t kept = 0;
    for (std::size_t t = 0; t < triangles; ++t) {
        number[t] = faces.keep[t] != 0 ? kept++ : -1;
    }
    std::vector<double> labels;
    for (std::size_t t = 0; t < triangles; ++t) {
        if (number[t] < 0) {
            continue;
        }
        for (int k = 0; k < 3; ++k) {
            triangles_.push_back(result_.mesh.triangles[3 * t + k]);
            const std::int32_t next = result_.mesh.neighbours[3 * t + k];
            neighbours_.push_back(next >= 0 ? static_cast<std::int32_t>(number[static_cast<std::size_t>(next)]) : -1);
        }
        if (!attributes_.empty()) {
            labels.push_back(attributes_[t] != 0.0 ? attributes_[t] : faces.label[t]);
        }
    }
    attributes_ = std::move(labels);
    filtered_ = true;
}

ConstrainedRun::~ConstrainedRun() { delaunay2d_constrained_result_free(&result_); }

MeshView ConstrainedRun::view() const {
    const delaunay2d_result& mesh = result_.mesh;
    MeshView view{{result_.points, 2 * mesh.point_count},
                  filtered_ ? std::span<const std::uint32_t>(triangles_)
                            : std::span<const std::uint32_t>(mesh.triangles, 3 * mesh.triangle_count),
                  filtered_ ? std::span<const std::int32_t>(neighbours_)
                            : std::span<const std::int32_t>(mesh.neighbours, 3 * mesh.triangle_count),
                  {mesh.hull, mesh.hull_count},
                  {mesh.vertex_of_point, mesh.point_count}};
    view.segments = {result_.segments, 2 * result_.segment_count};
    return view;
}

std::span<const double> ConstrainedRun::triangle_attributes() const { return attributes_; }

}  // namespace d2dcli
