// The terrain formats, one switch: PLY and GeoJSON through the sink, the
// rasters over a grid fitted to the mesh, PNG through the picture.
#include <unistd.h>

#include "formats/mesh_write/geojson_files.hpp"
#include "formats/mesh_write/mesh_output.hpp"
#include "formats/mesh_write/mesh_writers.hpp"
#include "formats/output/output_error.hpp"
#include "formats/picture/png_picture.hpp"
#include "formats/picture/svg_in_memory.hpp"
#include "formats/raster/raster_files.hpp"

namespace d2dcli {

namespace {

void require_z(const TextSink& sink, const MeshView& mesh) {
    if (!mesh.has_z()) {
        throw OutputError(sink.name() +
                          ": a surface raster needs z: give points as x y z, or name a z column in a header");
    }
}

}  // namespace

void write_terrain_file(TextSink& sink, int fd, const MeshView& mesh, const WrittenPoints& written,
                        const OutputOptions& options, const Progress& progress, WrittenFiles& result) {
    const TerrainOptions& terrain = options.terrain;
    switch (options.format) {
        case OutputFormat::ply:
            write_ply(sink, mesh, written, terrain.ascii, progress);
            break;
        case OutputFormat::geojson: {
            // The layer's name in a GIS: the file's, or what it holds.
            const std::string name = fd == STDOUT_FILENO && sink.name() == "standard output"
                                         ? (terrain.voronoi ? "thiessen_polygons" : "triangles")
                                         : layer_name(sink.name());
            if (terrain.voronoi) {
                write_geojson_cells(sink, mesh, name, terrain, progress);
            } else {
                write_geojson_triangles(sink, mesh, name, terrain.crs, progress);
            }
            break;
        }
        case OutputFormat::asc:
        case OutputFormat::tif: {
            require_z(sink, mesh);
            const RasterGrid grid = fit_grid(sink.name(), mesh, terrain.cell, terrain.bounds);
            const GridRows rows = surface_rows(mesh, grid, terrain.method, terrain.threads);
            if (options.format == OutputFormat::asc) {
                write_ascii_grid(sink, grid, rows, progress);
            } else {
                write_geotiff(sink.name(), fd, grid, rows, terrain.crs, progress);
            }
            break;
        }
        case OutputFormat::png: {
            const std::string svg = draw_svg_in_memory(sink.name(), mesh, written, options.svg, result.picture);
            write_png(sink.name(), fd, svg);
            break;
        }
        default:
            throw OutputError(sink.name() + ": not a terrain format");
    }
}

}  // namespace d2dcli
