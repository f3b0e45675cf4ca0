#include "support/index_array_checks.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <utility>

#include "support/exact_rational.hpp"
#include "support/mesh_checker.hpp"

namespace d2dtest {
namespace {

// The mesh the entry points would return for these rows: the records the
// independent checker reads, triangles with three neighbours first.
struct RecordMesh {
    std::vector<unsigned char> block;
    Mesh2D* mesh() { return reinterpret_cast<Mesh2D*>(block.data()); }
};

RecordMesh as_records(const delaunay2d_result& r, std::vector<Point3D>& points) {
    const std::size_t n = r.triangle_count;
    std::vector<std::size_t> place(n);
    std::size_t inner = 0;
    for (std::size_t t = 0; t < n; ++t) {
        if (r.neighbours[3 * t] >= 0 && r.neighbours[3 * t + 1] >= 0 && r.neighbours[3 * t + 2] >= 0) ++inner;
    }
    std::size_t next_inner = 0;
    std::size_t next_edge = inner;
    for (std::size_t t = 0; t < n; ++t) {
        const bool full = r.neighbours[3 * t] >= 0 && r.neighbours[3 * t + 1] >= 0 && r.neighbours[3 * t + 2] >= 0;
        place[t] = full ? next_inner++ : next_edge++;
    }
    RecordMesh out;
    out.block.assign(sizeof(Mesh2D) + n * sizeof(Triangle), 0);
    Mesh2D* mesh = out.mesh();
    mesh->length = n;
    mesh->inner_length = inner;
    for (std::size_t t = 0; t < n; ++t) {
        Triangle* record = &mesh->triangles[place[t]];
        const uint32_t* v = &r.triangles[3 * t];
        create_triangle(record, &points[v[0]], &points[v[1]], &points[v[2]]);
        for (int k = 0; k < 3; ++k) {
            const int32_t nb = r.neighbours[3 * t + k];
            record->vor[k] = nb < 0 ? nullptr : &mesh->triangles[place[static_cast<std::size_t>(nb)]];
        }
    }
    return out;
}

}  // namespace

int orient_sign(const Point3D& a, const Point3D& b, const Point3D& c) {
    const int quick = orient_sign_quick(a.x, a.y, b.x, b.y, c.x, c.y);
    return quick != 0 ? quick : orient_sign_rational(a.x, a.y, b.x, b.y, c.x, c.y);
}

bool is_zeroed(const delaunay2d_result& r) {
    return r.point_count == 0 && r.triangle_count == 0 && r.triangles == nullptr && r.neighbours == nullptr &&
           r.hull_count == 0 && r.hull == nullptr && r.vertex_of_point == nullptr;
}

void expect_sound(std::vector<Point3D>& points, const IndexArrays& result, const std::string& label) {
    const delaunay2d_result& r = result.r;
    ASSERT_EQ(result.status, DELAUNAY2D_OK) << label;
    ASSERT_EQ(r.point_count, points.size()) << label;

    // Which point stands for which, found independently.
    std::map<std::pair<double, double>, std::size_t> first_of;
    std::vector<std::size_t> distinct;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const double x = points[i].x + 0.0, y = points[i].y + 0.0;
        if (!std::isfinite(x) || !std::isfinite(y)) {
            ASSERT_EQ(r.vertex_of_point[i], -1) << label << ": point " << i;
            continue;
        }
        const auto [it, fresh] = first_of.emplace(std::make_pair(x, y), i);
        if (fresh) distinct.push_back(i);
        ASSERT_EQ(r.vertex_of_point[i], static_cast<int32_t>(it->second)) << label << ": point " << i;
    }

