// Tiles of a larger set: every triangle and hull edge a tile calls certain is
// one of the whole set's triangulation, checked against that triangulation
// computed once over every point; and the test is not so strict that a
// modest halo leaves the tile's own triangles undecided.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
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
                            ASSERT_TRUE(whole_triangles.count(tile.triangle(t)))
                                << "tile " << i << "," << j << " halo " << halo << " triangle " << t << " ("
                                << tile.triangle(t)[0].first << "," << tile.triangle(t)[0].second << ") ("
                                << tile.triangle(t)[1].first << "," << tile.triangle(t)[1].second << ") ("
                                << tile.triangle(t)[2].first << "," << tile.triangle(t)[2].second << ") seen "
                                << seen[0] << " " << seen[1] << " " << seen[2] << " " << seen[3] << " bounds "
                                << bounds[0] << " " << bounds[1] << " " << bounds[2] << " " << bounds[3];
                        }
                        // The tile's own triangles, with a halo of a few spacings,
                        // but for those with a fourth point on their circle.
                        if (halo == 5.0) {
                            const TriangleKey key = tile.triangle(t);
                            const bool own =
                                std::all_of(key.begin(), key.end(),
                                            [&](const Corner& c) {
                                                return c.first >= core[0] && c.first <= core[2] &&
                                                       c.second >= core[1] && c.second <= core[3];
                                            }) &&
                                !d2d::operations::tile::has_fourth_point_on_circle(tile.input(), t);
                            interior_count += own ? 1 : 0;
                            interior_certain += own && f.triangles[t] == 1 ? 1 : 0;
                        }
                    }
                    for (size_t e = 0; e < tile.mesh.hull_count; ++e) {
                        ASSERT_LE(f.hull_edges[e], 1);
                        if (f.hull_edges[e] == 1) {
                            ASSERT_TRUE(whole_hull.count(tile.hull_edge(e))) << "tile " << i << "," << j << " edge " << e;
                        }
                    }
                }
            }
        }
        // Nearly every triangle of a tile's own part is settled (on the
        // grids, every square's two triangles share a circle: none are).
        if (interior_count > 0 || s.name.find("grid") == std::string::npos) {
            EXPECT_GT(static_cast<double>(interior_certain), 0.9 * static_cast<double>(interior_count))
                << interior_certain << " of " << interior_count << " (all halos: " << certain_count << ")";
        }

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

// Worked examples at the edge of the test, on the internal predicates.
TEST(TileCertain, TouchingIsUncertainAndAMarginSettles) {
    using d2d::operations::tile::circumdisk_misses;
    using d2d::operations::tile::outer_half_plane_misses;
    using d2d::operations::tile::unseen_region;
    const double bounds[4] = {-4, -4, 4, 4};
    // The circle through (-1, 0), (1, 0), (0, 1) is the unit circle: it
    // touches seen's right side x = 1 from inside, so an unseen point at
    // (1, 0) would be on it.
    const double touching[4] = {-1, -1, 1, 1};
    const double roomy[4] = {-1, -1, 1 + 1e-12, 1};
    EXPECT_FALSE(circumdisk_misses(-1, 0, 1, 0, 0, 1, unseen_region(touching, bounds)));
    EXPECT_FALSE(circumdisk_misses(-1, 0, 1, 0, 0, 1, unseen_region(roomy, bounds)));  // still touches y = -1
    const double roomier[4] = {-1 - 1e-12, -1 - 1e-12, 1 + 1e-12, 1 + 1e-12};
    EXPECT_TRUE(circumdisk_misses(-1, 0, 1, 0, 0, 1, unseen_region(roomier, bounds)));
    // Far from the origin the same circle, shifted, keeps its answer.
    EXPECT_TRUE(circumdisk_misses(1e9 - 1, 0, 1e9 + 1, 0, 1e9, 1,
                                  unseen_region(std::array<double, 4>{1e9 - 1.001, -1.001, 1e9 + 1.001, 1.001}.data(),
                                                std::array<double, 4>{0, -4, 2e9, 4}.data())));

    // Nearly collinear corners: a circle far larger than bounds, whatever
    // the rounding; and collinear ones have no circle at all.
    EXPECT_FALSE(circumdisk_misses(0, 0, 1, 0, 0.5, 1e-300, unseen_region(touching, bounds)));
    EXPECT_FALSE(circumdisk_misses(0, 0, 1, 0, 0.5, 0, unseen_region(touching, bounds)));
    EXPECT_FALSE(circumdisk_misses(0, 0, 1e300, 1e-300, -1e300, 0, unseen_region(touching, bounds)));
    // Corners near the end of the doubles' range are settled like any
    // others (radius 1e307, then 1.5e308 about the origin); corners whose
    // differences overflow are left uncertain, though the last disk (radius
    // 1e308) misses the strips.
    const double huge_bounds[4] = {-1.7e308, -1.7e308, 1.7e308, 1.7e308};
    const double huge_seen[4] = {-1.2e308, -1.2e308, 1.2e308, 1.2e308};
    EXPECT_TRUE(circumdisk_misses(-1e307, 0, 1e307, 0, 0, 1e307, unseen_region(huge_seen, huge_bounds)));
    EXPECT_FALSE(circumdisk_misses(-1.5e308, 0, 0, -1.5e308, 0, 1.5e308, unseen_region(huge_seen, huge_bounds)));
    EXPECT_FALSE(circumdisk_misses(-1e308, 0, 1e308, 0, 0, 1e308, unseen_region(huge_seen, huge_bounds)));

    // Hull edge (1, -1) -> (1, 1) of a mesh to its left: beyond it lies
    // x >= 1. Seen up to x = 1 only leaves the unseen strip on the line.
    EXPECT_FALSE(outer_half_plane_misses(1, -1, 1, 1, unseen_region(touching, bounds)));
    const double right_seen[4] = {-4, -4, 4, 4};
    EXPECT_TRUE(outer_half_plane_misses(1, -1, 1, 1, unseen_region(right_seen, bounds)));
    // Seen holds all of bounds right of x = 0: the one unseen strip lies
    // left of the edge. A band of seen leaves strips above and below that
    // reach beyond it.
    const double right_half[4] = {0, -4, 4, 4};
    EXPECT_TRUE(outer_half_plane_misses(1, -1, 1, 1, unseen_region(right_half, bounds)));
    const double middle_band[4] = {0, -1, 4, 1};
    EXPECT_FALSE(outer_half_plane_misses(1, -1, 1, 1, unseen_region(middle_band, bounds)));
}

