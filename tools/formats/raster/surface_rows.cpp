// The raster's values: z at each cell's centre, interpolated by the
// library's delaunay2d_interpolate over the mesh the program already has.
#include <delaunay2d.h>

#include <new>
#include <string>
#include <vector>

#include "formats/mesh_write/library_mesh.hpp"
#include "formats/output/output_error.hpp"
#include "formats/raster/raster_files.hpp"

namespace d2dcli {

GridRows surface_rows(const MeshView& mesh, const RasterGrid& grid, SurfaceMethod method, unsigned threads) {
    const int library_method = method == SurfaceMethod::natural ? DELAUNAY2D_NATURAL : DELAUNAY2D_LINEAR;
    return [&mesh, grid, library_method, threads](std::size_t first_row, std::size_t row_count, double* out) {
        const std::size_t count = row_count * grid.columns;
        std::vector<double> queries(2 * count);
        for (std::size_t r = 0; r < row_count; ++r) {
            const double y = grid.centre_y(first_row + r);
            double* q = queries.data() + 2 * r * grid.columns;
            for (std::size_t c = 0; c < grid.columns; ++c) {
                q[2 * c] = grid.centre_x(c);
                q[2 * c + 1] = y;
            }
        }
        // z and w lie interleaved per point: both are interpolated (value
        // count 2) and z kept, which costs less than a copy of every z.
        std::vector<double> values(2 * count);
        const delaunay2d_result result = library_mesh(mesh);
        delaunay2d_status status =
            delaunay2d_interpolate(mesh.xy.data(), 2, &result, mesh.zw.data(), 2, library_method, queries.data(),
                                   count, grid.nodata, threads, values.data());
        if (status == DELAUNAY2D_OUT_OF_MEMORY) {
            throw std::bad_alloc();
        }
        if (status != DELAUNAY2D_OK) {
            throw OutputError(std::string("cannot interpolate the surface: ") + delaunay2d_status_message(status));
        }
        for (std::size_t k = 0; k < count; ++k) {
            out[k] = values[2 * k];
        }
    };
}

}  // namespace d2dcli
