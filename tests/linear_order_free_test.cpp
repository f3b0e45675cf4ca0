// Linear interpolation depends on the triangles as sets of points: the same
// triangulation with its points, triangles and corners numbered otherwise
// gives the same bits at every query, on vertices and edges included. (A
// tile's mesh numbers the whole set's triangles otherwise, and a tiled
// raster must equal the one made in one pass.)
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <numeric>
#include <random>
#include <vector>

#include "common/point_families.hpp"
#include "delaunay2d.h"

namespace {

// The mesh of `base` renumbered: point i becomes point_to[i], triangle t
// becomes triangle_to[t], and each triangle starts at another corner.
struct Renumbered {
    std::vector<double> xy;
    std::vector<double> values;
    std::vector<uint32_t> triangles, hull;
    std::vector<int32_t> neighbours, vertex_of_point;
    delaunay2d_result mesh{};
};

Renumbered renumber(const std::vector<double>& xy, const std::vector<double>& values, const delaunay2d_result& base,
                    std::mt19937_64& rng) {
    const size_t n = base.point_count, m = base.triangle_count;
    std::vector<uint32_t> point_to(n), triangle_to(m);
    std::iota(point_to.begin(), point_to.end(), 0u);
    std::iota(triangle_to.begin(), triangle_to.end(), 0u);
    std::shuffle(point_to.begin(), point_to.end(), rng);
    std::shuffle(triangle_to.begin(), triangle_to.end(), rng);
    Renumbered r;
    r.xy.resize(2 * n);
    r.values.resize(n);
    r.vertex_of_point.resize(n);
    for (size_t i = 0; i < n; ++i) {
        r.xy[2 * point_to[i]] = xy[2 * i];
        r.xy[2 * point_to[i] + 1] = xy[2 * i + 1];
        r.values[point_to[i]] = values[i];
        const int32_t v = base.vertex_of_point[i];
        r.vertex_of_point[point_to[i]] = v < 0 ? v : static_cast<int32_t>(point_to[static_cast<size_t>(v)]);
    }
    r.triangles.resize(3 * m);
    r.neighbours.resize(3 * m);
    for (size_t t = 0; t < m; ++t) {
        const size_t turn = rng() % 3;
        for (size_t i = 0; i < 3; ++i) {
            const size_t from = 3 * t + (i + turn) % 3;
            r.triangles[3 * triangle_to[t] + i] = point_to[base.triangles[from]];
            const int32_t across = base.neighbours[from];
            r.neighbours[3 * triangle_to[t] + i] =
                across < 0 ? -1 : static_cast<int32_t>(triangle_to[static_cast<size_t>(across)]);
        }
    }
    for (size_t i = 0; i < base.hull_count; ++i) r.hull.push_back(point_to[base.hull[i]]);
    r.mesh = delaunay2d_result{n, m, r.triangles.data(), r.neighbours.data(), r.hull.size(), r.hull.data(),
                               r.vertex_of_point.data()};
    return r;
}

std::vector<double> linear(const std::vector<double>& xy, const delaunay2d_result& mesh,
                           const std::vector<double>& values, const std::vector<double>& queries) {
    std::vector<double> out(queries.size() / 2);
    EXPECT_EQ(delaunay2d_interpolate(xy.data(), 2, &mesh, values.data(), 1, DELAUNAY2D_LINEAR, queries.data(),
                                     out.size(), NAN, 1, out.data()),
              DELAUNAY2D_OK);
    return out;
}

TEST(LinearOrderFree, RenumberedMeshGivesTheSameBits) {
    using namespace d2dcommon;
    std::mt19937_64 rng(28);
    for (const Points& points : {uniform(400, 1), grid(225, 2), transformed(clusters(400, 3, 5), 1e-3, 1e6)}) {
        std::vector<double> xy, values;
        for (const Point3D& p : points) {
            xy.insert(xy.end(), {p.x, p.y});
            values.push_back(std::uniform_real_distribution<double>(-100.0, 100.0)(rng));
        }
        delaunay2d_result base{};
        ASSERT_EQ(delaunay2d_triangulate(xy.data(), points.size(), 2, 1, &base), DELAUNAY2D_OK);
        // Queries on every vertex, at the midpoint of every edge (exactly on
        // it for the grid's integer corners), at thirds of edges and
        // anywhere in the box.
        std::vector<double> queries(xy);
        for (size_t k = 0; k < 3 * base.triangle_count; ++k) {
            const uint32_t a = base.triangles[k], b = base.triangles[k - k % 3 + (k + 1) % 3];
            for (const double s : {0.5, 1.0 / 3.0}) {
                queries.push_back(xy[2 * a] + s * (xy[2 * b] - xy[2 * a]));
                queries.push_back(xy[2 * a + 1] + s * (xy[2 * b + 1] - xy[2 * a + 1]));
            }
        }
        const auto [lo, hi] = std::minmax_element(xy.begin(), xy.end());
        std::uniform_real_distribution<double> anywhere(*lo, *hi);
        for (int i = 0; i < 2000; ++i) queries.push_back(anywhere(rng));

        const std::vector<double> expected = linear(xy, base, values, queries);
        for (int round = 0; round < 4; ++round) {
            const Renumbered r = renumber(xy, values, base, rng);
            const std::vector<double> got = linear(r.xy, r.mesh, r.values, queries);
            for (size_t q = 0; q < got.size(); ++q) {
                // Bit for bit, NaN (outside) included.
                ASSERT_EQ(std::memcmp(&got[q], &expected[q], sizeof(double)), 0)
                    << "query " << q << " (" << queries[2 * q] << ", " << queries[2 * q + 1] << "): " << got[q]
                    << " != " << expected[q];
            }
        }
        // On a vertex, its value exactly.
        for (size_t i = 0; i < points.size(); ++i) EXPECT_EQ(expected[i], values[i]);
        delaunay2d_result_free(&base);
    }
}

}  // namespace
