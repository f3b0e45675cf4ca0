// A triangulation as the writers see it: indices into the input points,
// borrowed from whoever holds them (the library's result, or the arrays
// built from a traced run).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "formats/read/point_set.hpp"

namespace d2dcli {

struct MeshView {
    std::span<const double> xy;                  // input points, x and y interleaved
    std::span<const std::uint32_t> triangles;    // 3 input indices per triangle, counter-clockwise
    std::span<const std::int32_t> neighbours;    // 3 per triangle: across edge (v[i], v[(i+1)%3]), or -1
    std::span<const std::uint32_t> hull;         // hull vertices, counter-clockwise
    std::span<const std::int32_t> vertex_of_point;  // per input point: its vertex, or -1 when not finite
    // What the input gave beside x and y: z and w per input point (empty
    // when it gave neither), how many of the two were columns of the input,
    // and the ids of a named id column (null without one).
    std::span<const double> zw{};
    int extra_columns = 0;
    const PointIds* ids = nullptr;
    std::span<const std::uint32_t> segments = {};  // pairs of points: the segments as split (constrained meshes)
    // Per triangle, the code of its region's label (0: none), and what the
    // codes stand for (null without labels).
    std::span<const double> triangle_labels = {};
    const RegionLabels* labels = nullptr;

    std::size_t point_count() const { return xy.size() / 2; }
    std::size_t triangle_count() const { return triangles.size() / 3; }
    double x(std::size_t i) const { return xy[2 * i]; }
    double y(std::size_t i) const { return xy[2 * i + 1]; }
    bool has_z() const { return !zw.empty(); }
    double z(std::size_t i) const { return zw.empty() ? 0.0 : zw[2 * i]; }
    double w(std::size_t i) const { return zw.empty() ? 0.0 : zw[2 * i + 1]; }
    bool has_ids() const { return ids != nullptr && !ids->empty(); }
    bool has_labels() const { return labels != nullptr && !labels->empty() && triangle_labels.size() == triangle_count(); }
};

}  // namespace d2dcli
