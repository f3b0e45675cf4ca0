// Nearest-point interpolation checked against brute force over the mesh's
// vertices, distances compared exactly (GMP where long double cannot tell),
// ties to the lowest index: on constrained meshes with a hole and crossing
// segments (not Delaunay, not convex), and on ordinary Delaunay meshes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "common/point_families.hpp"
#include "delaunay2d.h"
#include "support/squared_distance_rational.hpp"

namespace {

// The lowest-index vertex of the mesh's triangles nearest to q.
uint32_t brute_force_nearest(const double* xy, size_t stride, const std::vector<uint32_t>& vertices, double qx,
                             double qy) {
    const auto squared = [&](uint32_t i) {
        const long double dx = static_cast<long double>(xy[i * stride]) - qx;
        const long double dy = static_cast<long double>(xy[i * stride + 1]) - qy;
        return dx * dx + dy * dy;
    };
    long double lowest = INFINITY;
    for (const uint32_t i : vertices) lowest = std::min(lowest, squared(i));
    uint32_t best = UINT32_MAX;
    for (const uint32_t i : vertices) {  // in increasing index order
        if (squared(i) > lowest * (1 + 1e-12L)) continue;
        if (best == UINT32_MAX ||
            d2dtest::compare_squared_distances_rational(xy[i * stride], xy[i * stride + 1], xy[best * stride],
                                                        xy[best * stride + 1], qx, qy) < 0) {
            best = i;
        }
    }
    return best;
}

void expect_nearest(const double* xy, size_t stride, const delaunay2d_result& mesh, const std::vector<double>& q) {
    std::vector<bool> in_mesh(mesh.point_count, false);
    for (size_t k = 0; k < 3 * mesh.triangle_count; ++k) in_mesh[mesh.triangles[k]] = true;
    std::vector<uint32_t> vertices;
    for (uint32_t i = 0; i < mesh.point_count; ++i) {
        if (in_mesh[i]) vertices.push_back(i);
    }
    std::vector<double> values(mesh.point_count);
    for (size_t i = 0; i < values.size(); ++i) values[i] = static_cast<double>(i);
    const size_t n = q.size() / 2;
    std::vector<double> one(n), two(n);
    ASSERT_EQ(delaunay2d_interpolate(xy, stride, &mesh, values.data(), 1, DELAUNAY2D_NEAREST, q.data(), n, NAN, 1,
                                     one.data()),
              DELAUNAY2D_OK);
    ASSERT_EQ(delaunay2d_interpolate(xy, stride, &mesh, values.data(), 1, DELAUNAY2D_NEAREST, q.data(), n, NAN, 2,
                                     two.data()),
              DELAUNAY2D_OK);
    EXPECT_EQ(one, two);
    size_t wrong = 0;
    for (size_t k = 0; k < n; ++k) {
        const uint32_t expected = brute_force_nearest(xy, stride, vertices, q[2 * k], q[2 * k + 1]);
        if (one[k] != static_cast<double>(expected)) ++wrong;
    }
    EXPECT_EQ(wrong, 0u) << "of " << n << " queries";
}

// Uniform queries over a box a little larger than the points, the points
// themselves, and midpoints between consecutive points (exact ties).
std::vector<double> queries(const double* xy, size_t stride, size_t count, uint64_t seed) {
    double lo = INFINITY, hi = -INFINITY;
    for (size_t i = 0; i < count; ++i) {
        lo = std::min({lo, xy[i * stride], xy[i * stride + 1]});
        hi = std::max({hi, xy[i * stride], xy[i * stride + 1]});
    }
    std::vector<double> q;
    std::mt19937_64 rng(seed);
    std::uniform_real_distribution<double> u(lo - 0.3 * (hi - lo), hi + 0.3 * (hi - lo));
    for (int i = 0; i < 2000; ++i) q.insert(q.end(), {u(rng), u(rng)});
    for (size_t i = 0; i + 1 < count; i += 7) {
        q.insert(q.end(), {xy[i * stride], xy[i * stride + 1]});
        q.insert(q.end(), {0.5 * (xy[i * stride] + xy[(i + 1) * stride]),
                           0.5 * (xy[i * stride + 1] + xy[(i + 1) * stride + 1])});
    }
    return q;
}

// A square with a round hole (rings of segments, the inside kept), long
// segments across it that make the mesh far from Delaunay, and a hole
// point that removes a quarter ring: the descent along edges stops short
// here, the answer must not.
TEST(NearestExact, ConstrainedMeshWithHoles) {
    d2dcommon::Points p = d2dcommon::uniform(2000, 71);
    std::vector<uint32_t> segments;
    const auto ring = [&](double cx, double cy, double r, int k) {
        const uint32_t first = static_cast<uint32_t>(p.size());
        for (int i = 0; i < k; ++i) {
            const double a = 2 * M_PI * i / k;
            p.push_back(d2dcommon::point(cx + r * std::cos(a), cy + r * std::sin(a)));
            segments.insert(segments.end(), {first + static_cast<uint32_t>(i),
                                             first + static_cast<uint32_t>((i + 1) % k)});
        }
    };
    ring(0.5, 0.5, 0.72, 4);   // the outline, around the points
    ring(0.45, 0.55, 0.2, 40);  // a round hole
    for (uint32_t i = 0; i < 60; i += 2) segments.insert(segments.end(), {i, i + 1});  // long crossing segments
    const double hole[2] = {0.45, 0.55};
    for (const int region : {DELAUNAY2D_REGION_INSIDE, DELAUNAY2D_REGION_HULL}) {
        SCOPED_TRACE(region);
        delaunay2d_constraint_options options{};
        options.struct_size = sizeof options;
        options.segments = segments.data();
        options.segment_count = segments.size() / 2;
        options.holes = hole;
        options.hole_count = 1;
        options.region = region;
        options.threads = 1;
        delaunay2d_constrained_result cr{};
        cr.struct_size = sizeof cr;
        ASSERT_EQ(delaunay2d_triangulate_constrained(&p[0].x, p.size(), 4, &options, &cr), DELAUNAY2D_OK);
        expect_nearest(cr.points, 2, cr.mesh, queries(cr.points, 2, cr.mesh.point_count, 5));
        delaunay2d_constrained_result_free(&cr);
    }
}

// Ordinary Delaunay meshes (the descent's own path), and points on a grid
// with cocircular quadruples and many exact ties.
TEST(NearestExact, DelaunayMeshes) {
    for (const d2dcommon::Points& p : {d2dcommon::uniform(3000, 72), d2dcommon::clusters(3000, 73),
                                       d2dcommon::grid(900, 74)}) {
        delaunay2d_result mesh{};
        ASSERT_EQ(delaunay2d_triangulate(&p[0].x, p.size(), 4, 1, &mesh), DELAUNAY2D_OK);
        expect_nearest(&p[0].x, 4, mesh, queries(&p[0].x, 4, p.size(), 6));
        delaunay2d_result_free(&mesh);
    }
}

}  // namespace
