// The Voronoi diagram as the dual of the triangulation.
//
//   vertex t        circumcentre of triangle t
//   ridge           one per edge (a, b): it separates a and b, and joins the
//                   circumcentres of the two triangles beside the edge, or
//                   runs from the one triangle's to infinity on the boundary
//   region of p     the circumcentres of the triangles around p, turning
//                   counter-clockwise; on the boundary the turn starts at
//                   the fan's first triangle and -1 closes it (the cell
//                   opens to infinity between the last and the first)
#include "operations/voronoi/voronoi_diagram.hpp"

#include <vector>

#include "operations/common/circumcentre.hpp"
#include "operations/common/vertex_fans.hpp"

namespace d2d::operations {
namespace {

// A point whose cell is empty: a repeat or a point with a NaN or infinite
// coordinate, or (in a mesh that leaves points out) no vertex at all.
bool stands_for_itself(const MeshInput& m, size_t i) { return m.represents(i); }

void build_line_diagram(const MeshInput& m, delaunay2d_voronoi& out) {
    // All points on one line: no vertex, a ridge between each pair of
    // neighbours along the line, each cell open at both ends.
    const size_t ridges = m.hull_count > 0 ? m.hull_count - 1 : 0;
    out.vertex_count = 0;
    out.vertices = allocate_host_array<double>(0);
    out.ridge_count = ridges;
    out.ridge_points = allocate_host_array<uint32_t>(2 * ridges);
    out.ridge_vertices = allocate_host_array<int32_t>(2 * ridges);
    for (size_t r = 0; r < ridges; ++r) {
        out.ridge_points[2 * r] = m.hull[r];
        out.ridge_points[2 * r + 1] = m.hull[r + 1];
        out.ridge_vertices[2 * r] = -1;
        out.ridge_vertices[2 * r + 1] = -1;
    }
    std::vector<bool> on_line(m.point_count, false);
    for (size_t k = 0; k < m.hull_count; ++k) on_line[m.hull[k]] = true;
    out.region_offsets = allocate_host_array<size_t>(m.point_count + 1);
    out.regions = allocate_host_array<int32_t>(m.hull_count);
    size_t at = 0;
    for (size_t i = 0; i < m.point_count; ++i) {
        out.region_offsets[i] = at;
        if (on_line[i] && stands_for_itself(m, i) && at < m.hull_count) out.regions[at++] = -1;
    }
    out.region_offsets[m.point_count] = at;
}

}  // namespace

void build_voronoi(const MeshInput& m, delaunay2d_voronoi& out) {
    if (m.triangle_count == 0) {
        build_line_diagram(m, out);
        return;
    }
    out.vertex_count = m.triangle_count;
    out.vertices = allocate_host_array<double>(2 * m.triangle_count);
    size_t ridges = 0;
    for (size_t t = 0; t < m.triangle_count; ++t) {
        const Vec2 c = circumcentre(Vec2{m.x(m.vertex(t, 0)), m.y(m.vertex(t, 0))},
                                    Vec2{m.x(m.vertex(t, 1)), m.y(m.vertex(t, 1))},
                                    Vec2{m.x(m.vertex(t, 2)), m.y(m.vertex(t, 2))});
        out.vertices[2 * t] = c.x;
        out.vertices[2 * t + 1] = c.y;
        for (int e = 0; e < 3; ++e) {
            const int32_t n = m.neighbour(t, e);
            if (n < 0 || t < static_cast<size_t>(n)) ++ridges;
        }
    }
    out.ridge_count = ridges;
    out.ridge_points = allocate_host_array<uint32_t>(2 * ridges);
    out.ridge_vertices = allocate_host_array<int32_t>(2 * ridges);
    size_t r = 0;
    for (size_t t = 0; t < m.triangle_count; ++t) {
        for (int e = 0; e < 3; ++e) {
            const int32_t n = m.neighbour(t, e);
            if (n >= 0 && t > static_cast<size_t>(n)) continue;
            out.ridge_points[2 * r] = m.vertex(t, e);
            out.ridge_points[2 * r + 1] = m.vertex(t, (e + 1) % 3);
            out.ridge_vertices[2 * r] = n < 0 ? -1 : static_cast<int32_t>(t);
            out.ridge_vertices[2 * r + 1] = n < 0 ? static_cast<int32_t>(t) : n;
            ++r;
        }
    }

    // Regions: count, then write, each turn the same both times.
    const VertexFans fans(m);
    out.region_offsets = allocate_host_array<size_t>(m.point_count + 1);
    std::vector<int32_t> cell;
    const auto region = [&](size_t i) {
        cell.clear();
        if (!stands_for_itself(m, i) || fans.first(static_cast<uint32_t>(i)) < 0) return;
        const bool closed =
            fans.turn(m, static_cast<uint32_t>(i), [&](size_t t, int) { cell.push_back(static_cast<int32_t>(t)); });
        if (!closed) cell.push_back(-1);
    };
    size_t total = 0;
    for (size_t i = 0; i < m.point_count; ++i) {
        region(i);
        out.region_offsets[i] = total;
        total += cell.size();
    }
    out.region_offsets[m.point_count] = total;
    out.regions = allocate_host_array<int32_t>(total);
    for (size_t i = 0; i < m.point_count; ++i) {
        region(i);
        for (size_t k = 0; k < cell.size(); ++k) out.regions[out.region_offsets[i] + k] = cell[k];
    }
}

}  // namespace d2d::operations
