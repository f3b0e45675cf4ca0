// One tile's triangulation: the points of its core and of a halo around it
// (every point of the whole set in the box `seen`), triangulated by the
// library, with the triangles the library certifies as the whole set's
// (hull edges are told apart by the whole hull: whole_hull.hpp).
//
//   +---------------------------+  seen = core grown by the halo on every
//   |   halo                    |  side, cut to the whole set's bounds
//   |     +-------------+       |
//   |     |    core     |       |  a triangle touching the core is written
//   |     |             |       |  (or a cell in it filled) only when it
//   |     +-------------+       |  is certain; otherwise the halo grows
//   +---------------------------+
#pragma once

#include <delaunay2d.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "tiles/bucket_store.hpp"
#include "tiles/tile_grid.hpp"
#include "tiles/whole_hull.hpp"

namespace d2dcli {

class TileMesh {
public:
    TileMesh() = default;
    ~TileMesh() { delaunay2d_result_free(&result_); }
    TileMesh(const TileMesh&) = delete;
    TileMesh& operator=(const TileMesh&) = delete;

    // Loads the points of tile's core grown by halo (left, bottom, right,
    // top), and those in the extra regions (the circumdisks of triangles
    // that were uncertain, which hold few points when they are the whole
    // set's; strips along the whole hull), and triangulates them. Returns false, leaving the mesh empty,
    // when the box holds more than most_points points (the caller's memory
    // limit). Throws TriangulationError when the library fails.
    bool build(const BucketStore& buckets, const TileGrid& grid, const WholeHull& hull, std::size_t tile,
               const Box& halo, const std::vector<Region>& extras, std::uint64_t most_points, unsigned threads);

    const std::vector<TilePoint>& points() const { return points_; }
    const delaunay2d_result& result() const { return result_; }
    const double* coords() const { return reinterpret_cast<const double*>(points_.data()); }
    static constexpr std::size_t stride = 4;
    const std::array<double, 4>& seen() const { return seen_; }
    // Whether seen holds every point of the whole set: then all is certain.
    bool covers_bounds() const { return covers_bounds_; }
    bool certain_triangle(std::size_t t) const { return certain_triangle_[t] != 0; }
    // Where a point of the whole set could lie in triangle t's closed
    // circumdisk: the disk within a box that the hull trims. What the tile
    // must be given to settle t.
    Region reach(std::size_t t) const;
    // Whether every point of the whole set in region was given: it lies in
    // seen or in one extra region.
    bool given(const Region& region) const;
    const TilePoint& vertex(std::uint32_t v) const { return points_[v]; }
    // How many points the box held at the last build (also when too many).
    std::uint64_t seen_count() const { return seen_count_; }

private:
    void clear();


    std::vector<TilePoint> points_;
    delaunay2d_result result_{};
    std::vector<std::uint8_t> certain_triangle_;
    std::array<double, 4> seen_{};
    std::array<double, 4> bounds_{};
    std::vector<Region> extras_;
    const WholeHull* hull_ = nullptr;
    bool covers_bounds_ = false;
    std::uint64_t seen_count_ = 0;
};

}  // namespace d2dcli
