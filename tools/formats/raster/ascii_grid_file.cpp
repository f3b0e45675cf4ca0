// ESRI's ASCII grid (.asc): six header lines, then the rows from north to
// south. Values are written as the shortest text of their float: the
// precision the GeoTIFF keeps, and a third of the size of full doubles.
#include <charconv>
#include <cmath>
#include <vector>

#include "formats/raster/raster_files.hpp"

namespace d2dcli {

namespace {

void put_float(TextSink& sink, double value) {
    char text[32];
    auto end = std::to_chars(text, text + sizeof text, static_cast<float>(value)).ptr;
    sink.put(std::string_view(text, static_cast<std::size_t>(end - text)));
}

}  // namespace

void write_ascii_grid(TextSink& sink, const RasterGrid& grid, const GridRows& rows, const Progress& progress) {
    ProgressSteps steps(progress, grid.rows);
    sink.put("ncols ");
    sink.put_integer(static_cast<std::int64_t>(grid.columns));
    sink.put("\nnrows ");
    sink.put_integer(static_cast<std::int64_t>(grid.rows));
    sink.put("\nxllcorner ");
    sink.put_shortest(grid.west);
    sink.put("\nyllcorner ");
    sink.put_shortest(grid.south());
    sink.put("\ncellsize ");
    sink.put_shortest(grid.cell);
    sink.put("\nNODATA_value ");
    put_float(sink, grid.nodata);
    sink.put('\n');
    const std::size_t block = rows_per_block(grid);
    std::vector<double> values(block * grid.columns);
    for (std::size_t first = 0; first < grid.rows; first += block) {
        const std::size_t count = std::min(block, grid.rows - first);
        rows(first, count, values.data());
        for (std::size_t r = 0; r < count; ++r) {
            const double* row = values.data() + r * grid.columns;
            for (std::size_t c = 0; c < grid.columns; ++c) {
                put_float(sink, std::isfinite(row[c]) ? row[c] : grid.nodata);
                sink.put(c + 1 < grid.columns ? ' ' : '\n');
            }
            steps.advance();
        }
    }
}

}  // namespace d2dcli
