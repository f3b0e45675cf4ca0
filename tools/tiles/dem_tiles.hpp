// The DEM made tile by tile: the raster's rows come band by band, a band
// being the rows whose cell centres lie in one row of cores. A tile fills
// the cells whose centres lie in its core (the outer cores reach out to
// the grid's edges) with the library's linear value on the certain
// triangle that holds the centre, or NODATA when the centre lies beyond a
// certain hull edge; any other cell grows the halo.
//
//   raster row 0  +--------------------------+   band of core row 2
//                 |  cells of core (0,2) | (1,2) ...
//                 +--------------------------+   band of core row 1
//                 |          ...             |
#pragma once

#include <cstdint>
#include <vector>

#include "formats/raster/raster_grid.hpp"
#include "tiles/tile_work.hpp"

namespace d2dcli {

class DemTiles {
public:
    DemTiles(TileWork& work, const RasterGrid& grid);

    // The raster's rows, in order from the top; each band is made when the
    // writer first asks for one of its rows.
    GridRows rows();

    // Bytes of the largest band: what the plan holds beside a tile.
    static std::uint64_t band_bytes(const RasterGrid& raster, const TileGrid& grid);

private:
    void next_band();
    // Fills the cells of tile's core (rows first_row.., columns
    // first_column..) from its mesh, or says false when one is uncertain.
    bool fill(const TileMesh& mesh, std::size_t first_column, std::size_t column_count, TileWant& want);

    TileWork& work_;
    RasterGrid raster_;
    std::vector<std::size_t> column_start_;  // per core column: its first raster column; one more at the end
    std::size_t bands_made_ = 0;
    std::size_t band_first_ = 0;            // raster rows of the band held
    std::size_t band_rows_ = 0;
    std::vector<float> band_;
};

}  // namespace d2dcli
