// The surface raster's two formats and where their values come from.
#pragma once

#include <string>

#include "formats/mesh_write/mesh_view.hpp"
#include "formats/raster/raster_grid.hpp"
#include "formats/mesh_write/terrain_options.hpp"
#include "formats/output/text_sink.hpp"
#include "formats/output/write_progress.hpp"

namespace d2dcli {

// ESRI ASCII grid.
void write_ascii_grid(TextSink& sink, const RasterGrid& grid, const GridRows& rows, const Progress& progress);

// GeoTIFF (Float32, tiled, compressed) with the grid's origin and cell size
// as its geotransform and crs ("EPSG:code") when not empty, written to fd
// (a file or a pipe). Throws OutputError (naming name), also when the
// program was built without GDAL.
void write_geotiff(const std::string& name, int fd, const RasterGrid& grid, const GridRows& rows,
                   const std::string& crs, const Progress& progress);

// The rows of z interpolated over the mesh (linear on the triangles or
// natural-neighbour, through the library), NODATA outside it. The mesh
// needs z.
GridRows surface_rows(const MeshView& mesh, const RasterGrid& grid, SurfaceMethod method, unsigned threads);

}  // namespace d2dcli
