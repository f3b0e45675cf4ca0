#include "tiles/dem_tiles.hpp"

#include <delaunay2d.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <new>
#include <string>

#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {

void check(delaunay2d_status status, const char* what) {
    if (status == DELAUNAY2D_OUT_OF_MEMORY) {
        throw std::bad_alloc();
    }
    if (status != DELAUNAY2D_OK) {
        throw OutputError(std::string("cannot ") + what + ": " + delaunay2d_status_message(status));
    }
}

}  // namespace

DemTiles::DemTiles(TileWork& work, const RasterGrid& grid) : work_(work), raster_(grid) {
    const std::size_t cores = work_.grid.columns();
    column_start_.assign(cores + 1, raster_.columns);
    // column_of is monotone in x, and centre_x in the raster column: each
    // core's columns are one run.
    std::size_t core = 0;
    column_start_[0] = 0;
    for (std::size_t c = 0; c < raster_.columns; ++c) {
        const std::size_t of = work_.grid.column_of(raster_.centre_x(c));
        while (core < of) {
            column_start_[++core] = c;
        }
    }
}

std::uint64_t DemTiles::band_bytes(const RasterGrid& raster, const TileGrid& grid) {
    // A band holds the rows of one core row, and one row more for rounding.
    const double rows = raster.cell > 0.0 ? (grid.ys[1] - grid.ys[0]) / raster.cell + 2.0 : 2.0;
    return static_cast<std::uint64_t>(std::min<double>(rows, static_cast<double>(raster.rows))) * raster.columns *
           sizeof(float);
}

GridRows DemTiles::rows() {
    return [this](std::size_t first_row, std::size_t row_count, double* out) {
        const auto start = std::chrono::steady_clock::now();
        for (std::size_t r = 0; r < row_count; ++r) {
            const std::size_t row = first_row + r;
            // Bands come in order and every row belongs to one: at most
            // (core rows) calls of next_band in the whole run.
            while (row >= band_first_ + band_rows_) {
                next_band();
            }
            const float* from = band_.data() + (row - band_first_) * raster_.columns;
            std::copy(from, from + raster_.columns, out + r * raster_.columns);
        }
        work_.report.interpolate_seconds +=
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
}

void DemTiles::next_band() {
    const std::size_t core_rows = work_.grid.rows();
    if (bands_made_ >= core_rows) {
        throw OutputError(work_.request.output + ": the raster's rows ran past its last band");
    }
    const std::size_t core_row = core_rows - 1 - bands_made_++;
    band_first_ += band_rows_;
    band_rows_ = 0;
    while (band_first_ + band_rows_ < raster_.rows &&
           work_.grid.row_of(raster_.centre_y(band_first_ + band_rows_)) >= core_row) {
        ++band_rows_;
    }
    band_.assign(band_rows_ * raster_.columns, static_cast<float>(raster_.nodata));
    if (band_rows_ == 0) {
        return;  // a core row lower than a cell: no centre lies in it
    }
    for (std::size_t core_column = 0; core_column < work_.grid.columns(); ++core_column) {
        const std::size_t first_column = column_start_[core_column];
        const std::size_t column_count = column_start_[core_column + 1] - first_column;
        if (column_count == 0) {
            continue;
        }
        TileMesh mesh;
        const std::size_t tile = core_row * work_.grid.columns() + core_column;
        settle_tile(work_, tile, mesh,
                    [&](const TileMesh& m, TileWant& want) { return fill(m, first_column, column_count, want); });
        work_.progress.done(work_.buckets.count(tile));
    }
}

bool DemTiles::fill(const TileMesh& mesh, std::size_t first_column, std::size_t column_count, TileWant& want) {
    const delaunay2d_result& r = mesh.result();
    std::vector<double> z(r.point_count);
    for (std::size_t i = 0; i < r.point_count; ++i) {
        z[i] = mesh.points()[i].z;
    }
    // A few rows at a time: the queries and answers cost 28 bytes a cell,
    // kept well below the points' share of the memory.
    const std::size_t most_cells =
        std::clamp<std::size_t>(static_cast<std::size_t>(work_.plan.most_points / 4), 1024, std::size_t{1} << 20);
    const std::size_t rows_at_once = std::max<std::size_t>(1, most_cells / column_count);
    std::vector<double> queries;
    std::vector<std::int32_t> triangle;
    std::vector<double> value;
    bool settled = true;
    // The box of the cells outside the tile's mesh but inside the whole
    // hull: one wanted region, widened by a few spacings, for all of them.
    constexpr double inf = std::numeric_limits<double>::infinity();
    Box open_cells = {inf, inf, -inf, -inf};
    for (std::size_t first = 0; first < band_rows_; first += rows_at_once) {
        const std::size_t rows = std::min(rows_at_once, band_rows_ - first);
        const std::size_t count = rows * column_count;
        queries.resize(2 * count);
        for (std::size_t k = 0; k < rows; ++k) {
            const double y = raster_.centre_y(band_first_ + first + k);
            for (std::size_t c = 0; c < column_count; ++c) {
                queries[2 * (k * column_count + c)] = raster_.centre_x(first_column + c);
                queries[2 * (k * column_count + c) + 1] = y;
            }
        }
        triangle.resize(count);
        value.resize(count);
        if (r.triangle_count > 0) {
            check(delaunay2d_locate(mesh.coords(), TileMesh::stride, &r, queries.data(), count, work_.request.threads,
                                    triangle.data()),
                  "locate the raster's cells");
            check(delaunay2d_interpolate(mesh.coords(), TileMesh::stride, &r, z.data(), 1, DELAUNAY2D_LINEAR,
                                         queries.data(), count, raster_.nodata, work_.request.threads, value.data()),
                  "interpolate the surface");
        } else {
            std::fill(triangle.begin(), triangle.end(), -1);
        }
        for (std::size_t q = 0; q < count; ++q) {
            double cell = raster_.nodata;
            if (triangle[q] >= 0) {
                if (!mesh.covers_bounds() && !mesh.certain_triangle(static_cast<std::size_t>(triangle[q]))) {
                    want.add(mesh.reach(static_cast<std::size_t>(triangle[q])));
                    settled = false;
                    continue;
                }
                cell = value[q];
            } else if (!mesh.covers_bounds() && !work_.hull.outside(queries[2 * q], queries[2 * q + 1])) {
                // Inside the whole hull, outside the tile's: the points
                // around it lie beyond what was loaded.
                open_cells = {std::min(open_cells[0], queries[2 * q]), std::min(open_cells[1], queries[2 * q + 1]),
                              std::max(open_cells[2], queries[2 * q]), std::max(open_cells[3], queries[2 * q + 1])};
                settled = false;
                continue;
            }
            const std::size_t row = first + q / column_count;
            band_[row * raster_.columns + first_column + q % column_count] = static_cast<float>(cell);
        }
    }
    if (open_cells[0] <= open_cells[2]) {
        const double reach = 2.0 * work_.plan.first_halo;
        want.add(Box{open_cells[0] - reach, open_cells[1] - reach, open_cells[2] + reach, open_cells[3] + reach});
    }
    return settled;
}

}  // namespace d2dcli