    // Rows: counter-clockwise, and vertices only of points that stand for
    // themselves.
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        const uint32_t* v = &r.triangles[3 * t];
        for (int k = 0; k < 3; ++k) {
            ASSERT_LT(v[k], points.size()) << label;
            ASSERT_EQ(r.vertex_of_point[v[k]], static_cast<int32_t>(v[k])) << label;
        }
        ASSERT_EQ(orient_sign(points[v[0]], points[v[1]], points[v[2]]), 1) << label << ": triangle " << t;
    }

    // Geometry and links, by the independent checker.
    RecordMesh records = as_records(r, points);
    const MeshCheck check = check_mesh(records.mesh(), points.data(), points.size());
    ASSERT_TRUE(check.ok()) << label << " (n = " << points.size() << "): " << check.failure;

    // The hull: the boundary edges, each once, in counter-clockwise order;
    // without triangles, the distinct points along their line.
    if (r.triangle_count == 0) {
        ASSERT_EQ(r.hull_count, distinct.size()) << label;
        for (std::size_t i = 0; i + 2 < r.hull_count; ++i) {
            const Point3D& a = points[r.hull[i]];
            const Point3D& b = points[r.hull[i + 1]];
            const Point3D& c = points[r.hull[i + 2]];
            // b lies between a and c on their line.
            ASSERT_GT((b.x - a.x) * (c.x - b.x) + (b.y - a.y) * (c.y - b.y), 0.0) << label;
        }
        return;
    }
    std::map<uint32_t, uint32_t> boundary;  // CCW edge a -> b on the hull
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        for (int k = 0; k < 3; ++k) {
            if (r.neighbours[3 * t + k] < 0) boundary[r.triangles[3 * t + k]] = r.triangles[3 * t + (k + 1) % 3];
        }
    }
    ASSERT_EQ(r.hull_count, boundary.size()) << label;

    // The neighbours by opposite vertex: across the edge (v[k+1], v[k+2])
    // that faces vertex k, -1 exactly where that edge is on the hull; the
    // output fills 3 entries per triangle and not one more.
    std::vector<int32_t> opposite(3 * r.triangle_count + 1, -2);
    ASSERT_EQ(delaunay2d_neighbours_opposite_vertex(&r, opposite.data()), DELAUNAY2D_OK) << label;
    ASSERT_EQ(opposite.back(), -2) << label;
    for (std::size_t t = 0; t < r.triangle_count; ++t) {
        for (int k = 0; k < 3; ++k) {
            const uint32_t a = r.triangles[3 * t + (k + 1) % 3], b = r.triangles[3 * t + (k + 2) % 3];
            const int32_t u = opposite[3 * t + k];
            if (u < 0) {
                ASSERT_EQ(u, -1) << label;
                const auto edge = boundary.find(a);
                ASSERT_TRUE(edge != boundary.end() && edge->second == b) << label << ": triangle " << t;
            } else {
                const uint32_t* w = &r.triangles[3 * static_cast<std::size_t>(u)];
                ASSERT_NE(static_cast<std::size_t>(u), t) << label;
                ASSERT_TRUE(std::count(w, w + 3, a) == 1 && std::count(w, w + 3, b) == 1) << label << ": triangle " << t;
            }
        }
    }

    for (std::size_t i = 0; i < r.hull_count; ++i) {
        const auto edge = boundary.find(r.hull[i]);
        ASSERT_NE(edge, boundary.end()) << label;
        ASSERT_EQ(edge->second, r.hull[(i + 1) % r.hull_count]) << label << ": hull entry " << i;
    }
}

std::unique_ptr<IndexArrays> run_index_arrays(const std::vector<Point3D>& points, unsigned threads) {
    auto result = std::make_unique<IndexArrays>();
    const double* xy = points.empty() ? nullptr : &points[0].x;
    result->status = delaunay2d_triangulate(xy, points.size(), 4, threads, &result->r);
    return result;
}

void expect_same_arrays(const delaunay2d_result& a, const delaunay2d_result& b, const std::string& label) {
    ASSERT_EQ(a.point_count, b.point_count) << label;
    ASSERT_EQ(a.triangle_count, b.triangle_count) << label;
    ASSERT_EQ(a.hull_count, b.hull_count) << label;
    EXPECT_TRUE(std::equal(a.triangles, a.triangles + 3 * a.triangle_count, b.triangles)) << label;
    EXPECT_TRUE(std::equal(a.neighbours, a.neighbours + 3 * a.triangle_count, b.neighbours)) << label;
    EXPECT_TRUE(std::equal(a.hull, a.hull + a.hull_count, b.hull)) << label;
    EXPECT_TRUE(std::equal(a.vertex_of_point, a.vertex_of_point + a.point_count, b.vertex_of_point)) << label;
}

}  // namespace d2dtest
