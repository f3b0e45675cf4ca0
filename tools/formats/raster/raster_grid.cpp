#include "formats/raster/raster_grid.hpp"

#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "formats/output/output_error.hpp"

namespace d2dcli {

namespace {

// A grid beyond this many cells is a mistaken --cell, not a DEM.
constexpr double most_cells = 4.0e9;

// The grid's size as a message gives it. The counts are doubles that may
// lie far beyond any integer type (a --cell of 1e-300 over a 1 km extent
// gives 1e+303 columns), so they are spelled exactly only while they are
// integers of 15 digits or fewer.
std::string grid_size_text(double columns, double rows) {
    if (std::isinf(columns) || std::isinf(rows)) {
        return "a grid of more cells on a side than a double can count (beyond 1.8e+308)";
    }
    if (columns < 1e15 && rows < 1e15) {
        return "a grid of " + std::to_string(static_cast<long long>(columns)) + " x " +
               std::to_string(static_cast<long long>(rows)) + " cells";
    }
    char text[64];
    std::snprintf(text, sizeof text, "a grid of about %.3g x %.3g cells", columns, rows);
    return text;
}

}  // namespace

RasterGrid fit_grid(const std::string& path, const MeshView& mesh, double cell,
                    const std::optional<std::array<double, 4>>& bounds, bool align) {
    if (!(cell > 0.0) || !std::isfinite(cell)) {
        throw OutputError(path + ": a raster needs a positive --cell size");
    }
    double xmin = std::numeric_limits<double>::infinity();
    double ymin = xmin;
    double xmax = -xmin;
    double ymax = -xmin;
    if (bounds) {
        xmin = (*bounds)[0];
        ymin = (*bounds)[1];
        xmax = (*bounds)[2];
        ymax = (*bounds)[3];
    } else {
        for (std::uint32_t v : mesh.hull) {
            xmin = std::min(xmin, mesh.x(v));
            xmax = std::max(xmax, mesh.x(v));
            ymin = std::min(ymin, mesh.y(v));
            ymax = std::max(ymax, mesh.y(v));
        }
    }
    if (!(xmin < xmax && ymin < ymax) || !std::isfinite(xmax - xmin) || !std::isfinite(ymax - ymin)) {
        throw OutputError(path + ": the raster's extent is empty (the mesh is flat or --bounds are wrong)");
    }
    if (align) {
        // Whole cells from the origin: xmin (and ymin) move down to the
        // multiple of the cell at or below them; the far sides follow from
        // the count of cells, as without alignment.
        xmin = std::floor(xmin / cell) * cell;
        ymin = std::floor(ymin / cell) * cell;
    }
    const double columns = std::max(1.0, std::ceil((xmax - xmin) / cell));
    const double rows = std::max(1.0, std::ceil((ymax - ymin) / cell));
    // GDAL counts a raster's sides in int.
    constexpr double most_side = 2147483647.0;
    if (columns * rows > most_cells || columns > most_side || rows > most_side) {
        throw OutputError(path + ": " + grid_size_text(columns, rows) + " is too large; give a larger --cell");
    }
    RasterGrid grid;
    grid.west = xmin;
    grid.cell = cell;
    grid.columns = static_cast<std::size_t>(columns);
    grid.rows = static_cast<std::size_t>(rows);
    // The grid grows up and to the right from the lower-left corner, so its
    // north edge lies at or above ymax.
    grid.north = ymin + rows * cell;
    return grid;
}

std::size_t rows_per_block(const RasterGrid& grid) {
    const std::size_t wanted = (std::size_t{1} << 20) / std::max<std::size_t>(grid.columns, 1);
    return std::max<std::size_t>(wanted, 1);
}

}  // namespace d2dcli
