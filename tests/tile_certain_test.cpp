// Tiles of a larger set: every triangle and hull edge a tile calls certain is
// one of the whole set's triangulation, checked against that triangulation
// computed once over every point; and the test is not so strict that a
// modest halo leaves the tile's own triangles undecided.
#include <gmp.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cmath>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/point_families.hpp"
#include "delaunay2d.h"
#include "operations/common/mesh_input.hpp"
#include "operations/tile/tile_certainty.hpp"
#include "operations/tile/unseen_region.hpp"

namespace {

using d2dcommon::Points;
using Corner = std::pair<double, double>;
using TriangleKey = std::array<Corner, 3>;  // the corners sorted: a triangle as a set of points
using EdgeKey = std::pair<Corner, Corner>;  // a directed hull edge

struct Triangulation {
    std::vector<double> xy;  // interleaved x, y
    delaunay2d_result mesh{};
    explicit Triangulation(std::vector<double> points) : xy(std::move(points)) {
        EXPECT_EQ(delaunay2d_triangulate(xy.data(), xy.size() / 2, 2, 1, &mesh), DELAUNAY2D_OK);
    }
    ~Triangulation() { delaunay2d_result_free(&mesh); }
    Triangulation(const Triangulation&) = delete;
    Triangulation& operator=(const Triangulation&) = delete;
    Corner corner(uint32_t i) const { return {xy[2 * i], xy[2 * i + 1]}; }
    d2d::operations::MeshInput input() const {
        d2d::operations::MeshInput in;
        EXPECT_TRUE(d2d::operations::read_mesh_input(xy.data(), 2, &mesh, in));
        return in;
    }
    TriangleKey triangle(size_t t) const {
        TriangleKey k{corner(mesh.triangles[3 * t]), corner(mesh.triangles[3 * t + 1]),
                      corner(mesh.triangles[3 * t + 2])};
        std::sort(k.begin(), k.end());
        return k;
    }
    EdgeKey hull_edge(size_t i) const {
        return {corner(mesh.hull[i]), corner(mesh.hull[(i + 1) % mesh.hull_count])};
    }
};

delaunay2d_tile make_tile(std::array<double, 4> seen, std::array<double, 4> bounds) {
    delaunay2d_tile tile{};
    tile.struct_size = sizeof tile;
    std::copy(seen.begin(), seen.end(), tile.seen);
    std::copy(bounds.begin(), bounds.end(), tile.bounds);
    return tile;
}

struct Flags {
    std::vector<uint8_t> triangles, hull_edges;
};

Flags certain(const Triangulation& t, const delaunay2d_tile& tile) {
    Flags f{std::vector<uint8_t>(t.mesh.triangle_count, 7), std::vector<uint8_t>(t.mesh.hull_count, 7)};
    EXPECT_EQ(delaunay2d_tile_certain(t.xy.data(), 2, &t.mesh, &tile, f.triangles.data(), f.hull_edges.data()),
              DELAUNAY2D_OK);
    return f;
}

struct Sample {
    std::string name;
    std::vector<double> xy;
};

std::vector<double> interleaved(const Points& p) {
    std::vector<double> xy;
    for (const Point3D& q : p) xy.insert(xy.end(), {q.x, q.y});
    return xy;
}

std::vector<Sample> samples() {
    using namespace d2dcommon;
    return {
        {"uniform", interleaved(uniform(3000, 11))},
        {"clusters", interleaved(clusters(3000, 12, 12))},
        {"grid", interleaved(grid(2500, 13))},  // cocircular squares everywhere
        {"grid far from the origin", interleaved(transformed(grid(1600, 14), 1.0, 1e12))},
        {"huge", interleaved(transformed(uniform(2000, 15), 1e300, 0.0))},
        {"tiny", interleaved(transformed(uniform(2000, 16), 1e-300, 0.0))},
        {"rotated grid", interleaved(rotated_grid(40, 0.3))},
    };
}

// The whole set, then a k x k grid of cores with halos of several widths:
// each tile triangulates the whole set's points inside seen, in their order.
TEST(TileCertain, CertainTrianglesAndHullEdgesAreTheWholeSets) {
    for (const Sample& s : samples()) {
        SCOPED_TRACE(s.name);
        const Triangulation whole(s.xy);
        std::set<TriangleKey> whole_triangles;
        for (size_t t = 0; t < whole.mesh.triangle_count; ++t) whole_triangles.insert(whole.triangle(t));
        std::set<EdgeKey> whole_hull;
        for (size_t i = 0; i < whole.mesh.hull_count; ++i) whole_hull.insert(whole.hull_edge(i));

        std::array<double, 4> bounds{INFINITY, INFINITY, -INFINITY, -INFINITY};
        for (size_t i = 0; i < s.xy.size(); i += 2) {
            bounds = {std::min(bounds[0], s.xy[i]), std::min(bounds[1], s.xy[i + 1]), std::max(bounds[2], s.xy[i]),
                      std::max(bounds[3], s.xy[i + 1])};
        }
        const double w = bounds[2] - bounds[0], h = bounds[3] - bounds[1];
        // The mean spacing, in an order that neither overflows nor underflows.
        const double spacing = std::sqrt(w) * std::sqrt(h / static_cast<double>(s.xy.size() / 2));
        const int k = 3;
        size_t certain_count = 0, interior_count = 0, interior_certain = 0;
        for (const double halo : {0.0, 1.0, 2.5, 5.0}) {
            for (int i = 0; i < k; ++i) {
                for (int j = 0; j < k; ++j) {
                    const std::array<double, 4> core{bounds[0] + w * i / k, bounds[1] + h * j / k,
                                                     bounds[0] + w * (i + 1) / k, bounds[1] + h * (j + 1) / k};
                    const std::array<double, 4> seen{core[0] - halo * spacing, core[1] - halo * spacing,
                                                     core[2] + halo * spacing, core[3] + halo * spacing};
                    std::vector<double> inside;
                    for (size_t p = 0; p < s.xy.size(); p += 2) {
                        const double x = s.xy[p], y = s.xy[p + 1];
                        if (x >= seen[0] && x <= seen[2] && y >= seen[1] && y <= seen[3]) {
                            inside.insert(inside.end(), {x, y});
                        }
                    }
                    const Triangulation tile(inside);
                    const Flags f = certain(tile, make_tile(seen, bounds));
                    for (size_t t = 0; t < tile.mesh.triangle_count; ++t) {
                        ASSERT_LE(f.triangles[t], 1);
                        if (f.triangles[t] == 1) {
                            ++certain_count;
                            ASSERT_TRUE(whole_triangles.count(tile.triangle(t))) << i << "," << j << " halo " << halo;
                        }
                        // The tile's own triangles, with a halo of a few spacings
                        // (a grid's cocircular squares included).
                        if (halo == 5.0) {
                            const TriangleKey key = tile.triangle(t);
                            const bool own = std::all_of(key.begin(), key.end(), [&](const Corner& c) {
                                return c.first >= core[0] && c.first <= core[2] && c.second >= core[1] &&
                                       c.second <= core[3];
                            });
                            interior_count += own ? 1 : 0;
                            interior_certain += own && f.triangles[t] == 1 ? 1 : 0;
                        }
                    }
                    for (size_t e = 0; e < tile.mesh.hull_count; ++e) {
                        ASSERT_LE(f.hull_edges[e], 1);
                        ASSERT_TRUE(f.hull_edges[e] == 0 || whole_hull.count(tile.hull_edge(e))) << i << "," << j;
                    }
                }
            }
        }
        // Nearly every triangle of a tile's own part is settled, on the
        // grids too.
        EXPECT_GT(static_cast<double>(interior_certain), 0.9 * static_cast<double>(interior_count))
            << interior_certain << " of " << interior_count << " (all halos: " << certain_count << ")";
        EXPECT_GT(interior_count, 0u);

        // A tile that saw all of bounds knows everything, even when seen is
        // exactly bounds or reaches to infinity.
        for (const std::array<double, 4>& seen :
             {bounds, std::array<double, 4>{-INFINITY, -INFINITY, INFINITY, INFINITY}}) {
            const Flags f = certain(whole, make_tile(seen, bounds));
            EXPECT_TRUE(std::all_of(f.triangles.begin(), f.triangles.end(), [](uint8_t v) { return v == 1; }));
            EXPECT_TRUE(std::all_of(f.hull_edges.begin(), f.hull_edges.end(), [](uint8_t v) { return v == 1; }));
        }
    }
}

// A rational number (GMP) for the exact oracle below.
struct Q {
    mpq_t v;
    Q() { mpq_init(v); }
    explicit Q(double d) : Q() { mpq_set_d(v, d); }
    Q(const Q& o) : Q() { mpq_set(v, o.v); }
    ~Q() { mpq_clear(v); }
    Q& operator=(const Q&) = delete;
    template <void (*F)(mpq_ptr, mpq_srcptr, mpq_srcptr)>
    static Q apply(const Q& a, const Q& b) {
        Q r;
        F(r.v, a.v, b.v);
        return r;
    }
    friend Q operator+(const Q& a, const Q& b) { return apply<mpq_add>(a, b); }
    friend Q operator-(const Q& a, const Q& b) { return apply<mpq_sub>(a, b); }
    friend Q operator*(const Q& a, const Q& b) { return apply<mpq_mul>(a, b); }
    friend Q operator/(const Q& a, const Q& b) { return apply<mpq_div>(a, b); }
    friend bool operator<(const Q& a, const Q& b) { return mpq_cmp(a.v, b.v) < 0; }
};

// Whether the closed circumdisk of a, b, c misses the closed box, in exact
// rational arithmetic: the squared distance from the centre to the box
// exceeds the squared radius.
bool disk_misses_box_exactly(const std::array<double, 6>& t, const std::array<double, 4>& box) {
    const Q ax(t[0]), ay(t[1]), bx = Q(t[2]) - ax, by = Q(t[3]) - ay, cx = Q(t[4]) - ax, cy = Q(t[5]) - ay;
    const Q d = Q(2.0) * (bx * cy - by * cx), lb = bx * bx + by * by, lc = cx * cx + cy * cy;
    const Q ux = (cy * lb - by * lc) / d, uy = (bx * lc - cx * lb) / d;
    const auto gap = [](const Q& u, const Q& lo, const Q& hi) { return u < lo ? lo - u : hi < u ? u - hi : Q(0.0); };
    const Q gx = gap(ux, Q(box[0]) - ax, Q(box[2]) - ax), gy = gap(uy, Q(box[1]) - ay, Q(box[3]) - ay);
    return ux * ux + uy * uy < gx * gx + gy * gy;
}

// Strips placed within a few rounding errors of the circle, on both sides:
// whatever the predicate calls a miss is one in exact arithmetic, and
// margins of 1e-9 are settled.
TEST(TileCertain, CircumdiskTestAgreesWithExactArithmetic) {
    std::mt19937_64 rng(2028);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    const double nudges[] = {-1e-15, -2e-16, 0.0, 2e-16, 1e-15, 1e-12, 1e-9};
    size_t misses = 0;
    for (int round = 0; round < 3000; ++round) {
        const double scale = std::ldexp(1.0, static_cast<int>(rng() % 1200) - 600);
        const double offset = (round % 3 == 0 ? 0.0 : 1e6) * scale;
        std::array<double, 6> t;
        for (double& v : t) v = offset + scale * unit(rng);
        if (round % 5 == 0) t[5] = t[1] + (t[3] - t[1]) * ((t[4] - t[0]) / (t[2] - t[0])) * (1 + 1e-14);
        const double bx = t[2] - t[0], by = t[3] - t[1], cx = t[4] - t[0], cy = t[5] - t[1];
        const double d = 2 * (bx * cy - by * cx);
        const double ux = t[0] + (cy * (bx * bx + by * by) - by * (cx * cx + cy * cy)) / d;
        const double uy = t[1] + (bx * (cx * cx + cy * cy) - cx * (bx * bx + by * by)) / d;
        const double r = std::hypot(ux - t[0], uy - t[1]);
        std::array<double, 4> seen;
        for (int k = 0; k < 4; ++k) {
            const double reach = r * (1 + nudges[rng() % std::size(nudges)]);
            seen[k] = k < 2 ? (k == 0 ? ux : uy) - reach : (k == 2 ? ux : uy) + reach;
        }
        if (!std::isfinite(seen[0] + seen[1] + seen[2] + seen[3])) continue;
        const std::array<double, 4> bounds{seen[0] - 2 * r, seen[1] - 2 * r, seen[2] + 2 * r, seen[3] + 2 * r};
        const d2d::operations::tile::UnseenRegion unseen =
            d2d::operations::tile::unseen_region(seen.data(), bounds.data());
        if (!d2d::operations::tile::circumdisk_misses(t[0], t[1], t[2], t[3], t[4], t[5], unseen)) continue;
        ++misses;
        for (int k = 0; k < unseen.count; ++k) {
            const d2d::operations::tile::Box& b = unseen.strips[k];
            ASSERT_TRUE(disk_misses_box_exactly(t, {b.x0, b.y0, b.x1, b.y1})) << "round " << round;
        }
    }
    EXPECT_GT(misses, 300u);
}

// Worked examples at the edge of the test, on the internal predicates.
TEST(TileCertain, DegenerateAndHugeCornersAndHullEdges) {
    using Box = std::array<double, 4>;
    const auto disk_misses = [](std::array<double, 6> c, Box seen, Box bounds) {
        return d2d::operations::tile::circumdisk_misses(c[0], c[1], c[2], c[3], c[4], c[5],
                                                        d2d::operations::tile::unseen_region(seen.data(), bounds.data()));
    };
    const Box bounds{-4, -4, 4, 4}, touching{-1, -1, 1, 1};
    // Nearly collinear or collinear corners: a huge circle, or none.
    EXPECT_FALSE(disk_misses({0, 0, 1, 0, 0.5, 1e-300}, touching, bounds));
    EXPECT_FALSE(disk_misses({0, 0, 1, 0, 0.5, 0}, touching, bounds));
    EXPECT_FALSE(disk_misses({0, 0, 1e300, 1e-300, -1e300, 0}, touching, bounds));
    // Near the end of the doubles' range (radii 1e307, 1.5e308 about the
    // origin) as anywhere; differences that overflow leave the last disk
    // (radius 1e308) uncertain, though it misses the strips.
    const Box huge_seen{-1.2e308, -1.2e308, 1.2e308, 1.2e308}, huge_bounds{-1.7e308, -1.7e308, 1.7e308, 1.7e308};
    EXPECT_TRUE(disk_misses({-1e307, 0, 1e307, 0, 0, 1e307}, huge_seen, huge_bounds));
    EXPECT_FALSE(disk_misses({-1.5e308, 0, 0, -1.5e308, 0, 1.5e308}, huge_seen, huge_bounds));
    EXPECT_FALSE(disk_misses({-1e308, 0, 1e308, 0, 0, 1e308}, huge_seen, huge_bounds));

    // Hull edge (1, -1) -> (1, 1), the mesh on its left: beyond it lies x >= 1.
    const auto edge_misses = [&](Box seen) {
        return d2d::operations::tile::outer_half_plane_misses(
            1, -1, 1, 1, d2d::operations::tile::unseen_region(seen.data(), bounds.data()));
    };
    EXPECT_FALSE(edge_misses(touching));      // an unseen strip starts on the line
    EXPECT_TRUE(edge_misses({0, -4, 4, 4}));   // the one strip lies left of it
    EXPECT_FALSE(edge_misses({0, -1, 4, 1}));  // strips above and below reach past it
}

TEST(TileCertain, CocircularCollinearAndArguments) {
    // The unit square's corners share one circle, whose disk reaches 0.21
    // beyond the square: every call cuts it along the diagonal from its
    // smallest corner (0, 0), so a halo past the disk settles both
    // triangles, and one that cuts the disk settles neither.
    const Triangulation square(std::vector<double>{1, 1, 0, 1, 1, 0, 0, 0});
    for (size_t t = 0; t < 2; ++t) EXPECT_EQ(square.triangle(t)[0], Corner(0, 0));
    EXPECT_EQ(certain(square, make_tile({-0.3, -0.3, 1.3, 1.3}, {-1, -1, 2, 2})).triangles,
              std::vector<uint8_t>(2, 1));
    EXPECT_EQ(certain(square, make_tile({-0.2, -0.3, 1.3, 1.3}, {-1, -1, 2, 2})).triangles,
              std::vector<uint8_t>(2, 0));
    EXPECT_EQ(certain(square, make_tile({-1, -1, 2, 2}, {-1, -1, 2, 2})).triangles, std::vector<uint8_t>(2, 1));
    // Points on one line: no outer side, so only seeing all settles the hull.
    const Triangulation line(std::vector<double>{0, 0, 1, 1, 2, 2, 3, 3});
    ASSERT_EQ(line.mesh.triangle_count, 0u);
    EXPECT_EQ(certain(line, make_tile({-1, -1, 2.5, 4}, {0, 0, 3, 3})).hull_edges, std::vector<uint8_t>(4, 0));
    EXPECT_EQ(certain(line, make_tile({-1, -1, 3, 3}, {0, 0, 3, 3})).hull_edges, std::vector<uint8_t>(4, 1));
    delaunay2d_tile tile = make_tile({0, 0, 3, 3}, {0, 0, 3, 3});
    EXPECT_EQ(delaunay2d_tile_certain(line.xy.data(), 2, &line.mesh, &tile, nullptr, nullptr), DELAUNAY2D_OK);

    uint8_t flags[2];
    const auto status = [&](const delaunay2d_tile* t, uint8_t* f) {
        return delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, t, f, nullptr);
    };
    EXPECT_EQ(status(nullptr, flags), DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(status(&tile, nullptr), DELAUNAY2D_INVALID_ARGUMENT);
    delaunay2d_tile bad = tile;
    bad.struct_size = offsetof(delaunay2d_tile, bounds);
    EXPECT_EQ(status(&bad, flags), DELAUNAY2D_INVALID_ARGUMENT);
    bad = tile;
    bad.seen[1] = NAN;
    EXPECT_EQ(status(&bad, flags), DELAUNAY2D_INVALID_ARGUMENT);
}

}  // namespace
