#include "constrained_run.hpp"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/output/shortest_number.hpp"
#include "index_array_mesh.hpp"
#include "polygon_faces.hpp"

namespace d2dcli {

namespace {

// Whether (x, y) lies on the segment from a to b, ends included. The three
// points are collinear exactly when the library finds no triangle on them:
// its own exact orientation test, so the program names the very hole points
// the library counted.
bool on_segment(const double* a, const double* b, double x, double y) {
    if (x < std::min(a[0], b[0]) || x > std::max(a[0], b[0]) || y < std::min(a[1], b[1]) ||
        y > std::max(a[1], b[1])) {
        return false;
    }
    const double three[6] = {a[0], a[1], b[0], b[1], x, y};
    delaunay2d_result mesh{};
    if (delaunay2d_triangulate(three, 3, 2, 1, &mesh) != DELAUNAY2D_OK) return false;
    const bool collinear = mesh.triangle_count == 0;
    delaunay2d_result_free(&mesh);
    return collinear;
}

// Warns about each hole point that lies on a segment: it removes nothing.
void warn_holes_on_segments(const std::vector<double>& holes, const delaunay2d_constrained_result& result) {
    for (size_t h = 0; h < holes.size() / 2; ++h) {
        for (size_t s = 0; s < result.segment_count; ++s) {
            const double* a = result.points + 2 * size_t{result.segments[2 * s]};
            const double* b = result.points + 2 * size_t{result.segments[2 * s + 1]};
            if (!on_segment(a, b, holes[2 * h], holes[2 * h + 1])) continue;
            char x[max_number_chars + 1] = {};
            char y[max_number_chars + 1] = {};
            write_shortest(x, holes[2 * h]);
            write_shortest(y, holes[2 * h + 1]);
            std::fprintf(stderr,
                         "delaunay2d: warning: hole point %zu (%s, %s) lies on a segment and removes nothing: "
                         "move it inside the hole\n",
                         h + 1, x, y);
            break;
        }
    }
}

}  // namespace

ConstrainedRun::ConstrainedRun(const ConstrainedInput& input, delaunay2d_region region, unsigned threads) {
    // A polygon layer keeps the union of its polygons, not what its rings
    // enclose even-odd (polygon_faces.hpp): the library meshes the hull.
    const bool by_polygons = region != DELAUNAY2D_REGION_HULL && !input.polygons.empty();
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.segments = input.segments.data();
    options.segment_count = input.segments.size() / 2;
    options.holes = input.holes.data();
    options.hole_count = input.holes.size() / 2;
    options.region = by_polygons ? DELAUNAY2D_REGION_HULL : region;
    options.threads = threads;
    options.regions = input.regions.data();
    options.region_count = input.regions.size();
    result_.struct_size = sizeof result_;
    const delaunay2d_status status =
        delaunay2d_triangulate_constrained(input.points.xy.data(), input.points.size(), 2, &options, &result_);
    if (status != DELAUNAY2D_OK) {
        throw TriangulationError(std::string("cannot triangulate: ") + delaunay2d_status_message(status));
    }
    if (result_.hole_on_segment_count > 0) warn_holes_on_segments(input.holes, result_);
    const std::size_t triangles = result_.mesh.triangle_count;
    if (result_.triangle_attributes != nullptr) {
        attributes_.assign(result_.triangle_attributes, result_.triangle_attributes + triangles);
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