TEST(TileCertain, CollinearPointsAndArguments) {
    const Triangulation line(std::vector<double>{0, 0, 1, 1, 2, 2, 3, 3});
    ASSERT_EQ(line.mesh.triangle_count, 0u);
    const std::array<double, 4> bounds{0, 0, 3, 3};
    Flags f = certain(line, make_tile({-1, -1, 2.5, 4}, bounds));
    EXPECT_TRUE(std::all_of(f.hull_edges.begin(), f.hull_edges.end(), [](uint8_t v) { return v == 0; }));
    f = certain(line, make_tile({-1, -1, 3, 3}, bounds));
    EXPECT_TRUE(std::all_of(f.hull_edges.begin(), f.hull_edges.end(), [](uint8_t v) { return v == 1; }));
    // No triangles: certain_triangle may be null.
    delaunay2d_tile tile = make_tile({0, 0, 3, 3}, bounds);
    EXPECT_EQ(delaunay2d_tile_certain(line.xy.data(), 2, &line.mesh, &tile, nullptr, nullptr), DELAUNAY2D_OK);

    const Triangulation square(std::vector<double>{0, 0, 1, 0, 1, 1, 0, 1});
    std::vector<uint8_t> flags(square.mesh.triangle_count);
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, nullptr, flags.data(), nullptr),
              DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, &tile, nullptr, nullptr),
              DELAUNAY2D_INVALID_ARGUMENT);
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 1, &square.mesh, &tile, flags.data(), nullptr),
              DELAUNAY2D_INVALID_ARGUMENT);
    delaunay2d_tile old = tile;
    old.struct_size = sizeof(double) * 5;
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, &old, flags.data(), nullptr),
              DELAUNAY2D_INVALID_ARGUMENT);
    delaunay2d_tile nan = tile;
    nan.bounds[2] = NAN;
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, &nan, flags.data(), nullptr),
              DELAUNAY2D_INVALID_ARGUMENT);
    nan = tile;
    nan.seen[1] = NAN;
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, &nan, flags.data(), nullptr),
              DELAUNAY2D_INVALID_ARGUMENT);
    // The unit square's corners share one circle: which diagonal the whole
    // set's call draws is not the tile's to know, however much it saw, until
    // it saw everything.
    tile = make_tile({-0.3, -0.3, 1.3, 1.3}, {-1, -1, 2, 2});
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, &tile, flags.data(), nullptr), DELAUNAY2D_OK);
    EXPECT_EQ(std::count(flags.begin(), flags.end(), 1), 0);
    tile = make_tile({-1, -1, 2, 2}, {-1, -1, 2, 2});
    EXPECT_EQ(delaunay2d_tile_certain(square.xy.data(), 2, &square.mesh, &tile, flags.data(), nullptr), DELAUNAY2D_OK);
    EXPECT_EQ(std::count(flags.begin(), flags.end(), 1), 2);
    // A kite off the circle: its circumdisks (radii 0.71 and 0.75) need seen
    // to reach past the corners, and then both triangles are settled.
    const Triangulation kite(std::vector<double>{0, 0, 1, 0, 1.2, 1.2, 0, 1});
    ASSERT_EQ(kite.mesh.triangle_count, 2u);
    tile = make_tile({0, 0, 1.2, 1.2}, {-1, -1, 3, 3});
    EXPECT_EQ(delaunay2d_tile_certain(kite.xy.data(), 2, &kite.mesh, &tile, flags.data(), nullptr), DELAUNAY2D_OK);
    EXPECT_EQ(std::count(flags.begin(), flags.end(), 1), 0);
    tile = make_tile({-0.5, -0.5, 1.7, 1.7}, {-1, -1, 3, 3});
    EXPECT_EQ(delaunay2d_tile_certain(kite.xy.data(), 2, &kite.mesh, &tile, flags.data(), nullptr), DELAUNAY2D_OK);
    EXPECT_EQ(std::count(flags.begin(), flags.end(), 1), 2);
}

}  // namespace
