#include "formats/controls/masked_rows.hpp"

#include <delaunay2d.h>

#include <new>
#include <string>
#include <vector>

#include "formats/mesh_write/library_mesh.hpp"
#include "formats/output/output_error.hpp"

namespace d2dcli {

GridRows masked_rows(GridRows rows, const RasterGrid& grid, const MeshView* kept, const ClipPolygon* clip,
                     unsigned threads) {
    if (kept == nullptr && clip == nullptr) {
        return rows;
    }
    return [rows = std::move(rows), grid, kept, clip, threads](std::size_t first_row, std::size_t row_count,
                                                               double* out) {
        rows(first_row, row_count, out);
        std::vector<double> xs(grid.columns);
        for (std::size_t c = 0; c < grid.columns; ++c) {
            xs[c] = grid.centre_x(c);
        }
        if (clip != nullptr) {
            std::vector<std::uint8_t> inside;
            for (std::size_t r = 0; r < row_count; ++r) {
                clip->row(grid.centre_y(first_row + r), xs, inside);
                double* row = out + r * grid.columns;
                for (std::size_t c = 0; c < grid.columns; ++c) {
                    if (inside[c] == 0) {
                        row[c] = grid.nodata;
                    }
                }
            }
        }
        if (kept != nullptr) {
            const std::size_t count = row_count * grid.columns;
            std::vector<double> queries(2 * count);
            for (std::size_t r = 0; r < row_count; ++r) {
                const double y = grid.centre_y(first_row + r);
                for (std::size_t c = 0; c < grid.columns; ++c) {
                    queries[2 * (r * grid.columns + c)] = xs[c];
                    queries[2 * (r * grid.columns + c) + 1] = y;
                }
            }
            std::vector<std::int32_t> triangle(count);
            const delaunay2d_result mesh = library_mesh(*kept);
            const delaunay2d_status status =
                delaunay2d_locate(kept->xy.data(), 2, &mesh, queries.data(), count, threads, triangle.data());
            if (status == DELAUNAY2D_OUT_OF_MEMORY) {
                throw std::bad_alloc();
            }
            if (status != DELAUNAY2D_OK) {
                throw OutputError(std::string("cannot locate the raster's cells: ") +
                                  delaunay2d_status_message(status));
            }
            for (std::size_t k = 0; k < count; ++k) {
                if (triangle[k] < 0) {
                    out[k] = grid.nodata;
                }
            }
        }
    };
}

}  // namespace d2dcli
