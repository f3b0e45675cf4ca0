// Voronoi cells clipped to a box.
//
// Point p's cell within the box is the box cut down by one half-plane per
// neighbour u along the mesh's edges: the side of their perpendicular
// bisector nearer to p. In a Delaunay triangulation every Voronoi
// neighbour is such a neighbour, so nothing else cuts the cell.
//
//     +-----------------+          keep x with (x - m) . (u - p) <= 0,
//     |        :        |          m = (p + u) / 2
//     |   p    :    u   |
//     |        :        |          each cut: one pass over the polygon,
//     +-----------------+          keeping its counter-clockwise order
//
// With all points on one line the neighbours are the points before and
// after along it, and the cells are strips. A repeated point (and one with
// a NaN or infinite coordinate) gets no cell: the point that stands for it
// has the whole cell.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/system/parallel_pair.hpp"
#include "operations/common/circumcentre.hpp"
#include "operations/common/vertex_fans.hpp"
#include "operations/voronoi/voronoi_diagram.hpp"

namespace d2d::operations {
namespace {

// Cuts the polygon down to the side of the bisector of p and u nearer p.
void cut(std::vector<Vec2>& polygon, std::vector<Vec2>& scratch, Vec2 p, Vec2 u) {
    const Vec2 d{u.x - p.x, u.y - p.y};
    const Vec2 mid{p.x + 0.5 * d.x, p.y + 0.5 * d.y};
    const auto side = [&](Vec2 x) { return (x.x - mid.x) * d.x + (x.y - mid.y) * d.y; };
    scratch.clear();
    const size_t n = polygon.size();
    for (size_t i = 0; i < n; ++i) {
        const Vec2 a = polygon[i];
        const Vec2 b = polygon[i + 1 == n ? 0 : i + 1];
        const double sa = side(a), sb = side(b);
        if (sa <= 0.0) scratch.push_back(a);
        if ((sa < 0.0 && sb > 0.0) || (sa > 0.0 && sb < 0.0)) {
            const double f = sa / (sa - sb);
            scratch.push_back(Vec2{a.x + f * (b.x - a.x), a.y + f * (b.y - a.y)});
        }
    }
    polygon.swap(scratch);
}

// Drops repeated consecutive vertices; a polygon left with fewer than three
// vertices or no area is empty.
void tidy(std::vector<Vec2>& polygon) {
    std::vector<Vec2> kept;
    for (size_t i = 0; i < polygon.size(); ++i) {
        const Vec2 a = polygon[i];
        if (!kept.empty() && kept.back().x == a.x && kept.back().y == a.y) continue;
        kept.push_back(a);
    }
    while (kept.size() > 1 && kept.back().x == kept.front().x && kept.back().y == kept.front().y) kept.pop_back();
    double twice = 0.0;
    for (size_t i = 0; i < kept.size(); ++i) {
        const Vec2 a = kept[i], b = kept[(i + 1) % kept.size()];
        twice += a.x * b.y - a.y * b.x;
    }
    if (kept.size() < 3 || !(twice > 0.0)) kept.clear();
    polygon.swap(kept);
}

}  // namespace

void build_cells(const MeshInput& m, const double box[4], ThreadCount threads, delaunay2d_cells& out) {
    const size_t n = m.point_count;
    std::vector<size_t> line_position;  // without triangles: each point's place along the line
    if (m.triangle_count == 0) {
        line_position.assign(n, SIZE_MAX);
        for (size_t k = 0; k < m.hull_count; ++k) line_position[m.hull[k]] = k;
    }
    const VertexFans fans(m);
    // Each half of the points into its own list; joined in point order.
    struct Half {
        std::vector<size_t> counts;
        std::vector<Vec2> vertices;
    } halves[2];
    run_halves(threads.when(n >= 1024), n, [&](int h, size_t first, size_t last) {
        Half& half = halves[h];
        std::vector<Vec2> polygon, scratch;
        std::vector<uint32_t> around;
        for (size_t i = first; i < last; ++i) {
            polygon.clear();
            const bool in_mesh = m.triangle_count == 0 ? line_position[i] != SIZE_MAX
                                                       : fans.first(static_cast<uint32_t>(i)) >= 0;
            if (m.represents(i) && in_mesh) {
                polygon = {Vec2{box[0], box[1]}, Vec2{box[2], box[1]}, Vec2{box[2], box[3]}, Vec2{box[0], box[3]}};
                around.clear();
                if (m.triangle_count == 0) {
                    const size_t k = line_position[i];
                    if (k > 0) around.push_back(m.hull[k - 1]);
                    if (k + 1 < m.hull_count) around.push_back(m.hull[k + 1]);
                } else {
                    fans.neighbours(m, static_cast<uint32_t>(i), around);
                }
                const Vec2 p{m.x(static_cast<uint32_t>(i)), m.y(static_cast<uint32_t>(i))};
                for (const uint32_t u : around) {
                    if (polygon.empty()) break;
                    cut(polygon, scratch, p, Vec2{m.x(u), m.y(u)});
                }
                tidy(polygon);
            }
            half.counts.push_back(polygon.size());
            half.vertices.insert(half.vertices.end(), polygon.begin(), polygon.end());
        }
    });
    out.point_count = n;
    out.offsets = allocate_host_array<size_t>(n + 1);
    const size_t total = halves[0].vertices.size() + halves[1].vertices.size();
    out.vertices = allocate_host_array<double>(2 * total);
    size_t at = 0, i = 0, v = 0;
    for (const Half& half : halves) {
        for (const size_t count : half.counts) {
            out.offsets[i++] = at;
            at += count;
        }
        for (const Vec2& x : half.vertices) {
            out.vertices[v++] = x.x;
            out.vertices[v++] = x.y;
        }
    }
    out.offsets[n] = at;
}

}  // namespace d2d::operations
