// What every tile's work shares: the grid of cores, the points sorted into
// them, the memory plan, and the loop that grows a tile's halo until what
// the tile must answer is certain.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "progress_meter.hpp"
#include "tiles/bucket_store.hpp"
#include "tiles/tile_grid.hpp"
#include "tiles/tile_mesh.hpp"
#include "tiles/tiled_run.hpp"
#include "tiles/whole_hull.hpp"

namespace d2dcli {

// Bytes a point costs while its tile is triangulated: the point (32), the
// library's result (two triangles a point: 24 bytes of corners and 24 of
// neighbours, and 4 of vertex_of_point), the certainty flags, z for the
// raster (8), and the library's working memory during the call, with room
// to spare (bench/tiles/run.sh measures the whole run's peak).
constexpr std::uint64_t tile_bytes_per_point = 256;

// The fewest points a tile holds at its smallest memory.
constexpr std::uint64_t least_tile_points = 4096;

struct TilePlan {
    std::uint64_t most_points = 0;  // in one tile's seen box
    double first_halo = 0.0;        // map units
    std::uint64_t band_bytes = 0;   // the raster band held beside a tile
};

// Points done and the time left, on standard error (a terminal only).
class TileProgress {
public:
    TileProgress(bool enabled, std::uint64_t total);
    void done(std::uint64_t points);

private:
    ProgressMeter meter_;
    std::uint64_t total_;
    std::uint64_t done_ = 0;
    std::chrono::steady_clock::time_point start_;
};

struct TileWork {
    const TileGrid& grid;
    const BucketStore& buckets;
    const WholeHull& hull;
    const TilePlan& plan;
    const TiledRequest& request;
    TiledReport& report;
    TileProgress& progress;
};

// Where a tile's mesh wants more points: the boxes its uncertain
// triangles reach, and whether something uncertain could not say where.
struct TileWant {
    std::vector<Region> regions;
    bool somewhere = false;
    void add(const Region& region) { regions.push_back(region); }
    void add(const Box& box) {
        Region region;
        region.box = box;
        regions.push_back(region);
    }
    // The points within width of the segment from (ax, ay) to (bx, by).
    void add_strip(double ax, double ay, double bx, double by, double width) {
        Region region;
        region.strip = true;
        region.x = ax, region.y = ay, region.x2 = bx, region.y2 = by, region.r = width;
        region.box = {std::min(ax, bx) - width, std::min(ay, by) - width, std::max(ax, bx) + width,
                      std::max(ay, by) + width};
        regions.push_back(region);
    }
    // The boxes widened by margin (so that the points loaded with them
    // make triangles of their own size, not long ones across what was not
    // loaded) and cut to bounds, beyond which no point lies.
    // (A disk's points are only those of the disk: it is not widened.)
    void widen(double margin, const Box& bounds) {
        for (Region& region : regions) {
            Box& b = region.box;
            const double m = region.round || region.strip ? 0.0 : margin;
            b = {std::max(b[0] - m, bounds[0]), std::max(b[1] - m, bounds[1]), std::min(b[2] + m, bounds[2]),
                 std::min(b[3] + m, bounds[3])};
        }
    }
};

// Whether the tile's mesh answers all the tile must answer (and, when it
// does, that answer taken), else what it wants; must say true when
// mesh.covers_bounds().
using TileSettled = std::function<bool(const TileMesh& mesh, TileWant& want)>;

// Triangulates tile with a halo grown until settled says yes. Throws
// OutputError when the halo would outgrow the memory limit.
void settle_tile(TileWork& work, std::size_t tile, TileMesh& mesh, const TileSettled& settled);

}  // namespace d2dcli
