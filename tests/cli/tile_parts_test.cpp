// The parts a tiled run stands on, by properties checked exactly: the
// whole hull gathered block by block (against a rational orientation test
// over every point), which core a point belongs to (every point in a box
// lies in a core between the box's corners' cores), the regions a tile
// loads (what one region contains, it holds), and the memory sizes a user
// writes.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "support/exact_rational.hpp"
#include "tiles/memory_size.hpp"
#include "tiles/tile_grid.hpp"
#include "tiles/whole_hull.hpp"

namespace {

using namespace d2dcli;
using d2dtest::orient_sign_rational;

std::vector<std::pair<double, double>> sample(int kind, std::size_t count, std::mt19937_64& random) {
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<std::pair<double, double>> points;
    for (std::size_t i = 0; i < count; ++i) {
        switch (kind) {
            case 0:  // uniform, full precision
                points.emplace_back(unit(random), unit(random));
                break;
            case 1:  // a grid with repeats: many points on the hull's edges
                points.emplace_back(static_cast<double>(random() % 40), static_cast<double>(random() % 25));
                break;
            default:  // a disc of huge coordinates
                const double angle = 6.283185307179586 * unit(random);
                points.emplace_back(1e15 + 1e6 * std::cos(angle) * unit(random), 1e15 + 1e6 * std::sin(angle));
                break;
        }
    }
    return points;
}

TEST(WholeHull, HoldsEveryPointAndEachCornerIsOne) {
    std::mt19937_64 random(7);
    for (int kind = 0; kind < 3; ++kind) {
        // More than one block, so that the hull of the union is merged.
        const auto points = sample(kind, 150000, random);
        WholeHull hull;
        for (const auto& [x, y] : points) {
            hull.add(x, y);
        }
        hull.finish();
        const auto& corners = hull.corners();
        ASSERT_GE(corners.size(), 3u) << kind;
        for (std::size_t k = 0; k < corners.size(); ++k) {
            const auto& a = corners[k];
            const auto& b = corners[(k + 1) % corners.size()];
            const auto& c = corners[(k + 2) % corners.size()];
            // A strict left turn at every corner: no point between corners.
            ASSERT_GT(orient_sign_rational(a.first, a.second, b.first, b.second, c.first, c.second), 0) << kind;
        }
        for (std::size_t i = 0; i < points.size(); i += 31) {
            const auto& [x, y] = points[i];
            bool inside = true;
            for (std::size_t k = 0; k < corners.size(); ++k) {
                const auto& a = corners[k];
                const auto& b = corners[(k + 1) % corners.size()];
                inside = inside && orient_sign_rational(a.first, a.second, b.first, b.second, x, y) >= 0;
            }
            ASSERT_TRUE(inside) << kind << " point " << i;
            ASSERT_FALSE(hull.outside(x, y)) << kind << " point " << i;
        }
    }
}

TEST(WholeHull, TellsEdgesOfTheHullFromChords) {
    WholeHull hull;
    for (double x = 0; x <= 4; ++x) {
        for (double y = 0; y <= 2; ++y) {
            hull.add(x, y);
        }
    }
    hull.finish();
    EXPECT_EQ(hull.corners().size(), 4u);
    EXPECT_TRUE(hull.on_one_edge(1, 0, 3, 0));   // along the bottom, between corners
    EXPECT_TRUE(hull.on_one_edge(4, 0, 4, 2));   // the right side, corner to corner
    EXPECT_FALSE(hull.on_one_edge(0, 0, 4, 2));  // a diagonal
    EXPECT_FALSE(hull.on_one_edge(1, 1, 2, 1));  // inside
    EXPECT_EQ(hull.edges_through(0, 0).size(), 2u);
    EXPECT_EQ(hull.edges_through(2, 0).size(), 1u);
    EXPECT_TRUE(hull.edges_through(2, 1).empty());
    EXPECT_TRUE(hull.outside(4.5, 1));
    EXPECT_TRUE(hull.outside(5, 0));  // on the bottom's line, beyond its corner
    EXPECT_FALSE(hull.outside(4, 1));
}

TEST(TileGrid, APointInABoxLiesInACoreBetweenTheCornersCores) {
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const TileGrid grid = make_tile_grid({-3.0, 10.0, 7.1, 10.3}, 7, 5);
    ASSERT_EQ(grid.count(), 35u);
    for (int trial = 0; trial < 2000; ++trial) {
        const double x = -3.0 + 10.1 * unit(random), y = 10.0 + 0.3 * unit(random);
        const double x0 = -3.0 + 10.1 * unit(random), y0 = 10.0 + 0.3 * unit(random);
        const Box box = {std::min(x, x0), std::min(y, y0), std::max(x, x0), std::max(y, y0)};
        const double px = box[0] + (box[2] - box[0]) * unit(random);
        const double py = box[1] + (box[3] - box[1]) * unit(random);
        ASSERT_LE(grid.column_of(box[0]), grid.column_of(px));
        ASSERT_LE(grid.column_of(px), grid.column_of(box[2]));
        ASSERT_LE(grid.row_of(box[1]), grid.row_of(py));
        ASSERT_LE(grid.row_of(py), grid.row_of(box[3]));
        // Half-open cores: a boundary belongs to the core above it.
        const std::size_t c = grid.column_of(px);
        ASSERT_TRUE(grid.xs[c] <= px && (px < grid.xs[c + 1] || c + 1 == grid.columns()));
    }
    EXPECT_EQ(grid.tile_of(7.1, 10.3), grid.count() - 1);  // the far corner: the last core
    EXPECT_EQ(grid.tile_of(-3.0, 10.0), 0u);
}

TEST(Region, WhatARegionContainsItHolds) {
    std::mt19937_64 random(11);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    Region disk;
    disk.round = true;
    disk.x = 0.25, disk.y = -0.5, disk.r = 0.75;
    disk.box = {-0.5, -1.25, 1.0, 0.25};
    Region inner = disk;
    inner.x += 0.1, inner.r = 0.6;
    Region same = disk;  // a triangle's own circumdisk again
    Region strip;
    strip.strip = true;
    strip.x = -1, strip.y = -1, strip.x2 = 1, strip.y2 = 0, strip.r = 0.2;
    strip.box = {-1.2, -1.2, 1.2, 0.2};
    ASSERT_TRUE(disk.contains(inner));
    ASSERT_TRUE(disk.contains(same));
    ASSERT_FALSE(inner.contains(disk));
    ASSERT_FALSE(disk.contains(strip));
    for (int trial = 0; trial < 20000; ++trial) {
        const double x = unit(random) * 1.5, y = unit(random) * 1.5;
        if (inner.holds(x, y)) {
            ASSERT_TRUE(disk.holds(x, y)) << x << " " << y;
        }
        ASSERT_EQ(same.holds(x, y), disk.holds(x, y));
    }
    // On the circle itself (up to rounding) a point is held.
    EXPECT_TRUE(disk.holds(disk.x + disk.r, disk.y));
}

TEST(MemorySize, ReadsTheFormsUsersWrite) {
    EXPECT_EQ(parse_memory_size("512M"), std::uint64_t{512} << 20);
    EXPECT_EQ(parse_memory_size("2G"), std::uint64_t{2} << 30);
    EXPECT_EQ(parse_memory_size("1.5G"), std::uint64_t{3} << 29);
    EXPECT_EQ(parse_memory_size("64mb"), std::uint64_t{64} << 20);
    EXPECT_EQ(parse_memory_size("1GiB"), std::uint64_t{1} << 30);
    EXPECT_EQ(parse_memory_size("4096"), 4096u);
    for (const char* wrong : {"", "M", "-1G", "2X", "1e30T", "nan", "1.5 G"}) {
        EXPECT_FALSE(parse_memory_size(wrong)) << wrong;
    }
}

}  // namespace
