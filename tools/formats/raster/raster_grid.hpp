// A north-up grid of square cells over the mesh, the georeferencing that
// both raster formats write, and the rows of values they are filled from.
//
//   (west, north) +-----+-----+-----+   row 0
//                 |  .  |  .  |  .  |   a value stands for its cell's centre
//                 +-----+-----+-----+   row 1
//                 |  .  |  .  |  .  |
//                 +-----+-----+-----+ (west + columns * cell, north - rows * cell)
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>

#include "formats/mesh_write/mesh_view.hpp"

namespace d2dcli {

struct RasterGrid {
    double west = 0.0;
    double north = 0.0;
    double cell = 1.0;
    std::size_t columns = 0;
    std::size_t rows = 0;
    double nodata = -9999.0;  // outside the mesh; also what ESRI's tools expect

    double south() const { return north - static_cast<double>(rows) * cell; }
    double centre_x(std::size_t column) const { return west + (static_cast<double>(column) + 0.5) * cell; }
    double centre_y(std::size_t row) const { return north - (static_cast<double>(row) + 0.5) * cell; }
    std::size_t cell_count() const { return columns * rows; }
};

// The grid of cells of the given size that covers bounds (xmin ymin xmax
// ymax), or without bounds the extent of the mesh's finite points, starting
// at its lower-left corner; aligned, the grid starts instead at the whole
// multiple of the cell at or below that corner (as gdal_grid's and
// gdalwarp's -tap), so that grids of one cell size line up. Throws OutputError (naming path) when the cell is
// not positive, the extent is empty or the grid would be absurdly large.
RasterGrid fit_grid(const std::string& path, const MeshView& mesh, double cell,
                    const std::optional<std::array<double, 4>>& bounds, bool align = false);

// Fills out with row_count whole rows of values, from row first_row down.
using GridRows = std::function<void(std::size_t first_row, std::size_t row_count, double* out)>;

// Rows per call to GridRows: about a million cells, so that a grid of 10^8
// cells is never held whole and each call still has work for every thread.
std::size_t rows_per_block(const RasterGrid& grid);

}  // namespace d2dcli
