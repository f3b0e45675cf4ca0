#include "refinement_heights.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>

namespace d2dcli {

namespace {

// Owns a constrained result for the length of a call.
struct UnrefinedMesh {
    delaunay2d_constrained_result result{};
    UnrefinedMesh() { result.struct_size = sizeof result; }
    ~UnrefinedMesh() { delaunay2d_constrained_result_free(&result); }
    UnrefinedMesh(const UnrefinedMesh&) = delete;
    UnrefinedMesh& operator=(const UnrefinedMesh&) = delete;
};

}  // namespace

void add_refinement_heights(const ConstrainedInput& input, const delaunay2d_constrained_result& refined,
                            std::vector<double>& zw) {
    const std::size_t total = refined.mesh.point_count;
    const std::size_t added = static_cast<std::size_t>(refined.quality.added_by_refinement);
    if (added == 0 || zw.size() < 2 * total) {
        return;
    }
    // The same segments over the whole hull, without refinement: its points
    // are the refined mesh's first total - added, crossings included.
    delaunay2d_constraint_options options{};
    options.struct_size = sizeof options;
    options.segments = input.segments.data();
    options.segment_count = input.segments.size() / 2;
    options.region = DELAUNAY2D_REGION_HULL;
    options.threads = 1;
    UnrefinedMesh unrefined;
    if (delaunay2d_triangulate_constrained(input.points.xy.data(), input.points.size(), 2, &options,
                                           &unrefined.result) != DELAUNAY2D_OK ||
        unrefined.result.mesh.point_count != total - added) {
        return;
    }
    const std::size_t first = total - added;
    std::vector<double> values(zw.begin(), zw.begin() + static_cast<std::ptrdiff_t>(2 * first));
    std::vector<double> heights(2 * added);
    if (delaunay2d_interpolate(unrefined.result.points, 2, &unrefined.result.mesh, values.data(), 2,
                               DELAUNAY2D_LINEAR, refined.points + 2 * first, added, NAN, 1,
                               heights.data()) != DELAUNAY2D_OK) {
        return;
    }
    for (std::size_t i = 0; i < 2 * added; ++i) {
        if (!std::isnan(heights[i])) {
            zw[2 * first + i] = heights[i];
        }
    }
}

}  // namespace d2dcli
