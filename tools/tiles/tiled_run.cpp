#include "tiles/tiled_run.hpp"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

#include "formats/output/output_error.hpp"
#include "formats/raster/raster_files.hpp"
#include "formats/read/input_error.hpp"
#include "formats/output/atomic_file.hpp"
#include "formats/output/text_sink.hpp"
#include "tiles/dem_tiles.hpp"
#include "tiles/density_map.hpp"
#include "tiles/memory_size.hpp"
#include "tiles/scratch_file.hpp"
#include "tiles/tile_work.hpp"
#include "tiles/tin_tiles.hpp"

namespace d2dcli {

namespace {

// Of the limit, what the tiles' data may take: the program's code and
// libraries and the buffers of reading and writing take the rest.
std::uint64_t data_budget(std::uint64_t memory) {
    const std::uint64_t reserved = std::min<std::uint64_t>(memory / 4, std::uint64_t{24} << 20);
    return memory - reserved;
}

// A core holds about a third of its tile's points, so that a halo of the
// same width again on every side still fits.
constexpr std::uint64_t core_share = 3;

struct Layout {
    std::size_t columns = 1;
    std::size_t rows = 1;
};

// Cores as square as the extent allows, enough of them for the points.
Layout layout_for(const std::array<double, 4>& bounds, std::uint64_t points, std::uint64_t core_points) {
    const double tiles = std::ceil(static_cast<double>(points) / static_cast<double>(std::max<std::uint64_t>(core_points, 1)));
    const double width = bounds[2] - bounds[0];
    const double height = bounds[3] - bounds[1];
    Layout layout;
    if (tiles <= 1.0 || !(width > 0.0) || !(height > 0.0)) {
        // One core; a line of points (no area) goes whole, as it has no
        // triangles to certify.
        return layout;
    }
    const double aspect = width / height;
    const double columns = std::clamp(std::round(std::sqrt(tiles * aspect)), 1.0, tiles);
    layout.columns = static_cast<std::size_t>(columns);
    layout.rows = static_cast<std::size_t>(std::ceil(tiles / columns));
    return layout;
}

}  // namespace

bool tiled_format(OutputFormat format) {
    return format == OutputFormat::ply || format == OutputFormat::ele || format == OutputFormat::tif ||
           format == OutputFormat::asc;
}

std::uint64_t least_tiled_memory() {
    // data_budget(m) >= 3/4 m must hold one tile of the least size.
    return (least_tile_points * tile_bytes_per_point * 4 + 2) / 3;
}

TileProgress::TileProgress(bool enabled, std::uint64_t total)
    : meter_(enabled), total_(total), start_(std::chrono::steady_clock::now()) {}

void TileProgress::done(std::uint64_t points) {
    done_ += points;
    if (!meter_.active() || total_ == 0) {
        return;
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    const double fraction = static_cast<double>(done_) / static_cast<double>(total_);
    std::string line = "tiles: " + std::to_string(done_) + " of " + std::to_string(total_) + " points";
    if (fraction > 0.0 && fraction < 1.0) {
        line += ", about " + std::to_string(static_cast<long long>(seconds * (1.0 - fraction) / fraction + 0.5)) +
                " s left";
    }
    meter_.show(line);
}

// Grows the halo towards the wanted regions: each side they reach beyond
// doubles (a step at a time: a region that holds too many points is
// mostly the circumdisk of a triangle that a few more points undo); all
// four double when they say nothing (or something uncertain could not say
// where).
void grow_halo(Box& halo, const Box& seen, const Box& bounds, const std::vector<Region>& wanted, bool somewhere) {
    bool grew = false;
    bool grows[4] = {false, false, false, false};
    for (const Region& region : wanted) {
        for (int side = 0; side < 4; ++side) {
            const double beyond = side < 2 ? seen[side] - region.box[side] : region.box[side] - seen[side];
            const bool open = side < 2 ? seen[side] > bounds[side] : seen[side] < bounds[side];
            if (beyond > 0.0 && open) {
                grows[side] = true;
                grew = true;
            }
        }
    }
    for (int side = 0; side < 4; ++side) {
        halo[side] *= grows[side] ? 2.0 : 1.0;
    }
    if (!grew || somewhere) {
        for (double& side : halo) {
            side *= 2.0;
        }
    }
}

void settle_tile(TileWork& work, std::size_t tile, TileMesh& mesh, const TileSettled& settled) {
    const double first = work.plan.first_halo;
    Box halo = {first, first, first, first};
    // Regions loaded beside the halo: the circumdisks of uncertain
    // triangles (empty but for their corners when they are the whole
    // set's) and strips along the whole hull. They come first, for up to
    // extra_rounds rounds, since they cost few points; when they would load
    // more points than fit, the larger half of the last ones is taken back
    // (as often as it takes: the count halves each time) and the halo grows
    // towards them; after those rounds it grows towards what is wanted.
    std::vector<Region> extras;
    std::size_t last_added = 0;
    constexpr std::uint64_t extra_rounds = 24;
    constexpr std::size_t most_extras = 4096;
    // Termination: a round either adds regions (at most extra_rounds
    // rounds do), or grows the halo on at least one side that is not yet
    // at its bound, at least doubling it. So after at most extra_rounds +
    // 4 (log2(extent / first halo) + 1) + 1 rounds the core grown by the
    // halo reaches the bounds on every side; seen then holds every point of
    // the set, the library certifies everything, and settled says yes. A
    // halo alone that outgrows the memory limit ends the loop earlier,
    // with an error.
    for (std::uint64_t round = 0;; ++round) {
        if (!mesh.build(work.buckets, work.grid, work.hull, tile, halo, extras, work.plan.most_points,
                        work.request.threads)) {
            if (last_added > 0) {
                // Take back the larger half of the regions just added (a
                // disk that holds many points belongs to a triangle that
                // more points undo anyway), keeping the rest.
                const auto first_added = extras.end() - static_cast<std::ptrdiff_t>(last_added);
                std::sort(first_added, extras.end(), [](const Region& a, const Region& b) {
                    return (a.box[2] - a.box[0]) * (a.box[3] - a.box[1]) < (b.box[2] - b.box[0]) * (b.box[3] - b.box[1]);
                });
                const std::size_t keep = last_added / 2;
                const std::vector<Region> taken(first_added + static_cast<std::ptrdiff_t>(keep), extras.end());
                extras.erase(first_added + static_cast<std::ptrdiff_t>(keep), extras.end());
                last_added = keep;
                grow_halo(halo, mesh.seen(), work.grid.bounds, taken, false);
                continue;
            }
            throw OutputError(
                work.request.output + ": --memory " + memory_size_text(work.request.memory) +
                " is too small for this input: a tile needs " + std::to_string(mesh.seen_count()) +
                " points around its core, and " + std::to_string(work.plan.most_points) + " fit" +
                (round > 0 ? " (its halo grew to settle the triangles at its core: across a void, along a sparse edge, or "
                             "over points on common circles, such as a grid's, which only the whole set settles)"
                           : " (the points are densest there)") +
                "; give a larger --memory");
        }
        work.report.peak_bytes = std::max(work.report.peak_bytes,
                                          mesh.seen_count() * tile_bytes_per_point + work.plan.band_bytes);
        TileWant want;
        if (settled(mesh, want)) {
            return;
        }
        if (mesh.covers_bounds()) {
            throw OutputError(work.request.output + ": a tile holding every point is still uncertain");
        }
        ++work.report.halo_growths;
        want.widen(first, work.grid.bounds);
        std::vector<Region> fresh;
        for (const Region& region : want.regions) {
            if (!mesh.given(region)) {
                fresh.push_back(region);
            }
        }
        last_added = 0;
        if (!want.somewhere && !fresh.empty() && round < extra_rounds &&
            extras.size() + fresh.size() <= most_extras) {
            extras.insert(extras.end(), fresh.begin(), fresh.end());
            last_added = fresh.size();
            continue;
        }
        grow_halo(halo, mesh.seen(), work.grid.bounds, fresh, want.somewhere);
    }
}

TiledReport run_tiled(PointPasses& input, const std::string& source, const TiledRequest& request) {
    TiledReport report;
    const bool raster = request.format == OutputFormat::tif || request.format == OutputFormat::asc;
    if (request.memory < least_tiled_memory()) {
        throw OutputError("--memory " + memory_size_text(request.memory) + " is too small: a tile needs at least " +
                          memory_size_text(least_tiled_memory()));
    }
    const PointExtent extent = input.extent();
    report.points_read = extent.count;
    if (raster && !input.has_z()) {
        throw OutputError(request.output +
                          ": a surface raster needs z: give points as x y z, or name a z column in a header");
    }
    const std::array<double, 4> bounds = {extent.min_x, extent.min_y, extent.max_x, extent.max_y};

    // The plan: how many points a tile's box may hold, how many cores.
    const std::uint64_t budget = data_budget(request.memory);
    TilePlan plan;
    plan.most_points = budget / tile_bytes_per_point;
    Layout layout = layout_for(bounds, extent.count, plan.most_points / core_share);
    if (layout.columns * layout.rows > 1) {
        // A pass that counts the points on a fine grid (of at most an
        // eighth of the budget), and finer cores until the densest holds
        // its share. Each round makes the cores a quarter smaller on both
        // sides, until they are as fine as the bins: at most about
        // log(side) / log(1.25) rounds.
        const std::size_t side = std::clamp<std::size_t>(
            static_cast<std::size_t>(std::sqrt(static_cast<double>(budget / 8 / sizeof(std::uint32_t)))), 16, 1024);
        DensityMap density(bounds, side);
        input.pass([&density](const double* xyz, std::size_t count) {
            for (std::size_t i = 0; i < count; ++i) {
                if (std::isfinite(xyz[3 * i]) && std::isfinite(xyz[3 * i + 1])) {
                    density.add(xyz[3 * i], xyz[3 * i + 1]);
                }
            }
        });
        while (density.most_in_a_core(layout.columns, layout.rows) > plan.most_points / core_share &&
               (layout.columns < side || layout.rows < side)) {
            layout.columns = std::min(side, (layout.columns * 5 + 3) / 4);
            layout.rows = std::min(side, (layout.rows * 5 + 3) / 4);
        }
    }
    std::optional<RasterGrid> grid;
    if (raster) {
        const std::array<double, 4> extent_box = request.terrain.bounds.value_or(bounds);
        grid = fit_grid(request.output, MeshView{}, request.terrain.cell, extent_box, request.terrain.align);
        grid->nodata = request.terrain.nodata;
        // A band of raster rows sits beside each tile: more rows of cores
        // make it thinner, until it takes at most a quarter of the budget.
        // (Each round adds a row of cores; at most the raster's rows.)
        while (layout.rows < grid->rows &&
               DemTiles::band_bytes(*grid, make_tile_grid(bounds, layout.columns, layout.rows)) > budget / 4) {
            layout.rows = std::min<std::size_t>(grid->rows, layout.rows * 2);
        }
        plan.band_bytes = DemTiles::band_bytes(*grid, make_tile_grid(bounds, layout.columns, layout.rows));
        if (plan.band_bytes > budget / 2) {
            throw OutputError(request.output + ": --memory " + memory_size_text(request.memory) +
                              " cannot hold one row of the raster's " + std::to_string(grid->columns) +
                              " columns beside a tile; give a larger --memory or --cell");
        }
        plan.most_points = (budget - plan.band_bytes) / tile_bytes_per_point;
    }
    const TileGrid tiles = make_tile_grid(bounds, layout.columns, layout.rows);
    report.tiles = tiles.count();
    // A few mean spacings of the points: what a triangle's circumcircle
    // reaches beyond the core on even ground.
    const double area = (bounds[2] - bounds[0]) * (bounds[3] - bounds[1]);
    const double spacing = extent.count > 0 && area > 0.0 ? std::sqrt(area / static_cast<double>(extent.count))
                                                          : std::max(bounds[2] - bounds[0], bounds[3] - bounds[1]);
    plan.first_halo = 4.0 * spacing;

    // The pass that sorts the points into cores; the buffers take up to
    // half the budget, which the tiles have to themselves afterwards.
    const std::string scratch_folder =
        request.output == "-" ? std::string() : folder_of_path(request.output);
    const std::size_t buffer_points = std::clamp<std::size_t>(
        static_cast<std::size_t>(budget / 2 / sizeof(TilePoint) / tiles.count()), 16, 4096);
    BucketStore buckets(scratch_folder, tiles.count(), buffer_points);
    WholeHull hull;
    std::optional<TinTiles> tin;
    if (!raster) {
        tin.emplace(scratch_folder);
    }
    std::uint64_t index = 0;
    std::uint64_t finite = 0;
    input.pass([&](const double* xyz, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i, ++index) {
            const double x = xyz[3 * i];
            const double y = xyz[3 * i + 1];
            if (!std::isfinite(x) || !std::isfinite(y)) {
                if (tin) {
                    tin->leave_out(index);
                }
                continue;
            }
            ++finite;
            hull.add(x, y);
            buckets.add(tiles.tile_of(x, y), TilePoint{x, y, xyz[3 * i + 2], index});
        }
    });
    if (index != extent.count) {
        throw InputError(source + ": the input changed between two readings (" + std::to_string(extent.count) +
                         " points, then " + std::to_string(index) + ")");
    }
    buckets.finish();
    hull.finish();

    TileProgress progress(request.show_progress, finite);
    TileWork work{tiles, buckets, hull, plan, request, report, progress};
    if (raster) {
        DemTiles dem(work, *grid);
        const GridRows rows = dem.rows();
        const std::vector<std::string> paths = {request.output};
        AtomicFile file(request.output);
        TextSink sink(file.fd(), request.output);
        if (request.format == OutputFormat::asc) {
            write_ascii_grid(sink, *grid, rows, {});
        } else {
            write_geotiff(request.output, file.fd(), *grid, rows, request.terrain.crs, {});
        }
        sink.flush();
        file.finish();
        file.put_in_place();
        report.written = paths;
        report.not_finite = extent.count - finite;
        // Repeated points, for the summary: equal x and y lie in one core.
        std::vector<TilePoint> core;
        for (std::size_t tile = 0; tile < tiles.count(); ++tile) {
            core.clear();
            buckets.read(tile, [&core](const TilePoint* chunk, std::size_t count) {
                core.insert(core.end(), chunk, chunk + count);
            });
            std::sort(core.begin(), core.end(), [](const TilePoint& a, const TilePoint& b) {
                return a.x < b.x || (a.x == b.x && a.y < b.y);
            });
            for (std::size_t k = 1; k < core.size(); ++k) {
                report.repeated += core[k].x == core[k - 1].x && core[k].y == core[k - 1].y ? 1 : 0;
            }
        }
        report.distinct = finite - report.repeated;
        return report;
    }
    for (std::size_t tile = 0; tile < tiles.count(); ++tile) {
        TileMesh mesh;
        settle_tile(work, tile, mesh,
                    [&](const TileMesh& m, TileWant& want) { return TinTiles::settled(m, tiles, tile, hull, plan.first_halo, want); });
        tin->take(mesh, tiles, tile);
        progress.done(buckets.count(tile));
    }
    tin->write(input, request, report);
    return report;
}

}  // namespace d2dcli
