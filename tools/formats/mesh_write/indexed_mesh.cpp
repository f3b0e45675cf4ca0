#include "formats/mesh_write/indexed_mesh.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace d2dcli {

namespace {

// Groups the finite points by equal x and y (+0.0 and -0.0 alike) and picks
// the point that stands for each group: the one the mesh uses, else the
// first in input order.
std::vector<std::int32_t> find_vertex_of_point(const Point3D* points, std::size_t n, const std::vector<bool>& used) {
    std::vector<std::int32_t> vertex_of_point(n, -1);
    std::vector<std::uint32_t> order;
    order.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (std::isfinite(points[i].x) && std::isfinite(points[i].y)) {
            order.push_back(static_cast<std::uint32_t>(i));
        }
    }
    std::sort(order.begin(), order.end(), [points](std::uint32_t a, std::uint32_t b) {
        if (points[a].x != points[b].x) {
            return points[a].x < points[b].x;
        }
        if (points[a].y != points[b].y) {
            return points[a].y < points[b].y;
        }
        return a < b;
    });
    for (std::size_t begin = 0; begin < order.size();) {
        std::size_t end = begin + 1;
        while (end < order.size() && points[order[end]].x == points[order[begin]].x &&
               points[order[end]].y == points[order[begin]].y) {
            ++end;
        }
        std::uint32_t chosen = order[begin];
        for (std::size_t k = begin; k < end; ++k) {
            if (used[order[k]]) {
                chosen = order[k];
                break;
            }
        }
        for (std::size_t k = begin; k < end; ++k) {
            vertex_of_point[order[k]] = static_cast<std::int32_t>(chosen);
        }
        begin = end;
    }
    return vertex_of_point;
}

double orientation(const Point3D& a, const Point3D& b, const Point3D& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

}  // namespace

IndexedMesh index_mesh_records(const Mesh2D* mesh, const Point3D* points, std::size_t n) {
    IndexedMesh result;
    std::vector<bool> used(n, false);
    const std::size_t record_count = mesh == nullptr ? 0 : mesh->length;

    // Records that are not proper triangles (a two-point segment, marked by
    // a negative radius) are not part of the mesh; the rest are renumbered.
    std::vector<std::int32_t> number(record_count, -1);
    std::int32_t next = 0;
    for (std::size_t t = 0; t < record_count; ++t) {
        if (mesh->triangles[t].radius >= 0.0) {
            number[t] = next++;
        }
    }
    result.triangles.reserve(3 * static_cast<std::size_t>(next));
    result.neighbours.reserve(3 * static_cast<std::size_t>(next));
    for (std::size_t t = 0; t < record_count; ++t) {
        if (number[t] < 0) {
            continue;
        }
        const Triangle& triangle = mesh->triangles[t];
        std::uint32_t v[3];
        std::int32_t across[3];
        for (int k = 0; k < 3; ++k) {
            v[k] = static_cast<std::uint32_t>(triangle.points[k] - points);
            used[v[k]] = true;
            const Triangle* other = triangle.vor[k];
            across[k] = other == nullptr ? -1 : number[static_cast<std::size_t>(other - mesh->triangles)];
        }
        if (orientation(points[v[0]], points[v[1]], points[v[2]]) < 0.0) {
            // a b c becomes a c b: its edges are the old edges 2, 1, 0.
            std::swap(v[1], v[2]);
            std::swap(across[0], across[2]);
        }
        result.triangles.insert(result.triangles.end(), v, v + 3);
        result.neighbours.insert(result.neighbours.end(), across, across + 3);
    }
    result.vertex_of_point = find_vertex_of_point(points, n, used);

    if (!result.triangles.empty()) {
        // Each counter-clockwise triangle runs along its hull edges in the
        // hull's own counter-clockwise direction: follow them round.
        std::vector<std::int64_t> next_on_hull(n, -1);
        std::uint32_t start = static_cast<std::uint32_t>(n);
        for (std::size_t e = 0; e < result.neighbours.size(); ++e) {
            if (result.neighbours[e] < 0) {
                std::uint32_t a = result.triangles[e];
                std::uint32_t b = result.triangles[e - e % 3 + (e + 1) % 3];
                next_on_hull[a] = b;
                start = std::min(start, a);
            }
        }
        std::int64_t v = start;
        do {
            result.hull.push_back(static_cast<std::uint32_t>(v));
            v = next_on_hull[static_cast<std::size_t>(v)];
        } while (v >= 0 && v != start && result.hull.size() <= n);
    } else {
        for (std::size_t i = 0; i < n; ++i) {
            if (result.vertex_of_point[i] == static_cast<std::int32_t>(i)) {
                result.hull.push_back(static_cast<std::uint32_t>(i));
            }
        }
        std::sort(result.hull.begin(), result.hull.end(), [points](std::uint32_t a, std::uint32_t b) {
            return points[a].x != points[b].x ? points[a].x < points[b].x : points[a].y < points[b].y;
        });
    }
    return result;
}

}  // namespace d2dcli
